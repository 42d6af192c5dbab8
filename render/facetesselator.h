#pragma once
// CFaceTesselator: drives the GLU tessellator over a face's loops and hands the
// triangles it makes to virtual operations, so that subclasses draw them, turn them
// into meshes or write them out. Inner loops wind against the outer one and the
// positive winding rule with the face's normal makes them holes. A vertex is three
// doubles, or six with the normal at that corner when normals are carried.
//
// Crossing points the tessellator makes live until Cleanup or destruction. Needs no
// GL context unless a subclass draws.

#include <cstdint>
#include <memory>
#include <vector>

class CFace;
class CSmoothNormals;
class GLUtesselator;

class CFaceTesselator
{
public:
    // Smooth normals (may be null) give the normal at each corner; without them every
    // vertex carries the face's normal.
    explicit CFaceTesselator(const CFace* face, const CSmoothNormals* smoothNormals = nullptr);
    virtual ~CFaceTesselator();
    CFaceTesselator(const CFaceTesselator&) = delete;
    CFaceTesselator& operator=(const CFaceTesselator&) = delete;

    // The tessellator's callbacks; empty here.
    virtual void Begin(unsigned primitive);
    virtual void EdgeFlag(bool boundary);
    virtual void Vertex(const double* position);
    virtual void End();
    virtual void Error(unsigned errorNumber);
    // A new vertex at the coordinates; with normals, its normal is the weighted sum of
    // the neighbours' up to the first missing one, normalised.
    virtual void Combine(const double coordinates[3], void* const neighbours[4], const float weights[4], void** out);
    // Frees the crossing points, the vertex buffer and the loop counts.
    virtual void Cleanup();
    // Sets the loops up and runs the tessellator over them, one contour per loop.
    virtual void Tessellate(bool withNormals);
    virtual void RegisterCallbacks(GLUtesselator* tess);
    // The normal of the vertex that follows; called before Vertex when normals are
    // carried. Empty here.
    virtual void VertexExtra(const double* normal);
    // Fills the vertex buffer from the face's loops (loops of fewer than three
    // vertices get no vertices).
    virtual void SetupLoops(bool withNormals);

    [[nodiscard]] int GetLoopCount() const { return m_loopCount; }
    // 0 outside 0..GetLoopCount()-1.
    [[nodiscard]] int GetLoopVertexCount(int loop) const;
    [[nodiscard]] bool CarriesNormals() const { return m_withNormals; }

protected:
    // The doubles per vertex in the buffer.
    [[nodiscard]] int GetStride() const { return m_withNormals ? 6 : 3; }
    // Registers only the vertex, error and combine callbacks that reach this object;
    // for subclasses that send begin, end and edge flags elsewhere.
    static void RegisterDataCallbacks(GLUtesselator* tess);

private:
    const CFace* m_face;
    const CSmoothNormals* m_smoothNormals;
    int m_loopCount = 0;
    // Ordinary faces have few loops; only more than four take an allocation.
    std::int32_t m_inlineLoopCounts[4] = {};
    std::unique_ptr<std::int32_t[]> m_heapLoopCounts;
    std::int32_t* m_loopCounts = m_inlineLoopCounts;
    std::vector<double> m_vertices;
    bool m_withNormals = false;
    std::vector<std::unique_ptr<double[]>> m_combined;
};
