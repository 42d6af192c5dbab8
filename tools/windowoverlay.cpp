#include "tools/windowoverlay.h"

#include <GL/gl.h>

#include "render/tarnisview.h"
#include "render/viewdefinition.h"

CWindowOverlay::CWindowOverlay(CTarnisView& view) : m_view(view), m_lit(view.IsLightingOn())
{
    const CViewDefinition& definition = view.GetViewDefinition();
    view.EndPrimitive();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, definition.GetViewportWidth(), definition.GetViewportHeight(), 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    view.SetLighting(false);
    m_depthTest = view.SetCapability(GL_DEPTH_TEST, false);
    view.SetLineWidth(1.0);
    view.SetLineStipple(0);
}

CWindowOverlay::~CWindowOverlay()
{
    m_view.EndPrimitive();
    m_view.SetCapability(GL_DEPTH_TEST, m_depthTest);
    m_view.SetLighting(m_lit);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}
