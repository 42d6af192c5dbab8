#include "annotations/dimensionstyle.h"

#include <utility>

#include "annotations/annotationcheck.h"
#include "annotations/annotationlinks.h"
#include "document/component.h"
#include "document/tarnwickmodel.h"
#include "document/versionmap.h"
#include "foundation/repairnotes.h"
#include "foundation/tolerance.h"
#include "model/validitylog.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CDimensionStyle, CEntity, VERSIONABLE_SCHEMA | 4)

namespace {

const CString kSettingsSection = "DimensionStyle";
const CString kDefaultFace = "Arial";

bool IsEndMarkType(std::int32_t type)
{
    return type >= 0 && type <= 4;
}

bool IsLabelPlacement(std::int32_t placement)
{
    return placement >= CDimensionStyle::kLabelAbove && placement <= CDimensionStyle::kLabelBelowUnlessFar;
}

// A model that a file is being read into has nothing cached to refresh, and the walk
// would visit every element of a large one.
void TellRootGeometryChanged()
{
    if (CTarnwickModel* model = GetCurrentModel(); model != nullptr && !model->IsReadingFile()) {
        if (CComponent* root = model->GetRootComponent()) {
            root->OnGeometryChanged();
        }
    }
}

}  // namespace

CDimensionStyle::CDimensionStyle() = default;

CDimensionStyle::CDimensionStyle(CTarnwickModel* model) : m_model(model)
{
    SetDefaults();
}

CDimensionStyle::CDimensionStyle(const CDimensionStyle& other)
    : CEntity(other),
      m_font(other.m_font),
      m_fontKind(other.m_fontKind),
      m_labelInPlane(other.m_labelInPlane),
      m_flip(other.m_flip),
      m_extensionGap(other.m_extensionGap),
      m_extensionOvershoot(other.m_extensionOvershoot),
      m_lineWeight(other.m_lineWeight),
      m_endMarkType(other.m_endMarkType),
      m_endMarkSize(other.m_endMarkSize),
      m_highlight(other.m_highlight),
      m_highlightColor(other.m_highlightColor),
      m_prefix(other.m_prefix),
      m_obliqueHide(other.m_obliqueHide),
      m_obliqueThreshold(other.m_obliqueThreshold),
      m_smallHide(other.m_smallHide),
      m_minimumScreenLength(other.m_minimumScreenLength),
      m_defaultColor(other.m_defaultColor),
      m_labelColor(other.m_labelColor),
      m_labelPlacement(other.m_labelPlacement)
{
}

CDimensionStyle::~CDimensionStyle() = default;

void CDimensionStyle::SetDefaults()
{
    m_fontKind = kTextImageFontKind;
    m_labelInPlane = false;
    m_flip = true;
    m_extensionGap = 5;
    m_extensionOvershoot = 10;
    m_lineWeight = 1;
    m_endMarkType = 3;
    m_endMarkSize = 10;
    m_highlight = false;
    m_highlightColor = CColor(255, 0, 0, 255);
    m_prefix = true;
    m_obliqueHide = false;
    m_obliqueThreshold = 0.6;
    m_smallHide = false;
    m_minimumScreenLength = 10.0;
    m_defaultColor = CColor(64, 64, 64, 255);
    m_labelColor = CColor();
    m_labelPlacement = kLabelCentred;
    CreateDefaultFont();
}

void CDimensionStyle::CreateDefaultFont()
{
    m_fontKind = kTextImageFontKind;
    CEntity* font = CreateFontFromSettings(m_model, kSettingsSection, kDefaultFace);
    if (font != nullptr) {
        ReplaceFontReference(m_font, font);
    }
}

CEntity* CDimensionStyle::GetFont()
{
    if (m_font == nullptr) {
        CreateDefaultFont();
    }
    return m_font;
}

void CDimensionStyle::SetFont(CEntity* font, bool record)
{
    if (ChangeFont(*this, m_font, font, record)) {
        TellRootGeometryChanged();
    }
}

void CDimensionStyle::Erase()
{
    RecordChange(true);
    CEntity::Erase();
}

CEntity* CDimensionStyle::Clone() const
{
    return new CDimensionStyle(*this);
}

void CDimensionStyle::SwapData(CEntity& other)
{
    CEntity::SwapData(other);
    auto& style = dynamic_cast<CDimensionStyle&>(other);
    std::swap(m_font, style.m_font);
    std::swap(m_fontKind, style.m_fontKind);
    std::swap(m_labelInPlane, style.m_labelInPlane);
    std::swap(m_flip, style.m_flip);
    std::swap(m_extensionGap, style.m_extensionGap);
    std::swap(m_extensionOvershoot, style.m_extensionOvershoot);
    std::swap(m_lineWeight, style.m_lineWeight);
    std::swap(m_endMarkType, style.m_endMarkType);
    std::swap(m_endMarkSize, style.m_endMarkSize);
    std::swap(m_highlight, style.m_highlight);
    std::swap(m_highlightColor, style.m_highlightColor);
    std::swap(m_prefix, style.m_prefix);
    std::swap(m_obliqueHide, style.m_obliqueHide);
    std::swap(m_obliqueThreshold, style.m_obliqueThreshold);
    std::swap(m_smallHide, style.m_smallHide);
    std::swap(m_minimumScreenLength, style.m_minimumScreenLength);
    std::swap(m_defaultColor, style.m_defaultColor);
    std::swap(m_labelColor, style.m_labelColor);
    std::swap(m_labelPlacement, style.m_labelPlacement);
}

CTarnwickModel* CDimensionStyle::GetModel() const
{
    return m_model;
}

int CDimensionStyle::GetTypeId() const
{
    return kTypeDimensionStyle;
}

void CDimensionStyle::Serialize(CArchive& ar)
{
    CEntity::Serialize(ar);
    if (ar.IsLoading()) {
        ReadRecord(ar);
    } else {
        WriteRecord(ar);
    }
}

void CDimensionStyle::ReadRecord(CArchive& ar)
{
    const int version = GetLoadedClassVersion(RUNTIME_CLASS(CDimensionStyle));
    std::int32_t storedKind = 0;
    ar >> storedKind;  // every font of a style is drawn through text images, whatever was stored
    m_fontKind = kTextImageFontKind;
    if (version >= 1) {
        if (ReplaceFontReference(m_font, ReadFontReference(ar))) {
            TellRootGeometryChanged();
        }
    }
    SetFontKind(m_font, m_fontKind);
    m_labelInPlane = ArchiveReadBool(ar);
    m_flip = ArchiveReadBool(ar);
    ar >> m_extensionGap;
    if (version >= 3) {
        ar >> m_extensionOvershoot;
    }
    ar >> m_lineWeight >> m_endMarkType;
    if (version >= 3) {
        ar >> m_endMarkSize;
    }
    m_highlight = ArchiveReadBool(ar);
    ar >> m_highlightColor;
    m_prefix = ArchiveReadBool(ar);
    m_obliqueHide = ArchiveReadBool(ar);
    ar >> m_obliqueThreshold;
    m_smallHide = ArchiveReadBool(ar);
    ar >> m_minimumScreenLength;
    if (version >= 2) {
        ar >> m_defaultColor >> m_labelColor;
    }
    if (version >= 4) {
        ar >> m_labelPlacement;
    }
    if (version < 3) {
        // Older programs wrote a weight they never drew with.
        m_lineWeight = 1;
    }
    MendThresholds();
    RepairValues(nullptr);
}

// Both are compared with what the view measures on the screen and written back. The
// check's repair of the angle, 0, is taken for the length as well: a length that is not
// a number hid nothing, and neither does 0.
void CDimensionStyle::MendThresholds()
{
    (void)MendNotFinite(m_obliqueThreshold, 0.0,
                        "the dimension style's oblique threshold is not a finite number; it is read as 0");
    (void)MendNotFinite(m_minimumScreenLength, 0.0,
                        "the dimension style's smallest screen length is not a finite number; it is read as 0");
}

void CDimensionStyle::WriteRecord(CArchive& ar) const
{
    ar << m_fontKind;
    ar.WriteObject(m_font);
    ArchiveWriteBool(ar, m_labelInPlane);
    ArchiveWriteBool(ar, m_flip);
    ar << m_extensionGap << m_extensionOvershoot << m_lineWeight << m_endMarkType << m_endMarkSize;
    ArchiveWriteBool(ar, m_highlight);
    ar << m_highlightColor;
    ArchiveWriteBool(ar, m_prefix);
    ArchiveWriteBool(ar, m_obliqueHide);
    ar << m_obliqueThreshold;
    ArchiveWriteBool(ar, m_smallHide);
    ar << m_minimumScreenLength << m_defaultColor << m_labelColor << m_labelPlacement;
}

int CDimensionStyle::CheckValidity(int mode, CValidityResultMap* results)
{
    return RunAnnotationCheck(*this, RUNTIME_CLASS(CDimensionStyle), results,
                              [&]() { return CheckStyle(mode, results); });
}

int CDimensionStyle::CheckStyle(int mode, CValidityResultMap* results)
{
    const int base = CEntity::CheckValidity(mode, results);
    if (base != kValiditySound) {
        return base;
    }
    CAnnotationCheck check(*this, mode);
    if (!IsFont(m_font)) {
        check.Broken(kMsgStyleBadFont, kValidityBroken);
    }
    if (mode == kValidityModeIgnoreStaleIds) {
        return check.GetSeverity();
    }
    if (m_fontKind < 0 || m_fontKind > kTextImageFontKind) {
        check.Broken(kMsgStyleBadFontKind, kValidityStale);
    }
    RepairValues(&check);
    return check.GetSeverity();
}

void CDimensionStyle::RepairValues(CAnnotationCheck* check)
{
    // Without a check (a file being read) every value is mended silently.
    const auto mend = [check](int id) { return check == nullptr || check->Repairable(id); };
    if (!IsEndMarkType(m_endMarkType) && mend(kMsgStyleBadEndMark)) {
        m_endMarkType = 0;
    }
    if (!IsValidDouble(m_obliqueThreshold) && mend(kMsgStyleBadThreshold)) {
        m_obliqueThreshold = 0.0;
    }
    if (!IsLabelPlacement(m_labelPlacement) && mend(kMsgStyleBadPlacement)) {
        m_labelPlacement = kLabelCentred;
    }
}
