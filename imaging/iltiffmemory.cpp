#include "imaging/iltiffmemory.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>

#include "imaging/iltextexception.h"
#include "imaging/iltrace.h"

namespace {

// A classic TIFF addresses 4 GiB; the output never grows past that.
constexpr uint64_t kMaxOutput = 0xFFFFFFFFull;
// No single allocation libtiff makes for one of these handles may pass this.
constexpr tmsize_t kMaxSingleAllocation = tmsize_t{1} << 30;

ILTIFFMemory& MemoryOf(thandle_t handle)
{
    return *static_cast<ILTIFFMemory*>(handle);
}

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t count)
{
    ILTIFFMemory& m = MemoryOf(handle);
    if (!m.readData || count <= 0 || m.position >= m.size) {
        return 0;
    }
    const uint64_t n = std::min<uint64_t>(static_cast<uint64_t>(count), m.size - m.position);
    std::memcpy(buffer, m.readData + m.position, n);
    m.position += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t WriteProc(thandle_t handle, void* buffer, tmsize_t count)
{
    ILTIFFMemory& m = MemoryOf(handle);
    if (!m.output || count <= 0) {
        return 0;
    }
    const uint64_t end = m.position + static_cast<uint64_t>(count);
    if (end > kMaxOutput) {
        return 0;  // libtiff sees a short write and reports it
    }
    try {
        if (end > m.output->size()) {
            m.output->resize(end);
        }
    } catch (const std::bad_alloc&) {
        return 0;
    }
    std::memcpy(m.output->data() + m.position, buffer, static_cast<size_t>(count));
    m.position = end;
    m.size = std::max(m.size, end);
    return count;
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence)
{
    ILTIFFMemory& m = MemoryOf(handle);
    uint64_t target = 0;
    switch (whence) {
    case SEEK_CUR:
        target = m.position + offset;
        break;
    case SEEK_END:
        target = m.size + offset;
        break;
    default:
        target = offset;
        break;
    }
    if (target > kMaxOutput) {
        return static_cast<toff_t>(-1);
    }
    if (m.output && target > m.size) {
        try {
            m.output->resize(target);
        } catch (const std::bad_alloc&) {
            return static_cast<toff_t>(-1);
        }
        m.size = target;
    }
    m.position = target;
    return target;
}

int CloseProc(thandle_t)
{
    return 0;
}

toff_t SizeProc(thandle_t handle)
{
    return MemoryOf(handle).size;
}

int MapProc(thandle_t, void**, toff_t*)
{
    return 0;
}

void UnmapProc(thandle_t, void*, toff_t)
{
}

int HandleError(TIFF*, void* userData, const char*, const char* format, va_list args)
{
    auto* errors = static_cast<ILTIFFErrorState*>(userData);
    char text[sizeof errors->message - 2];
    std::vsnprintf(text, sizeof text, format, args);
    std::snprintf(errors->message, sizeof errors->message, "%s\n", text);
    errors->failed = true;
    ILTrace(0, errors->message);
    return 1;
}

int HandleWarning(TIFF*, void*, const char* module, const char* format, va_list args)
{
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    char line[600];
    if (module) {
        std::snprintf(line, sizeof line, "Warning in LIBTIFF(%s): %s\n", module, text);
    } else {
        std::snprintf(line, sizeof line, "Warning in LIBTIFF: %s\n", text);
    }
    ILTrace(2, line);
    return 1;
}

// Messages libtiff reports without a handle of ours go to the trace, never to stderr.
void GlobalError(const char*, const char* format, va_list args)
{
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    ILTrace(0, text);
}

void GlobalWarning(const char*, const char* format, va_list args)
{
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    ILTrace(2, text);
}

void InstallTIFFHandlers()
{
    static std::once_flag once;
    std::call_once(once, [] {
        TIFFSetErrorHandler(GlobalError);
        TIFFSetWarningHandler(GlobalWarning);
    });
}

TIFF* OpenClient(const char* mode, ILTIFFMemory& memory)
{
    InstallTIFFHandlers();
    memory.errors.Reset();
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) {
        return nullptr;
    }
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxSingleAllocation);
    TIFFOpenOptionsSetErrorHandlerExtR(options, HandleError, &memory.errors);
    TIFFOpenOptionsSetWarningHandlerExtR(options, HandleWarning, nullptr);
    TIFF* tif = TIFFClientOpenExt("MemSource", mode, &memory, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                                  MapProc, UnmapProc, options);
    TIFFOpenOptionsFree(options);
    return tif;
}

}  // namespace

TIFF* TIFFOpenMem(const uint8_t* data, size_t size, ILTIFFMemory& memory)
{
    memory.readData = data;
    memory.output = nullptr;
    memory.position = 0;
    memory.size = size;
    return OpenClient("r", memory);
}

TIFF* TIFFOpenMem(std::vector<uint8_t>& output, ILTIFFMemory& memory)
{
    output.clear();
    memory.readData = nullptr;
    memory.output = &output;
    memory.position = 0;
    memory.size = 0;
    return OpenClient("w", memory);
}

void ILTIFFRaiseIfFailed(const ILTIFFErrorState& errors)
{
    if (errors.failed) {
        ILRaiseError(ILTextException::badFormat, errors.message);
    }
}
