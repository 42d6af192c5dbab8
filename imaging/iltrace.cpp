#include "imaging/iltrace.h"

#include <cstdio>

#include "imaging/iltextexception.h"

namespace {

constexpr std::size_t kMessageBufferSize = 256;

int g_traceLevel = 0;
std::string g_traceFile;  // empty: no trace file

}  // namespace

void ILSetTraceConfig(int level, const char* fileName)
{
    g_traceLevel = level;
    g_traceFile.clear();
    if (fileName != nullptr && *fileName != '\0') {
        g_traceFile = fileName;
        std::remove(fileName);
    }
}

void ILClearTraceFile()
{
    g_traceFile.clear();
}

int ILGetTraceLevel()
{
    return g_traceLevel;
}

void ILTrace(int level, const char* text)
{
    if (level > g_traceLevel || g_traceFile.empty() || text == nullptr) {
        return;
    }
    std::FILE* file = std::fopen(g_traceFile.c_str(), "a");
    if (file == nullptr) {
        return;
    }
    std::fputs(text, file);
    std::fclose(file);
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
