#include "document/componentcs.h"

#include <array>
#include <cstdint>

#include "document/renderingoptions.h"
#include "drawapi/glenums.h"
#include "drawapi/tarnisview.h"
#include "foundation/transformation.h"
#include "foundation/unitvector3d.h"

IMPLEMENT_DYNAMIC(CComponentCS, CTarnisCS)

namespace {

// The marker's arms are size * kMarkerScale screen units long; a screen unit is this
// many pixels, so the model's marker (size 1/15) has arms of 100 pixels.
constexpr double kScreenUnitPixels = 500.0;
constexpr double kMarkerScale = 3.0;
// The offset that keeps the flat arms in front of faces they lie on.
constexpr double kArmOffset = -2.5;
// The arm in the negative z direction is this part of the others.
constexpr double kNegativeArmLength = 0.25;

constexpr int kFillStyleBlended = 1;
constexpr int kFillStyleBlendedIfPossible = 3;

// One arm: a shaft from start to shaftEnd and a narrowing tip up to the arm's end, in
// parts of the arm's length; widths in parts of the marker's length.
struct ArmShape
{
    double start;
    double shaftEnd;
    double halfWidth;
    double tipHalfWidth;
};

constexpr ArmShape kMainArm{0.0, 0.8, 0.015, 0.04};
// Stands off the origin and is slimmer, for markers drawn over other axes.
constexpr ArmShape kAlternateArm{0.1, 0.85, 0.008, 0.025};

// A 32 by 32 checkerboard: rows alternate 0xAA and 0x55.
std::array<std::uint8_t, 128> CheckerboardStipple()
{
    std::array<std::uint8_t, 128> pattern{};
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        pattern[i] = (i / 4) % 2 == 0 ? 0xAA : 0x55;
    }
    return pattern;
}

// The unit vector across an arm that lies flat towards the eye.
CVector3d ArmSide(const CVector3d& direction, const CVector3d& towardsEye)
{
    CVector3d side = direction.CrossProduct(towardsEye);
    if (!side.Normalize()) {
        CUnitVector3d xAxis;
        CUnitVector3d yAxis;
        CUnitVector3d(direction).GetPerpendicularAxes(xAxis, yAxis);
        side = CVector3d(xAxis.x, xAxis.y, xAxis.z);
    }
    return side;
}

void Quad(ITarnisView* view, const CPoint3d& from, const CPoint3d& to, const CVector3d& side, double fromHalf,
          double toHalf)
{
    view->VertexV(from + side * -fromHalf);
    view->VertexV(to + side * -toHalf);
    view->VertexV(to + side * toHalf);
    view->VertexV(from + side * fromHalf);
}

// Draws one arm of the given length along the direction; widths scale with width.
void DrawArm(ITarnisView* view, const CPoint3d& origin, const CVector3d& direction, double length, double width,
             const CVector3d& towardsEye, const ArmShape& shape)
{
    CVector3d unit = direction;
    if (!unit.Normalize()) {
        return;
    }
    const CVector3d side = ArmSide(unit, towardsEye);
    const CPoint3d start = origin + unit * (shape.start * length);
    const CPoint3d shaftEnd = origin + unit * (shape.shaftEnd * length);
    const CPoint3d end = origin + unit * length;
    view->BeginPrimitive(glenum::kQuads);
    Quad(view, start, shaftEnd, side, shape.halfWidth * width, shape.halfWidth * width);
    Quad(view, shaftEnd, end, side, shape.tipHalfWidth * width, 0.25 * shape.tipHalfWidth * width);
    view->EndPrimitive();
}

}  // namespace

CComponentCS::CComponentCS() = default;

CComponentCS::CComponentCS(CEntity* owner, bool negativeZ, bool flag2, bool depthTested, bool alternateStyle,
                           double size)
    : m_owner(owner), m_negativeZ(negativeZ), m_flag2(flag2), m_depthTested(depthTested),
      m_alternateStyle(alternateStyle), m_size(size)
{
}

CComponentCS::CComponentCS(const CComponentCS& other) = default;

CComponentCS::~CComponentCS() = default;

CEntity* CComponentCS::Clone() const
{
    return new CComponentCS(*this);
}

void CComponentCS::Reset()
{
    m_owner = nullptr;
    m_negativeZ = false;
    m_flag2 = false;
    m_depthTested = true;
    m_alternateStyle = false;
    m_size = kDefaultSize;
    m_showExtents = false;
    m_showExtentsOutline = false;
}

CTransformation CComponentCS::GetTransform() const
{
    return {GetAxis(0), GetAxis(1), GetAxis(2), GetOrigin()};
}

void CComponentCS::Draw(ITarnisView* view)
{
    if (view == nullptr) {
        return;
    }
    const unsigned savedDepthFunction = view->GetDepthFunction();
    view->SetDepthFunction(glenum::kLessOrEqual);
    bool depthTestWasOn = false;
    if (!m_depthTested) {
        depthTestWasOn = view->SetCapability(glenum::kDepthTest, false);
    }
    DrawArms(view);
    if (depthTestWasOn) {
        view->SetCapability(glenum::kDepthTest, true);
    }
    if (m_showExtents) {
        DrawExtents(view);
    }
    view->SetDepthFunction(savedDepthFunction);
}

void CComponentCS::DrawArms(ITarnisView* view)
{
    const CPoint3d& origin = GetOrigin();
    const double length = view->PixelsToModelLength(kScreenUnitPixels, origin) * m_size * kMarkerScale;
    if (length <= 0.0) {
        return;
    }
    const CVector3d towardsEye = view->GetCameraState().perspective ? view->GetLocalEyePoint() - origin
                                                                     : -view->GetLocalViewDirection();
    const ArmShape& shape = m_alternateStyle ? kAlternateArm : kMainArm;
    static constexpr double kAxisColours[3][3] = {{0.7, 0.0, 0.0}, {0.0, 0.7, 0.0}, {0.0, 0.0, 0.7}};
    view->SetLighting(false);
    view->PushPolygonOffset(true, kArmOffset, kArmOffset);
    for (int axis = 0; axis < 3; ++axis) {
        view->SetColorComponents(kAxisColours[axis][0], kAxisColours[axis][1], kAxisColours[axis][2], 1.0);
        DrawArm(view, origin, GetAxis(axis), length, length, towardsEye, shape);
    }
    if (m_negativeZ) {
        DrawArm(view, origin, -GetAxis(2), kNegativeArmLength * length, length, towardsEye, shape);
    }
    view->PopPolygonOffset();
}

void CComponentCS::DrawExtents(ITarnisView* view)
{
    if (m_extents.IsEmpty()) {
        return;
    }
    view->PushTransform(GetTransform(), true);
    view->DrawBoxCorners(m_extents);
    if (m_showExtentsOutline) {
        view->DrawBox(m_extents);
    }
    view->PopTransform(true);
}

void CComponentCS::DrawFade(ITarnisView* view, double x1, double y1, double x2, double y2)
{
    if (view == nullptr) {
        return;
    }
    const CRenderingOptions* options = view->GetRenderingOptions();
    const int style = options != nullptr ? options->GetTranslucentFillStyle() : 0;
    const bool blended = style == kFillStyleBlended || (style == kFillStyleBlendedIfPossible && view->CanBlend());
    bool blendWasOn = false;
    bool depthWritesWereOn = false;
    if (blended) {
        blendWasOn = view->SetCapability(glenum::kBlend, true);
        view->SetBlendFunction(glenum::kSourceAlpha, glenum::kOneMinusSourceAlpha);
        depthWritesWereOn = view->SetDepthMask(false);
    } else {
        static const std::array<std::uint8_t, 128> kCheckerboard = CheckerboardStipple();
        view->SetCapability(glenum::kPolygonStipple, true);
        view->SetPolygonStipple(kCheckerboard.data());
    }
    view->SetColorComponents(0.5, 0.5, 0.5, 0.3);
    view->BeginPrimitive(glenum::kQuads);
    view->Vertex(x1, y1, 0.0);
    view->Vertex(x2, y1, 0.0);
    view->Vertex(x2, y2, 0.0);
    view->Vertex(x1, y2, 0.0);
    view->EndPrimitive();
    if (blended) {
        view->SetDepthMask(depthWritesWereOn);
        if (!blendWasOn) {
            view->SetCapability(glenum::kBlend, false);
        }
    } else {
        view->SetCapability(glenum::kPolygonStipple, false);
    }
}
