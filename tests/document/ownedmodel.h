#pragma once
// A model made, or read, by a test in its own scope and released at its end.

#include "document/tarnwickmodel.h"

namespace modeltest {

class OwnedModel
{
public:
    OwnedModel() : m_model(new CTarnwickModel) {}
    ~OwnedModel() { m_model->Release(); }
    OwnedModel(const OwnedModel&) = delete;
    OwnedModel& operator=(const OwnedModel&) = delete;

    [[nodiscard]] CTarnwickModel& Get() const { return *m_model; }
    CTarnwickModel& operator*() const { return *m_model; }
    CTarnwickModel* operator->() const { return m_model; }

private:
    CTarnwickModel* m_model;
};

}  // namespace modeltest
