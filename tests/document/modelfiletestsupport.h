#pragma once
// Support for the model-file tests: a small model built through the API (a coloured
// face on its own layer, a component definition with one instance, a guide point, two
// pages, a preview picture and a description), whole files written and read
// through the model, and the pieces of hand-built files.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "annotations/constructionpoint.h"
#include "document/classregistration.h"
#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/definitionlist.h"
#include "document/dib.h"
#include "document/layermanager.h"
#include "document/materialmanager.h"
#include "document/pagelist.h"
#include "document/viewpage.h"
#include "document/tarnwickmodel.h"
#include "document/versionmap.h"
#include "foundation/modelid.h"
#include "foundation/plane3d.h"
#include "model/edge.h"
#include "model/face.h"
#include "model/undosuspender.h"
#include "model/vertex.h"
#include "platform/archive.h"
#include "platform/memfile.h"
#include "tests/document/imagetestsupport.h"
#include "tests/document/ownedmodel.h"
#include "tests/document/settingstestsupport.h"

namespace modelfiletest {

using settingstest::Bytes;
using settingstest::RecordBuilder;

using modeltest::OwnedModel;

// A square face of the given size in the component, its edges made with it.
inline CFace* AddSquare(CComponent& component, double size)
{
    CVertex* corners[4] = {new CVertex(CPoint3d(0, 0, 0)), new CVertex(CPoint3d(size, 0, 0)),
                           new CVertex(CPoint3d(size, size, 0)), new CVertex(CPoint3d(0, size, 0))};
    std::vector<CEdge*> edges;
    for (int i = 0; i < 4; ++i) {
        auto* edge = new CEdge(corners[i], corners[(i + 1) % 4], false);
        component.Add(edge);
        edges.push_back(edge);
    }
    auto* face = new CFace(4, edges.data(), CPlane3d(CPoint3d(0, 0, 0), CVector3d(0, 0, 1)));
    component.Add(face);
    return face;
}

inline CDib* MakePicture()
{
    auto bmp = imagetest::MakeFilledBitmap(2, 2, 0xFF336699, false);
    auto* dib = new CDib;
    dib->Create(bmp.release(), 0, 2, 2, false);
    return dib;
}

// Fills an empty model with one of everything the frame carries.
inline void BuildSampleModel(CTarnwickModel& model)
{
    const CurrentModelScope scope(&model);
    const CUndoSuspender suspender;
    CComponent& root = *model.GetRootComponent();
    CLayer* layer = model.GetLayerManager()->AddLayer(CString("Walls"));
    CMaterial* red = model.GetMaterialManager()->FindOrCreateColorMaterial(CColor(200, 30, 30, 255));
    CFace* face = AddSquare(root, 10.0);
    face->SetMaterial(red);
    face->SetLayer(layer);
    auto* definition = new CComponentDefinition;
    definition->SetName(CString("Box"));
    AddSquare(*definition, 2.0);
    model.GetDefinitionList()->AddDefinition(definition, false);
    auto* instance = new CComponentInstance;
    definition->AddInstance(instance);
    instance->SetTransform(CTransformation::Scaling(2.0, 2.0, 2.0));
    root.Add(instance);
    root.Add(new CConstructionPoint(CPoint3d(1, 2, 3)));
    model.SetDescription(CString("A small sample"));
    model.SetPreviewImage(MakePicture());
    model.SetRedefineThumbnailOnSave(false);
    model.GetCamera().SetView(CPoint3d(10, 20, 30), CPoint3d(10, 20, 0), CVector3d(0, 1, 0), 1.0, 1000.0, true,
                              35.0, 100.0);
    for (const char* name : {"Front", "Back"}) {
        auto* page = new CViewPage(name, "", CViewPage::kAllProperties);
        model.GetPageList()->AddPage(page, -1);
        page->CopyFromModel(model, CViewPage::kAllProperties, false);
    }
    model.GetPageList()->SetSelectedPage(model.GetPageList()->GetPage(0));
}

// The whole file, written in the save format through the model.
inline Bytes WriteModel(CTarnwickModel& model, int saveFormat)
{
    SetSaveFormat(saveFormat);
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        model.Serialize(ar);
        ar.Close();
    }
    EXPECT_EQ(GetSaveFormat(), kSaveFormat5000);
    return file.Detach();
}

// Reads the bytes into the model as the document does; archive exceptions pass on.
inline void ReadModel(CTarnwickModel& model, const Bytes& bytes)
{
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load);
    model.Serialize(ar);
}

// Reads the bytes into the model and answers what the read said on standard error.
inline std::string ReadSaying(CTarnwickModel& model, const Bytes& bytes)
{
    ::testing::internal::CaptureStderr();
    EXPECT_NO_THROW(ReadModel(model, bytes));
    return ::testing::internal::GetCapturedStderr();
}

// Where the time stamp stands: after the magic, the version text, the identifier and
// the dropped string.
inline std::size_t StampOffset(int saveFormat)
{
    return settingstest::Store(
               [](CArchive& ar) {
                   ArchiveWriteString(ar, CString("Tarnwick Model"));
                   CVersionInfo().Serialize(ar);
                   GUID id{};
                   SerializeGuid(id, ar);
                   ArchiveWriteString(ar, CString());
               },
               saveFormat)
        .size();
}

// The file with its time stamp zeroed, for comparisons.
inline Bytes WithoutStamp(Bytes bytes, int saveFormat)
{
    const std::size_t offset = StampOffset(saveFormat);
    if (bytes.size() >= offset + 8) {
        std::memset(bytes.data() + offset, 0, 8);
    }
    return bytes;
}

// The first offset at which the two differ (the shorter length when one is a prefix);
// -1 when they are equal. Failures then name a place rather than two long dumps.
inline long FirstDifference(const Bytes& a, const Bytes& b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (a[i] != b[i]) {
            return static_cast<long>(i);
        }
    }
    return a.size() == b.size() ? -1 : static_cast<long>(common);
}

// A class-version map: the current one with some entries changed.
// An old name given here stands in for the new one, which the map then leaves out.
inline CVersionMap MapWith(std::initializer_list<std::pair<const char*, int>> changes)
{
    CVersionMap map;
    for (const auto& [name, version] : GetVersionMapCurrent()->GetEntries()) {
        const bool renamed = std::any_of(changes.begin(), changes.end(), [&name](const auto& change) {
            return std::string(change.first) == "CETarnisDoc" && name == "CTarnwickModel";
        });
        if (!renamed) {
            map.SetVersion(name, version);
        }
    }
    for (const auto& [name, version] : changes) {
        map.SetVersion(name, version);
    }
    return map;
}

// True when the 8-bit class name stands anywhere in the bytes (class tags carry it so).
inline bool NamesClass(const Bytes& bytes, const std::string& name)
{
    const std::string text(bytes.begin(), bytes.end());
    return text.find(name) != std::string::npos;
}

}  // namespace modelfiletest
