// What an arc curve checks beyond the plain curve: that its chain ends lie where its
// arc's angles say, that its radius and plane agree with its axes, and whether the
// faces along it lie in planes parallel to the arc.

#include <algorithm>
#include <memory>

#include "foundation/tolerance.h"
#include "model/arccurve.h"
#include "model/edge.h"
#include "model/enumface.h"
#include "model/face.h"
#include "model/validitylog.h"
#include "model/vertex.h"

namespace {

enum ArcCurveMessageId : int
{
    kMsgArcEndsOffChain = 20832,
    kMsgArcRadiusWrong = 20363,
    kMsgArcPlaneWrong = 20364
};

// The program's own sentences for these messages; each takes the arc curve's label.
const char* ArcCurveMessageFormat(int id)
{
    switch (id) {
    case kMsgArcEndsOffChain:
        return "The ends of the arc of %s are not the ends of its edges.";
    case kMsgArcRadiusWrong:
        return "The radius of %s differs from its x axis.";
    case kMsgArcPlaneWrong:
        return "The plane of %s does not agree with its axes.";
    default:
        return "%s";
    }
}

bool IsAtVertex(const CPoint3d& point, const CVertex* vertex)
{
    return vertex != nullptr && point.Distance(vertex->GetPosition()) < kLengthTolerance;
}

} // namespace

bool CArcCurve::IsInFacePlanes() const
{
    if (!IsValidArcCurve(this)) {
        return false;
    }
    const CVector3d normal = GetNormal();
    std::vector<CEdge*> edges;
    GetEdges(edges);
    for (const CEdge* edge : edges) {
        std::unique_ptr<CEnumFace> faces(edge->NewFaceEnum());
        CFace* face = nullptr;
        while (faces != nullptr && faces->Next(face)) {
            if (face == nullptr) {
                continue;
            }
            const CVector3d faceNormal(face->GetNormal());
            if (!faceNormal.IsEqual(normal) && !faceNormal.IsEqual(-normal)) {
                return false;
            }
        }
    }
    return true;
}

int CArcCurve::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CArcCurve), results, result)) {
        return result;
    }
    result = CheckCurvePart(mode, results);
    if (result < 0) {
        return kValiditySound;  // repair erased the curve
    }
    if (result != kValiditySound) {
        return SetCheckResult(result, results);
    }
    if (mode != kValidityModeIgnoreStaleIds) {
        result = CheckArc(mode);
        if (result < 0) {
            return kValiditySound;
        }
    }
    return SetCheckResult(result, results);
}

// Answers a severity, or -1 when repair erased the curve.
int CArcCurve::CheckArc(int mode)
{
    CPoint3d atStart;
    CPoint3d atEnd;
    const bool endsOnChain = GetPolylinePointAtAngle(m_arc.startAngle, atStart) &&
                             IsAtVertex(atStart, GetStartVertex()) &&
                             GetPolylinePointAtAngle(m_arc.endAngle, atEnd) && IsAtVertex(atEnd, GetEndVertex());
    const bool radiusAgrees = AreEqualTol(m_arc.radius, m_arc.xAxis.GetLength());
    CPlane3d fromAxes;
    const CVector3d axesNormal = m_arc.yAxis.CrossProduct(m_arc.xAxis);
    fromAxes.Set(axesNormal.x, axesNormal.y, axesNormal.z,
                 -DotProduct(axesNormal, CVector3d(m_arc.centre)));
    const bool planeAgrees = fromAxes.IsEqual(m_arc.plane, false);

    int result = kValiditySound;
    const std::pair<bool, int> findings[] = {
        {endsOnChain, kMsgArcEndsOffChain}, {radiusAgrees, kMsgArcRadiusWrong}, {planeAgrees, kMsgArcPlaneWrong}};
    for (const auto& [sound, id] : findings) {
        if (sound) {
            continue;
        }
        AppendValidityMessage(ArcCurveMessageFormat(id), GetEntityLabel(this));
        if (BeginRepair(mode)) {
            EraseAndDetach();
            return -1;
        }
        result = kValidityRepairable;
    }
    return result;
}
