#pragma once
// CTransparencySorter: the sorter a component's sorted transparent pass fills: quality
// 1 sorts by box centres (CBboxCenterSort), 2 by depth with pairwise tests
// (CSimpleNNSSort). It lives for one pass: filled, sorted and drawn once.

#include <memory>

#include "drawapi/transparencysorter.h"

class CTransSortImpl;

class CTransparencySorter : public ITransparencySorter
{
public:
    // Null for a quality other than 1 or 2.
    [[nodiscard]] static std::unique_ptr<ITransparencySorter> Create(int quality, int capacity, ITarnisView* view);
    ~CTransparencySorter() override;

    void Add(CFace* face, CDrawingElement* entity) override;
    void SortAndDraw(ITarnisView* view) override;

private:
    explicit CTransparencySorter(std::unique_ptr<CTransSortImpl> impl);

    std::unique_ptr<CTransSortImpl> m_impl;
};
