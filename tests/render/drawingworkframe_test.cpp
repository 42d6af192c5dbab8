// The count made at opening and the frame meter speak one unit: for a small model of each
// class of element, read from its file as the program reads it, one whole frame charges
// the meter no more than the count admitted with its margin, and the count is not far
// above what the frame charged either (a class the count misjudged is cut or refused),
// whether the rasteriser fills on one thread, two or eight.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "annotations/constructionline.h"
#include "annotations/constructionpoint.h"
#include "document/camera.h"
#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/definitionlist.h"
#include "document/image.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/tarnwickmodel.h"
#include "document/texture.h"
#include "document/utctime.h"
#include "foundation/boundedline3d.h"
#include "foundation/framemeter.h"
#include "foundation/transformation.h"
#include "foundation/versioninfo.h"
#include "model/face.h"
#include "model/undosuspender.h"
#include "samplegen/faceshapes.h"
#include "samplegen/geometrybuilder.h"
#include "samplegen/gridmodel.h"
#include "samplegen/linemodels.h"
#include "samplegen/modelfiles.h"
#include "samplegen/placementmodels.h"
#include "samplegen/stressmodels.h"
#include "tests/render/modelframefixture.h"
#include "tests/render/picturesupport.h"

namespace {

// The frame the count weighs filling the view for: filling costs with its pixels.
constexpr int kFrameWidth = 1280;
constexpr int kFrameHeight = 1024;
// What a frame may charge besides the model's elements.
constexpr std::uint64_t kFrameUnits = 1000;

void LookDownOn(CTarnwickModel& model, double side)
{
    const CPoint3d target(side / 2.0, side / 2.0, 0.0);
    CCamera camera;
    camera.SetView(CPoint3d(target.x, target.y - side, 2.0 * side), target, CVector3d(0, 0, 1), 1.0, 1000.0, true,
                   35.0, side);
    model.SetCamera(camera);
}

void SunShadows(CTarnwickModel& model)
{
    model.GetShadowInfo()->SetDateTime(CUtcTime(2020, 6, 21, 15, 0, 0));
    model.GetShadowInfo()->SetDisplayShadows(true);
}

// Lines standing free a unit above the ground, in rows.
void BuildEdges(CTarnwickModel& model, int count, bool shadows)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    const CGeometryBuilder builder(*model.GetRootComponent());
    for (int i = 0; i < count; ++i) {
        const double x = i % 50;
        const double y = 2.0 * (i / 50);
        (void)builder.Edge(builder.Vertex(CPoint3d(x, y, 1.0)), builder.Vertex(CPoint3d(x + 0.5, y + 1.0, 1.5)));
    }
    if (shadows) {
        SunShadows(model);
        model.GetShadowInfo()->SetFromEdges(true);
    }
    LookDownOn(model, 50.0);
}

// Construction points, with and without their segment, then construction lines, as a
// user places them one after another.
void BuildGuides(CTarnwickModel& model, int count)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    CComponent& root = *model.GetRootComponent();
    const auto place = [](int i) { return CPoint3d(i % 50, 2.0 * (i / 50), 0.0); };
    for (int i = 0; i < count; ++i) {
        const CPoint3d at = place(i);
        root.Add(i % 2 == 0 ? new CConstructionPoint(at) : new CConstructionPoint(at, at + CVector3d(0.5, 0.5, 0)));
    }
    for (int i = 0; i < count; ++i) {
        root.Add(new CConstructionLine(CBoundedLine3d(place(i), place(i) + CVector3d(0.5, 1.0, 0.0))));
    }
    LookDownOn(model, 50.0);
}

// Pictures placed side by side, each of its own picture of side pixels.
void BuildPictures(CTarnwickModel& model, int count, int side)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    CComponent& root = *model.GetRootComponent();
    for (int i = 0; i < count; ++i) {
        auto* definition = new CComponentDefinition;
        root.GetDefinitionList()->Add(definition);
        const CGeometryBuilder builder(*definition);
        CFace* face = builder.Face({builder.Vertex(CPoint3d(0, 0, 0)), builder.Vertex(CPoint3d(1, 0, 0)),
                                    builder.Vertex(CPoint3d(1, 1, 0)), builder.Vertex(CPoint3d(0, 1, 0))},
                                   CVector3d(0, 0, 1));
        auto* texture = new CTexture;
        const std::vector<std::uint32_t> pixels(static_cast<std::size_t>(side) * side, 0xFF204080U + i);
        texture->SetImage(MakeTestPicture(side, side, pixels));
        texture->SetWidth(1.0);
        texture->SetHeight(1.0);
        auto* material = new CMaterial;
        material->SetName(CString::FromUtf8("Picture " + std::to_string(i)));
        material->SetTexture(texture);
        material->SetKind(kMaterialTexture);
        root.GetMaterialManager()->AddMaterial(material);
        face->SetMaterial(material);
        auto* image = new CImage;
        definition->AddInstance(image);
        CTransformation transform;
        transform.SetTranslation(CVector3d(2.0 * i, 0.0, 0.0));
        image->SetTransform(transform);
        root.Add(image);
    }
    LookDownOn(model, 2.0 * count);
}

// Unit boxes placed side by side along x, each through the shape, seen along the row in
// parallel as its copies are drawn over one another.
void BuildShapedRow(CTarnwickModel& model, const CTransformation& shape, double gap = 1.0)
{
    BuildShapedBoxesModel(model, shape, 16, gap);
    CBoundingBox3d box;
    model.GetRootComponent()->GetExtents(box);
    const CPoint3d target((box.xmin + box.xmax) / 2.0, (box.ymin + box.ymax) / 2.0, (box.zmin + box.zmax) / 2.0);
    const double size = std::max(box.ymax - box.ymin, box.zmax - box.zmin);
    CCamera camera;
    camera.SetView(CPoint3d(box.xmin - size, target.y, target.z), target, CVector3d(0, 0, 1), 1.0, 1000.0, false,
                   35.0, size);
    model.SetCamera(camera);
}

struct ClassRow
{
    const char* name;
    std::function<void(CTarnwickModel&)> build;
};

class DrawingWorkFrameTest : public GLContextTest
{
protected:
    void SetUp() override { MakeCurrent(kFrameWidth, kFrameHeight, 8); }

    struct Weighed
    {
        std::uint64_t counted = 0;
        std::uint64_t charged = 0;
    };

    // The model built, written and read back as a file is, then one whole frame of it
    // from its camera.
    static Weighed Weigh(const ClassRow& row)
    {
        auto* built = new CTarnwickModel;
        row.build(*built);
        const ModelBytes bytes = WriteModelBytes(*built, kSaveFormat5000);
        built->Release();
        auto* model = new CTarnwickModel;
        ReadModelBytes(bytes, *model);
        HideModelAxes(*model);
        Weighed weighed{model->GetDrawingWork(), 0};
        {
            const CurrentModelScope scope(model);
            FrameView view(true);
            view.SetModel(model);
            view.SetViewportSize(kFrameWidth, kFrameHeight);
            view.InitGLState();
            view.SetCamera(model->GetCamera(), 0.0);
            const CFrameMeter::CScope meter(UINT64_MAX / 2, true);
            view.DrawFrame(0, false);
            glFinish();
            weighed.charged = meter.GetUsed();
            view.SetModel(nullptr);
        }
        model->Release();
        return weighed;
    }
};

TEST_F(DrawingWorkFrameTest, AWholeFrameChargesAboutWhatTheCountAdmitted)
{
    const ClassRow rows[] = {
        {"triangles", [](CTarnwickModel& m) { BuildGridModel(m, 4000); }},
        // Enough faces and edges for the count to take them in chunks on several cores.
        {"a mesh counted in chunks", [](CTarnwickModel& m) { BuildGridModel(m, 40000); }},
        {"a concave face", [](CTarnwickModel& m) { BuildStarModel(m, 400); }},
        {"a face with holes", [](CTarnwickModel& m) { BuildHolesModel(m, 100); }},
        {"a face with crossing holes", [](CTarnwickModel& m) { (void)BuildFaceShapeModel(m, "strips", 40); }},
        {"placements of a face with openings, straight runs and crossing holes",
         [](CTarnwickModel& m) { (void)BuildFaceShapeModel(m, "ladderopen", 2000, 1); }},
        {"placements of a concave face", [](CTarnwickModel& m) { BuildStarPlacementsModel(m, 20, 100); }},
        // The face is cut once, for every placement and the shadows' roads.
        {"placements of a face with straight runs and crossing holes",
         [](CTarnwickModel& m) { (void)BuildFaceShapeModel(m, "ladder", 2000, 20); }},
        {"placements of a face with straight runs and crossing holes, shadows on",
         [](CTarnwickModel& m) {
             (void)BuildFaceShapeModel(m, "ladder", 2000, 20);
             SunShadows(m);
         }},
        {"edges", [](CTarnwickModel& m) { BuildEdges(m, 2000, false); }},
        {"edges in every style",
         [](CTarnwickModel& m) {
             BuildStarModel(m, 400);
             CRenderingOptions& options = *m.GetRenderingOptions();
             options.SetJitterEdges(true);
             options.SetExtendEdges(true);
             options.SetDrawProfiles(true);
             options.SetDepthCue(true);
             options.SetDrawEndpoints(true);
         }},
        {"construction points and lines", [](CTarnwickModel& m) { BuildGuides(m, 1000); }},
        {"polylines", [](CTarnwickModel& m) { BuildPolylinesModel(m, 4, 2000); }},
        {"labels", [](CTarnwickModel& m) { BuildShortLabelsModel(m, 40); }},
        {"labels in a large font", [](CTarnwickModel& m) { BuildBigFontLabelsModel(m, 3); }},
        {"dimensions", [](CTarnwickModel& m) { BuildDimensionsModel(m, 40, 30); }},
        {"pictures of materials", [](CTarnwickModel& m) { BuildMaterialsModel(m, 6, 0, 256); }},
        {"images", [](CTarnwickModel& m) { BuildPictures(m, 6, 256); }},
        {"placements", [](CTarnwickModel& m) { BuildNestedSquaresModel(m, 20, 20); }},
        {"placements, shadows on", [](CTarnwickModel& m) { BuildShadowedNestedSquaresModel(m, 20, 20); }},
        {"standing faces, shadows on", [](CTarnwickModel& m) { BuildShadowedModel(m, 2); }},
        {"copies drawn over equal copies",
         [](CTarnwickModel& m) {
             BuildSharedModel(m, {{200}, 2, true});
             LookDownOn(m, 1.0);
         }},
        {"faces drawn over equal faces", [](CTarnwickModel& m) { BuildFacesFirstRingModel(m, 200); }},
        {"edges, shadows on", [](CTarnwickModel& m) { BuildEdges(m, 2000, true); }},
        {"long lines across the view", [](CTarnwickModel& m) { BuildLongEdgesModel(m, 500, 4); }},
        {"wide profiles across the view", [](CTarnwickModel& m) { BuildLongEdgesModel(m, 200, 2, 20); }},
        {"short jittered edges with end ticks", [](CTarnwickModel& m) { BuildShortEdgesModel(m, 2000, 2, true); }},
        {"volumes under a low sun", [](CTarnwickModel& m) { BuildFinsModel(m, 300); }},
        {"copies flattened along one axis",
         [](CTarnwickModel& m) { BuildShapedRow(m, CTransformation::Scaling(0.1, 1.0, 1.0), 0.0); }},
        {"copies stretched along two axes",
         [](CTarnwickModel& m) { BuildShapedRow(m, CTransformation::Scaling(1.0, 30.0, 30.0)); }},
        {"copies stretched along three axes",
         [](CTarnwickModel& m) { BuildShapedRow(m, CTransformation::Scaling(2.0, 20.0, 25.0)); }},
        // Each shrunk to a speck by its stored scale: its triangles still sent and set up.
        {"copies shrunk by their scale",
         [](CTarnwickModel& m) {
             CTransformation speck;
             speck.SetUniformScale(1e-15);
             BuildStackedShapesModel(m, speck, 64, false, false);
         }},
        {"mirrored copies", [](CTarnwickModel& m) { BuildShapedRow(m, CTransformation::Scaling(-1.0, 20.0, 20.0)); }},
        {"sheared copies",
         [](CTarnwickModel& m) {
             BuildShapedRow(m, CTransformation(CVector3d(1, 0, 0), CVector3d(0, 20, 0), CVector3d(0, 2, 20), {}));
         }},
        // Triangles from side to side of a face of many corners, each set up in every
        // screen tile it reaches: once admitted and cut at every frame.
        {"faces of many corners drawn over equal faces", [](CTarnwickModel& m) { BuildSharedRingModel(m, 20); }},
        {"faces sorted by their boxes' centres",
         [](CTarnwickModel& m) {
             BuildGridModel(m, 4000);
             m.GetRenderingOptions()->SetTransparentDisplay(true);
             m.GetRenderingOptions()->SetTransparencyQuality(1);
         }},
    };
    // The pixels are shared among the rasteriser's threads, the setups are not.
    for (const unsigned threads : {1U, 2U, 8U}) {
        CFrameMeter::SetRasterThreads(threads);
        for (const ClassRow& row : rows) {
            const Weighed weighed = Weigh(row);
            EXPECT_LE(weighed.charged, weighed.counted * 3 / 2 + kFrameUnits)
                << row.name << " on " << threads << " threads: counted " << weighed.counted;
            EXPECT_LE(weighed.counted, 4 * weighed.charged + kFrameUnits)
                << row.name << " on " << threads << " threads: charged " << weighed.charged;
        }
    }
    CFrameMeter::SetRasterThreads(2);
}

}  // namespace
