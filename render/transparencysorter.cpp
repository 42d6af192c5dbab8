#include "render/transparencysorter.h"

#include "render/bboxcentersort.h"
#include "render/simplennssort.h"

std::unique_ptr<ITransparencySorter> CTransparencySorter::Create(int quality, int capacity, ITarnisView* view,
                                                                 CTransparencyOrders* orders,
                                                                 const CBoundingBox3d& bounds)
{
    std::unique_ptr<CTransSortImpl> impl;
    if (quality == 1) {
        impl = std::make_unique<CBboxCenterSort>(view, capacity);
    } else if (quality == 2) {
        impl = std::make_unique<CSimpleNNSSort>(view, capacity, orders, bounds);
    } else {
        return nullptr;
    }
    return std::unique_ptr<ITransparencySorter>(new CTransparencySorter(std::move(impl)));
}

CTransparencySorter::CTransparencySorter(std::unique_ptr<CTransSortImpl> impl) : m_impl(std::move(impl)) {}

CTransparencySorter::~CTransparencySorter() = default;

void CTransparencySorter::Add(CFace* face, CDrawingElement* entity)
{
    m_impl->Add(face, entity);
}

void CTransparencySorter::SortAndDraw(ITarnisView* view)
{
    m_impl->SortAndDraw(view);
}
