#pragma once
// ILPicDecoder: the base of every format decoder. It opens the source for each entry
// point, runs the fixed sequence (format header, bitmap creation, pixels, conversion to
// the wanted depth, close) and offers the readers that the formats share.
//
// A format decoder implements two operations:
//   Open(source)   reads the header from the source and fills the decoder's own
//                  description with SetBmpInfo (size, depth, resolution, flags);
//   GetImage(bmp)  fills a bitmap already created from that description, reading
//                  through GetDataSource().
// A decoder that keeps state of its own between the two overrides Close, releases that
// state and calls ILPicDecoder::Close. Close also runs after a failed Open or GetImage,
// so it must cope with partly built state and with being called when idle.
//
// Every failure is an ILTextException; a decoder raises its own with RaiseError.
// The entry point owns the source: it closes and destroys it after every decode,
// successful or not, and the decoder can be used again.

#include <cstdint>

#include "imaging/ilbmpinfo.h"
#include "platform/cstring.h"

class ILBmp;
class ILBoxReducer;
class ILDataSource;
class ILProgressNotification;

class ILPicDecoder : public ILBmpInfo
{
public:
    ILPicDecoder() = default;
    ILPicDecoder(const ILPicDecoder&) = delete;
    ILPicDecoder& operator=(const ILPicDecoder&) = delete;
    // Leaves the trace configuration alone: it belongs to whoever set it.
    ~ILPicDecoder() override;

    // Decode into bmp. bitsPerPixel 0 keeps the depth the format decodes to; a larger depth
    // converts; a smaller one throws notSupported "Image bit depth doesn't match request.".
    // A source that cannot be opened raises its open code with a message naming the input.
    virtual void MakeBmpFromFile(const char* fileName, ILBmp& bmp, int bitsPerPixel = 0,
                                 ILProgressNotification* progress = nullptr);
    virtual void MakeBmpFromFileW(const CString& fileName, ILBmp& bmp, int bitsPerPixel = 0,
                                  ILProgressNotification* progress = nullptr);
    // A failed transfer throws urlFailed with the transfer's or the server's code as minor code.
    virtual void MakeBmpFromURL(const char* url, ILBmp& bmp, int bitsPerPixel = 0,
                                ILProgressNotification* progress = nullptr);
    // A resource embedded in the program (platform/resources.h); a null type means raw data.
    virtual void MakeBmpFromResource(int resourceId, ILBmp& bmp, int bitsPerPixel = 0,
                                     const char* resourceType = nullptr,
                                     ILProgressNotification* progress = nullptr);
    // The bytes stay the caller's.
    virtual void MakeBmpFromMemory(const std::uint8_t* data, std::int64_t size, ILBmp& bmp,
                                   int bitsPerPixel = 0, ILProgressNotification* progress = nullptr);

    // Reads only the header of the bytes (which stay the caller's) into the description:
    // size, depth and flags, no pixels. Throws as MakeBmpFromMemory does for a header that
    // does not read. Formats that learn more from their pixels (alpha, for one) may say
    // less here than a decode would.
    void ReadInfoFromMemory(const std::uint8_t* data, std::int64_t size);

    // Decodes from the source the decoder holds, after Open has read the header.
    virtual void MakeBmp(ILBmp& bmp, int bitsPerPixel);

    // 0, the default, decodes pictures at their own size. A larger side makes every later
    // decode of a picture with a longer side give a 32-bit bitmap shrunk to fit a square
    // of that side (ILBoxReducer::FitSize), whatever depth was asked for: formats that
    // can are shrunk row by row as they are read, never holding the whole picture; the
    // others are read whole at their own depth first, and refused (noMemory) when that
    // would take more than 300 MB.
    void SetMaxSide(int side) { m_maxSide = side > 0 ? side : 0; }
    // What a picture asked smaller may take whole on its way: 8192 pixels square at 32
    // bits, or 16384 at 8. Beyond it showing the picture small costs more than it is worth.
    static constexpr std::int64_t kMaxWholeBytesToShrink = std::int64_t{300} << 20;
    [[nodiscard]] int GetMaxSide() const { return m_maxSide; }
    // Releases the source (the caller of the entry point destroys it).
    virtual void Close();

    // Reads the header and fills the description.
    virtual void Open(ILDataSource& source) = 0;
    // Fills bmp, created from the description, with the pixels.
    virtual void GetImage(ILBmp& bmp) = 0;
    // Instead of GetImage: hands the pixels, top row first, to the reducer (made from the
    // description) and answers true. The base, and a decoder that cannot for this picture,
    // answer false before reading anything.
    virtual bool GetReducedImage(ILBoxReducer& reducer);

    // True when the most recent decode gave a picture that stops short of what its data
    // draws, because drawing all of it would take too long: the picture holds what was
    // drawn before. The caller says so wherever it reports pictures that do not decode.
    [[nodiscard]] virtual bool IsCutShort() const { return false; }

    // The source of the current decode; null when idle.
    [[nodiscard]] ILDataSource* GetDataSource() const { return m_dataSource; }

    // Formats "Decoder error: <text>\n", traces it and throws ILTextException(code, message).
    [[noreturn]] static void RaiseError(int code, const char* text);
    static void Trace(int level, const char* text);
    // Level and file of the trace shared by all decoders and encoders; a null name stops
    // the file. Safe from any thread (see ILSetTraceConfig).
    static void SetTraceConfig(int level, const char* fileName);

    static std::uint8_t ReadByte(ILDataSource& source);
    static std::uint16_t ReadLEWord(ILDataSource& source);
    static std::uint32_t ReadLELong(ILDataSource& source);
    static std::uint16_t ReadBEWord(ILDataSource& source);
    static std::uint32_t ReadBELong(ILDataSource& source);

    // Unpacks one PackBits row of packedLength bytes into dest (room for unpackedLength bytes)
    // and returns dest. Rows shorter than 8 bytes are stored unpacked: the pointer to the
    // unpackedLength source bytes is returned instead. Runs that would write past
    // unpackedLength or read past packedLength raise badFormat.
    static const std::uint8_t* UnpackPackBits(std::uint8_t* dest, ILDataSource& source, int unpackedLength,
                                              int packedLength);

protected:
    friend class ILAnyPicDecoder;
    void SetDataSource(ILDataSource* source) { m_dataSource = source; }

private:
    // Opens nothing: runs Open, MakeBmp (only when bmp is given; otherwise just the header
    // is read) and Close on an opened source, closing also on failure.
    void DecodeFrom(ILDataSource& source, ILBmp* bmp, int bitsPerPixel);
    void MakeReducedBmp(ILBmp& bmp);

    ILDataSource* m_dataSource = nullptr;
    int m_maxSide = 0;
};

// The big-endian value of four characters, first character in the high byte.
[[nodiscard]] constexpr std::uint32_t MakeID(char a, char b, char c, char d)
{
    return (static_cast<std::uint32_t>(static_cast<std::uint8_t>(a)) << 24) |
           (static_cast<std::uint32_t>(static_cast<std::uint8_t>(b)) << 16) |
           (static_cast<std::uint32_t>(static_cast<std::uint8_t>(c)) << 8) |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(d));
}
[[nodiscard]] constexpr std::uint32_t MakeID(const char (&id)[5])
{
    return MakeID(id[0], id[1], id[2], id[3]);
}
