#include "document/twfont.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

#include "drawapi/glfont.h"
#include "model/validitylog.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CTwFont, CEntity, VERSIONABLE_SCHEMA | 0)

namespace {

constexpr std::int32_t kMinHeight = 1;
constexpr std::int32_t kMaxHeight = 1000;
constexpr std::int32_t kRepairHeight = 10;
constexpr const char* kRepairFace = "Tahoma";
// Text images are drawn at the height in points seen at 96 pixels per inch.
constexpr double kPointsToPixels = 1.3333;

CTwFont::Realizer g_realizer = nullptr;

}  // namespace

CTwFont::CTwFont() = default;

CTwFont::CTwFont(const CTwFont& other)
    : CEntity(other),
      m_faceName(other.m_faceName),
      m_bold(other.m_bold),
      m_italic(other.m_italic),
      m_height(other.m_height),
      m_member28(other.m_member28)
{
}

CTwFont::~CTwFont() = default;

void CTwFont::Serialize(CArchive& ar)
{
    CEntity::Serialize(ar);
    if (ar.IsStoring()) {
        ArchiveWriteString(ar, m_faceName);
        ar << static_cast<BYTE>(m_bold ? 1 : 0) << static_cast<BYTE>(m_italic ? 1 : 0) << m_height;
        return;
    }
    m_faceName = ArchiveReadString(ar);
    BYTE bold = 0;
    BYTE italic = 0;
    ar >> bold >> italic >> m_height;
    m_bold = bold != 0;
    m_italic = italic != 0;
}

CEntity* CTwFont::Clone() const
{
    return new CTwFont(*this);
}

void CTwFont::SwapData(CEntity& other)
{
    CEntity::SwapData(other);
    auto* font = dynamic_cast<CTwFont*>(&other);
    if (font == nullptr) {
        return;
    }
    std::swap(m_faceName, font->m_faceName);
    std::swap(m_bold, font->m_bold);
    std::swap(m_italic, font->m_italic);
    std::swap(m_height, font->m_height);
    std::swap(m_member28, font->m_member28);
    ReleaseGLFont();
    font->ReleaseGLFont();
}

int CTwFont::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CTwFont), results, result)) {
        return result;
    }
    result = CEntity::CheckValidity(mode, results);
    const bool badFace = m_faceName.IsEmpty();
    const bool badHeight = m_height < kMinHeight || m_height > kMaxHeight;
    if (badFace || badHeight) {
        AppendValidityMessage("%s has an empty face name or a height outside 1 to 1000", GetEntityLabel(this));
        if (BeginRepair(mode)) {
            Set(badFace ? CString(kRepairFace) : m_faceName, m_bold, m_italic, badHeight ? kRepairHeight : m_height);
        } else if (result < kValidityRepairable) {
            result = kValidityRepairable;
        }
    }
    return SetCheckResult(result, results);
}

int CTwFont::GetTypeId() const
{
    return kTypeTwFont;
}

void CTwFont::Set(const CString& faceName, bool bold, bool italic, std::int32_t height)
{
    if (m_faceName.CompareNoCase(faceName) == 0 && bold == m_bold && italic == m_italic && height == m_height) {
        return;
    }
    RecordChange(true);
    m_faceName = faceName;
    m_bold = bold;
    m_italic = italic;
    m_height = height;
    ReleaseGLFont();
}

void CTwFont::SetFontKind(int kind)
{
    if (kind == m_kind) {
        return;
    }
    m_kind = kind;
    ReleaseGLFont();
}

void CTwFont::SetFontPath(const CString& path)
{
    if (path == m_fontPath) {
        return;
    }
    ReleaseGLFont();
    m_fontPath = path;
}

void CTwFont::ReleaseGLFont()
{
    m_glFont.reset();
    m_fontPath.Empty();
    m_scale = 1.0;
    m_resolution = kDefaultResolution;
    m_realized = false;
}

void CTwFont::Refresh()
{
    if (m_realized) {
        return;
    }
    if (m_kind == kKindTextImage) {
        m_pixelHeight = m_height;
        // A height read from a file may be any number; the metric stays within an int.
        const double metric = std::trunc(m_height * kPointsToPixels);
        m_secondMetric = static_cast<int>(std::clamp(metric, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
    } else if (g_realizer != nullptr) {
        g_realizer(*this);
    }
    m_realized = true;
}

void CTwFont::SetRealizer(Realizer realizer)
{
    g_realizer = realizer;
}

void CTwFont::SetGLFont(std::unique_ptr<IGLFont> font, const CString& path, int pixelHeight)
{
    m_glFont = std::move(font);
    m_fontPath = path;
    m_pixelHeight = pixelHeight;
    m_secondMetric = pixelHeight;
}

int CTwFont::GetScaledHeight()
{
    Refresh();
    const double scaled = std::round(m_pixelHeight * m_scale);
    return static_cast<int>(std::clamp(scaled, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

void CTwFont::SetMember28Modified(std::int32_t value)
{
    if (value != m_member28) {
        RecordChange(true);
        m_member28 = value;
    }
}

CTwFont* ArchiveReadTwFont(CArchive& ar)
{
    return static_cast<CTwFont*>(ar.ReadObject(RUNTIME_CLASS(CTwFont)));
}
