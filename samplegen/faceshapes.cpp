#include "samplegen/faceshapes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "document/camera.h"
#include "document/component.h"
#include "document/componentbehavior.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/tarnwickmodel.h"
#include "model/face.h"
#include "model/relationship.h"
#include "model/relationshipmap.h"
#include "model/undosuspender.h"
#include "model/vertex.h"
#include "samplegen/geometrybuilder.h"
#include "samplegen/placing.h"

namespace {

using Loop = std::vector<CPoint3d>;

constexpr int kLargestSize = 1000000;

// The teeth stand on a spine two units deep, each one unit wide and eight long, one unit
// apart.
constexpr double kSpine = 2.0;
constexpr double kTooth = 8.0;

// The comb's outline, teeth along x: the spine's long side on y = 0, the teeth up from
// y = 2 to y = 10, tooth i from x = 2i to 2i + 1.
Loop CombOutline(int teeth)
{
    Loop outline;
    outline.reserve(4 * static_cast<std::size_t>(teeth));
    const double right = 2.0 * teeth - 1.0;
    outline.emplace_back(0.0, 0.0, 0.0);
    outline.emplace_back(right, 0.0, 0.0);
    for (int i = teeth - 1; i >= 0; --i) {
        outline.emplace_back(2.0 * i + 1.0, kSpine + kTooth, 0.0);
        outline.emplace_back(2.0 * i, kSpine + kTooth, 0.0);
        if (i > 0) {
            outline.emplace_back(2.0 * i, kSpine, 0.0);
            outline.emplace_back(2.0 * i - 1.0, kSpine, 0.0);
        }
    }
    return outline;
}

// A diamond hole in the spine: hanging from the root of the middle tooth (its top corner
// on the outline's corner there), or standing on the middle of the spine's long side.
Loop CombHole(int teeth, bool touchingCorner)
{
    const int middle = teeth / 2;
    if (touchingCorner) {
        const double x = 2.0 * std::max(middle, 1);
        return {{x, kSpine, 0.0}, {x + 0.5, 1.0, 0.0}, {x, 0.5, 0.0}, {x - 0.5, 1.0, 0.0}};
    }
    const double x = teeth - 0.5;
    return {{x, 0.0, 0.0}, {x - 0.5, 1.0, 0.0}, {x, 1.5, 0.0}, {x + 0.5, 1.0, 0.0}};
}

// A quarter turn counter-clockwise about the origin, exact.
void TurnQuarter(SFaceShape& shape)
{
    for (Loop& loop : shape.loops) {
        for (CPoint3d& p : loop) {
            p = CPoint3d(-p.y, p.x, p.z);
        }
    }
}

SFaceShape Comb(int teeth, bool alongY, bool touchingCorner)
{
    const int count = std::max(teeth, 2);
    SFaceShape shape;
    shape.loops = {CombOutline(count), CombHole(count, touchingCorner)};
    if (alongY) {
        TurnQuarter(shape);
    }
    return shape;
}

SFaceShape Diamonds(int windows)
{
    const int count = std::max(windows, 1);
    SFaceShape shape;
    const double top = 2.0 * count + 1.0;
    shape.loops.push_back({{-2.0, -1.0, 0.0}, {2.0, -1.0, 0.0}, {2.0, top, 0.0}, {-2.0, top, 0.0}});
    for (int i = 0; i < count; ++i) {
        const double y = 2.0 * i;
        shape.loops.push_back({{0.0, y, 0.0}, {-1.0, y + 1.0, 0.0}, {0.0, y + 2.0, 0.0}, {1.0, y + 1.0, 0.0}});
    }
    return shape;
}

SFaceShape Windows(int side)
{
    const int count = std::clamp(side, 1, 1000);
    SFaceShape shape;
    const double far = count + 1.0;
    shape.loops.push_back({{-1.0, -1.0, 0.0}, {far, -1.0, 0.0}, {far, far, 0.0}, {-1.0, far, 0.0}});
    for (int i = 0; i < count; ++i) {
        for (int j = 0; j < count; ++j) {
            const double x = i;
            const double y = j;
            shape.loops.push_back({{x, y, 0.0}, {x, y + 1.0, 0.0}, {x + 1.0, y + 1.0, 0.0}, {x + 1.0, y, 0.0}});
        }
    }
    return shape;
}

SFaceShape Petals(int petals)
{
    const int count = std::max(petals, 2);
    constexpr double kRadius = 100.0;
    SFaceShape shape;
    Loop loop;
    loop.reserve(3 * static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double from = 2.0 * std::numbers::pi * i / count;
        const double to = 2.0 * std::numbers::pi * (i + 0.5) / count;
        loop.emplace_back(0.0, 0.0, 0.0);
        loop.emplace_back(kRadius * std::cos(from), kRadius * std::sin(from), 0.0);
        loop.emplace_back(kRadius * std::cos(to), kRadius * std::sin(to), 0.0);
    }
    shape.loops.push_back(std::move(loop));
    return shape;
}

SFaceShape BowTie(int /*size*/)
{
    SFaceShape shape;
    shape.loops.push_back(
        {{0.0, 0.0, 0.0}, {2.0, -1.0, 0.0}, {2.0, 1.0, 0.0}, {0.0, 0.0, 0.0}, {-2.0, 1.0, 0.0}, {-2.0, -1.0, 0.0}});
    return shape;
}

SFaceShape CornerHole(int /*size*/)
{
    SFaceShape shape;
    shape.loops.push_back({{0.0, 0.0, 0.0}, {4.0, 0.0, 0.0}, {4.0, 4.0, 0.0}, {0.0, 4.0, 0.0}});
    shape.loops.push_back({{0.0, 0.0, 0.0}, {1.0, 3.0, 0.0}, {3.0, 3.0, 0.0}, {3.0, 1.0, 0.0}});
    return shape;
}

// The smallest face found cut into slivers once far out: the square 2 across about
// (1e7, 3.7e6) and its holes' corners.
const CPoint3d kFarCentre(1e7, 3.7e6, 0.0);
const double kFarHoles[2][3][2] = {
    {{9999999.6547393724, 3700000.0418695612},
     {10000000.089518897, 3700000.1193738766},
     {9999999.8853646647, 3700000.0436821333}},
    {{10000000.336913118, 3700000.0912796073},
     {9999999.4885489233, 3699999.8778301924},
     {9999999.8853646647, 3700000.0436821333}},
};

// A repeatable stream of numbers in [0, 1).
class CUnitRandom
{
public:
    explicit CUnitRandom(std::uint64_t seed) : m_state(seed) {}
    double Next()
    {
        m_state += 0x9E3779B97F4A7C15ULL;
        std::uint64_t z = m_state;
        z = (z ^ (z >> 30U)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27U)) * 0x94D049BB133111EBULL;
        z ^= z >> 31U;
        return static_cast<double>(z >> 11U) * 0x1.0p-53;
    }
    double Between(double low, double high) { return low + (high - low) * Next(); }

private:
    std::uint64_t m_state;
};

// Two triangles sharing a corner near the centre, in wedges about it that leave a
// narrow gap between them on one side or both: offsets in units of the square's side.
void RandomHoles(int seed, double holes[2][3][2])
{
    CUnitRandom random(static_cast<std::uint64_t>(seed));
    const double cx = random.Between(-0.2, 0.2);
    const double cy = random.Between(-0.2, 0.2);
    double angle = random.Between(0.0, 2.0 * std::numbers::pi);
    const double first = random.Between(0.3, 2.8);
    const double gap = random.Between(0.01, 0.3);
    const double second = random.Between(0.3, std::min(2.8, 2.0 * std::numbers::pi - first - gap - 0.01));
    for (int h = 0; h < 2; ++h) {
        const double wedge = h == 0 ? first : second;
        const double near = random.Between(0.05, 0.28);
        const double far = random.Between(0.05, 0.28);
        // Clockwise: the far side of the wedge first.
        holes[h][0][0] = cx + far * std::cos(angle + wedge);
        holes[h][0][1] = cy + far * std::sin(angle + wedge);
        holes[h][1][0] = cx + near * std::cos(angle);
        holes[h][1][1] = cy + near * std::sin(angle);
        holes[h][2][0] = cx;
        holes[h][2][1] = cy;
        angle += wedge + gap;
    }
}

SFaceShape FarFace(int variant, const CPoint3d& centre, double side)
{
    double holes[2][3][2];
    if (variant == 0) {
        // Exact: the differences are, and halving is; so the face 2 across about the
        // same centre has the very corners.
        for (int h = 0; h < 2; ++h) {
            for (int k = 0; k < 3; ++k) {
                holes[h][k][0] = (kFarHoles[h][k][0] - kFarCentre.x) / 2.0;
                holes[h][k][1] = (kFarHoles[h][k][1] - kFarCentre.y) / 2.0;
            }
        }
    } else {
        RandomHoles(variant, holes);
    }
    const double half = side / 2.0;
    SFaceShape shape;
    shape.loops.push_back({{centre.x - half, centre.y - half, 0.0},
                           {centre.x + half, centre.y - half, 0.0},
                           {centre.x + half, centre.y + half, 0.0},
                           {centre.x - half, centre.y + half, 0.0}});
    for (const auto& hole : holes) {
        Loop loop;
        for (const auto& corner : hole) {
            loop.emplace_back(centre.x + side * corner[0], centre.y + side * corner[1], 0.0);
        }
        shape.loops.push_back(std::move(loop));
    }
    return shape;
}

SFaceShape FarWide(int variant)
{
    return FarFace(variant, kFarCentre, 2.0);
}

SFaceShape FarNarrow(int variant)
{
    return FarFace(variant, CPoint3d(1e6, 1e6, 0.0), 0.002);
}

SFaceShape SharedRun(int corners)
{
    const int count = std::max(corners, 2);
    SFaceShape shape;
    Loop outline;
    for (int i = 0; i <= count + 1; ++i) {
        outline.emplace_back(static_cast<double>(i), 0.0, 0.0);
    }
    outline.emplace_back(count + 1.0, 4.0, 0.0);
    outline.emplace_back(0.0, 4.0, 0.0);
    Loop hole{{1.0, 0.0, 0.0}, {1.0, 2.0, 0.0}, {static_cast<double>(count), 2.0, 0.0}};
    for (int i = count; i >= 2; --i) {
        hole.emplace_back(static_cast<double>(i), 0.0, 0.0);
    }
    shape.loops = {std::move(outline), std::move(hole)};
    return shape;
}

// A box's outline, clockwise seen from +z.
Loop Box(double left, double bottom, double right, double top)
{
    return {{left, bottom, 0.0}, {left, top, 0.0}, {right, top, 0.0}, {right, bottom, 0.0}};
}

SFaceShape Ladder(int side, bool windows)
{
    const int count = std::max(side, 8);
    const double top = count;
    constexpr double kWide = 10.0;
    SFaceShape shape;
    Loop outline{{0.0, 0.0, 0.0}};
    outline.reserve(2 * static_cast<std::size_t>(count) + 2);
    for (int i = 0; i <= count; ++i) {
        outline.emplace_back(kWide, static_cast<double>(i), 0.0);
    }
    for (int i = count; i > 0; --i) {
        outline.emplace_back(0.0, static_cast<double>(i), 0.0);
    }
    shape.loops = {std::move(outline), Box(0.0, 2.5, kWide, top - 2.5), Box(2.0, 0.5, 4.0, 1.5),
                   Box(3.0, 1.0, 5.0, 2.0)};
    shape.overlap = 0.5;
    if (windows) {
        shape.openings = {Box(2.0, top - 2.0, 3.0, top - 1.0), Box(6.0, top - 2.0, 7.0, top - 1.0)};
    }
    return shape;
}

SFaceShape Strips(int strips)
{
    const int count = std::max(strips, 1);
    const double pitch = 0.9 / count;
    const double width = pitch / 2.0;
    SFaceShape shape;
    shape.loops.push_back({{0.0, 0.0, 0.0}, {1.0, 0.0, 0.0}, {1.0, 1.0, 0.0}, {0.0, 1.0, 0.0}});
    for (int i = 0; i < count; ++i) {
        const double from = 0.05 + pitch * (i + 0.25);
        shape.loops.push_back(Box(0.05, from, 0.95, from + width));
        shape.loops.push_back(Box(from, 0.05, from + width, 0.95));
    }
    shape.overlap = static_cast<double>(count) * count * width * width;
    return shape;
}

// A vertex of its own at each corner of the loop, in its order.
std::vector<CVertex*> VerticesOf(const CGeometryBuilder& builder, const Loop& loop)
{
    std::vector<CVertex*> vertices;
    vertices.reserve(loop.size());
    for (const CPoint3d& p : loop) {
        vertices.push_back(builder.Vertex(p));
    }
    return vertices;
}

// Each opening as a window of its own: a cutting definition whose outline is the
// opening, placed where it stands and glued to the face.
void GlueWindows(CComponent& component, CFace& face, const SFaceShape& shape)
{
    CTarnwickModel* model = component.GetModel();
    if (model == nullptr) {
        return;
    }
    for (const Loop& opening : shape.openings) {
        CComponentDefinition* window = AddDefinition(*model, "Window");
        dynamic_cast<CComponentBehavior*>(window->GetBehavior())->SetCutsOpening(true);
        const CGeometryBuilder outline(*window);
        const std::vector<CVertex*> corners = VerticesOf(outline, opening);
        for (std::size_t i = 0; i < corners.size(); ++i) {
            outline.Edge(corners[i], corners[(i + 1) % corners.size()]);
        }
        auto* instance = new CComponentInstance;
        window->AddInstance(instance);
        component.Add(instance);
        component.GetRelationshipMap()->AddRelationship(new CRelationship(&face, instance));
    }
}

}  // namespace

std::size_t SFaceShape::GetCornerCount() const
{
    std::size_t count = 0;
    for (const auto& loop : loops) {
        count += loop.size();
    }
    return count;
}

double SFaceShape::GetExtent() const
{
    if (loops.empty() || loops[0].empty()) {
        return 0.0;
    }
    const auto [xl, xh] = std::minmax_element(loops[0].begin(), loops[0].end(),
                                              [](const CPoint3d& a, const CPoint3d& b) { return a.x < b.x; });
    const auto [yl, yh] = std::minmax_element(loops[0].begin(), loops[0].end(),
                                              [](const CPoint3d& a, const CPoint3d& b) { return a.y < b.y; });
    return std::max(xh->x - xl->x, yh->y - yl->y);
}

CPoint3d SFaceShape::GetCentre() const
{
    if (loops.empty() || loops[0].empty()) {
        return {};
    }
    const auto [xl, xh] = std::minmax_element(loops[0].begin(), loops[0].end(),
                                              [](const CPoint3d& a, const CPoint3d& b) { return a.x < b.x; });
    const auto [yl, yh] = std::minmax_element(loops[0].begin(), loops[0].end(),
                                              [](const CPoint3d& a, const CPoint3d& b) { return a.y < b.y; });
    return {xl->x + (xh->x - xl->x) / 2.0, yl->y + (yh->y - yl->y) / 2.0, 0.0};
}

const std::vector<SFaceShapeKind>& FaceShapeKinds()
{
    static const std::vector<SFaceShapeKind> kinds = {
        {"comb-x-side", "TEETH", [](int n) { return Comb(n, false, false); }},
        {"comb-x-touch", "TEETH", [](int n) { return Comb(n, false, true); }},
        {"comb-y-side", "TEETH", [](int n) { return Comb(n, true, false); }},
        {"comb-y-touch", "TEETH", [](int n) { return Comb(n, true, true); }},
        {"diamonds", "WINDOWS", &Diamonds},
        {"windows", "SIDE", &Windows},
        {"petals", "PETALS", &Petals},
        {"bowtie", "-", &BowTie},
        {"cornerhole", "-", &CornerHole},
        {"farface", "VARIANT", &FarWide},
        {"farnarrow", "VARIANT", &FarNarrow},
        {"sharedrun", "CORNERS", &SharedRun},
        {"ladder", "CORNERS", [](int n) { return Ladder(n, false); }},
        {"ladderopen", "CORNERS", [](int n) { return Ladder(n, true); }},
        {"strips", "STRIPS", &Strips},
    };
    return kinds;
}

long double TwiceSignedArea(const std::vector<CPoint3d>& loop)
{
    if (loop.empty()) {
        return 0.0L;
    }
    // About the first corner, so that far faces lose nothing to their distance.
    const CPoint3d& origin = loop.front();
    long double twice = 0.0L;
    for (std::size_t i = 0; i < loop.size(); ++i) {
        const CPoint3d& a = loop[i];
        const CPoint3d& b = loop[(i + 1) % loop.size()];
        const long double ax = static_cast<long double>(a.x) - origin.x;
        const long double ay = static_cast<long double>(a.y) - origin.y;
        const long double bx = static_cast<long double>(b.x) - origin.x;
        const long double by = static_cast<long double>(b.y) - origin.y;
        twice += ax * by - bx * ay;
    }
    return twice;
}

SFaceShape MakeFaceShape(const std::string& kind, int size)
{
    const auto& kinds = FaceShapeKinds();
    const auto found =
        std::find_if(kinds.begin(), kinds.end(), [&](const SFaceShapeKind& k) { return kind == k.name; });
    if (found == kinds.end()) {
        return {};
    }
    const int bounded = std::min(size, kLargestSize);
    SFaceShape shape = found->make(bounded);
    shape.name = kind + "-" + std::to_string(std::max(bounded, 0));
    long double twice = 0.0L;
    for (const Loop& loop : shape.loops) {
        twice += TwiceSignedArea(loop);
    }
    for (const Loop& opening : shape.openings) {
        twice -= std::fabs(TwiceSignedArea(opening));
    }
    shape.area = static_cast<double>(twice / 2.0L) + shape.overlap;
    return shape;
}

CFace* AddFaceShape(CComponent& component, const SFaceShape& shape)
{
    if (shape.loops.empty()) {
        return nullptr;
    }
    const CGeometryBuilder builder(component);
    CFace* face = builder.Face(VerticesOf(builder, shape.loops[0]), CVector3d(0.0, 0.0, 1.0));
    for (std::size_t i = 1; i < shape.loops.size(); ++i) {
        (void)builder.Hole(face, VerticesOf(builder, shape.loops[i]));
    }
    GlueWindows(component, *face, shape);
    return face;
}

bool BuildFaceShapeModel(CTarnwickModel& model, const std::string& kind, int size, int placements)
{
    const SFaceShape shape = MakeFaceShape(kind, size);
    if (shape.loops.empty()) {
        return false;
    }
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    CComponent* holder = model.GetRootComponent();
    if (placements > 0) {
        holder = AddDefinition(model, "Shape");
    }
    (void)AddFaceShape(*holder, shape);
    const double extent = std::max(shape.GetExtent(), 1e-3);
    CPoint3d centre = shape.GetCentre();
    double across = extent;
    if (placements > 0) {
        // In rows of about the square root of the count, each an extent and a fifth apart.
        const double pitch = 1.2 * extent;
        const int columns = PlaceField(*model.GetRootComponent(), *static_cast<CComponentDefinition*>(holder),
                                       placements, CVector3d(pitch, pitch, 0.0));
        across = pitch * columns;
        centre = centre + CVector3d(across / 2.0 - pitch / 2.0, across / 2.0 - pitch / 2.0, 0.0);
    }
    CCamera camera;
    camera.SetView(centre + CVector3d(0.0, 0.0, 2.0 * across), centre, CVector3d(0.0, 1.0, 0.0), 1.0,
                   std::max(1000.0, 4.0 * across), false, 35.0, 1.1 * across);
    model.SetCamera(camera);
    return true;
}
