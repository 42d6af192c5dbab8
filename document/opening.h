#pragma once
// COpening: a hole that a glued component instance cuts into a face. The outline is
// not stored; it is worked out on demand from the definition's perimeter placed by the
// instance. An opening names the glue (a relationship whose first end is the face and
// whose second end is the instance).

#include <vector>

#include "foundation/point2d.h"

class CComponentInstance;
class CFace;
class CRelationship;
class ITarnisView;

class COpening
{
public:
    COpening() = default;
    virtual ~COpening() = default;
    COpening(const COpening&) = default;
    COpening& operator=(const COpening&) = default;

    // True, storing the relationship, when it glues a shown instance whose definition
    // cuts openings to a face. The view may be null.
    static bool SetFromRelationship(CRelationship* relationship, ITarnisView* view, COpening& out);
    // Every outline of the opening's relationship lies strictly inside the 2-D polygon
    // (in the face's plane); true when it has none.
    [[nodiscard]] virtual bool IsInsidePolygon(const std::vector<CPoint2d>& polygon) const;

    [[nodiscard]] CRelationship* GetRelationship() const { return m_relationship; }
    void SetRelationship(CRelationship* relationship) { m_relationship = relationship; }

private:
    CRelationship* m_relationship = nullptr;
};

// True when the instance is shown in the view (or, without a view, by its own flags and
// layer) and its definition cuts openings.
[[nodiscard]] bool CutsOpening(const CComponentInstance* instance, ITarnisView* view);

// When a loop moves from one face to another, each thing glued to the old face moves
// with it when it lies within the new face (openings by their outlines, anything else
// by the centre of its box); each move is recorded.
void MoveRelationshipsTo(CFace* oldFace, CFace* newFace, ITarnisView* view = nullptr);
