#pragma once
// CPerimeterFinder: the outermost outlines that a set of edges draws in one plane. It
// works on scratch copies of the edges that lie in the plane (real model objects in no
// component, made and erased without recording): faces are found on the copies, faces
// that share an edge are joined, faces inside others are dropped, and what remains are
// the outer perimeters as scratch faces.

#include <unordered_map>
#include <vector>

class CComponentInstance;
class CEdge;
class CFace;
class CTransformation;
class IEntityIterator;

class CPerimeterFinder
{
public:
    CPerimeterFinder();
    // Erases every scratch face and edge.
    virtual ~CPerimeterFinder();
    CPerimeterFinder(const CPerimeterFinder&) = delete;
    CPerimeterFinder& operator=(const CPerimeterFinder&) = delete;

    // The outlines of the iterator's edges in the plane through the transformation's
    // origin with its z axis as normal; the previous result goes first.
    void Find(IEntityIterator* entities, const CTransformation& transform);

    [[nodiscard]] int GetFaceCount() const { return static_cast<int>(m_faces.size()); }
    [[nodiscard]] CFace* GetFace(int index) const;
    [[nodiscard]] int GetEdgeCount() const { return static_cast<int>(m_edges.size()); }
    // The component instances of the source whose base lies in the plane (not owned).
    [[nodiscard]] int GetInstanceCount() const { return static_cast<int>(m_instances.size()); }
    [[nodiscard]] CComponentInstance* GetInstance(int index) const;
    // The edge that a scratch edge copies; null for any other edge.
    [[nodiscard]] CEdge* GetSourceEdge(const CEdge* scratch) const;

private:
    void Clear();
    void Collect(IEntityIterator* entities, const CTransformation& transform);
    void SortEdges();
    void PruneDanglingChains();
    void Compact();
    void FindScratchFaces(const CTransformation& transform);
    void JoinFaces();
    void KeepOutermost();
    void EraseUnusedEdges();

    std::vector<CEdge*> m_edges;
    std::vector<CFace*> m_faces;
    std::vector<CComponentInstance*> m_instances;
    std::unordered_map<const CEdge*, CEdge*> m_sources;
};
