#pragma once
// CSimpleNNSSort: the depth sort of blended transparency. Each drawable gets its box in
// window space (x, y in pixels, z the depth from 0 near to 1 far); the records are
// sorted by their far depth, and then every pair whose boxes overlap on screen and in
// depth is tested: faces and pictures by their planes and outlines, instances and
// groups by their placed boxes: a record found behind a nearer one is moved to be
// drawn before it. A moved record is never moved again, so mutual overlaps (three
// faces that each cover the next) end after at most one move each.
//
// Drawables are only noted as they are added; the work is done when they are drawn.
// An order found is kept in the view's store (CTransparencyOrders) and drawn again for
// the same drawables seen the same way: the next placement of a definition in a
// parallel view, the next frame of an unmoved view. The work is weighed on the frame
// meter as it is done, and on the pass's allowance: a sort whose frame must stop draws
// nothing more; one whose allowance is spent draws what is left in the order it has.

#include <cstdint>
#include <functional>
#include <span>
#include <unordered_map>
#include <utility>
#include <vector>

#include "foundation/boundingbox3d.h"
#include "foundation/plane3d.h"
#include "foundation/point3d.h"
#include "foundation/transformation.h"
#include "render/transparencyorders.h"
#include "render/transsortimpl.h"

class CComponentInstance;

class CSimpleNNSSort : public CTransSortImpl
{
public:
    // orders: the view's kept orders and the pass's allowance (null: nothing kept, no
    // allowance but the frame's). bounds: the box of what will be added, in the current
    // space; empty, an order is kept for this placement alone.
    CSimpleNNSSort(ITarnisView* view, int capacity, CTransparencyOrders* orders = nullptr,
                   const CBoundingBox3d& bounds = CBoundingBox3d());

    void Add(CFace* face, CDrawingElement* entity) override;
    void SortAndDraw(ITarnisView* view) override;

    struct Record
    {
        CFace* face = nullptr;
        CDrawingElement* entity = nullptr;
        double xmin = 1e30;
        double xmax = -1e30;
        double ymin = 1e30;
        double ymax = -1e30;
        double zmin = 1e30;
        double zmax = -1e30;
        bool frontFacing = false;
        bool nearClipped = false;
        bool moved = false;
        // The outline: a face's or a picture's points (cut at the near plane), the hull
        // of an instance's placed box on screen, and their window x, y, kept in the
        // sorter's arrays from this index.
        int first = 0;
        int count = 0;
        // An instance's, group's or picture's placed box (and a picture's plane) in the
        // sorter's shapes; -1 for none.
        int shape = -1;
        // Which drawable, in the order they were added.
        int item = -1;
    };
    enum PairAnswer
    {
        kKeep = 0,
        kUndecided = 1,
        // Record j must be drawn before record i.
        kMove = 2,
    };
    using PairTest = std::function<PairAnswer(const Record& i, const Record& j)>;
    // Weighs work done (in the sort's own operations, about a nanosecond each); false
    // when the sort must end.
    using Spend = std::function<bool(std::uint64_t operations)>;
    // How a sort ended.
    enum class EOutcome
    {
        kWhole,
        // The pass's allowance was spent: the records keep the order they have.
        kCut,
        // The frame must stop.
        kStopped,
    };

    // By far depth, then near depth, nearest first.
    static void Sort(std::vector<Record>& records);
    // The pairwise pass over sorted records; ends on every input. Every record scanned
    // and every pair tested is weighed; when spend answers false the pass ends there,
    // the records in the order they have then, and the answer is false.
    static bool Reorder(std::vector<Record>& records, const PairTest& test, const Spend& spend = nullptr);
    // Makes the records of the drawables added (their window boxes and outlines).
    EOutcome Project();
    // Projects, sorts and reorders the records, leaving them nearest first: drawing
    // runs from the last.
    EOutcome Order();
    [[nodiscard]] const std::vector<Record>& GetRecords() const { return m_records; }

    // The sort's operations per meter unit: a unit is about what a vertex costs.
    static constexpr std::uint64_t kOperationsPerUnit = 50;

private:
    struct Shape
    {
        // A picture's plane, turned away from the camera.
        CPlane3d plane;
        // An instance's, group's or picture's definition box and where it stands.
        CBoundingBox3d box;
        CTransformation placement;
        CTransformation inverse;
        bool hasPlane = false;
        bool hasBox = false;
    };
    // Which of two things is nearer the eye where they overlap on screen.
    enum Precedence
    {
        kUnknown,
        kFirstInFront,
        kSecondInFront,
    };
    void AddPoint(Record& record, const CPoint3d& point) const;
    void AddFace(Record& record, CFace& face);
    void AddEntity(Record& record, CDrawingElement& entity);
    // The window box of an instance, image or other entity from its placed box, cut at
    // the near plane, and the hull of those points as its outline.
    void AddPlacedBox(Record& record, const CDrawingElement& entity);
    // Projects the points from the record's first on as its outline; false, the points
    // dropped, when one of them cannot be projected.
    bool ProjectOutline(Record& record);
    // A picture's own face, placed, as its outline, and its plane.
    void AddPicture(Record& record, Shape& shape, const CComponentInstance& picture);
    [[nodiscard]] bool FacesEye(const CPlane3d& plane) const;
    [[nodiscard]] PairAnswer TestPair(const Record& i, const Record& j) const;
    [[nodiscard]] PairAnswer TestFaces(const Record& i, const Record& j) const;
    [[nodiscard]] PairAnswer TestFaceAgainstBox(const Record& face, const Record& box, bool faceIsI) const;
    [[nodiscard]] PairAnswer TestBoxes(const Record& i, const Record& j) const;
    [[nodiscard]] PairAnswer TestCentres(const Record& i, const Record& j) const;
    // Whether the box (first) or the points (second) lie nearer, told by a plane of the
    // box's faces that has every point outside; within tells whether every point lies
    // in the box.
    [[nodiscard]] Precedence SeparateByBox(const Shape& box, const CPoint3d* points, int count, bool* within) const;
    [[nodiscard]] bool ProjectionsOverlap(const Record& i, const Record& j) const;
    // The record's outline on screen, thinned when it has many corners.
    [[nodiscard]] std::span<const double> Outline(const Record& record, bool thinned) const;
    // Weighs the work done since the last call; false when the sort must end.
    bool SpendWork(std::uint64_t operations);
    // Where the drawables stand, for the kept orders.
    [[nodiscard]] CTransparencyOrders::Placement GetPlacement() const;
    void DrawItem(ITarnisView* view, std::size_t item) const;

    [[nodiscard]] int SideOf(const Record& record, const CPlane3d& plane) const;
    [[nodiscard]] const Shape* ShapeOf(const Record& record) const;
    // A face's or a picture's plane, turned away from the camera so that the far side is
    // the positive one; false for anything else.
    bool PlaneOf(const Record& record, CPlane3d& plane) const;

    ITarnisView* m_view;
    CTransparencyOrders* m_orders;
    CBoundingBox3d m_bounds;
    CPlane3d m_nearPlane;
    // What was added, and each one's face or entity as the kept orders know it.
    std::vector<std::pair<CFace*, CDrawingElement*>> m_items;
    std::vector<const void*> m_itemKeys;
    std::vector<Record> m_records;
    std::vector<Shape> m_shapes;
    std::vector<CPoint3d> m_points;
    std::vector<double> m_screen;
    // Thinned outlines, made when first asked, by the record's first point.
    mutable std::unordered_map<int, std::pair<std::size_t, std::size_t>> m_thinned;
    mutable std::vector<double> m_thinPoints;
    // Work the pair tests did, not yet weighed.
    mutable std::uint64_t m_work = 0;
    std::uint64_t m_unweighed = 0;
    EOutcome m_outcome = EOutcome::kWhole;
    // Every drawable has its record (or was found to lie behind the near plane).
    bool m_projected = false;
    std::size_t m_capacity;
};
