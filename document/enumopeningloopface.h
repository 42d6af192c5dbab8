#pragma once
// CEnumOpeningLoopFace: the outlines of the openings cut into one face, or of the
// openings of one glue. Each glued instance whose definition cuts contributes one
// outline per perimeter face of its definition, and its nested cutting instances
// theirs, each under the composed placement. The perimeters are the definitions' own,
// worked out once for all faces and kept until a definition changes.

#include <set>
#include <vector>

#include "document/openingloop.h"
#include "foundation/unitvector3d.h"

class CComponentDefinition;

class CEnumOpeningLoopFace
{
public:
    // All openings of the face; the view (may be null) decides what is shown.
    CEnumOpeningLoopFace(const CFace* face, ITarnisView* view);
    // The openings of one glue; empty unless its first end is a face.
    CEnumOpeningLoopFace(CRelationship* relationship, ITarnisView* view);
    virtual ~CEnumOpeningLoopFace();

    CEnumOpeningLoopFace(const CEnumOpeningLoopFace&) = delete;
    CEnumOpeningLoopFace& operator=(const CEnumOpeningLoopFace&) = delete;

    void Reset() { m_cursor = 0; }
    // The next outline; false after the last.
    bool Next(COpeningLoop*& out);
    [[nodiscard]] int GetCount() const { return static_cast<int>(m_loops.size()); }
    [[nodiscard]] int GetTotalEdgeUseCount() const;
    // Null outside 0..count-1.
    [[nodiscard]] COpeningLoop* GetAt(int index);
    [[nodiscard]] const CFace* GetFace() const { return m_face; }

private:
    void CollectRelationship(CRelationship* relationship);
    void Collect(CRelationship* relationship, const CComponentInstance* instance, const CTransformation& outer,
                 int depth);

    const CFace* m_face = nullptr;
    ITarnisView* m_view = nullptr;
    CUnitVector3d m_normal;
    std::vector<COpeningLoop> m_loops;
    int m_cursor = 0;
    // Definitions being entered: one that holds itself is not entered again.
    std::set<const CComponentDefinition*> m_entered;
};
