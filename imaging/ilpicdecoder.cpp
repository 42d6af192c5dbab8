#include "imaging/ilpicdecoder.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "imaging/ilanybmp.h"
#include "imaging/ilboxreducer.h"
#include "imaging/ilfilesource.h"
#include "imaging/ilfilterboxreduce.h"
#include "imaging/ilmemsource.h"
#include "imaging/ilresourcesource.h"
#include "imaging/iltextexception.h"
#include "imaging/iltrace.h"
#include "imaging/ilurlsource.h"

namespace {

// A name that needs this many bytes or more, its terminator included, is too long for the
// narrow buffer of the messages and is replaced there.
constexpr std::size_t kMaxMessageName = 900;

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Printf(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
    if (length > 0) {
        std::vsnprintf(text.data(), text.size() + 1, format, args);
    }
    va_end(args);
    return text;
}

std::string NameForMessages(const CString& wideName)
{
    std::string narrow = wideName.ToUtf8();
    if (narrow.size() + 1 >= kMaxMessageName) {
        return "{{Filename too long}}";
    }
    return narrow;
}

bool IsWantedDepth(int bitsPerPixel)
{
    return bitsPerPixel == 0 || bitsPerPixel == 1 || bitsPerPixel == 8 || bitsPerPixel == 16 ||
           bitsPerPixel == 24 || bitsPerPixel == 32;
}

}  // namespace

ILPicDecoder::~ILPicDecoder() = default;

void ILPicDecoder::MakeBmpFromFile(const char* fileName, ILBmp& bmp, int bitsPerPixel,
                                   ILProgressNotification* progress)
{
    const char* name = fileName != nullptr ? fileName : "";
    Trace(1, Printf("--- Decoding file %s. ---\n", name).c_str());
    ILFileSource source(progress);
    const int code = source.Open(name);
    if (code != ILTextException::none) {
        RaiseError(code, Printf("Opening %s failed", name).c_str());
    }
    DecodeFrom(source, &bmp, bitsPerPixel);
}

void ILPicDecoder::MakeBmpFromFileW(const CString& fileName, ILBmp& bmp, int bitsPerPixel,
                                    ILProgressNotification* progress)
{
    const std::string name = NameForMessages(fileName);
    Trace(1, Printf("--- Decoding file %s. ---\n", name.c_str()).c_str());
    ILFileSource source(progress);
    const int code = source.OpenW(fileName);
    if (code != ILTextException::none) {
        RaiseError(code, Printf("Opening %s failed", name.c_str()).c_str());
    }
    DecodeFrom(source, &bmp, bitsPerPixel);
}

void ILPicDecoder::MakeBmpFromURL(const char* url, ILBmp& bmp, int bitsPerPixel,
                                  ILProgressNotification* /*progress*/)
{
    const char* name = url != nullptr ? url : "";
    Trace(1, Printf("--- Decoding URL %s. ---\n", name).c_str());
    ILURLSource source;
    try {
        const int code = source.Open(name);
        if (code != ILTextException::none) {
            RaiseError(code, Printf("Reading URL %s failed, reason: %s", name, source.GetErrorText().c_str()).c_str());
        }
        DecodeFrom(source, &bmp, bitsPerPixel);
    } catch (const ILTextException& e) {
        if (e.GetCode() == ILTextException::urlFailed) {
            throw ILTextException(ILTextException::urlFailed, source.GetErrorCode(), e.GetText());
        }
        throw;
    }
}

void ILPicDecoder::MakeBmpFromResource(int resourceId, ILBmp& bmp, int bitsPerPixel, const char* resourceType,
                                       ILProgressNotification* /*progress*/)
{
    Trace(1, Printf("--- Decoding resource ID %i. ---\n", resourceId).c_str());
    ILResourceSource source;
    const int code = source.Open(resourceId, resourceType);
    if (code != ILTextException::none) {
        RaiseError(code, Printf("Opening resource %i failed", resourceId).c_str());
    }
    DecodeFrom(source, &bmp, bitsPerPixel);
}

void ILPicDecoder::MakeBmpFromMemory(const std::uint8_t* data, std::int64_t size, ILBmp& bmp, int bitsPerPixel,
                                     ILProgressNotification* /*progress*/)
{
    const void* address = data;
    Trace(1, Printf("--- Decoding from memory at %p. ---\n", address).c_str());
    ILMemSource source;
    const int code = source.Open(data, size);
    if (code != ILTextException::none) {
        RaiseError(code, Printf("Reading from memory at %p failed", address).c_str());
    }
    DecodeFrom(source, &bmp, bitsPerPixel);
}

void ILPicDecoder::ReadInfoFromMemory(const std::uint8_t* data, std::int64_t size)
{
    ILMemSource source;
    const int code = source.Open(data, size);
    if (code != ILTextException::none) {
        const void* address = data;
        RaiseError(code, Printf("Reading from memory at %p failed", address).c_str());
    }
    DecodeFrom(source, nullptr, 0);
}

void ILPicDecoder::DecodeFrom(ILDataSource& source, ILBmp* bmp, int bitsPerPixel)
{
    m_dataSource = &source;
    try {
        Open(source);
        if (bmp != nullptr) {
            MakeBmp(*bmp, bitsPerPixel);
        }
    } catch (...) {
        try {
            Close();
        } catch (...) {
            // The first failure is the one to report.
        }
        m_dataSource = nullptr;
        throw;
    }
    Close();
}

void ILPicDecoder::MakeBmp(ILBmp& bmp, int bitsPerPixel)
{
    if (m_maxSide > 0 && std::max(GetWidth(), GetHeight()) > m_maxSide) {
        MakeReducedBmp(bmp);
        return;
    }
    const int depth = GetBitsPerPixel();
    if (bitsPerPixel == 0 || bitsPerPixel == depth) {
        bmp.CreateFromInfo(*this);
        GetImage(bmp);
        return;
    }
    if (bitsPerPixel < depth || !IsWantedDepth(bitsPerPixel)) {
        throw ILTextException(ILTextException::notSupported, "Image bit depth doesn't match request.");
    }
    ILAnyBmp decoded;
    decoded.CreateFromInfo(*this);
    GetImage(decoded);
    bmp.CreateCopy(decoded, bitsPerPixel);
}

void ILPicDecoder::MakeReducedBmp(ILBmp& bmp)
{
    int width = GetWidth();
    int height = GetHeight();
    ILBoxReducer::FitSize(width, height, m_maxSide);
    const bool reducible = ILBoxReducer::TakesDepth(GetBitsPerPixel());
    if (reducible) {
        ILBoxReducer reducer(*this, width, height, bmp);
        if (GetReducedImage(reducer)) {
            return;
        }
    }
    const auto rows = static_cast<std::int64_t>(GetHeight());
    std::int64_t wholeBytes = ILAnyBmp::BytesPerLineFor(GetWidth(), GetBitsPerPixel()) * rows;
    if (!reducible) {
        wholeBytes += ILAnyBmp::BytesPerLineFor(GetWidth(), 32) * rows;
    }
    // A picture shrunk by a decoder that cannot shrink it as it reads is first decoded
    // whole (and made 32-bit where the reducer cannot take its depth).
    if (wholeBytes > kMaxWholeBytesToShrink) {
        RaiseError(ILTextException::noMemory, "Image too large to shrink.");
    }
    ILAnyBmp decoded;
    decoded.CreateFromInfo(*this);
    GetImage(decoded);
    if (!reducible) {
        ILAnyBmp deeper;
        deeper.CreateCopy(decoded, 32);
        ILFilterBoxReduce(width, height).Apply(deeper, bmp);
        return;
    }
    ILFilterBoxReduce(width, height).Apply(decoded, bmp);
}

bool ILPicDecoder::GetReducedImage(ILBoxReducer& /*reducer*/)
{
    return false;
}

void ILPicDecoder::Close()
{
    if (m_dataSource != nullptr) {
        m_dataSource->Close();
        m_dataSource = nullptr;
    }
}

void ILPicDecoder::RaiseError(int code, const char* text)
{
    ILRaiseError(code, text);
}

void ILPicDecoder::Trace(int level, const char* text)
{
    ILTrace(level, text);
}

void ILPicDecoder::SetTraceConfig(int level, const char* fileName)
{
    ILSetTraceConfig(level, fileName);
}

std::uint8_t ILPicDecoder::ReadByte(ILDataSource& source)
{
    return *source.Read1Byte();
}

std::uint16_t ILPicDecoder::ReadLEWord(ILDataSource& source)
{
    const std::uint8_t* p = source.Read2Bytes();
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t ILPicDecoder::ReadLELong(ILDataSource& source)
{
    const std::uint8_t* p = source.Read4Bytes();
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t ILPicDecoder::ReadBEWord(ILDataSource& source)
{
    const std::uint8_t* p = source.Read2Bytes();
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

std::uint32_t ILPicDecoder::ReadBELong(ILDataSource& source)
{
    const std::uint8_t* p = source.Read4Bytes();
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}

const std::uint8_t* ILPicDecoder::UnpackPackBits(std::uint8_t* dest, ILDataSource& source, int unpackedLength,
                                                 int packedLength)
{
    if (unpackedLength < 8) {
        return source.ReadNBytes(unpackedLength);
    }
    const std::uint8_t* packed = source.ReadNBytes(packedLength);
    int in = 0;
    int out = 0;
    while (in < packedLength) {
        const int c = packed[in];
        if (c < 0x80) {
            const int run = c + 1;
            if (run > packedLength - in - 1 || run > unpackedLength - out) {
                RaiseError(ILTextException::badFormat, "Packed row overruns its length.");
            }
            std::memcpy(dest + out, packed + in + 1, static_cast<std::size_t>(run));
            out += run;
            in += run + 1;
        } else if (c == 0x80) {
            ++in;
        } else {
            const int run = 257 - c;
            if (in + 1 >= packedLength || run > unpackedLength - out) {
                RaiseError(ILTextException::badFormat, "Packed row overruns its length.");
            }
            std::memset(dest + out, packed[in + 1], static_cast<std::size_t>(run));
            out += run;
            in += 2;
        }
    }
    return dest;
}
