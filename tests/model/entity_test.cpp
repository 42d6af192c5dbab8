#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "document/component.h"
#include "model/attribute.h"
#include "model/attributecontainer.h"
#include "model/backreferencemap.h"
#include "model/curve.h"
#include "model/edge.h"
#include "model/drawingelement.h"
#include "model/entity.h"
#include "model/entityset.h"
#include "model/relationship.h"
#include "model/relationshipmap.h"
#include "platform/exceptions.h"
#include "tests/model/entitytestsupport.h"

using namespace entitytest;

namespace {

// Counts the hooks that the entity base calls, and tells when it is deleted.
class CProbeEntity : public CEntity
{
public:
    explicit CProbeEntity(bool* deleted = nullptr)
        : m_deleted(deleted)
    {
    }
    ~CProbeEntity() override
    {
        if (m_deleted != nullptr) {
            *m_deleted = true;
        }
    }
    void OnModified() override { ++modified; }
    void OnErased() override { ++erased; }
    void OnReferenceChanged(int code, CEntity* changed, CEntity* argument) override
    {
        lastCode = code;
        lastChanged = changed;
        lastArgument = argument;
    }

    int modified = 0;
    int erased = 0;
    int lastCode = 0;
    CEntity* lastChanged = nullptr;
    CEntity* lastArgument = nullptr;

private:
    bool* m_deleted;
};

} // namespace

TEST(EntityIds, TheFirstEntityAfterAResetHasIdOneAndCopiesHaveNone)
{
    ResetEntityIdCounter();
    CEntity first;
    CEntity second;
    const CEntity copy(first);
    EXPECT_EQ(first.GetId(), 1);
    EXPECT_EQ(second.GetId(), 2);
    EXPECT_EQ(copy.GetId(), 0);
    EXPECT_EQ(GetEntityIdCounter(), 3);
}

TEST(EntityNames, TypeNamesDropTheLeadingCAndLabelsShowTheId)
{
    ResetEntityIdCounter();
    for (int i = 1; i < 12; ++i) {
        const CEntity skipped;
    }
    const CDrawingElement element;
    EXPECT_EQ(element.GetClassName(), CString("CDrawingElement"));
    EXPECT_EQ(element.GetTypeName(), CString("DrawingElement"));
    EXPECT_EQ(GetEntityLabel(&element), CString("CDrawingElement (12)"));
    EXPECT_EQ(GetEntityLabel(nullptr), CString("(NULL}"));
    EXPECT_EQ(element.GetTypeId(), kTypeDrawingElement);
    EXPECT_EQ(CEntity().GetTypeId(), kTypeEntity);
}

TEST(EntityNotify, OnlyTheModifiedAndErasedCodesReachTheirHooks)
{
    CProbeEntity entity;
    entity.Notify(3);
    EXPECT_EQ(entity.modified + entity.erased, 0);
    entity.Notify(kNotifyModified);
    entity.Notify(kNotifyErased);
    EXPECT_EQ(entity.modified, 1);
    EXPECT_EQ(entity.erased, 1);
}

TEST(EntityRecord, VersionOneSkipsExactlyFourBytesAndHasNoContainer)
{
    const FileVersions versions{{"CEntity", 1}};
    Bytes bytes;
    PutInt(bytes, 0x11223344);
    PutInt(bytes, 77);
    Load(bytes, [](CArchive& ar) {
        CEntity entity;
        entity.Serialize(ar);
        EXPECT_EQ(entity.GetAttributeContainer(), nullptr);
        std::int32_t next = 0;
        ar >> next;
        EXPECT_EQ(next, 77);
    });
}

TEST(EntityRecord, FormatThreeThousandWritesNoBytesAndNewerFormatsANullReference)
{
    const CEntity entity;
    EXPECT_TRUE(Store([&](CArchive& ar) { const_cast<CEntity&>(entity).Serialize(ar); }, kSaveFormat3000).empty());
    EXPECT_EQ(Store([&](CArchive& ar) { const_cast<CEntity&>(entity).Serialize(ar); }, kSaveFormat4000),
              (Bytes{0, 0}));
    EXPECT_EQ(Store([&](CArchive& ar) { const_cast<CEntity&>(entity).Serialize(ar); }), (Bytes{0, 0}));
}

TEST(EntityRecord, TheAttributeContainerComesBackWithTheEntityAsItsParent)
{
    Bytes bytes;
    {
        const CUndoSuspender suspender;
        CEntity* written = new CEntity;
        written->GetOrCreateAttributeContainer(new CAttribute);
        bytes = Store([&](CArchive& ar) { written->Serialize(ar); });
        written->Erase();
    }
    Load(bytes, [](CArchive& ar) {
        auto* entity = new CEntity;
        entity->Serialize(ar);
        ASSERT_NE(entity->GetAttributeContainer(), nullptr);
        EXPECT_EQ(entity->GetAttributeContainer()->GetParent(), entity);
        EXPECT_EQ(entity->GetAttributeContainer()->GetCount(), 1);
        entity->Erase();
    });
}

TEST(EntityRecord, AContainerReferenceOfAnotherClassIsRefused)
{
    CEntity other;
    Bytes bytes;
    PutReference(bytes, 1);
    Load(bytes, [&](CArchive& ar) {
        ar.MapObject(&other);
        CEntity entity;
        EXPECT_THROW(entity.Serialize(ar), CArchiveException);
    });
}

TEST(EntityRecord, AContainerThatAlreadyBelongsToAnotherEntityIsRefused)
{
    const CUndoSuspender suspender;
    CEntity owner;
    owner.GetOrCreateAttributeContainer(new CAttribute);
    Bytes bytes;
    PutReference(bytes, 1);
    Load(bytes, [&](CArchive& ar) {
        ar.MapObject(owner.GetAttributeContainer());
        CEntity entity;
        EXPECT_THROW(entity.Serialize(ar), CArchiveException);
        EXPECT_EQ(entity.GetAttributeContainer(), nullptr);
    });
    owner.GetAttributeContainer()->Erase();
}

TEST(EntityUndo, ANewEntityIsRegisteredAsCreatedAndChangesAreRecorded)
{
    const OpenOperation operation;
    auto* entity = new CEntity;
    const auto& created = operation.Get().GetCreatedEntities();
    EXPECT_NE(std::find(created.begin(), created.end(), entity), created.end());
    entity->RecordChange(true);
    EXPECT_NE(operation.Get().FindRecord(entity), nullptr);
    {
        const CUndoSuspender suspender;
        auto* quiet = new CEntity;
        quiet->RecordChange(true);
        EXPECT_EQ(operation.Get().FindRecord(quiet), nullptr);
        delete quiet;
    }
    // Nothing holds the entity: erased in the operation that made it, it is deleted.
    entity->Erase();
}

TEST(EntityErase, WithoutAnOpenOperationTheEntityIsNotLeaked)
{
    bool deleted = false;
    auto* entity = new CProbeEntity(&deleted);
    ASSERT_EQ(entity->GetUndoOperation(), nullptr);
    entity->Erase();
    EXPECT_TRUE(deleted);
}

TEST(EntityErase, AnOpenOperationTakesTheErasedEntityOver)
{
    bool deleted = false;
    CProbeEntity* entity = nullptr;
    {
        const CUndoSuspender suspender;
        entity = new CProbeEntity(&deleted);
    }
    {
        const OpenOperation operation;
        entity->Erase();
        EXPECT_FALSE(deleted);
        EXPECT_EQ(entity->erased, 1);
        EXPECT_LT(entity->GetId(), 0);
        const auto& erased = operation.Get().GetErasedEntities();
        EXPECT_NE(std::find(erased.begin(), erased.end(), entity), erased.end());
    }
    EXPECT_TRUE(deleted);
}

TEST(EntityReferrers, ErasingTellsTheReferrersWithCodeTwo)
{
    const CurrentModel model;
    CProbeEntity referrer;
    auto* entity = new CEntity;
    entity->AddBackReference(&referrer);
    ASSERT_TRUE(model.Get().FindEntitySet()->Contains(entity));
    entity->Erase();
    EXPECT_EQ(referrer.lastCode, kReferenceErased);
    EXPECT_EQ(referrer.lastArgument, nullptr);
}

TEST(EntityAttributes, FindingCopyingAndSharingAttributes)
{
    const CUndoSuspender suspender;
    CEntity source;
    EXPECT_EQ(source.FindAttributeDictionary(kTypeAttribute), nullptr);
    auto* attribute = new CAttribute;
    EXPECT_EQ(source.GetOrCreateAttributeContainer(attribute), 1);
    EXPECT_EQ(source.FindAttributeDictionary(kTypeAttribute), attribute);
    EXPECT_EQ(source.FindAttributeDictionary(kTypeAttributeNamed), nullptr);

    CEntity sharing;
    sharing.CopyAttributesFrom(&source, true);
    EXPECT_EQ(sharing.FindAttributeDictionary(kTypeAttribute), attribute);
    EXPECT_EQ(attribute->GetRefCount(), 2);

    CEntity cloning;
    cloning.CopyAttributesFrom(&source, false);
    CAttribute* clone = cloning.FindAttributeDictionary(kTypeAttribute);
    ASSERT_NE(clone, nullptr);
    EXPECT_NE(clone, attribute);

    CEntity empty;
    empty.CopyAttributesFrom(nullptr, true);
    empty.CopyAttributesFrom(&empty, true);
    EXPECT_EQ(empty.GetAttributeContainer(), nullptr);

    cloning.GetAttributeContainer()->Erase();
    sharing.GetAttributeContainer()->Erase();
    source.GetAttributeContainer()->Erase();
}

TEST(EntityAttributes, ContainersFollowCopiesAndSwapsAndDoNotOutliveTheirEntity)
{
    const CUndoSuspender suspender;
    CEntity source;
    source.GetOrCreateAttributeContainer(new CAttribute);
    CAttributeContainer* container = source.GetAttributeContainer();
    CEntity other;
    {
        const CEntity copy(source);
        EXPECT_EQ(copy.GetAttributeContainer(), container);
        other.SwapData(source);
    }
    EXPECT_EQ(source.GetAttributeContainer(), nullptr);
    EXPECT_EQ(other.GetAttributeContainer(), container);

    // A new entity made where an old one with attributes lay starts without any.
    alignas(CEntity) unsigned char place[sizeof(CEntity)];
    auto* first = new (place) CEntity;
    first->SetAttributeContainer(container);
    first->~CEntity();
    auto* second = new (place) CEntity;
    EXPECT_EQ(second->GetAttributeContainer(), nullptr);
    second->~CEntity();

    container->Erase();
}

TEST(EntityAttributes, CopyingFromAnEntityThatSharesTheContainerEnds)
{
    const CUndoSuspender suspender;
    CEntity source;
    source.GetOrCreateAttributeContainer(new CAttribute);
    CEntity snapshot(source);
    source.CopyAttributesFrom(&snapshot, true);
    EXPECT_EQ(source.GetAttributeContainer()->GetCount(), 2);
    source.GetAttributeContainer()->Erase();
}

TEST(EntityDependents, AnEntityAlreadyInTheSetAddsNothing)
{
    CEntity entity;
    CEntitySet set;
    set.Add(&entity);
    EXPECT_FALSE(entity.CollectDependents(set));
    EXPECT_EQ(set.GetCount(), 1);
}

TEST(EntityDependents, TheSetGathersAttributesReferrersAndRelatedEntities)
{
    const CurrentModel model;
    CComponent& root = *model.Get().GetRootComponent();
    auto* first = root.AddEntity(new CDrawingElement);
    auto* second = root.AddEntity(new CDrawingElement);
    auto* unrelated = root.AddEntity(new CDrawingElement);
    auto* relationship = new CRelationship(first, second);
    root.GetRelationshipMap()->Add(relationship);
    CProbeEntity referrer;
    first->AddBackReference(&referrer);
    first->GetOrCreateAttributeContainer(new CAttribute);

    CEntitySet set;
    EXPECT_TRUE(first->CollectDependents(set));
    EXPECT_TRUE(set.Contains(first));
    EXPECT_TRUE(set.Contains(second));
    EXPECT_TRUE(set.Contains(relationship));
    EXPECT_TRUE(set.Contains(&referrer));
    EXPECT_TRUE(set.Contains(first->GetAttributeContainer()));
    EXPECT_FALSE(set.Contains(unrelated));
    first->RemoveBackReference(&referrer);
}

TEST(EntityDependents, EntitiesRelatedBothWaysEndTheWalk)
{
    const CurrentModel model;
    CComponent& root = *model.Get().GetRootComponent();
    auto* first = root.AddEntity(new CDrawingElement);
    auto* second = root.AddEntity(new CDrawingElement);
    root.GetRelationshipMap()->Add(new CRelationship(first, second));
    root.GetRelationshipMap()->Add(new CRelationship(second, first));

    CEntitySet set;
    EXPECT_TRUE(first->CollectDependents(set));
    EXPECT_EQ(set.GetCount(), 4);
}

TEST(EntityRelationships, TheyAreFoundByEitherEndAndReplacedAndDeleted)
{
    const CurrentModel model;
    CComponent& root = *model.Get().GetRootComponent();
    auto* first = root.AddEntity(new CDrawingElement);
    auto* second = root.AddEntity(new CDrawingElement);
    auto* third = root.AddEntity(new CDrawingElement);
    root.GetRelationshipMap()->Add(new CRelationship(first, second));

    std::vector<CRelationship*> found;
    EXPECT_EQ(first->CountRelationships(found), 1);
    EXPECT_EQ(first->CountRelationshipsAsSecond(found), 0);
    EXPECT_EQ(second->CountRelationshipsAsSecond(found), 1);
    EXPECT_EQ(found.size(), 2u);

    second->ReplaceInRelationships(third);
    found.clear();
    EXPECT_EQ(third->CountRelationshipsAsSecond(found), 1);

    first->DeleteRelationships();
    found.clear();
    EXPECT_EQ(first->CountRelationships(found), 0);
    EXPECT_EQ(root.GetRelationshipMap()->GetCount(), 0);

    CEntity free;
    EXPECT_EQ(free.CountRelationships(found), 0);
    free.DeleteRelationships();
}

TEST(EntityParents, ModelAndComponentAreFoundThroughTheParents)
{
    const CurrentModel model;
    CComponent& root = *model.Get().GetRootComponent();
    auto* element = root.AddEntity(new CDrawingElement);
    CEntity child;
    child.SetParent(element);
    EXPECT_EQ(element->GetParentComponent(), &root);
    EXPECT_EQ(child.GetParentComponent(), &root);
    EXPECT_EQ(child.GetModel(), &model.Get());
    const CEntity free;
    EXPECT_EQ(free.GetModel(), nullptr);
    EXPECT_EQ(free.GetParentComponent(), nullptr);
}

TEST(EntityParents, AnEdgeTakesItsCurveAlongToANewParentButNotToNone)
{
    const CurrentModel model;
    CComponent& root = *model.Get().GetRootComponent();
    CEdge edge;
    auto* curve = new CCurve;
    edge.SetCurve(curve);
    edge.SetParent(&root);
    EXPECT_EQ(curve->GetParent(), &root);
    edge.SetParent(nullptr);
    EXPECT_EQ(edge.GetParent(), nullptr);
    EXPECT_EQ(curve->GetParent(), &root);
    edge.SetCurve(nullptr);
    delete curve;
}

TEST(EntityRandom, TheHelpersStayInTheirRangesWhateverTheGenerator)
{
    std::srand(12345);
    bool sawHigh = false;
    for (int i = 0; i < 20000; ++i) {
        const int raw = RandomRaw();
        ASSERT_GE(raw, 0);
        ASSERT_LE(raw, 32767);
        sawHigh = sawHigh || raw > 16383;
        const double value = RandomDouble(-2.0, 3.0);
        ASSERT_GE(value, -2.0);
        ASSERT_LE(value, 3.0);
        const int whole = RandomInt(5, 9);
        ASSERT_GE(whole, 5);
        ASSERT_LE(whole, 9);
    }
    EXPECT_TRUE(sawHigh);
}

