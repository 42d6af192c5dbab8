#include "render/drawthrottle.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "foundation/framemeter.h"
#include "platform/gl/wgl.h"
#include "platform/quitrequest.h"

namespace {

// Long enough for any window of draws a driver really fills, waited for in slices so
// that a quit need not wait for all of it.
constexpr std::uint64_t kWaitNanoseconds = 1'000'000'000;
constexpr std::uint64_t kWaitSliceNanoseconds = 50'000'000;

struct SyncCalls
{
    PFNGLFENCESYNCPROC fenceSync = nullptr;
    PFNGLCLIENTWAITSYNCPROC clientWaitSync = nullptr;
    PFNGLDELETESYNCPROC deleteSync = nullptr;
};

const SyncCalls& GetSyncCalls()
{
    static const SyncCalls calls = [] {
        SyncCalls loaded;
        loaded.fenceSync = reinterpret_cast<PFNGLFENCESYNCPROC>(wglGetProcAddress("glFenceSync"));
        loaded.clientWaitSync = reinterpret_cast<PFNGLCLIENTWAITSYNCPROC>(wglGetProcAddress("glClientWaitSync"));
        loaded.deleteSync = reinterpret_cast<PFNGLDELETESYNCPROC>(wglGetProcAddress("glDeleteSync"));
        return loaded;
    }();
    return calls;
}

// Sync objects came with version 3.2 and before it as an extension; an entry point
// alone says nothing, since the loader hands one out for any name.
bool ContextHasSync()
{
    const SyncCalls& calls = GetSyncCalls();
    if (calls.fenceSync == nullptr || calls.clientWaitSync == nullptr || calls.deleteSync == nullptr) {
        return false;
    }
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int major = 0;
    int minor = 0;
    if (version != nullptr && std::sscanf(version, "%d.%d", &major, &minor) == 2 &&
        (major > 3 || (major == 3 && minor >= 2))) {
        return true;
    }
    const auto* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return extensions != nullptr && std::strstr(extensions, "GL_ARB_sync") != nullptr;
}

}  // namespace

void CDrawThrottle::Begin()
{
    // A frame left by an exception may have left its fence behind.
    Forget();
    m_counting = ContextHasSync();
    m_draws = 0;
    m_windowStart = CFrameMeter::GetUsed();
}

void CDrawThrottle::NoteDraw()
{
    if (!m_counting) {
        return;
    }
    const std::uint64_t used = CFrameMeter::GetUsed();
    // A meter opened and closed within the window (a picture drawn meanwhile) may have
    // given back less than the window started from.
    const bool full = used < m_windowStart || used - m_windowStart >= kUnitsPerWindow;
    if (++m_draws < kDrawsPerWindow && !full) {
        return;
    }
    m_draws = 0;
    m_windowStart = used;
    const SyncCalls& calls = GetSyncCalls();
    // Setting the fence sends this window to the driver's threads.
    GLsync fence = calls.fenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    if (m_fence != nullptr) {
        GLenum waited = GL_TIMEOUT_EXPIRED;
        for (std::uint64_t spent = 0;
             waited == GL_TIMEOUT_EXPIRED && spent < kWaitNanoseconds && !CQuitRequest::IsRequested();
             spent += kWaitSliceNanoseconds) {
            waited = calls.clientWaitSync(m_fence, GL_SYNC_FLUSH_COMMANDS_BIT, kWaitSliceNanoseconds);
        }
        calls.deleteSync(m_fence);
    }
    m_fence = fence;
}

void CDrawThrottle::End()
{
    Forget();
    m_counting = false;
}

void CDrawThrottle::Forget()
{
    if (m_fence != nullptr) {
        GetSyncCalls().deleteSync(m_fence);
        m_fence = nullptr;
    }
}
