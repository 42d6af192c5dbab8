#include "model/attribute.h"

#include <gtest/gtest.h>

#include <memory>

#include "foundation/point3d.h"
#include "foundation/transformation.h"
#include "foundation/vector3d.h"
#include "model/attributecontainer.h"
#include "model/attributenamed.h"
#include "model/entityset.h"
#include "model/validitylog.h"
#include "tests/model/attributetestsupport.h"

using attributetest::Bytes;
using attributetest::Load;
using attributetest::OpenOperation;
using attributetest::Store;
using orvell::utils::CTypedValue;

namespace {

// Counts destructions so that a test sees when an attribute erased itself.
class CCountedAttribute : public CAttribute
{
public:
    explicit CCountedAttribute(int* destroyed, int typeId = kTypeAttribute, bool persistent = true)
        : m_destroyed(destroyed), m_typeId(typeId), m_persistent(persistent)
    {
    }
    ~CCountedAttribute() override { ++*m_destroyed; }
    [[nodiscard]] int GetTypeId() const override { return m_typeId; }
    [[nodiscard]] bool IsPersistent() const override { return m_persistent; }

private:
    int* m_destroyed;
    int m_typeId;
    bool m_persistent;
};

// The bytes of an empty CString in the Unicode form.
const Bytes kEmptyString{0xFF, 0xFE, 0xFF, 0x00};

Bytes Tail(const Bytes& bytes, std::size_t count)
{
    return Bytes(bytes.end() - static_cast<std::ptrdiff_t>(count), bytes.end());
}

TEST(AttributeReferences, AnAttributeHeldByTwoContainersLivesUntilBothLetGo)
{
    int destroyed = 0;
    auto* attribute = new CCountedAttribute(&destroyed);
    auto* first = new CAttributeContainer;
    auto* second = new CAttributeContainer;

    EXPECT_EQ(first->Add(attribute), 1);
    EXPECT_EQ(second->Add(attribute), 2);
    EXPECT_EQ(attribute->GetParent(), second);

    first->ReleaseAll();
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(attribute->GetRefCount(), 1);
    EXPECT_EQ(first->GetCount(), 0);
    EXPECT_EQ(first->GetCapacity(), 0);

    second->ReleaseAll();
    EXPECT_EQ(destroyed, 1);
    delete first;
    delete second;
}

TEST(AttributeReferences, ReleaseAtZeroStaysAtZeroAndErasesTheAttribute)
{
    int destroyed = 0;
    auto* attribute = new CCountedAttribute(&destroyed);
    EXPECT_EQ(attribute->Release(), 0);
    EXPECT_EQ(destroyed, 1);
}

TEST(AttributeReferences, TheLastReleaseHandsTheAttributeToTheOpenOperation)
{
    int destroyed = 0;
    auto* attribute = new CCountedAttribute(&destroyed);
    attribute->AddRef();
    {
        const OpenOperation operation;
        EXPECT_EQ(attribute->Release(), 0);
        EXPECT_EQ(destroyed, 0);
        ASSERT_EQ(operation.Get().GetErasedEntities().size(), 1U);
        EXPECT_EQ(operation.Get().GetErasedEntities()[0], attribute);
        EXPECT_LT(attribute->GetId(), 0);
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(AttributeContainer, GrowsByFourWhileSmallThenByAnEighthOfTheCountUpToAThousandTwentyFour)
{
    auto* container = new CAttributeContainer;
    std::vector<int> capacityAfter{0};
    for (int i = 0; i < 8400; ++i) {
        container->Add(new CAttribute);
        capacityAfter.push_back(container->GetCapacity());
    }
    EXPECT_EQ(capacityAfter[1], 4);
    EXPECT_EQ(capacityAfter[4], 4);
    EXPECT_EQ(capacityAfter[5], 8);
    EXPECT_EQ(capacityAfter[9], 12);
    EXPECT_EQ(capacityAfter[29], 32);
    EXPECT_EQ(capacityAfter[33], 36);
    EXPECT_EQ(capacityAfter[41], 45);
    EXPECT_EQ(capacityAfter[46], 50);
    for (std::size_t count = 8200; count < capacityAfter.size(); ++count) {
        if (capacityAfter[count] != capacityAfter[count - 1]) {
            EXPECT_EQ(capacityAfter[count] - capacityAfter[count - 1], 1024) << "at count " << count;
        }
    }
    container->ReleaseAll();
    delete container;
}

TEST(AttributeContainer, AnswersNullOutsideItsSlotsAndFindsTheFirstAttributeOfAType)
{
    int destroyed = 0;
    auto* container = new CAttributeContainer;
    auto* plain = new CCountedAttribute(&destroyed);
    auto* firstTexture = new CCountedAttribute(&destroyed, kTypeFaceTextureCoords);
    auto* secondTexture = new CCountedAttribute(&destroyed, kTypeFaceTextureCoords);
    container->Add(plain);
    container->Add(firstTexture);
    container->Add(secondTexture);

    EXPECT_EQ(container->GetAt(-1), nullptr);
    EXPECT_EQ(container->GetAt(2), secondTexture);
    EXPECT_EQ(container->GetAt(container->GetCount()), nullptr);
    EXPECT_EQ(container->FindByType(kTypeFaceTextureCoords), firstTexture);
    EXPECT_EQ(container->FindByType(kTypeAttributeNamed), nullptr);
    EXPECT_EQ(container->Add(nullptr), 0);
    EXPECT_EQ(container->GetCount(), 3);

    container->ReleaseAll();
    EXPECT_EQ(destroyed, 3);
    delete container;
}

TEST(AttributeContainer, AnEntityWithoutContainerFindsNoAttribute)
{
    auto* entity = new CEntity;
    EXPECT_EQ(entity->FindAttributeDictionary(kTypeFaceTextureCoords), nullptr);
    delete entity;
}

TEST(AttributeContainer, ErasingReleasesEachAttributeOnce)
{
    int destroyed = 0;
    auto* shared = new CCountedAttribute(&destroyed);
    auto* own = new CCountedAttribute(&destroyed);
    auto* keeper = new CAttributeContainer;
    keeper->Add(shared);
    auto* container = new CAttributeContainer;
    container->Add(shared);
    container->Add(own);

    container->Erase();  // no operation is open, so the container goes too

    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(shared->GetRefCount(), 1);
    keeper->ReleaseAll();
    EXPECT_EQ(destroyed, 2);
    delete keeper;
}

TEST(AttributeContainer, ACloneSharesTheSlotsWithoutTakingReferences)
{
    int destroyed = 0;
    auto* attribute = new CCountedAttribute(&destroyed);
    auto* container = new CAttributeContainer;
    container->Add(attribute);

    CEntity* clone = container->Clone();
    auto* copy = dynamic_cast<CAttributeContainer*>(clone);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetAt(0), attribute);
    EXPECT_EQ(attribute->GetRefCount(), 1);
    delete clone;
    EXPECT_EQ(destroyed, 0);

    container->ReleaseAll();
    delete container;
    EXPECT_EQ(destroyed, 1);
}

TEST(AttributeContainer, SwapDataExchangesSlotsAndCapacity)
{
    auto* full = new CAttributeContainer;
    auto* empty = new CAttributeContainer;
    auto* attribute = new CAttribute;
    full->Add(attribute);

    full->SwapData(*empty);
    EXPECT_EQ(full->GetCount(), 0);
    EXPECT_EQ(full->GetCapacity(), 0);
    EXPECT_EQ(empty->GetAt(0), attribute);
    EXPECT_EQ(empty->GetCapacity(), 4);

    empty->ReleaseAll();
    delete full;
    delete empty;
}

TEST(AttributeContainer, CollectsItselfAndItsAttributesOnce)
{
    auto* container = new CAttributeContainer;
    auto* attribute = new CAttribute;
    container->Add(attribute);
    CEntitySet set;

    EXPECT_TRUE(container->CollectDependents(set));
    EXPECT_TRUE(set.Contains(container));
    EXPECT_TRUE(set.Contains(attribute));
    EXPECT_FALSE(container->CollectDependents(set));
    EXPECT_EQ(set.GetCount(), 2);

    container->ReleaseAll();
    delete container;
}

TEST(AttributeContainer, AStaleAttributeMakesTheWholeContainerStale)
{
    const CValidityCheckScope checking;
    auto* container = new CAttributeContainer;
    auto* attribute = new CAttribute;
    container->Add(attribute);
    attribute->NegateId();
    CValidityResultMap results;
    ClearValidityLog();

    EXPECT_EQ(container->CheckValidity(kValidityModeCheck, &results), kValidityStale);
    EXPECT_EQ(results[container], kValidityStale);
    const CString log = GetValidityLog();
    EXPECT_EQ(container->CheckValidity(kValidityModeCheck, &results), kValidityStale);
    EXPECT_EQ(GetValidityLog(), log);
    EXPECT_EQ(container->CheckValidity(kValidityModeIgnoreStaleIds, nullptr), kValiditySound);

    container->ReleaseAll();
    delete container;
    ClearValidityLog();
}

TEST(AttributeContainer, ChecksAnswerSoundWhileTheBypassIsOn)
{
    auto* attribute = new CAttribute;
    attribute->NegateId();
    CValidityResultMap results;
    EXPECT_EQ(attribute->CheckValidity(kValidityModeCheck, &results), kValiditySound);
    EXPECT_TRUE(results.empty());
    delete attribute;
}

TEST(NamedAttribute, AsksForAMissingKeyAndGetsAnEmptyValueStoredUnderIt)
{
    CAttributeNamed dictionary;
    EXPECT_EQ(dictionary.FindValue("width"), nullptr);
    EXPECT_TRUE(dictionary.GetValue("width").IsEmpty());
    ASSERT_NE(dictionary.FindValue("width"), nullptr);
    EXPECT_EQ(dictionary.GetValues().size(), 1U);
}

TEST(NamedAttribute, KeepsKeysInCodeUnitOrderAndMatchesItsNameExactly)
{
    CAttributeNamed dictionary;
    dictionary.SetName("Dynamic");
    for (const char* key : {"b", "B", "a"}) {
        dictionary.GetValue(key).SetInt(1);
    }
    std::vector<std::string> keys;
    for (const auto& [key, value] : dictionary.GetValues()) {
        keys.push_back(key.ToUtf8());
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"B", "a", "b"}));
    EXPECT_TRUE(dictionary.IsNamed("Dynamic"));
    EXPECT_FALSE(dictionary.IsNamed("dynamic"));
    EXPECT_FALSE(CAttribute().IsNamed(""));
}

TEST(NamedAttribute, RoundTripsItsNameWordAndTypedValuesThroughAnArchive)
{
    CAttributeNamed dictionary;
    dictionary.SetName("Report");
    dictionary.SetWord(77);
    dictionary.GetValue("count").SetInt(-12);
    dictionary.GetValue("ratio").SetDouble(0.25);
    dictionary.GetValue("label").SetString("caf\xC3\xA9");
    dictionary.GetValue("flag").SetBool(true);
    dictionary.GetValue("corner").SetPoint(CPoint3d(1, 2, 3));
    std::vector<CTypedValue> pair(2);
    pair[0].SetInt(4);
    pair[1].SetString("x");
    dictionary.GetValue("pair").SetArray(pair);

    const Bytes bytes = Store([&](CArchive& ar) { ar.WriteObject(&dictionary); });
    Load(bytes, [&](CArchive& ar) {
        auto* read = dynamic_cast<CAttributeNamed*>(ReadAttributeObject(ar));
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read->GetName(), CString("Report"));
        EXPECT_EQ(read->GetWord(), 77);
        EXPECT_EQ(read->GetRefCount(), 0);
        EXPECT_EQ(read->GetValues().size(), 6U);
        EXPECT_EQ(read->GetValue("count").AsInt(), -12);
        EXPECT_DOUBLE_EQ(read->GetValue("ratio").AsDouble(), 0.25);
        CString label;
        EXPECT_TRUE(read->GetValue("label").GetString(label));
        EXPECT_EQ(label, CString("caf\xC3\xA9"));
        EXPECT_TRUE(read->GetValue("flag").AsBool());
        CPoint3d corner;
        EXPECT_TRUE(read->GetValue("corner").GetPoint(corner));
        EXPECT_DOUBLE_EQ(corner.z, 3.0);
        const std::vector<CTypedValue>* elements = read->GetValue("pair").GetArray();
        ASSERT_NE(elements, nullptr);
        ASSERT_EQ(elements->size(), 2U);
        EXPECT_EQ((*elements)[0].AsInt(), 4);
        delete read;
    });
}

TEST(NamedAttribute, AnEmptyDictionaryIsWrittenAsItsNameAndAnEmptyKey)
{
    CAttributeNamed dictionary;
    dictionary.SetName("N");
    const Bytes bytes = Store([&](CArchive& ar) { dictionary.Serialize(ar); });
    const Bytes name{0xFF, 0xFE, 0xFF, 0x01, 'N', 0x00};
    const Bytes word{0x00, 0x00, 0x00, 0x00};
    const Bytes noContainer{0x00, 0x00};
    Bytes expected = noContainer;
    for (const Bytes& part : {word, name, kEmptyString}) {
        expected.insert(expected.end(), part.begin(), part.end());
    }
    EXPECT_EQ(bytes, expected);
}

TEST(NamedAttribute, FormatFourThousandWritesTheSameAndThreeThousandWritesNothing)
{
    CAttributeNamed dictionary;
    dictionary.GetValue("k").SetInt(3);
    const auto write = [&](CArchive& ar) { dictionary.Serialize(ar); };
    EXPECT_EQ(Store(write, kSaveFormat4000), Store(write, kSaveFormat5000));
    EXPECT_TRUE(Store(write, kSaveFormat3000).empty());
}

TEST(NamedAttribute, AValueUnderAnEmptyKeyIsNotWrittenSinceItWouldEndTheList)
{
    CAttributeNamed dictionary;
    dictionary.GetValue("").SetInt(1);
    dictionary.GetValue("z").SetInt(2);
    const Bytes bytes = Store([&](CArchive& ar) { ar.WriteObject(&dictionary); });
    Load(bytes, [&](CArchive& ar) {
        auto* read = dynamic_cast<CAttributeNamed*>(ReadAttributeObject(ar));
        ASSERT_NE(read, nullptr);
        ASSERT_EQ(read->GetValues().size(), 1U);
        EXPECT_EQ(read->GetValue("z").AsInt(), 2);
        delete read;
    });
}

TEST(NamedAttribute, TransformMovesGeometricValuesAndRecordsOnceOnlyWhenThereAreAny)
{
    const auto plain = std::make_unique<CAttributeNamed>();
    plain->GetValue("n").SetInt(5);
    const auto geometric = std::make_unique<CAttributeNamed>();
    geometric->GetValue("p").SetPoint(CPoint3d(1, 0, 0));
    geometric->GetValue("q").SetVector(CVector3d(0, 1, 0));
    geometric->GetValue("n").SetInt(5);
    CTransformation move;
    move.SetTranslation(CVector3d(10, 0, 0));
    const OpenOperation operation;

    plain->Transform(move);
    geometric->Transform(move);

    EXPECT_EQ(operation.Get().FindRecord(plain.get()), nullptr);
    EXPECT_NE(operation.Get().FindRecord(geometric.get()), nullptr);
    CPoint3d moved;
    ASSERT_TRUE(geometric->GetValue("p").GetPoint(moved));
    EXPECT_DOUBLE_EQ(moved.x, 11.0);
    EXPECT_EQ(geometric->GetValue("n").AsInt(), 5);
}

TEST(NamedAttribute, CopiesTakeNameAndValuesButSwapsLeaveTheNames)
{
    CAttributeNamed original;
    original.SetName("A");
    original.SetWord(9);
    original.GetValue("k").SetInt(1);
    original.AddRef();

    std::unique_ptr<CAttribute> clone(original.CloneAttribute());
    auto* copy = dynamic_cast<CAttributeNamed*>(clone.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetName(), CString("A"));
    EXPECT_EQ(copy->GetWord(), 9);
    EXPECT_EQ(copy->GetRefCount(), 0);
    EXPECT_EQ(copy->GetValue("k").AsInt(), 1);

    CAttributeNamed other;
    other.SetName("B");
    other.GetValue("j").SetInt(2);
    original.SwapData(other);
    EXPECT_EQ(original.GetName(), CString("A"));
    EXPECT_EQ(original.FindValue("k"), nullptr);
    EXPECT_EQ(original.GetValue("j").AsInt(), 2);
    EXPECT_EQ(original.GetRefCount(), 0);
    EXPECT_EQ(other.GetRefCount(), 1);
    EXPECT_EQ(other.GetWord(), 9);
}

TEST(CloneRegistered, NumbersTheCloneAndEntersItAsCreatedInTheOpenOperation)
{
    const OpenOperation operation;
    CAttribute original;
    original.SetWord(3);
    CAttribute* clone = CloneRegistered(&original);
    ASSERT_NE(clone, nullptr);
    EXPECT_NE(clone->GetId(), 0);
    EXPECT_NE(clone->GetId(), original.GetId());
    EXPECT_EQ(clone->GetWord(), 3);
    const auto& created = operation.Get().GetCreatedEntities();
    EXPECT_NE(std::find(created.begin(), created.end(), clone), created.end());
    EXPECT_EQ(CloneRegistered(nullptr), nullptr);
    delete clone;
}

TEST(AttributeContainerRecord, AnEntityReadsBackItsPersistentAttributesEachWithOneReference)
{
    int destroyed = 0;
    auto* entity = new CEntity;
    auto* dictionary = new CAttributeNamed;
    dictionary->SetName("D");
    entity->GetOrCreateAttributeContainer(dictionary);
    entity->GetOrCreateAttributeContainer(new CCountedAttribute(&destroyed, kTypeAttribute, false));
    auto* plain = new CAttribute;
    plain->SetWord(5);
    entity->GetOrCreateAttributeContainer(plain);

    const Bytes bytes = Store([&](CArchive& ar) { ar.WriteObject(entity); });
    Load(bytes, [&](CArchive& ar) {
        auto* read = static_cast<CEntity*>(ar.ReadObject(RUNTIME_CLASS(CEntity)));
        ASSERT_NE(read, nullptr);
        CAttributeContainer* container = read->GetAttributeContainer();
        ASSERT_NE(container, nullptr);
        EXPECT_EQ(container->GetParent(), read);
        ASSERT_EQ(container->GetCount(), 2);
        auto* named = dynamic_cast<CAttributeNamed*>(container->GetAt(0));
        ASSERT_NE(named, nullptr);
        EXPECT_TRUE(named->IsNamed("D"));
        EXPECT_EQ(container->GetAt(1)->GetWord(), 5);
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(container->GetAt(i)->GetRefCount(), 1);
            EXPECT_EQ(container->GetAt(i)->GetParent(), container);
        }
        read->Erase();
    });
    entity->Erase();
    EXPECT_EQ(destroyed, 1);
}

TEST(AttributeContainerRecord, AnAttributeSharedByTwoEntitiesIsReadOnceWithTwoReferences)
{
    auto* shared = new CAttribute;
    CEntity first;
    CEntity second;
    first.GetOrCreateAttributeContainer(shared);
    second.GetOrCreateAttributeContainer(shared);

    const Bytes bytes = Store([&](CArchive& ar) {
        ar.WriteObject(&first);
        ar.WriteObject(&second);
    });
    Load(bytes, [&](CArchive& ar) {
        auto* a = static_cast<CEntity*>(ar.ReadObject(RUNTIME_CLASS(CEntity)));
        auto* b = static_cast<CEntity*>(ar.ReadObject(RUNTIME_CLASS(CEntity)));
        CAttribute* fromA = a->GetAttributeContainer()->GetAt(0);
        EXPECT_EQ(fromA, b->GetAttributeContainer()->GetAt(0));
        EXPECT_EQ(fromA->GetRefCount(), 2);
        a->Erase();
        EXPECT_EQ(fromA->GetRefCount(), 1);
        b->Erase();
    });
    first.GetAttributeContainer()->ReleaseAll();
    second.GetAttributeContainer()->ReleaseAll();
    delete first.GetAttributeContainer();
    delete second.GetAttributeContainer();
}

TEST(AttributeContainerRecord, ARecordThatStartsWithANullReferenceIsAnEmptyContainer)
{
    const Bytes bytes{0x00, 0x00, 0x00, 0x00};  // no container of its own, then the end
    Load(bytes, [](CArchive& ar) {
        CAttributeContainer container;
        container.Serialize(ar);
        EXPECT_EQ(container.GetCount(), 0);
        EXPECT_TRUE(ar.IsBufferEmpty());
    });
}

TEST(AttributeContainerRecord, FormatThreeThousandWritesNoContainer)
{
    CAttributeContainer container;
    auto* attribute = new CAttribute;
    container.Add(attribute);
    EXPECT_TRUE(Store([&](CArchive& ar) { container.Serialize(ar); }, kSaveFormat3000).empty());
    const Bytes newest = Store([&](CArchive& ar) { container.Serialize(ar); });
    EXPECT_EQ(Tail(newest, 2), (Bytes{0x00, 0x00}));
    container.ReleaseAll();
}

TEST(AttributeContainerRecord, AnAttributeThatHoldsItselfThroughItsOwnContainerIsRefused)
{
    // Only a damaged file can say this: the attribute's container lists the attribute.
    auto* attribute = new CAttribute;
    auto* container = new CAttributeContainer;
    container->Add(attribute);
    attribute->SetAttributeContainer(container);
    const Bytes bytes = Store([&](CArchive& ar) { ar.WriteObject(attribute); });
    attribute->SetAttributeContainer(nullptr);
    container->ReleaseAll();
    delete container;

    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load);
    EXPECT_THROW((void)ReadAttributeObject(ar), CArchiveException);
    // The archive owns nothing it read; the ring's members are freed here.
    for (UINT index = 1; index <= ar.GetMapCount(); ++index) {
        delete ar.GetLoadedObject(index);
    }
}

TEST(AttributeContainerRecord, AReferenceToAnotherClassWhereAnAttributeBelongsIsRefused)
{
    CEntity notAnAttribute;
    const Bytes bytes = Store([&](CArchive& ar) { ar.WriteObject(&notAnAttribute); });
    try {
        Load(bytes, [](CArchive& ar) { (void)ReadAttributeObject(ar); });
        FAIL() << "no exception";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::badClass);
    }
}

}  // namespace
