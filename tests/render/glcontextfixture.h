#pragma once
// A current GL context on a small offscreen framebuffer, made for each test. Fixtures
// that want another size or no stencil buffer make their own in SetUp.

#include <gtest/gtest.h>

#include <memory>

#include "platform/gl/wgl.h"

class GLContextTest : public testing::Test
{
protected:
    void SetUp() override { MakeCurrent(kWidth, kHeight, 8); }
    void TearDown() override
    {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(m_context);
    }

    // A context made current on an offscreen framebuffer of the size, with 24 depth bits
    // and the stencil bits given; a fatal failure without one.
    void MakeCurrent(int width, int height, int stencilBits)
    {
        m_device = CGLDevice::CreateOffscreen(width, height);
        ASSERT_NE(m_device, nullptr);
        PIXELFORMATDESCRIPTOR wanted;
        wanted.cDepthBits = 24;
        wanted.cStencilBits = static_cast<BYTE>(stencilBits);
        ASSERT_TRUE(SetPixelFormat(m_device.get(), ChoosePixelFormat(m_device.get(), &wanted), nullptr));
        m_context = wglCreateContext(m_device.get());
        ASSERT_TRUE(wglMakeCurrent(m_device.get(), m_context));
    }

    static constexpr int kWidth = 64;
    static constexpr int kHeight = 48;
    std::unique_ptr<CGLDevice> m_device;
    HGLRC m_context = nullptr;
};
