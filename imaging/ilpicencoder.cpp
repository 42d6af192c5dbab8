#include "imaging/ilpicencoder.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "imaging/ilbmp.h"
#include "imaging/ilfilesink.h"
#include "imaging/iltextexception.h"
#include "imaging/iltrace.h"

namespace {

// A name that needs this many bytes or more, its terminator included, is replaced in the
// messages.
constexpr std::size_t kMaxMessageName = 900;

}  // namespace

std::size_t ILPicEncoder::FileCapacity(std::size_t memUsed)
{
    return memUsed + 65536;
}

std::size_t ILPicEncoder::FileCapacityW(std::size_t memUsed)
{
    if (memUsed < 20000) {
        return memUsed + 4096;
    }
    return static_cast<std::size_t>(static_cast<double>(memUsed) * 1.2);
}

void ILPicEncoder::MakeFileFromBmp(const char* fileName, const ILBmp& bmp)
{
    const std::string name = fileName != nullptr ? fileName : "";
    Trace(1, ("--- Encoding file " + name + ". ---\n").c_str());
    ILFileSink sink;
    const int code = sink.Open(name.c_str(), FileCapacity(bmp.GetMemUsed()));
    if (code != ILTextException::none) {
        raiseError(code, ("Opening " + name + " failed: " + std::strerror(errno)).c_str());
    }
    SaveBmp(bmp, sink);
    sink.Close();
}

void ILPicEncoder::MakeFileFromBmpW(const CString& fileName, const ILBmp& bmp)
{
    std::string name = fileName.ToUtf8();
    if (name.size() + 1 >= kMaxMessageName) {
        name = "{{Filename too long}}";
    }
    Trace(1, ("--- Encoding file " + name + ". ---\n").c_str());
    ILFileSink sink;
    const int code = sink.OpenW(fileName, FileCapacityW(bmp.GetMemUsed()));
    if (code != ILTextException::none) {
        raiseError(code, ("Opening " + name + " failed: " + std::strerror(errno)).c_str());
    }
    SaveBmp(bmp, sink);
    sink.Close();
}

void ILPicEncoder::SaveBmp(const ILBmp& bmp, ILDataSink& sink)
{
    DoEncode(bmp, sink);
}

void ILPicEncoder::SetTraceConfig(int level, const char* fileName)
{
    ILSetTraceConfig(level, fileName);
}

void ILPicEncoder::raiseError(int code, const char* text)
{
    ILRaiseError(code, text);
}

void ILPicEncoder::Trace(int level, const char* text)
{
    ILTrace(level, text);
}
