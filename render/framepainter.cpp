#include "render/framepainter.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "document/component.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/tarnwickmodel.h"
#include "foundation/tolerance.h"
#include "render/polygonoffset.h"
#include "render/tarnisview.h"

namespace {

const CRenderingOptions& DefaultOptions()
{
    static const CRenderingOptions options;
    return options;
}

CColor Opaque(CColor color)
{
    color.SetAlphaByte(255);
    return color;
}

// a * weight + b * (1 - weight).
CColor Mix(const CColor& a, const CColor& b, double weight)
{
    CColor result;
    CColor::Interpolate(a, b, std::clamp(weight, 0.0, 1.0), result);
    return result;
}

void GLColor(const CColor& c)
{
    glColor4ub(c.GetRedByte(), c.GetGreenByte(), c.GetBlueByte(), c.GetAlphaByte());
}

struct EyePoint
{
    double x;
    double y;
    double s;  // above the horizon when positive
};

// The part of the convex polygon where s has the given sign (s = 0 belongs to both).
std::vector<EyePoint> ClipBySide(const std::vector<EyePoint>& polygon, bool positive)
{
    std::vector<EyePoint> result;
    const auto inside = [positive](const EyePoint& p) { return positive ? p.s >= 0.0 : p.s <= 0.0; };
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const EyePoint& a = polygon[i];
        const EyePoint& b = polygon[(i + 1) % polygon.size()];
        if (inside(a)) {
            result.push_back(a);
        }
        if ((a.s > 0.0 && b.s < 0.0) || (a.s < 0.0 && b.s > 0.0)) {
            const double t = a.s / (a.s - b.s);
            result.push_back({a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, 0.0});
        }
    }
    return result;
}

// Half the width and height of a perspective view at unit depth, a little enlarged so
// that the background reaches past the view's edges.
std::pair<double, double> PerspectiveHalfExtents(const CViewDefinition& definition)
{
    const double halfHeight = std::tan(definition.GetFieldOfView() * kPi / 360.0) * 1.1;
    return {halfHeight * std::max(1, definition.GetViewportWidth()) / std::max(1, definition.GetViewportHeight()),
            halfHeight};
}

// Whether the horizon runs through a perspective view: the corners of the view, as
// the background enlarges it, lie on both sides of the eye's level.
bool HorizonCrossesView(const CViewDefinition& definition)
{
    const auto [u, v] = PerspectiveHalfExtents(definition);
    const CVector3d& x = definition.GetXAxis();
    const CVector3d& y = definition.GetYAxis();
    bool above = false;
    bool below = false;
    for (const auto& [cu, cv] : {std::pair{-u, -v}, std::pair{u, -v}, std::pair{u, v}, std::pair{-u, v}}) {
        const double s = -definition.GetZAxis().z + x.z * cu + y.z * cv;
        above = above || s > 0.0;
        below = below || s < 0.0;
    }
    return above && below;
}

}  // namespace

// What the sky and ground of one frame look like in eye space.
struct CFramePainter::Gradient
{
    double depth = 0.0;
    double halfWidth = 0.0;
    double halfHeight = 0.0;
    // s(x, y) = base + ax * x + ay * y: how far above the horizon an eye-space point
    // of the background plane lies.
    double base = 0.0;
    double ax = 0.0;
    double ay = 0.0;
    bool sky = false;
    bool ground = false;
    CColor skyColor;
    CColor horizonColor;
    CColor groundColor;
};

CFramePainter::CFramePainter(CTarnisView& view)
    : m_view(view)
    , m_options(view.GetRenderingOptions() != nullptr ? view.GetRenderingOptions() : &DefaultOptions())
{
}

void CFramePainter::SetupLights(bool shadows)
{
    CTarnwickModel* model = m_view.GetModel();
    const CShadowInfo* shadow = model != nullptr ? model->GetShadowInfo() : nullptr;
    const bool sun = shadows || (shadow != nullptr && shadow->IsUseSunForShading());
    m_view.EndPrimitive();
    if (m_view.IsFlatColorMode()) {
        // Every face in its own colour at full strength, on black, undithered, so that
        // the colours read back are the ones drawn.
        const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
        glLightfv(GL_LIGHT0, GL_AMBIENT, white);
        m_view.ApplyViewToGL(m_view.GetProjectionArgument() ? 1 : 0, nullptr);
        glDisable(GL_DITHER);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        return;
    }
    if (!sun) {
        // Set before the view matrix, so that the light stays with the eye.
        const float position[4] = {0.0f, 0.0f, 1.0f, 0.0f};
        glLightfv(GL_LIGHT0, GL_POSITION, position);
        m_view.SetLightIntensities(20.0, 80.0);
    }
    m_view.ApplyViewToGL(m_view.GetProjectionArgument() ? 1 : 0, nullptr);
    if (sun && shadow != nullptr) {
        const CVector3d& d = shadow->GetSunDirection();
        const float position[4] = {static_cast<float>(d.x), static_cast<float>(d.y), static_cast<float>(d.z), 0.0f};
        glLightfv(GL_LIGHT0, GL_POSITION, position);
        m_view.SetLightIntensities(shadow->GetDarkIntensity(), shadow->GetLightIntensity());
    }
}

// The colour the override table gives for the key, opaque; false without one.
bool CFramePainter::FindOverride(const char* key, CColor& color) const
{
    const CColorOverrideMap* table = m_view.GetColorOverrides();
    const auto found = table != nullptr ? table->find(CString(key)) : CColorOverrideMap::const_iterator();
    if (table == nullptr || found == table->end()) {
        return false;
    }
    color = Opaque(found->second);
    return true;
}

void CFramePainter::SetClearColor()
{
    CColor color = m_options->GetBackgroundColor();
    if (FindOverride("BackgroundColor", color)) {
        // The table decides alone.
    } else if (m_options->IsFogOn() && m_options->GetOverrideBackgroundColor() != CColor()) {
        color = m_options->GetOverrideBackgroundColor();
    }
    glClearColor(static_cast<float>(color.GetRedByte() / 255.0), static_cast<float>(color.GetGreenByte() / 255.0),
                 static_cast<float>(color.GetBlueByte() / 255.0), static_cast<float>(color.GetAlphaByte() / 255.0));
}

int CFramePainter::GetTransparencyMode() const
{
    if (m_options->GetRenderMode() == 0 || m_view.GetDrawingLevel() <= 5) {
        return 0;
    }
    if (m_options->IsTransparentDisplay()) {
        return 1;
    }
    return m_options->IsEnableTransparency() ? 2 : 0;
}

CColor CFramePainter::GetGroundColor() const
{
    CColor color = m_options->GetBackgroundColor();
    FindOverride("GroundPlaneColor", color);
    return color;
}

CColor CFramePainter::GetGroundPlaneColor() const
{
    CColor color = m_options->GetGroundColor();
    FindOverride("GroundPlaneColor", color);
    return color;
}

void CFramePainter::FillView(const CColor& color, double depth, double halfWidth, double halfHeight)
{
    GLColor(Opaque(color));
    glBegin(GL_QUADS);
    glVertex3d(-halfWidth, -halfHeight, -depth);
    glVertex3d(halfWidth, -halfHeight, -depth);
    glVertex3d(halfWidth, halfHeight, -depth);
    glVertex3d(-halfWidth, halfHeight, -depth);
    glEnd();
}

void CFramePainter::DrawSplitView(const Gradient& g, bool skipDepthTest)
{
    const double w = g.halfWidth;
    const double h = g.halfHeight;
    std::vector<EyePoint> view;
    for (const auto& [x, y] : {std::pair{-w, -h}, std::pair{w, -h}, std::pair{w, h}, std::pair{-w, h}}) {
        view.push_back({x, y, g.base + g.ax * x + g.ay * y});
    }
    double highest = 0.0;
    for (const EyePoint& p : view) {
        highest = std::max(highest, p.s);
    }
    const bool depthWasOn = glIsEnabled(GL_DEPTH_TEST) == GL_TRUE;
    if (skipDepthTest) {
        glDisable(GL_DEPTH_TEST);
    }
    const auto fill = [&](const std::vector<EyePoint>& part, const CColor& near, const CColor& far) {
        if (part.size() < 3) {
            return;
        }
        glBegin(GL_POLYGON);
        for (const EyePoint& p : part) {
            const double t = highest > 0.0 ? std::abs(p.s) / highest : 0.0;
            GLColor(Mix(far, near, t));
            glVertex3d(p.x, p.y, -g.depth);
        }
        glEnd();
    };
    if (g.sky) {
        fill(ClipBySide(view, true), g.horizonColor, g.skyColor);
    }
    if (g.ground) {
        fill(ClipBySide(view, false), g.groundColor, g.groundColor);
    }
    if (skipDepthTest && depthWasOn) {
        glEnable(GL_DEPTH_TEST);
    }
}

void CFramePainter::DrawBackground()
{
    m_view.ResetLineState();
    const bool groundRequested = m_view.GetGroundRequest() && m_view.IsEyeAboveGround();
    Gradient g;
    g.sky = m_options->IsDisplaySky();
    g.ground = m_options->IsDisplayGround() || groundRequested;
    if (!g.sky && !g.ground) {
        return;
    }
    const CViewDefinition& definition = m_view.GetViewDefinition();
    const bool perspective = definition.IsPerspective();
    const CVector3d direction = definition.GetViewDirection();
    const CPoint3d& eye = definition.GetEye();
    const bool above = perspective ? eye.z >= 0.0 : direction.z <= 0.001;

    GLint matrixMode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    m_view.SetLighting(false);
    const bool fog = glIsEnabled(GL_FOG) == GL_TRUE;
    if (fog) {
        glDisable(GL_FOG);
    }

    g.skyColor = Opaque(m_options->GetSkyColor());
    g.horizonColor = g.skyColor;
    g.groundColor = Opaque(above ? GetGroundPlaneColor() : m_options->GetBackgroundColor());
    const double far = definition.GetUsedFar();
    g.depth = 0.9999 * far;
    if (fog) {
        double start = 0.0;
        double end = 0.0;
        CTarnisView::ComputeFogRange(*m_options, far, start, end);
        const double factor = start < end ? std::clamp((end - g.depth) / (end - start), 0.0, 1.0) : 0.0;
        CColor fogColor = m_options->GetBackgroundColor();
        if (!m_options->IsFogUsingBackground() && m_options->GetOverrideBackgroundColor() != CColor()) {
            fogColor = m_options->GetOverrideBackgroundColor();
        }
        g.skyColor = Opaque(Mix(g.skyColor, fogColor, factor));
        g.groundColor = Opaque(Mix(g.groundColor, fogColor, factor));
        g.horizonColor = Opaque(Mix(Mix(g.horizonColor, fogColor, factor), CColor(255, 255, 255, 255), 0.75));
    } else if (m_view.GetBackgroundDetail()) {
        g.horizonColor = Opaque(m_options->GetTintedColor());
        if (eye.z > 0.0) {
            g.horizonColor = Mix(g.horizonColor, CColor(255, 255, 255, 255), 0.5);
        }
    }

    const CVector3d& xAxis = definition.GetXAxis();
    const CVector3d& yAxis = definition.GetYAxis();
    const double width = std::max(1, definition.GetViewportWidth());
    const double height = std::max(1, definition.GetViewportHeight());
    if (perspective) {
        g.halfHeight = g.depth * PerspectiveHalfExtents(definition).second;
        g.halfWidth = g.halfHeight * width / height;
        // The plane through the eye parallel to the ground meets the background plane in
        // the horizon: s is the height of an eye-space point above that plane.
        const CVector3d& zAxis = definition.GetZAxis();
        g.ax = xAxis.z;
        g.ay = yAxis.z;
        g.base = -g.depth * zAxis.z;
        DrawSplitView(g, !groundRequested);
    } else {
        g.halfHeight = std::max(definition.GetViewHeight(), 1e-9) * 0.55;
        g.halfWidth = g.halfHeight * width / height;
        if (std::abs(direction.z) <= 0.001) {
            g.ax = xAxis.z;
            g.ay = yAxis.z;
            g.base = eye.z;
            DrawSplitView(g, false);
        } else if (direction.z < 0.0 && g.ground) {
            FillView(g.groundColor, g.depth, g.halfWidth, g.halfHeight);
        } else if (direction.z > 0.0 && g.sky) {
            FillView(g.skyColor, g.depth, g.halfWidth, g.halfHeight);
        }
    }

    m_view.SetLighting(true);
    glPopMatrix();
    glMatrixMode(static_cast<GLenum>(matrixMode));
    if (fog) {
        glEnable(GL_FOG);
    }
}

bool CFramePainter::UsesDepthOnlyPass() const
{
    if (!m_options->IsDisplayGround() || m_view.GetDrawingLevel() != 8 || m_options->GetGroundTransparency() > 95) {
        return false;
    }
    return m_view.IsEyeAboveGround() || m_options->IsShowGroundFromBelow();
}

void CFramePainter::DrawBlendedPass()
{
    CTarnwickModel* model = m_view.GetModel();
    CComponent* root = model != nullptr ? model->GetRootComponent() : nullptr;
    CRenderingOptions* options = m_view.GetRenderingOptions();
    if (root == nullptr || options == nullptr) {
        return;
    }
    m_view.EndPrimitive();
    // The user's switch; the can-blend answer is for translucent fills and fades.
    if (!options->GetDisplayByte(CRenderingOptions::kBlendingOff)) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    root->Draw(&m_view);
    if (UsesDepthOnlyPass()) {
        m_view.EndPrimitive();
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
        options->SetTransparencyPass(3);
        root->Draw(&m_view);
        m_view.EndPrimitive();
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        options->SetTransparencyPass(2);
    }
    m_view.EndPrimitive();
    glDisable(GL_BLEND);
}

void CFramePainter::DrawTransparentGround()
{
    const int t = m_options->GetGroundTransparency();
    if (t > 95 || !m_options->IsDisplayGround()) {
        return;
    }
    if (!m_view.IsEyeAboveGround() && !m_options->IsShowGroundFromBelow()) {
        return;
    }
    const CViewDefinition& definition = m_view.GetViewDefinition();
    if (!definition.IsPerspective() && std::abs(definition.GetViewDirection().z) <= 0.001) {
        return;
    }
    const double alpha = t < 5 ? 1.0 : 1.0 - t * 0.01;
    m_view.EndPrimitive();
    // The ground plane itself, drawn as a large square around the eye so that the
    // depth test lets the model stand on it.
    CColor color = Opaque(GetGroundPlaneColor());
    // Where the horizon cuts a detailed perspective view the ground is lightened.
    if (definition.IsPerspective() && m_view.GetBackgroundDetail() && HorizonCrossesView(definition)) {
        color = Mix(color, CColor(255, 255, 255, 255), 0.5);
    }
    color.SetAlpha(alpha);
    m_view.SetLighting(false);
    if (alpha < 1.0) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    PushPolygonOffset(true, 4.0, 4.0);
    const double far = definition.GetUsedFar();
    const double r = far * 0.99;
    const CPoint3d& eye = definition.GetEye();
    GLColor(color);
    glBegin(GL_QUADS);
    glNormal3d(0.0, 0.0, 1.0);
    glVertex3d(eye.x - r, eye.y - r, 0.0);
    glVertex3d(eye.x + r, eye.y - r, 0.0);
    glVertex3d(eye.x + r, eye.y + r, 0.0);
    glVertex3d(eye.x - r, eye.y + r, 0.0);
    glEnd();
    PopPolygonOffset();
    if (alpha < 1.0) {
        glDisable(GL_BLEND);
    }
    m_view.SetLighting(true);
}

void CFramePainter::DrawAspectBars()
{
    const CViewDefinition& definition = m_view.GetViewDefinition();
    const double a = definition.GetCamera().GetAspectRatio();
    const int width = definition.GetViewportWidth();
    const int height = definition.GetViewportHeight();
    if (a < 0.1 || width <= 0 || height <= 0) {
        return;
    }
    const double r = static_cast<double>(width) / height;
    if (std::abs(a - r) < 0.001) {
        return;
    }
    m_view.EndPrimitive();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, width, 0.0, height, 0.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    m_view.SetLighting(false);
    CColor color = m_options->GetAspectBarColor();
    if (color == CColor()) {
        color = CColor(0, 0, 0, 128);
    }
    GLColor(color);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);
    const auto band = [](double x0, double y0, double x1, double y1) {
        glVertex3d(x0, y0, -0.1);
        glVertex3d(x1, y0, -0.1);
        glVertex3d(x1, y1, -0.1);
        glVertex3d(x0, y1, -0.1);
    };
    glBegin(GL_QUADS);
    if (a > r) {
        const double b = (height - static_cast<int>(width / a)) * 0.5;
        band(0.0, height - b, width, height);
        band(0.0, 0.0, width, b);
    } else {
        const double b = (width - static_cast<int>(height * a)) * 0.5;
        band(0.0, 0.0, b, height);
        band(width - b, 0.0, width, height);
    }
    glEnd();
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

int LowerDrawingLevel(int level, int requested, int remembered, double lastFrameSeconds,
                      bool seeThroughOrTransparency, bool shadows, bool textures)
{
    if (level <= requested) {
        return level;
    }
    if (level == 8) {
        level = 6;
    }
    // Each feature that is on keeps the level that it needs.
    if (level > 5 && !seeThroughOrTransparency) {
        level = 5;
    }
    if (level == 5 && !seeThroughOrTransparency && !shadows) {
        level = 4;
    }
    if (level == 4 && !seeThroughOrTransparency && !shadows && !textures) {
        level = 3;
    }
    if (level > remembered + 2) {
        return remembered + 1;
    }
    --level;
    if (level == 1 && lastFrameSeconds < 0.33) {
        level = 2;
    }
    return level;
}
