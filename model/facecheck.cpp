// The consistency check of a face: its loops, how its holes lie, its back material,
// its cached box and whether its vertices lie in its plane.

#include <algorithm>
#include <vector>

#include "document/material.h"
#include "foundation/polygon2d.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/topologymessages.h"

namespace {

// How the points lie against a polygon, points on its boundary left aside: all
// inside, all outside, some of each, or every point on the boundary.
enum class PolygonRelation
{
    inside,
    outside,
    mixed,
    boundary
};

PolygonRelation Relate(const std::vector<CPoint2d>& points, const std::vector<CPoint2d>& polygon)
{
    int inside = 0;
    int outside = 0;
    for (const CPoint2d& point : points) {
        const int found = ClassifyPointInPolygon2d(point, polygon.data(), static_cast<int>(polygon.size()));
        if (found == kPointInPolygon) {
            ++inside;
        } else if (found == kPointOutsidePolygon) {
            ++outside;
        }
    }
    if (inside > 0 && outside > 0) {
        return PolygonRelation::mixed;
    }
    if (inside > 0) {
        return PolygonRelation::inside;
    }
    return outside > 0 ? PolygonRelation::outside : PolygonRelation::boundary;
}

} // namespace

int CFace::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CFace), results, result)) {
        return result;
    }
    const int base = CDrawingElement::CheckValidity(mode, results);
    if (base != kValiditySound) {
        return SetCheckResult(base, results);
    }
    int severity = kValiditySound;
    for (const auto step : {&CFace::CheckLoops, &CFace::CheckCaches}) {
        const int found = (this->*step)(mode, results);
        if (found >= kValidityStale) {
            return SetCheckResult(found, results);
        }
        severity = std::max(severity, found);
    }
    return severity == kValiditySound ? kValiditySound : SetCheckResult(severity, results);
}

int CFace::CheckLoops(int mode, CValidityResultMap* results)
{
    CLoop* outer = GetOuterLoop();
    if (outer == nullptr) {
        AppendTopologyMessage(kMsgFaceNoOuterLoop, GetEntityLabel(this));
        return kValidityStale;
    }
    if (!outer->IsKindOf(RUNTIME_CLASS(CLoop))) {
        AppendTopologyMessage(kMsgFaceNoOuterLoop, GetEntityLabel(this));
        StoreCheckResult(results, outer, kValidityBroken);
        return kValidityBroken;
    }
    if (!outer->IsOuter()) {
        AppendTopologyMessage(kMsgFaceNoOuterLoop, GetEntityLabel(this));
        return kValidityStale;
    }
    int severity = kValiditySound;
    std::vector<CLoop*> doomed;
    for (std::int32_t i = 0; i < m_loops.GetCount(); ++i) {
        CLoop* loop = m_loops.GetAt(i);
        if (loop == nullptr || !loop->IsKindOf(RUNTIME_CLASS(CLoop))) {
            AppendTopologyMessage(kMsgFaceBadLoop, i, GetEntityLabel(this));
            StoreCheckResult(results, loop, kValidityBroken);
            return kValidityBroken;
        }
        if (loop->GetFace() != this) {
            AppendTopologyMessage(kMsgFaceLoopOfOtherFace, GetEntityLabel(loop), GetEntityLabel(this));
            if (BeginRepair(mode)) {
                loop->SetFace(this);
            } else {
                severity = kValidityRepairable;
            }
        }
        if (results != nullptr && loop->CheckValidity(mode, results) >= kValidityStale) {
            if (i == 0) {
                AppendTopologyMessage(kMsgFaceBadOuterLoop, i, GetEntityLabel(this));
                return kValidityStale;
            }
            AppendTopologyMessage(kMsgFaceBadHole, i, GetEntityLabel(this));
            doomed.push_back(loop);
        }
    }
    if (mode != kValidityModeIgnoreStaleIds) {
        std::vector<std::vector<CPoint2d>> polygons(static_cast<std::size_t>(m_loops.GetCount()));
        for (std::int32_t i = 0; i < m_loops.GetCount(); ++i) {
            m_loops.GetAt(i)->GetPolygon(m_plane, nullptr, polygons[static_cast<std::size_t>(i)]);
        }
        for (std::size_t i = 1; i < polygons.size(); ++i) {
            int message = 0;
            const PolygonRelation toOuter = Relate(polygons[i], polygons[0]);
            if (toOuter == PolygonRelation::outside || toOuter == PolygonRelation::mixed) {
                message = kMsgFaceHoleOutside;
            }
            for (std::size_t j = 1; j < polygons.size() && message == 0; ++j) {
                if (j == i) {
                    continue;
                }
                const PolygonRelation relation = Relate(polygons[i], polygons[j]);
                if (relation == PolygonRelation::inside) {
                    message = kMsgFaceHoleNested;
                } else if (relation == PolygonRelation::mixed) {
                    message = kMsgFaceHolesOverlap;
                }
            }
            if (message != 0) {
                AppendTopologyMessage(message, static_cast<int>(i), GetEntityLabel(this));
                doomed.push_back(m_loops.GetAt(static_cast<std::int32_t>(i)));
            }
        }
    }
    if (doomed.empty()) {
        return severity;
    }
    if (!BeginRepair(mode)) {
        return kValidityRepairable;
    }
    std::sort(doomed.begin(), doomed.end());
    doomed.erase(std::unique(doomed.begin(), doomed.end()), doomed.end());
    for (CLoop* loop : doomed) {
        RemoveLoop(loop, true);
    }
    return severity;
}

int CFace::CheckCaches(int mode, CValidityResultMap* results)
{
    int severity = kValiditySound;
    if (m_backMaterial != nullptr && !m_backMaterial->IsKindOf(RUNTIME_CLASS(CMaterial))) {
        AppendTopologyMessage(kMsgFaceBadBackMaterial, GetEntityLabel(this));
        if (!BeginRepair(mode)) {
            severity = kValidityRepairable;
        } else {
            RecordChange(true);
            m_backMaterial = nullptr;
        }
    } else if (m_backMaterial != nullptr && results != nullptr) {
        const int found = m_backMaterial->CheckValidity(mode, results);
        if (found >= kValidityStale) {
            return found;
        }
    }
    if (!m_plane.IsValid()) {
        AppendTopologyMessage(kMsgFaceBadPlane, GetEntityLabel(this));
        return kValidityStale;
    }
    if (AreAllVerticesOnPlane()) {
        return severity;
    }
    AppendTopologyMessage(kMsgFaceNotPlanar, GetEntityLabel(this));
    CPlane3d fitted;
    const bool repair = BeginRepair(mode);
    if (RefitPlane(&fitted, repair) && IsPlanarWith(&fitted)) {
        return repair ? severity : kValidityRepairable;
    }
    // No plane fits: in repair mode the face is cut into flat triangles instead.
    if (repair && SplitIntoPlanarFaces()) {
        return severity;
    }
    return kValidityStale;
}
