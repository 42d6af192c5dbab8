#pragma once
// A current GL context on a small offscreen framebuffer, made for each test.

#include <gtest/gtest.h>

#include <memory>

#include "platform/gl/wgl.h"

class GLContextTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_device = CGLDevice::CreateOffscreen(kWidth, kHeight);
        ASSERT_NE(m_device, nullptr);
        PIXELFORMATDESCRIPTOR wanted;
        wanted.cDepthBits = 24;
        wanted.cStencilBits = 8;
        ASSERT_TRUE(SetPixelFormat(m_device.get(), ChoosePixelFormat(m_device.get(), &wanted), nullptr));
        m_context = wglCreateContext(m_device.get());
        ASSERT_TRUE(wglMakeCurrent(m_device.get(), m_context));
    }
    void TearDown() override
    {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(m_context);
    }

    static constexpr int kWidth = 64;
    static constexpr int kHeight = 48;
    std::unique_ptr<CGLDevice> m_device;
    HGLRC m_context = nullptr;
};
