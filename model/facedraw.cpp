// How a face draws itself: which side the eye sees, the material and colour of that
// side, the pass it belongs to, and the GL state around its geometry. The geometry
// itself goes to the view's face batch (IFaceGL).

#include <cmath>
#include <cstdint>
#include <vector>

#include "annotations/sectionclipstack.h"
#include "document/component.h"
#include "document/facetexturecoords.h"
#include "document/layer.h"
#include "document/material.h"
#include "document/renderingoptions.h"
#include "document/texturegl.h"
#include "document/textureplacement.h"
#include "drawapi/glenums.h"
#include "drawapi/stipplepatterns.h"
#include "drawapi/tarnisview.h"
#include "foundation/framemeter.h"
#include "foundation/tolerance.h"
#include "model/edgeuse.h"
#include "model/face.h"
#include "model/facegl.h"
#include "model/loop.h"
#include "model/facecutcost.h"
#include "model/keptfacetriangles.h"
#include "model/profilefacing.h"
#include "model/smoothnormals.h"

namespace {

using glenum::kPolygonStipple;

const std::uint8_t* SelectionPattern()
{
    static std::uint8_t pattern[128];
    static bool made = false;
    if (!made) {
        for (int row = 0; row < 32; ++row) {
            const std::uint8_t value = row % 8 == 0 ? 0x11 : (row % 8 == 4 ? 0x44 : 0x00);
            for (int b = 0; b < 4; ++b) {
                pattern[row * 4 + b] = value;
            }
        }
        made = true;
    }
    return pattern;
}

// What each corner of a face that casts a shadow adds: a side of the shadow's volume (a
// quad), a corner of its cap and one of the shadow on the ground.
constexpr std::uint64_t kShadowCornerCost = 6 * CFrameMeter::kVertexCost;

// A loop that turns other than once in all crosses itself.
bool TurnsOnce(const std::vector<CPoint2d>& flat, std::size_t start, std::size_t end)
{
    double total = 0.0;
    for (std::size_t i = start; i < end; ++i) {
        const CPoint2d& a = flat[i > start ? i - 1 : end - 1];
        const CPoint2d& b = flat[i];
        const CPoint2d& c = flat[i + 1 < end ? i + 1 : start];
        const double inX = b.x - a.x;
        const double inY = b.y - a.y;
        const double outX = c.x - b.x;
        const double outY = c.y - b.y;
        total += std::atan2(inX * outY - inY * outX, inX * outX + inY * outY);
    }
    return std::fabs(total) > kPi && std::fabs(total) < 3.0 * kPi;
}

bool BlendsMaterial(const CMaterial* material)
{
    return material != nullptr && material->Blends();
}

// The x and y axes of the face's plane frame as the planes of the texture's s and t:
// a texture tiles the plane from the frame's origin.
void GetTexturePlanes(const CPlane3d& plane, double s[4], double t[4])
{
    const Matrix4 frame = GetPlaneFrameMatrix(plane);
    for (int i = 0; i < 3; ++i) {
        s[i] = frame[i];
        t[i] = frame[4 + i];
    }
    s[3] = 0.0;
    t[3] = 0.0;
}

// The placement of the side's texture, when the face has one that positions it.
const CTexturePlacement* GetSidePlacement(const CFace& face, bool front)
{
    const CFaceTextureCoords* coords = GetFaceTextureCoords(&face);
    if (coords == nullptr) {
        return nullptr;
    }
    const CTexturePlacement& placement = front ? coords->GetFrontPlacement() : coords->GetBackPlacement();
    const bool positioned = (placement.flags & CTexturePlacement::kPositioned) != 0;
    return positioned && Matrix3IsValid(placement.inverse) ? &placement : nullptr;
}

// Texture coordinates for the side: through its placement, else tiled along the plane
// frame at the picture's size.
void BeginSideMapping(const CFace& face, bool front, CMaterial* material)
{
    double s[4];
    double t[4];
    GetTexturePlanes(face.GetPlane(), s, t);
    const CTexturePlacement* placement = GetSidePlacement(face, front);
    ITextureGL* gl = GetTextureGL();
    if (placement == nullptr || gl == nullptr) {
        material->BeginTextureMapping(s, t);
        return;
    }
    // Plane-frame coordinates unscaled; the placement's inverse takes them to the
    // texture's 0..1. The picture's top row is uploaded first, so t then runs downwards,
    // as it does for a tiled picture.
    gl->BeginMapping(s, t, 1.0, 1.0);
    Matrix4 matrix = Matrix3To4(placement->inverse);
    for (int row = 0; row < 4; ++row) {
        matrix[static_cast<std::size_t>(4 * row + 1)] = -matrix[static_cast<std::size_t>(4 * row + 1)];
    }
    gl->SetPlacementMatrix(matrix.data());
}

// The face normal against the line of sight to the face: negative when the front side
// faces the eye. In perspective every point of the plane gives the same value.
double GetFacingValue(const CFace& face, ITarnisView* view)
{
    if (!view->GetCameraState().perspective) {
        return DotProduct(face.GetNormal(), view->GetLocalViewDirection());
    }
    return -face.GetPlane().GetSignedDistance(view->GetLocalEyePoint());
}

// The side's colour, given the side's material (GetSideMaterial).
CColor GetSideColorOf(const CFace& face, ITarnisView* view, bool front, const CMaterial* material)
{
    const CRenderingOptions* options = view->GetRenderingOptions();
    static const CRenderingOptions defaults;
    const CRenderingOptions& o = options != nullptr ? *options : defaults;
    CColor color = front ? o.GetFrontFaceColor() : o.GetBackFaceColor();
    const int mode = o.GetRenderMode();
    if (mode == 1 || (mode == 0 && face.IsSelected())) {
        if (face.IsHiddenFlagSet()) {
            color = view->GetBackgroundColor().GetMaxComponent() >= 0.5 ? CColor(192, 192, 192, 255)
                                                                        : CColor(64, 64, 64, 255);
        } else {
            color = o.GetBackgroundColor();
        }
    } else if (mode != 5 && material != nullptr) {
        color = material->GetColor();
    }
    const bool transparent = material != nullptr && material->UsesTransparency();
    const double t = material != nullptr ? material->GetTransparency() : 0.0;
    int alpha = 255;
    if (o.IsTransparentDisplay()) {
        alpha = transparent ? static_cast<int>((1.0 - t) * 127) : 127;
    } else if (o.IsEnableTransparency() && transparent) {
        alpha = static_cast<int>((1.0 - t) * 255);
    }
    color.SetAlphaByte(static_cast<BYTE>(alpha));
    return color;
}

}  // namespace

CUnitVector3d CEdgeUse::GetSmoothNormal() const
{
    const CFace* face = GetFace();
    CComponent* component = face != nullptr ? face->GetParentComponent() : nullptr;
    if (component == nullptr) {
        static const CSmoothNormals none;
        return none.GetNormal(*this, nullptr);
    }
    return component->GetSmoothNormals().GetNormal(*this, nullptr);
}

void CFace::InvalidateComponentSmoothNormals() const
{
    if (CComponent* component = GetParentComponent()) {
        component->InvalidateSmoothNormals();
    }
}

const CSmoothNormals* CFace::GetSmoothNormalsToDraw(ITarnisView* view) const
{
    // Picking wants only where faces lie.
    if (!HasFlag(CSmoothNormals::kFlagSmoothSurface) || view->GetDrawMode() == IModelView::kDrawModeSelection) {
        return nullptr;
    }
    const CRenderingOptions* options = view->GetRenderingOptions();
    if (options == nullptr || !options->IsAverageNormals()) {
        return nullptr;
    }
    CComponent* component = GetParentComponent();
    return component != nullptr ? &component->GetSmoothNormals() : nullptr;
}

bool CFace::IsShown(ITarnisView* view) const
{
    if (!CDrawingElement::IsShown(view)) {
        return false;
    }
    const CRenderingOptions* options = view != nullptr ? view->GetRenderingOptions() : nullptr;
    return options == nullptr || options->GetRenderMode() != 0 || IsSelected();
}

bool CFace::IsFrontFacing(ITarnisView* view) const
{
    const CCameraState camera = view->GetCameraState();
    if (!camera.perspective) {
        return DotProduct(GetNormal(), view->GetLocalViewDirection()) < 0.0;
    }
    return GetPlane().GetSignedDistance(view->GetLocalEyePoint()) > 0.0;
}

CMaterial* CFace::GetSideMaterial(ITarnisView* view, bool front, int* reason) const
{
    const CRenderingOptions* options = view->GetRenderingOptions();
    const auto answer = [reason](CMaterial* material, int code) {
        if (reason != nullptr) {
            *reason = code;
        }
        return material;
    };
    if (options == nullptr || options->GetRenderMode() == 5) {
        return answer(nullptr, 0);
    }
    if (options->IsColorByLayer()) {
        CLayer* layer = GetEffectiveLayer();
        if (CLayer::IsDefaultLayer(layer) && view->GetCurrentLayer() != nullptr) {
            layer = view->GetCurrentLayer();
        }
        return answer(layer != nullptr ? layer->GetMaterial() : nullptr, 3);
    }
    CMaterial* own = front ? GetMaterial() : GetBackMaterial();
    CMaterial* other = front ? GetBackMaterial() : GetMaterial();
    if (own == nullptr && BlendsMaterial(other) && !options->IsTransparentDisplay() && options->IsEnableTransparency()) {
        return answer(other, 2);
    }
    if (own != nullptr) {
        return answer(own, 1);
    }
    // A default side takes what the instances being drawn hand down, else the view's.
    CMaterial* inherited = view->GetCurrentMaterial();
    return answer(inherited != nullptr ? inherited : view->GetDefaultMaterial(), 4);
}

CColor CFace::GetSideColor(ITarnisView* view, bool front) const
{
    return GetSideColorOf(*this, view, front, GetSideMaterial(view, front, nullptr));
}

void CFace::Draw(ITarnisView* view)
{
    IFaceGL* gl = GetFaceGL();
    const CRenderingOptions* options = view->GetRenderingOptions();
    if (gl == nullptr || options == nullptr || GetLoopCount() == 0 || view->DrawsEdgesAlone() || !IsShown(view)) {
        return;
    }
    // Noted for the edges before any pass skips the face.
    const double facing = GetFacingValue(*this, view);
    CProfileFacing::Note(*this, facing);
    const int mode = options->GetRenderMode();
    const int pass = options->GetTransparencyPass();
    const bool seeThrough = options->IsTransparentDisplay();
    // In wireframe only a selected face is shown: in the background colour under its
    // selection dots.
    if (pass == 1 && seeThrough) {
        return;
    }
    // The section cut is drawn where the face lies in an active section plane.
    const CSectionClipStack& sections = view->GetSectionFilters();
    if (!sections.IsEmpty() && sections.GetCoincidentPlanes(GetPlane()) != 0) {
        return;
    }
    const bool front = facing < 0.0;
    int reason = 0;
    CMaterial* material = GetSideMaterial(view, front, &reason);
    const CColor color = GetSideColorOf(*this, view, front, material);
    const bool blended = material != nullptr ? BlendsMaterial(material) : color.GetAlphaByte() < 255;
    if ((pass == 1 && blended) || (pass >= 2 && !blended && !seeThrough)) {
        return;
    }
    const bool lit = mode != 0 && mode != 1;
    const bool textured = material != nullptr && material->IsTextured() && mode >= 2 && mode <= 4 &&
                          options->IsDisplayTextures() &&
                          view->GetDrawingLevel() >= IModelView::kLowestTextureLevel;
    const bool stippled = IsHiddenFlagSet();
    const bool alphaTest = material != nullptr && material->IsFullyTransparent();
    const bool keepDepth = reason == 2 && material != nullptr && !material->IsOpaque();
    if (view->GetDrawMode() == IModelView::kDrawModeSelection) {
        // Every face carries its own selection name, so none shares a batch.
        gl->Flush(view);
        view->BeginElement(this);
        gl->AddFace(view, *this, color, lit);
        gl->Flush(view);
        view->EndElement();
        return;
    }
    if (!textured && !stippled && !alphaTest && !keepDepth) {
        gl->AddFace(view, *this, color, lit, GetSmoothNormalsToDraw(view));
    } else {
        DrawWithState(view, material, color, lit, textured, stippled, alphaTest, keepDepth);
    }
    if (IsSelected()) {
        DrawSelectionHighlight(view, options->GetSelectionColor());
    }
}

void CFace::DrawWithState(ITarnisView* view, CMaterial* material, CColor color, bool lit, bool textured,
                          bool stippled, bool alphaTest, bool keepDepth)
{
    IFaceGL* gl = GetFaceGL();
    gl->Flush(view);
    if (textured) {
        material->ApplyToView(view);
        // A picture whose header promised more than its pixels hold fails as its texture
        // is made: the face keeps its colour.
        textured = material->IsTextured();
    }
    if (textured) {
        BeginSideMapping(*this, IsFrontFacing(view), material);
        // The picture shows its own colours, lit, with the side's alpha.
        color = CColor(255, 255, 255, color.GetAlphaByte());
    }
    bool stippleWasOn = false;
    if (stippled) {
        view->SetPolygonStipple(stipple::HiddenGeometry());
        stippleWasOn = view->SetCapability(kPolygonStipple, true);
    }
    if (alphaTest) {
        gl->SetAlphaTest(view, true);
    }
    const bool depthWrites = keepDepth ? view->SetDepthMask(false) : true;
    gl->AddFace(view, *this, color, lit, GetSmoothNormalsToDraw(view));
    gl->Flush(view);
    if (keepDepth) {
        view->SetDepthMask(depthWrites);
    }
    if (alphaTest) {
        gl->SetAlphaTest(view, false);
    }
    if (stippled && !stippleWasOn) {
        view->SetCapability(kPolygonStipple, false);
    }
    if (textured) {
        material->EndTextureMapping();
    }
}

void CFace::DrawSelectionHighlight(ITarnisView* view, const CColor& selectionColor)
{
    IFaceGL* gl = GetFaceGL();
    gl->Flush(view);
    const unsigned depthFunction = view->GetDepthFunction();
    view->SetDepthFunction(glenum::kLessOrEqual);
    view->SetPolygonStipple(SelectionPattern());
    const bool stippleWasOn = view->SetCapability(kPolygonStipple, true);
    gl->AddFace(view, *this, selectionColor, false);
    gl->Flush(view);
    if (!stippleWasOn) {
        view->SetCapability(kPolygonStipple, false);
    }
    view->SetDepthFunction(depthFunction);
}

std::uint64_t CFace::GetDrawingWeight(bool shadows) const
{
    const SWeight weight = GetWeightParts(shadows);
    return weight.drawn + weight.cut < weight.drawn ? UINT64_MAX : weight.drawn + weight.cut;
}

CFace::SWeight CFace::GetWeightParts(bool shadows) const
{
    const int loops = GetLoopCount();
    const CLoop* outer = GetOuterLoop();
    const bool cut = loops > 1 || (outer != nullptr && !outer->IsConvex());
    std::uint64_t corners = 0;
    for (int i = 0; i < loops; ++i) {
        if (const CLoop* loop = GetLoop(i)) {
            corners += static_cast<std::uint64_t>(loop->GetEdgeUseCount());
        }
    }
    // Corners in loops, each hole bridged to the outline by two more sides: as many
    // triangles as a fan or the sweep makes of them, each sent and set up.
    const std::uint64_t sides = corners + 2 * static_cast<std::uint64_t>(loops > 1 ? loops - 1 : 0);
    const std::uint64_t triangles = sides > 2 ? sides - 2 : 0;
    SWeight weight{triangles * CFrameMeter::kTriangleCost, 0, 0, triangles};
    if (cut) {
        const SWeight resolve = GetResolveWeight();
        weight.drawn += resolve.drawn;
        weight.cut = CFrameMeter::kCutCornerCost * corners + resolve.cut;
        weight.kept = resolve.cut != 0 ? resolve.kept : CKeptFaceTriangles::RoomFor(triangles, 0);
    }
    return shadows ? WithShadows(weight, corners) : weight;
}

CFace::SWeight CFace::GetPlainTriangleWeight()
{
    return {CFrameMeter::kTriangleCost, 0, 0, 1};
}

CFace::SWeight CFace::GetConvexTriangleWeight(bool shadows) const
{
    const SWeight weight = GetPlainTriangleWeight();
    return shadows ? WithShadows(weight, 3) : weight;
}

CFace::SWeight CFace::WithShadows(SWeight weight, std::uint64_t corners) const
{
    // The frame draws every face again where the sun lights it, from the cut it kept; one
    // that casts adds its shadow's volume and its shadow on the ground.
    weight.drawn = 2 * weight.drawn + (CastsShadows() ? kShadowCornerCost * corners : 0);
    weight.triangles *= 2;
    return weight;
}

CFace::SWeight CFace::GetResolveWeight() const
{
    const CUnitVector3d normal = GetNormal();
    const CVector3d axis(normal.x, normal.y, normal.z);
    std::vector<CPoint3d> points;
    std::vector<CPoint2d> flat;
    std::vector<std::uint32_t> ends;
    bool crosses = false;
    for (int i = 0; i < GetLoopCount(); ++i) {
        const CLoop* loop = GetLoop(i);
        if (loop == nullptr) {
            continue;
        }
        points.clear();
        loop->GetPoints(points, nullptr);
        if (points.size() < 3 || flat.size() + points.size() >= (std::size_t{1} << 30)) {
            continue;
        }
        const std::size_t start = flat.size();
        for (const CPoint3d& p : points) {
            flat.push_back(CFaceCutCost::Flatten(p, axis));
        }
        ends.push_back(static_cast<std::uint32_t>(flat.size()));
        crosses = crosses || !TurnsOnce(flat, start, flat.size());
    }
    // One loop that turns once in all does not cross itself; holes may cross anything.
    if (!crosses && ends.size() < 2) {
        return {};
    }
    // Counted as the drawing counts it, so that the two agree whether the face is
    // filled; one too costly is left unfilled once counted and costs nothing more to
    // draw. Loops that only touch are cut by the sweep once their shared corners are
    // moved apart, which the corners already weigh.
    const CFaceCutCost::SCount count = CFaceCutCost::Count(flat, ends);
    if (count.crossings == 0) {
        return {};
    }
    if (!count.IsAffordable()) {
        // Kept without triangles.
        return {0, count.GetCountingUnits(), 0};
    }
    // The loops resolved are counted again and cut, and make more triangles than the
    // loops' own corners: a corner at every crossing, kept as a mix of others.
    const std::uint64_t own = flat.size() + 2 * ends.size();
    const std::uint64_t added = count.GetResolvedTriangles() > own ? count.GetResolvedTriangles() - own : 0;
    return {added * CFrameMeter::kTriangleCost,
            count.GetCountingUnits() + count.GetResolveUnits() + count.GetAfterResolveUnits() +
                CFrameMeter::kCutCornerCost * count.GetResolvedCorners(),
            CKeptFaceTriangles::RoomFor(count.GetResolvedTriangles(), 2 * count.crossings)};
}
