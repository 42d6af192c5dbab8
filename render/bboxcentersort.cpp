#include "render/bboxcentersort.h"

#include <algorithm>

#include "document/drawingwork.h"
#include "foundation/framemeter.h"
#include "foundation/transformation.h"
#include "model/loop.h"
#include "model/entity.h"
#include "model/face.h"
#include "model/facegl.h"

CBboxCenterSort::CBboxCenterSort(ITarnisView* view, int capacity)
    : CTransSortImpl(view), m_capacity(static_cast<std::size_t>(std::max(capacity, 0)))
{
    m_records.reserve(m_capacity);
}

void CBboxCenterSort::Add(CFace* face, CDrawingElement* entity)
{
    if (m_records.size() >= m_capacity || (face == nullptr) == (entity == nullptr)) {
        return;
    }
    CBoundingBox3d box;
    if (face != nullptr) {
        box = face->GetBoundingBox();
        const CLoop* outer = face->GetOuterLoop();
        m_corners += static_cast<std::uint64_t>(outer != nullptr ? outer->GetEdgeUseCount() : 0);
    } else {
        entity->AccumulateExtents(CTransformation(), box);
        m_corners += 8;
    }
    if (box.IsEmpty()) {
        return;
    }
    const CPoint3d centre((box.xmin + box.xmax) / 2, (box.ymin + box.ymax) / 2, (box.zmin + box.zmax) / 2);
    Record record;
    record.face = face;
    record.entity = entity;
    record.isImage = entity != nullptr && entity->GetTypeId() == kTypeImage;
    record.depth = m_perspective ? (centre - m_eye).GetLength() : m_viewPlane.GetSignedDistance(centre);
    m_records.push_back(record);
}

void CBboxCenterSort::Sort(std::vector<Record>& records)
{
    std::sort(records.begin(), records.end(), [](const Record& a, const Record& b) {
        if (a.isImage != b.isImage) {
            return !a.isImage;
        }
        return a.depth < b.depth;
    });
}

void CBboxCenterSort::SortAndDraw(ITarnisView* view)
{
    // The boxes taken and the sort's steps cost what the count at opening weighed them.
    const auto records = static_cast<std::uint64_t>(m_records.size());
    if (records != 0) {
        const std::uint64_t operations = CDrawingWork::BoxSortOperations(m_corners, records) +
                                         (records - 1) * CDrawingWork::BoxSortOperations(0, records);
        if (!CFrameMeter::Charge(operations / CDrawingWork::kSortOperationsPerUnit)) {
            m_records.clear();
            return;
        }
    }
    Sort(m_records);
    for (auto it = m_records.rbegin(); it != m_records.rend(); ++it) {
        DrawOne(view, it->face, it->entity);
    }
    FlushFaces(view);
}
