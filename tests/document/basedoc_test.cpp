#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "annotations/sectionplane.h"
#include "document/basedoc.h"
#include "document/classregistration.h"
#include "document/component.h"
#include "document/doctoolmanager.h"
#include "document/entitymerger.h"
#include "document/renderingoptions.h"
#include "model/enumedge.h"
#include "model/selectionobserver.h"
#include "model/undomanager.h"
#include "model/undosuspender.h"
#include "tests/document/documenttestsupport.h"
#include "tests/document/operationtestsupport.h"
#include "tests/document/undoreplay.h"

namespace {

// A tool manager that writes down what the document asks of it.
class CFakeToolManager : public IDocToolManager, public CDBListener, public ISelectionObserver
{
public:
    CDBListener* GetDBListener() override { return this; }
    ISelectionObserver* GetSelectionObserver() override { return this; }
    void Activate() override { calls.emplace_back("activate"); }
    void Reset() override { calls.emplace_back("reset"); }
    void Shutdown() override { calls.emplace_back("shutdown"); }
    int GetActiveToolId() const override { return activeTool; }
    bool PopTool() override
    {
        calls.emplace_back("pop");
        return true;
    }
    void OnOperationCommitted(int /*code*/, int /*nameId*/, int /*flags*/) override
    {
        calls.emplace_back("committed");
    }
    void OnSelectionChanged(CSelectionSet* /*selection*/, int /*code*/, CEntity* /*entity*/) override {}

    std::vector<std::string> calls;
    int activeTool = 0;
};

// Counts the views it was asked to update.
class CCountingDoc : public CBaseDoc
{
public:
    void UpdateAllViews() override { ++updates; }
    int updates = 0;
};

class CNameRecorder : public IObserver
{
public:
    void OnNotify(const std::string& name, void* /*data*/) override { names.push_back(name); }
    std::vector<std::string> names;
};

class BaseDocTest : public ::testing::Test
{
protected:
    void SetUp() override { RegisterModelClasses(); }

    entitytest::QuietSettings m_settings;
    CurrentModelScope m_scope{nullptr};
};

}  // namespace

TEST_F(BaseDocTest, TheToolManagerHearsEventsFirstAndIsActivatedResetAndShutDownWithTheDocument)
{
    CFakeToolManager tools;
    {
        CCountingDoc document;
        document.SetToolManager(&tools);
        document.Activate();
        EXPECT_EQ(GetCurrentModel(), &document.GetModel());
        CUndoManager* undo = document.GetModel().GetUndoManager();
        undo->Start(1);
        document.GetModel().AddEntity(new documenttest::CProbeElement);
        undo->Commit(3);
        EXPECT_EQ(document.updates, 1);
        document.DeleteContents();
        EXPECT_TRUE(document.GetModel().GetRootComponent()->IsEmpty());
    }
    const std::vector<std::string> expected{"activate", "committed", "reset", "shutdown"};
    EXPECT_EQ(tools.calls, expected);
}

TEST_F(BaseDocTest, OnlyAKeptOperationTellsThatTheLoadedComponentsChanged)
{
    CCountingDoc document;
    document.Activate();
    CNameRecorder recorder;
    GetNotificationCenter().AddObserver(kLoadedComponentsChangedNotification, &recorder);
    CUndoManager* undo = document.GetModel().GetUndoManager();
    undo->Start(1);
    undo->Commit(0);
    EXPECT_TRUE(recorder.names.empty());
    undo->Start(2);
    document.GetModel().AddEntity(new documenttest::CProbeElement);
    undo->Commit(0);
    GetNotificationCenter().RemoveObserver(&recorder);
    EXPECT_EQ(recorder.names.size(), 1u);
    EXPECT_EQ(document.updates, 0);
}

TEST_F(BaseDocTest, ColourByLayerEndsThePaintByLayerToolOnly)
{
    CFakeToolManager tools;
    CCountingDoc document;
    document.SetToolManager(&tools);
    const CUndoSuspender suspender;
    tools.activeTool = 21255;
    document.GetModel().GetRenderingOptions()->SetColorByLayer(true);
    EXPECT_EQ(std::count(tools.calls.begin(), tools.calls.end(), "pop"), 1);
    document.GetModel().GetRenderingOptions()->SetColorByLayer(false);
    tools.activeTool = 1;
    document.GetModel().GetRenderingOptions()->SetColorByLayer(true);
    EXPECT_EQ(std::count(tools.calls.begin(), tools.calls.end(), "pop"), 1);
    document.SetToolManager(nullptr);
}

TEST_F(BaseDocTest, HidingSectionPlanesTakesThemOutOfTheSelection)
{
    CCountingDoc document;
    document.Activate();
    const CUndoSuspender suspender;
    auto* plane = new CSectionPlane;
    auto* other = new documenttest::CProbeElement;
    document.GetModel().GetRootComponent()->Add(plane);
    document.GetModel().GetRootComponent()->Add(other);
    CSelectionSet& selection = document.GetModel().GetSelectionSet();
    selection.Add(plane);
    selection.Add(other);
    document.ToggleSectionPlanes();
    EXPECT_FALSE(selection.Contains(plane));
    EXPECT_TRUE(selection.Contains(other));
    EXPECT_EQ(document.updates, 1);
    document.ToggleSectionPlanes();
    EXPECT_EQ(document.updates, 2);
}

TEST_F(BaseDocTest, TheCachedBoundsFollowAMoveItsUndoAndRedoAndAnErase)
{
    CCountingDoc document;
    document.Activate();
    CComponent& root = *document.GetModel().GetRootComponent();
    operationtest::ModelFixture::Square(root, 0, 0);
    CFace* far = operationtest::ModelFixture::Square(root, 10, 0);
    CUndoManager* undo = document.GetModel().GetUndoManager();
    const auto top = [&root] {
        CBoundingBox3d box;
        root.GetBounds(box, false);
        return CPoint3d(box.xmax, box.ymax, box.zmax);
    };
    ASSERT_TRUE(top() == CPoint3d(11, 1, 0));

    undo->Start(1);
    CEntityMerger({far}).Merge(operationtest::Shift(0, 0, 5));
    undo->Commit();
    EXPECT_TRUE(top() == CPoint3d(11, 1, 5));

    undo->Start(2);
    auto replay = std::make_unique<undoreplay::UndoReplay>(*undo->GetUndoStack().back());
    undo->Commit();
    EXPECT_TRUE(top() == CPoint3d(11, 1, 0));
    undo->Start(3);
    replay.reset();
    undo->Commit();
    EXPECT_TRUE(top() == CPoint3d(11, 1, 5));

    undo->Start(4);
    std::vector<CDrawingElement*> erased{far};
    CEnumEdgeFace edges(far);
    for (CEdge* edge = nullptr; edges.Next(edge);) {
        erased.push_back(edge);
    }
    for (CDrawingElement* element : erased) {
        root.EraseEntity(element);
    }
    undo->Commit();
    EXPECT_TRUE(top() == CPoint3d(1, 1, 0));
}

TEST_F(BaseDocTest, AKeptOperationPurgesADefinitionItEmptiedUnlessTheFlagKeepsEmptiedDefinitions)
{
    struct Case
    {
        int flags;
        int definitionsLeft;
    };
    for (const Case& test : {Case{0, 0}, Case{3, 0}, Case{0x08, 1}, Case{0x08 | 0x10, 1}}) {
        CCountingDoc document;
        document.Activate();
        CComponent& root = *document.GetModel().GetRootComponent();
        auto* definition = new CComponentDefinition;
        CComponentInstance* instance = nullptr;
        {
            const CUndoSuspender suspender;
            root.GetDefinitionList()->AddDefinition(definition, false);
            operationtest::ModelFixture::Square(*definition, 0, 0);
            instance = operationtest::ModelFixture::Place(root, definition);
        }
        CUndoManager* undo = document.GetModel().GetUndoManager();
        undo->Start(1);
        while (!definition->IsEmpty()) {
            definition->EraseEntity(definition->GetEntityList().back());
        }
        undo->Commit(test.flags);
        EXPECT_EQ(root.GetDefinitionList()->GetCount(), test.definitionsLeft) << test.flags;
        EXPECT_EQ(root.Contains(instance), test.definitionsLeft == 1) << test.flags;
    }
}
