#pragma once
// CTransparencySorter: the sorter a component's sorted transparent pass fills: quality
// 1 sorts by box centres (CBboxCenterSort), 2 by depth with pairwise tests
// (CSimpleNNSSort), which finds and keeps its orders in the view's store. It lives for
// one pass: filled, sorted and drawn once.

#include <memory>

#include "drawapi/transparencysorter.h"
#include "foundation/boundingbox3d.h"

class CTransparencyOrders;
class CTransSortImpl;

class CTransparencySorter : public ITransparencySorter
{
public:
    // Null for a quality other than 1 or 2. orders: the view's store of orders (may be
    // null); bounds: the box of what will be added, in the current space.
    [[nodiscard]] static std::unique_ptr<ITransparencySorter> Create(int quality, int capacity, ITarnisView* view,
                                                                    CTransparencyOrders* orders = nullptr,
                                                                    const CBoundingBox3d& bounds = CBoundingBox3d());
    ~CTransparencySorter() override;

    void Add(CFace* face, CDrawingElement* entity) override;
    void SortAndDraw(ITarnisView* view) override;

private:
    explicit CTransparencySorter(std::unique_ptr<CTransSortImpl> impl);

    std::unique_ptr<CTransSortImpl> m_impl;
};
