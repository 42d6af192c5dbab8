#pragma once
// CFaceFinder: decides which faces a new edge closes. It first tries to split an existing
// face by the chain of edges the new edge belongs to; otherwise it walks the planar graph
// of edges in each plane through the edge, always taking the sharpest turn, and a walk
// that comes back with a full turn becomes a loop: a new face, or a split of the face the
// loop lies in. Each new face is fitted among the coplanar faces of its scope: a face
// around it takes it as a hole, faces inside it become its holes. The finder listens to
// the model's database so that it forgets an edge erased while it works.

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "foundation/plane3d.h"
#include "foundation/point3d.h"
#include "model/dblistener.h"

class CBoundingBox3d;
class CComponent;
class CEdge;
class CEdgeUse;
class CEntity;
class CFace;
class CFaceOverlapIndex;
class CVertex;
class IEntityIterator;

class CFaceFinder : public CDBListener
{
public:
    // Searches the component (the current model's root component when null).
    explicit CFaceFinder(CComponent* component);
    // Fits faces among those the iterator yields and clears the walk's marks on the
    // entities of the vector; the finder owns neither.
    CFaceFinder(IEntityIterator* overlapScope, std::vector<CEntity*>* markScope);
    ~CFaceFinder() override;
    CFaceFinder(const CFaceFinder&) = delete;
    CFaceFinder& operator=(const CFaceFinder&) = delete;

    // True when a split handled the edge or a face was found. With eraseRejected, a new
    // face that no surrounding face takes as a hole is erased again.
    bool FindFaces(CEdge* edge, bool eraseRejected);
    [[nodiscard]] int GetFaceCount() const { return static_cast<int>(m_foundFaces.size()); }
    [[nodiscard]] CFace* GetFace(int index) const;
    // Adds every found face to the component.
    void AddFacesTo(CComponent* component);
    // Fits the face among the coplanar faces of the scope (the overlap check): faces
    // inside it give it holes, faces around it take it as a hole. Answers how many
    // faces took it as a hole.
    int FitFace(CFace* face);

    // With keep, what the searches learn about straight runs of edges outlives each
    // search, until the finder hears an edge or vertex made or erased; only for callers
    // that change no edge or vertex between searches themselves.
    void KeepStraightRuns(bool keep);
    // The planes through the edge that a search walks, in the order it walks them; plain
    // visits every vertex of a straight run instead of skipping over it, which the
    // skipping must match.
    [[nodiscard]] std::vector<CPlane3d> GetSearchPlanes(CEdge* edge, bool plain);

    void OnEntityCreated(CEntity* entity) override;
    void OnEntityErased(CEntity* entity) override;

    // Run-time marks of the walk on edges.
    static constexpr unsigned int kMarkVisited = 0x200;
    static constexpr unsigned int kMarkOther = 0x400;

private:
    struct LoopEntry
    {
        CEdge* edge = nullptr;
        bool reversed = false;
        CEdgeUse* sameSide = nullptr;
        CEdgeUse* otherSide = nullptr;
    };
    struct Candidate
    {
        CEdge* edge;
        double angle;
    };
    struct Choice;
    // Where a walk along a straight run of vertices with the same edges off the line
    // comes out: the run's last vertex, the run's edge into it and the steps there.
    struct RunExit
    {
        CVertex* last = nullptr;
        CEdge* lastEdge = nullptr;
        int steps = 0;
    };
    struct Pending
    {
        CVertex* vertex;
        int distance;
    };
    enum class Extension
    {
        closed,
        failed,
        choose
    };

    bool SplitByChain(CEdge* edge);
    bool SplitFaceByChain(CFace* face, CVertex* a, CVertex* b, const std::vector<CEdge*>& chain);
    bool SearchPlanes(CEdge* edge);
    void CollectPlanes(CEdge* edge, std::vector<CPlane3d>& planes);
    // Follows the edge away from the vertex along the line the vertex continues it by.
    [[nodiscard]] RunExit FindRunExit(CVertex* vertex, CEdge* edge);
    // Appends the vertices from the last one on along the edge that lie on one line and
    // have the given edges off it, and the edges that reach them; answers the edge that
    // leaves the last of them.
    CEdge* FollowRun(const std::vector<CVector3d>& sides, CEdge* edge, std::vector<CVertex*>& vertices,
                   std::vector<CEdge*>& edges);
    void ForgetRuns();
    void ClearMarks();
    // Sets walk marks on the edge and remembers it for the next clearing.
    void Mark(CEdge* edge, unsigned int bits);
    bool Walk(CEdge* edge, CVertex* from);
    bool AppendEntry(CEdge* edge, CVertex* from);
    [[nodiscard]] CVertex* GetEntryStart(const LoopEntry& entry) const;
    [[nodiscard]] CVertex* GetEntryEnd(const LoopEntry& entry) const;
    [[nodiscard]] bool IsInLoop(const CEdge* edge) const;
    Extension Extend();
    [[nodiscard]] double TurnAngle(const CPoint3d& from, const CPoint3d& at, const CPoint3d& to) const;
    void ListCandidates(Choice& choice);
    bool TryCandidate(Choice& choice);
    bool Close();
    [[nodiscard]] double GetLoopArea() const;
    void ReverseEntries();
    bool SplitFaceByLoop();
    CFace* MakeFace();
    void OrientAgainstNeighbours(CFace* face);
    bool AddFound(CFace* face, bool erasable);

    // The overlap check's pieces.
    void CollectOverlaps(CFace* face, std::vector<CFace*>& inside, std::vector<CFace*>& containing);
    // The scope's faces that may meet the box, in the scope's order.
    [[nodiscard]] std::vector<CFace*> GetOverlapCandidates(const CBoundingBox3d& box);
    void ReduceLists(CFace* face, std::vector<CFace*>& inside, std::vector<CFace*>& containing);
    int TakeOverHoles(CFace* face, CFace* containing, int& holesGiven);

    CEdge* m_edge = nullptr;
    CPoint3d m_startPoint;
    CPoint3d m_endPoint;
    CVertex* m_walkStart = nullptr;
    std::vector<CFace*> m_foundFaces;
    double m_totalTurn = 0.0;
    bool m_ambiguous = false;
    int m_sidedCount = 0;
    int m_otherSidedCount = 0;
    std::vector<LoopEntry> m_entries;
    bool m_checkNewFaces = true;
    bool m_straightClosure = false;
    bool m_eraseRejected = false;
    CComponent* m_component = nullptr;
    IEntityIterator* m_overlapScope = nullptr;
    std::vector<CEntity*>* m_markScope = nullptr;
    // Edges marked since the last clearing; after the first clearing of the whole
    // scope only these can carry marks.
    std::vector<CEdge*> m_marked;
    bool m_scopeCleared = false;
    // The component's faces by place, made on the first overlap check of a recorded
    // operation.
    std::unique_ptr<CFaceOverlapIndex> m_overlapIndex;
    // Straight runs by the edge a walk leaves a vertex along (the edge's address, its
    // lowest bit set when the walk leaves from the end vertex).
    std::unordered_map<std::uintptr_t, RunExit> m_runExits;
    bool m_keepRuns = false;
    bool m_plainPlaneWalk = false;
    CPlane3d m_plane;
    CVector3d m_normal;
    int m_budget = 0;
};
