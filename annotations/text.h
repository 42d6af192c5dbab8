#pragma once
// CText: the model's text annotation, a label that either sits at a fixed place of the
// window (a screen text) or hangs on a point of the model through a leader whose
// vector is kept in screen axes (kind 1) or in model space (kind 2). Its font is its
// own or, when it has none, the font of the model's text style.

#include <cstdint>
#include <memory>
#include <vector>

#include "document/modelpointref.h"
#include "foundation/point3d.h"
#include "foundation/vector3d.h"
#include "model/drawingelement.h"
#include "platform/cstring.h"

class CAnnotationCheck;
class IGLTextImageCache;

class CText : public CDrawingElement
{
    DECLARE_SERIAL(CText)

public:
    enum LeaderKind : std::int32_t
    {
        kScreenText = 0,
        kScreenLeader = 1,
        kModelLeader = 2
    };

    enum SideMode : std::int32_t
    {
        kSideAutomatic = 0,
        kSideRight = 1,
        kSideLeft = 2
    };

    // An empty screen text at the centre of the window.
    CText();
    // Every stored field, the anchor, the font (shared), the screen point and the
    // visible flag.
    CText(const CText& other);
    ~CText() override;

    // Reads or writes the text record; a backslash and "n" in a stored text become a
    // line feed. Throws the archive exception on bad input, badClass for a font or
    // anchor reference to another class; a screen position out of range or not finite
    // reads as 0.5 (the latter said on standard error), a normal that is not finite as
    // (0, 0, 1) (said as well).
    void Serialize(CArchive& ar) override;
    // Records the change, releases the own font, then erases the drawing element.
    void Erase() override;
    // Goes with a group of entities only when what its anchor hangs on goes with it.
    bool CollectDependents(CEntitySet& set) override;
    [[nodiscard]] CEntity* Clone() const override;
    // Exchanges every stored field, the anchor and the drawing-element part (the back
    // references follow the anchors); the other entity must be a text.
    void SwapData(CEntity& other) override;
    // Moves the text as a text listed alone: TransformBy with code 2.
    void Transform(const CTransformation& transform) override;
    // The mode of TransformBy that the component code asks for.
    static constexpr std::uint32_t kComponentMode = 1;
    // Moves the text by the transformation; the code tells how the entity merger met it
    // (1 through its anchor, 2 listed alone, 3 listed with its anchor). A free anchor
    // moves; a model leader's text point follows the transformation; a screen leader
    // turns as its model leader does for the active view (without one it keeps its
    // place); a screen text keeps its place. In the component mode a model leader turns
    // and stretches as a vector whatever moved, and a screen text's place moves as the
    // point (x, y, 0). Nothing for the identity.
    void TransformBy(const CTransformation& transform, std::uint32_t mode, std::int32_t code);
    // The anchor's reaction (see CModelPointRef::OnReferenceChanged); the face side
    // turns with a reversed face, or with a face now facing against the former one.
    void OnReferenceChanged(int code, CEntity* changed, CEntity* argument) override;
    // Registers the text as referrer of what its anchor hangs on, when attached.
    void OnModified() override;
    void OnErased() override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    // The visitor's text callback.
    bool Accept(IEntityVisitor* visitor) override;
    [[nodiscard]] int GetTypeId() const override;
    // The label is rendered again on the next draw.
    void OnGeometryChanged() override;
    // Leader, end mark and label, named for picking; nothing below full detail, when not
    // shown, or when its anchor is cut away by a section plane.
    void Draw(ITarnisView* view) override;
    // The leader and end mark, the label's glyphs by their pixels in the text's font, and
    // the depth read of a label drawn on top.
    [[nodiscard]] std::uint64_t GetDrawingWeight(bool shadows) const override;
    // Not on a hidden layer or instance, not while annotations are hidden, not with the
    // anchor at the eye, off the window or (for texts drawn on top) behind the model.
    [[nodiscard]] bool IsShown(ITarnisView* view) const override;
    // An attached text's anchor, and a model leader's text point, through the
    // transformation; nothing for a screen text, whose place depends on the view.
    void AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const override;
    // The anchor and text point of an attached text and the corners of the label inside;
    // not with a shown leader whose anchor is cut away, nor a screen text while texts
    // all count as visible.
    [[nodiscard]] bool IsSelectedBy(IPickHelper* selector, const CInstancePath* path) const override;

    // The points the text is drawn from: the anchor, the text point, the end of the
    // shoulder and the label's point, with the label's placement code (9 right of its
    // point, 10 left of it) and text alignment.
    struct Layout
    {
        CPoint3d points[4];
        int placement = 9;
        int alignment = 0;
    };
    [[nodiscard]] Layout LayoutText(ITarnisView* view);

    // --- as a view places the text (annotations/textextents.cpp) ---
    // The label's placement point of the layout for the view, with its placement code
    // and text alignment.
    CPoint3d ComputeLayoutBox(ITarnisView* view, int& placement, int& alignment);
    using CDrawingElement::GetBoundingBox;
    // The label's point and box, the anchor and the text point; empty for a screen text
    // and without a view.
    [[nodiscard]] CBoundingBox3d GetBoundingBox(ITarnisView* view) const;
    // The window positions of those points that the view projects.
    void AccumulateExtentsVariant(ITarnisView* view, CBoundingBox3d& box) const override;
    // The model point a screen text at the pixel stands on: on the near plane where the
    // model reaches it, else on the model surface under the pixel, else at the depth of
    // the model's front.
    [[nodiscard]] static CPoint3d ScreenToModelPoint(ITarnisView* view, double x, double y);
    // The text point for the view: the anchor plus the leader in model space.
    [[nodiscard]] CPoint3d GetTextPoint(ITarnisView* view) const;
    [[nodiscard]] bool IsLabelVisible(ITarnisView* view) const;

    [[nodiscard]] bool RefersTo(const CEntity* entity) const;

    [[nodiscard]] const CString& GetText() const { return m_text; }
    void SetText(const CString& text);
    // The own font; null means the text style's.
    [[nodiscard]] CEntity* GetFont() const { return m_font; }
    // Nothing for the same font; records the change when asked, releases the old font
    // and references the new one.
    void SetFont(CEntity* font, bool record);
    // The own font, else the font of the current model's text style; may be null.
    [[nodiscard]] CEntity* GetEffectiveFont() const;

    [[nodiscard]] const CVector3d& GetNormal() const { return m_normal; }
    // Stores the normal when a component differs by 0.001 or more.
    void SetNormal(const CVector3d& normal);
    [[nodiscard]] std::int32_t GetArrow() const { return m_arrow; }
    void SetArrow(std::int32_t arrow);
    [[nodiscard]] std::int32_t GetLineWeight() const { return m_lineWeight; }
    void SetLineWeight(std::int32_t weight);
    [[nodiscard]] bool HasFacingTest() const { return m_facingTest; }
    void SetFacingTest(bool on);
    [[nodiscard]] bool GetExtraFlag() const { return m_extraFlag; }
    void SetExtraFlag(bool flag);

    [[nodiscard]] std::int32_t GetLeaderKind() const { return m_leaderKind; }
    // Stores the kind as it is, without converting the leader vector.
    void SetLeaderKindValue(std::int32_t kind);
    // Turns a screen leader into a model leader or back as the view shows it, so that
    // the text point stays where it is on the screen, and makes the text face the view.
    // Nothing without a view, for a screen text or for a screen text to be.
    void SetLeaderKind(std::int32_t kind, ITarnisView* view);
    [[nodiscard]] bool IsAttached() const { return m_leaderKind != kScreenText; }
    [[nodiscard]] bool IsLeaderShown() const { return m_leaderShown; }
    // Showing the leader makes the side automatic again; hiding it freezes an automatic
    // side as the view shows it (without a view the side stays automatic).
    void SetLeaderShown(bool shown, ITarnisView* view = nullptr);
    [[nodiscard]] std::int32_t GetSideMode() const { return m_sideMode; }
    [[nodiscard]] bool GetFaceSide() const { return m_faceSide; }

    [[nodiscard]] const CModelPointRef& GetAnchor() const { return m_anchor; }
    // Records the change and moves the back references to the new anchor.
    void SetAnchor(const CModelPointRef& anchor, bool faceSide);
    [[nodiscard]] CPoint3d GetAnchorPoint() const;
    [[nodiscard]] const CVector3d& GetLeaderVector() const { return m_leaderVector; }
    void SetLeaderVector(double x, double y, double z);
    [[nodiscard]] double GetScreenX() const { return m_screenX; }
    [[nodiscard]] double GetScreenY() const { return m_screenY; }
    void SetScreenPosition(double x, double y);

private:
    void ReadRecord(CArchive& ar);
    void ReadFont(CArchive& ar, int version);
    void SayScreenPositionMended() const;
    [[nodiscard]] static CModelPointRef OldAnchor(CEntity* entity, const CPoint3d& position);
    // The plane of the face the anchor hangs on, in model coordinates; false off faces.
    bool GetAnchorFacePlane(CPlane3d& out) const;
    void WriteRecord(CArchive& ar);
    // Mends the values the check repairs; the reader runs it on what a file holds.
    void RepairValues(CAnnotationCheck* check);
    int CheckText(int mode, CValidityResultMap* results);
    [[nodiscard]] CVector3d GetModelLeader(ITarnisView* view) const;
    // The model leader moved: as a vector, or with its text point from the anchor before.
    [[nodiscard]] CVector3d CarryLeader(const CTransformation& transform, const CPoint3d& anchor,
                                        bool asVector) const;
    [[nodiscard]] CVector3d GetScreenLeader(ITarnisView* view) const;
    void DrawLabel(ITarnisView* view, bool normal);
    [[nodiscard]] bool IsAnchorPathShown(ITarnisView* view) const;

    CString m_text;
    double m_screenX = 0.5;
    double m_screenY = 0.5;
    CModelPointRef m_anchor;
    CVector3d m_leaderVector;
    bool m_faceSide = true;
    CVector3d m_normal{0.0, 0.0, 1.0};
    bool m_extraFlag = false;
    CEntity* m_font = nullptr;  // a CTwFont
    std::int32_t m_arrow = 0;
    std::int32_t m_lineWeight = 1;
    bool m_facingTest = false;
    bool m_leaderShown = true;
    std::int32_t m_leaderKind = kScreenText;
    std::int32_t m_sideMode = kSideAutomatic;
    [[nodiscard]] std::vector<CPoint3d> GetViewPoints(ITarnisView* view) const;

    CPoint3d m_screenPoint;
    mutable bool m_visible = true;
    std::unique_ptr<IGLTextImageCache> m_textImage;
};
