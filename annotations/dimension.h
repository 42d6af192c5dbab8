#pragma once
// CDimension: the common base of the linear and the radial dimension. It holds the
// label text the user typed (empty: the label shows the measured value; "<>" in it
// stands for that value) and the record part both kinds share, and it adds the
// operations through which the kinds tell what they measure and refer to. A plain
// CDimension read from a file measures nothing.

#include <cstdint>
#include <memory>

#include "foundation/plane3d.h"
#include "model/drawingelement.h"
#include "platform/cstring.h"

class CDimensionStyle;
class CEntitySet;
class IGLTextImageCache;

class CDimension : public CDrawingElement
{
    DECLARE_SERIAL(CDimension)

public:
    CDimension();
    // The drawing-element part and the label text; the forced display flag starts
    // cleared.
    CDimension(const CDimension& other);
    ~CDimension() override;

    // Reads or writes the drawing-element part and the label text; a backslash and
    // "n" in a stored label become a line feed. Throws the archive exception on bad input.
    void Serialize(CArchive& ar) override;
    // Records the change, lets the label image go, then erases the drawing element.
    void Erase() override;
    // The label is rendered again on the next draw.
    void OnGeometryChanged() override;
    // Lines, end marks and label, named for picking; nothing below full detail, when
    // not shown, or when the style drops it as too oblique or too small (unless hidden
    // geometry or the forced display asks for it stippled).
    void Draw(ITarnisView* view) override;
    // Not shown on a hidden layer, while the options hide annotations, or when its
    // plane is seen edge-on.
    [[nodiscard]] bool IsShown(ITarnisView* view) const override;
    // The selection colour, the layer colour when edges take it, the style's highlight
    // for a dimension hanging on nothing, else the style's colour.
    [[nodiscard]] CColor GetDrawColor(ITarnisView* view) const override;
    [[nodiscard]] CEntity* Clone() const override;
    // Moves the dimension as one listed alone: Transform with mode 0 and kind 2.
    void Transform(const CTransformation& transform) override;
    // Moves the dimension by the transformation. The kind tells how the entity merger
    // met it (1 through what it measures, 2 listed alone, 3 listed with it); the mode is
    // the merger's context. The base moves nothing.
    virtual void Transform(const CTransformation& transform, std::uint32_t mode, std::int32_t kind);
    // Exchanges the drawing-element part and the label text; the other entity must be
    // a dimension.
    void SwapData(CEntity& other) override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;
    [[nodiscard]] bool CanHaveMaterial() const override;
    // The visitor's dimension callback.
    bool Accept(IEntityVisitor* visitor) override;

    // Whether the dimension refers to the entity (as a measured point or edge).
    [[nodiscard]] virtual bool RefersTo(const CEntity* entity) const;
    // False while the dimension hangs on nothing it measures (a free point, no edge).
    [[nodiscard]] virtual bool IsAssociated() const;
    // Adds what the dimension hangs on to the set; the base hangs on nothing.
    virtual void AddReferencedEntities(CEntitySet& set) const;
    // Hangs on the new entity where it hung on the old one (or lets go without a new one).
    virtual void ReplaceEntity(CEntity* oldEntity, CEntity* newEntity);
    // Lets go of what it hangs on outside the set; with markOnly only the next write
    // stores the dimension as hanging on nothing, the dimension in memory stays as it is.
    virtual void DetachFromEntitiesOutside(const CEntitySet& set, bool markOnly);
    // Lets go of what it hangs on that the set holds: those entities are going away. The
    // flag is the caller's; no kind reads it.
    virtual void OnEntitiesRemoved(const CEntitySet& set, bool flag);

    [[nodiscard]] const CString& GetLabelText() const { return m_labelText; }
    // Records the change only when the text differs.
    void SetLabelText(const CString& text);
    // Set by the code that shows dimensions the view would drop; never stored.
    [[nodiscard]] bool IsForcedDisplay() const { return m_forcedDisplay; }
    void SetForcedDisplay(bool forced) { m_forcedDisplay = forced; }

    // The label as shown for a measured text: the measured text when the label text is
    // empty, else the label text with every "<>" replaced by the measured text.
    // overridden is true when a label text holds no "<>".
    [[nodiscard]] CString ApplyTextOverride(const CString& measured, bool& overridden) const;

    // The measured text shown through the label text.
    [[nodiscard]] CString GetDisplayText(ITarnisView* view, bool& overridden);
    // 0 (the line colour) for a selected dimension and where the style gives none.
    [[nodiscard]] CColor GetLabelColor(bool overridden) const;
    // The style's end mark in the plane at the point.
    void DrawEndMark(ITarnisView* view, const CPlane3d& plane, const CPoint3d& point, const CVector3d& direction);

    // The plane the dimension lies in and the point it is seen at; the base answers the
    // XY plane and the origin.
    [[nodiscard]] virtual CPlane3d GetPlane() const;
    [[nodiscard]] virtual CPoint3d GetAnchorPoint() const;
    // The measured value as text; empty for the base.
    [[nodiscard]] virtual CString GetText(ITarnisView* view);
    // The kinds draw lines, end marks and label; solid is false when stippled.
    virtual void DrawDimension(ITarnisView* view, bool solid);
    // A plain dimension draws nothing: 1. The kinds weigh their lines and label.
    [[nodiscard]] std::uint64_t GetDrawingWeight(bool shadows) const override;
    // The measured length in whole pixels.
    [[nodiscard]] virtual int GetScreenLength(ITarnisView* view);

    // The style of the dimension's model, or of the current model when the dimension
    // has none; null while the model holds no style.
    [[nodiscard]] CDimensionStyle* GetDimensionStyle() const;

protected:
    // The label image, made on first use; null without a view.
    IGLTextImageCache* GetLabelImage(ITarnisView* view);
    // The label image as the last draw left it; null before the first.
    [[nodiscard]] const IGLTextImageCache* GetRenderedLabel() const { return m_labelImage.get(); }
    void ResetLabelImage();
    // What the label costs a frame: its glyphs by their pixels in the style's font, the
    // reduction of a picture wider than one texture and, for a label facing the screen,
    // the depth read that decides whether it is drawn on top.
    [[nodiscard]] std::uint64_t GetLabelWeight(bool inPlane) const;
    // The check of the dimension part, for the kinds to run before their own.
    int CheckDimensionPart(int mode, CValidityResultMap* results);

private:
    CString m_labelText;
    bool m_forcedDisplay = false;
    std::unique_ptr<IGLTextImageCache> m_labelImage;
};

// A measured length in the model's units; a rounded value's leading "~" and blanks go
// unless the style highlights.
[[nodiscard]] CString FormatMeasuredLength(double inches, const CDimensionStyle* style);

// Stored texts write a line break as a backslash and "n"; this turns them into line feeds.
[[nodiscard]] CString ExpandStoredLineBreaks(const CString& text);
