#pragma once
// CRemovalBatch: batches a component's removals for the scope's life. Each removal alone
// searches the component's list and shifts the rest of it; within a batch a removal finds
// its place in a table and leaves a gap, and the gaps close once when the batch ends, also
// when an exception leaves the scope.

#include "document/component.h"

class CRemovalBatch
{
public:
    explicit CRemovalBatch(CComponent* component) : m_component(component) { m_component->BeginRemovalBatch(); }
    ~CRemovalBatch() { m_component->EndRemovalBatch(); }
    CRemovalBatch(const CRemovalBatch&) = delete;
    CRemovalBatch& operator=(const CRemovalBatch&) = delete;

private:
    CComponent* m_component;
};
