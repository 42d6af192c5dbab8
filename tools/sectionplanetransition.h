#pragma once
// CSectionPlaneTransition: one section plane gliding from its place on one page to its
// place on the next while a page transition runs. A plane that changes glides and
// turns (turning over through the viewing direction when the new normal is opposite),
// a cut that goes away recedes behind its component until it cuts nothing, and a new
// cut sweeps in from behind it. Equations are set without change recording, so a
// transition leaves nothing to undo. The planes are not owned.

#include <memory>
#include <vector>

#include "foundation/plane3d.h"
#include "foundation/point3d.h"
#include "foundation/vector3d.h"

class CSectionPlane;
class CViewDefinition;

class CSectionPlaneTransition
{
public:
    // from: the component's active plane before the page change; to: its active plane
    // on the target page. One of them may be null; both must belong to a component.
    CSectionPlaneTransition(CSectionPlane* from, CSectionPlane* to, const CViewDefinition& view,
                            bool targetShowsCuts);

    // The plane that moves: to when there is one, else from.
    [[nodiscard]] CSectionPlane* GetMovingPlane() const;

    friend void InterpolateSectionPlane(CSectionPlaneTransition& record, double t);
    friend void FinishSectionPlaneTransition(CSectionPlaneTransition& record);

private:
    void SetTurnAxis(const CViewDefinition& view);
    void StartBehindComponent(CSectionPlane* plane, bool receding);
    [[nodiscard]] CVector3d GetNormalAt(double t) const;

    CSectionPlane* m_from;
    CSectionPlane* m_to;
    CPlane3d m_startPlane;
    CPlane3d m_endPlane;
    CPoint3d m_startPoint;
    CPoint3d m_endPoint;
    CVector3d m_turnAxis{0.0, 0.0, 1.0};
    bool m_firstStepPending = true;
    bool m_targetShowsCuts;
};

// Pairs the planes of the two lists by component (each list taken from its end) and
// makes a record for every pair that moves; the caller owns the records.
[[nodiscard]] std::vector<std::unique_ptr<CSectionPlaneTransition>> BuildSectionPlaneTransitions(
    std::vector<CSectionPlane*> before, std::vector<CSectionPlane*> after, const CViewDefinition& view,
    bool targetShowsCuts);
// Moves the plane to where it stands at t (0 the start, 1 the end). The first step of
// a receding cut makes it active again and, when the target page hides cuts, shows
// cuts until the end, so that it is seen going.
void InterpolateSectionPlane(CSectionPlaneTransition& record, double t);
// Puts the plane where the target page wants it; a receding cut gets its own equation
// back and stops being active.
void FinishSectionPlaneTransition(CSectionPlaneTransition& record);
