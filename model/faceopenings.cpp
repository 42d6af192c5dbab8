// The face's side of the openings that glued cutting instances make: the outlines
// themselves are worked out in document/ (the glued instances and their definitions
// live there); a face only asks for them and hands its glued things on.

#include <memory>

#include "document/enumopeningloopface.h"
#include "document/opening.h"
#include "model/face.h"
#include "model/loop.h"

CEnumOpeningLoopFace* CFace::NewOpeningEnum(ITarnisView* view) const
{
    return new CEnumOpeningLoopFace(this, view);
}

void CFace::MoveRelationshipsTo(CFace* newFace)
{
    ::MoveRelationshipsTo(this, newFace, nullptr);
}

double CFace::GetOpeningsArea(const CTransformation* transform) const
{
    // On the stack: every face's area asks, and most faces have no openings.
    CEnumOpeningLoopFace openings(this, nullptr);
    double area = 0.0;
    COpeningLoop* opening = nullptr;
    while (openings.Next(opening)) {
        area += opening->GetArea(transform);
    }
    return area;
}

int CFace::ClassifyPointInOpenings(const CPoint3d& point, int axis) const
{
    const std::unique_ptr<CEnumOpeningLoopFace> openings(NewOpeningEnum());
    COpeningLoop* opening = nullptr;
    while (openings->Next(opening)) {
        if (opening->GetLoop() == nullptr) {
            continue;
        }
        const int found = opening->GetLoop()->ClassifyPoint(point, axis, &opening->GetTransform());
        if (found == kLoopPointInside) {
            return kFacePointOutside;
        }
        if (found != kLoopPointOutside) {
            return found;
        }
    }
    return kFacePointInside;
}
