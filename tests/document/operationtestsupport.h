#pragma once
// Support for the tests of the operations on components (copying, unique definitions,
// statistics, exploding, moving, openings): a current model whose undo manager records,
// square faces built into any component, definitions placed by instances, and the
// bytes of a component's record for comparing before and after an undo.

#include <vector>

#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/definitionlist.h"
#include "document/tarnwickmodel.h"
#include "foundation/plane3d.h"
#include "model/edge.h"
#include "model/face.h"
#include "model/undomanager.h"
#include "model/undosuspender.h"
#include "model/vertex.h"
#include "tests/document/componenttestsupport.h"
#include "tests/model/entitytestsupport.h"

namespace operationtest {

using entitytest::Bytes;

class ModelFixture
{
public:
    ModelFixture() : m_model(new CTarnwickModel)
    {
        componenttest::EnsureBehaviorAndThumbnailClasses();
        m_model->MakeCurrent();
        m_previousManager = GetCurrentUndoManager();
        SetCurrentUndoManager(m_model->GetUndoManager());
    }
    ~ModelFixture()
    {
        if (m_model->GetUndoManager()->GetOpenOperation() != nullptr) {
            m_model->GetUndoManager()->Commit();
        }
        SetCurrentUndoManager(m_previousManager);
        m_model->Release();
    }
    ModelFixture(const ModelFixture&) = delete;
    ModelFixture& operator=(const ModelFixture&) = delete;

    [[nodiscard]] CTarnwickModel& Model() const { return *m_model; }
    [[nodiscard]] CComponent& Root() const { return *m_model->GetRootComponent(); }
    [[nodiscard]] CUndoOperation& StartOperation() const { return *m_model->GetUndoManager()->Start(1); }

    // A square of the given size facing +z, its edges made (or found) in the component.
    static CFace* Square(CComponent& component, double x, double y, double size = 1.0)
    {
        const CUndoSuspender suspender;
        CVertex* ring[4] = {new CVertex(CPoint3d(x, y, 0)), new CVertex(CPoint3d(x + size, y, 0)),
                            new CVertex(CPoint3d(x + size, y + size, 0)), new CVertex(CPoint3d(x, y + size, 0))};
        CEdge* edges[4];
        for (int i = 0; i < 4; ++i) {
            edges[i] = new CEdge(ring[i], ring[(i + 1) % 4], false);
            component.Add(edges[i]);
        }
        auto* face = new CFace(4, edges, CPlane3d(ring[0]->GetPosition(), CVector3d(0, 0, 1)));
        component.Add(face);
        return face;
    }

    // A definition named so, holding one unit square, in the root's definition list.
    CComponentDefinition* Definition(const char* name) const
    {
        const CUndoSuspender suspender;
        auto* definition = new CComponentDefinition;
        definition->SetName(CString(name));
        Root().GetDefinitionList()->AddDefinition(definition, false);
        Square(*definition, 0, 0);
        return definition;
    }

    // An instance (or group, or image: the given kind) of the definition placed in the
    // component.
    template <typename Instance = CComponentInstance>
    static Instance* Place(CComponent& component, CComponentDefinition* definition,
                           const CTransformation& placement = CTransformation())
    {
        const CUndoSuspender suspender;
        auto* instance = new Instance;
        definition->AddInstance(instance);
        instance->SetTransform(placement);
        component.Add(instance);
        return instance;
    }

    // The component's record: its entities, managers and definitions.
    static Bytes BytesOf(CComponent& component)
    {
        return entitytest::Store([&](CArchive& ar) { ar.WriteObject(&component); });
    }

private:
    entitytest::QuietSettings m_settings;
    CurrentModelScope m_scope;
    CTarnwickModel* m_model;
    CUndoManager* m_previousManager = nullptr;
};

}  // namespace operationtest
