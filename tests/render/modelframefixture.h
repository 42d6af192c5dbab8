#pragma once
// A model drawn by a view into GLContextTest's offscreen framebuffer: the model without
// its axes, the view set up as the application's view is once its context is current.
// Fixtures add their options, geometry and readings of the pixels.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/definitionlist.h"
#include "document/group.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/tarnwickmodel.h"
#include "document/utctime.h"
#include "model/undosuspender.h"
#include "render/tarnisview.h"
#include "tests/render/glcontextfixture.h"
#include "tests/render/hiddenaxes.h"

// The application's view answers for its window's stencil buffer; this one does when
// told its framebuffer has one.
class FrameView : public CTarnisView
{
public:
    explicit FrameView(bool stencil) : m_stencil(stencil) {}
    [[nodiscard]] bool HasStencilBuffer() const override { return m_stencil || CTarnisView::HasStencilBuffer(); }
    [[nodiscard]] int GetStencilBits() const override { return m_stencil ? 8 : CTarnisView::GetStencilBits(); }
    // It counts the redraws, swaps and settle times asked for, and keeps the last settle
    // time and status text.
    void Invalidate(bool /*erase*/) override { ++invalidations; }
    void SwapBuffersHook(int /*argument*/) override { ++swaps; }
    // As the application's view: its timer stops before each step of an animation.
    void StopAnimationTimer() override { SetAnimationInterval(0.0); }
    void ScheduleSettle(double seconds) override
    {
        ++settleRequests;
        settleSeconds = seconds;
    }
    void SetStatusText(int /*pane*/, const CString& text) override { statusText = text; }
    [[nodiscard]] CString GetStatusText(int /*pane*/) const override { return statusText; }

    int invalidations = 0;
    int swaps = 0;
    int settleRequests = 0;
    double settleSeconds = -1.0;
    CString statusText;

private:
    bool m_stencil;
};

class ModelFrameTest : public GLContextTest
{
protected:
    explicit ModelFrameTest(bool stencilView = false) : m_view(stencilView) {}

    void SetUp() override
    {
        GLContextTest::SetUp();
        m_model = new CTarnwickModel();
        HideModelAxes(*m_model);
        m_view.SetModel(m_model);
        m_view.InitGLState();
    }
    void TearDown() override
    {
        m_view.SetModel(nullptr);
        m_model->Release();
        GLContextTest::TearDown();
    }

    CRenderingOptions& Options() { return *m_model->GetRenderingOptions(); }
    CShadowInfo& Shadows() { return *m_model->GetShadowInfo(); }
    CComponent& Root() { return *m_model->GetRootComponent(); }

    // The hour of a winter day whose sun height lies nearest the wanted one; the sun
    // direction then follows from the model's place and time.
    CVector3d SetSunHeight(double wanted)
    {
        int best = 0;
        double bestHeight = 1e9;
        for (int hour = 0; hour < 24; ++hour) {
            Shadows().SetDateTime(CUtcTime(2020, 12, 21, hour, 0, 0));
            const double z = Shadows().GetSunDirection().z;
            if (std::abs(z - wanted) < std::abs(bestHeight - wanted)) {
                best = hour;
                bestHeight = z;
            }
        }
        Shadows().SetDateTime(CUtcTime(2020, 12, 21, best, 0, 0));
        return Shadows().GetSunDirection();
    }

    // A parallel view from the eye to the target showing the given height, in the
    // fixture's view or in another one of the framebuffer's size.
    static void LookParallel(CTarnisView& view, const CPoint3d& eye, const CPoint3d& target, const CVector3d& up,
                             double height)
    {
        CViewDefinition definition;
        definition.SetViewportSize(kWidth, kHeight);
        definition.SetEyeTarget(eye, target, up);
        definition.SetPerspective(false);
        definition.SetViewHeight(height);
        view.SetViewDefinition(definition);
        view.SetViewportSize(kWidth, kHeight);
    }
    void LookParallel(const CPoint3d& eye, const CPoint3d& target, const CVector3d& up, double height)
    {
        LookParallel(m_view, eye, target, up, height);
    }
    // Straight down at the point.
    void LookDown(const CPoint3d& centre, double height)
    {
        LookParallel(centre + CVector3d(0, 0, 100), centre, CVector3d(0, 1, 0), height);
    }
    void LookDown(double height) { LookDown(CPoint3d(), height); }

    // A group placed in the component with a definition of its own.
    CGroup* AddGroup(CComponent& into, CComponentDefinition*& definition)
    {
        definition = new CComponentDefinition;
        Root().GetDefinitionList()->Add(definition);
        auto* group = new CGroup;
        definition->AddInstance(group);
        into.Add(group);
        return group;
    }

    // A chain of that many instances placed in the root, each of a definition of its own
    // that holds the next and each moved by the step; fill builds the innermost definition.
    // Answers the outermost instance.
    CComponentInstance* NestInstances(int levels, const CTransformation& step,
                                      const std::function<void(CComponentDefinition&)>& fill)
    {
        CComponentInstance* instance = nullptr;
        for (int level = 0; level < levels; ++level) {
            auto* definition = new CComponentDefinition;
            Root().GetDefinitionList()->Add(definition);
            if (instance == nullptr) {
                fill(*definition);
            } else {
                definition->Add(instance);
            }
            instance = new CComponentInstance;
            definition->AddInstance(instance);
            instance->SetTransform(step);
        }
        Root().Add(instance);
        return instance;
    }

    // Draws a frame and reads it into m_pixels; FRAME_DUMP, when set, names a folder of
    // the developer's own where each frame is written as a PPM file for a look.
    void Draw()
    {
        const CurrentModelScope scope(m_model);
        m_view.DrawFrame(0, false);
        glFinish();
        ASSERT_TRUE(m_device->ReadPixels(m_pixels));
        static int n = 0;
        const char* folder = std::getenv("FRAME_DUMP");
        const std::string dump = folder != nullptr ? std::string(folder) + "/frame" + std::to_string(n++) + ".ppm" : "";
        if (FILE* f = dump.empty() ? nullptr : std::fopen(dump.c_str(), "wb"); f != nullptr) {
            std::fprintf(f, "P6 %d %d 255\n", kWidth, kHeight);
            for (std::size_t i = 0; i < m_pixels.size(); i += 4) {
                std::fwrite(&m_pixels[i], 1, 3, f);
            }
            std::fclose(f);
        }
    }

    // Red, green and blue of the last frame's pixel, x from the left, y from the top.
    [[nodiscard]] std::array<int, 3> Pixel(int x, int y) const
    {
        const std::size_t at = (static_cast<std::size_t>(y) * kWidth + x) * 4;
        return {m_pixels[at], m_pixels[at + 1], m_pixels[at + 2]};
    }

    const CUndoSuspender m_suspender;
    FrameView m_view;
    CTarnwickModel* m_model = nullptr;
    std::vector<std::uint8_t> m_pixels;
};
