#pragma once
// CDrawingElement: an entity that can be drawn, picked, coloured and put on a layer.
// It adds a word of display and shadow flags, a use-counted material and a layer,
// and the operations through which the view draws an element, decides whether it is
// shown and picks the colour to draw it in. Drawing code receives the view, through
// which it reaches the model-view services and the drawing context.

#include <cstdint>

#include "foundation/boundingbox3d.h"
#include "foundation/color.h"
#include "model/entity.h"

struct CBoundedLine3d;
class CInstancePath;
class CLayer;
class IEntityVisitor;
class CMaterial;
class IExportSink;
class IModelView;
class IPickHelper;
class ITarnisView;
struct CLine3d;
struct CPoint3d;
struct ShadowPassSettings;

namespace orvell::geometry {
class IGeomFilter;
}

class CDrawingElement : public CEntity
{
    DECLARE_SERIAL(CDrawingElement)

public:
    // Flag bits. Only the low 14 bits are the element's; bits above are kept as
    // they are. Bits 0x80 to 0x800 are run-time marks of other code.
    static constexpr std::uint32_t kFlagHidden = 0x1;
    static constexpr std::uint32_t kFlagCastsShadows = 0x2;
    static constexpr std::uint32_t kFlagReceivesShadows = 0x4;
    static constexpr std::uint32_t kFlagSoft = 0x8;
    static constexpr std::uint32_t kFlagSmooth = 0x10;
    static constexpr std::uint32_t kFlagSecondHighlight = 0x20;
    static constexpr std::uint32_t kFlagSelected = 0x40;
    static constexpr std::uint32_t kFlagsStored = 0x3F;        // 0x1 to 0x20
    static constexpr std::uint32_t kFlagsRunTime = 0xFC0;      // 0x40 to 0x800
    static constexpr std::uint32_t kFlagsLoadCleared = 0x7C0;  // 0x40 to 0x400
    static constexpr std::uint32_t kFlagsOwn = 0x3FFF;
    static constexpr std::uint32_t kFlagsDefault = kFlagCastsShadows | kFlagReceivesShadows;

    // Flags 0x6; no material; the current layer of the current model when that is not
    // the default layer.
    CDrawingElement();
    // Stored bits copied, run-time bits cleared, the same material and layer; the
    // copy takes no material use.
    CDrawingElement(const CDrawingElement& other);
    ~CDrawingElement() override;

    // Reads or writes the drawing-element part after the entity part. Throws the
    // archive exception on bad input; a material or layer reference of another class
    // is badClass.
    void Serialize(CArchive& ar) override;
    // The material loses a use, then the entity is erased.
    void Erase() override;
    [[nodiscard]] CEntity* Clone() const override;
    // The other entity must be a drawing element.
    void SwapData(CEntity& other) override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;
    [[nodiscard]] CEntity* GetParent() const override { return m_parent; }

    virtual void OnGeometryChanged();
    virtual void Draw(ITarnisView* view);
    virtual void DrawIfShown(ITarnisView* view);
    virtual void DrawShadow(ITarnisView* view, ShadowPassSettings* settings);
    // What drawing the element costs a frame, in the frame meter's units, weighed from
    // what it holds (corners, characters, points, pixels) beside its own drawing code;
    // shadows: the sun's shadows are on, so a face that casts one is drawn again. The
    // count made at opening sums these over every path that draws the element.
    [[nodiscard]] virtual std::uint64_t GetDrawingWeight(bool shadows) const;
    // Adds the element's points, transformed, to the box.
    virtual void AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const;
    // Adds the element's points as the view projects them.
    virtual void AccumulateExtentsVariant(ITarnisView* view, CBoundingBox3d& box) const;
    virtual void GetExtents(CBoundingBox3d& box) const;
    [[nodiscard]] virtual bool IsPickable(const orvell::geometry::IGeomFilter* filter) const;
    [[nodiscard]] virtual CBoundingBox3d GetBoundingBox() const;
    // The view may be null: then only the element's own flags and layer count.
    [[nodiscard]] virtual bool IsShown(ITarnisView* view) const;
    [[nodiscard]] virtual bool IsHidden(ITarnisView* view) const;
    [[nodiscard]] virtual bool IsLayerHidden(ITarnisView* view) const;
    // Whether the element lies wholly inside what the selector picks; here, all eight
    // corners of its box.
    [[nodiscard]] virtual bool IsSelectedBy(IPickHelper* selector, const CInstancePath* path) const;
    // 0 when the line misses; classes with geometry answer a code and the point.
    [[nodiscard]] virtual int IntersectLine(const CLine3d& line, CPoint3d& point) const;
    // Whether the pick ray hits the element; the hit point and the path to it are
    // written on a hit.
    [[nodiscard]] virtual bool IntersectPickRay(const CBoundedLine3d& ray, double pixelScale,
                                                CPoint3d& hitPoint, double& hitParameter,
                                                CInstancePath* hitPath, bool skipHidden) const;
    [[nodiscard]] virtual bool IsOnSelectedPath(ITarnisView* view) const;
    virtual void SetSmooth(bool smooth);
    [[nodiscard]] virtual bool CanHaveMaterial() const;
    [[nodiscard]] virtual CMaterial* GetMaterial() const;
    virtual void SetMaterial(CMaterial* material);
    [[nodiscard]] virtual CMaterial* GetDisplayMaterial(ITarnisView* view) const;
    [[nodiscard]] virtual bool UsesDefaultLayer() const;
    // The own layer, else the default layer of the model's (or the current) layer
    // manager; null when there is no manager.
    [[nodiscard]] virtual CLayer* GetEffectiveLayer() const;
    virtual void SetLayer(CLayer* layer);
    virtual void EraseFromComponent(CComponent* component);
    virtual void CopyPropertiesFrom(const CDrawingElement* other);
    virtual void InstanceHook(ITarnisView* view);
    [[nodiscard]] virtual bool IsInstance() const;
    // The component the element holds or places: a component itself, an instance's
    // definition. Null for every other element, so that walks over long entity lists
    // need no type test per element.
    [[nodiscard]] virtual const CComponent* GetNestedComponent() const;
    virtual bool ExportTessellation(IExportSink* sink);
    // Offers the element to the visitor; answers whether the walk goes on. An element
    // with nothing to offer lets the walk go on.
    virtual bool Accept(IEntityVisitor* visitor);
    virtual void NotifyGeometryChanged();
    virtual void NotifyDependents();
    virtual void ApplyColor(ITarnisView* view, CColor color);
    virtual void ApplyMaterial(ITarnisView* view);
    // The foreground colour of the options the view draws with; opaque black without
    // a view.
    [[nodiscard]] virtual CColor GetForegroundColor(ITarnisView* view) const;
    [[nodiscard]] virtual CColor GetDrawColor(ITarnisView* view) const;
    // Selected, or on a selected instance path while the component highlight is on:
    // drawn in a selection colour.
    [[nodiscard]] bool IsHighlighted(ITarnisView* view) const;
    // The colour of a plain-colour material, else the fallback's default material
    // colour; 0 when neither gives one.
    [[nodiscard]] virtual CColor GetOwnColor(IModelView* fallback) const;
    [[nodiscard]] virtual bool CanHighlight() const;

    [[nodiscard]] std::uint32_t GetFlags() const { return m_flags; }
    [[nodiscard]] bool HasFlag(std::uint32_t bit) const { return (m_flags & bit) != 0; }
    // Sets or clears bits without recording: for run-time marks and the selection.
    void SetFlagBits(std::uint32_t bits, bool on);

    [[nodiscard]] bool IsHiddenFlagSet() const { return HasFlag(kFlagHidden); }
    [[nodiscard]] bool IsSelected() const { return HasFlag(kFlagSelected); }
    [[nodiscard]] bool IsSoft() const { return HasFlag(kFlagSoft); }
    [[nodiscard]] bool IsSmooth() const { return HasFlag(kFlagSmooth); }
    [[nodiscard]] bool CastsShadows() const { return HasFlag(kFlagCastsShadows); }
    [[nodiscard]] bool ReceivesShadows() const { return HasFlag(kFlagReceivesShadows); }

    // Each records the change first when the value differs.
    void SetHidden(bool hidden);
    void SetCastsShadows(bool casts);
    void SetSoft(bool soft);

    // The layer field itself; null means the default layer.
    [[nodiscard]] CLayer* GetLayer() const { return m_layer; }

    // Makes the material the current material manager's plain-colour material of the
    // colour. Nothing for colour 0, for elements without material, or when the
    // material already is that plain colour.
    void SetMaterialByColour(CColor color, bool record);
    // 0 without material.
    [[nodiscard]] CColor GetMaterialColor() const;

    [[nodiscard]] bool IsUnderFlaggedInstance(ITarnisView* view) const;
    [[nodiscard]] bool IsUnderHiddenInstance(ITarnisView* view) const;

protected:
    [[nodiscard]] CEntity* GetStoredParent() const override { return m_parent; }
    void StoreParent(CEntity* parent) override { m_parent = parent; }

private:
    void SetFlagRecorded(std::uint32_t bit, bool on);
    void ReadRecord(CArchive& ar);
    void WriteRecord(CArchive& ar) const;
    int CheckReferences(CValidityResultMap* results);
    // The membership tests; repairs in repair mode.
    int CheckManagers(int mode);
    [[nodiscard]] bool IsOnPathWithFlag(ITarnisView* view, std::uint32_t bit) const;

    std::uint32_t m_flags = kFlagsDefault;
    CEntity* m_parent = nullptr;
    CMaterial* m_material = nullptr;
    CLayer* m_layer = nullptr;
};

// Reads an object reference that must be a drawing element (null allowed); throws
// the archive exception badClass for another class.
[[nodiscard]] CDrawingElement* ReadDrawingElement(CArchive& ar);
