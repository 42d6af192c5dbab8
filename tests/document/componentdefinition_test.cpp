#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "document/classregistration.h"
#include "document/component.h"
#include "document/componentbehavior.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/definitionlist.h"
#include "document/definitionthumbnails.h"
#include "document/dib.h"
#include "document/tarnwickmodel.h"
#include "document/thumbnail.h"
#include "document/group.h"
#include "foundation/line3d.h"
#include "foundation/notificationcenter.h"
#include "foundation/unitvector3d.h"
#include "model/entityset.h"
#include "model/validitylog.h"
#include "samplegen/definitionmodels.h"
#include "samplegen/modelfiles.h"
#include "tests/document/componenttestsupport.h"
#include "tests/document/documenttestsupport.h"
#include "tests/document/imagetestsupport.h"
#include "tests/heapinuse.h"

using componenttest::OldFileVersions;
using componenttest::RecordBuilder;
using documenttest::Bytes;
using documenttest::CProbeElement;
using documenttest::Dispose;
using documenttest::Load;
using undotest::TestEnvironment;

namespace {

class ComponentDefinitionTest : public ::testing::Test
{
protected:
    ComponentDefinitionTest() { componenttest::EnsureBehaviorAndThumbnailClasses(); }

    TestEnvironment m_environment;
    const CUndoSuspender m_suspender;
};

// Counts the notifications of one name.
class CNotificationCounter : public IObserver
{
public:
    explicit CNotificationCounter(const char* name) { GetNotificationCenter().AddObserver(name, this); }
    ~CNotificationCounter() override { GetNotificationCenter().RemoveObserver(this); }
    void OnNotify(const std::string& /*name*/, void* /*data*/) override { ++count; }
    int count = 0;
};

constexpr std::int32_t kSentinel = 0x5EED;

// A component holding a definition with a point at (1, 1, 1), placed once in it moved by
// the shift.
std::pair<CComponent*, CComponentDefinition*> PlacedProbeDefinition(const CVector3d& shift)
{
    auto* holder = new CComponent;
    auto* definition = new CComponentDefinition;
    holder->GetDefinitionList()->Add(definition);
    definition->Add(new CProbeElement(CPoint3d(1, 1, 1)));
    (void)componenttest::PlaceInstance(definition, holder, shift);
    return {holder, definition};
}

// A definition record of the given version after an empty component part.
Bytes DefinitionRecordOfVersion(int version)
{
    RecordBuilder b;
    b.NewObject("CComponentDefinition");
    b.ComponentPart([](RecordBuilder& r) { r.Int(0); });
    b.Guid(0x01020304);
    if (version >= 3) {
        b.String("Chair").String("second");
    }
    if (version >= 4) {
        b.String("third");
    } else {
        b.Int(2).String("first of old").String("third");
    }
    b.Long(1234567);
    if (version >= 9) {
        b.Byte(1);
    }
    if (version >= 5) {
        b.Point(CPoint3d(1, 2, 3));
    }
    if (version < 6) {
        b.Int(0);  // the old instance list
    }
    if (version >= 2) {
        b.Byte(0).Byte(1).Int(2).Byte(0);  // behaviour
    }
    if (version >= 8) {
        b.Int(5);
    }
    if (version >= 10) {
        b.Null();
    }
    b.Int(kSentinel);
    return b.Get();
}

}  // namespace

TEST_F(ComponentDefinitionTest, EveryRecordVersionReadsItsFieldsAndAlwaysEndsWithAThumbnail)
{
    for (const int version : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}) {
        SCOPED_TRACE(version);
        CComponentDefinition* definition = nullptr;
        {
            const OldFileVersions versions({{"CComponentDefinition", version}});
            Load(DefinitionRecordOfVersion(version), [&](CArchive& ar) {
                definition = dynamic_cast<CComponentDefinition*>(ar.ReadObject(nullptr));
                std::int32_t sentinel = 0;
                ar >> sentinel;
                EXPECT_EQ(sentinel, kSentinel);
            });
        }
        ASSERT_NE(definition, nullptr);
        EXPECT_EQ(definition->GetGuid().Data1, 0x01020304u);
        EXPECT_EQ(definition->GetName(), CString(version >= 3 ? "Chair" : ""));
        EXPECT_EQ(definition->GetThirdText(), CString("third"));
        EXPECT_EQ(definition->GetTime(), 1234567);
        EXPECT_EQ(definition->GetFlag(), version >= 9);
        EXPECT_TRUE(definition->GetInsertionPoint() == (version >= 5 ? CPoint3d(1, 2, 3) : CPoint3d()));
        EXPECT_EQ(definition->GetDefinitionType(), version >= 8 ? 5 : 0);
        EXPECT_NE(definition->GetThumbnail(), nullptr);
        EXPECT_EQ(definition->GetThumbnail()->GetParent(), definition);
        // None of these records carries a thumbnail: each waits for a rendered picture.
        EXPECT_TRUE(definition->IsThumbnailWaiting());
        EXPECT_EQ(definition->GetTypeId(), 4);
        Dispose(definition);
    }
}

TEST_F(ComponentDefinitionTest, InstancesRegisterInOrderAndRemovingTakesTheFirstOccurrence)
{
    auto* definition = new CComponentDefinition;
    auto* instance = new CComponentInstance;
    auto* other = new CGroup;
    definition->AddInstance(instance);
    definition->AddInstance(other);
    definition->AddInstance(instance);
    EXPECT_EQ(definition->GetInstanceCount(), 3);
    EXPECT_EQ(instance->GetDefinition(), definition);
    EXPECT_FALSE(instance->IsUnique());

    definition->RemoveInstance(instance);
    ASSERT_EQ(definition->GetInstanceCount(), 2);
    EXPECT_EQ(definition->GetInstance(0), other);
    EXPECT_EQ(definition->GetInstance(1), instance);
    EXPECT_EQ(definition->GetInstance(2), nullptr);

    EXPECT_EQ(instance->GetDefinition(), nullptr);

    definition->RemoveInstance(instance);
    instance->Erase();
    EXPECT_TRUE(other->IsUnique());
    other->Erase();  // leaves the list on its way out
    EXPECT_EQ(definition->GetInstanceCount(), 0);
    Dispose(definition);
}

TEST_F(ComponentDefinitionTest, TransformingTheContentsLeavesEveryPlacedCopyWhereItWas)
{
    auto* holder = new CComponent;
    auto* definition = new CComponentDefinition;
    holder->GetDefinitionList()->Add(definition);
    auto* instance = new CComponentInstance;
    definition->AddInstance(instance);
    CTransformation placement;
    placement.SetTranslation(CVector3d(10, 0, 0));
    instance->SetTransform(placement);
    holder->Add(instance);
    auto* inner = new CComponentInstance;  // an entity of the definition that moves
    definition->Add(inner);

    CTransformation move;
    move.SetTranslation(CVector3d(0, 5, 0));
    definition->Transform(move);
    EXPECT_TRUE(inner->GetTransform().GetOrigin() == CPoint3d(0, 5, 0));
    EXPECT_TRUE(definition->GetInsertionPoint() == CPoint3d(0, 5, 0));
    const CTransformation world = instance->GetTransform() * inner->GetTransform();
    EXPECT_TRUE(world.GetOrigin() == CPoint3d(10, 0, 0));
    Dispose(holder);
}

TEST_F(ComponentDefinitionTest, RenamingPostsOnlyARealChange)
{
    CNotificationCounter properties(kComponentPropertiesNotification);
    auto* definition = new CComponentDefinition;
    definition->SetName("Door");
    definition->SetName("Door");
    definition->SetName("door");
    EXPECT_EQ(properties.count, 2);
    Dispose(definition);
}

TEST_F(ComponentDefinitionTest, ADefinitionCannotBePlacedInsideWhatPlacesIt)
{
    auto* root = new CComponent;
    auto* outer = new CComponentDefinition;
    auto* inner = new CComponentDefinition;
    root->GetDefinitionList()->Add(outer);
    root->GetDefinitionList()->Add(inner);
    auto* placed = new CComponentInstance;
    inner->AddInstance(placed);
    outer->Add(placed);  // outer places inner

    EXPECT_TRUE(inner->IsPlacedIn(outer, false));
    EXPECT_TRUE(outer->CanContain(inner));
    EXPECT_FALSE(inner->CanContain(outer));
    EXPECT_FALSE(inner->CanContain(inner));
    EXPECT_FALSE(outer->CanPlaceIn(inner));
    EXPECT_TRUE(inner->CanPlaceIn(outer));
    CEntitySet definitions;
    outer->CollectDefinitions(definitions, true);
    EXPECT_TRUE(definitions.Contains(inner));
    Dispose(root);
}

TEST_F(ComponentDefinitionTest, GrowingADefinitionWidensTheComponentsThatPlaceIt)
{
    const auto [holder, definition] = PlacedProbeDefinition(CVector3d(0, 0, 0));
    CBoundingBox3d box;
    holder->GetBounds(box, false);
    EXPECT_DOUBLE_EQ(box.xmax, 1.0);

    definition->Add(new CProbeElement(CPoint3d(9, 1, 1)));
    holder->GetBounds(box, false);
    EXPECT_DOUBLE_EQ(box.xmax, 9.0);
    Dispose(holder);
}

TEST_F(ComponentDefinitionTest, APointAddedToADefinitionWidensEveryComponentThatPlacesItWhereItIsPlaced)
{
    const auto [holder, definition] = PlacedProbeDefinition(CVector3d(10, 0, 0));
    CBoundingBox3d second;
    definition->GetSecondBounds(second);
    EXPECT_DOUBLE_EQ(second.xmax, 1.0);
    CBoundingBox3d box;
    holder->GetBounds(box, false);
    EXPECT_DOUBLE_EQ(box.xmax, 11.0);

    definition->AddPointToBounds(CPoint3d(5, 1, 1));
    definition->GetBounds(box, false);
    EXPECT_DOUBLE_EQ(box.xmax, 5.0);
    holder->GetBounds(box, false);
    EXPECT_DOUBLE_EQ(box.xmax, 15.0);
    Dispose(holder);
}

// A behaviour whose own check failed used to pass its definition's check unseen.
TEST(ComponentDefinitionCheckTest, ADamagedBehaviourIsReportedThroughItsDefinitionAndRepaired)
{
    RegisterModelClasses();
    const TestEnvironment environment;
    const CUndoSuspender suspender;
    auto* definition = new CComponentDefinition;
    definition->SetName(CString("Chair"));
    auto* behavior = dynamic_cast<CComponentBehavior*>(definition->GetBehavior());
    if (behavior == nullptr) {
        Dispose(definition);
        GTEST_SKIP() << "a stand-in holds the behaviour's class name in this process";
    }
    behavior->SetGlued(true, -4);
    const CValidityCheckScope checking;
    ClearValidityLog();
    EXPECT_EQ(definition->CheckValidity(kValidityModeCheck, nullptr), kValidityRepairable);
    EXPECT_NE(GetValidityLog().Find(CString("damaged behaviour")), -1);
    EXPECT_EQ(definition->CheckValidity(kValidityModeRepair, nullptr), kValiditySound);
    EXPECT_EQ(behavior->GetGlueTo(), 0);
    Dispose(definition);
}

TEST_F(ComponentDefinitionTest, ADefinitionMadeToPlaceItselfAtRunTimeStillAnswersItsBounds)
{
    auto* definition = new CComponentDefinition;
    definition->Add(new CProbeElement(CPoint3d(2, 2, 2)));
    auto* self = new CComponentInstance;
    definition->AddInstance(self);
    definition->Add(self);

    CBoundingBox3d box;
    definition->GetBounds(box, false);
    EXPECT_DOUBLE_EQ(box.xmax, 2.0);
    CBoundingBox3d accumulated;
    definition->AccumulateExtents(CTransformation(), accumulated);
    EXPECT_DOUBLE_EQ(accumulated.xmax, 2.0);
    CPoint3d point;
    EXPECT_EQ(definition->IntersectLine(CLine3d(CPoint3d(), CUnitVector3d(0, 0, 1)), point), 0);

    definition->Remove(self);
    self->Erase();
    Dispose(definition);
}

namespace {

int g_renderCount = 0;
int g_batches = 0;

// A small picture for every definition but the one named "Fails".
CDib* RenderStub(CTarnwickModel& /*model*/, CComponentDefinition& definition, const CCamera& /*camera*/)
{
    ++g_renderCount;
    if (definition.GetName() == CString("Fails")) {
        return nullptr;
    }
    auto* picture = new CDib;
    picture->Create(imagetest::MakeFilledBitmap(2, 2, 0xFF336699, false).release(), 0, 2, 2, false);
    return picture;
}

void CountBatch(bool begin)
{
    g_batches += begin ? 1 : 0;
}

CDib* Picture(const CComponentDefinition* definition)
{
    return dynamic_cast<CThumbnail&>(*definition->GetThumbnail()).GetImage();
}

}  // namespace

TEST_F(ComponentDefinitionTest, TheDefinitionsAReadLeftWaitingAreRenderedOnceAndOnlyWithARenderer)
{
    auto* owner = new CComponent;
    const auto add = [](CComponent* holder, const char* name, bool waiting) {
        auto* definition = new CComponentDefinition;
        definition->SetName(CString(name));
        definition->SetThumbnailWaiting(waiting);
        holder->GetDefinitionList()->Add(definition);
        return definition;
    };
    CComponentDefinition* waiting = add(owner, "Waiting", true);
    CComponentDefinition* definitions[] = {waiting, add(owner, "Kept", false), add(waiting, "Nested", true),
                                           add(owner, "Fails", true)};
    auto* model = new CTarnwickModel;

    // Without a renderer they go on waiting.
    RenderWaitingThumbnails(*model, owner);
    EXPECT_EQ(GetDefinitionPicture(*model, *waiting), nullptr);
    for (CComponentDefinition* definition : definitions) {
        EXPECT_EQ(Picture(definition), nullptr);
        EXPECT_EQ(definition->IsThumbnailWaiting(), definition != definitions[1]);
    }

    g_renderCount = 0;
    g_batches = 0;
    SetDefinitionThumbnailRenderer(&RenderStub, &CountBatch);
    RenderWaitingThumbnails(*model, owner);
    RenderWaitingThumbnails(*model, owner);
    SetDefinitionThumbnailRenderer(nullptr);
    EXPECT_EQ(g_renderCount, 3);
    EXPECT_EQ(g_batches, 1);
    const bool pictured[] = {true, false, true, false};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Picture(definitions[i]) != nullptr, pictured[i]) << definitions[i]->GetName().ToUtf8();
        EXPECT_FALSE(definitions[i]->IsThumbnailWaiting());
    }
    model->Release();
    Dispose(owner);
}

TEST_F(ComponentDefinitionTest, OpeningRendersNoThumbnailUntilOneIsAskedForAndASaveRendersTheRest)
{
    constexpr int kCount = 1000;
    const auto definitionsOf = [](const CTarnwickModel& model) {
        std::vector<CComponentDefinition*> definitions;
        for (int i = 0; i < model.GetDefinitionList()->GetCount(); ++i) {
            definitions.push_back(model.GetDefinitionList()->GetDefinition(i));
        }
        return definitions;
    };
    // Written where no renderer is: the waiting definitions go out without thumbnails.
    ModelBytes bytes;
    {
        auto* made = new CTarnwickModel;
        const CurrentModelScope scope(made);
        for (int i = 0; i < kCount; ++i) {
            auto* definition = new CComponentDefinition;
            definition->SetThumbnailWaiting(true);
            made->GetDefinitionList()->Add(definition);
        }
        bytes = WriteModelBytes(*made, kSaveFormat5000);
        made->Release();
    }
    g_renderCount = 0;
    g_batches = 0;
    SetDefinitionThumbnailRenderer(&RenderStub, &CountBatch);
    auto* model = new CTarnwickModel;
    ReadModelBytes(bytes, *model);
    std::vector<CComponentDefinition*> definitions = definitionsOf(*model);
    ASSERT_EQ(definitions.size(), static_cast<std::size_t>(kCount));
    EXPECT_EQ(g_renderCount, 0);
    EXPECT_TRUE(std::all_of(definitions.begin(), definitions.end(),
                            [](const CComponentDefinition* d) { return d->IsThumbnailWaiting(); }));

    EXPECT_NE(GetDefinitionPicture(*model, *definitions[7]), nullptr);
    EXPECT_NE(GetDefinitionPicture(*model, *definitions[7]), nullptr);
    EXPECT_EQ(g_renderCount, 1);

    bytes = WriteModelBytes(*model, kSaveFormat5000);
    EXPECT_EQ(g_renderCount, kCount);
    EXPECT_EQ(g_batches, 1);
    SetDefinitionThumbnailRenderer(nullptr);
    model->Release();

    // The file keeps every picture.
    model = new CTarnwickModel;
    ReadModelBytes(bytes, *model);
    definitions = definitionsOf(*model);
    ASSERT_EQ(definitions.size(), static_cast<std::size_t>(kCount));
    EXPECT_TRUE(std::all_of(definitions.begin(), definitions.end(), [](const CComponentDefinition* d) {
        return !d->IsThumbnailWaiting() && Picture(d) != nullptr;
    }));
    model->Release();
}

// Each definition once took 13 KB: its empty entity list alone held room for 1,024
// entities, and an empty deque of instances and a second thumbnail while it was read
// most of the rest.
TEST_F(ComponentDefinitionTest, ADefinitionOfOneTriangleReadFromAFileHoldsAFewKilobytes)
{
    constexpr int kCount = 2000;
    ModelBytes bytes;
    {
        auto* made = new CTarnwickModel;
        BuildTriangleDefinitionsModel(*made, kCount);
        bytes = WriteModelBytes(*made, kSaveFormat5000);
        made->Release();
    }
    const std::size_t before = HeapBytesInUse();
    auto* model = new CTarnwickModel;
    ReadModelBytes(bytes, *model);
    const std::size_t held = HeapBytesInUse() - before;
    ASSERT_EQ(model->GetDefinitionList()->GetCount(), kCount);
    EXPECT_LT(held / kCount, 4096u) << held / kCount;
    model->Release();
}

