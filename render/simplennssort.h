#pragma once
// CSimpleNNSSort: the depth sort of blended transparency. Each drawable gets its box in
// window space (x, y in pixels, z the depth from 0 near to 1 far); the records are
// sorted by their far depth, and then every pair whose boxes overlap on screen and in
// depth is tested with the faces' planes and outlines: a record found behind a nearer
// one is moved to be drawn before it. A moved record is never moved again, so mutual
// overlaps (three faces that each cover the next) end after at most one move each.

#include <functional>
#include <vector>

#include "foundation/plane3d.h"
#include "foundation/point3d.h"
#include "render/transsortimpl.h"

class CSimpleNNSSort : public CTransSortImpl
{
public:
    CSimpleNNSSort(ITarnisView* view, int capacity);

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
        // A face's outline: its points (cut at the near plane) and their window x, y,
        // kept in the sorter's arrays from this index.
        int first = 0;
        int count = 0;
    };
    enum PairAnswer
    {
        kKeep = 0,
        kUndecided = 1,
        // Record j must be drawn before record i.
        kMove = 2,
    };
    using PairTest = std::function<PairAnswer(const Record& i, const Record& j)>;

    // By far depth, then near depth, nearest first.
    static void Sort(std::vector<Record>& records);
    // The pairwise pass over sorted records; ends on every input.
    static void Reorder(std::vector<Record>& records, const PairTest& test);
    [[nodiscard]] const std::vector<Record>& GetRecords() const { return m_records; }

private:
    void AddPoint(Record& record, const CPoint3d& point) const;
    // The window box of an instance, image or other entity from its placed box, cut at
    // the near plane.
    void AddPlacedBox(Record& record, const CDrawingElement& entity) const;
    [[nodiscard]] PairAnswer TestPair(const Record& i, const Record& j) const;
    [[nodiscard]] PairAnswer TestFaces(const Record& i, const Record& j) const;
    [[nodiscard]] PairAnswer TestCentres(const Record& i, const Record& j) const;
    [[nodiscard]] bool ProjectionsOverlap(const Record& i, const Record& j) const;
    [[nodiscard]] int SideOf(const Record& record, const CPlane3d& plane) const;

    ITarnisView* m_view;
    CPlane3d m_nearPlane;
    std::vector<Record> m_records;
    std::vector<CPoint3d> m_points;
    std::vector<double> m_screen;
    std::size_t m_capacity;
};
