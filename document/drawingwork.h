#pragma once
// CDrawingWork: how much the view would draw of a model, counted before anything is
// drawn. Shared definitions multiply their content with every path that places them
// while the file stays small, so a file is refused by what it would draw, not by how
// many placements it holds.

#include <algorithm>
#include <bit>
#include <cstdint>

#include "foundation/framemeter.h"
#include "foundation/vector3d.h"
#include "model/edgelinelook.h"

class CArchive;
class CComponent;
class CPageList;
class CRenderingOptions;
class CShadowInfo;

class CDrawingWork
{
public:
    // Units of work, the frame meter's: every entity a path draws weighs what its class
    // says it costs (CDrawingElement::GetDrawingWeight: a face its triangles, sent and
    // set up, a face cut into triangles its corners handed to the sweep, one whose loops
    // cross what resolving them costs, and while shadows are on its triangles again and the
    // shadow it casts; an edge its line; a label the pixels of its picture, made and
    // filled; a polyline its points; a picture its pixels decoded). The pictures of the
    // materials drawn are decoded once each, however many faces show them. A placement
    // costs its own drawing and the calls its content's faces and lines are drawn in,
    // since the batches are handed to GL at every placement, and that content again.
    static constexpr std::uint64_t kPlacementCost = CFrameMeter::kPlacementCost + 2 * CFrameMeter::kDrawCallCost;
    // Filling the pixels is counted apart from the entities: copies drawn over one
    // another cost little to send but fill the same pixels again each time. How often
    // the view would be filled where the model is drawn thickest is weighed from the
    // faces' area against the boxes they are drawn in, component by component: over the
    // whole component, and over each place where its copies are drawn over one another.
    // Each time the view is filled costs what the frame meter charges for filling a view
    // of 1280 by 1024 pixels (as measured with two rasteriser threads; a frame and the
    // count share the pixels among the threads GL has).
    static constexpr std::uint64_t kCoverageCost = 1280 * 1024 / CFrameMeter::kFilledPixelsPerUnit;
    // Lines fill pixels along their length on the screen, which shrinks only as fast as
    // the model does: weighed against the same view, at the pixels a frame charges them.
    static constexpr std::uint64_t kViewPixels = 1280 * 1024;
    // What the display settings make of the model: the edges' lines, of those drawn as
    // profiles wherever they are seen (bounding at most one face) and of the others;
    // whether transparent faces are put in order by their boxes' centres, and whether
    // every face is seen through (and so sorted); how long the shadow volumes are.
    struct Shown
    {
        CEdgeLineLook profile;
        CEdgeLineLook other;
        bool boxSort = false;
        bool seeThrough = false;
        // The direction the lowest sun shown casts shadows in (none: no volumes), and how
        // far a volume reaches along it for each unit of height above the ground.
        CVector3d sun;
        double sunReach = 0.0;
    };
    // The heaviest of the model's settings and of every page keeping its own.
    [[nodiscard]] static Shown ShownBy(const CRenderingOptions* model, const CShadowInfo* shadow,
                                       const CPageList* pages);
    // A sun lower than this many units of reach for a unit of height is weighed at it:
    // volumes longer than that mostly leave the view.
    static constexpr double kLongestSunReach = 10.0;
    // The box-centre sort's operations on one record of a component's sort of `records`,
    // whose outline has `corners`: its box, its distance and its share of the sort's
    // steps, each weighed as the pairwise sort weighs its own.
    [[nodiscard]] static constexpr std::uint64_t BoxSortOperations(std::uint64_t corners, std::uint64_t records)
    {
        return 10 * corners + 10 + 5 * static_cast<std::uint64_t>(std::bit_width(records));
    }
    // Sort operations in a unit of the frame meter.
    static constexpr std::uint64_t kSortOperationsPerUnit = 50;
    // A model just under this shows its first frame headless within about ten seconds on
    // a quiet machine.
    static constexpr std::uint64_t kBudget = 200'000'000;
    // Where a count stops: any work past the budget is counted as this.
    static constexpr std::uint64_t kCounted = kBudget + 1;
    // Two amounts of work added, counted no further than kCounted.
    [[nodiscard]] static constexpr std::uint64_t AddWork(std::uint64_t a, std::uint64_t b)
    {
        return std::min(a + b, kCounted);
    }

    // The work of drawing every path from the component through the placed instances,
    // groups and pictures (definitions nothing places count nothing), each component's
    // own work summed once however often it is shared. A face's cut (CFace::SWeight) is
    // counted once however many paths draw it, since the first draw keeps it for every
    // placement and frame after, unless the store could not keep every cut the model
    // makes: then at every path. Counted no further than one past
    // the budget, so that the sums cannot overflow; a component met again while it is
    // being counted (a cycle, which the view does not follow) adds its placement only.
    [[nodiscard]] static std::uint64_t Count(const CComponent& root, bool shadows, const Shown& shown);
    // The same under the default display settings.
    [[nodiscard]] static std::uint64_t Count(const CComponent& root, bool shadows = false);
    // Throws the archive exception when the component's work is beyond the budget, its
    // reason saying whether some copy lies or is scaled past what the view's or the
    // count's numbers hold, or the model would draw too much; shadows says whether the
    // view may show them (the model's or a page's settings), shown what those settings
    // make of the rest. While the model is read, a large list is taken from the sums its
    // read gathered (CMeshReadSums) where those hold: they weigh every line at the heavier
    // of its two looks and no face as a layer over an equal one, so they may weigh more
    // than the walk, never less; a model they put past half the budget is walked, so that
    // what is refused is refused by the walk.
    // Returns the work counted.
    static std::uint64_t Check(const CComponent& root, bool shadows, const Shown& shown, CArchive& ar);
};
