#pragma once
// CComponentCS: the axes marker of a component: the component's local coordinate
// system drawn as three arms that keep their size on screen, optionally the
// component's bounding box, and the translucent fade laid over the rest of the model
// while one component is looked at or edited. The model owns one. It has no record of
// its own: where it is stored, the axes record of CTarnisCS applies.

#include "document/tarniscs.h"
#include "foundation/boundingbox3d.h"

class CComponentCS : public CTarnisCS
{
    DECLARE_DYNAMIC(CComponentCS)

public:
    // The marker size of the model's instance.
    static constexpr double kDefaultSize = 1.0 / 15.0;

    // No owner, flags off, depth tested, the main style, the default size, empty
    // extents that are not shown.
    CComponentCS();
    CComponentCS(CEntity* owner, bool negativeZ, bool flag2, bool depthTested, bool alternateStyle,
                 double size);
    CComponentCS(const CComponentCS& other);
    ~CComponentCS() override;

    [[nodiscard]] CEntity* Clone() const override;
    // Draws the arms, and the extents when they are shown; the depth function and the
    // depth test are as they were afterwards.
    void Draw(ITarnisView* view) override;
    // Covers the screen rectangle between the corners with a translucent grey, blended
    // or stippled as the rendering options' translucent fill style asks. The caller
    // sets up window coordinates.
    virtual void DrawFade(ITarnisView* view, double x1, double y1, double x2, double y2);

    // Owner, the flags and the style back to their defaults, the size to 1/15, both
    // show flags off. The origin, the axes and the extents stay (CTarnisCS::Reset
    // resets the axes).
    void Reset();

    // Axes x, y, z as the columns, the origin as the origin.
    [[nodiscard]] CTransformation GetTransform() const;

    [[nodiscard]] CEntity* GetOwner() const { return m_owner; }
    void SetOwner(CEntity* owner) { m_owner = owner; }
    [[nodiscard]] bool HasNegativeZ() const { return m_negativeZ; }
    void SetNegativeZ(bool on) { m_negativeZ = on; }
    [[nodiscard]] bool GetFlag2() const { return m_flag2; }
    void SetFlag2(bool on) { m_flag2 = on; }
    [[nodiscard]] bool IsDepthTested() const { return m_depthTested; }
    void SetDepthTested(bool on) { m_depthTested = on; }
    [[nodiscard]] bool IsAlternateStyle() const { return m_alternateStyle; }
    void SetAlternateStyle(bool on) { m_alternateStyle = on; }
    [[nodiscard]] double GetSize() const { return m_size; }
    void SetSize(double size) { m_size = size; }
    [[nodiscard]] const CBoundingBox3d& GetExtents() const { return m_extents; }
    void SetExtents(const CBoundingBox3d& extents) { m_extents = extents; }
    [[nodiscard]] bool ShowsExtents() const { return m_showExtents; }
    void SetShowExtents(bool on) { m_showExtents = on; }
    [[nodiscard]] bool ShowsExtentsOutline() const { return m_showExtentsOutline; }
    void SetShowExtentsOutline(bool on) { m_showExtentsOutline = on; }

private:
    void DrawArms(ITarnisView* view);
    void DrawExtents(ITarnisView* view);

    CEntity* m_owner = nullptr;
    bool m_negativeZ = false;
    bool m_flag2 = false;
    bool m_depthTested = true;
    bool m_alternateStyle = false;
    double m_size = kDefaultSize;
    CBoundingBox3d m_extents;
    bool m_showExtents = false;
    bool m_showExtentsOutline = false;
};
