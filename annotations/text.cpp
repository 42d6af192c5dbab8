#include "annotations/text.h"

#include <cmath>
#include <utility>

#include "annotations/annotationcheck.h"
#include "annotations/annotationview.h"
#include "annotations/annotationlinks.h"
#include "annotations/dimension.h"
#include "annotations/pointreferences.h"
#include "annotations/textstyle.h"
#include "document/entitymerger.h"
#include "document/tarnwickmodel.h"
#include "document/versionmap.h"
#include "drawapi/gltextimagecache.h"
#include "drawapi/tarnisview.h"
#include "foundation/geometryarchive.h"
#include "foundation/plane3d.h"
#include "foundation/repairnotes.h"
#include "foundation/tolerance.h"
#include "foundation/transformation.h"
#include "model/edge.h"
#include "model/entityset.h"
#include "model/entityvisitor.h"
#include "model/face.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CText, CDrawingElement, VERSIONABLE_SCHEMA | 9)

namespace {

// Record versions at which the layout changed.
constexpr int kFontVersion = 4;        // the own font
constexpr int kAnchorVersion = 5;      // the anchor as a point reference
constexpr int kLeaderVersion = 6;      // one leader vector
constexpr int kScreenLeaderVersion = 7;  // screen leaders kept unscaled, y upwards
constexpr int kExtraFlagVersion = 8;
constexpr int kSideModeVersion = 9;

bool IsScreenFraction(double value)
{
    return IsValidDouble(value) && value >= -0.001 && value <= 1.001;
}

bool IsInRange(std::int32_t value, std::int32_t last)
{
    return value >= 0 && value <= last;
}

}  // namespace

CText::CText() = default;

CText::CText(const CText& other)
    : CDrawingElement(other),
      m_text(other.m_text),
      m_screenX(other.m_screenX),
      m_screenY(other.m_screenY),
      m_anchor(other.m_anchor),
      m_leaderVector(other.m_leaderVector),
      m_faceSide(other.m_faceSide),
      m_normal(other.m_normal),
      m_extraFlag(other.m_extraFlag),
      m_font(other.m_font),
      m_arrow(other.m_arrow),
      m_lineWeight(other.m_lineWeight),
      m_facingTest(other.m_facingTest),
      m_leaderShown(other.m_leaderShown),
      m_leaderKind(other.m_leaderKind),
      m_sideMode(other.m_sideMode),
      m_screenPoint(other.m_screenPoint),
      m_visible(other.m_visible)
{
}

CText::~CText()
{
    OnGeometryChanged();
}

bool CText::CollectDependents(CEntitySet& set)
{
    if (set.Contains(this) || !m_anchor.IsContainedIn(set)) {
        return false;
    }
    return CDrawingElement::CollectDependents(set);
}

CEntity* CText::Clone() const
{
    return new CText(*this);
}

void CText::SwapData(CEntity& other)
{
    auto& text = dynamic_cast<CText&>(other);
    OnErased();
    text.OnErased();
    CDrawingElement::SwapData(other);
    std::swap(m_text, text.m_text);
    std::swap(m_screenX, text.m_screenX);
    std::swap(m_screenY, text.m_screenY);
    std::swap(m_anchor, text.m_anchor);
    std::swap(m_leaderVector, text.m_leaderVector);
    std::swap(m_faceSide, text.m_faceSide);
    std::swap(m_normal, text.m_normal);
    std::swap(m_extraFlag, text.m_extraFlag);
    std::swap(m_font, text.m_font);
    std::swap(m_arrow, text.m_arrow);
    std::swap(m_lineWeight, text.m_lineWeight);
    std::swap(m_facingTest, text.m_facingTest);
    std::swap(m_leaderShown, text.m_leaderShown);
    std::swap(m_leaderKind, text.m_leaderKind);
    std::swap(m_sideMode, text.m_sideMode);
    OnModified();
    text.OnModified();
}

void CText::Erase()
{
    RecordChange(true);
    OnGeometryChanged();
    ReplaceFontReference(m_font, nullptr);
    CDrawingElement::Erase();
}

void CText::Transform(const CTransformation& transform)
{
    TransformBy(transform, 0, CEntityMerger::kListedOnly);
}

void CText::TransformBy(const CTransformation& transform, std::uint32_t mode, std::int32_t code)
{
    if (transform.IsIdentity()) {
        return;
    }
    RecordChange(true);
    // The merger moves entities before their texts: unless the text was listed without
    // what its anchor hangs on, the anchor has moved by now (a free anchor moves here),
    // and the leader only turns and stretches with the move, as the component code's
    // mode always has it.
    const bool asVector = mode == kComponentMode || code != CEntityMerger::kListedOnly ||
                          m_anchor.GetKind() == CModelPointRef::kFreePoint;
    const CPoint3d anchor = m_anchor.Evaluate();
    m_anchor.Transform(transform);
    if (m_leaderKind == kScreenText) {
        if (mode == kComponentMode) {
            const CPoint3d position = transform * CPoint3d(m_screenX, m_screenY, 0.0);
            m_screenX = position.x;
            m_screenY = position.y;
        }
    } else if (m_leaderKind == kModelLeader) {
        m_leaderVector = CarryLeader(transform, anchor, asVector);
    } else if (ITarnisView* view = GetAnnotationView()) {
        // A screen leader turns as its model leader for the active view does.
        SetLeaderKind(kModelLeader, view);
        m_leaderVector = CarryLeader(transform, anchor, asVector);
        SetLeaderKind(kScreenLeader, view);
    }
    m_anchor.Evaluate();
}

CVector3d CText::CarryLeader(const CTransformation& transform, const CPoint3d& anchor, bool asVector) const
{
    return asVector ? transform * m_leaderVector : (transform * (anchor + m_leaderVector)) - anchor;
}

void CText::OnReferenceChanged(int code, CEntity* changed, CEntity* argument)
{
    CPlane3d before;
    const bool onFace = GetAnchorFacePlane(before);
    if (!m_anchor.OnReferenceChanged(this, code, changed, argument)) {
        return;
    }
    // A reversed face has turned already when it tells its referrers.
    CPlane3d after;
    const bool turned = code == kReferenceFaceReversed ||
                        (onFace && GetAnchorFacePlane(after) &&
                         before.a * after.a + before.b * after.b + before.c * after.c < 0.0);
    if (turned) {
        RecordChange(true);
        m_faceSide = !m_faceSide;
    }
}

bool CText::GetAnchorFacePlane(CPlane3d& out) const
{
    return m_anchor.GetKind() == CModelPointRef::kFacePoint &&
           dynamic_cast<CFace*>(m_anchor.GetFirstEntity()) != nullptr && m_anchor.GetPlane(out);
}

void CText::OnModified()
{
    if (IsAttached()) {
        m_anchor.AddReferences(this);
    }
}

void CText::OnErased()
{
    if (IsAttached()) {
        m_anchor.RemoveReferences(this);
    }
}

int CText::GetTypeId() const
{
    return kTypeText;
}

bool CText::RefersTo(const CEntity* entity) const
{
    return m_anchor.RefersTo(entity);
}

void CText::SetText(const CString& text)
{
    SetRecorded(m_text, text);
}

void CText::SetFont(CEntity* font, bool record)
{
    ChangeFont(*this, m_font, font, record);
}

CEntity* CText::GetEffectiveFont() const
{
    if (m_font != nullptr) {
        return m_font;
    }
    CTextStyle* style = GetModelTextStyle(GetCurrentModel());
    return style != nullptr ? style->GetFont() : nullptr;
}

void CText::SetNormal(const CVector3d& normal)
{
    if (std::abs(normal.x - m_normal.x) < 0.001 && std::abs(normal.y - m_normal.y) < 0.001 &&
        std::abs(normal.z - m_normal.z) < 0.001) {
        return;
    }
    RecordChange(true);
    m_normal = normal;
}

void CText::SetArrow(std::int32_t arrow)
{
    SetRecorded(m_arrow, arrow);
}

void CText::SetLineWeight(std::int32_t weight)
{
    SetRecorded(m_lineWeight, weight);
}

void CText::SetFacingTest(bool on)
{
    SetRecorded(m_facingTest, on);
}

void CText::SetExtraFlag(bool flag)
{
    SetRecorded(m_extraFlag, flag);
}

void CText::SetLeaderKindValue(std::int32_t kind)
{
    if (kind == m_leaderKind) {
        return;
    }
    RecordChange(true);
    OnErased();
    m_leaderKind = kind;
    OnModified();
}

void CText::SetLeaderKind(std::int32_t kind, ITarnisView* view)
{
    const bool attachedKind = kind == kScreenLeader || kind == kModelLeader;
    if (!attachedKind || !IsAttached() || kind == m_leaderKind || view == nullptr) {
        return;
    }
    RecordChange(true);
    m_leaderVector = kind == kModelLeader ? GetModelLeader(view) : GetScreenLeader(view);
    m_leaderKind = kind;
    SetNormal(view->GetCameraState().viewDirection);
}

void CText::SetLeaderShown(bool shown, ITarnisView* view)
{
    if (shown == m_leaderShown) {
        return;
    }
    RecordChange(true);
    m_leaderShown = shown;
    if (shown) {
        m_sideMode = kSideAutomatic;
        return;
    }
    const CVector3d d = view != nullptr ? GetScreenLeader(view) : CVector3d();
    if (m_sideMode == kSideAutomatic && d.GetLength() >= 0.001) {
        m_sideMode = d.x >= 0.0 ? kSideRight : kSideLeft;
    }
}

void CText::SetAnchor(const CModelPointRef& anchor, bool faceSide)
{
    RecordChange(true);
    OnErased();
    m_anchor = anchor;
    m_faceSide = faceSide;
    OnModified();
}

CPoint3d CText::GetAnchorPoint() const
{
    return EvaluatePoint(m_anchor);
}

void CText::SetLeaderVector(double x, double y, double z)
{
    RecordChange(true);
    m_leaderVector = CVector3d(x, y, z);
}

void CText::SetScreenPosition(double x, double y)
{
    RecordChange(true);
    m_screenX = x;
    m_screenY = y;
}

void CText::Serialize(CArchive& ar)
{
    CDrawingElement::Serialize(ar);
    if (ar.IsLoading()) {
        ReadRecord(ar);
    } else {
        WriteRecord(ar);
    }
}

void CText::ReadRecord(CArchive& ar)
{
    const int version = GetLoadedClassVersion(RUNTIME_CLASS(CText));
    if (version == 0) {
        OnModified();
        return;
    }
    ReadFont(ar, version);
    CEntity* oldAnchorEntity = version < kAnchorVersion ? ReadDrawingElement(ar) : nullptr;
    // A position that is not finite is mended with those out of range, below.
    ar >> m_screenX >> m_screenY;
    SayScreenPositionMended();
    CPoint3d oldAnchorPosition;
    if (version < kAnchorVersion) {
        ar >> oldAnchorPosition;
        m_anchor = OldAnchor(oldAnchorEntity, oldAnchorPosition);
    } else {
        m_anchor.Read(ar);
    }
    CVector3d screenLeader;  // A: the leader of a kind-1 text
    CPoint3d oldTextPoint;   // T
    CVector3d modelLeader;   // B: the leader of a kind-2 text
    if (version < kLeaderVersion) {
        ar >> screenLeader;
        if (version < kAnchorVersion) {
            ar >> oldTextPoint;
        } else {
            ar >> modelLeader;
        }
    } else {
        ar >> m_leaderVector;
    }
    // Only the facing test reads the normal, and every read switches it off; a normal
    // that is not finite faces as a text laid on the ground does.
    ar >> AsStored(m_normal);
    (void)MendNotFinite(m_normal, CVector3d(0.0, 0.0, 1.0),
                        "a text's normal is not a finite number; it is read as the ground's normal (up)");
    // Before scales were stored a screen leader kept its size.
    double scale = 1.0;
    if (version >= 3 && version < kExtraFlagVersion) {
        ar >> Finite(scale);
    }
    ar >> m_leaderKind;
    if (version < kAnchorVersion && IsAttached()) {
        modelLeader = oldTextPoint - oldAnchorPosition;
    }
    if (version < kLeaderVersion) {
        if (m_leaderKind == kScreenLeader) {
            m_leaderVector = screenLeader;
        } else if (m_leaderKind == kModelLeader) {
            m_leaderVector = modelLeader;
        }
    }
    ar >> m_lineWeight;
    m_faceSide = ArchiveReadBool(ar);
    static_cast<void>(ArchiveReadBool(ar));
    m_facingTest = false;  // every text read shows from all sides
    ar >> m_arrow;
    if (version >= 2) {
        m_leaderShown = ArchiveReadBool(ar);
    }
    m_text = ExpandStoredLineBreaks(ArchiveReadString(ar));
    if (m_leaderKind == kScreenLeader && version < kScreenLeaderVersion) {
        m_leaderVector = CVector3d(m_leaderVector.x * scale, -m_leaderVector.y * scale, m_leaderVector.z * scale);
    }
    if (version >= kExtraFlagVersion) {
        m_extraFlag = ArchiveReadBool(ar);
    }
    m_sideMode = kSideAutomatic;
    if (version >= kSideModeVersion) {
        ar >> m_sideMode;
    }
    RepairValues(nullptr);
    OnModified();
}

void CText::SayScreenPositionMended() const
{
    if (!std::isfinite(m_screenX) || !std::isfinite(m_screenY)) {
        CRepairNotes::Say("a text's screen position is not a finite number; it is read as the window's centre");
    }
}

void CText::ReadFont(CArchive& ar, int version)
{
    if (version < kFontVersion) {
        return;
    }
    CEntity* font = ReadFontReference(ar);
    if (font == nullptr) {
        if (CTextStyle* style = GetModelTextStyle(GetCurrentModel())) {
            font = style->GetFont();
        }
    }
    ReplaceFontReference(m_font, font);
}

// Old files name the entity a text hangs on and the point: edges and faces keep the
// text on them; anything else leaves it as a free point there rather than at no point.
CModelPointRef CText::OldAnchor(CEntity* entity, const CPoint3d& position)
{
    if (auto* edge = dynamic_cast<CEdge*>(entity)) {
        return MakeEdgePoint(edge, position);
    }
    if (auto* face = dynamic_cast<CFace*>(entity)) {
        return MakeFacePoint(face, position);
    }
    return CModelPointRef(position);
}

void CText::WriteRecord(CArchive& ar)
{
    ar.WriteObject(m_font);
    ar << m_screenX << m_screenY;
    m_anchor.Write(ar);
    ar << m_leaderVector << m_normal << m_leaderKind << m_lineWeight;
    ArchiveWriteBool(ar, m_faceSide);
    ArchiveWriteBool(ar, m_facingTest);
    ar << m_arrow;
    ArchiveWriteBool(ar, m_leaderShown);
    ArchiveWriteString(ar, m_text);
    ArchiveWriteBool(ar, m_extraFlag);
    ar << m_sideMode;
}

int CText::CheckValidity(int mode, CValidityResultMap* results)
{
    return RunAnnotationCheck(*this, RUNTIME_CLASS(CText), results, [&]() { return CheckText(mode, results); });
}

int CText::CheckText(int mode, CValidityResultMap* results)
{
    const int base = CDrawingElement::CheckValidity(mode, results);
    if (base != kValiditySound) {
        return base;
    }
    CAnnotationCheck check(*this, mode);
    if (!IsValidVector(m_leaderVector)) {
        check.Broken(kMsgTextBadLeader, kValidityBroken);
    }
    if (!IsValidVector(m_normal)) {
        check.Broken(kMsgTextBadNormal, kValidityBroken);
    }
    if (m_font != nullptr && (!IsFont(m_font) || m_font->CheckValidity(mode, results) != kValiditySound)) {
        check.Broken(kMsgTextBadFont, kValidityBroken);
    }
    RepairValues(&check);
    return check.GetSeverity();
}

void CText::RepairValues(CAnnotationCheck* check)
{
    // Without a check (a file being read) every value is mended silently.
    const auto mend = [check](int id) { return check == nullptr || check->Repairable(id); };
    if (!IsScreenFraction(m_screenX) && mend(kMsgTextBadScreenX)) {
        m_screenX = 0.5;
    }
    if (!IsScreenFraction(m_screenY) && mend(kMsgTextBadScreenY)) {
        m_screenY = 0.5;
    }
    if (!IsInRange(m_arrow, 4) && mend(kMsgTextBadArrow)) {
        m_arrow = 0;
    }
    if (!IsInRange(m_leaderKind, kModelLeader) && mend(kMsgTextBadLeaderKind)) {
        m_leaderKind = kScreenText;
    }
    if (!IsInRange(m_sideMode, kSideLeft) && mend(kMsgTextBadSideMode)) {
        m_sideMode = kSideAutomatic;
    }
}

bool CText::Accept(IEntityVisitor* visitor)
{
    return visitor == nullptr || visitor->OnText(this);
}
