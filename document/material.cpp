#include "document/material.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "document/versionmap.h"
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

CMaterial::~CMaterial() = default;

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
    std::swap(m_name, material.m_name);
    std::swap(m_hidden, material.m_hidden);
    std::swap(m_color, material.m_color);
    if (m_secondName.CompareNoCase(material.m_secondName) != 0) {
        std::swap(m_secondName, material.m_secondName);
    }
    std::swap(m_kind, material.m_kind);
    std::swap(m_absoluteHue, material.m_absoluteHue);
    if (std::fabs(m_transparency - material.m_transparency) >= kTransparencyTolerance) {
        std::swap(m_transparency, material.m_transparency);
    }
    std::swap(m_useTransparency, material.m_useTransparency);
    std::swap(m_useCount, material.m_useCount);
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
}

void CMaterial::SetTransparency(double transparency)
{
    // A NaN compares false here and is stored: the consistency check reports it.
    if (std::fabs(transparency - m_transparency) < kTransparencyTolerance) {
        return;
    }
    RecordChange(true);
    m_transparency = transparency;
}

void CMaterial::SetUseTransparency(bool use)
{
    if (use == m_useTransparency) {
        return;
    }
    RecordChange(true);
    m_useTransparency = use;
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
}

void CMaterial::SetKind(std::int32_t kind)
{
    if (kind == m_kind) {
        return;
    }
    RecordChange(true);
    m_kind = kind;
}

CString CMaterial::GetDisplayName() const
{
    return ExpandAutoNamePrefix(m_name);
}

CColor CMaterial::GetColor() const
{
    return m_color;
}

void CMaterial::AddUse(bool /*notify*/)
{
    RecordChange(true);
    ++m_useCount;
}

void CMaterial::RemoveUse(bool /*notify*/)
{
    RecordChange(true);
    if (m_useCount > 0) {
        --m_useCount;
    }
}

bool CMaterial::IsPlainColor() const
{
    return true;
}

bool CMaterial::IsTextured() const
{
    return false;
}

bool CMaterial::TextureHasAlpha() const
{
    return false;
}

bool CMaterial::IsTransparent() const
{
    return m_useTransparency && m_transparency >= kTransparencyTolerance;
}

bool CMaterial::IsOpaque() const
{
    if (m_useTransparency && std::fabs(m_transparency) >= kTransparencyTolerance) {
        return false;
    }
    return m_color.GetAlphaByte() == 255;
}

bool CMaterial::IsFullyTransparent() const
{
    if (m_useTransparency && std::fabs(m_transparency - 1.0) < kTransparencyTolerance) {
        return true;
    }
    return m_color.GetAlphaByte() == 0;
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
        // Texture records are not read yet; refusing beats misreading what follows.
        AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName);
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
    if (version >= 9) {
        // Every stored kind draws as a plain colour while the material has no texture.
        std::int32_t storedKind = kMaterialColor;
        ar >> storedKind;
    }
    m_absoluteHue = 0;
    if (version >= 10) {
        ar >> m_absoluteHue;
    }
    m_transparency = 0.0;
    if (version >= 11) {
        ar >> m_transparency;
    }
    if (version >= 12) {
        m_useTransparency = ArchiveReadBool(ar);
    } else {
        m_useTransparency = std::fabs(m_transparency) >= kTransparencyTolerance;
    }
    m_kind = kMaterialColor;
    if (m_color.GetValue() == 0) {
        m_color = GetDefaultMaterialColor();
    }
}

void CMaterial::WriteRecord(CArchive& ar)
{
    ArchiveWriteString(ar, m_name);
    ArchiveWriteBool(ar, false);  // no texture
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
