#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "annotations/constructionline.h"
#include "annotations/dimensionlinear.h"
#include "annotations/dimensionradial.h"
#include "annotations/dimensionstyle.h"
#include "annotations/polyline3d.h"
#include "annotations/sectionplane.h"
#include "annotations/text.h"
#include "annotations/textstyle.h"
#include "document/componentbehavior.h"
#include "document/entitycopier.h"
#include "document/facetexturecoords.h"
#include "document/fontmanager.h"
#include "document/layer.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "document/modelpages.h"
#include "document/pagelist.h"
#include "document/optionsmanager.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/tarniscs.h"
#include "foundation/typedvalue.h"
#include "model/curveregistry.h"
#include "model/edgeuse.h"
#include "model/enumedgeuse.h"
#include "model/loop.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/memfile.h"
#include "platform/quitrequest.h"
#include "samplegen/gridmodel.h"
#include "samplegen/housemodel.h"
#include "samplegen/modelfiles.h"
#include "samplegen/placementmodels.h"
#include "samplegen/stressmodels.h"
#include "tests/document/modelfiletestsupport.h"

using modelfiletest::Bytes;
using modelfiletest::OwnedModel;
using modelfiletest::ReadSaying;

namespace {

class ModelFileTest : public ::testing::Test
{
protected:
    void SetUp() override { RegisterModelClasses(); }
    void TearDown() override { EXPECT_EQ(GetLoadedVersionMap(), nullptr); }

    entitytest::QuietSettings m_settings;
    CurrentModelScope m_scope{nullptr};
};

// What a hand-built file holds beyond the gates its two versions open.
struct HandBuiltFile
{
    CVersionInfo version;
    int modelVersion = 12;
    bool emptyPreview = false;
    CMaterialManager* oldMaterials = nullptr;
    // The font manager lists none of the fonts the styles name.
    bool emptyFontList = false;
};

// Writes the top-level record field by field under the gates of the file version and
// the model version; the embedded records come from a fresh model's members.
Bytes WriteHandBuilt(const HandBuiltFile& layout)
{
    OwnedModel source;
    const int fv = layout.version.GetBuildNumber();
    const int mv = layout.modelVersion;
    CVersionMap map = modelfiletest::MapWith({{"CTarnwickModel", mv}});
    CDib emptyPicture;
    CVertex vertex(CPoint3d(1, 2, 3));
    return settingstest::Store([&](CArchive& ar) {
        ArchiveWriteString(ar, CString("Tarnwick Model"));
        CVersionInfo(layout.version).Serialize(ar);
        if (fv >= 1046) {
            GUID id{};
            CreateGuid(id);
            SerializeGuid(id, ar);
            ArchiveWriteString(ar, CString("dropped"));
        }
        ar << LONGLONG{0};
        if (fv >= 1022) {
            ar.WriteObject(&map);
        }
        if (mv >= 7) {
            ar << std::int32_t{5} << std::int32_t{6};
        }
        if (mv >= 4) {
            ar.WriteObject(layout.emptyPreview ? &emptyPicture : nullptr);
            ArchiveWriteBool(ar, true);
        }
        if (fv >= 1055) {
            source->GetComponentBehavior()->Serialize(ar);
        }
        if (fv >= 1059) {
            ArchiveWriteString(ar, CString("Hand-built"));
        }
        CCamera camera;
        camera.SetView(CPoint3d(1, 2, 3), CPoint3d(0, 0, 0), CVector3d(0, 0, 1), 1.0, 1000.0, true, 30.0, 133.0);
        if (mv <= 10) {
            camera.WriteOldForm(ar);
        } else {
            ar.WriteObject(&camera);
        }
        if (fv >= 1023) {
            source->GetRenderingOptions()->Serialize(ar);
        }
        // The dropped top-level vertices: with a map, one vertex named twice, the second
        // time through the long tag form (0x7FFF and a 32-bit index).
        if (fv >= 1022) {
            ar << std::int32_t{2};
            ar.WriteObject(&vertex);
            ar << WORD{0x7FFF} << static_cast<std::uint32_t>(ar.GetStoredIndex(&vertex));
        } else {
            ar << std::int32_t{1};
            ar.WriteObject(nullptr);
        }
        if (mv == 0) {
            ar << std::int32_t{2};
            ar.WriteObject(nullptr);
            ar.WriteObject(nullptr);
        } else {
            source->GetRootComponent()->Serialize(ar);
        }
        if (mv >= 2) {
            source->GetShadowInfo()->Serialize(ar);
        }
        if (mv >= 12) {
            modelpages::WritePageList(ar, source->GetPageList());
        } else if (fv >= 1043) {
            ar << std::int32_t{1};
            ar.WriteObject(nullptr);
        }
        if (fv >= 1047 && mv < 6) {
            ar << std::int32_t{2};
            ArchiveWriteString(ar, CString("one"));
            ArchiveWriteString(ar, CString("two"));
        }
        if (fv >= 1054 && mv < 3) {
            layout.oldMaterials->Serialize(ar);
        }
        if (fv >= 1154) {
            source->GetDrawingAxes()->Serialize(ar);
        }
        if (fv >= 1199) {
            for (std::int32_t i = 0; i < 16; ++i) {
                ar << i;
            }
        }
        if (mv >= 5) {
            source->GetOptionsManager()->Serialize(ar);
        }
        if (mv >= 8) {
            source->GetDimensionStyle()->Serialize(ar);
        }
        if (mv >= 10) {
            source->GetTextStyle()->Serialize(ar);
        }
        if (mv >= 9) {
            CFontManager empty;
            (layout.emptyFontList ? &empty : source->GetFontManager())->Serialize(ar);
        }
    });
}

// Reads the whole file; every byte must be used.
void ReadAllOf(CTarnwickModel& model, const Bytes& bytes)
{
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load);
    model.Serialize(ar);
    EXPECT_EQ(ar.GetRemainingBytes(), 0u);
}

// What a read made, in the order of the root's list and then of each definition's: each
// entity's class, its id counted from the first one's (ids go out as objects are made),
// its material's and layer's names, and the points it stands on.
std::vector<std::string> DescribeEntities(const CTarnwickModel& model)
{
    std::vector<const CComponent*> components{model.GetRootComponent()};
    for (const CComponentDefinition* definition : model.GetDefinitionList()->GetDefinitions()) {
        components.push_back(definition);
    }
    std::vector<std::string> described;
    std::int32_t firstId = 0;
    for (const CComponent* component : components) {
        for (const CDrawingElement* entity : component->GetEntityList()) {
            if (described.empty()) {
                firstId = entity->GetId();
            }
            std::vector<CPoint3d> points;
            if (const auto* edge = dynamic_cast<const CEdge*>(entity)) {
                points = {edge->GetStartVertex()->GetPosition(), edge->GetEndVertex()->GetPosition()};
            } else if (const auto* face = dynamic_cast<const CFace*>(entity)) {
                face->GetOuterLoop()->GetPoints(points, nullptr);
            }
            std::string text = std::string(entity->GetRuntimeClass()->m_lpszClassName) + " " +
                               std::to_string(entity->GetId() - firstId) + " " +
                               (entity->GetMaterial() != nullptr ? entity->GetMaterial()->GetName().ToUtf8() : "-") +
                               " " + CLayer::GetDisplayName(entity->GetLayer()).ToUtf8();
            for (const CPoint3d& point : points) {
                text += " " + std::to_string(point.x) + "," + std::to_string(point.y) + "," + std::to_string(point.z);
            }
            described.push_back(std::move(text));
        }
    }
    return described;
}

bool HoldsMaterialNamed(CTarnwickModel& model, const char* name)
{
    for (const CMaterial* material : model.GetMaterialManager()->GetMaterials()) {
        if (material->GetName() == CString(name)) {
            return true;
        }
    }
    return false;
}

// The model holds nothing a file could have brought.
void ExpectEmpty(CTarnwickModel& model)
{
    EXPECT_EQ(model.GetRootComponent()->GetCount(), 0);
    EXPECT_EQ(model.GetDefinitionList()->GetCount(), 0);
    EXPECT_EQ(model.GetLayerManager()->GetCount(), 1);
    EXPECT_EQ(model.GetMaterialManager()->GetCount(), 0);
    EXPECT_EQ(model.GetPreviewImage(), nullptr);
    EXPECT_TRUE(model.GetDescription().IsEmpty());
    EXPECT_TRUE(IsNullGuid(model.GetModelId()));
    EXPECT_EQ(GetLoadedVersionMap(), nullptr);
    EXPECT_EQ(CCurveRegistry::GetEntryCount(), 0);
}

int ArchiveCauseOfRead(CTarnwickModel& model, const Bytes& bytes)
{
    try {
        modelfiletest::ReadModel(model, bytes);
    } catch (const CArchiveException& e) {
        return e.m_cause;
    }
    return -1;
}

}  // namespace

TEST_F(ModelFileTest, AModelWrittenReadAndWrittenAgainGivesTheSameBytesInEverySaveFormat)
{
    for (const int format : {kSaveFormat5000, kSaveFormat4000, kSaveFormat3000}) {
        SCOPED_TRACE(format);
        OwnedModel built;
        modelfiletest::BuildSampleModel(*built);
        const Bytes first = modelfiletest::WriteModel(*built, format);

        OwnedModel read;
        modelfiletest::ReadModel(*read, first);
        EXPECT_EQ(GetCurrentModel(), nullptr);
        EXPECT_TRUE(IsRecordingChanges());
        EXPECT_EQ(read->GetLoadStatus(), CTarnwickModel::kLoadOk);
        EXPECT_EQ(read->GetDescription(), CString("A small sample"));
        EXPECT_EQ(GuidToString(read->GetModelId()), GuidToString(built->GetModelId()));
        EXPECT_EQ(read->GetRootComponent()->GetCount(), built->GetRootComponent()->GetCount());
        EXPECT_EQ(read->GetDefinitionList()->GetCount(), 1);
        ASSERT_NE(read->GetPreviewImage(), nullptr);
        EXPECT_TRUE(read->GetPreviewImage()->HasImage());
        EXPECT_FALSE(read->IsRedefineThumbnailOnSave());
        EXPECT_TRUE(read->GetCamera().GetEye() == CPoint3d(10, 20, 30));
        EXPECT_EQ(read->GetPageList()->GetCount(), 2);
        EXPECT_EQ(read->GetPageList()->GetSelectedPage(), read->GetPageList()->GetPage(0));

        const Bytes second = modelfiletest::WriteModel(*read, format);
        EXPECT_EQ(modelfiletest::FirstDifference(modelfiletest::WithoutStamp(first, format),
                                                modelfiletest::WithoutStamp(second, format)),
                  -1);
        // Only the oldest format keeps the camera in place rather than as an object.
        EXPECT_EQ(modelfiletest::NamesClass(first, "CCamera"), format != kSaveFormat3000);
    }
}

TEST_F(ModelFileTest, TheFrameCarriesTheWritersVersionTheFormatsMapAndTheFixedWords)
{
    const struct
    {
        int format;
        const char* version;
        CVersionMap* (*map)();
    } cases[] = {{kSaveFormat5000, "5.0.232", GetVersionMapCurrent},
                 {kSaveFormat4000, "4.0.1", GetVersionMapPrevious},
                 {kSaveFormat3000, "3.0.1", GetVersionMapOldest}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        OwnedModel model;
        const Bytes bytes = modelfiletest::WriteModel(*model, c.format);
        EXPECT_EQ(model->GetVersionInfo().GetText(), CString(c.version));
        EXPECT_FALSE(IsNullGuid(model->GetModelId()));
        settingstest::ReadAll(bytes.size() > 0 ? bytes : bytes, {}, [&](CArchive& ar) {
            EXPECT_EQ(ArchiveReadString(ar), CString("Tarnwick Model"));
            CVersionInfo version;
            version.Serialize(ar);
            EXPECT_EQ(version.GetText(), CString(c.version));
            GUID id{};
            SerializeGuid(id, ar);
            EXPECT_EQ(GuidToString(id), GuidToString(model->GetModelId()));
            EXPECT_TRUE(ArchiveReadString(ar).IsEmpty());
            LONGLONG stamp = 0;
            ar >> stamp;
            EXPECT_GT(stamp, 1600000000);
            CVersionMap* map = nullptr;
            ReadVersionMapObject(ar, map);
            ASSERT_NE(map, nullptr);
            EXPECT_EQ(map->GetEntries(), c.map()->GetEntries());
            delete map;
            std::int32_t a = 0;
            std::int32_t b = 0;
            ar >> a >> b;
            EXPECT_EQ(a, 1);
            EXPECT_EQ(b, 1200);
            ar.Flush();
            // The rest is not this test's concern.
            while (ar.GetRemainingBytes() > 0) {
                BYTE skip = 0;
                ar >> skip;
            }
        });
    }
}

TEST_F(ModelFileTest, EachFormatsMapListsItsClassesInByteOrderThenTheEndMarker)
{
    int count = 0;
    const ClassVersionRow* rows = GetClassVersionTable(&count);
    ASSERT_EQ(count, 51);
    const struct
    {
        void (*write)(CArchive&);
        int ClassVersionRow::*column;
        int entries;
    } cases[] = {{WriteVersionMapCurrent, &ClassVersionRow::current, 51},
                 {WriteVersionMapPrevious, &ClassVersionRow::previous, 51},
                 {WriteVersionMapOldest, &ClassVersionRow::oldest, 45}};
    // Byte-wise order of the names, not the table's.
    std::vector<ClassVersionRow> sorted(rows, rows + count);
    std::sort(sorted.begin(), sorted.end(),
              [](const ClassVersionRow& a, const ClassVersionRow& b) { return std::string(a.name) < b.name; });
    for (const auto& c : cases) {
        const Bytes expected = settingstest::Store([&](CArchive& ar) {
            ar << WORD{0xFFFF} << WORD{0} << WORD{11};
            ar.Write("CVersionMap", 11);
            int written = 0;
            for (const ClassVersionRow& row : sorted) {
                if (row.*c.column >= 0) {
                    ArchiveWriteString(ar, CString(row.name));
                    ar << static_cast<std::int32_t>(row.*c.column);
                    ++written;
                }
            }
            EXPECT_EQ(written, c.entries);
            ArchiveWriteString(ar, CString("End-Of-Version-Map"));
            ar << std::int32_t{0};
        });
        EXPECT_EQ(modelfiletest::FirstDifference(settingstest::Store(c.write), expected), -1);
    }
    EXPECT_STREQ(sorted.front().name, "CArcCurve");
    EXPECT_STREQ(sorted.back().name, "CWatermark");
}

TEST_F(ModelFileTest, AFileStartingWithTheOldMagicReadsAndIsWrittenBackWithTheNewOne)
{
    OwnedModel built;
    modelfiletest::BuildSampleModel(*built);
    const Bytes file = modelfiletest::WriteModel(*built, kSaveFormat5000);
    const std::size_t magicSize =
        settingstest::Store([](CArchive& ar) { ArchiveWriteString(ar, CString("Tarnwick Model")); }).size();
    Bytes old = settingstest::Store([](CArchive& ar) { ArchiveWriteString(ar, CString("eTarnis page")); });
    old.insert(old.end(), file.begin() + static_cast<std::ptrdiff_t>(magicSize), file.end());

    OwnedModel read;
    ReadAllOf(*read, old);
    EXPECT_EQ(read->GetLoadStatus(), CTarnwickModel::kLoadOk);
    const Bytes again = modelfiletest::WriteModel(*read, kSaveFormat5000);
    EXPECT_EQ(modelfiletest::FirstDifference(modelfiletest::WithoutStamp(again, kSaveFormat5000),
                                            modelfiletest::WithoutStamp(file, kSaveFormat5000)),
              -1);
}

TEST_F(ModelFileTest, AForeignFileEndsWithStatusOneAndLeavesTheModelAsItWas)
{
    OwnedModel model;
    model->SetDescription(CString("kept"));
    const Bytes foreign = settingstest::Store([](CArchive& ar) {
        ArchiveWriteString(ar, CString("Some other file"));
        ar << std::int32_t{42};
    });
    modelfiletest::ReadModel(*model, foreign);
    EXPECT_EQ(model->GetLoadStatus(), CTarnwickModel::kLoadNotAModel);
    EXPECT_EQ(model->GetDescription(), CString("kept"));
    // Pins faults: a text file read as a string's length ran off its end and was reported
    // as a damaged archive; an empty file, or a lone header length, opened as an empty model.
    for (const std::string text :
         {"Hello, this is a plain text file named like a model.\n", "hello, short\n", "", "\x0e"}) {
        modelfiletest::ReadModel(*model, Bytes(text.begin(), text.end()));
        EXPECT_EQ(model->GetLoadStatus(), CTarnwickModel::kLoadNotAModel) << text;
    }
}

TEST_F(ModelFileTest, AFileForANewerProgramEndsWithStatusTwoKeepingOnlyItsVersionAndIdentifier)
{
    const std::pair<const char*, int> tooNew[] = {
        {"CTarnwickModel", 13}, {"CSomethingNewer", 1}, {"CFace", -1}, {"CETarnisDoc", 13}};
    for (const auto& [name, version] : tooNew) {
        SCOPED_TRACE(name);
        CVersionMap map = modelfiletest::MapWith({{name, version}});
        GUID id{};
        CreateGuid(id);
        const Bytes file = settingstest::Store([&](CArchive& ar) {
            ArchiveWriteString(ar, CString("Tarnwick Model"));
            CVersionInfo(6, 1, 7).Serialize(ar);
            SerializeGuid(id, ar);
            ArchiveWriteString(ar, CString());
            ar << LONGLONG{0};
            ar.WriteObject(&map);
            ar << std::int32_t{-1};
        });
        OwnedModel model;
        model->SetDescription(CString("kept"));
        modelfiletest::ReadModel(*model, file);
        EXPECT_EQ(model->GetLoadStatus(), CTarnwickModel::kLoadNeedsNewerVersion);
        EXPECT_EQ(model->GetVersionInfo().GetText(), CString("6.1.7"));
        EXPECT_EQ(GuidToString(model->GetModelId()), GuidToString(id));
        EXPECT_EQ(model->GetDescription(), CString("kept"));
        EXPECT_EQ(GetLoadedVersionMap(), nullptr);
    }
}

// Early files and each model version read exactly the fields their gates open.
TEST_F(ModelFileTest, HandBuiltFilesOfEveryEraReadExactlyTheFieldsTheirGatesOpen)
{
    const struct
    {
        CVersionInfo version;
        int modelVersion;
    } eras[] = {
        {CVersionInfo(0, 1, 20), 0},  {CVersionInfo(0, 1, 50), 1},  {CVersionInfo(0, 1, 100), 2},
        {CVersionInfo(0, 1, 150), 4}, {CVersionInfo(0, 1, 199), 6}, {CVersionInfo(3, 0, 1), 9},
        {CVersionInfo(3, 0, 1), 10},  {CVersionInfo(4, 0, 1), 11},  {CVersionInfo(4, 0, 1), 12},
    };
    for (const auto& era : eras) {
        SCOPED_TRACE(era.modelVersion);
        const int fv = era.version.GetBuildNumber();
        auto* oldMaterials = new CMaterialManager;
        {
            const CUndoSuspender suspender;
            oldMaterials->AddMaterial(new CMaterial);
            oldMaterials->GetMaterials().front()->SetName(CString("Old paint"));
        }
        HandBuiltFile layout{era.version, fv < 1022 ? 0 : era.modelVersion, false, oldMaterials};
        const Bytes file = WriteHandBuilt(layout);
        {
            const CUndoSuspender suspender;
            oldMaterials->Erase();
        }
        OwnedModel model;
        ReadAllOf(*model, file);
        EXPECT_EQ(model->GetLoadStatus(), CTarnwickModel::kLoadOk);
        EXPECT_EQ(model->GetDescription(), CString(fv >= 1059 ? "Hand-built" : ""));
        EXPECT_TRUE(model->GetCamera().GetEye() == CPoint3d(1, 2, 3));
        EXPECT_EQ(HoldsMaterialNamed(*model, "Old paint"), fv >= 1054 && layout.modelVersion < 3);
        EXPECT_EQ(model->GetReservedWord(15), fv >= 1199 ? 15 : 0);
        EXPECT_EQ(model->GetVersionInfo().GetBuildNumber(), fv);
    }
}

TEST_F(ModelFileTest, ThePreviewReaderAnswersForGoodForeignTooNewOldAndUndecodableFiles)
{
    OwnedModel built;
    modelfiletest::BuildSampleModel(*built);
    const Bytes good = modelfiletest::WriteModel(*built, kSaveFormat5000);
    const Bytes foreign = settingstest::Store([](CArchive& ar) { ArchiveWriteString(ar, CString("Not a model")); });
    CVersionMap newer = modelfiletest::MapWith({{"CTarnwickModel", 13}});
    const Bytes tooNew = settingstest::Store([&](CArchive& ar) {
        ArchiveWriteString(ar, CString("Tarnwick Model"));
        CVersionInfo(0, 1, 30).Serialize(ar);
        ar << LONGLONG{0};
        ar.WriteObject(&newer);
    });
    const Bytes old = WriteHandBuilt({CVersionInfo(0, 1, 100), 3, false, nullptr});
    const Bytes undecodable = WriteHandBuilt({CVersionInfo(4, 0, 1), 12, true, nullptr});
    const struct
    {
        const Bytes* bytes;
        int status;
        bool preview;
        const char* description;
    } cases[] = {{&good, kHeaderRead, true, "A small sample"},
                 {&foreign, kHeaderNotUsable, false, ""},
                 {&tooNew, kHeaderNotUsable, false, ""},
                 {&old, kHeaderNoPreview, false, "Hand-built"},
                 {&undecodable, kHeaderNotUsable, false, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        CDib* preview = nullptr;
        CString description;
        settingstest::Load(*c.bytes, [&](CArchive& ar) {
            EXPECT_EQ(ReadModelFileHeader(ar, preview, description), c.status);
        });
        EXPECT_EQ(preview != nullptr, c.preview);
        EXPECT_EQ(description, CString(c.description));
        EXPECT_EQ(GetLoadedVersionMap(), nullptr);
        delete preview;
    }
    // A full read drops the picture that cannot be shown in the same way.
    OwnedModel model;
    ReadAllOf(*model, undecodable);
    EXPECT_EQ(model->GetLoadStatus(), CTarnwickModel::kLoadOk);
    EXPECT_EQ(model->GetPreviewImage(), nullptr);
}

TEST_F(ModelFileTest, ThePreviewOfATruncatedOrMissingFileIsNullWithStatusFourOrOne)
{
    OwnedModel built;
    modelfiletest::BuildSampleModel(*built);
    const Bytes good = modelfiletest::WriteModel(*built, kSaveFormat5000);
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("glimra-preview-" + std::to_string(::getpid()) + ".twk");
    const auto writeFile = [&path](const Bytes& bytes, std::size_t size) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(size));
    };
    CDib* preview = nullptr;
    CString description;
    writeFile(good, good.size());
    EXPECT_EQ(ReadModelFilePreview(CString(path.string()), preview, description), kHeaderRead);
    EXPECT_NE(preview, nullptr);
    delete preview;
    // Every cut inside the header, down to the middle of the preview picture. A file that
    // ends before the header's text begins holds no model at all.
    for (std::size_t size = 1; size < 400; size += 7) {
        writeFile(good, size);
        preview = nullptr;
        const int status = ReadModelFilePreview(CString(path.string()), preview, description);
        if (size == 1) {
            EXPECT_EQ(status, kHeaderNotUsable);
            continue;
        }
        EXPECT_TRUE(status == kHeaderReadFailed || status == kHeaderRead) << size;
        if (status == kHeaderReadFailed) {
            EXPECT_EQ(preview, nullptr);
        }
        delete preview;
        EXPECT_EQ(GetLoadedVersionMap(), nullptr);
    }
    std::filesystem::remove(path);
    EXPECT_EQ(ReadModelFilePreview(CString(path.string()), preview, description), kHeaderCannotOpen);
    EXPECT_EQ(preview, nullptr);
}

TEST_F(ModelFileTest, APreviewEndedOrFailedLeavesTheFileVersionAndTheLoadedMapAsFound)
{
    // Once a preview of an older file left its version behind, and a later copy lost a
    // component behaviour's "shadows face sun" flag.
    OwnedModel built;
    modelfiletest::BuildSampleModel(*built);
    const Bytes old = modelfiletest::WriteModel(*built, kSaveFormat3000);
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("glimra-old-preview-" + std::to_string(::getpid()) + ".twk");
    CComponentBehavior behavior;
    behavior.SetAlwaysFacesCamera(true);
    behavior.SetShadowsFaceSun(true);
    const settingstest::FileVersionScope own(5, 0, 232);
    // The whole file, and one cut inside the time stamp, after the version was read.
    const std::pair<std::size_t, int> cases[] = {{old.size(), kHeaderRead}, {74, kHeaderReadFailed}};
    for (const auto& [size, status] : cases) {
        SCOPED_TRACE(size);
        {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(old.data()), static_cast<std::streamsize>(size));
        }
        auto* loading = new CVersionMap(*GetVersionMapOldest());
        SetLoadedVersionMap(loading);
        CDib* preview = nullptr;
        CString description;
        EXPECT_EQ(ReadModelFilePreview(CString(path.string()), preview, description), status);
        delete preview;
        EXPECT_EQ(GetLoadedVersionMap(), loading);
        SetLoadedVersionMap(nullptr);
        EXPECT_EQ(GetFileVersionInfo().GetBuildNumber(), 5000232);
        CCopier copier;
        CEntity* copy = copier.CloneOne(&behavior);
        const auto* copied = dynamic_cast<CComponentBehavior*>(copy);
        ASSERT_NE(copied, nullptr);
        EXPECT_TRUE(copied->ShadowsFaceSun());
        delete copy;
    }
    std::filesystem::remove(path);
}

// Every cut of a file raises the archive exception and leaves an empty model with no
// loaded map; run under a leak checker, nothing the read made is left behind.
TEST_F(ModelFileTest, AReadCutShortAnywhereFreesWhatItMadeAndLeavesAnEmptyModel)
{
    for (const int format : {kSaveFormat5000, kSaveFormat3000}) {
        SCOPED_TRACE(format);
        OwnedModel built;
        modelfiletest::BuildSampleModel(*built);
        const Bytes file = modelfiletest::WriteModel(*built, format);
        OwnedModel model;
        const std::size_t step = file.size() > 3000 ? 3 : 1;
        for (std::size_t size = 20; size < file.size(); size += step) {
            const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size));
            EXPECT_GE(ArchiveCauseOfRead(*model, cut), 0) << size;
            ExpectEmpty(*model);
        }
        // The model is still sound for a full read.
        modelfiletest::ReadModel(*model, file);
        EXPECT_EQ(modelfiletest::FirstDifference(
                      modelfiletest::WithoutStamp(modelfiletest::WriteModel(*model, format), format),
                      modelfiletest::WithoutStamp(file, format)),
                  -1);
    }
}

// A quit 3 s into a large read ended the program seconds later, spent taking the half-read
// model apart; where the process lets its memory go at its end the read leaves it.
TEST_F(ModelFileTest, AReadGivenUpForAQuitThatLeavesWorkLeavesTheModelAsFarAsItWasRead)
{
    OwnedModel built;
    modelfiletest::BuildSampleModel(*built);
    const Bytes file = modelfiletest::WriteModel(*built, kSaveFormat5000);
    constexpr int kSmallBuffer = 512;
    int fills = 0;
    {
        OwnedModel counted;
        CMemFile bytes(file.data(), static_cast<UINT>(file.size()));
        CArchive ar(&bytes, CArchive::load, kSmallBuffer);
        ar.SetProgressHook([&fills] { ++fills; });
        counted->Serialize(ar);
    }
    ASSERT_GT(fills, 2);
    // The child ends as the program does, without freeing the model or checking leaks.
    EXPECT_EXIT(
        {
            CQuitRequest::LeaveWorkAtQuit(true);
            auto* model = new CTarnwickModel;
            CMemFile bytes(file.data(), static_cast<UINT>(file.size()));
            CArchive ar(&bytes, CArchive::load, kSmallBuffer);
            int calls = 0;
            ar.SetProgressHook([&calls, fills] {
                if (++calls == fills) {
                    CQuitRequest::Request(SIGTERM);
                    throw CUserException();
                }
            });
            bool givenUp = false;
            try {
                model->Serialize(ar);
            } catch (const CUserException&) {
                givenUp = true;
            }
            const bool left = model->GetRootComponent()->GetCount() > 0 && GetLoadedVersionMap() == nullptr &&
                              CCurveRegistry::GetEntryCount() == 0;
            std::_Exit(givenUp && left ? 3 : 1);
        },
        ::testing::ExitedWithCode(3), "");
}

TEST_F(ModelFileTest, AFileWhoseComponentContainsItselfIsRefused)
{
    OwnedModel built;
    CComponentDefinition* definition = nullptr;
    CComponentInstance* inner = nullptr;
    {
        const CurrentModelScope scope(&*built);
        const CUndoSuspender suspender;
        definition = new CComponentDefinition;
        modelfiletest::AddSquare(*definition, 1.0);
        built->GetDefinitionList()->AddDefinition(definition, false);
        auto* outer = new CComponentInstance;
        definition->AddInstance(outer);
        built->GetRootComponent()->Add(outer);
        inner = new CComponentInstance;
        definition->AddInstance(inner);
        definition->Add(inner);
    }
    const Bytes file = modelfiletest::WriteModel(*built, kSaveFormat5000);
    {
        // The cycle is undone before the model goes, which could not erase it whole.
        const CurrentModelScope scope(&*built);
        const CUndoSuspender suspender;
        definition->Remove(inner);
        inner->Erase();
    }
    OwnedModel model;
    EXPECT_EQ(ArchiveCauseOfRead(*model, file), CArchiveException::genericException);
    ExpectEmpty(*model);
}

namespace {

// Instances nested the given number of levels below the root, a square at the bottom.
// The innermost definition is listed first, so the writer never nests its records.
void BuildNestedChain(CTarnwickModel& model, int levels)
{
    const CurrentModelScope scope(&model);
    const CUndoSuspender suspender;
    CComponentDefinition* inner = nullptr;
    for (int level = 0; level < levels; ++level) {
        auto* definition = new CComponentDefinition;
        if (inner == nullptr) {
            modelfiletest::AddSquare(*definition, 1.0);
        } else {
            auto* instance = new CComponentInstance;
            inner->AddInstance(instance);
            definition->Add(instance);
        }
        model.GetDefinitionList()->AddDefinition(definition, false);
        inner = definition;
    }
    auto* top = new CComponentInstance;
    inner->AddInstance(top);
    model.GetRootComponent()->Add(top);
}

// The doubling model's definitions, which the root component does not place.
void BuildUnplacedDoublingModel(CTarnwickModel& model, int levels)
{
    SharedModelShape shape{DoublingCopies(levels)};
    shape.copies[0] = 0;
    BuildSharedModel(model, shape);
}

// That many instances of one square in the root component, side by side or all in the
// same place.
void BuildSquares(CTarnwickModel& model, int count, bool stacked)
{
    BuildSharedModel(model, {{count}, 2, stacked});
}

void BuildSquaresSideBySide(CTarnwickModel& model, int count)
{
    BuildSquares(model, count, false);
}

void BuildSquaresStacked(CTarnwickModel& model, int count)
{
    BuildSquares(model, count, true);
}

}  // namespace

TEST_F(ModelFileTest, ModelsAreReadUpToTheNestingLimitAndTheDrawingBudgetAndRefusedBeyondWithTheirOwnReasons)
{
    // Regression: 41 definitions, each holding two of the next, once gave 2^40 paths for
    // the view to draw; a definition nothing placed, or many cheap placements, were
    // refused although they draw little; a refused file of many elements took minutes
    // to let go of. A model whose copies lie or are scaled past what the view holds says
    // so, not that it would draw too much.
    constexpr const char* kTooMuch = "the model would draw too much to show";
    constexpr const char* kTooFar =
        "parts of the model lie too far out or are scaled too far up or down for the view to show";
    const struct
    {
        void (*build)(CTarnwickModel&, int);
        int size;
        int definitions;
        const char* refusal;  // null: read
    } cases[] = {
        {BuildNestedChain, CComponent::kMaxNestingDepth - 1, CComponent::kMaxNestingDepth - 1, nullptr},
        {BuildNestedChain, 1000, 0, "the model nests too deep"},
        {BuildDoublingModel, 12, 12, nullptr},
        {BuildDoublingModel, 41, 0, kTooMuch},
        {BuildUnplacedDoublingModel, 41, 41, nullptr},
        {BuildSquaresSideBySide, 300'000, 1, nullptr},
        // They fill the view once each.
        {BuildSquaresStacked, 300'000, 0, kTooMuch},
        {[](CTarnwickModel& model, int) { BuildPlacedThroughModel(model, {{0.0}}); }, 0, 0, kTooFar},
        {[](CTarnwickModel& model, int) { BuildPlacedThroughModel(model, {{1e-19, 2e38}}); }, 0, 0, kTooFar},
        {[](CTarnwickModel& model, int) { BuildPlacedThroughModel(model, {{1.0, 2e38}}); }, 0, 0, kTooFar},
        {[](CTarnwickModel& model, int) { BuildPlacedThroughModel(model, {{1e155}}); }, 0, 0, kTooFar},
        // Shrunk to a speck along its path, grown and shrunk on the way.
        {[](CTarnwickModel& model, int) { BuildPlacedThroughModel(model, {{1e12}, {1e-12}, {1e-12}}); }, 0, 3,
         nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        OwnedModel built;
        c.build(*built, c.size);
        const Bytes file = modelfiletest::WriteModel(*built, kSaveFormat5000);
        OwnedModel model;
        if (c.refusal == nullptr) {
            EXPECT_NO_THROW(modelfiletest::ReadModel(*model, file));
            EXPECT_EQ(model->GetDefinitionList()->GetCount(), c.definitions);
            continue;
        }
        try {
            modelfiletest::ReadModel(*model, file);
            ADD_FAILURE() << "read";
        } catch (const CArchiveException& e) {
            EXPECT_NE(e.GetErrorMessage().ToUtf8().find(c.refusal), std::string::npos);
        }
        ExpectEmpty(*model);
    }
}

TEST_F(ModelFileTest, EveryClassOfTheVersionTableAndTheVersionMapAreCreatableByName)
{
    int count = 0;
    const ClassVersionRow* rows = GetClassVersionTable(&count);
    for (int i = 0; i < count; ++i) {
        const CRuntimeClass* cls = CRuntimeClass::FromName(rows[i].name);
        ASSERT_NE(cls, nullptr) << rows[i].name;
        EXPECT_NE(cls->m_pfnCreateObject, nullptr) << rows[i].name;
    }
    const CRuntimeClass* map = CRuntimeClass::FromName("CVersionMap");
    ASSERT_NE(map, nullptr);
    EXPECT_NE(map->m_pfnCreateObject, nullptr);
}

TEST_F(ModelFileTest, AFileReadIntoAModelThatHoldsEntitiesReplacesThemWhole)
{
    OwnedModel built;
    modelfiletest::BuildSampleModel(*built);
    const Bytes file = modelfiletest::WriteModel(*built, kSaveFormat5000);
    OwnedModel model;
    modelfiletest::ReadModel(*model, file);
    modelfiletest::ReadModel(*model, file);
    EXPECT_EQ(model->GetRootComponent()->GetCount(), built->GetRootComponent()->GetCount());
    EXPECT_EQ(model->GetDefinitionList()->GetCount(), 1);
    EXPECT_EQ(modelfiletest::FirstDifference(
                  modelfiletest::WithoutStamp(modelfiletest::WriteModel(*model, kSaveFormat5000), kSaveFormat5000),
                  modelfiletest::WithoutStamp(file, kSaveFormat5000)),
              -1);
}

TEST_F(ModelFileTest, AFontThatOnlyAStyleNamesJoinsTheModelsFontManager)
{
    HandBuiltFile layout{CVersionInfo(5, 0, 232), 12, false, nullptr};
    layout.emptyFontList = true;
    const Bytes file = WriteHandBuilt(layout);
    OwnedModel model;
    ReadAllOf(*model, file);
    EXPECT_EQ(model->GetLoadStatus(), CTarnwickModel::kLoadOk);
    CEntity* font = model->GetTextStyle()->PeekFont();
    ASSERT_NE(font, nullptr);
    EXPECT_TRUE(model->GetFontManager()->Contains(font));
    EXPECT_TRUE(model->GetFontManager()->Contains(model->GetDimensionStyle()->PeekFont()));
}

TEST_F(ModelFileTest, AModelReadFromAFileGivesTheSameObjectsAsOneReadFromMemory)
{
    OwnedModel built;
    // A grid spans many of the archive's buffers, so the file is read in many pieces;
    // its faces take turns among three materials, their backs another.
    BuildGridModel(*built, 400);
    {
        const CurrentModelScope scope(&*built);
        const CUndoSuspender suspender;
        CMaterialManager& materials = *built->GetMaterialManager();
        CMaterial* const colours[] = {materials.FindOrCreateColorMaterial(CColor(10, 20, 30, 255)),
                                      materials.FindOrCreateColorMaterial(CColor(40, 50, 60, 255)),
                                      materials.FindOrCreateColorMaterial(CColor(70, 80, 90, 255))};
        int turn = 0;
        for (CDrawingElement* entity : built->GetRootComponent()->GetEntityList()) {
            if (auto* face = dynamic_cast<CFace*>(entity)) {
                face->SetMaterial(colours[turn++ % 3]);
                face->SetBackMaterial(colours[turn % 2]);
            }
        }
    }
    modelfiletest::BuildSampleModel(*built);
    const Bytes bytes = modelfiletest::WriteModel(*built, kSaveFormat5000);
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("glimra-read-" + std::to_string(::getpid()) + ".twk");
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    OwnedModel fromMemory;
    ReadAllOf(*fromMemory, bytes);
    OwnedModel fromFile;
    {
        CFile file(CString(path.string()), CFile::modeRead);
        CArchive ar(&file, CArchive::load);
        fromFile->Serialize(ar);
        EXPECT_EQ(ar.GetRemainingBytes(), 0u);
        ar.Close();
    }
    std::filesystem::remove(path);
    EXPECT_EQ(fromFile->GetLoadStatus(), CTarnwickModel::kLoadOk);
    const std::vector<std::string> read = DescribeEntities(*fromMemory);
    EXPECT_EQ(read.size(), DescribeEntities(*built).size());
    EXPECT_EQ(DescribeEntities(*fromFile), read);
    const auto materialUses = [](const CTarnwickModel& model) {
        std::vector<std::pair<std::string, int>> uses;
        for (const CMaterial* material : model.GetMaterialManager()->GetMaterials()) {
            uses.emplace_back(material->GetName().ToUtf8(), material->GetUseCount());
        }
        return uses;
    };
    EXPECT_EQ(materialUses(*fromMemory), materialUses(*built));
    EXPECT_EQ(materialUses(*fromFile), materialUses(*built));
    EXPECT_EQ(fromFile->GetLayerManager()->GetCount(), built->GetLayerManager()->GetCount());
    EXPECT_EQ(fromFile->GetPageList()->GetCount(), 2);
}

// Whatever ends a read before the file does leaves a count of the bytes not read: data
// appended to a whole file, or a run of zeros inside the grid's entity list, which reads
// as null references and then as zero counts, empty strings and null references up to
// the end of the record. One model reads them all, so a count never outlives its file.
TEST_F(ModelFileTest, TheBytesAfterTheEndOfTheModelsRecordAreCounted)
{
    const auto written = [](void (*build)(CTarnwickModel&)) {
        OwnedModel model;
        build(*model);
        return WriteModelBytes(*model, kSaveFormat5000);
    };
    const ModelBytes house = written([](CTarnwickModel& model) { BuildHouseModel(model); });
    const ModelBytes grid = written([](CTarnwickModel& model) { BuildGridModel(model, 200); });
    // The run goes in after the 130th face of the entity list.
    ASSERT_EQ(grid.size(), 30354u);
    ModelBytes appended = house;
    appended.insert(appended.end(), 5000, BYTE{0x5A});
    ModelBytes zeroRun = grid;
    zeroRun.insert(zeroRun.begin() + 19864, 2079, BYTE{0});
    const struct
    {
        const char* name;
        const ModelBytes& bytes;
        std::uint64_t unread;
        int faces;
    } rows[] = {{"house with bytes appended", appended, 5000, -1},
                {"whole house", house, 0, -1},
                {"grid with a zero run", zeroRun, 11799, 130},
                {"whole grid", grid, 0, 200}};
    OwnedModel model;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ReadModelBytes(row.bytes, *model);
        EXPECT_EQ(model->GetLoadStatus(), CTarnwickModel::kLoadOk);
        EXPECT_EQ(model->GetUnreadByteCount(), row.unread);
        if (row.faces >= 0) {
            const auto& entities = model->GetRootComponent()->GetEntityList();
            EXPECT_EQ(std::count_if(entities.begin(), entities.end(),
                                    [](const CDrawingElement* entity) { return dynamic_cast<const CFace*>(entity); }),
                      row.faces);
        }
    }
}

namespace {

// Named values of a kind the program never computes with: a point and a list.
void SetNamedPoint(CTarnwickModel& model, double x)
{
    orvell::utils::CTypedValue point;
    point.SetPoint(CPoint3d(x, 0, 0));
    EXPECT_TRUE(model.GetOptionsManager()->SetValue(CString("NamedOptions"), CString("Glimra.Spot"), point));
}

void SetNamedList(CTarnwickModel& model, double first)
{
    orvell::utils::CTypedValue number;
    number.SetDouble(first);
    orvell::utils::CTypedValue text;
    text.SetString(CString("second"));
    orvell::utils::CTypedValue list;
    list.SetArray({number, text});
    EXPECT_TRUE(model.GetOptionsManager()->SetValue(CString("NamedOptions"), CString("Glimra.List"), list));
}

// A model that holds each of the given numbers once, each in a different kind of place
// a coordinate, direction, length or angle is read from; pages and the model's own
// settings are set after the pages copied them, so that each number stays alone.
void BuildModelOfDistinctNumbers(CTarnwickModel& model)
{
    const CurrentModelScope scope(&model);
    const CUndoSuspender suspender;
    for (const char* name : {"Front", "Back"}) {
        auto* page = new CViewPage(name, "", CViewPage::kAllProperties);
        model.GetPageList()->AddPage(page, -1);
        page->CopyFromModel(model, CViewPage::kAllProperties, false);
    }
    CComponent& root = *model.GetRootComponent();
    root.Add(new CEdge(new CVertex(CPoint3d(1001.25, 0, 0)), new CVertex(CPoint3d(0, 0, 0)), false));
    const double z = 1002.25;  // the face's plane holds -z
    CVertex* corners[3] = {new CVertex(CPoint3d(0, 0, z)), new CVertex(CPoint3d(1, 0, z)),
                           new CVertex(CPoint3d(0, 1, z))};
    std::vector<CEdge*> edges;
    for (int i = 0; i < 3; ++i) {
        edges.push_back(new CEdge(corners[i], corners[(i + 1) % 3], false));
        root.Add(edges.back());
    }
    auto* face = new CFace(3, edges.data(), CPlane3d(CPoint3d(0, 0, z), CVector3d(0, 0, 1)));
    root.Add(face);
    auto* coords = new CFaceTextureCoords;
    Matrix3 shifted = Matrix3Identity();
    shifted[6] = 1025.25;
    coords->SetFrontMatrix(shifted);
    coords->SetFrontProjection(CVector3d(1028.25, 0, 0), false);  // kept, not used
    CTexturePlacement unused;
    unused.matrix[6] = 1029.25;  // no flags: not used
    coords->SetBackPlacement(unused);
    face->GetOrCreateAttributeContainer(coords);
    auto* definition = new CComponentDefinition;
    modelfiletest::AddSquare(*definition, 2.0);
    definition->SetInsertionPoint(CPoint3d(1004.25, 0, 0), false);
    model.GetDefinitionList()->AddDefinition(definition, false);
    auto* instance = new CComponentInstance;
    definition->AddInstance(instance);
    CTransformation placement;
    placement.SetTranslation(CVector3d(1003.25, 0, 0));
    instance->SetTransform(placement);
    root.Add(instance);
    root.Add(new CConstructionPoint(CPoint3d(1005.25, 0, 0)));
    root.Add(new CConstructionLine(CBoundedLine3d(CPoint3d(1006.25, 0, 0), CPoint3d(1006.25, 0, 3))));
    root.Add(new CPolyline3d({CPoint3d(1007.25, 0, 0), CPoint3d(0, 0, 0)}));
    root.Add(new CSectionPlane(CPlane3d(CPoint3d(0, 0, 1008.25), CVector3d(0, 0, 1))));
    auto* text = new CText;
    text->SetAnchor(CModelPointRef(CPoint3d(1009.25, 0, 0)), false);
    text->SetLeaderKindValue(CText::kModelLeader);
    text->SetLeaderVector(1010.25, 0, 0);
    text->SetScreenPosition(0.3125, 0.6875);
    text->SetNormal(CVector3d(1027.25, 0, 1));
    root.Add(text);
    auto* linear = new CDimensionLinear;
    linear->SetPoints(CModelPointRef(CPoint3d(1011.25, 0, 0)), CModelPointRef(CPoint3d(0, 0, 0)));
    linear->SetOffset(1012.25);
    root.Add(linear);
    auto* radial = new CDimensionRadial;
    radial->SetLeader(0.8125, 1013.25);
    root.Add(radial);
    model.GetDrawingAxes()->SetAxes(CPoint3d(1014.25, 0, 0), CVector3d(1019.25, 0, 0), CVector3d(0, 1, 0),
                                    CVector3d(0, 0, 1));
    model.GetCamera().SetView(CPoint3d(1015.25, 0, 10), CPoint3d(0, 1020.25, 0), CVector3d(0, 1, 0), 1.0, 1000.0,
                              true, 37.25, 100.0);
    CCamera pageCamera = model.GetCamera();
    pageCamera.SetView(CPoint3d(1016.25, 0, 10), CPoint3d(0, 0, 0), CVector3d(0, 1, 0), 1.0, 1000.0, true, 35.0,
                       100.0);
    static_cast<CViewPage*>(model.GetPageList()->GetPage(1))->SetCamera(pageCamera);
    model.GetCamera().SetAspectRatio(1.4375);
    model.GetCamera().SetImageWidth(1026.25);
    auto* first = static_cast<CViewPage*>(model.GetPageList()->GetPage(0));
    first->SetSlideTime(1023.25);
    first->SetTransitionTime(1024.25);
    const struct
    {
        const char* provider;
        const char* key;
        double value;
    } options[] = {{"UnitsOptions", "LengthSnapLength", 1017.25},
                   {"NamedOptions", "Glimra.Note", 1021.25},
                   {"SlideshowOptions", "SlideTime", 1022.25}};
    for (const auto& option : options) {
        orvell::utils::CTypedValue value;
        value.SetDouble(option.value);
        EXPECT_TRUE(model.GetOptionsManager()->SetValue(CString(option.provider), CString(option.key), value));
    }
    SetNamedPoint(model, 1030.25);
    SetNamedList(model, 1031.25);
}

template <typename T>
T* FindInRoot(CTarnwickModel& model)
{
    for (CDrawingElement* element : model.GetRootComponent()->GetEntityList()) {
        if (auto* found = dynamic_cast<T*>(element)) {
            return found;
        }
    }
    return nullptr;
}

const CViewPage& PageOf(CTarnwickModel& model, int index)
{
    return *static_cast<const CViewPage*>(model.GetPageList()->GetPage(index));
}

orvell::utils::CTypedValue OptionOf(CTarnwickModel& model, const char* provider, const char* key)
{
    return model.GetOptionsManager()->GetProvider(CString(provider))->GetValue(CString(key));
}

CFaceTextureCoords* CoordsOf(CTarnwickModel& model)
{
    return GetFaceTextureCoords(FindInRoot<CFace>(model));
}

Bytes SavedWithoutStamp(CTarnwickModel& model)
{
    return modelfiletest::WithoutStamp(modelfiletest::WriteModel(model, kSaveFormat5000), kSaveFormat5000);
}

}  // namespace

// A NaN corner of a hole once crashed the tessellator, and other numbers that are not
// finite drew wrong shapes.
TEST_F(ModelFileTest, ANumberThatIsNotFiniteWhereGeometryIsReadRefusesTheFileAndLeavesAnEmptyModel)
{
    OwnedModel built;
    BuildModelOfDistinctNumbers(*built);
    const Bytes file = modelfiletest::WriteModel(*built, kSaveFormat5000);
    const struct
    {
        const char* place;
        double number;
    } places[] = {
        {"vertex", 1001.25},          {"face plane", -1002.25},     {"placement", 1003.25},
        {"guide point", 1005.25},     {"guide line", 1006.25},
        {"polyline", 1007.25},        {"section plane", -1008.25},  {"text anchor", 1009.25},
        {"text leader", 1010.25},     {"dimension point", 1011.25}, {"dimension offset", 1012.25},
        {"radial leader", 1013.25},   {"field of view", 37.25},
    };
    OwnedModel model;
    for (const auto& place : places) {
        for (const double bad : entitytest::kNonFinite) {
            SCOPED_TRACE(std::string(place.place) + " as " + std::to_string(bad));
            const Bytes damaged = entitytest::WithDoubleReplaced(file, place.number, bad);
            EXPECT_EQ(entitytest::ArchiveReason([&] { modelfiletest::ReadModel(*model, damaged); }),
                      entitytest::kNotFiniteReason);
            ExpectEmpty(*model);
        }
    }
    // Negative zero is finite.
    EXPECT_NO_THROW(modelfiletest::ReadModel(*model, entitytest::WithDoubleReplaced(file, 1001.25, -0.0)));

    OwnedModel holed;
    BuildNonFiniteHoleModel(*holed, 1);
    const Bytes nanHole = modelfiletest::WriteModel(*holed, kSaveFormat5000);
    EXPECT_LT(nanHole.size(), 4096u);
    OwnedModel refused;
    EXPECT_EQ(entitytest::ArchiveReason([&] { modelfiletest::ReadModel(*refused, nanHole); }),
              entitytest::kNotFiniteReason);
    ExpectEmpty(*refused);
}

// A file that opened before numbers were checked opens again where the record has a
// repair of its own for the number: the repair is taken and said once.
TEST_F(ModelFileTest, ANumberThatIsNotFiniteWhereTheRecordHasARepairOpensRepairedAndSaysSoOnce)
{
    OwnedModel built;
    BuildModelOfDistinctNumbers(*built);
    const Bytes file = modelfiletest::WriteModel(*built, kSaveFormat5000);
    using Repaired = bool (*)(CTarnwickModel&);
    const struct
    {
        const char* place;
        double number;
        Repaired repaired;
    } places[] = {
        {"camera eye", 1015.25, [](CTarnwickModel& m) { return m.GetCamera().GetEye() == CPoint3d(0, 0, 1); }},
        {"camera target", 1020.25,
         [](CTarnwickModel& m) { return m.GetCamera().GetTarget() == CPoint3d(1015.25, 0, 9); }},
        {"page camera eye", 1016.25,
         [](CTarnwickModel& m) { return PageOf(m, 1).GetCamera().GetEye() == CPoint3d(0, 0, 1); }},
        {"page slide time", 1023.25, [](CTarnwickModel& m) { return PageOf(m, 0).GetOwnSlideTime() == -1.0; }},
        {"page transition time", 1024.25,
         [](CTarnwickModel& m) { return PageOf(m, 0).GetOwnTransitionTime() == -1.0; }},
        {"snap length", 1017.25,
         [](CTarnwickModel& m) { return OptionOf(m, "UnitsOptions", "LengthSnapLength").AsDouble() == 0.0625; }},
        {"slide time", 1022.25,
         [](CTarnwickModel& m) { return OptionOf(m, "SlideshowOptions", "SlideTime").AsDouble() == 1.0; }},
        {"dimension threshold", 0.6,
         [](CTarnwickModel& m) { return m.GetDimensionStyle()->GetObliqueThreshold() == 0.0; }},
        {"text position", 0.3125, [](CTarnwickModel& m) { return FindInRoot<CText>(m)->GetScreenX() == 0.5; }},
        {"text position", 0.6875, [](CTarnwickModel& m) { return FindInRoot<CText>(m)->GetScreenY() == 0.5; }},
        {"axes origin", 1014.25, [](CTarnwickModel& m) { return m.GetDrawingAxes()->GetOrigin() == CPoint3d(); }},
        {"axes x axis", 1019.25,
         [](CTarnwickModel& m) { return m.GetDrawingAxes()->GetAxis(0) == CVector3d(1, 0, 0); }},
    };
    OwnedModel model;
    for (const auto& place : places) {
        for (const double bad : entitytest::kNonFinite) {
            SCOPED_TRACE(std::string(place.place) + " as " + std::to_string(bad));
            const std::string said = ReadSaying(*model, entitytest::WithDoubleReplaced(file, place.number, bad));
            EXPECT_TRUE(place.repaired(*model));
            EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
            EXPECT_EQ(said.rfind("glimra: ", 0), 0u) << said;
        }
    }
    const double nan = entitytest::kNonFinite[0];
    const Bytes twice = entitytest::WithDoubleReplaced(entitytest::WithDoubleReplaced(file, 0.3125, nan), 0.6875, nan);
    const std::string said = ReadSaying(*model, twice);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

// Stored values the program never draws with, or uses only once it changes them, once
// refused the file or were lost from it. Each opens: a value the program uses is mended
// where it would be used, a named value is the model's own and is kept; the read says so
// once, and a save writes the value so and every other value as it came.
TEST_F(ModelFileTest, AStoredNumberThatIsNotFiniteIsMendedWhereItIsUsedOrKeptAndASaveKeepsTheRest)
{
    using Expect = void (*)(CTarnwickModel&, double);
    const struct
    {
        const char* place;
        double number;
        Expect expect;  // what the read makes of the sound model, by the model's own operations
    } places[] = {
        {"named number", 1021.25,
         [](CTarnwickModel& m, double bad) {
             orvell::utils::CTypedValue value;
             value.SetDouble(bad);
             (void)m.GetOptionsManager()->SetValue(CString("NamedOptions"), CString("Glimra.Note"), value);
         }},
        {"named point", 1030.25, [](CTarnwickModel& m, double bad) { SetNamedPoint(m, bad); }},
        {"named list", 1031.25, [](CTarnwickModel& m, double bad) { SetNamedList(m, bad); }},
        {"camera aspect ratio", 1.4375, [](CTarnwickModel& m, double) { m.GetCamera().SetAspectRatio(0.0); }},
        {"camera film width", 1026.25, [](CTarnwickModel& m, double) { m.GetCamera().SetImageWidth(0.0); }},
        {"placement matrix in use", 1025.25,
         [](CTarnwickModel& m, double) {
             CoordsOf(m)->SetFrontPlacement(CTexturePlacement());
         }},
        {"placement direction not projected", 1028.25,
         [](CTarnwickModel& m, double) {
             CoordsOf(m)->SetFrontProjection(CVector3d(), false);
         }},
        {"placement matrix not positioned", 1029.25,
         [](CTarnwickModel& m, double) {
             CoordsOf(m)->SetBackPlacement(CTexturePlacement());
         }},
        {"insertion point", 1004.25,
         [](CTarnwickModel& m, double) { m.GetDefinitionList()->GetDefinition(0)->ResetInsertionPoint(); }},
        {"text normal", 1027.25, [](CTarnwickModel& m, double) { FindInRoot<CText>(m)->SetNormal({0, 0, 1}); }},
    };
    OwnedModel built;
    BuildModelOfDistinctNumbers(*built);
    const Bytes file = modelfiletest::WriteModel(*built, kSaveFormat5000);
    for (const auto& place : places) {
        for (const double bad : entitytest::kNonFinite) {
            SCOPED_TRACE(std::string(place.place) + " as " + std::to_string(bad));
            OwnedModel read;
            const std::string said = ReadSaying(*read, entitytest::WithDoubleReplaced(file, place.number, bad));
            EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
            OwnedModel expected;
            modelfiletest::ReadModel(*expected, file);
            {
                const CurrentModelScope scope(&*expected);
                const CUndoSuspender suspender;
                place.expect(*expected, bad);
            }
            const Bytes saved = SavedWithoutStamp(*read);
            EXPECT_EQ(modelfiletest::FirstDifference(saved, SavedWithoutStamp(*expected)), -1);
            OwnedModel again;
            (void)ReadSaying(*again, saved);
            EXPECT_EQ(modelfiletest::FirstDifference(SavedWithoutStamp(*again), saved), -1);
        }
    }
}

namespace {

// A square whose root list names its face again where its third edge stood, as the
// writer writes it: the face comes first, so the edges in the list are references
// to edges its loop wrote already.
Bytes WriteSquare(bool faceTwice)
{
    OwnedModel model;
    const CurrentModelScope scope(&*model);
    const CUndoSuspender suspender;
    CComponent& root = *model->GetRootComponent();
    CVertex* corners[4] = {new CVertex(CPoint3d(0, 0, 0)), new CVertex(CPoint3d(1, 0, 0)),
                           new CVertex(CPoint3d(1, 1, 0)), new CVertex(CPoint3d(0, 1, 0))};
    CEdge* edges[4];
    for (int i = 0; i < 4; ++i) {
        edges[i] = new CEdge(corners[i], corners[(i + 1) % 4], false);
    }
    auto* face = new CFace(4, edges, CPlane3d(CPoint3d(), CVector3d(0, 0, 1)));
    CDrawingElement* const third = faceTwice ? static_cast<CDrawingElement*>(face) : edges[2];
    for (CDrawingElement* element : std::initializer_list<CDrawingElement*>{face, edges[0], edges[1], third, edges[3]}) {
        root.Add(element);
    }
    const Bytes bytes = modelfiletest::WriteModel(*model, kSaveFormat5000);
    if (faceTwice) {
        // Whole again, so that the model lets each element go once.
        while (root.Remove(face)) {
        }
        root.Add(face);
        root.Add(edges[2]);
    }
    return bytes;
}

}  // namespace

// One damaged reference once opened silently: the edges it stood for were gone from the
// component while the face still used them, and a save wrote the model without them.
TEST_F(ModelFileTest, AnEmptyEntryOrOneNamingAnElementListedAlreadyIsCountedAndTheFacesEdgesAreTakenBackIn)
{
    const Bytes sound = WriteSquare(false);
    const Bytes twice = WriteSquare(true);
    ASSERT_EQ(twice.size(), sound.size());
    std::vector<std::size_t> differ;
    // Each write makes the model an identifier of its own and stamps its second; what
    // follows both is compared.
    for (std::size_t i = modelfiletest::StampOffset(kSaveFormat5000) + 8; i < sound.size(); ++i) {
        if (sound[i] != twice[i]) {
            differ.push_back(i);
        }
    }
    // One reference: a little-endian word whose high byte is 0 for so small a file.
    ASSERT_EQ(differ.size(), 1u);
    ASSERT_EQ(sound[differ[0] + 1], 0);
    Bytes empty = sound;
    empty[differ[0]] = 0;
    const struct
    {
        const char* name;
        const Bytes& bytes;
        std::uint64_t leftOut;
    } rows[] = {{"sound", sound, 0}, {"the face named twice", twice, 1}, {"an empty entry", empty, 1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        OwnedModel model;
        const std::string said = ReadSaying(*model, row.bytes);
        EXPECT_EQ(model->GetLoadStatus(), CTarnwickModel::kLoadOk);
        EXPECT_EQ(model->GetLeftOutEntryCount(), row.leftOut);
        EXPECT_EQ(said.find("the edge is put back") != std::string::npos, row.leftOut != 0) << said;
        const CComponent& root = *model->GetRootComponent();
        ASSERT_EQ(root.GetCount(), 5);
        const CFace* face = FindInRoot<CFace>(*model);
        for (const CEdgeUse* use : UsesOf(face->GetOuterLoop())) {
            EXPECT_EQ(use->GetEdge()->GetParent(), &root);
        }
        // What a save writes holds the whole square.
        OwnedModel again;
        modelfiletest::ReadModel(*again, modelfiletest::WriteModel(*model, kSaveFormat5000));
        EXPECT_EQ(again->GetRootComponent()->GetCount(), 5);
        EXPECT_EQ(again->GetLeftOutEntryCount(), 0u);
    }
}
