#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/definitionlist.h"
#include "document/group.h"
#include "document/image.h"
#include "foundation/notificationcenter.h"
#include "tests/document/componenttestsupport.h"
#include "tests/document/documenttestsupport.h"

using componenttest::OldFileVersions;
using componenttest::RecordBuilder;
using documenttest::Bytes;
using documenttest::Dispose;
using documenttest::Load;
using documenttest::Store;
using undotest::TestEnvironment;

namespace {

class DefinitionListTest : public ::testing::Test
{
protected:
    DefinitionListTest() { componenttest::EnsureBehaviorAndThumbnailClasses(); }

    CComponentDefinition* AddDefinition(CComponent* owner, const char* name)
    {
        auto* definition = new CComponentDefinition;
        definition->SetName(name);
        owner->GetDefinitionList()->Add(definition);
        return definition;
    }

    template <typename Instance = CComponentInstance>
    Instance* Place(CComponentDefinition* definition, CComponent* holder)
    {
        auto* instance = new Instance;
        definition->AddInstance(instance);
        holder->Add(instance);
        return instance;
    }

    TestEnvironment m_environment;
};

}  // namespace

TEST_F(DefinitionListTest, UniqueNamesNumberTheBaseOfTheName)
{
    const CUndoSuspender suspender;
    auto* owner = new CComponent;
    for (const char* name : {"Box", "Box#1", "box#2", "Chair", "Chair#7", "Chair12", "#5"}) {
        AddDefinition(owner, name);
    }
    const CDefinitionList& list = *owner->GetDefinitionList();
    struct Case
    {
        const char* name;
        bool force;
        const char* expected;
    };
    const Case cases[] = {
        {"Table", false, "Table"}, {"Box#1", false, "Box#3"},     {"Chair", false, "Chair#1"},
        {"Chair#7", false, "Chair#1"}, {"Chair12", false, "Chair12#1"}, {"#5", false, "#5#1"},
        {"Table", true, "Table#1"},
    };
    for (const Case& c : cases) {
        CString out;
        list.MakeUniqueName(out, c.name, c.force, nullptr);
        EXPECT_EQ(out, CString(c.expected)) << c.name;
    }
    CString excluded;
    list.MakeUniqueName(excluded, "Box", false, list.GetDefinition(0));
    EXPECT_EQ(excluded, CString("Box"));

    owner->GetDefinitionList()->RebuildNameSet();
    CString bySet;
    list.MakeUniqueNameBySet(bySet, "BOX", false);
    EXPECT_EQ(bySet, CString("BOX#3"));
    Dispose(owner);
}

// Definitions on one level keep the list's order: reversed, two of them changed places with
// every save, and a file read and saved again differed from the first save.
TEST_F(DefinitionListTest, NestedDefinitionsAreWrittenFirstAndUnplaceableOnesStillWritten)
{
    const CUndoSuspender suspender;
    auto* root = new CComponent;
    auto* outside = new CComponent;
    CComponentDefinition* a = AddDefinition(root, "A");
    CComponentDefinition* b = AddDefinition(root, "B");
    CComponentDefinition* d = AddDefinition(root, "D");
    CComponentDefinition* c = AddDefinition(root, "C");
    Place(a, root);
    Place<CGroup>(b, a);
    Place<CImage>(b, root);
    Place(d, root);
    Place(c, outside);

    EXPECT_EQ(root->GetDefinitionList()->GetWriteOrder(), (std::vector<CComponentDefinition*>{b, a, d, c}));
    const Bytes bytes = Store([&](CArchive& ar) { root->GetDefinitionList()->Serialize(ar); });
    CDefinitionList read;
    Load(bytes, [&](CArchive& ar) { read.Serialize(ar); });
    ASSERT_EQ(read.GetCount(), 4);  // the count and the references stay in step
    std::vector<CString> names;
    for (const CComponentDefinition* definition : read.GetDefinitions()) {
        names.push_back(definition->GetName());
    }
    EXPECT_EQ(names, (std::vector<CString>{"B", "A", "D", "C"}));
    read.EraseAll(true);
    Dispose(outside);
    Dispose(root);
}

TEST_F(DefinitionListTest, AComponentWrittenAndReadBackEqualsTheOriginalAndWritesTheSameBytes)
{
    const CUndoSuspender suspender;
    auto* root = new CComponent;
    CComponentDefinition* a = AddDefinition(root, "A");
    CComponentDefinition* b = AddDefinition(root, "B");
    Place(a, root)->SetName("first A");
    Place<CGroup>(b, a);
    Place<CImage>(b, root);

    const Bytes written = Store([&](CArchive& ar) { root->Serialize(ar); });
    auto* read = new CComponent;
    Load(written, [&](CArchive& ar) { read->Serialize(ar); });
    const Bytes rewritten = Store([&](CArchive& ar) { read->Serialize(ar); });
    ASSERT_EQ(rewritten.size(), written.size());
    const auto differs = std::mismatch(written.begin(), written.end(), rewritten.begin());
    EXPECT_EQ(differs.first - written.begin(), static_cast<long>(written.size()));

    ASSERT_EQ(read->GetCount(), 2);
    const auto* placedA = dynamic_cast<CComponentInstance*>(read->GetAt(0));
    ASSERT_NE(placedA, nullptr);
    EXPECT_EQ(placedA->GetName(), CString("first A"));
    ASSERT_NE(placedA->GetDefinition(), nullptr);
    EXPECT_EQ(placedA->GetDefinition()->GetName(), CString("A"));
    EXPECT_EQ(placedA->GetDefinition()->GetParent(), read->GetDefinitionList());
    const auto* image = dynamic_cast<CImage*>(read->GetAt(1));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetDefinition()->GetName(), CString("B"));
    EXPECT_EQ(image->GetDefinition()->GetInstanceCount(), 2);
    EXPECT_NE(dynamic_cast<CGroup*>(placedA->GetDefinition()->GetAt(0)), nullptr);
    Dispose(read);
    Dispose(root);
}

TEST_F(DefinitionListTest, ReadingSkipsRepeatsAndDefinitionsOfAnotherList)
{
    RecordBuilder b;
    b.Int(2);
    const int definition = b.NewObject("CComponentDefinition");
    b.ComponentPart([](RecordBuilder& r) { r.Int(0); });
    b.Guid(1).String("Shared").String("").String("").Long(0).Byte(0).Point(CPoint3d());
    b.Byte(0).Byte(0).Int(0).Byte(0).Int(0).Null();
    b.Ref(definition);
    b.Int(1).Ref(definition);  // a second list naming the same definition

    const CUndoSuspender suspender;
    CDefinitionList first;
    CDefinitionList second;
    {
        const OldFileVersions versions({});
        Load(b.Get(), [&](CArchive& ar) {
            first.Serialize(ar);
            second.Serialize(ar);
        });
    }
    ASSERT_EQ(first.GetCount(), 1);
    EXPECT_EQ(first.GetDefinition(0)->GetParent(), &first);
    EXPECT_EQ(second.GetCount(), 0);
    first.GetDefinition(0)->Erase();
}

TEST_F(DefinitionListTest, ErasingTheListErasesAPlacingDefinitionBeforeTheOneItPlaces)
{
    CComponent* root = nullptr;
    CComponentDefinition* inner = nullptr;
    CComponentDefinition* outer = nullptr;
    {
        const CUndoSuspender suspender;
        root = new CComponent;
        inner = AddDefinition(root, "Inner");
        outer = AddDefinition(root, "Outer");
        Place(inner, outer);
    }
    // Entities made before the operation are handed to it when erased.
    entitytest::OpenOperation operation;
    root->GetDefinitionList()->EraseAll(true);

    const std::vector<CEntity*>& erased = operation.Get().GetErasedEntities();
    const auto at = [&](const CEntity* entity) { return std::find(erased.begin(), erased.end(), entity); };
    ASSERT_NE(at(inner), erased.end());
    ASSERT_NE(at(outer), erased.end());
    EXPECT_LT(at(outer), at(inner));
    EXPECT_TRUE(root->GetDefinitionList()->IsEmpty());
    root->Erase();
}

TEST_F(DefinitionListTest, ErasingTheListErasesDefinitionsThatOnlyPlaceOneAnotherButNotOnesPlacedFromOutside)
{
    // Pins a past fault: definitions placing themselves or each other were never erased.
    CComponent* root = nullptr;
    std::vector<CComponentDefinition*> cycles;
    CComponentDefinition* kept = nullptr;
    {
        const CUndoSuspender suspender;
        root = new CComponent;
        cycles = {AddDefinition(root, "Self"), AddDefinition(root, "First"), AddDefinition(root, "Second")};
        kept = AddDefinition(root, "Kept");
        Place(cycles[0], cycles[0]);
        Place(cycles[1], cycles[2]);
        Place(cycles[2], cycles[1]);
        Place(kept, kept);
        Place(kept, root);
    }
    entitytest::OpenOperation operation;
    root->GetDefinitionList()->EraseAll(true);

    const std::vector<CEntity*>& erased = operation.Get().GetErasedEntities();
    const auto isErased = [&](const CEntity* entity) {
        return std::find(erased.begin(), erased.end(), entity) != erased.end();
    };
    for (std::size_t i = 0; i < cycles.size(); ++i) {
        EXPECT_TRUE(isErased(cycles[i])) << i;
    }
    EXPECT_FALSE(isErased(kept));
    EXPECT_EQ(kept->GetInstanceCount(), 2);
    // It goes with the component that places it.
    root->GetDefinitionList()->Add(kept);
    root->Erase();
}

TEST_F(DefinitionListTest, ForgettingPickedDefinitionsKeepsTheOthersInOrderAndPostsNothing)
{
    struct CountingObserver : IObserver
    {
        void OnNotify(const std::string& /*name*/, void* /*data*/) override { ++posts; }
        int posts = 0;
    } removals;
    GetNotificationCenter().AddObserver(kComponentRemovedNotification, &removals);
    const CUndoSuspender suspender;
    auto* owner = new CComponent;
    std::vector<CComponentDefinition*> made;
    for (const char* name : {"A", "B", "C", "D", "E"}) {
        made.push_back(AddDefinition(owner, name));
    }
    CDefinitionList& list = *owner->GetDefinitionList();
    const auto forgotten = [&made](const CComponentDefinition* definition) {
        return definition == made[0] || definition == made[2] || definition == made[4];
    };
    EXPECT_EQ(list.ForgetWhere(forgotten), 3);
    EXPECT_EQ(list.GetDefinitions(), (std::vector<CComponentDefinition*>{made[1], made[3]}));
    for (CComponentDefinition* definition : made) {
        EXPECT_EQ(definition->GetParent(), forgotten(definition) ? nullptr : &list) << definition->GetName().ToUtf8();
    }
    EXPECT_EQ(list.ForgetWhere(forgotten), 0);
    EXPECT_EQ(removals.posts, 0);
    GetNotificationCenter().RemoveObserver(&removals);
    for (CComponentDefinition* definition : {made[0], made[2], made[4]}) {
        definition->Erase();
    }
    owner->Erase();
}
