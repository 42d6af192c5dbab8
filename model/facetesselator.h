#pragma once
// CFaceTesselator: drives the GLU tessellator over the loops of a face and hands what it
// makes to virtual operations, so that subclasses may draw the triangles, collect them
// into a mesh or export them. The positive winding rule with the face's normal lets the
// holes, which wind the other way, cut the outer loop. With the edge-flag operation
// registered GLU gives separate triangles only. No GL context is needed.

#include <memory>
#include <vector>

#include "foundation/point3d.h"

class CFace;
class ITarnisView;
struct GLUtesselator;

class CFaceTesselator
{
public:
    // The view (may be null) decides which glued instances are shown and so cut.
    explicit CFaceTesselator(const CFace* face, ITarnisView* view = nullptr);
    virtual ~CFaceTesselator();
    CFaceTesselator(const CFaceTesselator&) = delete;
    CFaceTesselator& operator=(const CFaceTesselator&) = delete;

    // GLU's callbacks, reached through the tessellator's polygon data; empty here.
    virtual void Begin(unsigned int primitive);
    virtual void EdgeFlag(bool boundary);
    virtual void Vertex(const double* position);
    virtual void End();
    virtual void Error(unsigned int error);
    // A new vertex where contours cross; kept until Cleanup. With normals the new
    // normal is the weighted sum of the neighbours' normals, normalised.
    virtual double* Combine(const double coords[3], void* neighbours[4], const float weights[4]);
    // Frees the combined vertices and the vertex buffer.
    virtual void Cleanup();
    // One contour per loop of three or more vertices and, when asked, one per opening.
    // False when the face has no loops or GLU cannot make a tessellator.
    virtual bool Tessellate(bool withNormals, bool includeOpenings = true);

    [[nodiscard]] const CFace* GetFace() const { return m_face; }

protected:
    virtual void RegisterCallbacks(GLUtesselator* tessellator);
    // The normal of a vertex, before Vertex, when normals are carried.
    virtual void VertexExtra(const double* normal);
    // Fills the vertex buffer: per vertex the position and, with normals, the normal.
    virtual void SetupLoops(bool withNormals);
    // The contours of the openings cut into the face, each wound to cut it.
    virtual void CollectOpeningContours(std::vector<std::vector<CPoint3d>>& contours) const;

    [[nodiscard]] bool HasNormals() const { return m_withNormals; }

private:
    friend struct TesselatorCallbacks;

    [[nodiscard]] int GetStride() const { return m_withNormals ? 6 : 3; }
    void AppendContour(const std::vector<CPoint3d>& points);

    const CFace* m_face;
    ITarnisView* m_view;
    std::vector<int> m_loopCounts;
    std::vector<double> m_vertices;
    bool m_withNormals = false;
    std::vector<std::unique_ptr<double[]>> m_combined;
};
