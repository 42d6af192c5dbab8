#pragma once
// CEdgeRun: the edge pass of a component taken as one run. What is the same for every
// edge of the pass is decided once: the display settings, the camera's sight line,
// whether the lighting mode hides edges, whether a layer is hidden, what the instances
// around the pass make of its edges, and the colour of an edge of a material on a
// layer. The edges that draw a plain line hand it to the view in runs
// (DrawPlainLines); a selected or hidden edge, and one with a line effect, draws itself
// after the lines before it, so the order of the lines stays the walk's.
// User-interface thread only.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "drawapi/plainline.h"
#include "foundation/color.h"
#include "foundation/point3d.h"
#include "foundation/vector3d.h"
#include "model/runvisibility.h"

class CEdge;
class CLayer;
class CMaterial;
class CRenderingOptions;
class ITarnisView;

class CEdgeRun
{
public:
    explicit CEdgeRun(ITarnisView* view);
    CEdgeRun(const CEdgeRun&) = delete;
    CEdgeRun& operator=(const CEdgeRun&) = delete;

    void Draw(CEdge& edge);
    // Draws the lines waiting.
    void Flush();

private:
    enum class Outcome
    {
        kNothing,
        kPlainLine,
        kOwnDraw,
    };

    // A material and layer, with the second highlight flag, the edge colour mode and,
    // where the mode colours by axis, the edge's direction, and the colour they give.
    struct ColorKey
    {
        const CMaterial* material = nullptr;
        const CLayer* layer = nullptr;
        bool second = false;
        int mode = 0;
        CVector3d direction;
        bool operator==(const ColorKey& other) const = default;
    };

    [[nodiscard]] Outcome Decide(CEdge& edge, CPlainLine& line);
    [[nodiscard]] CVector3d GetSightLine(const CPoint3d& p1, const CPoint3d& p2);
    [[nodiscard]] CColor GetColor(const CEdge& edge, const CPlainLine& line);

    ITarnisView* m_view;
    const CRenderingOptions* m_options = nullptr;
    // Every edge draws itself: no options, or a setting every edge must ask for.
    bool m_ownDraws = true;
    bool m_lineMode = false;
    // The setting shows edges that are not profiles.
    bool m_modeShows = false;
    bool m_onlyProfiles = false;
    bool m_testProfile = false;
    // A line at full quality takes an effect: depth cue, endpoints or jitter.
    bool m_effects = false;
    double m_profileWidth = 1.0;
    // Decided at the first edge neither selected nor hidden: the instances around the
    // run highlight it (its lines plain and thin), or are hidden and shown as hidden
    // geometry (its lines dashed).
    bool m_pathKnown = false;
    bool m_pathHighlights = false;
    bool m_pathHidden = false;
    // Decided at the first edge that asks.
    bool m_sightKnown = false;
    bool m_perspective = false;
    CPoint3d m_eye;
    CVector3d m_direction;
    CRunVisibility m_visibility;
    ColorKey m_colorKey;
    bool m_colorKnown = false;
    CColor m_color;
    std::vector<CPlainLine> m_lines;
};
