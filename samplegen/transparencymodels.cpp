#include "samplegen/transparencymodels.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "document/camera.h"
#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "document/renderingoptions.h"
#include "document/tarnwickmodel.h"
#include "model/face.h"
#include "model/undosuspender.h"
#include "samplegen/geometrybuilder.h"
#include "samplegen/placing.h"

namespace {

constexpr double kRadius = 10.0;
// Placements stand this far apart, so that their discs do not overlap one another.
constexpr double kSpacing = 2.5 * kRadius;

CMaterial* Glass(CTarnwickModel& model, const CColor& colour)
{
    CMaterial* glass = model.GetRootComponent()->GetMaterialManager()->FindOrCreateColorMaterial(colour);
    glass->SetUseTransparency(true);
    glass->SetTransparency(0.5);
    return glass;
}

// A disc about the origin in the plane spanned by the two axes.
void AddDisc(CComponent& component, int corners, double radius, const CVector3d& u, const CVector3d& v,
             CMaterial* material)
{
    const CGeometryBuilder builder(component);
    const int count = std::max(corners, 3);
    std::vector<CVertex*> ring;
    ring.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double angle = 6.283185307179586 * i / count;
        ring.push_back(builder.Vertex(CPoint3d(0.0, 0.0, 0.0) + u * (radius * std::cos(angle)) +
                                      v * (radius * std::sin(angle))));
    }
    CFace* face = builder.Face(ring, u.CrossProduct(v));
    face->SetMaterial(material);
}

void AddDiscs(CTarnwickModel& model, CComponent& component, int corners)
{
    // The standing disc is the smaller: seen from above, its outline lies within the
    // flat one's, so that no two edges of theirs meet on screen.
    AddDisc(component, corners, kRadius, CVector3d(1, 0, 0), CVector3d(0, 1, 0), Glass(model, CColor(255, 0, 0)));
    AddDisc(component, corners, 0.6 * kRadius, CVector3d(1, 0, 0), CVector3d(0, 0, 1),
            Glass(model, CColor(0, 0, 255)));
}

void SeeThrough(CTarnwickModel& model)
{
    CRenderingOptions& options = *model.GetRenderingOptions();
    options.SetTransparentDisplay(true);
    options.SetEnableTransparency(true);
    options.SetTransparencyQuality(2);
}

// Looks at the square from the south, slanting down, the whole square in view.
void LookAt(CTarnwickModel& model, const CPoint3d& centre, double size)
{
    CCamera camera;
    camera.SetView(centre + CVector3d(0.0, -0.8 * size, 1.2 * size), centre, CVector3d(0, 0, 1), 1.0, 1000.0, true,
                   35.0, size);
    model.SetCamera(camera);
}

}  // namespace

void BuildXrayDiscsModel(CTarnwickModel& model, int placements, int corners)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    CComponentDefinition* definition = AddDefinition(model, "Discs");
    AddDiscs(model, *definition, corners);
    const int columns =
        PlaceField(*model.GetRootComponent(), *definition, std::max(placements, 1), CVector3d(kSpacing, kSpacing, 0.0));
    SeeThrough(model);
    const double size = kSpacing * columns;
    LookAt(model, CPoint3d((size - kSpacing) / 2.0, (size - kSpacing) / 2.0, 0.0), size);
}

void BuildCrossingDiscsModel(CTarnwickModel& model, int corners)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    AddDiscs(model, *model.GetRootComponent(), corners);
    SeeThrough(model);
    LookAt(model, CPoint3d(0.0, 0.0, 0.0), 2.5 * kRadius);
}
