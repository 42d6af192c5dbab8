#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/definitionlist.h"
#include "document/drawingwork.h"
#include "document/group.h"
#include "document/image.h"
#include "document/layer.h"
#include "document/layermanager.h"
#include "document/fontmanager.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "document/tarnwickmodel.h"
#include "model/entityset.h"
#include "model/vertex.h"
#include "samplegen/geometrybuilder.h"
#include "model/relationshipmap.h"
#include "model/undomanager.h"
#include "model/undooperation.h"
#include "tests/document/componenttestsupport.h"
#include "tests/document/documenttestsupport.h"

using documenttest::Bytes;
using documenttest::CProbeElement;
using documenttest::Load;
using documenttest::Store;
using documenttest::Dispose;
using undotest::TestEnvironment;

namespace {

class ComponentTest : public ::testing::Test
{
protected:
    ComponentTest()
    {
        WriteProfileBool("Undo", "Logging", false);
        m_manager = std::make_unique<CUndoManager>(nullptr);
        SetCurrentUndoManager(m_manager.get());
        m_component = new CComponent;
    }
    ~ComponentTest() override
    {
        Dispose(m_component);
        m_manager.reset();
    }

    TestEnvironment m_environment;
    std::unique_ptr<CUndoManager> m_manager;
    CComponent* m_component = nullptr;
};

}  // namespace


TEST_F(ComponentTest, TheContainerHoldsDrawingElementsOnlyAndInOrder)
{
    auto* first = new CProbeElement;
    auto* second = new CProbeElement;
    CEntity stranger;
    m_component->Add(first);
    m_component->Add(&stranger);
    m_component->Add(second);

    EXPECT_EQ(m_component->GetCount(), 2);
    EXPECT_FALSE(m_component->Contains(&stranger));
    EXPECT_FALSE(m_component->Remove(&stranger));
    EXPECT_EQ(first->GetParent(), m_component);
    EXPECT_EQ(m_component->GetAt(1), second);
    EXPECT_EQ(m_component->GetAt(2), nullptr);
    EXPECT_EQ(m_component->GetAt(-1), nullptr);

    std::unique_ptr<IEntityIterator> walk(m_component->NewIterator());
    CEntity* entity = nullptr;
    ASSERT_TRUE(walk->Next(entity));
    EXPECT_EQ(entity, first);
    ASSERT_TRUE(walk->Next(entity));
    EXPECT_EQ(entity, second);
    EXPECT_FALSE(walk->Next(entity));
    EXPECT_EQ(entity, nullptr);
    walk->Reset();
    ASSERT_TRUE(walk->Next(entity));
    EXPECT_EQ(entity, first);

    EXPECT_TRUE(m_component->Remove(first));
    EXPECT_EQ(first->GetParent(), nullptr);
    EXPECT_EQ(m_component->GetAt(0), second);
    Dispose(first);
}

TEST_F(ComponentTest, RemovalsInABatchKeepTheOrderOfWhatStays)
{
    CProbeElement* elements[5];
    for (auto*& element : elements) {
        element = new CProbeElement;
        m_component->Add(element);
    }
    m_component->BeginRemovalBatch();
    m_component->BeginRemovalBatch();
    EXPECT_TRUE(m_component->Remove(elements[1]));
    EXPECT_FALSE(m_component->Remove(elements[1]));
    auto* late = new CProbeElement;
    m_component->Add(late);
    EXPECT_TRUE(m_component->Remove(elements[3]));
    EXPECT_FALSE(m_component->Contains(elements[3]));
    EXPECT_TRUE(m_component->Contains(late));
    EXPECT_EQ(elements[3]->GetParent(), nullptr);
    m_component->EndRemovalBatch();
    // Still inside the outer batch: the places of the removed are only emptied.
    EXPECT_EQ(m_component->GetCount(), 6);
    m_component->EndRemovalBatch();

    const std::vector<CDrawingElement*> expected{elements[0], elements[2], elements[4], late};
    EXPECT_EQ(m_component->GetEntityList(), expected);
    EXPECT_TRUE(m_component->Remove(elements[2]));
    EXPECT_EQ(m_component->GetAt(1), elements[4]);
    Dispose(elements[1]);
    Dispose(elements[2]);
    Dispose(elements[3]);
}

TEST_F(ComponentTest, AddingAndRemovingThroughTheComponentIsRecordedAndCancels)
{
    CUndoOperation* operation = m_manager->Start(1);
    auto* element = new CProbeElement;
    m_component->AddEntity(element);
    ASSERT_EQ(operation->GetAddedPairs().size(), 1u);
    EXPECT_EQ(operation->GetAddedPairs()[0].second, static_cast<IEntityContainer*>(m_component));

    EXPECT_TRUE(m_component->RemoveEntity(element));
    EXPECT_FALSE(m_component->RemoveEntity(element));
    EXPECT_TRUE(operation->GetAddedPairs().empty());
    EXPECT_TRUE(operation->GetRemovedPairs().empty());
    CEntitySet touched;
    operation->CollectTouchedComponents(touched);
    EXPECT_TRUE(touched.Contains(m_component));

    element->Erase();  // created in this operation: gone at once
    m_manager->Commit();
}

TEST_F(ComponentTest, EraseAllGoesFromTheLastEntityToTheFirstAndClearTheOtherWay)
{
    std::vector<CEntity*> erased;
    CProbeElement* elements[3];
    for (auto*& element : elements) {
        element = new CProbeElement(CPoint3d(), &erased);
        m_component->Add(element);
    }
    m_component->EraseAll();
    EXPECT_TRUE(m_component->IsEmpty());
    EXPECT_EQ(erased, (std::vector<CEntity*>{elements[2], elements[1], elements[0]}));

    erased.clear();
    for (auto*& element : elements) {
        element = new CProbeElement(CPoint3d(), &erased);
        m_component->Add(element);
    }
    m_component->Clear();
    EXPECT_TRUE(m_component->IsEmpty());
    EXPECT_EQ(erased, (std::vector<CEntity*>{elements[0], elements[1], elements[2]}));
}


TEST_F(ComponentTest, ClearLeavesTheDefaultLayerAndNoMaterials)
{
    CLayer* walls = m_component->GetLayerManager()->AddLayer("Walls");
    ASSERT_NE(walls, nullptr);
    m_component->GetMaterialManager()->FindOrCreateColorMaterial(CColor(1, 2, 3));
    auto* element = new CProbeElement;
    m_component->Add(element);
    element->SetMaterial(m_component->GetMaterialManager()->GetMaterials()[0]);
    m_component->SetMaterial(m_component->GetMaterialManager()->GetMaterials()[0]);

    m_component->Clear();
    EXPECT_EQ(m_component->GetLayerManager()->GetCount(), 1);
    EXPECT_TRUE(CLayer::IsDefaultLayer(m_component->GetLayerManager()->GetCurrentLayer()));
    EXPECT_TRUE(m_component->GetMaterialManager()->IsEmpty());
    EXPECT_EQ(m_component->GetMaterial(), nullptr);
}

TEST_F(ComponentTest, EraseEntityErasesEvenAnEntityItDoesNotHold)
{
    std::vector<CEntity*> erased;
    auto* held = new CProbeElement(CPoint3d(), &erased);
    auto* loose = new CProbeElement(CPoint3d(), &erased);
    m_component->Add(held);
    EXPECT_TRUE(m_component->EraseEntity(held));
    EXPECT_FALSE(m_component->EraseEntity(loose));
    EXPECT_EQ(erased.size(), 2u);
    EXPECT_TRUE(m_component->IsEmpty());
}

TEST_F(ComponentTest, TheBoundsFollowTheEntitiesAndGrowOnlyNonEmptyAxes)
{
    CBoundingBox3d box;
    m_component->GetBounds(box, true);
    EXPECT_TRUE(box.IsEmpty());

    m_component->Add(new CProbeElement(CPoint3d(0, 0, 0)));
    m_component->GetBounds(box, false);  // valid from here on: the next add grows it
    auto* far = new CProbeElement(CPoint3d(10, 20, 0));
    m_component->Add(far);
    m_component->GetBounds(box, true);
    EXPECT_DOUBLE_EQ(box.xmin, -0.01);
    EXPECT_DOUBLE_EQ(box.xmax, 10.01);
    EXPECT_DOUBLE_EQ(box.ymax, 20.01);
    EXPECT_DOUBLE_EQ(box.zmin, -0.01);
    EXPECT_DOUBLE_EQ(box.zmax, 0.01);
    EXPECT_TRUE(m_component->GetBoundsCenter() == CPoint3d(5, 10, 0));

    m_component->Remove(far);
    m_component->GetBounds(box, false);
    EXPECT_DOUBLE_EQ(box.xmax, 0.0);
    CBoundingBox3d second;
    second.Add(CPoint3d(1, 1, 1));
    m_component->GetSecondBounds(second);
    EXPECT_TRUE(second.IsEmpty());
    EXPECT_EQ(&m_component->GetInstanceData(), &m_component->GetSmoothNormals());
    Dispose(far);
}

// A list long enough to have its edges' bounds taken in chunks, with other elements among
// them: the box holds them all, whether a recompute walks the list or the count at opening
// (which hands the bounds over from its own walk, faces' corners included).
TEST_F(ComponentTest, TheBoundsOfALongListHoldItsEdgesAndWhatLiesAmongThem)
{
    const CGeometryBuilder builder(*m_component);
    CVertex* previous = builder.Vertex(CPoint3d(0, 0, 0));
    for (int i = 1; i <= 70000; ++i) {
        CVertex* next = builder.Vertex(CPoint3d(i, 0, 0));
        builder.Edge(previous, next);
        previous = next;
        if (i % 9000 == 0) {
            m_component->Add(new CProbeElement(CPoint3d(5, -i, i)));
        }
    }
    builder.Face({builder.Vertex(CPoint3d(0, 0, 0)), builder.Vertex(CPoint3d(1, 0, -7)), builder.Vertex(CPoint3d(0, 1, 0))});
    const auto expect = [](const CBoundingBox3d& box) {
        EXPECT_EQ(box.xmin, 0.0);
        EXPECT_EQ(box.xmax, 70000.0);
        EXPECT_EQ(box.ymin, -63000.0);
        EXPECT_EQ(box.ymax, 1.0);
        EXPECT_EQ(box.zmin, -7.0);
        EXPECT_EQ(box.zmax, 63000.0);
    };
    // Lines left out: the count's own box then holds no edge, the bounds every one.
    const CEdgeLineLook none{0, 0.0, 0.0};
    CDrawingWork::Shown shown;
    shown.profile = none;
    shown.other = none;
    (void)CDrawingWork::Count(*m_component, false, shown);
    CBoundingBox3d counted;
    m_component->GetBounds(counted, false);
    expect(counted);
    m_component->InvalidateBounds();
    CBoundingBox3d recomputed;
    m_component->GetBounds(recomputed, false);
    expect(recomputed);
}

TEST_F(ComponentTest, APointCountsAsInsideTheBoundsOnlyWithAMarginToEveryFace)
{
    m_component->Add(new CProbeElement(CPoint3d(0, 0, 0)));
    m_component->Add(new CProbeElement(CPoint3d(1, 1, 1)));
    CBoundingBox3d box;
    m_component->GetBounds(box, false);
    EXPECT_TRUE(m_component->CheckPointInBounds(CPoint3d(0.5, 0.5, 0.5)));
    EXPECT_FALSE(m_component->CheckPointInBounds(CPoint3d(0.5, 0.5, 0.9995)));
    // The miss made the bounds stale; they answer no until they are computed again.
    EXPECT_FALSE(m_component->CheckPointInBounds(CPoint3d(0.5, 0.5, 0.5)));
    m_component->GetBounds(box, false);
    EXPECT_TRUE(m_component->CheckPointInBounds(CPoint3d(0.5, 0.5, 0.5)));
}

TEST_F(ComponentTest, ABatchAddTakesEachDrawingElementOnceAndSkipsTheRest)
{
    auto* element = new CProbeElement;
    CEntity stranger;
    CUndoOperation* operation = m_manager->Start(3);
    m_component->AddEntities({element, &stranger, element, nullptr});
    EXPECT_EQ(m_component->GetCount(), 1);
    EXPECT_EQ(operation->GetAddedPairs().size(), 1u);
    m_manager->Commit();
}


TEST_F(ComponentTest, ACreatedComponentIsCollectedUntilItIsErasedAgain)
{
    CUndoOperation* operation = m_manager->Start(5);
    auto* inner = new CComponent;
    auto* element = new CProbeElement;
    inner->AddEntity(element);
    CEntitySet touched;
    operation->CollectTouchedComponents(touched);
    EXPECT_TRUE(touched.Contains(inner));

    inner->Erase();
    touched.RemoveAll();
    operation->CollectTouchedComponents(touched);
    EXPECT_FALSE(touched.Contains(inner));
    EXPECT_EQ(m_manager->Commit(), 0);  // everything was born and gone inside it
}


namespace {

using componenttest::OldFileVersions;
using componenttest::RecordBuilder;

constexpr std::int32_t kSentinel = 0x5EED;

// One instance of no definition at instance version 3, placed at the given offset.
void PutInstanceList(RecordBuilder& b, const CVector3d& offset)
{
    b.Int(1);
    b.NewObject("CComponentInstance");
    CTransformation placement;
    placement.SetTranslation(offset);
    b.ElementPart().Null().Transform(placement);
}

Bytes ComponentRecordOfVersion(int version, const CVector3d& componentOffset)
{
    RecordBuilder b;
    b.ElementPart();
    if (version >= 9) {
        b.EmptyManagers();
        PutInstanceList(b, CVector3d(0, 0, 0));
        b.Int(0).Null();
        if (version == 10) {
            b.Int(0);  // the model's fonts
        }
    } else {
        PutInstanceList(b, CVector3d(0, 0, 0));
        if (version < 7) {
            CTransformation transform;
            transform.SetTranslation(componentOffset);
            b.Transform(transform);
        }
        if (version >= 1) {
            b.Int(0);  // relationships
        }
        if (version >= 2) {
            b.Int(0);  // definitions
        }
        if (version >= 3 && version <= 5) {
            b.Int(0);  // no component material
        }
        if (version >= 4) {
            b.Int(0);  // materials
        }
        if (version >= 5) {
            b.Int(0);  // layers
        }
        if (version >= 8) {
            b.Null();  // no active section plane
        }
    }
    b.Int(kSentinel);
    return b.Get();
}

class ComponentRecordTest : public ::testing::Test
{
protected:
    ComponentRecordTest() { componenttest::EnsureBehaviorAndThumbnailClasses(); }

    TestEnvironment m_environment;
};

}  // namespace

TEST_F(ComponentRecordTest, EveryRecordVersionReadsItsEntitiesAndAnOldTransformMovesThemAfterLoading)
{
    const CVector3d offset(1, 2, 3);
    for (int version = 0; version <= 11; ++version) {
        SCOPED_TRACE(version);
        const OldFileVersions versions({{"CComponent", version}, {"CComponentInstance", 3}});
        auto* component = new CComponent;
        Load(ComponentRecordOfVersion(version, offset), [&](CArchive& ar) {
            component->Serialize(ar);
            std::int32_t sentinel = 0;
            ar >> sentinel;
            EXPECT_EQ(sentinel, kSentinel);
        });
        ASSERT_EQ(component->GetCount(), 1);
        auto* instance = dynamic_cast<CComponentInstance*>(component->GetAt(0));
        ASSERT_NE(instance, nullptr);
        EXPECT_EQ(instance->GetParent(), component);
        EXPECT_EQ(component->GetComponentTransform().IsIdentity(), version >= 7);

        component->PostLoad();
        EXPECT_TRUE(component->GetComponentTransform().IsIdentity());
        const CPoint3d expected = version < 7 ? CPoint3d(1, 2, 3) : CPoint3d(0, 0, 0);
        EXPECT_TRUE(instance->GetTransform().GetOrigin() == expected);
        Dispose(component);
    }
}

TEST_F(ComponentRecordTest, AnElementThatAnotherComponentHoldsStaysWithItsFirstComponent)
{
    RecordBuilder b;
    b.ComponentPart([](RecordBuilder& r) { PutInstanceList(r, CVector3d(0, 0, 0)); });
    b.ComponentPart([](RecordBuilder& r) { r.Int(2).Ref(2).Null(); });  // the same instance, and a null
    const OldFileVersions versions({{"CComponentInstance", 3}});
    auto* first = new CComponent;
    auto* second = new CComponent;
    Load(b.Get(), [&](CArchive& ar) {
        first->Serialize(ar);
        second->Serialize(ar);
    });
    EXPECT_EQ(first->GetCount(), 1);
    EXPECT_EQ(second->GetCount(), 0);
    Dispose(first);
    Dispose(second);
}

namespace {

// A definition record of version 10 whose component part the caller writes, with no
// thumbnail.
template <typename Part>
void PutDefinition(RecordBuilder& b, Part componentPart)
{
    componentPart(b);
    b.Guid(7).String("Def").String("").String("").Long(0).Byte(0).Point(CPoint3d());
    b.Byte(0).Byte(0).Int(0).Byte(0);  // behaviour
    b.Int(0).Null();                   // type, thumbnail
}

// What the refused read made goes with its load session.
void ExpectRefused(const Bytes& bytes)
{
    const OldFileVersions versions({});
    EXPECT_THROW(entitytest::LoadInSession(bytes, [](CArchive& ar) { (void)ar.ReadObject(nullptr); }),
                 CArchiveException);
}

}  // namespace

// Crafted files once made these walks recurse without end.
TEST_F(ComponentRecordTest, AComponentThatContainsItselfIsRefused)
{
    RecordBuilder throughInstance;
    const int self = throughInstance.NewObject("CComponentDefinition");
    PutDefinition(throughInstance, [&](RecordBuilder& b) {
        b.ComponentPart([&](RecordBuilder& r) {
            r.Int(1);
            r.NewObject("CComponentInstance");
            r.ElementPart().Ref(self).Transform(CTransformation()).String("");
        });
    });
    ExpectRefused(throughInstance.Get());

    RecordBuilder throughList;
    const int listed = throughList.NewObject("CComponentDefinition");
    PutDefinition(throughList, [&](RecordBuilder& b) {
        b.ElementPart().Int(0).Int(0).Int(1).Ref(listed).Int(0).Int(0).Null();
    });
    ExpectRefused(throughList.Get());
}

namespace {

// A chain of definitions each placing the next, the deepest placing nothing.
void PutChain(RecordBuilder& b, int depth)
{
    b.NewObject("CComponentDefinition");
    PutDefinition(b, [&](RecordBuilder& r) {
        r.ComponentPart([&](RecordBuilder& list) {
            if (depth == 1) {
                list.Int(0);
                return;
            }
            list.Int(1);
            list.NewObject("CComponentInstance");
            list.ElementPart();
            PutChain(list, depth - 1);
            list.Transform(CTransformation()).String("");
        });
    });
}

}  // namespace

TEST_F(ComponentRecordTest, NestingIsReadUpToTheLimitAndRefusedBeyondIt)
{
    RecordBuilder within;
    PutChain(within, CComponent::kMaxNestingDepth);
    CObject* read = nullptr;
    {
        const OldFileVersions versions({});
        Load(within.Get(), [&](CArchive& ar) { read = ar.ReadObject(nullptr); });
    }
    auto* top = dynamic_cast<CComponentDefinition*>(read);
    ASSERT_NE(top, nullptr);
    CBoundingBox3d box;
    top->GetBounds(box, false);
    EXPECT_TRUE(box.IsEmpty());
    // The nested definitions are in no list: each goes by itself, the outer first.
    std::vector<CComponentDefinition*> chain{top};
    for (;;) {
        const auto& entities = chain.back()->GetEntityList();
        const auto* instance = entities.empty() ? nullptr : dynamic_cast<CComponentInstance*>(entities.front());
        if (instance == nullptr) {
            break;
        }
        chain.push_back(instance->GetDefinition());
    }
    EXPECT_EQ(chain.size(), static_cast<std::size_t>(CComponent::kMaxNestingDepth));
    for (CComponentDefinition* definition : chain) {
        Dispose(definition);
    }

    RecordBuilder beyond;
    PutChain(beyond, CComponent::kMaxNestingDepth + 1);
    ExpectRefused(beyond.Get());
}

TEST_F(ComponentRecordTest, AVersionTenRecordHandsItsFontsToTheCurrentModelOrDropsThemWithoutOne)
{
    // Pins a past fault: the fonts dropped without a model were freed by nobody.
    for (const bool withModel : {true, false}) {
        SCOPED_TRACE(withModel);
        std::unique_ptr<entitytest::CurrentModel> model;
        const CurrentModelScope scope(nullptr);
        if (withModel) {
            model = std::make_unique<entitytest::CurrentModel>();
        }
        RecordBuilder b;
        b.ElementPart().EmptyManagers().Int(0).Int(0).Null();
        b.Int(1);
        b.NewObject("CTwFont");
        b.String("Arial").Byte(0).Byte(0).Int(12);
        b.Int(kSentinel);
        const OldFileVersions versions({{"CComponent", 10}});
        auto* component = new CComponent;
        // A model starts with the fonts of its dimension and text styles.
        const int fontsBefore = withModel ? model->Get().GetFontManager()->GetCount() : 0;
        Load(b.Get(), [&](CArchive& ar) {
            component->Serialize(ar);
            std::int32_t sentinel = 0;
            ar >> sentinel;
            EXPECT_EQ(sentinel, kSentinel);
        });
        if (withModel) {
            EXPECT_EQ(model->Get().GetFontManager()->GetCount(), fontsBefore + 1);
        }
        Dispose(component);
    }
}

TEST_F(ComponentRecordTest, AfterReadingEveryMaterialCountsTheElementsThatUseIt)
{
    const CUndoSuspender suspender;
    auto* root = new CComponent;
    CMaterial* red = root->GetMaterialManager()->FindOrCreateColorMaterial(CColor(255, 0, 0));
    auto* definition = new CComponentDefinition;
    root->GetDefinitionList()->Add(definition);
    auto* placed = new CComponentInstance;
    definition->AddInstance(placed);
    root->Add(placed);
    placed->SetMaterial(red);
    auto* inside = new CComponentInstance;
    definition->Add(inside);
    inside->SetMaterial(red);
    root->SetMaterial(red);

    const Bytes written = Store([&](CArchive& ar) { root->Serialize(ar); });
    auto* read = new CComponent;
    Load(written, [&](CArchive& ar) { read->Serialize(ar); });
    ASSERT_EQ(read->GetMaterialManager()->GetCount(), 1);
    const auto* readRed = dynamic_cast<CMaterial*>(read->GetMaterialManager()->GetAt(0));
    ASSERT_NE(readRed, nullptr);
    EXPECT_EQ(readRed->GetUseCount(), 3);
    Dispose(read);
    Dispose(root);
}
