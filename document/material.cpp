#include "document/material.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "document/dib.h"
#include "document/documentcheck.h"
#include "document/materialtalker.h"
#include "document/texture.h"
#include "document/versionmap.h"
#include "drawapi/modelview.h"
#include "foundation/tolerance.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CMaterial, CEntity, VERSIONABLE_SCHEMA | 12)

namespace {

constexpr double kTransparencyTolerance = 0.001;
const CString kAutoNamePrefix = "*";

}  // namespace

CColor GetDefaultMaterialColor()
{
    return CColor(64, 64, 64, 255);
}

CMaterial* CreateMaterial()
{
    return new CMaterial;
}

CString ExpandAutoNamePrefix(const CString& name)
{
    if (name.IsEmpty() || name[0] != u'*') {
        return name;
    }
    return kAutoNamePrefix + name.Mid(1);
}

CString StripTrailingDigits(const CString& text)
{
    int end = text.GetLength();
    while (end > 0 && text[end - 1] >= u'0' && text[end - 1] <= u'9') {
        --end;
    }
    return text.Left(end);
}

CMaterial::CMaterial() : m_name("<auto>")
{
}

CMaterial::CMaterial(const CMaterial& other)
    : CEntity(other),
      m_name(other.m_name),
      m_texture(other.m_texture),
      m_color(other.m_color),
      m_useTransparency(other.m_useTransparency),
      m_transparency(other.m_transparency),
      m_hidden(other.m_hidden),
      m_secondName(other.m_secondName),
      m_kind(other.m_kind),
      m_absoluteHue(other.m_absoluteHue),
      m_useCount(other.m_useCount)
{
}

CMaterial::~CMaterial()
{
    if (m_ownsTexture) {
        delete m_texture;
    }
}

void CMaterial::Erase()
{
    if (m_texture != nullptr) {
        // From here the texture ends through its own Erase.
        m_ownsTexture = false;
        m_texture->Erase();
    }
    CEntity::Erase();
}

CEntity* CMaterial::Clone() const
{
    return new CMaterial(*this);
}

int CMaterial::GetTypeId() const
{
    return kTypeMaterial;
}

void CMaterial::SwapData(CEntity& other)
{
    CEntity::SwapData(other);
    auto& material = dynamic_cast<CMaterial&>(other);
    const bool sameTexture = m_texture == material.m_texture;
    const bool equalTextures =
        sameTexture || (m_texture != nullptr && material.m_texture != nullptr && m_texture->IsEqual(*material.m_texture));
    bool valuesDiffer = m_color != material.m_color || m_kind != material.m_kind ||
                        m_absoluteHue != material.m_absoluteHue || m_useTransparency != material.m_useTransparency;
    std::swap(m_name, material.m_name);
    std::swap(m_texture, material.m_texture);
    std::swap(m_hidden, material.m_hidden);
    std::swap(m_color, material.m_color);
    if (m_secondName.CompareNoCase(material.m_secondName) != 0) {
        std::swap(m_secondName, material.m_secondName);
        valuesDiffer = true;
    }
    std::swap(m_kind, material.m_kind);
    std::swap(m_absoluteHue, material.m_absoluteHue);
    if (std::fabs(m_transparency - material.m_transparency) >= kTransparencyTolerance) {
        std::swap(m_transparency, material.m_transparency);
        valuesDiffer = true;
    }
    std::swap(m_useTransparency, material.m_useTransparency);
    std::swap(m_useCount, material.m_useCount);
    if (m_texture != nullptr && (!sameTexture || !equalTextures || valuesDiffer)) {
        ColorTexture();
    }
}

void CMaterial::SetName(const CString& name)
{
    if (name == m_name) {
        return;
    }
    RecordChange(true);
    m_name = name;
}

void CMaterial::SetSecondName(const CString& name)
{
    if (name.CompareNoCase(m_secondName) == 0) {
        return;
    }
    RecordChange(true);
    m_secondName = name;
}

void CMaterial::SetColor(CColor color)
{
    if (color == m_color) {
        return;
    }
    RecordChange(true);
    m_color = color;
    UpdateTextureColoring();
}

void CMaterial::SetTransparency(double transparency)
{
    // A NaN compares false here and is stored: the consistency check reports it.
    if (std::fabs(transparency - m_transparency) < kTransparencyTolerance) {
        return;
    }
    RecordChange(true);
    m_transparency = transparency;
    UpdateTextureColoring();
}

void CMaterial::SetUseTransparency(bool use)
{
    if (use == m_useTransparency) {
        return;
    }
    RecordChange(true);
    m_useTransparency = use;
    UpdateTextureColoring();
}

void CMaterial::SetHidden(bool hidden)
{
    if (hidden == m_hidden) {
        return;
    }
    RecordChange(true);
    m_hidden = hidden;
}

void CMaterial::SetAbsoluteHue(std::int32_t absoluteHue)
{
    if (absoluteHue == m_absoluteHue) {
        return;
    }
    RecordChange(true);
    m_absoluteHue = absoluteHue;
    UpdateTextureColoring();
}

void CMaterial::SetKind(std::int32_t kind)
{
    if (kind == m_kind) {
        return;
    }
    RecordChange(true);
    m_kind = kind;
    if (m_texture == nullptr) {
        return;
    }
    if (kind == kMaterialColor) {
        m_ownsTexture = false;
        std::exchange(m_texture, nullptr)->Erase();
        return;
    }
    ColorTexture();
}

void CMaterial::SetTexture(CTexture* texture)
{
    if (texture == m_texture) {
        return;
    }
    RecordChange(true);
    if (m_texture != nullptr) {
        m_ownsTexture = false;
        m_texture->Erase();
    }
    m_texture = texture;
    m_ownsTexture = texture != nullptr;
    if (texture != nullptr) {
        texture->SetParent(this);
    }
    UpdateTextureColoring();
}

void CMaterial::UpdateTextureColoring()
{
    if (m_texture == nullptr || (m_kind != kMaterialColoredTexture && !m_useTransparency)) {
        return;
    }
    ColorTexture();
}

void CMaterial::ColorTexture()
{
    const CColor tint = m_kind == kMaterialColoredTexture ? m_color : CColor();
    m_texture->SetColoring(tint, m_absoluteHue == 0, m_useTransparency ? m_transparency : 0.0);
}

CTexture* CMaterial::TakeTexture()
{
    m_ownsTexture = false;
    return std::exchange(m_texture, nullptr);
}

CDib* CMaterial::GetTextureImage() const
{
    return m_texture != nullptr ? m_texture->GetImage() : nullptr;
}

bool CMaterial::HasTexturePicture() const
{
    return m_texture != nullptr && m_texture->HasImage();
}

bool CMaterial::IsTextureKind() const
{
    return m_kind == kMaterialTexture || m_kind == kMaterialColoredTexture;
}

CString CMaterial::GetDisplayName() const
{
    return ExpandAutoNamePrefix(m_name);
}

CColor CMaterial::GetColor() const
{
    return IsTextureKind() && HasTexturePicture() ? m_texture->GetAverageColor() : m_color;
}

void CMaterial::AddUse(bool notify)
{
    RecordChange(true);
    ++m_useCount;
    if (notify) {
        GetMaterialTalker()->Notify(this, kMaterialUseCountChanged);
    }
}

void CMaterial::RemoveUse(bool notify)
{
    RecordChange(true);
    if (m_useCount > 0) {
        --m_useCount;
    }
    if (notify) {
        GetMaterialTalker()->Notify(this, kMaterialUseCountChanged);
    }
}

bool CMaterial::IsPlainColor() const
{
    return m_kind == kMaterialColor || !HasTexturePicture();
}

bool CMaterial::IsTextured() const
{
    return IsTextureKind() && HasTexturePicture() && m_texture->FitsTextureBudget();
}

bool CMaterial::TextureHasAlpha() const
{
    return HasTexturePicture() && m_texture->GetImage()->HasAlpha();
}

bool CMaterial::IsTransparent() const
{
    if (!m_useTransparency) {
        return false;
    }
    return TextureHasAlpha() || m_transparency >= kTransparencyTolerance;
}

bool CMaterial::Blends() const
{
    // IsTransparent less its switch: the picture's alpha is looked up once.
    return TextureHasAlpha() || (m_useTransparency && m_transparency >= kTransparencyTolerance);
}

bool CMaterial::IsOpaque() const
{
    if (m_useTransparency && std::fabs(m_transparency) >= kTransparencyTolerance) {
        return false;
    }
    if (const CDib* picture = GetTextureImage()) {
        // A picture without alpha counts every pixel as opaque.
        return picture->GetTransparentCount() == 0 &&
               picture->GetOpaqueCount() >= picture->GetWidth() * picture->GetHeight();
    }
    return m_color.GetAlphaByte() == 255;
}

bool CMaterial::IsFullyTransparent() const
{
    if (m_useTransparency && std::fabs(m_transparency - 1.0) < kTransparencyTolerance) {
        return true;
    }
    if (const CDib* picture = GetTextureImage()) {
        const int pixels = picture->GetWidth() * picture->GetHeight();
        return pixels > 0 && picture->GetTransparentCount() >= pixels;
    }
    return m_color.GetAlphaByte() == 0;
}

void CMaterial::ApplyToView(IModelView* view)
{
    if (IsTextured()) {
        m_texture->Bind();
        return;
    }
    if (m_color.GetValue() == 0 || view == nullptr) {
        return;
    }
    view->SetColor(GetViewColor());
}

CColor CMaterial::GetViewColor() const
{
    CColor color = m_color;
    if (m_useTransparency) {
        // Transparency 0 is opaque, as the texture path and the transparency tests have it.
        color.SetAlpha(1.0 - m_transparency);
    }
    return color;
}

void CMaterial::BeginTextureMapping(const double* sPlane, const double* tPlane)
{
    if (IsTextured()) {
        m_texture->BeginTextureMapping(sPlane, tPlane);
    }
}

void CMaterial::EndTextureMapping()
{
    if (IsTextured()) {
        m_texture->EndTextureMapping();
    }
}

void CMaterial::Serialize(CArchive& ar)
{
    CEntity::Serialize(ar);
    if (ar.IsLoading()) {
        ReadRecord(ar);
    } else {
        WriteRecord(ar);
    }
}

void CMaterial::ReadRecord(CArchive& ar)
{
    const int version = GetLoadedClassVersion(RUNTIME_CLASS(CMaterial));
    m_name = ArchiveReadString(ar);
    if (version < 3 && ArchiveReadBool(ar)) {
        std::int32_t dropped = 0;
        ar >> dropped;
    }
    if (ArchiveReadBool(ar)) {
        ReadTexture(ar, version);
    }
    if (version >= 2 && version <= 4) {
        ar >> m_useCount;
        m_useCount = std::max(m_useCount, 0);
    }
    if (version >= 6) {
        m_hidden = ArchiveReadBool(ar);
    }
    if (version >= 7) {
        ar >> m_color;
    }
    if (version >= 8) {
        m_secondName = ArchiveReadString(ar);
    }
    m_kind = kMaterialTexture;
    if (version >= 9) {
        ar >> m_kind;
    }
    m_absoluteHue = 0;
    if (version >= 10) {
        ar >> m_absoluteHue;
    }
    m_transparency = 0.0;
    if (version >= 11) {
        ar >> m_transparency;
        // As the consistency check repairs it: blending and sorting need a number in range.
        if (!(m_transparency >= -kTransparencyTolerance && m_transparency <= 1.0 + kTransparencyTolerance)) {
            m_transparency = 0.0;
        }
    }
    if (version >= 12) {
        m_useTransparency = ArchiveReadBool(ar);
    } else {
        m_useTransparency = std::fabs(m_transparency) >= kTransparencyTolerance;
    }
    SettleAfterReading();
}

void CMaterial::ReadTexture(CArchive& ar, int version)
{
    if (version >= 4) {
        if (m_texture == nullptr || !m_ownsTexture) {
            m_texture = new CTexture;
            m_ownsTexture = true;
            m_texture->SetParent(this);
        }
        m_texture->Serialize(ar);
        return;
    }
    CTexture* texture = nullptr;
    ArchiveReadTexture(ar, texture);
    // A texture is erased with its material; a second holder would erase it twice.
    if (texture != nullptr && texture->GetParent() != nullptr && texture->GetParent() != this) {
        AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
    }
    if (m_ownsTexture) {
        delete m_texture;
    }
    // The archive made it and frees it when the read fails; from here on it ends with
    // the material's Erase.
    m_texture = texture;
    m_ownsTexture = false;
    if (texture != nullptr) {
        texture->SetParent(this);
    }
}

void CMaterial::SettleAfterReading()
{
    // A picture that did not decode keeps the kind as stored: the material draws in its
    // colour (IsTextured is false), and a save writes the kind back with the picture.
    if (GetTextureImage() == nullptr) {
        m_kind = kMaterialColor;
    } else if (m_kind == kMaterialTexture && m_texture->GetAverageColor() != m_color && HasTexturePicture() &&
               GetTextureImage()->DecodesWhole()) {
        // Asked last: whether the picture decodes is made sure of by decoding it.
        RecordChange(true);
        m_color = m_texture->GetAverageColor();
    }
    if (m_color.GetValue() == 0) {
        m_color = GetDefaultMaterialColor();
    }
    UpdateTextureColoring();
}

void CMaterial::WriteRecord(CArchive& ar)
{
    ArchiveWriteString(ar, m_name);
    ArchiveWriteBool(ar, m_texture != nullptr);
    if (m_texture != nullptr) {
        m_texture->Serialize(ar);
    }
    ArchiveWriteBool(ar, m_hidden);
    ar << m_color;
    ArchiveWriteString(ar, m_secondName);
    ar << m_kind;
    ar << m_absoluteHue;
    ar << m_transparency;
    ArchiveWriteBool(ar, m_useTransparency);
}

void ArchiveReadMaterial(CArchive& ar, CMaterial*& material)
{
    material = static_cast<CMaterial*>(ar.ReadObject(RUNTIME_CLASS(CMaterial)));
}

bool ArchiveReadFlaggedMaterial(CArchive& ar, CMaterial*& material)
{
    std::int32_t hasMaterial = 0;
    ar >> hasMaterial;
    if (hasMaterial == 0) {
        return false;
    }
    ArchiveReadMaterial(ar, material);
    return true;
}

int CMaterial::CheckValidity(int mode, CValidityResultMap* results)
{
    return RunDocumentCheck(*this, RUNTIME_CLASS(CMaterial), results, [&]() {
        CDocumentCheck check(*this, mode);
        check.Take(CEntity::CheckValidity(mode, results));
        if (m_texture != nullptr && !m_texture->IsKindOf(RUNTIME_CLASS(CTexture))) {
            check.Broken(kMsgMaterialBadTexture, kValidityBroken);
        } else if (m_texture != nullptr) {
            check.Take(m_texture->CheckValidity(mode, results));
        }
        if (m_name.IsEmpty()) {
            check.Broken(kMsgMaterialEmptyName, kValidityStale);
        }
        if (!IsValidDouble(m_transparency) || m_transparency < -0.001 || m_transparency > 1.001) {
            if (check.Repairable(kMsgMaterialTransparency)) {
                m_transparency = 0.0;
            }
        }
        if (m_kind < 0 || m_kind > 2) {
            check.Broken(kMsgMaterialBadKind, kValidityStale);
        }
        if (m_absoluteHue != 0 && m_absoluteHue != 1) {
            check.Broken(kMsgMaterialBadHue, kValidityStale);
        }
        return check.GetSeverity();
    });
}
