#pragma once
// CDrawingBase: the drawing context's own state, shared by the view and any walk that
// replays the model: the cumulative transformation of every nested instance entered
// (mirrored on the GL model-view stack when asked, and carried here past its depth) and
// its inverse, the eye point and viewing direction in each level's local coordinates,
// the owned stack of geometry filters carried into each local space, and the active
// section planes.
//
// Calls it makes to its own filter operations go through the interface, so a class
// that overrides them is called.

#include <array>
#include <vector>

#include "annotations/sectionclipstack.h"
#include "drawapi/drawingbase.h"

class CDrawingBase : public virtual IDrawingBase
{
public:
    // Section planes load GL clip planes through the given switch; null makes none.
    explicit CDrawingBase(IClipPlaneGL* clipPlanes);
    // Loads GL clip planes into the current context.
    CDrawingBase();
    CDrawingBase(const CDrawingBase&) = delete;
    CDrawingBase& operator=(const CDrawingBase&) = delete;
    // Deletes the filters still pushed.
    ~CDrawingBase() override;

    void PushTransform(const CTransformation& t, bool applyToGL) override;
    void PopTransform(bool applyToGL) override;
    [[nodiscard]] bool HasTransform() const override;
    [[nodiscard]] CTransformation GetTransform() const override;
    [[nodiscard]] CTransformation GetInverseTransform() const override;
    [[nodiscard]] CPoint3d GetLocalEyePoint() const override;
    [[nodiscard]] CVector3d GetLocalViewDirection() const override;
    void Reset(const CPoint3d& eyePoint, const CVector3d& viewDirection) override;
    [[nodiscard]] orvell::geometry::IGeomFilter* GetCurrentFilter() const override;
    void ClearFilters() override;
    void PushFilter(orvell::geometry::IGeomFilter* filter) override;
    void PopFilter() override;
    void PushSectionFilter(CSectionPlane* sectionPlane, bool enable) override;
    void PopSectionFilter(CSectionPlane* sectionPlane) override;
    void SetSkipTopFilter(bool skip) override;
    [[nodiscard]] CSectionClipStack& GetSectionFilters() override;
    // The GL polygon-offset stack of the drawing thread (render/polygonoffset.h).
    void PushPolygonOffset(bool enable, double factor, double units) override;
    void PopPolygonOffset() override;

    [[nodiscard]] int GetTransformDepth() const { return static_cast<int>(m_transforms.size()); }
    [[nodiscard]] int GetFilterDepth() const { return static_cast<int>(m_filters.size()); }

private:
    // One GL push of an instance: on the stack, or loaded over the matrix kept here.
    struct GLLevel
    {
        bool loaded = false;
        std::array<double, 16> previous{};
    };

    void PushGLMatrix(const CTransformation& t);
    void PopGLMatrix();

    std::vector<GLLevel> m_glLevels;
    // The levels that fit on the GL stack, counted from the outermost one.
    int m_glRoom = 0;
    std::vector<CTransformation> m_transforms;
    std::vector<CTransformation> m_inverseTransforms;
    std::vector<orvell::geometry::IGeomFilter*> m_filters;
    CSectionClipStack m_sectionClipStack;
    bool m_skipTopFilter = false;
    std::vector<CPoint3d> m_localEyePoints;
    std::vector<CVector3d> m_localViewDirections;
};
