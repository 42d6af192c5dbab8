#pragma once
// CBboxCenterSort: the cheap sort of the see-through display: every drawable by the
// distance of its bounding box's centre (from the eye in perspective, from the plane
// through the eye otherwise); images are drawn before everything else, each group
// farthest first.

#include <cstdint>
#include <vector>

#include "render/transsortimpl.h"

class CBboxCenterSort : public CTransSortImpl
{
public:
    CBboxCenterSort(ITarnisView* view, int capacity);

    void Add(CFace* face, CDrawingElement* entity) override;
    void SortAndDraw(ITarnisView* view) override;

    struct Record
    {
        CFace* face = nullptr;
        CDrawingElement* entity = nullptr;
        bool isImage = false;
        double depth = 0.0;
    };
    // Sorts into the order in which the records are drawn from the last to the first.
    static void Sort(std::vector<Record>& records);
    [[nodiscard]] const std::vector<Record>& GetRecords() const { return m_records; }

private:
    std::vector<Record> m_records;
    std::size_t m_capacity;
    // The corners the records' boxes were taken from.
    std::uint64_t m_corners = 0;
};
