#pragma once
// ILPicEncoder: the base of every format encoder. A format implements DoEncode, which
// writes the bitmap into a sink; the base opens file sinks for the file entry points.
// Failures are ILTextExceptions; encoders raise their own with raiseError.

#include <cstddef>

#include "imaging/ilobject.h"
#include "platform/cstring.h"

class ILBmp;
class ILDataSink;

class ILPicEncoder : public ILObject
{
public:
    ILPicEncoder() = default;
    ILPicEncoder(const ILPicEncoder&) = delete;
    ILPicEncoder& operator=(const ILPicEncoder&) = delete;
    ~ILPicEncoder() override = default;

    // Writes the bitmap to a new file (created or truncated). A file that cannot be created
    // raises its sink's code with "Opening <name> failed: <reason>". After a failed encode
    // the file keeps the bytes written until then.
    virtual void MakeFileFromBmp(const char* fileName, const ILBmp& bmp);
    virtual void MakeFileFromBmpW(const CString& fileName, const ILBmp& bmp);
    // Writes into an open sink.
    virtual void SaveBmp(const ILBmp& bmp, ILDataSink& sink);

    // The capacities the two file entry points reserve for a bitmap of this memory use.
    [[nodiscard]] static std::size_t FileCapacity(std::size_t memUsed);
    [[nodiscard]] static std::size_t FileCapacityW(std::size_t memUsed);

    static void SetTraceConfig(int level, const char* fileName);
    [[noreturn]] static void raiseError(int code, const char* text);
    static void Trace(int level, const char* text);

protected:
    virtual void DoEncode(const ILBmp& bmp, ILDataSink& sink) = 0;
};
