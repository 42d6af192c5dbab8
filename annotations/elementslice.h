#pragma once
// CElementSlice: one node of a section cut, the part of one entity that a section plane
// meets. The nodes point at the model's entities without owning them; the cut is
// dropped whenever the model changes, and an erased entity (id 0) is skipped while it
// is still drawn.

class ITarnisView;

class CElementSlice
{
public:
    CElementSlice() = default;
    CElementSlice(const CElementSlice&) = delete;
    CElementSlice& operator=(const CElementSlice&) = delete;
    virtual ~CElementSlice() = default;

    virtual void Draw(ITarnisView* view) = 0;
};
