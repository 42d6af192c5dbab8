#include "model/edgerun.h"

#include "annotations/sectionclipstack.h"
#include "document/renderingoptions.h"
#include "drawapi/tarnisview.h"
#include "model/edge.h"
#include "model/profilefacing.h"
#include "model/vertex.h"

namespace {

// The edge colour mode in which an edge's colour follows its direction.
constexpr int kEdgeColorByAxis = 2;
// Lines handed to the view at once: enough to make the call's cost vanish, few enough
// to stay in the caches.
constexpr std::size_t kRunLines = 1024;

}  // namespace

CEdgeRun::CEdgeRun(ITarnisView* view)
    : m_view(view), m_options(view->GetRenderingOptions()), m_visibility(view)
{
    // Picking names every edge, sections cut them and extensions ask for each edge's
    // neighbours: edges then draw one by one.
    if (m_options == nullptr || (m_options->IsExtendEdges() && !view->DrawsEdgesAlone()) ||
        view->GetDrawMode() == ITarnisView::kDrawModeSelection || !view->GetSectionFilters().IsEmpty()) {
        return;
    }
    const int mode = m_options->GetRenderMode();
    m_lineMode = view->DrawsEdgesAlone();
    m_modeShows = mode == 0 || mode == 1 || m_options->GetDisplayEdges() != 0 || m_options->IsDrawProfiles();
    m_onlyProfiles = m_options->IsDrawProfiles() && m_options->GetDisplayEdges() == 0;
    m_testProfile = m_options->IsDrawProfiles() && (m_options->GetProfileWidth() != 1 || m_onlyProfiles);
    m_profileWidth = m_options->GetProfileWidth();
    m_effects = view->GetDrawingLevel() >= 8 &&
                ((m_options->IsDepthCue() && m_options->GetDepthCueWidth() > 1) || m_options->IsDrawEndpoints() ||
                 m_options->IsJitterEdges());
    m_ownDraws = false;
    m_lines.reserve(kRunLines);
}

void CEdgeRun::Draw(CEdge& edge)
{
    if (m_ownDraws) {
        edge.Draw(m_view);
        return;
    }
    CPlainLine line;
    switch (Decide(edge, line)) {
    case Outcome::kNothing:
        return;
    case Outcome::kPlainLine:
        m_lines.push_back(line);
        if (m_lines.size() == kRunLines) {
            Flush();
        }
        return;
    case Outcome::kOwnDraw:
        Flush();
        edge.Draw(m_view);
        return;
    }
}

void CEdgeRun::Flush()
{
    if (m_lines.empty()) {
        return;
    }
    if (!m_view->DrawPlainLines(m_lines.data(), m_lines.size())) {
        for (const CPlainLine& line : m_lines) {
            line.element->Draw(m_view);
        }
    }
    m_lines.clear();
}

// As CEdge::Draw decides, for an edge neither selected nor hidden by its flag.
CEdgeRun::Outcome CEdgeRun::Decide(CEdge& edge, CPlainLine& line)
{
    const CVertex* start = edge.GetStartVertex();
    const CVertex* end = edge.GetEndVertex();
    if (start == nullptr || end == nullptr) {
        return Outcome::kNothing;
    }
    if (edge.IsSelected() || edge.IsHiddenFlagSet()) {
        return Outcome::kOwnDraw;
    }
    if (m_visibility.IsHidden(edge) || (!m_lineMode && !m_modeShows)) {
        return Outcome::kNothing;
    }
    // Every edge of the run lies inside the same instances.
    if (!m_pathKnown) {
        m_pathHighlights = edge.IsHighlighted(m_view);
        m_pathHidden = m_options->IsShowHiddenGeometry() && edge.IsUnderHiddenInstance(m_view);
        m_pathKnown = true;
    }
    line.start = start->GetPosition();
    line.end = end->GetPosition();
    line.width = 1.0;
    line.stipple = m_pathHidden ? CEdge::kStippleHidden : 0;
    if (!m_lineMode) {
        const bool profile = m_testProfile && !CProfileFacing::HasOppositeNotes(edge) &&
                             edge.IsProfile(line.start, line.end, GetSightLine(line.start, line.end));
        if (m_onlyProfiles && !profile) {
            return Outcome::kNothing;
        }
        if (edge.IsSoft() && m_options->IsHideSoftEdges() && !profile) {
            if (!m_options->IsShowHiddenGeometry()) {
                return Outcome::kNothing;
            }
            line.stipple = CEdge::kStippleSoft;
        }
        if (profile && !m_pathHighlights) {
            line.width = m_profileWidth;
        }
        if (m_effects && line.stipple == 0 && !m_pathHighlights) {
            return Outcome::kOwnDraw;
        }
    }
    line.element = &edge;
    line.color = GetColor(edge, line);
    return Outcome::kPlainLine;
}

CVector3d CEdgeRun::GetSightLine(const CPoint3d& p1, const CPoint3d& p2)
{
    if (!m_sightKnown) {
        m_perspective = m_view->GetCameraState().perspective;
        if (m_perspective) {
            m_eye = m_view->GetLocalEyePoint();
        } else {
            m_direction = m_view->GetLocalViewDirection();
        }
        m_sightKnown = true;
    }
    if (m_perspective) {
        return CPoint3d((p1.x + p2.x) * 0.5, (p1.y + p2.y) * 0.5, (p1.z + p2.z) * 0.5) - m_eye;
    }
    return m_direction;
}

CColor CEdgeRun::GetColor(const CEdge& edge, const CPlainLine& line)
{
    ColorKey key{edge.GetMaterial(), edge.GetLayer(), edge.HasFlag(CDrawingElement::kFlagSecondHighlight),
                 m_options->GetEdgeColorMode(), CVector3d()};
    if (key.mode == kEdgeColorByAxis) {
        key.direction = line.end - line.start;
        (void)key.direction.Normalize();
    }
    if (!m_colorKnown || !(key == m_colorKey)) {
        m_colorKey = key;
        m_color = edge.GetDrawColor(m_view);
        m_colorKnown = true;
    }
    return m_color;
}
