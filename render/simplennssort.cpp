#include "render/simplennssort.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>

#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/image.h"
#include "drawapi/tarnisview.h"
#include "foundation/transformation.h"
#include "model/entity.h"
#include "model/face.h"
#include "model/edgeuse.h"
#include "model/facegl.h"
#include "model/loop.h"
#include "model/vertex.h"
#include "foundation/framemeter.h"
#include "render/facepolygon.h"
#include "render/outlineoverlap.h"
#include "render/viewdefinition.h"

namespace {

constexpr double kTolerance = 0.001;
// What the sort's steps cost, in operations of about a nanosecond (measured): a point
// projected to the window, a record looked at in the scan, a pair test begun, two edges
// tried against each other, a point placed against a plane or inside a box, and one
// step of the sort by depth.
constexpr std::uint64_t kProjectOperations = 45;
constexpr std::uint64_t kScanOperations = 10;
constexpr std::uint64_t kPairOperations = 50;
constexpr std::uint64_t kEdgePairOperations = 5;
constexpr std::uint64_t kSideOperations = 1;
constexpr std::uint64_t kBoxPointOperations = 10;
constexpr std::uint64_t kSortOperations = 5;

double Overlap(double amin, double amax, double bmin, double bmax)
{
    return std::min(amax, bmax) - std::max(amin, bmin);
}

// +1 when every point farther than the tolerance lies on the plane's positive side,
// -1 on its negative side, 0 on both or none.
int SideOfPoints(const CPoint3d* points, int count, const CPlane3d& plane)
{
    bool above = false;
    bool below = false;
    for (int k = 0; k < count; ++k) {
        const double d = plane.GetSignedDistance(points[k]);
        above = above || d > kTolerance;
        below = below || d < -kTolerance;
    }
    if (above == below) {
        return 0;
    }
    return above ? 1 : -1;
}

// The outer loop, carried through the transformation when one is given, and cut at the
// near plane when one is given.
void AppendOuterPoints(const CFace& face, const CTransformation* transform, const CPlane3d* nearPlane,
                       std::vector<CPoint3d>& points)
{
    if (nearPlane == nullptr) {
        const CLoop* loop = face.GetOuterLoop();
        const CEdgeUse* first = loop != nullptr ? loop->GetFirstEdgeUse() : nullptr;
        for (const CEdgeUse* use = first; use != nullptr;) {
            if (const CVertex* vertex = use->GetStartVertex()) {
                points.push_back(vertex->GetPosition());
                if (transform != nullptr) {
                    transform->TransformPoint(points.back());
                }
            }
            use = use->GetNext();
            if (use == first) {
                break;
            }
        }
        return;
    }
    CFacePolygon polygon;
    polygon.Build(face, transform, true);
    if (polygon.ClipByPlane(*nearPlane)) {
        points.insert(points.end(), polygon.GetPoints().begin(), polygon.GetPoints().end());
    }
}

// Per axis 0 inside the interval grown by the tolerance, 1 below it, 2 above it.
int AxisCode(double value, double low, double high)
{
    if (value < low - kTolerance) {
        return 1;
    }
    return value > high + kTolerance ? 2 : 0;
}

// The three axis codes packed: x in bits 0-1, y in bits 2-3, z in bits 4-5.
int Outcode(const CPoint3d& p, const CBoundingBox3d& box)
{
    return AxisCode(p.x, box.xmin, box.xmax) | AxisCode(p.y, box.ymin, box.ymax) << 2 |
           AxisCode(p.z, box.zmin, box.zmax) << 4;
}

// Below and above swapped on every axis.
int Mirrored(int code)
{
    return ((code & 0x15) << 1) | ((code & 0x2A) >> 1);
}

int DirectionCode(double value)
{
    if (value > 1e-12) {
        return 2;
    }
    return value < -1e-12 ? 1 : 0;
}

// The indices of the points' convex hull on screen, counter-clockwise.
std::vector<std::size_t> ScreenHull(const std::vector<CPoint3d>& screen)
{
    std::vector<std::size_t> order(screen.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        order[k] = k;
    }
    std::sort(order.begin(), order.end(), [&screen](std::size_t a, std::size_t b) {
        return screen[a].x != screen[b].x ? screen[a].x < screen[b].x : screen[a].y < screen[b].y;
    });
    if (order.size() < 3) {
        return order;
    }
    const auto turn = [&screen](std::size_t o, std::size_t a, std::size_t b) {
        return (screen[a].x - screen[o].x) * (screen[b].y - screen[o].y) -
               (screen[a].y - screen[o].y) * (screen[b].x - screen[o].x);
    };
    std::vector<std::size_t> hull(2 * order.size());
    std::size_t size = 0;
    for (const std::size_t k : order) {
        while (size >= 2 && turn(hull[size - 2], hull[size - 1], k) <= 0) {
            --size;
        }
        hull[size++] = k;
    }
    const std::size_t lower = size + 1;
    for (auto it = order.rbegin() + 1; it != order.rend(); ++it) {
        while (size >= lower && turn(hull[size - 2], hull[size - 1], *it) <= 0) {
            --size;
        }
        hull[size++] = *it;
    }
    hull.resize(size - 1);
    return hull;
}

// The corners of an entity's box where it stands: an instance's definition box through
// the instance's placement, which follows a turned instance closer than a box along the
// model's axes; any other entity's own box.
bool PlacedCorners(const CDrawingElement& entity, CPoint3d corners[8])
{
    CBoundingBox3d box;
    const CTransformation* placement = nullptr;
    const auto* instance = dynamic_cast<const CComponentInstance*>(&entity);
    if (instance != nullptr && instance->GetDefinition() != nullptr) {
        instance->GetDefinition()->GetBounds(box, false);
        placement = &instance->GetTransform();
    } else {
        entity.AccumulateExtents(CTransformation(), box);
    }
    if (box.IsEmpty()) {
        return false;
    }
    for (int k = 0; k < 8; ++k) {
        corners[k] = CPoint3d((k & 1) != 0 ? box.xmax : box.xmin, (k & 2) != 0 ? box.ymax : box.ymin,
                              (k & 4) != 0 ? box.zmax : box.zmin);
        if (placement != nullptr) {
            placement->TransformPoint(corners[k]);
        }
    }
    return true;
}

using Record = CSimpleNNSSort::Record;

// The records by the cells of a uniform grid over their window boxes, so that the pass
// tests a record only against those whose boxes may overlap its own on screen.
class ScreenGrid
{
public:
    explicit ScreenGrid(const std::vector<Record>& records) : m_seen(records.size(), 0)
    {
        if (records.empty()) {
            return;
        }
        double x1 = -1e300;
        double y1 = -1e300;
        std::vector<double> widths;
        std::vector<double> heights;
        widths.reserve(records.size());
        heights.reserve(records.size());
        for (const Record& r : records) {
            m_x0 = std::min(m_x0, r.xmin);
            m_y0 = std::min(m_y0, r.ymin);
            x1 = std::max(x1, r.xmax);
            y1 = std::max(y1, r.ymax);
            widths.push_back(r.xmax - r.xmin);
            heights.push_back(r.ymax - r.ymin);
        }
        // Cells about as large as a typical box: most boxes span a few cells, and a
        // cell holds few boxes.
        const auto middle = [](std::vector<double>& values) {
            std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2),
                             values.end());
            return values[values.size() / 2];
        };
        m_cellWidth = std::max({middle(widths), (x1 - m_x0) / kMaxSide, 1e-9});
        m_cellHeight = std::max({middle(heights), (y1 - m_y0) / kMaxSide, 1e-9});
        m_columns = Cell(x1, m_x0, m_cellWidth, kMaxSide) + 1;
        m_rows = Cell(y1, m_y0, m_cellHeight, kMaxSide) + 1;
        std::vector<std::int32_t> counts(static_cast<std::size_t>(m_columns) * static_cast<std::size_t>(m_rows) + 1, 0);
        ForEachRecordCell(records, true, [&](std::int32_t, std::size_t cell) { ++counts[cell + 1]; });
        for (std::size_t c = 1; c < counts.size(); ++c) {
            counts[c] += counts[c - 1];
        }
        m_entries.resize(static_cast<std::size_t>(counts.back()));
        m_start = counts;
        ForEachRecordCell(records, false, [&](std::int32_t k, std::size_t cell) {
            m_entries[static_cast<std::size_t>(counts[cell]++)] = k;
        });
    }

    // Hands take each record whose box may overlap the given one on screen, once each;
    // false, nothing handed, when the box spans too many cells for the grid to help.
    template <class Take>
    bool Near(const Record& r, const Take& take)
    {
        int c0 = 0;
        int c1 = 0;
        int r0 = 0;
        int r1 = 0;
        if (!Span(r, c0, c1, r0, r1)) {
            return false;
        }
        ++m_stamp;
        for (int row = r0; row <= r1; ++row) {
            for (int column = c0; column <= c1; ++column) {
                const std::size_t cell = static_cast<std::size_t>(row) * static_cast<std::size_t>(m_columns) +
                                         static_cast<std::size_t>(column);
                for (std::int32_t e = m_start[cell]; e < m_start[cell + 1]; ++e) {
                    const std::int32_t k = m_entries[static_cast<std::size_t>(e)];
                    if (m_seen[static_cast<std::size_t>(k)] != m_stamp) {
                        m_seen[static_cast<std::size_t>(k)] = m_stamp;
                        take(k);
                    }
                }
            }
        }
        for (const std::int32_t k : m_wide) {
            take(k);
        }
        return true;
    }

private:
    static constexpr int kMaxSide = 1024;
    // A box over more cells than this is kept apart and offered to every query.
    static constexpr int kMaxCells = 64;

    static int Cell(double value, double origin, double size, int count)
    {
        const double cell = std::floor((value - origin) / size);
        return static_cast<int>(std::clamp(cell, 0.0, static_cast<double>(count - 1)));
    }

    bool Span(const Record& r, int& c0, int& c1, int& r0, int& r1) const
    {
        c0 = Cell(r.xmin, m_x0, m_cellWidth, m_columns);
        c1 = Cell(r.xmax, m_x0, m_cellWidth, m_columns);
        r0 = Cell(r.ymin, m_y0, m_cellHeight, m_rows);
        r1 = Cell(r.ymax, m_y0, m_cellHeight, m_rows);
        return (c1 - c0 + 1) * (r1 - r0 + 1) <= kMaxCells;
    }

    template <class Visit>
    void ForEachRecordCell(const std::vector<Record>& records, bool counting, const Visit& visit)
    {
        for (std::size_t k = 0; k < records.size(); ++k) {
            int c0 = 0;
            int c1 = 0;
            int r0 = 0;
            int r1 = 0;
            if (!Span(records[k], c0, c1, r0, r1)) {
                if (counting) {
                    m_wide.push_back(static_cast<std::int32_t>(k));
                }
                continue;
            }
            for (int row = r0; row <= r1; ++row) {
                for (int column = c0; column <= c1; ++column) {
                    visit(static_cast<std::int32_t>(k), static_cast<std::size_t>(row) *
                                                              static_cast<std::size_t>(m_columns) +
                                                          static_cast<std::size_t>(column));
                }
            }
        }
    }

    double m_x0 = 1e300;
    double m_y0 = 1e300;
    double m_cellWidth = 1.0;
    double m_cellHeight = 1.0;
    int m_columns = 1;
    int m_rows = 1;
    std::vector<std::int32_t> m_start{0, 0};
    std::vector<std::int32_t> m_entries;
    std::vector<std::int32_t> m_wide;
    std::vector<std::uint32_t> m_seen;
    std::uint32_t m_stamp = 0;
};

// Finds where the scan for a record stops (the nearest position with a record not
// moved and wholly in front of it) without walking there. Records not moved keep the
// order of the sort by far depth, so the last of them in front is found by a binary
// search over the sorted far depths and a skip over the moved ones.
class UnmovedRecords
{
public:
    explicit UnmovedRecords(const std::vector<Record>& records) : m_parent(records.size() + 1)
    {
        m_zmax.reserve(records.size());
        for (const Record& r : records) {
            m_zmax.push_back(r.zmax);
        }
        m_sorted = std::is_sorted(m_zmax.begin(), m_zmax.end());
        for (std::size_t k = 0; k < m_parent.size(); ++k) {
            m_parent[k] = static_cast<std::int32_t>(k);
        }
    }

    void Mark(std::int32_t k) { m_parent[static_cast<std::size_t>(k) + 1] = k; }

    // The highest position up to last whose record is not moved and ends in depth at or
    // before zmin; -1 when there is none.
    template <class At>
    int StopAt(double zmin, int last, const std::vector<std::int32_t>& position, const At& at)
    {
        if (m_sorted) {
            const auto front = std::upper_bound(m_zmax.begin(), m_zmax.end(), zmin) - m_zmax.begin();
            const std::int32_t k = Find(static_cast<std::int32_t>(front)) - 1;
            if (k < 0) {
                return -1;
            }
            if (position[static_cast<std::size_t>(k)] <= last) {
                return position[static_cast<std::size_t>(k)];
            }
        }
        for (int p = last; p >= 0; --p) {
            if (!at(p).moved && at(p).zmax <= zmin) {
                return p;
            }
        }
        return -1;
    }

private:
    // The last record not moved at or before k - 1, plus one (0: none).
    std::int32_t Find(std::int32_t node)
    {
        std::int32_t root = node;
        while (m_parent[static_cast<std::size_t>(root)] != root) {
            root = m_parent[static_cast<std::size_t>(root)];
        }
        while (m_parent[static_cast<std::size_t>(node)] != root) {
            const std::int32_t next = m_parent[static_cast<std::size_t>(node)];
            m_parent[static_cast<std::size_t>(node)] = root;
            node = next;
        }
        return root;
    }

    std::vector<double> m_zmax;
    std::vector<std::int32_t> m_parent;
    bool m_sorted = false;
};

}  // namespace

CSimpleNNSSort::CSimpleNNSSort(ITarnisView* view, int capacity, CTransparencyOrders* orders,
                               const CBoundingBox3d& bounds)
    : CTransSortImpl(view),
      m_view(view),
      m_orders(orders),
      m_bounds(bounds),
      m_capacity(static_cast<std::size_t>(std::max(capacity, 0)))
{
    const CVector3d direction = view->GetLocalViewDirection();
    m_nearPlane = CPlane3d(m_eye + direction * view->GetViewDefinition().GetUsedNear(), direction);
    m_items.reserve(m_capacity);
    m_itemKeys.reserve(m_capacity);
}

void CSimpleNNSSort::AddPoint(Record& record, const CPoint3d& screen) const
{
    record.xmin = std::min(record.xmin, screen.x);
    record.xmax = std::max(record.xmax, screen.x);
    record.ymin = std::min(record.ymin, screen.y);
    record.ymax = std::max(record.ymax, screen.y);
    record.zmin = std::min(record.zmin, screen.z);
    record.zmax = std::max(record.zmax, screen.z);
}

void CSimpleNNSSort::Add(CFace* face, CDrawingElement* entity)
{
    if (m_items.size() >= m_capacity || (face == nullptr) == (entity == nullptr)) {
        return;
    }
    m_items.emplace_back(face, entity);
    m_itemKeys.push_back(face != nullptr ? static_cast<const void*>(face) : static_cast<const void*>(entity));
}

CSimpleNNSSort::EOutcome CSimpleNNSSort::Project()
{
    m_records.clear();
    m_points.clear();
    m_screen.clear();
    m_shapes.clear();
    m_thinned.clear();
    m_thinPoints.clear();
    m_projected = false;
    m_records.reserve(m_items.size());
    for (std::size_t k = 0; k < m_items.size() && m_outcome == EOutcome::kWhole; ++k) {
        Record record;
        record.face = m_items[k].first;
        record.entity = m_items[k].second;
        record.item = static_cast<int>(k);
        const std::size_t points = m_points.size();
        const std::size_t shapes = m_shapes.size();
        if (record.face != nullptr) {
            AddFace(record, *record.face);
        } else {
            AddEntity(record, *record.entity);
        }
        SpendWork(kScanOperations + kProjectOperations * (m_points.size() - points));
        if (record.xmax >= record.xmin) {
            m_records.push_back(record);
            continue;
        }
        m_points.resize(points);
        m_screen.resize(2 * points);
        m_shapes.resize(shapes);
    }
    m_projected = m_outcome == EOutcome::kWhole;
    return m_outcome;
}

void CSimpleNNSSort::AddFace(Record& record, CFace& face)
{
    record.frontFacing = face.IsFrontFacing(m_view);
    const CBoundingBox3d box = face.GetBoundingBox();
    const double half = std::sqrt((box.xmax - box.xmin) * (box.xmax - box.xmin) +
                                  (box.ymax - box.ymin) * (box.ymax - box.ymin) +
                                  (box.zmax - box.zmin) * (box.zmax - box.zmin)) / 2;
    const double beyond = m_nearPlane.GetSignedDistance(box.GetCentre());
    if (beyond < -half) {
        return;
    }
    record.nearClipped = beyond <= half;
    record.first = static_cast<int>(m_points.size());
    AppendOuterPoints(face, nullptr, record.nearClipped ? &m_nearPlane : nullptr, m_points);
    if (!ProjectOutline(record)) {
        record.xmin = 1e30;
        record.xmax = -1e30;
    }
}

bool CSimpleNNSSort::ProjectOutline(Record& record)
{
    const auto first = static_cast<std::size_t>(record.first);
    m_screen.resize(2 * first);
    for (std::size_t k = first; k < m_points.size(); ++k) {
        CPoint3d screen;
        if (!m_view->ModelToScreen(m_points[k], screen)) {
            m_points.resize(first);
            m_screen.resize(2 * first);
            record.count = 0;
            return false;
        }
        m_screen.insert(m_screen.end(), {screen.x, screen.y});
        AddPoint(record, screen);
    }
    record.count = static_cast<int>(m_points.size() - first);
    return true;
}

void CSimpleNNSSort::AddEntity(Record& record, CDrawingElement& entity)
{
    AddPlacedBox(record, entity);
    const auto* instance = dynamic_cast<const CComponentInstance*>(&entity);
    if (record.xmax < record.xmin || instance == nullptr || instance->GetDefinition() == nullptr) {
        return;
    }
    Shape shape;
    instance->GetDefinition()->GetBounds(shape.box, false);
    shape.placement = instance->GetTransform();
    shape.hasBox = !shape.box.IsEmpty() && shape.placement.GetInverse(shape.inverse);
    if (entity.GetTypeId() == kTypeImage) {
        AddPicture(record, shape, *instance);
    }
    record.shape = static_cast<int>(m_shapes.size());
    m_shapes.push_back(shape);
}

void CSimpleNNSSort::AddPicture(Record& record, Shape& shape, const CComponentInstance& picture)
{
    shape.plane = CPlane3d(shape.placement.GetOrigin(), CVector3d(shape.placement.GetZAxis()));
    record.frontFacing = FacesEye(shape.plane);
    if (record.frontFacing) {
        shape.plane.Reverse();
    }
    const CFace* face = static_cast<const CImage&>(picture).GetFace();
    if (face == nullptr) {
        return;
    }
    shape.hasPlane = true;
    // The picture's own outline replaces the hull of its box.
    const auto first = static_cast<std::size_t>(record.first);
    m_points.resize(first);
    AppendOuterPoints(*face, &shape.placement, nullptr, m_points);
    const bool crossesNear = std::any_of(m_points.begin() + record.first, m_points.end(), [this](const CPoint3d& p) {
        return m_nearPlane.GetSignedDistance(p) < 0.0;
    });
    if (crossesNear) {
        record.nearClipped = true;
        m_points.resize(first);
        AppendOuterPoints(*face, &shape.placement, &m_nearPlane, m_points);
    }
    ProjectOutline(record);
}

bool CSimpleNNSSort::FacesEye(const CPlane3d& plane) const
{
    if (m_perspective) {
        return plane.GetSignedDistance(m_eye) > 0.0;
    }
    return DotProduct(plane.GetNormal(), m_viewPlane.GetNormal()) < 0.0;
}

void CSimpleNNSSort::AddPlacedBox(Record& record, const CDrawingElement& entity)
{
    CPoint3d corners[8];
    if (!PlacedCorners(entity, corners)) {
        return;
    }
    double beyond[8];
    for (int k = 0; k < 8; ++k) {
        beyond[k] = m_nearPlane.GetSignedDistance(corners[k]);
    }
    std::vector<CPoint3d> placed;
    std::vector<CPoint3d> screen;
    const auto add = [&](const CPoint3d& point) {
        CPoint3d window;
        if (m_view->ModelToScreen(point, window)) {
            AddPoint(record, window);
            placed.push_back(point);
            screen.push_back(window);
        }
    };
    for (int k = 0; k < 8; ++k) {
        if (beyond[k] >= 0.0) {
            add(corners[k]);
        }
        // The box's edges from this corner to the corners one step up along each axis:
        // an edge that crosses the near plane adds where it crosses.
        for (const int step : {1, 2, 4}) {
            const int other = k | step;
            if (other != k && (beyond[k] < 0.0) != (beyond[other] < 0.0)) {
                const double t = beyond[k] / (beyond[k] - beyond[other]);
                add(corners[k] + (corners[other] - corners[k]) * t);
            }
        }
    }
    record.first = static_cast<int>(m_points.size());
    for (const std::size_t k : ScreenHull(screen)) {
        m_points.push_back(placed[k]);
        m_screen.insert(m_screen.end(), {screen[k].x, screen[k].y});
    }
    record.count = static_cast<int>(m_points.size()) - record.first;
}

void CSimpleNNSSort::Sort(std::vector<Record>& records)
{
    std::sort(records.begin(), records.end(), [](const Record& a, const Record& b) {
        if (a.zmax != b.zmax) {
            return a.zmax < b.zmax;
        }
        return a.zmin < b.zmin;
    });
}

bool CSimpleNNSSort::Reorder(std::vector<Record>& records, const PairTest& test, const Spend& spend)
{
    // The pass works on the order of the records, so that a move shifts indices rather
    // than whole records; the records are put in that order at the end.
    const int n = static_cast<int>(records.size());
    std::vector<std::int32_t> order(records.size());
    std::vector<std::int32_t> position(records.size());
    for (int k = 0; k < n; ++k) {
        order[static_cast<std::size_t>(k)] = k;
        position[static_cast<std::size_t>(k)] = k;
    }
    const auto at = [&](int p) -> Record& {
        return records[static_cast<std::size_t>(order[static_cast<std::size_t>(p)])];
    };
    ScreenGrid grid(records);
    UnmovedRecords unmoved(records);
    std::vector<std::int32_t> candidates;
    bool going = true;
    // Every move marks a record that was not marked before, and a marked record is
    // never moved again: at most one move per record, so the pass always ends.
    for (int i = n - 1; i >= 1 && going; --i) {
        int last = i - 1;
        while (last >= 0) {
            const Record& ri = at(i);
            const int stop = unmoved.StopAt(ri.zmin, last, position, [&](int p) -> const Record& { return at(p); });
            candidates.clear();
            std::uint64_t visited = 0;
            const auto take = [&](std::int32_t k) {
                ++visited;
                const int p = position[static_cast<std::size_t>(k)];
                const Record& rj = records[static_cast<std::size_t>(k)];
                if (p > stop && p <= last && Overlap(ri.xmin, ri.xmax, rj.xmin, rj.xmax) >= kTolerance &&
                    Overlap(ri.ymin, ri.ymax, rj.ymin, rj.ymax) >= kTolerance) {
                    candidates.push_back(p);
                }
            };
            if (!grid.Near(ri, take)) {
                for (int p = last; p > stop; --p) {
                    take(order[static_cast<std::size_t>(p)]);
                }
            }
            std::sort(candidates.begin(), candidates.end(), std::greater<>());
            const auto found = static_cast<std::uint64_t>(candidates.size());
            going = spend == nullptr ||
                    spend(kScanOperations * (1 + visited) + found * std::bit_width(found));
            int moved = -1;
            for (std::size_t c = 0; c < candidates.size() && going; ++c) {
                const std::int32_t j = candidates[c];
                if (at(j).moved) {
                    continue;
                }
                const PairAnswer answer = test(ri, at(j));
                going = spend == nullptr || spend(kPairOperations);
                if (answer == kMove) {
                    moved = j;
                    break;
                }
            }
            if (moved < 0) {
                break;
            }
            at(moved).moved = true;
            unmoved.Mark(order[static_cast<std::size_t>(moved)]);
            std::rotate(order.begin() + moved, order.begin() + moved + 1, order.begin() + i + 1);
            for (int p = moved; p <= i; ++p) {
                position[static_cast<std::size_t>(order[static_cast<std::size_t>(p)])] = p;
            }
            last = i - 2;
        }
    }
    std::vector<Record> sorted;
    sorted.reserve(records.size());
    for (const std::int32_t k : order) {
        sorted.push_back(records[static_cast<std::size_t>(k)]);
    }
    records.swap(sorted);
    return going;
}

CSimpleNNSSort::EOutcome CSimpleNNSSort::Order()
{
    if (Project() != EOutcome::kWhole) {
        return m_outcome;
    }
    Sort(m_records);
    const auto n = static_cast<std::uint64_t>(m_records.size());
    if (!SpendWork(kSortOperations * n * static_cast<std::uint64_t>(std::bit_width(n)))) {
        return m_outcome;
    }
    Reorder(
        m_records, [this](const Record& i, const Record& j) { return TestPair(i, j); },
        [this](std::uint64_t operations) { return SpendWork(operations + std::exchange(m_work, 0)); });
    return m_outcome;
}

bool CSimpleNNSSort::SpendWork(std::uint64_t operations)
{
    m_unweighed += operations;
    const std::uint64_t units = m_unweighed / kOperationsPerUnit;
    if (units == 0 || m_outcome != EOutcome::kWhole) {
        return m_outcome == EOutcome::kWhole;
    }
    m_unweighed -= units * kOperationsPerUnit;
    if (!CFrameMeter::Charge(units)) {
        m_outcome = EOutcome::kStopped;
    } else if (m_orders != nullptr && !m_orders->Spend(units)) {
        m_outcome = EOutcome::kCut;
    }
    return m_outcome == EOutcome::kWhole;
}

CTransparencyOrders::Placement CSimpleNNSSort::GetPlacement() const
{
    CTransparencyOrders::Placement placement;
    const CTransformation transform = m_view->HasTransform() ? m_view->GetTransform() : CTransformation();
    transform.GetStoredNumbers(placement.numbers.data());
    if (m_perspective || m_bounds.IsEmpty()) {
        return placement;
    }
    // In a parallel view a placement moved anywhere sees its drawables as any other does,
    // unless the near plane cuts some of them.
    for (int k = 0; k < 8; ++k) {
        if (m_nearPlane.GetSignedDistance(m_bounds.GetCorner(k)) <= kTolerance) {
            return placement;
        }
    }
    placement.numbers[9] = 0.0;
    placement.numbers[10] = 0.0;
    placement.numbers[11] = 0.0;
    return placement;
}

void CSimpleNNSSort::DrawItem(ITarnisView* view, std::size_t item) const
{
    DrawOne(view, m_items[item].first, m_items[item].second);
}

void CSimpleNNSSort::SortAndDraw(ITarnisView* view)
{
    if (m_items.size() == 1) {
        // Nothing to put in order: drawn as a sorted one would be, unless it lies wholly
        // behind the near plane, where GL leaves it out all the same.
        DrawItem(view, 0);
        FlushFaces(view);
        return;
    }
    CTransparencyOrders::Placement placement;
    if (m_orders != nullptr) {
        m_orders->Check(view->GetViewDefinition(), view->GetModel());
        placement = GetPlacement();
        if (const std::vector<std::int32_t>* kept = m_orders->Find(placement, m_itemKeys)) {
            // Drawing may sort and keep other orders: this one is copied first.
            const std::vector<std::int32_t> order = *kept;
            for (auto it = order.rbegin(); it != order.rend(); ++it) {
                DrawItem(view, static_cast<std::size_t>(*it));
            }
            FlushFaces(view);
            return;
        }
        if (m_orders->IsSpent()) {
            m_outcome = EOutcome::kCut;
        }
    }
    if (m_outcome == EOutcome::kWhole) {
        Order();
    }
    switch (m_outcome) {
    case EOutcome::kStopped:
        return;
    case EOutcome::kCut:
        if (!m_projected) {
            // Cut before every drawable had its record: all drawn as they were added.
            for (std::size_t k = 0; k < m_items.size(); ++k) {
                DrawItem(view, k);
            }
            FlushFaces(view);
            return;
        }
        break;
    case EOutcome::kWhole:
        if (m_orders != nullptr) {
            std::vector<std::int32_t> order;
            order.reserve(m_records.size());
            for (const Record& record : m_records) {
                order.push_back(record.item);
            }
            m_orders->Keep(placement, m_itemKeys, std::move(order));
        }
        break;
    }
    for (auto it = m_records.rbegin(); it != m_records.rend(); ++it) {
        DrawOne(view, it->face, it->entity);
    }
    FlushFaces(view);
}

const CSimpleNNSSort::Shape* CSimpleNNSSort::ShapeOf(const Record& record) const
{
    return record.shape >= 0 ? &m_shapes[static_cast<std::size_t>(record.shape)] : nullptr;
}

bool CSimpleNNSSort::PlaneOf(const Record& record, CPlane3d& plane) const
{
    if (record.face != nullptr) {
        plane = record.face->GetPlane();
        if (record.frontFacing) {
            plane.Reverse();
        }
        return true;
    }
    const Shape* shape = ShapeOf(record);
    if (shape == nullptr || !shape->hasPlane) {
        return false;
    }
    plane = shape->plane;
    return true;
}

CSimpleNNSSort::PairAnswer CSimpleNNSSort::TestPair(const Record& i, const Record& j) const
{
    const auto type = [](const Record& r) { return r.face != nullptr ? kTypeFace : r.entity->GetTypeId(); };
    const auto flat = [](int t) { return t == kTypeFace || t == kTypeImage; };
    const auto boxed = [](int t) { return t == kTypeImage || t == kTypeComponentInstance || t == kTypeGroup; };
    const int ti = type(i);
    const int tj = type(j);
    // A picture against a face or a picture is tested as the face it shows.
    if (flat(ti) && flat(tj)) {
        return TestFaces(i, j);
    }
    if (boxed(ti) && boxed(tj)) {
        return TestBoxes(i, j);
    }
    if (ti == kTypeFace && boxed(tj)) {
        return TestFaceAgainstBox(i, j, true);
    }
    if (boxed(ti) && tj == kTypeFace) {
        return TestFaceAgainstBox(j, i, false);
    }
    return kKeep;
}

CSimpleNNSSort::PairAnswer CSimpleNNSSort::TestCentres(const Record& i, const Record& j) const
{
    const auto distance = [this](const Record& r) {
        CBoundingBox3d box;
        if (r.face != nullptr) {
            box = r.face->GetBoundingBox();
        } else {
            r.entity->AccumulateExtents(CTransformation(), box);
        }
        const CPoint3d c((box.xmin + box.xmax) / 2, (box.ymin + box.ymax) / 2, (box.zmin + box.zmax) / 2);
        return m_perspective ? (c - m_eye).GetLength() : m_viewPlane.GetSignedDistance(c);
    };
    if (distance(j) <= distance(i) + kTolerance) {
        return kKeep;
    }
    return j.moved ? kUndecided : kMove;
}

CSimpleNNSSort::PairAnswer CSimpleNNSSort::TestFaces(const Record& i, const Record& j) const
{
    // Both planes face away from the camera: the positive side is the far side.
    CPlane3d pi;
    CPlane3d pj;
    if (!PlaneOf(i, pi) || !PlaneOf(j, pj)) {
        return kKeep;
    }
    const CVector3d ni = pi.GetNormal();
    const CVector3d nj = pj.GetNormal();
    if (ni.CrossProduct(nj).GetLength() < kTolerance) {
        if (DotProduct(ni, nj) < 0.0) {
            return kKeep;
        }
        CPoint3d onJ;
        pj.GetPointNearestOrigin(onJ);
        const double d = pi.GetSignedDistance(onJ);
        if (std::abs(d) < kTolerance || d < 0.0) {
            return kKeep;
        }
        return ProjectionsOverlap(i, j) ? kMove : kKeep;
    }
    const int sideI = SideOf(i, pj);
    if (sideI == 1) {
        return kKeep;
    }
    const int sideJ = SideOf(j, pi);
    if (sideJ == -1) {
        return kKeep;
    }
    if (!ProjectionsOverlap(i, j)) {
        return kKeep;
    }
    if (sideI == 0 && sideJ == 0) {
        return kUndecided;
    }
    return j.moved ? kUndecided : kMove;
}

CSimpleNNSSort::PairAnswer CSimpleNNSSort::TestFaceAgainstBox(const Record& face, const Record& box,
                                                              bool faceIsI) const
{
    CPlane3d facePlane;
    const Shape* boxShape = ShapeOf(box);
    if (!PlaneOf(face, facePlane) || boxShape == nullptr || !boxShape->hasBox) {
        return kKeep;
    }
    bool within = false;
    Precedence order = SeparateByBox(*boxShape, m_points.data() + face.first, face.count, &within);
    bool faceInFront = order == kSecondInFront;
    if (order == kUnknown) {
        // The face's plane may part them: the box wholly on its far side lies behind it.
        CPoint3d corners[8];
        for (int k = 0; k < 8; ++k) {
            corners[k] = boxShape->box.GetCorner(k);
            boxShape->placement.TransformPoint(corners[k]);
        }
        const int side = SideOfPoints(corners, 8, facePlane);
        if (side == 0) {
            // A face inside the instance's box is nearer when its middle is.
            return within ? (faceIsI ? TestCentres(face, box) : TestCentres(box, face)) : kUndecided;
        }
        faceInFront = side == 1;
    }
    const Record& i = faceIsI ? face : box;
    const Record& j = faceIsI ? box : face;
    if (faceInFront != faceIsI || !ProjectionsOverlap(i, j)) {
        return kKeep;
    }
    return j.moved ? kUndecided : kMove;
}

CSimpleNNSSort::PairAnswer CSimpleNNSSort::TestBoxes(const Record& i, const Record& j) const
{
    const Shape* si = ShapeOf(i);
    const Shape* sj = ShapeOf(j);
    if (si == nullptr || sj == nullptr || !si->hasBox || !sj->hasBox) {
        return kKeep;
    }
    const auto corners = [](const Shape& shape, CPoint3d out[8]) {
        for (int k = 0; k < 8; ++k) {
            out[k] = shape.box.GetCorner(k);
            shape.placement.TransformPoint(out[k]);
        }
    };
    CPoint3d cornersI[8];
    CPoint3d cornersJ[8];
    corners(*si, cornersI);
    corners(*sj, cornersJ);
    bool iInFront = false;
    if (const Precedence byI = SeparateByBox(*si, cornersJ, 8, nullptr); byI != kUnknown) {
        iInFront = byI == kFirstInFront;
    } else if (const Precedence byJ = SeparateByBox(*sj, cornersI, 8, nullptr); byJ != kUnknown) {
        iInFront = byJ == kSecondInFront;
    } else {
        return kUndecided;
    }
    if (!iInFront || !ProjectionsOverlap(i, j)) {
        return kKeep;
    }
    return j.moved ? kUndecided : kMove;
}

CSimpleNNSSort::Precedence CSimpleNNSSort::SeparateByBox(const Shape& box, const CPoint3d* points, int count,
                                                         bool* within) const
{
    m_work += kBoxPointOperations * static_cast<std::uint64_t>(count);
    const auto local = [&box](CPoint3d p) {
        box.inverse.TransformPoint(p);
        return p;
    };
    int offCodes = 0;
    int common = 0x3F;
    for (int k = 0; k < count; ++k) {
        const int code = Outcode(local(points[k]), box.box);
        offCodes |= code;
        common &= code;
    }
    // Points on a flat box's plane count on the side where the others lie, so that
    // a picture on a box's face parts from it: that side is then every point's.
    const double extents[3] = {box.box.xmax - box.box.xmin, box.box.ymax - box.box.ymin,
                               box.box.zmax - box.box.zmin};
    for (int axis = 0; axis < 3; ++axis) {
        const int code = (offCodes >> (2 * axis)) & 3;
        if (extents[axis] < kTolerance && code != 3) {
            common |= code << (2 * axis);
        }
    }
    if (within != nullptr) {
        *within = offCodes == 0 && count > 0;
    }
    if (count == 0 || common == 0) {
        return kUnknown;
    }
    int eyeCode = 0;
    if (m_perspective) {
        eyeCode = Outcode(local(m_eye), box.box);
    } else {
        // The eye lies where the line of sight comes from.
        CVector3d direction = m_viewPlane.GetNormal();
        box.inverse.TransformVector(direction);
        eyeCode = Mirrored(DirectionCode(direction.x) | DirectionCode(direction.y) << 2 |
                           DirectionCode(direction.z) << 4);
    }
    for (int axis = 0; axis < 3; ++axis) {
        const int side = (common >> (2 * axis)) & 3;
        const int eye = (eyeCode >> (2 * axis)) & 3;
        if (side == 0 || (!m_perspective && eye == 0)) {
            // A parallel view along the parting plane sees the two side by side.
            continue;
        }
        return eye == side ? kSecondInFront : kFirstInFront;
    }
    return kUnknown;
}

int CSimpleNNSSort::SideOf(const Record& record, const CPlane3d& plane) const
{
    m_work += kSideOperations * static_cast<std::uint64_t>(record.count);
    return SideOfPoints(m_points.data() + record.first, record.count, plane);
}

std::span<const double> CSimpleNNSSort::Outline(const Record& record, bool thinned) const
{
    const std::span<const double> outline(m_screen.data() + 2 * record.first,
                                          2 * static_cast<std::size_t>(record.count));
    if (!thinned || static_cast<std::size_t>(record.count) <= COutlineOverlap::kThinCorners) {
        return outline;
    }
    auto [found, made] = m_thinned.try_emplace(record.first);
    if (made) {
        std::vector<double> corners;
        m_work += COutlineOverlap::Thin(outline, corners);
        found->second = {m_thinPoints.size(), corners.size()};
        m_thinPoints.insert(m_thinPoints.end(), corners.begin(), corners.end());
    }
    return {m_thinPoints.data() + found->second.first, found->second.second};
}

bool CSimpleNNSSort::ProjectionsOverlap(const Record& i, const Record& j) const
{
    // Outlines of many corners are tried thinned, the longer first: a test of bounded
    // work that never misses an overlap.
    const auto pairs = [](std::span<const double> a, std::span<const double> b) {
        return static_cast<std::uint64_t>(a.size() / 2) * static_cast<std::uint64_t>(b.size() / 2);
    };
    std::span<const double> a = Outline(i, false);
    std::span<const double> b = Outline(j, false);
    if (pairs(a, b) > COutlineOverlap::kExactEdgePairs) {
        if (a.size() >= b.size()) {
            a = Outline(i, true);
        } else {
            b = Outline(j, true);
        }
    }
    if (pairs(a, b) > COutlineOverlap::kExactEdgePairs) {
        a = Outline(i, true);
        b = Outline(j, true);
    }
    m_work += kEdgePairOperations * pairs(a, b) + a.size() + b.size();
    return COutlineOverlap::Exact(a, b);
}
