#include <gtest/gtest.h>

#include <memory>

#include "document/component.h"
#include "document/layer.h"
#include "document/layermanager.h"
#include "document/material.h"
#include "document/texture.h"
#include "tests/document/materialtestsupport.h"
#include "document/tarnwickmodel.h"
#include "foundation/color.h"
#include "foundation/notificationcenter.h"
#include "model/undomanager.h"
#include "model/undooperation.h"
#include "tests/document/documenttestsupport.h"

using documenttest::Bytes;
using documenttest::Dispose;
using documenttest::FileVersions;
using documenttest::Load;
using documenttest::Store;
using undotest::TestEnvironment;

namespace {

// A manager of its own with its default layer, as a component makes it.
class LayerManagerTest : public ::testing::Test
{
protected:
    LayerManagerTest()
    {
        WriteProfileBool("Undo", "Logging", false);
        m_manager = new CLayerManager;
        m_manager->EnsureDefaultLayer();
    }
    ~LayerManagerTest() override { Dispose(m_manager); }

    TestEnvironment m_environment;
    CLayerManager* m_manager = nullptr;
};

// Writes down the codes of "Layer Changed".
class CLayerObserver : public IObserver
{
public:
    CLayerObserver() { GetNotificationCenter().AddObserver(kLayerChangedNotification, this); }
    ~CLayerObserver() override { GetNotificationCenter().RemoveObserver(this); }
    void OnNotify(const std::string& /*name*/, void* data) override
    {
        codes.push_back(static_cast<LayerChangedData*>(data)->code);
    }
    std::vector<int> codes;
};

}  // namespace

TEST(LayerTest, ALayerNamesItsMaterialAfterItself)
{
    const CUndoSuspender suspender;
    auto* layer = new CLayer;
    ASSERT_NE(layer->GetMaterial(), nullptr);
    EXPECT_EQ(layer->GetMaterial()->GetName(), CString("Layer"));
    EXPECT_TRUE(layer->GetMaterial()->IsHidden());
    layer->SetName("Walls");
    EXPECT_EQ(layer->GetMaterial()->GetName(), CString("Layer_Walls"));

    layer->SetColor(CColor());
    EXPECT_EQ(layer->GetMaterial()->GetColorValue().GetValue(), 0u);
    layer->SetColor(CColor(10, 20, 30));
    EXPECT_EQ(layer->GetMaterial()->GetColorValue(), CColor(10, 20, 30));
    EXPECT_EQ(layer->GetTypeId(), 22);
    layer->Erase();
}


TEST(LayerTest, ALayerIsTheDefaultOneExactlyWhileItIsNamedLayer0ThroughRenamesAndUndo)
{
    const CUndoSuspender suspender;
    auto* layer = new CLayer;
    EXPECT_FALSE(CLayer::IsDefaultLayer(layer));
    layer->SetName("Layer0");
    EXPECT_TRUE(CLayer::IsDefaultLayer(layer));
    const std::unique_ptr<CLayer> saved(static_cast<CLayer*>(layer->Clone()));
    EXPECT_TRUE(CLayer::IsDefaultLayer(saved.get()));
    layer->SetName("Walls");
    EXPECT_FALSE(CLayer::IsDefaultLayer(layer));
    layer->SwapData(*saved);  // as undo does
    EXPECT_TRUE(CLayer::IsDefaultLayer(layer));
    EXPECT_FALSE(CLayer::IsDefaultLayer(saved.get()));
    layer->Erase();
}

TEST(LayerTest, ThePageStateMatchesWithAndWithoutOverrides)
{
    const CUndoSuspender suspender;
    CLayer layer;
    layer.SetPageFlags(CLayer::kPageHidden);
    EXPECT_FALSE(layer.MatchesPageState(false));
    layer.SetHidden(true);
    EXPECT_TRUE(layer.MatchesPageState(false));
    layer.SetPageFlags(CLayer::kPageHidden | CLayer::kPageOverrideShown);
    EXPECT_FALSE(layer.MatchesPageState(true));
    layer.SetHidden(false);
    layer.SetPageFlags(CLayer::kPageHidden | CLayer::kPageOverrideHidden);
    EXPECT_TRUE(layer.MatchesPageState(true));
}


TEST(LayerTest, TheRecordCarriesNameHiddenColourAndPageFlagsExceptInTheOldestFormat)
{
    TestEnvironment environment;
    const CUndoSuspender suspender;
    CLayer layer;
    layer.SetName("Glass");
    layer.SetHidden(true);
    layer.SetColor(CColor(1, 2, 3));
    layer.SetPageFlags(0x21);

    for (const int format : {kSaveFormat5000, kSaveFormat3000}) {
        const Bytes bytes = Store([&](CArchive& ar) { ar.WriteObject(&layer); }, format);
        CLayer* read = nullptr;
        {
            const FileVersions versions({{"CEntity", format == kSaveFormat3000 ? 2 : 3},
                                         {"CLayer", format == kSaveFormat3000 ? 1 : 2},
                                         {"CMaterial", 12}});
            Load(bytes, [&](CArchive& ar) { ArchiveReadLayer(ar, read); });
        }
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read->GetName(), CString("Glass"));
        EXPECT_TRUE(read->IsHidden());
        EXPECT_EQ(read->GetMaterial()->GetColorValue(), CColor(1, 2, 3));
        EXPECT_EQ(read->GetMaterial()->GetName(), CString("Layer_Glass"));
        EXPECT_EQ(read->GetPageFlags(), format == kSaveFormat3000 ? 0u : 0x21u);
        read->Erase();
    }
}

TEST_F(LayerManagerTest, LayerNamesAreUniqueWithoutRegardToCase)
{
    EXPECT_EQ(m_manager->AddLayer("layer0"), nullptr);
    CLayer* walls = m_manager->AddLayer("Walls");
    ASSERT_NE(walls, nullptr);
    EXPECT_EQ(m_manager->AddLayer("WALLS"), nullptr);
    EXPECT_EQ(m_manager->FindLayer("walls"), walls);
    EXPECT_EQ(m_manager->GetCount(), 2);
    EXPECT_EQ(walls->GetParent(), m_manager);
    EXPECT_EQ(m_manager->GetCurrentLayer(), m_manager->GetDefaultLayer());
}

TEST_F(LayerManagerTest, NewLayersTakeTheColourTableInTurnAndStartAgainAfterTheLast)
{
    // The default layer took the first colour.
    CLayer* last = nullptr;
    for (int i = 1; i <= kLayerColorCount; ++i) {
        last = m_manager->AddLayer(CString::Formatted("L%d", i));
    }
    EXPECT_EQ(m_manager->GetDefaultLayer()->GetMaterial()->GetColorValue(), GetLayerColor(0));
    EXPECT_EQ(last->GetMaterial()->GetColorValue(), GetLayerColor(0));
    EXPECT_EQ(static_cast<CLayer*>(m_manager->GetAt(1))->GetMaterial()->GetColorValue(), GetLayerColor(1));
}

TEST_F(LayerManagerTest, RemovingTheCurrentLayerMovesCurrentToTheFirstOrToNone)
{
    CLayer* first = m_manager->GetDefaultLayer();
    CLayer* walls = m_manager->AddLayer("Walls");
    ASSERT_TRUE(m_manager->SetCurrentLayer(walls));
    EXPECT_TRUE(m_manager->Remove(walls));
    EXPECT_EQ(m_manager->GetCurrentLayer(), first);
    EXPECT_EQ(walls->GetParent(), nullptr);
    EXPECT_FALSE(m_manager->Remove(walls));
    Dispose(walls);

    EXPECT_TRUE(m_manager->Remove(first));
    EXPECT_EQ(m_manager->GetCurrentLayer(), nullptr);
    EXPECT_FALSE(m_manager->SetCurrentLayer(first));
    Dispose(first);
}

TEST_F(LayerManagerTest, HidingTheCurrentLayerHandsCurrentToAnotherShownLayerOrIsRefused)
{
    CLayer* first = m_manager->GetDefaultLayer();
    EXPECT_FALSE(m_manager->SetLayerHidden(first, true));
    EXPECT_FALSE(first->IsHidden());

    CLayer* walls = m_manager->AddLayer("Walls");
    EXPECT_TRUE(m_manager->SetLayerHidden(first, true));
    EXPECT_TRUE(first->IsHidden());
    EXPECT_EQ(m_manager->GetCurrentLayer(), walls);
    EXPECT_EQ(m_manager->GetFirstShownLayer(), walls);
}

TEST_F(LayerManagerTest, OnlyABroadcastingManagerPostsLayerChanged)
{
    CLayerObserver observer;
    CLayer* walls = m_manager->AddLayer("Walls");
    EXPECT_TRUE(observer.codes.empty());

    m_manager->SetBroadcasting(true);
    m_manager->SetCurrentLayer(walls);
    m_manager->SetLayerHidden(m_manager->GetDefaultLayer(), true);
    m_manager->Remove(walls);
    Dispose(walls);
    m_manager->Clear();
    EXPECT_EQ(observer.codes, (std::vector<int>{kLayerCurrentChanged, kLayerHiddenSet, kLayerCurrentChanged,
                                                kLayerRemoved, kLayersCleared}));
    m_manager->SetBroadcasting(false);
}

TEST_F(LayerManagerTest, TheModelsRootManagerBroadcasts)
{
    CLayerObserver observer;
    const CurrentModelScope scope;
    CTarnwickModel* model = new CTarnwickModel;
    model->GetLayerManager()->AddLayer("Walls");
    EXPECT_EQ(observer.codes, (std::vector<int>{kLayerAdded}));
    model->Release();
}


TEST_F(LayerManagerTest, TheRecordRoundTripsTheLayersAndTheCurrentLayer)
{
    CLayer* walls = m_manager->AddLayer("Walls");
    m_manager->SetCurrentLayer(walls);
    const Bytes bytes = Store([&](CArchive& ar) { m_manager->Serialize(ar); });

    auto* read = new CLayerManager;
    Load(bytes, [&](CArchive& ar) { read->Serialize(ar); });
    ASSERT_EQ(read->GetCount(), 2);
    EXPECT_EQ(CLayer::GetDisplayName(static_cast<CLayer*>(read->GetAt(1))), CString("Walls"));
    EXPECT_TRUE(CLayer::IsDefaultLayer(static_cast<CLayer*>(read->GetAt(0))));
    EXPECT_FALSE(CLayer::IsDefaultLayer(static_cast<CLayer*>(read->GetAt(1))));
    EXPECT_EQ(read->GetCurrentLayer(), read->GetAt(1));
    Dispose(read);
}

TEST_F(LayerManagerTest, AnOldRecordRenamesDefaultToLayer0AndFindsTheCurrentLayerByName)
{
    const CUndoSuspender suspender;
    CLayer defaultLayer;
    defaultLayer.SetName("Default");
    CLayer walls;
    walls.SetName("Walls");
    const Bytes bytes = Store([&](CArchive& ar) {
        ar.WriteObject(nullptr);  // the entity part: no attributes
        ar << std::int32_t{2};
        ar.WriteObject(&defaultLayer);
        ar.WriteObject(&walls);
        ArchiveWriteString(ar, "Default");
    });

    auto* read = new CLayerManager;
    {
        const FileVersions versions({{"CEntity", 3}, {"CLayer", 2}, {"CMaterial", 12}, {"CLayerManager", 1}});
        Load(bytes, [&](CArchive& ar) { read->Serialize(ar); });
    }
    ASSERT_EQ(read->GetCount(), 2);
    EXPECT_EQ(static_cast<CLayer*>(read->GetAt(0))->GetName(), CString("Layer0"));
    EXPECT_EQ(read->GetCurrentLayer(), read->GetAt(0));
    Dispose(read);
}


TEST_F(LayerManagerTest, ANegativeOrOversizedLayerCountIsRefused)
{
    for (const std::int32_t count : {-1, 1000000}) {
        const Bytes bytes = Store([&](CArchive& ar) {
            ar.WriteObject(nullptr);
            ar << count;
        });
        auto* read = new CLayerManager;
        EXPECT_THROW(Load(bytes, [&](CArchive& ar) { read->Serialize(ar); }), CArchiveException);
        Dispose(read);
    }
}

TEST(LayerTest, ALayerDeletedBeforeItsEraseTakesItsMaterialAlongButItsCopyDoesNot)
{
    TestEnvironment environment;
    const CUndoSuspender suspender;
    auto* layer = new CLayer;
    auto* texture = new CTexture;
    CDib* picture = materialtest::MakePicture(1, 1);
    picture->AddUse();
    texture->SetImage(picture);
    layer->GetMaterial()->SetTexture(texture);
    delete layer->Clone();
    EXPECT_EQ(picture->GetUseCount(), 2);
    delete layer;
    EXPECT_EQ(picture->GetUseCount(), 1);
    EXPECT_EQ(picture->ReleaseUse(), 0);
}

TEST(LayerTest, ALayerRecordCutShortLeavesNothingBehindOnceTheArchiveObjectsAreDeleted)
{
    TestEnvironment environment;
    const CUndoSuspender suspender;
    CLayer layer;
    layer.SetName("Glass");
    auto* texture = new CTexture;
    texture->SetImage(materialtest::MakePicture(2, 2));
    layer.GetMaterial()->SetTexture(texture);
    layer.GetMaterial()->SetKind(kMaterialTexture);
    Bytes bytes = Store([&](CArchive& ar) { ar.WriteObject(&layer); });
    for (const std::size_t cut : {bytes.size() / 2, bytes.size() - 3}) {
        SCOPED_TRACE(cut);
        const Bytes shortened(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut));
        Load(shortened, [&](CArchive& ar) {
            EXPECT_THROW((void)ar.ReadObject(nullptr), CArchiveException);
            // As the model-record fuzz target does: every object the archive made, once.
            for (UINT i = 1; i <= ar.GetMapCount(); ++i) {
                delete ar.GetLoadedObject(i);
            }
        });
    }
}

TEST_F(LayerManagerTest, ALayerThatAnotherManagerHoldsIsRefused)
{
    const CUndoSuspender suspender;
    CLayer shared;
    shared.SetName("Shared");
    const Bytes bytes = Store([&](CArchive& ar) {
        for (int i = 0; i < 2; ++i) {
            ar.WriteObject(nullptr);
            ar << std::int32_t{1};
            ar.WriteObject(&shared);
            ar.WriteObject(&shared);
        }
    });
    auto* first = new CLayerManager;
    auto* second = new CLayerManager;
    Load(bytes, [&](CArchive& ar) {
        first->Serialize(ar);
        try {
            second->Serialize(ar);
            ADD_FAILURE() << "a layer with two managers was accepted";
        } catch (const CArchiveException& error) {
            EXPECT_EQ(error.m_cause, CArchiveException::badIndex);
        }
    });
    EXPECT_EQ(first->GetCount(), 1);
    Dispose(first);
    Dispose(second);
}

// A current layer the manager does not list may be named by elements read before or after
// it: the manager lists it, and the first layer stays current as none has its name.
TEST_F(LayerManagerTest, AStrayCurrentLayerIsListedSoThatWhatNamesItKeepsIt)
{
    const CUndoSuspender suspender;
    CLayer listed;
    listed.SetName("Layer0");
    CLayer stray;
    stray.SetName("Walls");
    const Bytes bytes = Store([&](CArchive& ar) {
        ar.WriteObject(nullptr);
        ar << std::int32_t{1};
        ar.WriteObject(&listed);
        ar.WriteObject(&stray);
        ar.WriteObject(&stray);
    });
    auto* read = new CLayerManager;
    Load(bytes, [&](CArchive& ar) {
        read->Serialize(ar);
        CLayer* again = nullptr;
        ArchiveReadLayer(ar, again);
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(again->GetName(), CString("Walls"));
        EXPECT_TRUE(read->Contains(again));
    });
    EXPECT_EQ(read->GetCount(), 2);
    EXPECT_EQ(read->GetCurrentLayer(), read->GetAt(0));
    Dispose(read);
}

TEST(LayerTest, TheOldestRecordTakesItsColourAndDropsTheMaterialItNames)
{
    TestEnvironment environment;
    const CUndoSuspender suspender;
    CMaterial named;
    const Bytes bytes = Store([&](CArchive& ar) {
        ar.WriteObject(nullptr);
        ArchiveWriteString(ar, "Roof");
        ar << BYTE{1};
        ar << CColor(40, 50, 60);
        ar.WriteObject(&named);
        ar << std::int32_t{0x5EED};
    });
    CLayer layer;
    std::int32_t sentinel = 0;
    {
        const FileVersions versions({{"CEntity", 3}, {"CLayer", 0}, {"CMaterial", 12}});
        Load(bytes, [&](CArchive& ar) {
            layer.Serialize(ar);
            ar >> sentinel;
            // The archive made the named material and nothing holds it.
            for (UINT i = 1; i <= ar.GetMapCount(); ++i) {
                delete ar.GetLoadedObject(i);
            }
        });
    }
    EXPECT_EQ(sentinel, 0x5EED);
    EXPECT_EQ(layer.GetName(), CString("Roof"));
    EXPECT_TRUE(layer.IsHidden());
    EXPECT_EQ(layer.GetMaterial()->GetColorValue(), CColor(40, 50, 60));
    EXPECT_EQ(layer.GetPageFlags(), 0u);
}

TEST_F(LayerManagerTest, EveryRecordVersionFindsItsCurrentLayer)
{
    const CUndoSuspender suspender;
    CLayer first;
    first.SetName("Layer0");
    CLayer walls;
    walls.SetName("Walls");
    for (int version = 0; version <= 4; ++version) {
        SCOPED_TRACE(version);
        const Bytes bytes = Store([&](CArchive& ar) {
            if (version > 0) {
                ar.WriteObject(nullptr);
            }
            ar << std::int32_t{2};
            ar.WriteObject(&first);
            ar.WriteObject(&walls);
            if (version < 3) {
                ArchiveWriteString(ar, "walls");
            } else {
                ar.WriteObject(&walls);
            }
            ar << std::int32_t{0x5EED};
        });
        auto* read = new CLayerManager;
        std::int32_t sentinel = 0;
        {
            const FileVersions versions({{"CEntity", 3}, {"CLayer", 2}, {"CMaterial", 12}, {"CLayerManager", version}});
            Load(bytes, [&](CArchive& ar) {
                read->Serialize(ar);
                ar >> sentinel;
            });
        }
        EXPECT_EQ(sentinel, 0x5EED);
        ASSERT_EQ(read->GetCount(), 2);
        EXPECT_EQ(read->GetCurrentLayer(), read->GetAt(1));
        Dispose(read);
    }
}
