#include "document/drawingwork.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <numeric>
#include <optional>
#include <unordered_map>
#include <vector>

#include "document/component.h"
#include "document/componentinstance.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "document/materialsshown.h"
#include "document/meshreadsums.h"
#include "foundation/boundingbox3d.h"
#include "foundation/framemeter.h"
#include "foundation/parallelchunks.h"
#include "foundation/recentkeys.h"
#include "foundation/transformation.h"
#include "document/pagelist.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/viewpage.h"
#include "model/drawingelement.h"
#include "model/edge.h"
#include "model/entity.h"
#include "model/face.h"
#include "model/keptfacetriangles.h"
#include "model/edgeuse.h"
#include "model/loop.h"
#include "model/vertex.h"
#include "model/relationshipmap.h"
#include "platform/archive.h"
#include "platform/exceptions.h"

namespace {

constexpr std::uint64_t kCounted = CDrawingWork::kCounted;
// The room the kept cuts take is summed as work is, saturating: past the store's room.
static_assert(CKeptFaceTriangles::kMaxIndices < kCounted);
// How many entities ahead of the one being counted are fetched.
constexpr std::size_t kFetchAhead = 16;

constexpr std::uint64_t AddWork(std::uint64_t a, std::uint64_t b)
{
    return CDrawingWork::AddWork(a, b);
}

// An amount that a placement changes by the ways it lies: an area, or a length. Kept
// whole and as it lies along each axis (an area's shadow on the plane across the axis, a
// length's run along it), so that what the placement does to each axis bounds what it
// makes of the whole: a square stretched along its normal keeps its area, and a box
// flattened keeps its thin sides thin.
struct Spread
{
    double whole = 0.0;
    std::array<double, 3> along = {};

    // An amount where which way it lies is not kept: as much along every axis.
    static Spread EveryWay(double amount) { return {amount, {amount, amount, amount}}; }
    // An amount lying along a direction of that length (an area: across its normal).
    static Spread Along(double amount, const CVector3d& direction, double length)
    {
        const double share = amount / length;
        return {amount,
                {share * std::fabs(direction.x), share * std::fabs(direction.y), share * std::fabs(direction.z)}};
    }
    [[nodiscard]] bool IsFinite() const
    {
        return std::isfinite(whole) && std::isfinite(along[0]) && std::isfinite(along[1]) && std::isfinite(along[2]);
    }
    [[nodiscard]] Spread operator*(double factor) const
    {
        return {whole * factor, {along[0] * factor, along[1] * factor, along[2] * factor}};
    }
    Spread& operator+=(const Spread& other)
    {
        whole += other.whole;
        for (std::size_t axis = 0; axis < 3; ++axis) {
            along[axis] += other.along[axis];
        }
        return *this;
    }
    [[nodiscard]] Spread operator+(const Spread& other) const
    {
        Spread sum = *this;
        return sum += other;
    }
};

// No less than either, along every axis too.
Spread Thickest(const Spread& a, const Spread& b)
{
    return {std::max(a.whole, b.whole),
            {std::max(a.along[0], b.along[0]), std::max(a.along[1], b.along[1]), std::max(a.along[2], b.along[2])}};
}

// What a placement makes of lengths, or of areas: where a unit along each axis goes (the
// image of the axis, or of the unit square across it), and the most anything grows by.
// Any amount grows no more than by that most, nor than the sum of what its runs along
// the axes become, each by its axis's image: exact for a stretch along the axes.
class Stretching
{
public:
    Stretching(const std::array<CVector3d, 3>& images, double most) : m_most(most)
    {
        for (std::size_t axis = 0; axis < 3; ++axis) {
            const CVector3d& image = images[axis];
            m_reach[0][axis] = std::fabs(image.x);
            m_reach[1][axis] = std::fabs(image.y);
            m_reach[2][axis] = std::fabs(image.z);
            m_length[axis] = image.GetLength();
        }
    }

    // Every number finite (none is negative, so their sum is finite only then): a placement
    // too large for them is one the count cannot weigh.
    [[nodiscard]] bool Holds() const
    {
        double sum = m_most;
        for (std::size_t axis = 0; axis < 3; ++axis) {
            sum += m_length[axis] + m_reach[0][axis] + m_reach[1][axis] + m_reach[2][axis];
        }
        return std::isfinite(sum);
    }

    [[nodiscard]] Spread Of(const Spread& amount) const
    {
        Spread result;
        double runs = 0.0;
        for (std::size_t axis = 0; axis < 3; ++axis) {
            runs += amount.along[axis] * m_length[axis];
            for (std::size_t to = 0; to < 3; ++to) {
                result.along[to] += m_reach[to][axis] * amount.along[axis];
            }
        }
        result.whole = std::min(amount.whole * m_most, runs);
        return result;
    }

private:
    std::array<std::array<double, 3>, 3> m_reach = {};
    std::array<double, 3> m_length = {};
    double m_most = 0.0;
};

// What a frame charges along lengths on the screen, as lengths in the model times the
// filled pixels that each pixel of them costs: the lines' pixels and steps, which the
// rasteriser's threads share, and the screen tiles the faces' triangles are set up in,
// which the drawing thread pays however many threads fill. A line keeps its width in
// pixels and a triangle sets up in every tile it reaches however small a copy is drawn,
// so both shrink only with a copy's lengths.
struct StrokeLengths
{
    Spread lines;
    Spread setups;

    [[nodiscard]] bool Counts() const { return lines.whole > 0.0 || setups.whole > 0.0; }
    StrokeLengths& operator+=(const StrokeLengths& other)
    {
        lines += other.lines;
        setups += other.setups;
        return *this;
    }
};

// How often the strokes fill the view.
struct Strokes
{
    double lines = 0.0;
    double setups = 0.0;

    [[nodiscard]] bool Counts() const { return lines > 0.0 || setups > 0.0; }
    Strokes& operator+=(const Strokes& other)
    {
        lines += other.lines;
        setups += other.setups;
        return *this;
    }
};

Strokes Thickest(const Strokes& a, const Strokes& b)
{
    return {std::max(a.lines, b.lines), std::max(a.setups, b.setups)};
}

// What GL's matrices hold along the paths below a component (each, and every part of it
// from its start) as GL multiplies a placement's matrix into the one it lies in: the last
// element (the stored scales' inverses multiplied) at its largest and smallest, and the
// translation column's length at its largest. Kept per component, weighed once however
// many paths place it; the paths from the model decide, as a copy shrunk may grow again.
struct Held
{
    double mostShrink = 1.0;
    double leastShrink = 1.0;
    double reach = 0.0;

    // Seen through a placement whose matrix stretches by at most `linear` (its scale left
    // out), whose scale's inverse is `shrink`, and whose origin lies `origin` away: its
    // origin times the last element of what lies in it, added to that turned. What no
    // double holds stays past every bound.
    [[nodiscard]] Held Through(double linear, double shrink, double origin) const
    {
        const double farther = linear * reach + origin * mostShrink;
        return {mostShrink * shrink, leastShrink * shrink, std::isnan(farther) ? HUGE_VAL : farther};
    }
    void Take(const Held& other)
    {
        mostShrink = std::max(mostShrink, other.mostShrink);
        leastShrink = std::min(leastShrink, other.leastShrink);
        reach = std::max(reach, other.reach);
    }
};

// What drawing one component costs wherever it is placed, in the component's own axes:
// the work of its entities and of everything it places, the box they are drawn in, and
// how often the view would be filled where the component is drawn thickest.
struct Tally
{
    std::uint64_t work = 0;
    Spread coverage;
    // How often its layers cover the view there, each counted as filled: what a copy of
    // it drawn over an equal copy has the depth test reject.
    Spread layers;
    CBoundingBox3d box;
    // Some face shows a material one sees through, or takes the placement's material.
    bool seeThrough = false;
    bool inherits = false;
    // The strokes' lengths, and how often they would fill the view where the
    // component's strokes are drawn thickest.
    StrokeLengths strokeLength;
    Strokes strokeCoverage;
    // Its faces' cuts and its content's, at every path: what they would cost were the
    // cuts not kept. The work above leaves them out.
    std::uint64_t cuts = 0;
    Held held = {};
    // Some copy in it lies or is scaled beyond what the view's or the count's numbers hold:
    // its work is past the budget however little it draws.
    bool outOfReach = false;
};

// A component while its entities are counted: its own faces, and what it places.
struct Sum
{
    std::uint64_t work = 0;
    // Its own faces' cuts, made once and kept for every placement and frame after, and the
    // room keeping them takes; its content's cuts at every path.
    std::uint64_t cut = 0;
    std::uint64_t kept = 0;
    std::uint64_t placedCuts = 0;
    Spread area;
    Spread layerArea;
    CBoundingBox3d ownBox;
    // The box of its faces and edges, drawn or not: its bounds but for its other entities.
    CBoundingBox3d meshBox;
    // What goes to both boxes, its faces' and its drawn edges', added to them once its
    // walk is done (CloseBoxes): a box is the same whatever order its points come in.
    CBoundingBox3d walkedBox;
    Spread placedFill;
    Spread placedLayers;
    CBoundingBox3d placedBox;
    std::size_t placements = 0;
    bool seeThrough = false;
    bool inherits = false;
    StrokeLengths strokeLength;
    StrokeLengths placedStrokeLength;
    Held held = {};
    bool outOfReach = false;
};

// A layer drawn exactly over an equal one before it (a face in the plane and the box of
// an earlier face of its component, a copy placed as an earlier copy of the same
// component is) lies at the same depth: the depth test rejects its pixels, which costs
// this share of filling them. Layers one sees through are filled anew.
constexpr double kBehindShare =
    static_cast<double>(CFrameMeter::kFilledPixelsPerUnit) / static_cast<double>(CFrameMeter::kRejectedPixelsPerUnit);

// The layers met last: one met again while the table still holds it lies over an equal
// one. One pushed out is later taken for new, which can only raise the count.
template <std::size_t kWords, std::size_t kHashed = kWords>
using RecentLayers = CRecentKeys<std::array<std::uint64_t, kWords>, 1024, kHashed>;
// A face: its component, its first two corners, its normal and its box (the two
// triangles of a square share the rest). The component and the corners choose its slot.
using FaceLayers = RecentLayers<16, 7>;
// A copy: the component placing it, the component placed, and its transformation.
using CopyLayers = RecentLayers<2 + static_cast<std::size_t>(CTransformation::kStoredNumberCount)>;

std::uint64_t Word(double value)
{
    return std::bit_cast<std::uint64_t>(value);
}

std::uint64_t Word(const void* pointer)
{
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(pointer));
}

bool SeenThrough(const CMaterial* material)
{
    return material != nullptr && material->IsTransparent();
}

using CountedMap = std::unordered_map<const CComponent*, std::optional<Tally>>;

// What a box shows of itself seen from anywhere: half its surface.
double HalfSurface(const CBoundingBox3d& box)
{
    const double x = box.xmax - box.xmin;
    const double y = box.ymax - box.ymin;
    const double z = box.zmax - box.zmin;
    return x * y + y * z + z * x;
}

// How often the fill covers the box; damaged numbers from a file count none.
Spread CoverageOf(const Spread& fill, const CBoundingBox3d& box)
{
    if (box.IsEmpty()) {
        return {};
    }
    const Spread coverage = fill * (1.0 / HalfSurface(box));
    return coverage.IsFinite() && coverage.whole > 0.0 ? coverage : Spread{};
}

// How often strokes of that length (times the pixels each pixel of it costs) fill the
// view that shows the box: a pixel is as wide as the box's half surface spread over the
// view, or as its longest side across the view's width.
double StrokeCoverageOf(double length, const CBoundingBox3d& box)
{
    if (box.IsEmpty() || !(length > 0.0)) {
        return 0.0;
    }
    constexpr auto kViewPixels = static_cast<double>(CDrawingWork::kViewPixels);
    const double extent = std::max({box.xmax - box.xmin, box.ymax - box.ymin, box.zmax - box.zmin});
    const double pixel = std::max(std::sqrt(HalfSurface(box) / kViewPixels), extent / 1280.0);
    const double coverage = length / pixel / kViewPixels;
    return std::isfinite(coverage) && coverage > 0.0 ? coverage : 0.0;
}

Strokes StrokeCoverageOf(const StrokeLengths& length, const CBoundingBox3d& box)
{
    return {StrokeCoverageOf(length.lines.whole, box), StrokeCoverageOf(length.setups.whole, box)};
}

// Damaged numbers from a file count no area rather than all of it.
void AddArea(Spread& sum, const Spread& area)
{
    if (area.IsFinite() && area.whole > 0.0) {
        sum += area;
    }
}

void AddStrokes(StrokeLengths& sum, const StrokeLengths& strokes)
{
    AddArea(sum.lines, strokes.lines);
    AddArea(sum.setups, strokes.setups);
}

// The length of the face's loops, and its runs along the axes.
Spread LoopsLength(const CFace& face)
{
    thread_local std::vector<CPoint3d> points;
    Spread length;
    for (int i = 0; i < face.GetLoopCount(); ++i) {
        if (const CLoop* loop = face.GetLoop(i)) {
            points.clear();
            loop->GetPoints(points, nullptr);
            for (std::size_t k = 0; k < points.size(); ++k) {
                const CVector3d side = points[(k + 1) % points.size()] - points[k];
                length.whole += side.GetLength();
                length.along[0] += std::fabs(side.x);
                length.along[1] += std::fabs(side.y);
                length.along[2] += std::fabs(side.z);
            }
        }
    }
    return length;
}

// A triangle's setup in each screen tile of kTileSide pixels it reaches, along a length
// on the screen: in filled pixels for each pixel of it.
constexpr double kSetupPerPixel =
    static_cast<double>(CFrameMeter::kTriangleSetupCost * CFrameMeter::kFilledPixelsPerUnit) /
    static_cast<double>(CFrameMeter::kTileSide);

// The screen tiles a face's triangles are set up in. A fan reaches from its first corner
// across the face, each triangle no further than the face's box from any side: it lies as
// the box's diagonal. The sweep cuts a face into pieces along its length and each piece
// into triangles from side to side, as wide as the face is across on average: those lie
// in the face's plane square to its box's longest side, and grow as a placement stretches
// the face that way. Those between neighbouring corners (of holes, lying straight between
// theirs, added at crossings) reach about as far as the loops run, and lie as they do. An
// estimate measured against frames, never more than a fan's.
Spread SetupLength(const CFace& face, const CFace::SWeight& weight, double area, const CBoundingBox3d& box)
{
    const double x = box.xmax - box.xmin;
    const double y = box.ymax - box.ymin;
    const double z = box.zmax - box.zmin;
    const double diagonal = std::sqrt(x * x + y * y + z * z);
    if (!(diagonal > 0.0)) {
        return {};
    }
    const auto triangles = static_cast<double>(weight.triangles);
    const Spread fan = Spread::Along(triangles * diagonal * kSetupPerPixel, CVector3d(x, y, z), diagonal);
    if (weight.cut == 0) {
        return fan;
    }
    const double longest = std::max({x, y, z});
    const double across = triangles * area / longest;
    const Spread loops = LoopsLength(face);
    if (!(across + loops.whole < fan.whole / kSetupPerPixel)) {
        return fan;
    }
    CVector3d side(0.0, 0.0, 1.0);
    if (longest == x) {
        side = CVector3d(1.0, 0.0, 0.0);
    } else if (longest == y) {
        side = CVector3d(0.0, 1.0, 0.0);
    }
    const CVector3d crossing = CVector3d(face.GetNormal()).CrossProduct(side);
    const double crossingLength = crossing.GetLength();
    const Spread width = crossingLength > 0.0 ? Spread::Along(across, crossing, crossingLength)
                                              : Spread::Along(across, CVector3d(x, y, z), diagonal);
    return (width + loops) * kSetupPerPixel;
}

// Openings are cut by glued instances, which only the relationships of the face's
// component and the components holding it name: without any, a face's area is its
// loops' alone. Too deep a chain to tell counts as having them.
bool MayHaveOpenings(const CComponent& component)
{
    const CEntity* holder = &component;
    for (int depth = 0; depth <= CComponent::kMaxNestingDepth * 2; ++depth) {
        const auto* held = dynamic_cast<const CComponent*>(holder);
        if (held == nullptr) {
            return false;
        }
        if (const CRelationshipMap* map = held->GetRelationshipMap(); map != nullptr && !map->IsEmpty()) {
            return true;
        }
        holder = held->GetParent();
    }
    return true;
}

// The length of a face's normal. Neighbouring faces mostly lie in one plane (a mesh's
// faces often all do), so the last normal's length is kept: the three-way hypotenuse
// costs more than the rest of a triangle's area.
double NormalLength(const CUnitVector3d& normal)
{
    thread_local double last[3] = {0.0, 0.0, 0.0};
    thread_local double length = 0.0;
    if (normal.x != last[0] || normal.y != last[1] || normal.z != last[2]) {
        last[0] = normal.x;
        last[1] = normal.y;
        last[2] = normal.z;
        length = std::hypot(normal.x, normal.y, normal.z);
    }
    return length;
}

// The face's area, its outer corners added to the box on the same walk: the count asks
// this of every face a file holds. A plane is kept as the file stored it, its normal of
// any length, and the loops' area along it grows with that length: divided by it, a
// damaged plane weighs what its face covers, not what its numbers reach.
double FaceArea(const CFace& face, bool openings, CBoundingBox3d& box)
{
    const CUnitVector3d normal = face.GetNormal();
    const double length = NormalLength(normal);
    if (openings) {
        face.GetExtents(box);
        return face.GetArea() / length;
    }
    double area = 0.0;
    for (int i = 0; i < face.GetLoopCount(); ++i) {
        if (const CLoop* loop = face.GetLoop(i)) {
            const double loopArea = std::fabs(loop->GetSignedArea(normal, nullptr, i == 0 ? &box : nullptr));
            area += loop->IsOuter() ? loopArea : -loopArea;
        }
    }
    return area / length;
}

// What the face adds to the fill once its loops' area and its box are known: its area, or
// the share of it that a layer over an equal one costs (its first two corners, a and b,
// tell the layer; none where missing), lying across its normal; its triangles' setups go
// to the strokes.
Spread LayerFill(const CComponent& component, const CFace& face, const CFace::SWeight& weight, double loops,
                 const CBoundingBox3d& box, const CPoint3d* a, const CPoint3d* b, Sum& sum, FaceLayers& layers)
{
    // A flat face covers its box at most once seen from anywhere: a corner moved far
    // beyond the extents, which the box leaves out, does not make it cover more.
    const double flat = box.IsEmpty() ? 0.0 : std::min(loops, HalfSurface(box));
    if (!box.IsEmpty()) {
        AddArea(sum.strokeLength.setups, SetupLength(face, weight, flat, box));
    }
    const CUnitVector3d normal = face.GetNormal();
    const Spread area = Spread::Along(flat, CVector3d(normal), NormalLength(normal));
    AddArea(sum.layerArea, area);
    const bool seeThrough = SeenThrough(face.GetMaterial()) || SeenThrough(face.GetBackMaterial());
    sum.seeThrough = sum.seeThrough || seeThrough;
    sum.inherits = sum.inherits || face.GetMaterial() == nullptr;
    if (seeThrough || box.IsEmpty() || a == nullptr || b == nullptr) {
        return area;
    }
    const FaceLayers::Key key{Word(&component), Word(a->x),     Word(a->y),     Word(a->z),     Word(b->x),
                              Word(b->y),       Word(b->z),     Word(normal.x), Word(normal.y), Word(normal.z),
                              Word(box.xmin),   Word(box.xmax), Word(box.ymin), Word(box.ymax), Word(box.zmin),
                              Word(box.zmax)};
    return layers.Repeats(key) ? area * kBehindShare : area;
}

// The same for any face, its area and box walked along its loops: the box is its
// extents, so it goes to the bounds too.
Spread FaceFill(const CComponent& component, const CFace& face, const CFace::SWeight& weight, bool openings,
                Sum& sum, FaceLayers& layers)
{
    CBoundingBox3d box;
    const double loops = FaceArea(face, openings, box);
    sum.walkedBox.Add(box);
    const CLoop* outer = face.GetOuterLoop();
    const CEdgeUse* first = outer != nullptr ? outer->GetFirstEdgeUse() : nullptr;
    const CEdgeUse* second = first != nullptr ? first->GetNext() : nullptr;
    const CVertex* a = first != nullptr ? first->GetStartVertex() : nullptr;
    const CVertex* b = second != nullptr ? second->GetStartVertex() : nullptr;
    return LayerFill(component, face, weight, loops, box, a != nullptr ? &a->GetPosition() : nullptr,
                     b != nullptr ? &b->GetPosition() : nullptr, sum, layers);
}

// A line's strokes and ticks beyond the two vertices an edge's weight counts, with the
// pixels they fill whatever the line's length.
std::uint64_t LineExtraWork(const CEdgeLineLook& look)
{
    return look.vertices - std::min<std::uint64_t>(look.vertices, 2) +
           CFrameMeter::PixelUnits(static_cast<std::uint64_t>(look.fixedPixels), CFrameMeter::kLinePixelsPerUnit);
}

// What a frame charges for a line's pixels, in filled pixels.
constexpr double kLineCharge =
    static_cast<double>(CFrameMeter::kFilledPixelsPerUnit) / static_cast<double>(CFrameMeter::kLinePixelsPerUnit);

// An edge's strokes and ticks beyond the two vertices its weight counts, and the pixels
// its line fills: along its length, weighed against the component's box once it is known.
// Its ends go to the box the lines are weighed in when it is drawn, to the bounds always.
void AddLine(Sum& sum, const CEdge& edge, const CDrawingWork::Shown& shown)
{
    // Where profiles look like the other edges (the settings draw no profiles apart), which
    // kind the edge is need not be asked: that looks at its uses.
    const CEdgeLineLook& look =
        shown.profile == shown.other || !edge.IsAlwaysProfile() ? shown.other : shown.profile;
    if (look.widthAlong <= 0.0) {
        edge.GetExtents(sum.meshBox);
        return;
    }
    sum.work = AddWork(sum.work, LineExtraWork(look));
    const CVertex* start = edge.GetStartVertex();
    const CVertex* end = edge.GetEndVertex();
    if (start == nullptr || end == nullptr)
        return;
    // CEdge::GetLength and GetExtents, the ends fetched once.
    const CPoint3d& p = start->GetPosition();
    const CPoint3d& q = end->GetPosition();
    // CPoint3d::Distance, without its two calls.
    const double squared = (p - q).GetLengthSquared();
    if (squared > kZeroLengthSquared) {
        const double length = std::sqrt(squared);
        AddArea(sum.strokeLength.lines, Spread::Along(length * look.widthAlong * kLineCharge, q - p, length));
    }
    sum.walkedBox.Add(p);
    sum.walkedBox.Add(q);
}

// The sides of the volume a face casts: each side of its loops drawn down along the sun
// to the ground below the model, taken as lying a unit below the origin's level; counted
// as area the face fills, at what a frame charges volume pixels against face pixels. The
// box takes in where the volume may reach.
double VolumeArea(const CFace& face, const CDrawingWork::Shown& shown, CBoundingBox3d& box)
{
    const double reach = shown.sunReach;
    CBoundingBox3d own;
    face.GetExtents(own);
    if (!own.IsEmpty()) {
        // Its shadow falls that way on the ground.
        const CVector3d along(shown.sun.x * reach, shown.sun.y * reach, 0.0);
        const CPoint3d low(own.xmin, own.ymin, std::min(own.zmin, 0.0) - 1.0);
        const CPoint3d high(own.xmax, own.ymax, own.zmax);
        box.Add(low + along * (std::max(own.zmin, 0.0) + 1.0));
        box.Add(high + along * (std::max(own.zmax, 0.0) + 1.0));
    }
    thread_local std::vector<CPoint3d> points;
    double area = 0.0;
    for (int i = 0; i < face.GetLoopCount(); ++i) {
        const CLoop* loop = face.GetLoop(i);
        if (loop == nullptr) {
            continue;
        }
        points.clear();
        loop->GetPoints(points, nullptr);
        for (std::size_t k = 0; k < points.size(); ++k) {
            const CPoint3d& p = points[k];
            const CPoint3d& q = points[(k + 1) % points.size()];
            const double height = (std::max(p.z, 0.0) + std::max(q.z, 0.0)) / 2.0 + 1.0;
            area += (q - p).GetLength() * height * reach;
        }
    }
    // Seen as the box is, a volume's pixels come to about twice its sides' area (measured
    // against what frames charge): each is counted by a front and a back.
    constexpr double kCharged = 2.0 * static_cast<double>(CFrameMeter::kFilledPixelsPerUnit) /
                                static_cast<double>(CFrameMeter::kVolumePixelsPerUnit);
    return area * kCharged;
}

bool Blends(const CMaterial* material)
{
    return material != nullptr && material->Blends();
}

// A face the box-centre sort puts in order, among the records of its component.
std::uint64_t BoxSortWork(const CFace& face, std::size_t records, const CDrawingWork::Shown& shown)
{
    if (!shown.boxSort || !(shown.seeThrough || Blends(face.GetMaterial()) || Blends(face.GetBackMaterial()))) {
        return 0;
    }
    const CLoop* outer = face.GetOuterLoop();
    const auto corners = static_cast<std::uint64_t>(outer != nullptr ? outer->GetEdgeUseCount() : 0);
    return CDrawingWork::BoxSortOperations(corners, records) / CDrawingWork::kSortOperationsPerUnit;
}

// A face of one convex triangle, nearly every face of a mesh: its corners fetched once
// give its weight, its area, its box and its layer, worked out as for any face. Answers
// false, having added nothing, for any other face.
bool AddTriangle(Sum& sum, const CComponent& component, const CFace& face, bool shadows, bool openings,
                 FaceLayers& layers)
{
    const CLoop* loop = face.GetLoopCount() == 1 ? face.GetLoop(0) : nullptr;
    CPoint3d corners[3];
    if (openings || loop == nullptr || !loop->IsConvex() || !loop->IsOuter() || !loop->GetTrianglePoints(corners)) {
        return false;
    }
    // Added as the walk along the loop adds them: a corner the box cannot hold is left out.
    CBoundingBox3d box;
    for (const CPoint3d& corner : corners) {
        box.Add(corner);
    }
    sum.walkedBox.Add(box);
    const CFace::SWeight weight = face.GetConvexTriangleWeight(shadows);
    sum.work = AddWork(sum.work, weight.drawn);
    const CUnitVector3d normal = face.GetNormal();
    const CVector3d cross = (corners[1] - corners[0]).CrossProduct(corners[2] - corners[0]);
    const double loops = std::fabs(0.5 * DotProduct(CVector3d(normal), cross)) / NormalLength(normal);
    AddArea(sum.area, LayerFill(component, face, weight, loops, box, &corners[0], &corners[1], sum, layers));
    return true;
}

void AddFace(Sum& sum, const CComponent& component, const CFace& face, bool shadows, bool openings,
             const CDrawingWork::Shown& shown, std::size_t records, FaceLayers& layers)
{
    if (!AddTriangle(sum, component, face, shadows, openings, layers)) {
        const CFace::SWeight weight = face.GetWeightParts(shadows);
        sum.work = AddWork(sum.work, weight.drawn);
        sum.cut = AddWork(sum.cut, weight.cut);
        sum.kept = AddWork(sum.kept, weight.kept);
        // Nearly all the pixels are the faces' and the lines'; texts fill few.
        AddArea(sum.area, FaceFill(component, face, weight, openings, sum, layers));
    }
    sum.work = AddWork(sum.work, BoxSortWork(face, records, shown));
    if (shadows && shown.sunReach > 0.0 && face.CastsShadows()) {
        AddArea(sum.area, Spread::EveryWay(VolumeArea(face, shown, sum.ownBox)));
    }
}

void AddEdge(Sum& sum, const CEdge& edge, bool shadows, const CDrawingWork::Shown& shown)
{
    sum.work = AddWork(sum.work, edge.GetDrawingWeight(shadows));
    AddLine(sum, edge, shown);
}

void AddOwn(Sum& sum, const CComponent& component, const CDrawingElement& entity, bool shadows, bool openings,
            const CDrawingWork::Shown& shown, std::size_t records, FaceLayers& layers)
{
    const int type = entity.GetTypeId();
    if (type == kTypeFace) {
        AddFace(sum, component, static_cast<const CFace&>(entity), shadows, openings, shown, records, layers);
    } else if (type == kTypeEdge) {
        AddEdge(sum, static_cast<const CEdge&>(entity), shadows, shown);
    } else {
        sum.work = AddWork(sum.work, entity.GetDrawingWeight(shadows));
    }
}

// The points that went to both boxes, added to them once the walk is done.
void CloseBoxes(Sum& sum)
{
    sum.ownBox.Add(sum.walkedBox);
    sum.meshBox.Add(sum.walkedBox);
    sum.walkedBox = CBoundingBox3d();
}

// One placement of a counted component, in the axes of the component placing it: the
// box it is drawn in, and its fill, the area of faces that would fill that box as often,
// and the same for its layers.
struct Copy
{
    Spread fill;
    Spread layers;
    CBoundingBox3d box;
    StrokeLengths strokeLength;
    Strokes strokeCoverage;
    // Placed so large that the count cannot weigh it.
    bool beyond = false;
    // What GL's matrices hold along it and inside it (none where it draws nothing).
    Held held = {};
};

// A placement that moves its copy without turning or stretching it, as most do: its faces
// and lines stay as they are.
bool OnlyMoves(const CTransformation& transform)
{
    const double* matrix = transform.GetMatrix();
    return transform.GetScale() == 1.0 && matrix[0] == 1.0 && matrix[4] == 1.0 && matrix[8] == 1.0 &&
           matrix[1] == 0.0 && matrix[2] == 0.0 && matrix[3] == 0.0 && matrix[5] == 0.0 && matrix[6] == 0.0 &&
           matrix[7] == 0.0;
}

// Through the placement, its largest stretch without its scale: one too small to keep its
// digits bounded by the matrix's numbers. The scale's inverse is infinite for a scale of 0.
Held HeldThrough(const CTransformation& transform, const CVector3d& stretches, const Held& inside)
{
    const double scale = std::fabs(transform.GetScale());
    const double* matrix = transform.GetMatrix();
    const double linear = std::isnormal(stretches.x) ? stretches.x / scale
                                                     : std::sqrt(std::inner_product(matrix, matrix + 9, matrix, 0.0));
    return inside.Through(linear, 1.0 / scale, transform.GetTranslation().GetLength());
}

Copy Placed(const CDrawingElement& entity, const Tally& placed)
{
    if (placed.box.IsEmpty()) {
        return {};
    }
    const double surface = HalfSurface(placed.box);
    const Spread fill = placed.coverage * surface;
    const Spread layers = placed.layers * surface;
    const auto* instance = dynamic_cast<const CComponentInstance*>(&entity);
    if (instance == nullptr) {
        return {fill, layers, placed.box, placed.strokeLength, placed.strokeCoverage, false, placed.held};
    }
    const CTransformation& transform = instance->GetTransform();
    if (OnlyMoves(transform)) {
        return {fill, layers, transform * placed.box, placed.strokeLength, placed.strokeCoverage, false,
                placed.held.Through(1.0, 1.0, transform.GetTranslation().GetLength())};
    }
    // Each face of the copy covers its area as the placement turns the plane across its
    // normal (the image of the unit square there), no more than by the two largest
    // stretches however it lies: a post stretched along one axis covers as much more as
    // its long sides do, a square stretched along its normal as much as before. Lines and
    // the triangles' reach grow as the lengths along them do.
    const CVector3d stretches = transform.GetStretches();
    const std::array<CVector3d, 3> axes = {transform * CVector3d(1.0, 0.0, 0.0), transform * CVector3d(0.0, 1.0, 0.0),
                                           transform * CVector3d(0.0, 0.0, 1.0)};
    const Stretching lengths(axes, stretches.x);
    const Stretching areas(
        {axes[1].CrossProduct(axes[2]), axes[2].CrossProduct(axes[0]), axes[0].CrossProduct(axes[1])},
        stretches.x * stretches.y);
    Copy copy{areas.Of(fill),
              areas.Of(layers),
              transform * placed.box,
              {lengths.Of(placed.strokeLength.lines), lengths.Of(placed.strokeLength.setups)},
              {},
              false,
              HeldThrough(transform, stretches, placed.held)};
    // A copy stretched more one way than another covers its box with its strokes as they
    // grow, which may be thicker than they lay in the component's own box.
    copy.strokeCoverage = Thickest(placed.strokeCoverage, StrokeCoverageOf(copy.strokeLength, copy.box));
    const bool weighed = copy.fill.IsFinite() && copy.layers.IsFinite() && copy.strokeLength.lines.IsFinite() &&
                         copy.strokeLength.setups.IsFinite();
    const bool counts = fill.whole > 0.0 || layers.whole > 0.0 || placed.strokeLength.Counts();
    copy.beyond = counts && (!lengths.Holds() || !areas.Holds() || !weighed);
    return copy;
}

// GL holds a placement's matrix in single precision (to about 3.4e38) with its scale as
// the inverse in the last element, multiplied into the matrices it lies in, and the view's
// distances multiplied by it: a copy shrunk so far along its path (a stored scale of 0 to
// begin with) leaves GL numbers it cannot hold, and a frame would weigh every triangle of
// it as filling the view. Such a path refuses the model as a placement too large for the
// count to weigh does; this leaves the view's own numbers a factor of 1e18 before they would.
constexpr double kMostShrink = 1e20;
// The most a path's translation column may hold with the view's distances times its last
// element (a copy shrunk to 1e-19 far out holds its distance divided by that): the view's
// distances and the projection reach a few times the model's box, zoomed out further, and
// this leaves them a factor of 300. The last element no smaller than this one's inverse.
constexpr double kMostHeld = 1e36;

// Whether GL's matrices hold every path from the model, the view's distances reaching as
// far as the model's box from its origin.
bool HeldByTheView(const Tally& model)
{
    const CBoundingBox3d& box = model.box;
    const double far = box.IsEmpty() ? 0.0
                                     : std::max({std::fabs(box.xmin), std::fabs(box.xmax), std::fabs(box.ymin),
                                                 std::fabs(box.ymax), std::fabs(box.zmin), std::fabs(box.zmax)});
    const Held& held = model.held;
    return held.mostShrink <= kMostShrink && held.leastShrink >= 1.0 / kMostHeld &&
           held.reach + far * held.mostShrink <= kMostHeld;
}

// Whether the copy shows a material one sees through: its own faces', or the
// placement's where its faces take that.
bool IsSeenThrough(const CDrawingElement& entity, const Tally& placed)
{
    return placed.seeThrough || (placed.inherits && SeenThrough(entity.GetMaterial()));
}

void AddPlaced(Sum& sum, const CDrawingElement& entity, const Tally& placed, bool shadows)
{
    sum.work = AddWork(sum.work, AddWork(entity.GetDrawingWeight(shadows), placed.work));
    sum.placedCuts = AddWork(sum.placedCuts, placed.cuts);
    const Copy copy = Placed(entity, placed);
    if (copy.beyond) {
        sum.work = kCounted;
    }
    sum.outOfReach = sum.outOfReach || copy.beyond || placed.outOfReach;
    sum.held.Take(copy.held);
    AddArea(sum.placedFill, copy.fill);
    AddArea(sum.placedLayers, copy.layers);
    AddStrokes(sum.placedStrokeLength, copy.strokeLength);
    sum.placedBox.Add(copy.box);
    ++sum.placements;
    sum.seeThrough = sum.seeThrough || IsSeenThrough(entity, placed);
    sum.inherits = sum.inherits || (placed.inherits && entity.GetMaterial() == nullptr);
}

// A copy placed as an earlier copy of the same component is, drawn over it.
bool RepeatsCopy(const CComponent& component, const CDrawingElement& entity, const Tally& placed, CopyLayers& layers)
{
    if (IsSeenThrough(entity, placed)) {
        return false;
    }
    const auto* instance = dynamic_cast<const CComponentInstance*>(&entity);
    double numbers[CTransformation::kStoredNumberCount] = {};
    if (instance != nullptr) {
        instance->GetTransform().GetStoredNumbers(numbers);
    }
    CopyLayers::Key key{Word(&component), Word(entity.GetNestedComponent())};
    for (std::size_t i = 0; i < std::size(numbers); ++i) {
        key[2 + i] = Word(numbers[i]);
    }
    return layers.Repeats(key);
}

// Where a copy is drawn, coarsely: the power of two just above its size, and the cell of
// that size its centre lies in. Copies drawn over one another share it; copies side by
// side at least their size apart do not.
struct CellKey
{
    int size = 0;
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    bool operator==(const CellKey&) const = default;
};

std::optional<CellKey> CellOf(const CBoundingBox3d& box)
{
    const double extent = std::max({box.xmax - box.xmin, box.ymax - box.ymin, box.zmax - box.zmin});
    if (!(extent > 0.0) || !std::isfinite(extent)) {
        return std::nullopt;
    }
    const int size = std::ilogb(extent) + 1;
    const double cell = std::ldexp(1.0, size);
    // Adding zero turns a negative zero into the zero it equals, for the hash.
    const CellKey key{size, std::floor((box.xmin + box.xmax) / 2.0 / cell) + 0.0,
                      std::floor((box.ymin + box.ymax) / 2.0 / cell) + 0.0,
                      std::floor((box.zmin + box.zmax) / 2.0 / cell) + 0.0};
    if (!std::isfinite(key.x) || !std::isfinite(key.y) || !std::isfinite(key.z)) {
        return std::nullopt;
    }
    return key;
}

std::size_t HashOf(const CellKey& key)
{
    std::uint64_t hash = static_cast<std::uint64_t>(static_cast<std::uint32_t>(key.size));
    for (const double part : {key.x, key.y, key.z}) {
        hash = (hash ^ std::bit_cast<std::uint64_t>(part)) * 0x9E3779B97F4A7C15ULL;
        hash ^= hash >> 29;
    }
    return static_cast<std::size_t>(hash);
}

// How often the copies in a cell fill the view, and how often their layers cover it.
struct Thickness
{
    Spread coverage;
    Spread layers;

    [[nodiscard]] bool Counts() const { return layers.whole > 0.0; }
    Thickness& operator+=(const Thickness& other)
    {
        coverage += other.coverage;
        layers += other.layers;
        return *this;
    }
};

template <typename Thick>
struct Cell
{
    CellKey key;
    Thick thickness;
    bool used = false;
};

// The cells of one component's copies, kept in one table reused for every component.
// Past its size a copy is added to a cell it does not belong to, which can only raise
// the answer: a model never passes for less than it draws.
template <typename Thick>
class StackCells
{
public:
    void Reset(std::size_t copies)
    {
        std::size_t size = 16;
        while (size < 2 * copies && size < kMaxCells) {
            size *= 2;
        }
        m_cells.assign(size, Cell<Thick>{});
    }

    // Answers the thickness of the copy's cell with the copy.
    Thick Add(const CBoundingBox3d& box, const Thick& thickness)
    {
        const std::optional<CellKey> key = CellOf(box);
        if (!key || !thickness.Counts()) {
            return {};
        }
        const std::size_t mask = m_cells.size() - 1;
        const std::size_t home = HashOf(*key) & mask;
        Cell<Thick>* chosen = &m_cells[home];
        for (std::size_t probe = 0; probe < kProbes; ++probe) {
            Cell<Thick>& cell = m_cells[(home + probe) & mask];
            if (!cell.used || cell.key == *key) {
                chosen = &cell;
                break;
            }
        }
        if (!chosen->used) {
            chosen->used = true;
            chosen->key = *key;
        }
        chosen->thickness += thickness;
        return chosen->thickness;
    }

private:
    static constexpr std::size_t kMaxCells = std::size_t{1} << 18;
    static constexpr std::size_t kProbes = 16;
    std::vector<Cell<Thick>> m_cells;
};

// The copies of a component: how thick they are where most of them are drawn over one
// another, and their fill, a copy over an equal one weighed at what the depth test's
// rejecting all its layers costs.
struct Stack
{
    Thickness thickest;
    Spread fill;
    // How often the copies' strokes fill the view where they are drawn thickest.
    Strokes strokes;
};

Thickness ThicknessOf(const Spread& fill, const Spread& layers, const CBoundingBox3d& box)
{
    return {CoverageOf(fill, box), CoverageOf(layers, box)};
}

// Hands each counted copy the component places to visit, with what its component drew.
template <typename Visit>
void ForEachCopy(const CComponent& component, const CountedMap& counted, const Visit& visit)
{
    for (const CDrawingElement* entity : component.GetEntityList()) {
        const CComponent* placed = entity != nullptr ? entity->GetNestedComponent() : nullptr;
        const auto found = placed != nullptr ? counted.find(placed) : counted.end();
        if (found != counted.end() && found->second) {
            visit(*entity, *found->second);
        }
    }
}

// Each copy's coverage of its own box, summed by cell. Its own faces are one more copy.
// With strokes, the same for them, in cells of their own: lines lie over one another only
// at their width and a triangle is set up whatever lies under it, so no copy of them
// counts as rejected.
Stack ThickestStack(const CComponent& component, const Sum& sum, const CountedMap& counted,
                    StackCells<Thickness>& cells, StackCells<Strokes>* strokeCells, CopyLayers& layers)
{
    cells.Reset(sum.placements + 1);
    Stack stack{cells.Add(sum.ownBox, ThicknessOf(sum.area, sum.layerArea, sum.ownBox)), {}, {}};
    if (strokeCells != nullptr) {
        strokeCells->Reset(sum.placements + 1);
        stack.strokes = strokeCells->Add(sum.ownBox, StrokeCoverageOf(sum.strokeLength, sum.ownBox));
    }
    ForEachCopy(component, counted, [&](const CDrawingElement& entity, const Tally& placed) {
        Copy copy = Placed(entity, placed);
        if (strokeCells != nullptr) {
            stack.strokes = Thickest(stack.strokes, strokeCells->Add(copy.box, copy.strokeCoverage));
        }
        if (RepeatsCopy(component, entity, placed, layers)) {
            copy.fill = copy.layers * kBehindShare;
        }
        AddArea(stack.fill, copy.fill);
        const Thickness cell = cells.Add(copy.box, ThicknessOf(copy.fill, copy.layers, copy.box));
        stack.thickest.coverage = Thickest(stack.thickest.coverage, cell.coverage);
        stack.thickest.layers = Thickest(stack.thickest.layers, cell.layers);
    });
    return stack;
}

Tally Finish(const CComponent& component, const Sum& sum, const CountedMap& counted, StackCells<Thickness>& cells,
             StackCells<Strokes>& strokeCells, CopyLayers& layers)
{
    Tally tally{sum.work, {}, {}, sum.ownBox, sum.seeThrough, sum.inherits, {}, {}};
    tally.box.Add(sum.placedBox);
    tally.cuts = AddWork(sum.cut, sum.placedCuts);
    tally.held = sum.held;
    tally.outOfReach = sum.outOfReach;
    tally.layers = CoverageOf(sum.layerArea + sum.placedLayers, tally.box);
    tally.strokeLength = sum.strokeLength;
    tally.strokeLength += sum.placedStrokeLength;
    tally.strokeCoverage = StrokeCoverageOf(tally.strokeLength, tally.box);
    if (sum.placements > 1) {
        const bool strokes = tally.strokeLength.Counts();
        const Stack stack = ThickestStack(component, sum, counted, cells, strokes ? &strokeCells : nullptr, layers);
        tally.coverage = Thickest(CoverageOf(sum.area + stack.fill, tally.box), stack.thickest.coverage);
        tally.layers = Thickest(tally.layers, stack.thickest.layers);
        tally.strokeCoverage = Thickest(tally.strokeCoverage, stack.strokes);
    } else {
        tally.coverage = CoverageOf(sum.area + sum.placedFill, tally.box);
    }
    return tally;
}

// What one chunk of a large component's list adds: its faces' and edges' sum, the
// materials they show, each once, in the order met, and the positions of its other
// entities. A chunk that met a material whose picture nobody asked about yet is counted
// again on the calling thread: asking may read the picture.
struct ChunkResult
{
    Sum sum;
    std::vector<const CMaterial*> materials;
    std::vector<std::size_t> others;
    bool unasked = false;
};

// Materials with pictures whose transparency was asked on the calling thread; a worker may
// ask again only these, and those without a picture.
class AskedMaterials
{
public:
    // Asks those of the component's and the root's materials that hold pictures.
    AskedMaterials(const CComponent& component, const CComponent& root)
    {
        for (const CComponent* holder : {&component, &root}) {
            const CMaterialManager* manager = holder->GetMaterialManager();
            for (int i = 0; manager != nullptr && i < manager->GetCount(); ++i) {
                const auto* material = dynamic_cast<const CMaterial*>(manager->GetAt(i));
                if (material != nullptr && material->GetTexture() != nullptr) {
                    (void)material->IsTransparent();
                    (void)material->Blends();
                    m_asked.push_back(material);
                }
            }
        }
        std::sort(m_asked.begin(), m_asked.end());
    }

    [[nodiscard]] bool MayAsk(const CMaterial* material) const
    {
        return material == nullptr || material->GetTexture() == nullptr ||
               std::binary_search(m_asked.begin(), m_asked.end(), material);
    }

private:
    std::vector<const CMaterial*> m_asked;
};

// Counts the chunk's faces and edges into the result; false, the result left partial, at
// the first material a worker may not ask about.
bool CountChunk(const CComponent& component, std::size_t first, std::size_t end, bool shadows,
                const CDrawingWork::Shown& shown, const AskedMaterials* asked, ChunkResult& result)
{
    const std::vector<CDrawingElement*>& entities = component.GetEntityList();
    thread_local FaceLayers layers;
    layers.Clear();
    const CMaterial* last = nullptr;
    const auto meet = [&](const CMaterial* material) {
        if (material == nullptr || material == last) {
            return true;
        }
        if (asked != nullptr && !asked->MayAsk(material)) {
            return false;
        }
        last = material;
        if (std::find(result.materials.begin(), result.materials.end(), material) == result.materials.end()) {
            result.materials.push_back(material);
        }
        return true;
    };
    for (std::size_t i = first; i < end; ++i) {
        if (i + kFetchAhead < end) {
            __builtin_prefetch(entities[i + kFetchAhead]);
        }
        const CDrawingElement* entity = entities[i];
        if (entity == nullptr) {
            continue;
        }
        const int type = entity->GetTypeId();
        if (type == kTypeFace) {
            const auto& face = static_cast<const CFace&>(*entity);
            if (!meet(face.GetMaterial()) || !meet(face.GetBackMaterial())) {
                return false;
            }
            AddFace(result.sum, component, face, shadows, false, shown, entities.size(), layers);
        } else if (type == kTypeEdge) {
            const auto& edge = static_cast<const CEdge&>(*entity);
            if (!meet(edge.GetMaterial())) {
                return false;
            }
            AddEdge(result.sum, edge, shadows, shown);
        } else {
            result.others.push_back(i);
        }
    }
    CloseBoxes(result.sum);
    return true;
}

// A chunk's sum added to its component's.
void AddChunk(Sum& sum, const Sum& part)
{
    sum.work = AddWork(sum.work, part.work);
    sum.cut = AddWork(sum.cut, part.cut);
    sum.kept = AddWork(sum.kept, part.kept);
    // Added as the entities' own areas are, so that a sum past every bound stays so.
    sum.area += part.area;
    sum.layerArea += part.layerArea;
    sum.ownBox.Add(part.ownBox);
    sum.meshBox.Add(part.meshBox);
    sum.seeThrough = sum.seeThrough || part.seeThrough;
    sum.inherits = sum.inherits || part.inherits;
    sum.strokeLength += part.strokeLength;
}

// A large component's faces and edges, a mesh's millions, counted on the machine's cores:
// each chunk of the list apart, with layers of its own, and the chunks' sums added in
// their order, so that the answer is the same on any number of cores.
void CountFacesAndEdgesInChunks(const CComponent& component, const CComponent& root, bool shadows,
                                const CDrawingWork::Shown& shown, Sum& sum, CMaterialsShown& materials,
                                std::vector<std::size_t>& others)
{
    const std::size_t length = component.GetEntityList().size();
    const AskedMaterials asked(component, root);
    std::vector<ChunkResult> results(CParallelChunks::ChunksOf(length));
    CParallelChunks::RunOverList(length, [&](std::size_t chunk, std::size_t first, std::size_t end) {
        results[chunk].unasked = !CountChunk(component, first, end, shadows, shown, &asked, results[chunk]);
    });
    for (std::size_t chunk = 0; chunk < results.size(); ++chunk) {
        if (results[chunk].unasked) {
            const std::size_t first = chunk * CParallelChunks::kListChunk;
            results[chunk] = {};
            (void)CountChunk(component, first, std::min(length, first + CParallelChunks::kListChunk), shadows,
                             shown, nullptr, results[chunk]);
        }
    }
    for (const ChunkResult& result : results) {
        for (const CMaterial* material : result.materials) {
            materials.Add(material);
        }
        others.insert(others.end(), result.others.begin(), result.others.end());
        AddChunk(sum, result.sum);
    }
}

// Whether the box lies within the other, every axis of it.
bool LiesWithin(const CBoundingBox3d& box, const CBoundingBox3d& other)
{
    return box.IsEmpty() || (box.xmin >= other.xmin && box.xmax <= other.xmax && box.ymin >= other.ymin &&
                             box.ymax <= other.ymax && box.zmin >= other.zmin && box.zmax <= other.zmax);
}

// A large component's faces and edges from the sums its read gathered, where they hold at
// least what the walk would count: each line weighed at the heavier of the two looks, no
// face taken for a layer over an equal one, any material of the list as a face's and the
// placement's material as some face's. False, nothing added, where they cannot: none
// kept, shadows or the box-centre sort shown, numbers past what a sum holds, or some lines
// left undrawn where the faces' box was not kept or lines reach beyond it (the box the
// lines are weighed in would depend on which).
bool SumFromRead(const CComponent& component, bool shadows, const CDrawingWork::Shown& shown, Sum& sum,
                 CMaterialsShown& materials, std::vector<std::size_t>& others, FaceLayers& layers)
{
    const CMeshReadSums* sums = CMeshReadSums::Find(component);
    if (sums == nullptr || shadows || shown.boxSort) {
        return false;
    }
    const CMeshReadSink& read = sums->GetSink();
    if (!std::isfinite(read.GetTriangleArea()) || !std::isfinite(read.GetTriangleDiagonals()) ||
        !std::isfinite(read.GetEdgeLengths())) {
        return false;
    }
    CEdgeLineLook look = shown.other;
    look.Take(shown.profile);
    const bool drawn = look.widthAlong > 0.0;
    const bool allDrawn = shown.other.widthAlong > 0.0 && shown.profile.widthAlong > 0.0;
    // Every corner is an end of a listed edge: where every line is drawn, the ends' box is
    // the box the faces and lines are weighed in.
    if (!allDrawn &&
        (!read.KeepsTrianglesBox() || (drawn && !LiesWithin(read.GetEdgesBox(), read.GetTrianglesBox())))) {
        return false;
    }
    const std::uint64_t perTriangle = CFace::GetPlainTriangleWeight().drawn;
    const std::uint64_t perEdge = CEdge::GetLineWeight() + (drawn ? LineExtraWork(look) : 0);
    // Counted no further than the budget: the products stay far from overflowing.
    sum.work = AddWork(sum.work, std::min(read.GetTriangleCount(), kCounted) * perTriangle);
    sum.work = AddWork(sum.work, std::min(read.GetEdgeCount(), kCounted) * perEdge);
    // Which way the triangles and edges lie is not summed: as much along every axis, which
    // a placement stretches no less than the walk's faces and lines.
    const Spread area = Spread::EveryWay(read.GetTriangleArea());
    sum.area += area;
    sum.layerArea += area;
    AddArea(sum.strokeLength.setups, Spread::EveryWay(read.GetTriangleDiagonals() * kSetupPerPixel));
    sum.ownBox.Add(allDrawn ? read.GetEdgesBox() : read.GetTrianglesBox());
    sum.meshBox.Add(read.GetEdgesBox());
    sum.meshBox.Add(read.GetTrianglesBox());
    if (drawn) {
        AddArea(sum.strokeLength.lines, Spread::EveryWay(read.GetEdgeLengths() * look.widthAlong * kLineCharge));
    }
    // Any material the list shows may be a face's.
    for (const CMaterial* material : sums->GetMaterials()) {
        sum.seeThrough = sum.seeThrough || SeenThrough(material);
        materials.Add(material);
    }
    // Whether some face takes the placement's material is not kept: one may.
    sum.inherits = true;
    const std::size_t records = component.GetEntityList().size();
    for (const CFace* face : read.GetOtherFaces()) {
        AddFace(sum, component, *face, false, false, shown, records, layers);
    }
    CloseBoxes(sum);
    others = sums->GetOtherPositions();
    return true;
}

// Depth first without recursion: nesting is limited, but cycles and chains made at run
// time need not be. With fromRead, large components are taken from the sums their read
// gathered where those hold (usedRead then says so).
Tally CountFrom(const CComponent& root, bool shadows, const CDrawingWork::Shown& shown, bool fromRead,
                bool& usedRead)
{
    struct Frame
    {
        const CComponent* component;
        bool openings = false;
        std::size_t next = 0;
        Sum sum = {};
        // Its faces and edges were counted in chunks: the positions of its other entities,
        // which next then walks.
        bool chunked = false;
        std::vector<std::size_t> others;

        [[nodiscard]] std::size_t End(const std::vector<CDrawingElement*>& entities) const
        {
            return chunked ? others.size() : entities.size();
        }
        [[nodiscard]] std::size_t At(std::size_t position) const { return chunked ? others[position] : position; }
    };
    // Empty while the component is being counted.
    CountedMap counted;
    counted.emplace(&root, std::nullopt);
    std::vector<Frame> stack{{&root, MayHaveOpenings(root), 0, {}, false, {}}};
    StackCells<Thickness> cells;
    StackCells<Strokes> strokeCells;
    FaceLayers faceLayers;
    CopyLayers copyLayers;
    CMaterialsShown materials;
    // Each component's cuts once, and the room keeping them takes.
    std::uint64_t cutOnce = 0;
    std::uint64_t kept = 0;
    Tally total;
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const std::vector<CDrawingElement*>& entities = frame.component->GetEntityList();
        if (!frame.chunked && !frame.openings && CParallelChunks::IsWorthSplitting(entities.size())) {
            if (fromRead && SumFromRead(*frame.component, shadows, shown, frame.sum, materials, frame.others,
                                        faceLayers)) {
                usedRead = true;
            } else {
                CountFacesAndEdgesInChunks(*frame.component, root, shadows, shown, frame.sum, materials,
                                           frame.others);
            }
            frame.chunked = true;
            // The first frame would walk them all again for the view's bounds.
            frame.component->TakeMeshBounds(frame.sum.meshBox, frame.others);
        }
        bool descended = false;
        const std::size_t end = frame.End(entities);
        while (!descended && frame.next < end) {
            // The entities lie all over memory: asking for those ahead early lets their
            // fetches overlap.
            if (frame.next + kFetchAhead < end) {
                __builtin_prefetch(entities[frame.At(frame.next + kFetchAhead)]);
            }
            const CDrawingElement* entity = entities[frame.At(frame.next++)];
            if (entity == nullptr) {
                continue;
            }
            materials.Add(*entity);
            const CComponent* placed = entity->GetNestedComponent();
            if (placed == nullptr) {
                AddOwn(frame.sum, *frame.component, *entity, shadows, frame.openings, shown, entities.size(),
                       faceLayers);
                continue;
            }
            const auto [found, isNew] = counted.try_emplace(placed);
            if (isNew) {
                // Taken in once counted: the entity is visited again then.
                --frame.next;
                stack.push_back({placed, MayHaveOpenings(*placed), 0, {}, false, {}});
                descended = true;
            } else {
                AddPlaced(frame.sum, *entity, found->second.value_or(Tally{}), shadows);
            }
        }
        if (descended) {
            continue;
        }
        const CComponent* component = frame.component;
        CloseBoxes(frame.sum);
        const Tally done = Finish(*component, frame.sum, counted, cells, strokeCells, copyLayers);
        cutOnce = AddWork(cutOnce, frame.sum.cut);
        kept = AddWork(kept, frame.sum.kept);
        stack.pop_back();
        if (stack.empty()) {
            total = done;
            if (!HeldByTheView(done)) {
                total.work = kCounted;
                total.outOfReach = true;
            }
            // The first frame cuts each face once, for all its placements and the frames
            // after it, unless the store cannot keep every cut: then which faces it keeps
            // depends on the order they are drawn in, and each is counted wherever drawn.
            total.work = AddWork(total.work, kept <= CKeptFaceTriangles::kMaxIndices ? cutOnce : done.cuts);
            total.work = AddWork(total.work, materials.GetPictureWork());
        } else {
            counted[component] = done;
        }
    }
    return total;
}

// The work of the component's tally, its pixels' fill added.
std::uint64_t WorkOf(const Tally& tally)
{
    // The pixels are shared among the rasteriser's threads, as a frame charges them; the
    // triangles' setups are the drawing thread's.
    const double shared = (tally.coverage.whole + tally.strokeCoverage.lines) / CFrameMeter::GetRasterSpeed();
    const double fill = (shared + tally.strokeCoverage.setups) * static_cast<double>(CDrawingWork::kCoverageCost);
    const auto fillWork = fill < static_cast<double>(kCounted) ? static_cast<std::uint64_t>(fill) : kCounted;
    return AddWork(tally.work, fillWork);
}

}  // namespace

std::uint64_t CDrawingWork::Count(const CComponent& root, bool shadows, const Shown& shown)
{
    bool usedRead = false;
    return WorkOf(CountFrom(root, shadows, shown, false, usedRead));
}

std::uint64_t CDrawingWork::Count(const CComponent& root, bool shadows)
{
    return Count(root, shadows, Shown{});
}

std::uint64_t CDrawingWork::Check(const CComponent& root, bool shadows, const Shown& shown, CArchive& ar)
{
    bool usedRead = false;
    Tally tally = CountFrom(root, shadows, shown, true, usedRead);
    // The read's sums may weigh more than the walk: near the budget the walk decides.
    if (usedRead && WorkOf(tally) > kBudget / 2) {
        tally = CountFrom(root, shadows, shown, false, usedRead);
    }
    const std::uint64_t work = WorkOf(tally);
    if (work > kBudget) {
        // A model merely large is told so; one the view could not place is told why, as
        // drawing less of it would not help.
        AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName,
                                 tally.outOfReach ? "parts of the model lie too far out or are scaled too far "
                                                    "up or down for the view to show"
                                                  : "the model would draw too much to show");
    }
    return work;
}

CDrawingWork::Shown CDrawingWork::ShownBy(const CRenderingOptions* model, const CShadowInfo* shadow,
                                          const CPageList* pages)
{
    Shown shown;
    // Under the horizon the sun casts no volumes.
    const auto takeSun = [&shown](const CShadowInfo* info) {
        const double z = info != nullptr && info->IsDisplayShadows() ? info->GetSunDirection().z : 0.0;
        const double reach = std::min(1.0 / z, kLongestSunReach);
        if (z >= 0.001 && reach > shown.sunReach) {
            shown.sunReach = reach;
            shown.sun = -info->GetSunDirection();
        }
    };
    takeSun(shadow);
    bool first = true;
    const auto take = [&shown, &first](const CRenderingOptions* options) {
        if (options == nullptr) {
            return;
        }
        const CEdgeLineLook profile = CEdge::GetLineLook(*options, true);
        const CEdgeLineLook other = CEdge::GetLineLook(*options, false);
        if (first) {
            shown.profile = profile;
            shown.other = other;
            first = false;
        } else {
            shown.profile.Take(profile);
            shown.other.Take(other);
        }
        if (options->GetTransparencyQuality() == 1) {
            shown.boxSort = true;
            shown.seeThrough = shown.seeThrough || options->IsTransparentDisplay();
        }
    };
    take(model);
    if (pages != nullptr) {
        for (const CTarnwickPage* page : pages->GetPages()) {
            if (const auto* view = dynamic_cast<const CViewPage*>(page)) {
                take(view->GetRenderingOptions());
                takeSun(view->GetShadowInfo());
            }
        }
    }
    return shown;
}
