#include "render/keptframe.h"

#include "platform/gl/wgl.h"

CKeptFrame::CKeptFrame(bool viewFrame)
{
    CGLDevice* device = viewFrame ? wglGetCurrentDC() : nullptr;
    if (device != nullptr && device->BeginFrame()) {
        m_device = device;
    }
}

CKeptFrame::~CKeptFrame()
{
    End(false);
}

void CKeptFrame::End(bool shown)
{
    if (m_device == nullptr) {
        return;
    }
    m_device->EndFrame(shown);
    m_device = nullptr;
}
