#include "model/attribute.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/point3d.h"
#include "model/attributecontainer.h"
#include "model/attributenamed.h"
#include "tests/model/attributetestsupport.h"

using attributetest::Bytes;
using attributetest::Load;
using attributetest::OpenOperation;
using attributetest::Store;

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

TEST(AttributeReferences, AnAttributeHeldByTwoContainersLivesUntilBothLetGo)
{
    int destroyed = 0;
    auto* attribute = new CCountedAttribute(&destroyed);
    CAttributeContainer first;
    CAttributeContainer second;
    EXPECT_EQ(first.Add(attribute), 1);
    EXPECT_EQ(second.Add(attribute), 2);
    EXPECT_EQ(attribute->GetParent(), &second);

    first.ReleaseAll();
    EXPECT_EQ(destroyed, 0);
    second.ReleaseAll();
    EXPECT_EQ(destroyed, 1);

    auto* unheld = new CCountedAttribute(&destroyed);
    EXPECT_EQ(unheld->Release(), 0);  // stays at 0 and erases itself
    EXPECT_EQ(destroyed, 2);
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
        EXPECT_EQ(operation.Get().GetErasedEntities(), std::vector<CEntity*>{attribute});
        EXPECT_LT(attribute->GetId(), 0);
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(AttributeContainer, GrowsByFourWhileSmallThenByAnEighthOfTheCountUpToAThousandTwentyFour)
{
    CAttributeContainer container;
    std::vector<int> capacityAfter{0};
    for (int i = 0; i < 8400; ++i) {
        container.Add(new CAttribute);
        capacityAfter.push_back(container.GetCapacity());
    }
    const std::vector<std::pair<int, int>> expected{{1, 4}, {4, 4}, {5, 8}, {29, 32}, {33, 36}, {41, 45}, {46, 50}};
    for (const auto& [count, capacity] : expected) {
        EXPECT_EQ(capacityAfter[static_cast<std::size_t>(count)], capacity) << "after " << count;
    }
    for (std::size_t count = 8200; count < capacityAfter.size(); ++count) {
        if (capacityAfter[count] != capacityAfter[count - 1]) {
            EXPECT_EQ(capacityAfter[count] - capacityAfter[count - 1], 1024) << "at count " << count;
        }
    }
    container.ReleaseAll();
}

TEST(AttributeContainer, AnswersNullOutsideItsSlotsAndFindsTheFirstAttributeOfAType)
{
    int destroyed = 0;
    CAttributeContainer container;
    auto* firstTexture = new CCountedAttribute(&destroyed, kTypeFaceTextureCoords);
    container.Add(new CCountedAttribute(&destroyed));
    container.Add(firstTexture);
    container.Add(new CCountedAttribute(&destroyed, kTypeFaceTextureCoords));

    EXPECT_EQ(container.GetAt(-1), nullptr);
    EXPECT_EQ(container.GetAt(container.GetCount()), nullptr);
    EXPECT_EQ(container.FindByType(kTypeFaceTextureCoords), firstTexture);
    EXPECT_EQ(container.FindByType(kTypeAttributeNamed), nullptr);
    EXPECT_EQ(CEntity().FindAttributeDictionary(kTypeFaceTextureCoords), nullptr);
    container.ReleaseAll();
    EXPECT_EQ(destroyed, 3);
}

TEST(AttributeContainer, ErasingReleasesEachAttributeOnceAndACloneTakesNoReferences)
{
    int destroyed = 0;
    auto* shared = new CCountedAttribute(&destroyed);
    CAttributeContainer keeper;
    keeper.Add(shared);
    auto* container = new CAttributeContainer;
    container->Add(shared);
    container->Add(new CCountedAttribute(&destroyed));
    delete container->Clone();
    EXPECT_EQ(shared->GetRefCount(), 2);

    container->Erase();  // no operation is open, so the container goes too
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(shared->GetRefCount(), 1);
    keeper.ReleaseAll();
}

TEST(NamedAttribute, KeepsKeysInCodeUnitOrderAndInsertsAnEmptyValueForAMissingKey)
{
    CAttributeNamed dictionary;
    dictionary.SetName("Dynamic");
    for (const char* key : {"b", "B", "a"}) {
        dictionary.GetValue(key).SetInt(1);
    }
    EXPECT_TRUE(dictionary.GetValue("new").IsEmpty());
    std::vector<std::string> keys;
    for (const auto& entry : dictionary.GetValues()) {
        keys.push_back(entry.first.ToUtf8());
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"B", "a", "b", "new"}));
    EXPECT_TRUE(dictionary.IsNamed("Dynamic"));
    EXPECT_FALSE(dictionary.IsNamed("dynamic"));
}

TEST(NamedAttribute, RoundTripsItsNameWordAndTypedValuesThroughAnArchive)
{
    CAttributeNamed dictionary;
    dictionary.SetName("Report");
    dictionary.SetWord(77);
    dictionary.GetValue("count").SetInt(-12);
    dictionary.GetValue("label").SetString("caf\xC3\xA9");
    dictionary.GetValue("corner").SetPoint(CPoint3d(1, 2, 3));
    std::vector<orvell::utils::CTypedValue> pair(2);
    pair[0].SetDouble(0.25);
    dictionary.GetValue("pair").SetArray(pair);
    dictionary.GetValue("").SetInt(1);  // an empty key would end the list: not written

    const Bytes bytes = Store([&](CArchive& ar) { ar.WriteObject(&dictionary); });
    Load(bytes, [&](CArchive& ar) {
        std::unique_ptr<CAttribute> read(ReadAttributeObject(ar));
        auto* named = dynamic_cast<CAttributeNamed*>(read.get());
        ASSERT_NE(named, nullptr);
        EXPECT_EQ(named->GetName(), CString("Report"));
        EXPECT_EQ(named->GetWord(), 77);
        EXPECT_EQ(named->GetValues().size(), 4U);
        EXPECT_EQ(named->GetValue("count").AsInt(), -12);
        CString label;
        EXPECT_TRUE(named->GetValue("label").GetString(label));
        EXPECT_EQ(label, CString("caf\xC3\xA9"));
        CPoint3d corner;
        EXPECT_TRUE(named->GetValue("corner").GetPoint(corner));
        EXPECT_DOUBLE_EQ(corner.z, 3.0);
        ASSERT_NE(named->GetValue("pair").GetArray(), nullptr);
        EXPECT_DOUBLE_EQ(named->GetValue("pair").GetArray()->at(0).AsDouble(), 0.25);
    });
}

TEST(NamedAttribute, AnEmptyDictionaryIsItsNameAndAnEmptyKeyAndFormatThreeThousandWritesNothing)
{
    CAttributeNamed dictionary;
    dictionary.SetName("N");
    const auto write = [&](CArchive& ar) { dictionary.Serialize(ar); };
    const Bytes expected{0x00, 0x00,                          // no attribute container
                         0x00, 0x00, 0x00, 0x00,              // the word
                         0xFF, 0xFE, 0xFF, 0x01, 'N', 0x00,   // the name
                         0xFF, 0xFE, 0xFF, 0x00};             // the empty key
    EXPECT_EQ(Store(write), expected);
    EXPECT_EQ(Store(write, kSaveFormat4000), expected);
    EXPECT_TRUE(Store(write, kSaveFormat3000).empty());
}

TEST(AttributeContainerRecord, AnEntityReadsBackItsPersistentAttributesAndSharedOnesOnce)
{
    int destroyed = 0;
    auto* shared = new CAttribute;
    shared->SetWord(5);
    CEntity first;
    CEntity second;
    first.GetOrCreateAttributeContainer(new CCountedAttribute(&destroyed, kTypeAttribute, false));
    first.GetOrCreateAttributeContainer(shared);
    second.GetOrCreateAttributeContainer(shared);

    const Bytes bytes = Store([&](CArchive& ar) {
        ar.WriteObject(&first);
        ar.WriteObject(&second);
    });
    Load(bytes, [](CArchive& ar) {
        auto* a = static_cast<CEntity*>(ar.ReadObject(RUNTIME_CLASS(CEntity)));
        auto* b = static_cast<CEntity*>(ar.ReadObject(RUNTIME_CLASS(CEntity)));
        CAttributeContainer* container = a->GetAttributeContainer();
        ASSERT_EQ(container->GetCount(), 1);
        EXPECT_EQ(container->GetParent(), a);
        CAttribute* read = container->GetAt(0);
        EXPECT_EQ(read->GetWord(), 5);
        EXPECT_EQ(read, b->GetAttributeContainer()->GetAt(0));
        EXPECT_EQ(read->GetRefCount(), 2);
        a->Erase();
        b->Erase();
    });
    first.GetAttributeContainer()->Erase();
    second.GetAttributeContainer()->Erase();
    EXPECT_EQ(destroyed, 1);
}

TEST(AttributeContainerRecord, ARecordThatStartsWithANullReferenceIsAnEmptyContainer)
{
    Load(Bytes{0x00, 0x00, 0x00, 0x00}, [](CArchive& ar) {
        CAttributeContainer container;
        container.Serialize(ar);
        EXPECT_EQ(container.GetCount(), 0);
        EXPECT_TRUE(ar.IsBufferEmpty());
    });
}

TEST(AttributeContainerRecord, AnAttributeThatHoldsItselfThroughItsOwnContainerIsRefused)
{
    // Only a damaged file can say this; every walk up its parents would be endless.
    CAttribute attribute;
    CAttributeContainer container;
    container.Add(&attribute);
    attribute.SetAttributeContainer(&container);
    const Bytes bytes = Store([&](CArchive& ar) { ar.WriteObject(&attribute); });
    attribute.SetAttributeContainer(nullptr);

    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load);
    EXPECT_THROW((void)ReadAttributeObject(ar), CArchiveException);
    for (UINT index = 1; index <= ar.GetMapCount(); ++index) {
        delete ar.GetLoadedObject(index);  // the archive owns nothing it read
    }
}

}  // namespace
