#pragma once
// Support for the tests of the model root, components, layers and materials: the test
// environment of the undo tests, the memory archives of the entity tests, and a drawing
// element that stands at one point and writes down when it is erased.

#include <vector>

#include "foundation/point3d.h"
#include "foundation/transformation.h"
#include "model/drawingelement.h"
#include "model/undosuspender.h"
#include "tests/model/entitytestsupport.h"
#include "tests/model/undotestsupport.h"

namespace documenttest {

using entitytest::Bytes;
using entitytest::FileVersions;
using entitytest::Load;
using entitytest::Store;

// Entities made by a test are erased with recording off, which deletes them.
inline void Dispose(CEntity* entity)
{
    const CUndoSuspender suspender;
    entity->Erase();
}

// A drawing element at one point. Its erasure is written into a shared log.
class CProbeElement : public CDrawingElement
{
public:
    explicit CProbeElement(const CPoint3d& point = CPoint3d(), std::vector<CEntity*>* erased = nullptr)
        : m_point(point), m_erased(erased)
    {
    }

    void AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const override
    {
        box.Add(transform * m_point);
    }
    void OnErased() override
    {
        if (m_erased != nullptr) {
            m_erased->push_back(this);
        }
    }

private:
    CPoint3d m_point;
    std::vector<CEntity*>* m_erased;
};

}  // namespace documenttest
