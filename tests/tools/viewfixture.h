#pragma once
// A model and a view on a small offscreen framebuffer, with the tools' picking service
// installed, for the tests of picking and of the camera operations built on it.

#include <GL/gl.h>

#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/definitionlist.h"
#include "document/renderingoptions.h"
#include "document/tarnwickmodel.h"
#include "model/face.h"
#include "model/undosuspender.h"
#include "render/tarnisview.h"
#include "samplegen/geometrybuilder.h"
#include "tests/render/glcontextfixture.h"
#include "tests/render/hiddenaxes.h"
#include "tools/pickhelper.h"
#include "tools/viewpickingservice.h"

class ViewFixture : public GLContextTest
{
protected:
    void SetUp() override
    {
        GLContextTest::SetUp();
        InstallViewPicking();
        m_model = new CTarnwickModel();
        HideModelAxes(*m_model);
        m_view.SetModel(m_model);
        m_view.InitGLState();
        Look(CPoint3d(0, 0, 100), CPoint3d(0, 0, 0), CVector3d(0, 1, 0), false);
    }
    void TearDown() override
    {
        const CUndoSuspender suspender;
        m_view.SetModel(nullptr);
        m_model->Release();
        SetPickingService(nullptr);
        GLContextTest::TearDown();
    }

    CComponent& Root() { return *m_model->GetRootComponent(); }

    // Parallel projections show 20 units across the window's height.
    void Look(const CPoint3d& eye, const CPoint3d& target, const CVector3d& up, bool perspective)
    {
        CViewDefinition definition;
        definition.SetViewportSize(m_width, m_height);
        definition.SetEyeTarget(eye, target, up);
        definition.SetPerspective(perspective);
        definition.SetFieldOfView(35.0);
        definition.SetViewHeight(20.0);
        m_view.SetViewDefinition(definition);
        m_view.SetViewportSize(m_width, m_height);
    }

    // Draws from now on into a framebuffer of that size with that many depth bits; the
    // next Look takes its size.
    void UseFramebuffer(int width, int height, int depthBits)
    {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(m_context);
        m_context = nullptr;
        m_device = CGLDevice::CreateOffscreen(width, height);
        ASSERT_NE(m_device, nullptr);
        PIXELFORMATDESCRIPTOR wanted;
        wanted.cDepthBits = static_cast<BYTE>(depthBits);
        wanted.cStencilBits = 0;
        ASSERT_TRUE(SetPixelFormat(m_device.get(), ChoosePixelFormat(m_device.get(), &wanted), nullptr));
        m_context = wglCreateContext(m_device.get());
        ASSERT_TRUE(wglMakeCurrent(m_device.get(), m_context));
        GLint bits = -1;
        glGetIntegerv(GL_DEPTH_BITS, &bits);
        ASSERT_EQ(bits > 0, depthBits > 0);
        m_view.ResetOpenGL();
        m_width = width;
        m_height = height;
    }

    // A square face of the given half size in the plane z, facing up.
    static CFace* Square(CComponent& component, double half, double z)
    {
        const CGeometryBuilder builder(component);
        return builder.Face({builder.Vertex(CPoint3d(-half, -half, z)), builder.Vertex(CPoint3d(half, -half, z)),
                             builder.Vertex(CPoint3d(half, half, z)), builder.Vertex(CPoint3d(-half, half, z))},
                            CVector3d(0, 0, 1));
    }

    // A definition in the root's list, placed in the component with the transformation.
    CComponentDefinition* Place(CComponent& component, CComponentDefinition* definition,
                                const CTransformation& transform)
    {
        if (definition == nullptr) {
            definition = new CComponentDefinition;
            Root().GetDefinitionList()->Add(definition);
        }
        auto* instance = new CComponentInstance;
        definition->AddInstance(instance);
        instance->SetTransform(transform);
        component.Add(instance);
        return definition;
    }

    // Whether a region pick of the window rectangle keeps the element.
    bool RegionPicks(const CDrawingElement* element, const CPoint2d& corner1, const CPoint2d& corner2, int mode)
    {
        CPickHelper picker;
        picker.AttachRegion(&m_view, corner1, corner2, mode);
        const CurrentModelScope scope(m_model);
        const int hits = picker.Pick();
        for (int i = 0; i < hits; ++i) {
            if (picker.GetHit(i).GetPickedEntity() == element) {
                return true;
            }
        }
        return false;
    }

    void Draw()
    {
        const CurrentModelScope scope(m_model);
        m_view.DrawFrame(0, false);
        glFinish();
    }

    static CTransformation Shift(double x, double y, double z)
    {
        CTransformation t;
        t.SetTranslation(CVector3d(x, y, z));
        return t;
    }

    CTarnwickModel* m_model = nullptr;
    CTarnisView m_view;
    int m_width = kWidth;
    int m_height = kHeight;
};
