#include <gtest/gtest.h>

#include <stdexcept>

#include "document/component.h"
#include "document/layer.h"
#include "document/layermanager.h"
#include "document/tarnwickmodel.h"
#include "foundation/modelid.h"
#include "foundation/notificationcenter.h"
#include "model/backreferencemap.h"
#include "model/undomanager.h"
#include "model/undooperation.h"
#include "tests/document/documenttestsupport.h"

using documenttest::CProbeElement;
using undotest::RecordingListener;
using undotest::TestEnvironment;

namespace {

// Each test starts with no current model and no current undo manager; both are put
// back afterwards.
class TarnwickModelTest : public ::testing::Test
{
protected:
    TarnwickModelTest()
    {
        WriteProfileBool("Undo", "Logging", false);
        SetCurrentModel(nullptr);
        SetCurrentUndoManager(nullptr);
    }

    TestEnvironment m_environment;
    CurrentModelScope m_scope;
};

class CDeletionObserver : public IObserver
{
public:
    void OnNotify(const std::string& /*name*/, void* data) override { deleted.push_back(data); }
    std::vector<void*> deleted;
};

}  // namespace

TEST_F(TarnwickModelTest, ANewModelTakesTheUndoManagerOnlyWhenNoneIsCurrentAndRestoresTheCurrentModel)
{
    CTarnwickModel* first = new CTarnwickModel;
    EXPECT_EQ(GetCurrentModel(), nullptr);
    EXPECT_EQ(GetCurrentUndoManager(), first->GetUndoManager());
    EXPECT_EQ(first->GetRootComponent()->GetModel(), first);

    first->MakeCurrent();
    CTarnwickModel* second = new CTarnwickModel;
    EXPECT_EQ(GetCurrentModel(), first);
    EXPECT_EQ(GetCurrentUndoManager(), first->GetUndoManager());

    SetCurrentModel(second);
    EXPECT_EQ(GetCurrentUndoManager(), second->GetUndoManager());
    EXPECT_EQ(second->Release(), 0);
    EXPECT_EQ(GetCurrentModel(), nullptr);
    EXPECT_EQ(GetCurrentUndoManager(), nullptr);
    EXPECT_EQ(first->Release(), 0);
}

TEST_F(TarnwickModelTest, ANewModelStartsWithItsDefaultsAndNoHistory)
{
    CTarnwickModel* model = new CTarnwickModel;
    EXPECT_EQ(model->GetRefCount(), 1);
    EXPECT_TRUE(IsNullGuid(model->GetModelId()));
    EXPECT_TRUE(model->IsDisplayAxes());
    EXPECT_EQ(model->GetLoadStatus(), 0);
    EXPECT_EQ(model->GetTypeId(), 34);
    EXPECT_TRUE(model->GetUndoManager()->GetUndoStack().empty());
    ASSERT_NE(model->GetLayerManager(), nullptr);
    EXPECT_TRUE(model->GetLayerManager()->IsBroadcasting());
    EXPECT_EQ(CLayer::GetDisplayName(model->GetLayerManager()->GetCurrentLayer()), CString("Layer0"));
    EXPECT_TRUE(model->GetSelectionSet().AreNotificationsEnabled());
    EXPECT_EQ(model->GetUndoManager()->GetDBListenerCount(), 2);
    model->Release();
}

TEST_F(TarnwickModelTest, TheLastReleaseDeletesTheModelAndTellsEveryone)
{
    CTarnwickModel* model = new CTarnwickModel;
    RecordingListener listener;
    model->GetUndoManager()->AddDBListener(&listener);
    CDeletionObserver observer;
    GetNotificationCenter().AddObserver(kDeleteModelNotification, &observer);

    model->AddRef();
    EXPECT_EQ(model->Release(), 1);
    EXPECT_TRUE(observer.deleted.empty());
    EXPECT_EQ(model->Release(), 0);

    GetNotificationCenter().RemoveObserver(&observer);
    ASSERT_EQ(observer.deleted.size(), 1u);
    EXPECT_EQ(observer.deleted[0], model);
    EXPECT_EQ(listener.Count("model deleted"), 1);
    EXPECT_TRUE(IsRecordingChanges());
}

TEST_F(TarnwickModelTest, ClearEmptiesTheModelAndItsHistory)
{
    CTarnwickModel* model = new CTarnwickModel;
    model->MakeCurrent();
    RecordingListener listener;
    model->GetUndoManager()->AddDBListener(&listener);
    model->GetUndoManager()->Start(1);
    model->AddEntity(new CProbeElement);
    model->GetUndoManager()->Commit();
    model->GetUndoManager()->Start(2);
    GUID id;
    CreateGuid(id);
    model->SetModelId(id);
    model->SetDescription("A house");
    (void)model->GetEntitySet();

    model->Clear();

    EXPECT_EQ(listener.Count("model cleared"), 1);
    EXPECT_TRUE(model->GetUndoManager()->GetUndoStack().empty());
    EXPECT_EQ(model->GetUndoManager()->GetOpenOperation(), nullptr);
    EXPECT_TRUE(model->GetRootComponent()->IsEmpty());
    EXPECT_TRUE(model->GetDescription().IsEmpty());
    EXPECT_TRUE(IsNullGuid(model->GetModelId()));
    EXPECT_EQ(model->FindEntitySet(), nullptr);
    EXPECT_EQ(model->GetLayerManager()->GetCount(), 1);
    EXPECT_EQ(model->GetUndoManager()->GetDBListenerCount(), 3);
    // Numbering started again: the default layer made anew is the first entity.
    EXPECT_EQ(model->GetLayerManager()->GetDefaultLayer()->GetId(), 1);
    model->Release();
}

TEST_F(TarnwickModelTest, TheCurrentModelIsRestoredWhenAnExceptionPassesTheScope)
{
    CTarnwickModel* outer = new CTarnwickModel;
    CTarnwickModel* inner = new CTarnwickModel;
    outer->MakeCurrent();
    try {
        const CurrentModelScope scope(inner);
        EXPECT_EQ(GetCurrentModel(), inner);
        EXPECT_EQ(GetCurrentUndoManager(), inner->GetUndoManager());
        throw std::runtime_error("read failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(GetCurrentModel(), outer);
    EXPECT_EQ(GetCurrentUndoManager(), outer->GetUndoManager());
    inner->Release();
    outer->Release();
}



TEST_F(TarnwickModelTest, AddingAnEntityRecordsTheAdditionInTheOpenOperation)
{
    CTarnwickModel* model = new CTarnwickModel;
    model->MakeCurrent();
    CUndoOperation* operation = model->GetUndoManager()->Start(3);
    auto* element = new CProbeElement;
    EXPECT_EQ(model->AddEntity(element), element);
    EXPECT_EQ(element->GetParent(), model->GetRootComponent());
    ASSERT_EQ(operation->GetAddedPairs().size(), 1u);
    EXPECT_EQ(operation->GetAddedPairs()[0].first, element);
    CEntitySet touched;
    operation->CollectTouchedComponents(touched);
    EXPECT_TRUE(touched.Contains(model->GetRootComponent()));
    model->GetUndoManager()->Commit();
    model->Release();
}
