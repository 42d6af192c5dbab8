#include "annotations/textstyle.h"

#include <utility>

#include "annotations/annotationcheck.h"
#include "annotations/annotationlinks.h"
#include "document/tarnwickmodel.h"
#include "document/versionmap.h"
#include "platform/archive.h"
#include "platform/profile.h"

IMPLEMENT_SERIAL(CTextStyle, CEntity, VERSIONABLE_SCHEMA | 4)

namespace {

const CString kSettingsSection = "TextStyle";
const CString kDefaultFace = "Tahoma";
// The record version that carried the font as a description instead of a reference.
constexpr int kInlineFontVersion = 3;

// A colour preference is kept as a colour reference (no alpha) and read back opaque.
CColor GetPreferenceColor(const CString& section, const CString& entry, CColor defaultColor)
{
    const int stored = GetProfileInt(section, entry, static_cast<int>(defaultColor.GetRGB()));
    CColor color;
    color.SetFromCOLORREF(static_cast<std::uint32_t>(stored));
    return color;
}

}  // namespace

CTextStyle::CTextStyle() = default;

CTextStyle::CTextStyle(CTarnwickModel* model) : m_model(model)
{
    LoadDefaults();
}

CTextStyle::CTextStyle(const CTextStyle& other)
    : CEntity(other),
      m_font(other.m_font),
      m_leaderArrow(other.m_leaderArrow),
      m_lineWeight(other.m_lineWeight),
      m_firstFlag(other.m_firstFlag),
      m_leaderType(other.m_leaderType),
      m_secondFlag(other.m_secondFlag),
      m_fontKind(other.m_fontKind),
      m_color(other.m_color)
{
}

CTextStyle::~CTextStyle() = default;

void CTextStyle::LoadDefaults()
{
    m_leaderArrow = GetProfileInt(kSettingsSection, "LeaderArrow", m_leaderArrow);
    m_lineWeight = GetProfileInt(kSettingsSection, "LineWeight", m_lineWeight);
    m_leaderType = GetProfileInt(kSettingsSection, "LeaderType", m_leaderType);
    m_color = GetPreferenceColor(kSettingsSection, "Color", m_color);
    m_firstFlag = false;
    CreateDefaultFont();
}

void CTextStyle::CreateDefaultFont()
{
    ReplaceFontReference(m_font, CreateFontFromSettings(m_model, kSettingsSection, kDefaultFace));
}

// Only the font is made: the other values of a style read from a file stay as stored,
// so that reading a model (or a text without a font of its own) never replaces them
// with this program's settings.
void CTextStyle::EnsureFont()
{
    if (m_font == nullptr) {
        CreateDefaultFont();
    }
}

CEntity* CTextStyle::GetFont()
{
    EnsureFont();
    return m_font;
}

void CTextStyle::SetFont(CEntity* font, bool record)
{
    ChangeFont(*this, m_font, font, record);
}

void CTextStyle::SetLeaderArrow(std::int32_t arrow)
{
    SetRecorded(m_leaderArrow, arrow);
}

void CTextStyle::SetLineWeight(std::int32_t weight)
{
    SetRecorded(m_lineWeight, weight);
}

void CTextStyle::SetFirstFlag(bool flag)
{
    SetRecorded(m_firstFlag, flag);
}

void CTextStyle::SetLeaderType(std::int32_t type)
{
    SetRecorded(m_leaderType, type);
}

void CTextStyle::SetSecondFlag(bool flag)
{
    SetRecorded(m_secondFlag, flag);
}

void CTextStyle::SetColor(CColor color)
{
    SetRecorded(m_color, color);
}

void CTextStyle::Erase()
{
    RecordChange(true);
    CEntity::Erase();
}

CEntity* CTextStyle::Clone() const
{
    return new CTextStyle(*this);
}

void CTextStyle::SwapData(CEntity& other)
{
    CEntity::SwapData(other);
    auto& style = dynamic_cast<CTextStyle&>(other);
    std::swap(m_font, style.m_font);
    std::swap(m_leaderArrow, style.m_leaderArrow);
    std::swap(m_lineWeight, style.m_lineWeight);
    std::swap(m_firstFlag, style.m_firstFlag);
    std::swap(m_leaderType, style.m_leaderType);
    std::swap(m_secondFlag, style.m_secondFlag);
    std::swap(m_fontKind, style.m_fontKind);
    std::swap(m_color, style.m_color);
}

CTarnwickModel* CTextStyle::GetModel() const
{
    return m_model;
}

int CTextStyle::GetTypeId() const
{
    return kTypeTextStyle;
}

void CTextStyle::Serialize(CArchive& ar)
{
    CEntity::Serialize(ar);
    if (ar.IsLoading()) {
        ReadRecord(ar);
    } else {
        WriteRecord(ar);
    }
}

void CTextStyle::ReadRecord(CArchive& ar)
{
    const int version = GetLoadedClassVersion(RUNTIME_CLASS(CTextStyle));
    CEntity* font = nullptr;
    if (version == kInlineFontVersion) {
        FontDescription description;
        description.face = ArchiveReadString(ar);
        ar >> description.pointSize;
        description.bold = ArchiveReadBool(ar);
        description.italic = ArchiveReadBool(ar);
        static_cast<void>(ArchiveReadString(ar));  // the path of those files is not used
        font = FindOrCreateFont(GetCurrentModel(), description);
    } else {
        font = ReadFontReference(ar);
    }
    ReplaceFontReference(m_font, font);
    ar >> m_leaderType >> m_lineWeight;
    m_firstFlag = ArchiveReadBool(ar);
    ar >> m_leaderArrow;
    m_secondFlag = ArchiveReadBool(ar);
    if (version >= 2) {
        ar >> m_color;
    } else {
        m_color = CColor(0, 0, 0, 255);
    }
}

void CTextStyle::WriteRecord(CArchive& ar) const
{
    ar.WriteObject(m_font);
    ar << m_leaderType << m_lineWeight;
    ArchiveWriteBool(ar, m_firstFlag);
    ar << m_leaderArrow;
    ArchiveWriteBool(ar, m_secondFlag);
    ar << m_color;
}

int CTextStyle::CheckValidity(int mode, CValidityResultMap* results)
{
    return RunAnnotationCheck(*this, RUNTIME_CLASS(CTextStyle), results, [&]() {
        const int base = CEntity::CheckValidity(mode, results);
        if (base != kValiditySound) {
            return base;
        }
        CAnnotationCheck check(*this, mode);
        if (!IsFont(m_font)) {
            check.Broken(kMsgStyleBadFont, kValidityBroken);
        }
        return check.GetSeverity();
    });
}
