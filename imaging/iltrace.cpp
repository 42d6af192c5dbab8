#include "imaging/iltrace.h"

#include <atomic>
#include <cstdio>
#include <mutex>

#include "imaging/iltextexception.h"

namespace {

constexpr std::size_t kMessageBufferSize = 256;

// The level is read on every trace call from any thread, so it is an atomic of its own;
// the file name changes rarely and is guarded together with the writes, so that lines of
// two threads never interleave inside the file.
std::atomic<int> g_traceLevel{0};

struct TraceFile
{
    std::mutex lock;
    std::string name;  // empty: no trace file
};

TraceFile& TheTraceFile()
{
    static TraceFile file;
    return file;
}

}  // namespace

void ILSetTraceConfig(int level, const char* fileName)
{
    TraceFile& file = TheTraceFile();
    const std::lock_guard<std::mutex> guard(file.lock);
    g_traceLevel.store(level, std::memory_order_relaxed);
    file.name.clear();
    if (fileName != nullptr && *fileName != '\0') {
        file.name = fileName;
        std::remove(fileName);
    }
}

int ILGetTraceLevel()
{
    return g_traceLevel.load(std::memory_order_relaxed);
}

void ILTrace(int level, const char* text)
{
    if (level > ILGetTraceLevel() || text == nullptr) {
        return;
    }
    TraceFile& file = TheTraceFile();
    const std::lock_guard<std::mutex> guard(file.lock);
    if (file.name.empty()) {
        return;
    }
    std::FILE* out = std::fopen(file.name.c_str(), "a");
    if (out == nullptr) {
        return;
    }
    std::fputs(text, out);
    std::fclose(out);
}

void ILRaiseError(int code, const char* text)
{
    char message[kMessageBufferSize];
    std::snprintf(message, sizeof message, "Decoder error: %s\n", text != nullptr ? text : "");
    ILTrace(0, message);
    throw ILTextException(code, message);
}

void ILDebugOutput(const char* /*text*/)
{
}
