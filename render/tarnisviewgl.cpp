// The GL state services of the view: cached setters, the shared line batch, colours
// and materials, lighting modes and fading, fog, smooth lines and the initial state.

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "document/component.h"
#include "document/material.h"
#include "document/renderingoptions.h"
#include "document/tarnwickmodel.h"
#include "drawapi/renderingflags.h"
#include "model/drawingelement.h"
#include "render/polygonoffset.h"
#include "render/tarnisview.h"

namespace {

// The colours of GL_LIGHT0 that lighting modes 0 to 2 apply; the frame's lights and
// the component-edit state set them. User-interface thread only.
float g_lightAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
float g_lightDiffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};

constexpr double kDimmedAmbientFactor = 0.7;
constexpr float kDimmedDiffuse = 0.2f;
constexpr double kDirectionTolerance = 1e-6;

void SetFloat4(float out[4], double r, double g, double b, double a)
{
    out[0] = static_cast<float>(r);
    out[1] = static_cast<float>(g);
    out[2] = static_cast<float>(b);
    out[3] = static_cast<float>(a);
}

}  // namespace

void CTarnisView::GetLightColors(float ambient[4], float diffuse[4])
{
    for (int i = 0; i < 4; ++i) {
        ambient[i] = g_lightAmbient[i];
        diffuse[i] = g_lightDiffuse[i];
    }
}

// --- primitives ---

void CTarnisView::BeginPrimitive(unsigned mode)
{
    if (mode == GL_LINES && m_openPrimitive == GL_LINES && !m_forceState) {
        return;
    }
    EndPrimitive();
    // Lines gather in arrays, except where every element names itself anyway and where
    // every setter must reach GL at once.
    if (mode == GL_LINES && !m_forceState && m_drawMode != kDrawModeSelection &&
        m_lineBatch.Open(CLineBatch::Style{m_lineWidth, m_stipple})) {
        m_openPrimitive = GL_LINES;
        return;
    }
    SpoilLineRecording();
    m_openPrimitive = static_cast<int>(mode);
    // A pick's vertices never go through immediate mode, which the driver keeps.
    if (m_drawMode == kDrawModeSelection) {
        m_selectionPrimitive.Open(mode);
        return;
    }
    glBegin(mode);
}

void CTarnisView::EndPrimitive()
{
    if (m_openPrimitive == -1) {
        return;
    }
    if (m_lineBatch.IsOpen()) {
        m_lineBatch.Draw();
    } else if (m_selectionPrimitive.IsOpen()) {
        m_selectionPrimitive.Close();
    } else {
        glEnd();
    }
    m_openPrimitive = -1;
    m_drawThrottle.NoteDraw();
}

void CTarnisView::Vertex(double x, double y, double z)
{
    VertexV(CPoint3d(x, y, z));
}

void CTarnisView::VertexV(const CPoint3d& point)
{
    if (m_lineBatch.IsOpen()) {
        m_lineBatch.AddVertex(point);
        return;
    }
    if (m_selectionPrimitive.IsOpen()) {
        m_selectionPrimitive.AddVertex(point);
    } else {
        glVertex3d(point.x, point.y, point.z);
    }
    (void)CFrameMeter::Charge(CFrameMeter::kVertexCost);
}

void CTarnisView::SetDepthFunction(unsigned function)
{
    EndPrimitive();
    SpoilLineRecording();
    glDepthFunc(function);
    m_depthFunction = function;
}

bool CTarnisView::SetCapability(unsigned capability, bool on)
{
    EndPrimitive();
    SpoilLineRecording();
    const bool wasOn = glIsEnabled(capability) == GL_TRUE;
    if (on) {
        glEnable(capability);
    } else {
        glDisable(capability);
    }
    return wasOn;
}

void CTarnisView::SetBlendFunction(unsigned source, unsigned destination)
{
    EndPrimitive();
    SpoilLineRecording();
    glBlendFunc(source, destination);
}

bool CTarnisView::SetDepthMask(bool write)
{
    EndPrimitive();
    SpoilLineRecording();
    GLboolean wasWriting = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &wasWriting);
    glDepthMask(write ? GL_TRUE : GL_FALSE);
    return wasWriting == GL_TRUE;
}

void CTarnisView::SetPolygonStipple(const std::uint8_t* pattern)
{
    EndPrimitive();
    SpoilLineRecording();
    glPolygonStipple(pattern);
}

// --- recorded lines ---

void CTarnisView::SpoilLineRecording()
{
    if (m_lineRecording != nullptr) {
        m_lineRecording->Spoil();
    }
}

void CTarnisView::StartLineRecording(CLineRecording* recording)
{
    EndPrimitive();
    recording->Clear();
    m_lineRecording = recording;
    m_lineBatch.SetRecording(recording);
}

bool CTarnisView::StopLineRecording()
{
    EndPrimitive();
    CLineRecording* recording = std::exchange(m_lineRecording, nullptr);
    m_lineBatch.SetRecording(nullptr);
    if (recording == nullptr) {
        return false;
    }
    CLineRecording::EndState end;
    end.lighting = m_lightingOn;
    end.color = m_color;
    end.style = CLineBatch::Style{m_lineWidth, m_stipple};
    glGetFloatv(GL_CURRENT_COLOR, end.glColor.data());
    recording->SetEndState(end);
    if (recording->IsSpoiled()) {
        return false;
    }
    recording->ArrangeForDrawing();
    return true;
}

void CTarnisView::ReplayLines(const CLineRecording& recording)
{
    EndPrimitive();
    const CLineRecording::EndState& end = recording.GetEndState();
    // The pass switched lighting off before its first line, if it drew any.
    SetLighting(end.lighting);
    CLineBatch::Style applied{m_lineWidth, m_stipple};
    if (!recording.GetDraws().empty()) {
        (void)recording.DrawLines(applied, &m_drawThrottle);
    }
    CLineBatch::ChangeStyle(applied, end.style);
    m_lineWidth = end.style.width;
    m_stipple = end.style.stipple;
    glColor4fv(end.glColor.data());
    m_color = end.color;
}

// --- lines ---

void CTarnisView::ResetLineState()
{
    EndPrimitive();
    SpoilLineRecording();
    glLineWidth(1.0f);
    m_lineWidth = 1.0;
    glDisable(GL_LINE_STIPPLE);
    m_stipple = 0;
    glDisable(GL_LIGHTING);
    m_lightingOn = false;
    m_color = CColor(0, 0, 0, 255);
    glColor4ub(0, 0, 0, 255);
}

void CTarnisView::SetLineWidth(double width)
{
    const double effective = std::fmax(width * m_lineWidthScale, 1.0);
    if (!MustApply(effective == m_lineWidth)) {
        return;
    }
    m_lineWidth = effective;
    if (m_lineBatch.IsOpen()) {
        m_lineBatch.SetStyle(CLineBatch::Style{m_lineWidth, m_stipple});
        return;
    }
    EndPrimitive();
    glLineWidth(static_cast<float>(effective));
}

void CTarnisView::SetLineStipple(std::uint16_t pattern)
{
    if (!MustApply(pattern == m_stipple)) {
        return;
    }
    if (m_lineBatch.IsOpen()) {
        m_stipple = pattern;
        m_lineBatch.SetStyle(CLineBatch::Style{m_lineWidth, m_stipple});
        return;
    }
    EndPrimitive();
    if (pattern == 0) {
        glDisable(GL_LINE_STIPPLE);
    } else {
        if (m_stipple == 0) {
            glEnable(GL_LINE_STIPPLE);
        }
        glLineStipple(1, pattern);
    }
    m_stipple = pattern;
}

bool CTarnisView::SetLighting(bool on)
{
    bool honoured = true;
    if (on && m_lightingSuppressed) {
        on = false;
        honoured = false;
    }
    if (MustApply(on == m_lightingOn)) {
        EndPrimitive();
        if (on) {
            SpoilLineRecording();
            glEnable(GL_LIGHTING);
        } else {
            glDisable(GL_LIGHTING);
        }
        m_lightingOn = on;
    }
    return honoured;
}

void CTarnisView::ResetPolygonOffset()
{
    EndPrimitive();
    SpoilLineRecording();
    if (!m_polygonOffsetByDisabling && renderingflags::UsePolygonOffset) {
        SetPolygonOffset(true, 1.0, 1.0);
    } else {
        glDisable(GL_POLYGON_OFFSET_FILL);
    }
}

// --- colours and materials ---

void CTarnisView::SetColor(const CColor& color)
{
    // Colours may change between vertices, so an open batch stays open.
    const CColor faded = FadeColor(color);
    const bool skip = faded == CColor() || faded == m_color;
    if (!MustApply(skip)) {
        return;
    }
    m_color = faded;
    if (m_lineBatch.IsOpen()) {
        m_lineBatch.SetColor(faded);
        return;
    }
    glColor4ub(faded.GetRedByte(), faded.GetGreenByte(), faded.GetBlueByte(), faded.GetAlphaByte());
}

void CTarnisView::SetColorComponents(double red, double green, double blue, double alpha)
{
    SetColor(CColor(red, green, blue, alpha));
}

void CTarnisView::SetMaterial(CMaterial* material, const double* sPlane, const double* tPlane)
{
    if (material == nullptr) {
        return;
    }
    SpoilLineRecording();
    if (m_colorOverrides != nullptr) {
        const auto found = m_colorOverrides->find(material->GetName());
        if (found != m_colorOverrides->end()) {
            SetColor(found->second);
        }
        return;
    }
    material->ApplyToView(this);
    if (sPlane != nullptr && tPlane != nullptr) {
        material->BeginTextureMapping(sPlane, tPlane);
    }
}

CColor CTarnisView::GetAxisColor(int index) const
{
    switch (index) {
    case 1:
        return CColor(1.0, 0.0, 0.0, 1.0);
    case 2:
        return CColor(0.0, 1.0, 0.0, 1.0);
    case 3:
        return CColor(0.0, 0.0, 1.0, 1.0);
    case 7:
    case 8:
        return CColor(1.0, 0.0, 1.0, 1.0);
    default:
        return GetForegroundColor();
    }
}

CColor CTarnisView::GetDirectionColor(const CPoint3d& start, const CPoint3d& end) const
{
    // The segment is in the local coordinates of the instances being drawn; the axes
    // are the model's.
    const CTransformation transform = GetTransform();
    const CVector3d d = transform * end - transform * start;
    CVector3d axes[3];
    GetDrawingAxes(axes);
    for (int k = 0; k < 3; ++k) {
        if (d.CrossProduct(axes[k]).GetLengthSquared() < kDirectionTolerance) {
            return GetAxisColor(k + 1);
        }
    }
    return GetForegroundColor();
}

// --- lighting modes ---

void CTarnisView::ApplyLightingMode(int mode)
{
    if (mode < 0 || mode > kLightingModeDimmed) {
        return;
    }
    EndPrimitive();
    SpoilLineRecording();
    if (mode != kLightingModeDimmed) {
        glLightfv(GL_LIGHT0, GL_AMBIENT, g_lightAmbient);
        glLightfv(GL_LIGHT0, GL_DIFFUSE, g_lightDiffuse);
        return;
    }
    const CColor background = GetBackgroundColor();
    float ambient[4];
    SetFloat4(ambient, background.GetRed() * kDimmedAmbientFactor, background.GetGreen() * kDimmedAmbientFactor,
              background.GetBlue() * kDimmedAmbientFactor, background.GetAlpha());
    const float diffuse[4] = {kDimmedDiffuse, kDimmedDiffuse, kDimmedDiffuse, 1.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
}

void CTarnisView::SetLightIntensities(double ambientPercent, double diffusePercent)
{
    const double a = ambientPercent * 0.01;
    const double d = diffusePercent * 0.01;
    SetFloat4(g_lightAmbient, a, a, a, 1.0);
    SetFloat4(g_lightDiffuse, d, d, d, 1.0);
    EndPrimitive();
    glLightfv(GL_LIGHT0, GL_AMBIENT, g_lightAmbient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, g_lightDiffuse);
}

int CTarnisView::GetLightingMode() const
{
    return m_lightingModes.empty() ? 0 : m_lightingModes.back();
}

// Every instance pushes a mode as it draws; most pushes keep the lights as they are
// and need not close the open batch to set them again.
bool CTarnisView::KeepsLights(int from, int to)
{
    const auto normal = [](int mode) { return mode >= 0 && mode < kLightingModeDimmed; };
    return from == to || (normal(from) && normal(to));
}

void CTarnisView::PushLightingMode(int mode)
{
    const bool keep = !m_lightingModes.empty() && KeepsLights(GetLightingMode(), mode);
    m_lightingModes.push_back(mode);
    if (!keep) {
        ApplyLightingMode(mode);
    }
}

void CTarnisView::PopLightingMode()
{
    if (m_lightingModes.empty()) {
        return;
    }
    const int popped = m_lightingModes.back();
    m_lightingModes.pop_back();
    if (m_lightingModes.empty() || !KeepsLights(popped, GetLightingMode())) {
        ApplyLightingMode(GetLightingMode());
    }
}

void CTarnisView::PushComponentLightingMode(CTarnwickModel* model)
{
    if (model != nullptr && model->GetActiveComponent() != model->GetRootComponent()) {
        // Everything is dimmed until an instance on the edited path restores it, so the
        // lights as they are now are what restoring means.
        EndPrimitive();
        glGetLightfv(GL_LIGHT0, GL_AMBIENT, g_lightAmbient);
        glGetLightfv(GL_LIGHT0, GL_DIFFUSE, g_lightDiffuse);
        PushLightingMode(kLightingModeDimmed);
    } else {
        PushLightingMode(0);
    }
}

void CTarnisView::PopComponentLightingMode()
{
    PopLightingMode();
}

bool CTarnisView::IsFadedLightingMode() const
{
    const int mode = GetLightingMode();
    return mode != 0 && mode != 1;
}

CColor CTarnisView::FadeColor(const CColor& color) const
{
    const int mode = GetLightingMode();
    if (mode != kLightingModeFaded && mode != kLightingModeDimmed) {
        return color;
    }
    const CRenderingOptions* options = GetRenderingOptions();
    const CRenderingOptions::Stored defaults;
    double weight = mode == kLightingModeDimmed ? defaults.restOfModelWeight : defaults.otherInstancesWeight;
    if (options != nullptr) {
        weight = mode == kLightingModeDimmed ? options->GetRestOfModelWeight() : options->GetOtherInstancesWeight();
    }
    CColor faded = color;
    faded.Blend(GetBackgroundColor(), weight);
    return faded;
}

bool CTarnisView::IsHiddenByLightingMode(const CDrawingElement* element) const
{
    // Every element asks before it draws, so this is where a walk into an instance of a
    // component already being drawn, or deeper than components may nest, ends.
    if (!m_drawnComponents.empty() && element != nullptr && element->IsInstance()) {
        const CComponent* nested = element->GetNestedComponent();
        if (m_drawnComponents.size() >= static_cast<std::size_t>(CComponent::kMaxNestingDepth) ||
            std::find(m_drawnComponents.begin(), m_drawnComponents.end(), nested) != m_drawnComponents.end()) {
            return true;
        }
    }
    const int mode = GetLightingMode();
    if ((mode != kLightingModeFaded && mode != kLightingModeDimmed) || element == nullptr) {
        return false;
    }
    const int type = element->GetTypeId();
    if (type == kTypeComponentInstance || type == kTypeGroup || type == kTypeImage) {
        return false;
    }
    const CRenderingOptions* options = GetRenderingOptions();
    if (options == nullptr) {
        return false;
    }
    return mode == kLightingModeDimmed ? options->IsHideRestOfModel() : options->IsHideOtherInstances();
}

// --- fog, blending and the initial state ---

void CTarnisView::SetupFog(bool on)
{
    SpoilLineRecording();
    if (!on) {
        EndPrimitive();
        glDisable(GL_FOG);
        return;
    }
    const CRenderingOptions* options = GetRenderingOptions();
    const CRenderingOptions fallback;
    const CRenderingOptions& o = options != nullptr ? *options : fallback;
    EndPrimitive();
    glEnable(GL_FOG);
    const int mode = o.GetFogMode();
    const GLint glMode = mode == 0 ? GL_EXP : (mode == 2 ? GL_LINEAR : GL_EXP2);
    glFogi(GL_FOG_MODE, glMode);
    CColor fogColor = GetBackgroundColor();
    if (!o.IsFogUsingBackground() && o.GetOverrideBackgroundColor() != CColor()) {
        fogColor = o.GetOverrideBackgroundColor();
    }
    float color[4];
    SetFloat4(color, fogColor.GetRedByte() / 255.0, fogColor.GetGreenByte() / 255.0,
              fogColor.GetBlueByte() / 255.0, fogColor.GetAlphaByte() / 255.0);
    glFogfv(GL_FOG_COLOR, color);
    if (glMode == GL_LINEAR) {
        double start = 0.0;
        double end = 0.0;
        ComputeFogRange(o, m_viewDefinition.GetUsedFar(), start, end);
        glFogf(GL_FOG_START, static_cast<float>(start));
        glFogf(GL_FOG_END, static_cast<float>(end));
    } else {
        glFogf(GL_FOG_DENSITY, static_cast<float>(o.GetFogDensity()));
    }
}

void CTarnisView::ComputeFogRange(const CRenderingOptions& options, double depth, double& start, double& end)
{
    ComputeFogRange(options.GetFogNearPercent(), options.GetFogFarPercent(), options.GetFogAmountNearPercent(),
                    options.GetFogAmountFarPercent(), depth, start, end);
}

void CTarnisView::ComputeFogRange(int nearPercent, int farPercent, int nearAmountPercent, int farAmountPercent,
                                  double depth, double& start, double& end)
{
    const double a = nearPercent * depth * 0.01;
    const double b = farPercent * depth * 0.01;
    const double u = 1.0 - nearAmountPercent * 0.01;
    const double v = 1.0 - farAmountPercent * 0.01;
    start = 0.0;
    end = depth;
    // The linear factor (end - z) / (end - start) is made u at a and v at b; a pair
    // that leaves a division by zero keeps the whole depth.
    if (u == v || v == 0.0 || u == 0.0) {
        return;
    }
    end = (v * a - u * b) / (v - u);
    start = end - (end - a) / u;
}

void CTarnisView::BeginBlending(bool on)
{
    const CRenderingOptions* options = GetRenderingOptions();
    if (options == nullptr || !options->GetDisplayByte(CRenderingOptions::kSmoothEdges)) {
        return;
    }
    EndPrimitive();
    SpoilLineRecording();
    glPushAttrib(GL_ENABLE_BIT);
    if (!on) {
        glDepthFunc(m_savedDepthFunction);
        m_depthFunction = m_savedDepthFunction;
        return;
    }
    GLint depthFunction = GL_LESS;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunction);
    m_savedDepthFunction = static_cast<unsigned>(depthFunction);
    glDepthFunc(GL_LEQUAL);
    m_depthFunction = GL_LEQUAL;
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void CTarnisView::SetSecondPassMode(bool on)
{
    m_passNumber = on ? 2 : 1;
    const CRenderingOptions* options = GetRenderingOptions();
    const bool smooth = options != nullptr && options->GetDisplayByte(CRenderingOptions::kSmoothEdges);
    if (on && smooth && !m_secondPassBlending) {
        BeginBlending(true);
        m_secondPassBlending = true;
    } else if (!on && m_secondPassBlending) {
        EndPrimitive();
        // Both pushes of BeginBlending are the caller's to pop.
        if (smooth) {
            BeginBlending(false);
            glPopAttrib();
        }
        glPopAttrib();
        glDepthFunc(m_savedDepthFunction);
        m_depthFunction = m_savedDepthFunction;
        m_secondPassBlending = false;
        // The pops switched lighting and stippling back behind the caches.
        m_lightingOn = glIsEnabled(GL_LIGHTING) == GL_TRUE;
        GLint pattern = 0;
        glGetIntegerv(GL_LINE_STIPPLE_PATTERN, &pattern);
        m_stipple = glIsEnabled(GL_LINE_STIPPLE) == GL_TRUE ? static_cast<std::uint16_t>(pattern) : 0;
    }
}

bool CTarnisView::CanBlend() const
{
    const CRenderingOptions* options = GetRenderingOptions();
    return options == nullptr || options->GetDisplayByte(CRenderingOptions::kBlendingAllowed);
}

void CTarnisView::InitGLState()
{
    EndPrimitive();
    glClearDepth(1.0);
    glEnable(GL_LIGHT0);
    glEnable(GL_NORMALIZE);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    m_depthFunction = GL_LESS;
    glShadeModel(GL_SMOOTH);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
}
