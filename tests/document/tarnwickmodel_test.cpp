#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "document/component.h"
#include "document/layer.h"
#include "annotations/dimensionstyle.h"
#include "annotations/textstyle.h"
#include "document/classregistration.h"
#include "document/componentbehavior.h"
#include "document/componentcs.h"
#include "document/dib.h"
#include "document/fontmanager.h"
#include "document/layermanager.h"
#include "document/optionsmanager.h"
#include "document/optionsprovider.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/tarniscs.h"
#include "model/validitylog.h"
#include "document/tarnwickmodel.h"
#include "foundation/modelid.h"
#include "foundation/notificationcenter.h"
#include "document/componentdefinition.h"
#include "document/definitionlist.h"
#include "foundation/slaballocator.h"
#include "model/backreferencemap.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/face.h"
#include "model/undosuspender.h"
#include "model/vertex.h"
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

// The program's end leaves its model to the process; the undo log once lost the line
// that the model's end writes.
TEST_F(TarnwickModelTest, AModelLeftToTheProcessWritesWhatItsDestructionWritesToTheLogAndClosesIt)
{
    GTEST_FLAG_SET(death_test_style, "fast");
    WriteProfileBool("Undo", "Logging", true);
    const auto logText = [&] {
        std::ifstream in(m_environment.LogPath(0), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    const auto build = [] {
        auto* model = new CTarnwickModel;
        EXPECT_TRUE(model->GetUndoManager()->IsLogging());
        model->GetUndoManager()->WriteLog("Opened\n");
        return model;
    };
    build()->Release();
    const std::string destroyed = logText();
    EXPECT_EQ(destroyed, "Opened\nFile New\n");
    // The child ends as the program does, without freeing the model or checking leaks.
    EXPECT_EXIT(
        {
            CTarnwickModel* model = build();
            model->AbandonAtExit();
            const bool closed = !model->GetUndoManager()->IsLogging() && logText() == destroyed;
            model->Release();
            std::_Exit(closed && logText() == destroyed ? 3 : 1);
        },
        ::testing::ExitedWithCode(3), "");
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
    CEntity* styleFont = model->GetTextStyle()->GetFont();
    const int styleFonts = model->GetFontManager()->GetCount();
    const void* textFont = model->GetFontManager()->GetFont("A text's own face", false, false, 12, 6);

    model->Clear();

    EXPECT_EQ(listener.Count("model cleared"), 1);
    EXPECT_TRUE(model->GetUndoManager()->GetUndoStack().empty());
    EXPECT_EQ(model->GetUndoManager()->GetOpenOperation(), nullptr);
    EXPECT_TRUE(model->GetRootComponent()->IsEmpty());
    EXPECT_TRUE(model->GetDescription().IsEmpty());
    EXPECT_TRUE(IsNullGuid(model->GetModelId()));
    EXPECT_EQ(model->FindEntitySet(), nullptr);
    EXPECT_EQ(model->GetLayerManager()->GetCount(), 1);
    // A text's font goes with the texts; the style keeps its own.
    EXPECT_EQ(model->GetFontManager()->GetCount(), styleFonts);
    EXPECT_TRUE(model->GetFontManager()->Contains(styleFont));
    for (int i = 0; i < styleFonts; ++i) {
        EXPECT_NE(model->GetFontManager()->GetAt(i), textFont);
    }
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

TEST_F(TarnwickModelTest, ANewModelMakesEveryMemberOwnedByItAndLooksFromTheDefaultCamera)
{
    CTarnwickModel* model = new CTarnwickModel;
    EXPECT_NE(model->GetDrawingAxes(), nullptr);
    ASSERT_NE(model->GetComponentAxes(), nullptr);
    EXPECT_DOUBLE_EQ(model->GetComponentAxes()->GetSize(), 1.0 / 15.0);
    EXPECT_TRUE(model->GetComponentAxes()->IsDepthTested());
    EXPECT_NE(model->GetComponentBehavior(), nullptr);
    EXPECT_NE(model->GetOptionsManager(), nullptr);
    EXPECT_NE(model->GetDimensionStyle(), nullptr);
    EXPECT_NE(model->GetTextStyle(), nullptr);
    ASSERT_NE(model->GetFontManager(), nullptr);
    EXPECT_EQ(model->GetFontManager()->GetParent(), model->GetRootComponent());
    ASSERT_NE(model->GetRenderingOptions(), nullptr);
    ASSERT_NE(model->GetShadowInfo(), nullptr);
    EXPECT_EQ(model->GetRootComponent()->GetModel(), model);
    EXPECT_EQ(model->GetPreviewImage(), nullptr);
    EXPECT_TRUE(model->IsRedefineThumbnailOnSave());
    EXPECT_EQ(model->GetReservedWord(0), 0);
    EXPECT_TRUE(model->GetCamera().GetEye() == CPoint3d(0, 0, 500));
    EXPECT_TRUE(model->GetCamera().GetTarget() == CPoint3d(0, 0, 0));
    EXPECT_TRUE(model->GetCamera().IsPerspective());
    EXPECT_DOUBLE_EQ(model->GetCamera().GetFieldOfView(), 30.0);
    EXPECT_EQ(model->GetActiveInstance(), nullptr);
    EXPECT_EQ(model->GetActiveComponent(), model->GetRootComponent());
    model->Release();
}

TEST_F(TarnwickModelTest, ClearDropsThePreviewAndPutsTheCameraSettingsAndAxesBack)
{
    RegisterModelClasses();
    CTarnwickModel* model = new CTarnwickModel;
    model->SetPreviewImage(new CDib);
    model->GetCamera().SetView(CPoint3d(1, 1, 1), CPoint3d(0, 0, 0), CVector3d(0, 0, 1), 1.0, 1000.0, false, 40.0,
                               10.0);
    {
        const CUndoSuspender suspender;
        model->GetRenderingOptions()->SetShowHiddenGeometry(true);
        model->GetShadowInfo()->SetDisplayShadows(true);
    }
    model->SetDisplayAxes(false);
    COptionsProvider* axes = model->GetOptionsManager()->GetProvider(CString("AxisOptions"));
    ASSERT_NE(axes, nullptr);
    EXPECT_FALSE(axes->GetValue(CString("DisplayAxes")).AsBool());

    model->Clear();

    EXPECT_TRUE(axes->GetValue(CString("DisplayAxes")).AsBool());
    EXPECT_EQ(model->GetPreviewImage(), nullptr);
    EXPECT_TRUE(model->GetCamera().GetEye() == CPoint3d(0, 0, 500));
    EXPECT_FALSE(model->GetRenderingOptions()->IsShowHiddenGeometry());
    EXPECT_FALSE(model->GetShadowInfo()->IsDisplayShadows());
    EXPECT_TRUE(model->IsDisplayAxes());
    model->Release();
}

TEST_F(TarnwickModelTest, AssigningShadowSettingsCopiesThemAndPostsTheAssignment)
{
    CTarnwickModel* model = new CTarnwickModel;
    CShadowInfo settings;
    {
        const CUndoSuspender suspender;
        settings.SetDisplayShadows(true);
    }
    struct Observer : IObserver
    {
        void OnNotify(const std::string& /*name*/, void* data) override
        {
            codes.push_back(static_cast<CShadowNotificationData*>(data)->code);
        }
        std::vector<int> codes;
    } observer;
    GetNotificationCenter().AddObserver(kShadowNotification, &observer);
    model->SetShadowInfo(settings);
    GetNotificationCenter().RemoveObserver(&observer);
    EXPECT_TRUE(model->GetShadowInfo()->IsDisplayShadows());
    ASSERT_FALSE(observer.codes.empty());
    EXPECT_EQ(observer.codes.back(), kShadowAssigned);
    model->Release();
}

TEST_F(TarnwickModelTest, TheModelCheckRunsDespiteTheBypassAndFindsANewModelSound)
{
    CTarnwickModel* model = new CTarnwickModel;
    SetValidityCheckBypass(true);
    ClearValidityLog();
    EXPECT_EQ(model->FixValidityErrors(kValidityModeCheck, false), kValiditySound);
    EXPECT_TRUE(IsValidityCheckBypassed());
    EXPECT_FALSE(model->IsChecking());
    model->FreeDisplayResources();
    model->Release();
}

TEST_F(TarnwickModelTest, ClearingFreesEveryDefinitionsTopologyAndTheAllocatorsKeepOnlyTheirFirstBlock)
{
    CSlabAllocator& uses = CSlabAllocator::ForClass<CEdgeUse>();
    const std::size_t usesBefore = uses.GetLiveCount();
    CTarnwickModel model;
    model.MakeCurrent();
    {
        const CUndoSuspender suspender;
        for (int i = 0; i < 200; ++i) {
            auto* definition = new CComponentDefinition;
            model.GetDefinitionList()->Add(definition);
            CVertex* v[3] = {new CVertex(CPoint3d(0, 0, 0)), new CVertex(CPoint3d(1, 0, 0)),
                             new CVertex(CPoint3d(0, 1, 0))};
            CEdge* edges[3];
            for (int e = 0; e < 3; ++e) {
                edges[e] = new CEdge(v[e], v[(e + 1) % 3], false);
                definition->Add(edges[e]);
            }
            definition->Add(new CFace(3, edges, CPlane3d(v[0]->GetPosition(), CVector3d(0, 0, 1))));
        }
    }
    ASSERT_EQ(uses.GetLiveCount(), usesBefore + 600);
    {
        const CUndoSuspender suspender;
        model.Clear();
    }
    EXPECT_TRUE(model.GetDefinitionList()->IsEmpty());
    EXPECT_EQ(uses.GetLiveCount(), usesBefore);
    if (usesBefore == 0 && CSlabAllocator::kObjectBlockBytes != 0) {
        EXPECT_LE(uses.GetHeldBytes(), 4096u);
    }
}
