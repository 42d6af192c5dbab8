#include "platform/gl/wgl.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/gl/glcontext.h"

namespace {

// The first offered format with full colour, 24 depth bits and 8 stencil bits.
int FullFormat(HDC device)
{
    PIXELFORMATDESCRIPTOR wanted;
    wanted.cColorBits = 32;
    wanted.cAlphaBits = 8;
    wanted.cDepthBits = 24;
    wanted.cStencilBits = 8;
    return ChoosePixelFormat(device, &wanted);
}

class OffscreenContext : public testing::Test
{
protected:
    void SetUp() override
    {
        m_device = CGLDevice::CreateOffscreen(64, 48);
        ASSERT_NE(m_device, nullptr) << "no EGL display";
        ASSERT_TRUE(SetPixelFormat(m_device.get(), FullFormat(m_device.get()), nullptr));
        m_context = wglCreateContext(m_device.get());
        ASSERT_NE(m_context, nullptr);
    }
    void TearDown() override
    {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(m_context);
    }

    std::unique_ptr<CGLDevice> m_device;
    HGLRC m_context = nullptr;
};

}  // namespace

TEST(RasterThreads, FollowTheRasterisersSettingWhenItIsANumberAndTheProcessorsOtherwise)
{
    const char* const kept = std::getenv("LP_NUM_THREADS");
    const std::string before = kept != nullptr ? kept : "";
    const struct
    {
        const char* setting;
        int threads;
    } cases[] = {{"4", 4}, {"0", 0}, {"999", 32}, {"", -1}, {"-3", -1}, {"12345", -1}, {"7x", -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting);
        setenv("LP_NUM_THREADS", c.setting, 1);
        const unsigned threads = CGLContext::GetRasterThreads();
        if (c.threads >= 0) {
            EXPECT_EQ(threads, static_cast<unsigned>(c.threads));
        } else {
            EXPECT_GE(threads, 1u);
            EXPECT_LE(threads, 32u);
        }
    }
    if (kept != nullptr) {
        setenv("LP_NUM_THREADS", before.c_str(), 1);
    } else {
        unsetenv("LP_NUM_THREADS");
    }
}

TEST(PixelFormats, AreNumberedFromOneAndDescribeTheirBits)
{
    const std::unique_ptr<CGLDevice> device = CGLDevice::CreateOffscreen(8, 8);
    ASSERT_NE(device, nullptr);
    const int count = DescribePixelFormat(device.get(), 1, 0, nullptr);
    ASSERT_GT(count, 0);
    PIXELFORMATDESCRIPTOR format;
    EXPECT_EQ(DescribePixelFormat(device.get(), count + 1, sizeof(format), &format), 0);
    EXPECT_EQ(DescribePixelFormat(device.get(), 0, sizeof(format), &format), 0);
    const int full = FullFormat(device.get());
    ASSERT_EQ(DescribePixelFormat(device.get(), full, sizeof(format), &format), count);
    EXPECT_EQ(format.iPixelType, PFD_TYPE_RGBA);
    EXPECT_EQ(format.cRedBits + format.cGreenBits + format.cBlueBits + format.cAlphaBits, 32);
    EXPECT_EQ(format.cRedShift, 16);
    EXPECT_GE(format.cDepthBits, 24);
    EXPECT_EQ(format.cStencilBits, 8);
    EXPECT_NE(format.dwFlags & PFD_DOUBLEBUFFER, 0u);
    EXPECT_NE(format.dwFlags & PFD_SWAP_COPY, 0u);
    // A device keeps the pixel format it was given.
    EXPECT_EQ(GetPixelFormat(device.get()), 0);
    EXPECT_TRUE(SetPixelFormat(device.get(), full, nullptr));
    EXPECT_FALSE(SetPixelFormat(device.get(), full == 1 ? 2 : 1, nullptr));
    EXPECT_EQ(GetPixelFormat(device.get()), full);
}

TEST_F(OffscreenContext, DrawsWithStencilAndReadsTheFrameTopDown)
{
    ASSERT_TRUE(wglMakeCurrent(m_device.get(), m_context));
    EXPECT_EQ(wglGetCurrentContext(), m_context);
    EXPECT_EQ(wglGetCurrentDC(), m_device.get());
    GLint stencilBits = 0;
    glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
    EXPECT_EQ(stencilBits, 8);

    glViewport(0, 0, 64, 48);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    // Immediate mode: the upper half red.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 64, 0, 48, -1, 1);
    glColor3ub(255, 0, 0);
    glBegin(GL_QUADS);
    glVertex2i(0, 24);
    glVertex2i(64, 24);
    glVertex2i(64, 48);
    glVertex2i(0, 48);
    glEnd();
    EXPECT_TRUE(SwapBuffers(m_device.get()));
    std::vector<std::uint8_t> rgba;
    ASSERT_TRUE(m_device->ReadPixels(rgba));
    ASSERT_EQ(rgba.size(), 64u * 48u * 4u);
    const auto pixel = [&](int x, int y) {
        const auto at = rgba.begin() + (y * 64 + x) * 4;
        return std::vector<int>(at, at + 4);
    };
    EXPECT_EQ(pixel(10, 2), (std::vector<int>{255, 0, 0, 255}));
    EXPECT_EQ(pixel(10, 45), (std::vector<int>{0, 0, 255, 255}));
}

TEST_F(OffscreenContext, AResizedDeviceDrawsAtItsNewSizeAndReleasingEndsTheCurrentContext)
{
    m_device->SetSize(10, 5);
    ASSERT_TRUE(wglMakeCurrent(m_device.get(), m_context));
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    std::vector<std::uint8_t> rgba;
    ASSERT_TRUE(m_device->ReadPixels(rgba));
    EXPECT_EQ(rgba.size(), 10u * 5u * 4u);
    EXPECT_TRUE(wglMakeCurrent(nullptr, nullptr));
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_FALSE(m_device->ReadPixels(rgba));
    EXPECT_NE(wglGetProcAddress("wglChoosePixelFormatARB"), nullptr);
    EXPECT_EQ(wglGetProcAddress("wglSwapIntervalEXT"), nullptr);
    EXPECT_NE(wglGetProcAddress("glGenFramebuffers"), nullptr);
}

namespace {

// The full-colour format with the samples asked for, through the attribute choice.
int SampledFormat(HDC device, int samples)
{
    const int attributes[] = {WGL_SUPPORT_OPENGL_ARB, 1, WGL_COLOR_BITS_ARB, 24, WGL_ALPHA_BITS_ARB, 8,
                              WGL_DEPTH_BITS_ARB, 24, WGL_STENCIL_BITS_ARB, 8, WGL_SAMPLE_BUFFERS_ARB,
                              samples > 0 ? 1 : 0, WGL_SAMPLES_ARB, samples, 0};
    int index = 0;
    UINT count = 0;
    const auto choose = reinterpret_cast<PFNWGLCHOOSEPIXELFORMATARBPROC>(wglGetProcAddress("wglChoosePixelFormatARB"));
    return choose != nullptr && choose(device, attributes, nullptr, 1, &index, &count) != 0 && count == 1 ? index : 0;
}

// A white diagonal line on black, read back after the swap.
std::vector<std::uint8_t> DrawDiagonal(CGLDevice& device)
{
    glViewport(0, 0, 64, 48);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 64, 0, 48, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3f(1, 1, 1);
    glBegin(GL_TRIANGLES);
    glVertex2f(0, 0);
    glVertex2f(64, 13);
    glVertex2f(0, 48);
    glEnd();
    std::vector<std::uint8_t> rgba;
    EXPECT_TRUE(SwapBuffers(&device));
    EXPECT_TRUE(device.ReadFrontPixels(rgba));
    return rgba;
}

}  // namespace

TEST(PixelFormats, MultisampledFormatsAreOfferedAfterThePlainOnesAndResolveTheirEdges)
{
    const struct
    {
        int samples;
        bool partialCoverage;
    } cases[] = {{0, false}, {4, true}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.samples);
        const std::unique_ptr<CGLDevice> device = CGLDevice::CreateOffscreen(64, 48);
        ASSERT_NE(device, nullptr);
        const int index = SampledFormat(device.get(), c.samples);
        ASSERT_GT(index, 0);
        EXPECT_EQ(device->GetPixelFormatSamples(index), c.samples);
        // The plain format ChoosePixelFormat gives keeps its number ahead of every sampled one.
        if (c.samples > 0) {
            EXPECT_GT(index, FullFormat(device.get()));
        }
        ASSERT_TRUE(SetPixelFormat(device.get(), index, nullptr));
        HGLRC context = wglCreateContext(device.get());
        ASSERT_TRUE(wglMakeCurrent(device.get(), context));
        const std::vector<std::uint8_t> rgba = DrawDiagonal(*device);
        int partial = 0;
        for (size_t i = 0; i < rgba.size(); i += 4)
            partial += rgba[i] > 0 && rgba[i] < 255 ? 1 : 0;
        EXPECT_EQ(partial > 0, c.partialCoverage);
        // Reading a multisampled frame while it is drawn resolves it too.
        std::vector<std::uint8_t> back;
        ASSERT_TRUE(device->ReadPixels(back));
        EXPECT_EQ(back, rgba);
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(context);
    }
}

TEST_F(OffscreenContext, TheFrontBufferKeepsWhatIsDrawnOverTheFrameUntilTheNextSwap)
{
    ASSERT_TRUE(wglMakeCurrent(m_device.get(), m_context));
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    ASSERT_TRUE(SwapBuffers(m_device.get()));
    m_device->SelectFrontBuffer(true);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    m_device->SelectFrontBuffer(false);
    std::vector<std::uint8_t> front;
    std::vector<std::uint8_t> back;
    ASSERT_TRUE(m_device->ReadFrontPixels(front));
    ASSERT_TRUE(m_device->ReadPixels(back));
    EXPECT_EQ(front[0], 255);
    EXPECT_EQ(back[0], 0);
    EXPECT_EQ(back[2], 255);
    // The swap shows the clean frame again.
    ASSERT_TRUE(SwapBuffers(m_device.get()));
    ASSERT_TRUE(m_device->ReadFrontPixels(front));
    EXPECT_EQ(front, back);
}

namespace {

// A frame of one colour at one depth over the whole device.
void ClearFrame(float red, float green, float blue, double depth)
{
    glClearColor(red, green, blue, 1);
    glClearDepth(depth);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

float DepthAtCorner()
{
    float depth = -1.0f;
    glReadPixels(0, 0, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    return depth;
}

// Whether a white square drawn at the depth into the front buffer, as a tool's feedback
// is, shows over the frame there.
bool FeedbackShowsAt(CGLDevice& device, double depth)
{
    device.SelectFrontBuffer(true);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3f(1, 1, 1);
    const auto z = static_cast<float>(2.0 * depth - 1.0);
    glBegin(GL_QUADS);
    glVertex3f(-1, -1, z);
    glVertex3f(1, -1, z);
    glVertex3f(1, 1, z);
    glVertex3f(-1, 1, z);
    glEnd();
    glDepthMask(GL_TRUE);
    device.SelectFrontBuffer(false);
    std::vector<std::uint8_t> front;
    EXPECT_TRUE(device.ReadFrontPixels(front));
    return front[0] == 255;
}

}  // namespace

TEST(PixelFormats, AFrameDroppedPartWayLeavesTheLastKeptFrameToTheSwapTheDepthsAndTheFeedback)
{
    for (const int samples : {0, 4})
    {
        SCOPED_TRACE(samples);
        const std::unique_ptr<CGLDevice> device = CGLDevice::CreateOffscreen(64, 48);
        ASSERT_NE(device, nullptr);
        ASSERT_TRUE(SetPixelFormat(device.get(), SampledFormat(device.get(), samples), nullptr));
        HGLRC context = wglCreateContext(device.get());
        ASSERT_TRUE(wglMakeCurrent(device.get(), context));
        glViewport(0, 0, 64, 48);
        std::vector<std::uint8_t> front;
        // Twice, so that each back buffer takes each part once.
        for (int round = 0; round < 2; ++round)
        {
            SCOPED_TRACE(round);
            // Blue at depth 0.25, kept; then red at 0.75, dropped.
            ASSERT_TRUE(device->BeginFrame());
            ClearFrame(0, 0, 1, 0.25);
            device->EndFrame(true);
            ASSERT_TRUE(SwapBuffers(device.get()));
            ASSERT_TRUE(device->BeginFrame());
            EXPECT_FALSE(device->BeginFrame()) << "one frame at a time";
            ClearFrame(1, 0, 0, 0.75);
            device->EndFrame(false);
            // The tool's feedback swaps first, then draws over the frame it shows.
            ASSERT_TRUE(SwapBuffers(device.get()));
            ASSERT_TRUE(device->ReadFrontPixels(front));
            EXPECT_EQ(front[0], 0);
            EXPECT_EQ(front[2], 255);
            EXPECT_NEAR(DepthAtCorner(), 0.25, 1e-6);
            EXPECT_FALSE(FeedbackShowsAt(*device, 0.5));
        }
        // A kept frame brings its own depths to the feedback.
        ASSERT_TRUE(device->BeginFrame());
        ClearFrame(0, 1, 0, 0.75);
        device->EndFrame(true);
        ASSERT_TRUE(SwapBuffers(device.get()));
        EXPECT_NEAR(DepthAtCorner(), 0.75, 1e-6);
        EXPECT_TRUE(FeedbackShowsAt(*device, 0.5));
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(context);
    }
}
