#include <gtest/gtest.h>

#include "document/component.h"
#include "document/layer.h"
#include "document/layermanager.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "model/attribute.h"
#include "model/attributecontainer.h"
#include "model/drawingelement.h"
#include "model/validitylog.h"
#include "tests/model/entitytestsupport.h"

using namespace entitytest;

namespace {

using Element = CDrawingElement;

constexpr std::uint32_t kRunTimeMark = 0x100;
constexpr std::int32_t kEndMarker = 0x5A5A5A5A;

// Reads a drawing-element record of the given version whose entity part is empty;
// object n of the record's references is objects[n - 1]. The record must be followed
// by the end marker, which proves that it read exactly its own bytes.
void ReadRecord(CDrawingElement& element, int version, Bytes body, std::initializer_list<CObject*> objects = {})
{
    const FileVersions versions{{"CEntity", 0}, {"CDrawingElement", version}};
    PutInt(body, kEndMarker);
    Load(body, [&](CArchive& ar) {
        for (CObject* object : objects) {
            ar.MapObject(object);
        }
        element.Serialize(ar);
        std::int32_t marker = 0;
        ar >> marker;
        EXPECT_EQ(marker, kEndMarker) << "version " << version;
    });
}

void PutBools(Bytes& out, std::initializer_list<bool> values)
{
    for (const bool value : values) {
        out.push_back(value ? 1 : 0);
    }
}

} // namespace

TEST(DrawingElementLayers, ANewElementTakesTheCurrentLayerUnlessItIsTheDefault)
{
    const CurrentModel model;
    CLayerManager& layers = *model.Get().GetLayerManager();
    const Element onDefault;
    EXPECT_EQ(onDefault.GetLayer(), nullptr);
    EXPECT_EQ(onDefault.GetFlags(), Element::kFlagsDefault);

    CLayer* walls = layers.AddLayer("Walls");
    ASSERT_TRUE(layers.SetCurrentLayer(walls));
    const Element onWalls;
    EXPECT_EQ(onWalls.GetLayer(), walls);
}

TEST(DrawingElementLayers, TheDefaultLayerIsStoredAsNullAndStandsInForIt)
{
    const CurrentModel model;
    CLayerManager& layers = *model.Get().GetLayerManager();
    CLayer* walls = layers.AddLayer("Walls");
    Element* element = model.Get().GetRootComponent()->AddEntity(new Element);

    element->SetLayer(walls);
    EXPECT_FALSE(element->UsesDefaultLayer());
    EXPECT_EQ(element->GetEffectiveLayer(), walls);
    element->SetLayer(layers.GetDefaultLayer());
    EXPECT_TRUE(element->UsesDefaultLayer());
    EXPECT_EQ(element->GetEffectiveLayer(), layers.GetDefaultLayer());
}

TEST(DrawingElementCopies, StoredFlagsAreCopiedAndRunTimeMarksAndUsesAreNot)
{
    const CUndoSuspender suspender;
    CMaterial material;
    Element element;
    element.SetMaterial(&material);
    element.SetHidden(true);
    element.SetFlagBits(Element::kFlagSelected | kRunTimeMark, true);
    const Element copy(element);
    EXPECT_TRUE(copy.IsHiddenFlagSet());
    EXPECT_FALSE(copy.IsSelected());
    EXPECT_FALSE(copy.HasFlag(kRunTimeMark));
    EXPECT_EQ(copy.GetMaterial(), &material);
    EXPECT_EQ(material.GetUseCount(), 1);
    EXPECT_EQ(copy.GetId(), 0);
}

TEST(DrawingElementCopies, SwappingExchangesStoredFlagsMaterialAndLayerAndClearsMarks)
{
    const CUndoSuspender suspender;
    CMaterial material;
    Element first;
    Element second;
    first.SetMaterial(&material);
    first.SetSoft(true);
    second.SetHidden(true);
    first.SetFlagBits(kRunTimeMark, true);
    second.SetFlagBits(Element::kFlagSelected, true);
    first.SwapData(second);
    EXPECT_TRUE(first.IsHiddenFlagSet());
    EXPECT_FALSE(first.IsSoft());
    EXPECT_TRUE(second.IsSoft());
    EXPECT_EQ(first.GetMaterial(), nullptr);
    EXPECT_EQ(second.GetMaterial(), &material);
    EXPECT_EQ(first.GetFlags() & Element::kFlagsRunTime, 0u);
    EXPECT_TRUE(second.IsSelected());
    EXPECT_EQ(material.GetUseCount(), 1);
}

TEST(DrawingElementMaterials, SettingTheSameMaterialRecordsNothing)
{
    CMaterial* material = nullptr;
    Element* element = nullptr;
    {
        const CUndoSuspender suspender;
        material = new CMaterial;
        element = new Element;
        element->SetMaterial(material);
    }
    {
        const OpenOperation operation;
        element->SetMaterial(material);
        EXPECT_EQ(operation.Get().FindRecord(element), nullptr);
        EXPECT_EQ(material->GetUseCount(), 1);
    }
    const CUndoSuspender suspender;
    delete element;
    delete material;
}

TEST(DrawingElementMaterials, UsesMoveWithTheMaterialAndEraseDropsOne)
{
    const CUndoSuspender suspender;
    CMaterial first;
    CMaterial second;
    auto* element = new Element;
    element->SetMaterial(&first);
    element->SetMaterial(&second);
    EXPECT_EQ(first.GetUseCount(), 0);
    EXPECT_EQ(second.GetUseCount(), 1);
    element->Erase();
    EXPECT_EQ(second.GetUseCount(), 0);
}

TEST(DrawingElementMaterials, AColourBecomesThePlainColourMaterialOfTheCurrentManager)
{
    const CurrentModel model;
    const CColor red(200, 10, 10);
    Element element;
    element.SetMaterialByColour(CColor(), true);
    EXPECT_EQ(element.GetMaterial(), nullptr);
    EXPECT_EQ(element.GetMaterialColor(), CColor());

    element.SetMaterialByColour(red, true);
    CMaterial* material = element.GetMaterial();
    ASSERT_NE(material, nullptr);
    EXPECT_TRUE(model.Get().GetMaterialManager()->Contains(material));
    EXPECT_EQ(element.GetMaterialColor(), red);
    element.SetMaterialByColour(red, true);
    EXPECT_EQ(element.GetMaterial(), material);
    EXPECT_EQ(material->GetUseCount(), 1);
}

TEST(DrawingElementProperties, CopyingPropertiesTakesFlagsMaterialLayerAndAttributes)
{
    const CurrentModel model;
    CLayer* walls = model.Get().GetLayerManager()->AddLayer("Walls");
    CMaterial material;
    Element source;
    source.SetHidden(true);
    source.SetCastsShadows(false);
    source.SetSoft(true);
    source.SetSmooth(true);
    source.SetMaterial(&material);
    source.SetLayer(walls);
    source.GetOrCreateAttributeContainer(new CAttribute);

    Element target;
    target.CopyPropertiesFrom(&source);
    EXPECT_EQ(target.GetFlags(), source.GetFlags());
    EXPECT_EQ(target.GetMaterial(), &material);
    EXPECT_EQ(material.GetUseCount(), 2);
    EXPECT_EQ(target.GetLayer(), walls);
    ASSERT_NE(target.FindAttributeDictionary(kTypeAttribute), nullptr);
    EXPECT_NE(target.FindAttributeDictionary(kTypeAttribute), source.FindAttributeDictionary(kTypeAttribute));
    target.CopyPropertiesFrom(nullptr);
    target.GetAttributeContainer()->Erase();
    source.GetAttributeContainer()->Erase();
}

TEST(DrawingElementDisplay, HiddenElementsShowOnlyWhenSelectedAndHiddenLayersHideTheRest)
{
    const CurrentModel model;
    CLayer* walls = model.Get().GetLayerManager()->AddLayer("Walls");
    Element element;
    EXPECT_TRUE(element.IsShown(nullptr));
    element.SetHidden(true);
    EXPECT_FALSE(element.IsShown(nullptr));
    element.SetFlagBits(Element::kFlagSelected, true);
    EXPECT_TRUE(element.IsShown(nullptr));

    Element onWalls;
    onWalls.SetLayer(walls);
    walls->SetHidden(true);
    EXPECT_TRUE(onWalls.IsLayerHidden(nullptr));
    EXPECT_FALSE(onWalls.IsShown(nullptr));
    model.Get().GetLayerManager()->GetDefaultLayer()->SetHidden(true);
    EXPECT_TRUE(Element().IsLayerHidden(nullptr));
}

TEST(DrawingElementDisplay, DrawColoursFollowSelectionMaterialAndForeground)
{
    const CUndoSuspender suspender;
    CMaterial material;
    material.SetColor(CColor(10, 20, 30));
    Element element;
    EXPECT_EQ(element.GetDrawColor(nullptr), CColor(0, 0, 0, 255));
    element.SetMaterial(&material);
    EXPECT_EQ(element.GetDrawColor(nullptr), CColor(10, 20, 30));
    EXPECT_EQ(element.GetOwnColor(nullptr), CColor(10, 20, 30));
    element.SetFlagBits(Element::kFlagSelected, true);
    EXPECT_EQ(element.GetDrawColor(nullptr), CColor(255, 255, 0, 255));
    element.SetFlagBits(Element::kFlagSecondHighlight, true);
    EXPECT_EQ(element.GetDrawColor(nullptr), CColor(255, 0, 0, 255));
    EXPECT_TRUE(element.GetBoundingBox().IsEmpty());
}

TEST(DrawingElementRecord, VersionTwoReadsNoColourDropsTheOldMaterialAndReadsNoLayer)
{
    CMaterial material;
    Element element;
    Bytes body;
    PutBools(body, {true, true});
    PutReference(body, 1);
    ReadRecord(element, 2, body, {&material});
    EXPECT_EQ(element.GetMaterial(), nullptr);
    EXPECT_EQ(element.GetFlags(), Element::kFlagHidden | Element::kFlagsDefault);
    EXPECT_EQ(material.GetUseCount(), 0);

    Element withoutMaterial;
    ReadRecord(withoutMaterial, 2, Bytes{0, 0});
    EXPECT_EQ(withoutMaterial.GetFlags(), Element::kFlagsDefault);
}

TEST(DrawingElementRecord, VersionsThreeAndFourStoreAColourInsteadOfAMaterial)
{
    const CurrentModel model;
    CLayer* walls = model.Get().GetLayerManager()->AddLayer("Walls");
    Element coloured;
    Bytes three;
    PutInt(three, static_cast<std::int32_t>(CColor(1, 2, 3).GetValue()));
    PutBools(three, {false});
    ReadRecord(coloured, 3, three);
    ASSERT_NE(coloured.GetMaterial(), nullptr);
    EXPECT_EQ(coloured.GetMaterialColor(), CColor(1, 2, 3));
    EXPECT_EQ(coloured.GetLayer(), nullptr);

    Element layered;
    Bytes four;
    PutInt(four, 0);
    PutBools(four, {true});
    PutReference(four, 1);
    ReadRecord(layered, 4, four, {walls});
    EXPECT_EQ(layered.GetMaterial(), nullptr);
    EXPECT_TRUE(layered.IsHiddenFlagSet());
    EXPECT_EQ(layered.GetLayer(), walls);
}

TEST(DrawingElementRecord, VersionFiveReadsAMaterialThatGainsAUse)
{
    CMaterial material;
    Element element;
    Bytes body;
    PutReference(body, 1);
    PutBools(body, {false});
    PutReference(body, 0);
    ReadRecord(element, 5, body, {&material});
    EXPECT_EQ(element.GetMaterial(), &material);
    EXPECT_EQ(material.GetUseCount(), 1);
    EXPECT_EQ(element.GetFlags(), Element::kFlagsDefault);
}

TEST(DrawingElementRecord, VersionsSixToNineAddTheirFlagsAndOlderOnesCopySoftIntoSmooth)
{
    struct Case
    {
        int version;
        Bytes flags;
        std::uint32_t expected;
    };
    const std::uint32_t soft = Element::kFlagSoft;
    const std::uint32_t smooth = Element::kFlagSmooth;
    const Case cases[] = {
        {6, {0, 0, 0}, 0},
        {6, {0, 0, 1}, Element::kFlagReceivesShadows},
        {6, {1, 1, 0}, Element::kFlagHidden | Element::kFlagCastsShadows},
        {7, {0, 1, 0, 1}, Element::kFlagCastsShadows | soft | smooth},
        {7, {0, 1, 1, 0}, Element::kFlagsDefault},
        {8, {0, 1, 1, 1, 0}, Element::kFlagsDefault | soft},
        {8, {0, 1, 1, 0, 1}, Element::kFlagsDefault | smooth},
        {9, {0, 1, 1, 0, 0, 1}, Element::kFlagsDefault | Element::kFlagSecondHighlight},
    };
    for (const Case& c : cases) {
        Element element;
        element.SetFlagBits(Element::kFlagSelected | kRunTimeMark, true);
        Bytes body;
        PutReference(body, 0);
        body.insert(body.end(), c.flags.begin(), c.flags.end());
        PutReference(body, 0);
        ReadRecord(element, c.version, body);
        EXPECT_EQ(element.GetFlags(), c.expected) << "version " << c.version;
    }
}

TEST(DrawingElementRecord, FormatFourThousandWritesFiveFlagsAndFiveThousandSix)
{
    Element element;
    element.SetFlagBits(Element::kFlagSoft | Element::kFlagSecondHighlight, true);
    const Bytes older = Store([&](CArchive& ar) { element.Serialize(ar); }, kSaveFormat4000);
    const Bytes newest = Store([&](CArchive& ar) { element.Serialize(ar); });
    // container, material, flags, layer
    EXPECT_EQ(older, (Bytes{0, 0, 0, 0, 0, 1, 1, 1, 0, 0, 0}));
    EXPECT_EQ(newest, (Bytes{0, 0, 0, 0, 0, 1, 1, 1, 0, 1, 0, 0}));

    Element read;
    Load(newest, [&](CArchive& ar) { read.Serialize(ar); });
    EXPECT_EQ(read.GetFlags(), element.GetFlags());
}
