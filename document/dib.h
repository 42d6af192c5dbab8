#pragma once
// CDib: an image kept in the model — the preview, textures, thumbnails, watermarks. It
// holds the decoded bitmap for drawing and, when it came from a file, the encoded bytes
// exactly as read, so that writing the model back reproduces them without encoding the
// picture again. The image service (GetImageLibApp) decodes, encodes and measures it.
// A picture read with its decoding deferred holds only its bytes: what is known of it is
// learnt once, when something first asks, from its header where the format's header tells
// enough (PNG, JPEG) and otherwise from one decode; the bitmap is decoded for each use that
// needs the pixels and let go after that use, so that a model's many pictures do not all
// sit in memory decoded. Each decode is charged to the frame being drawn (CFrameMeter).

#include <cstdint>

#include "foundation/color.h"
#include "document/imageadapter/imageapp.h"
#include "document/imageadapter/texturesizefit.h"
#include "platform/object.h"

class CArchive;
class ILBmp;

class CDib : public CObject
{
    DECLARE_SERIAL(CDib)

public:
    // The largest encoded image a record may carry.
    static constexpr std::int32_t kMaxEncodedBytes = std::int32_t{1} << 30;

    // Empty: format code 0, no bitmap, no encoded bytes.
    CDib();
    // Releases the bitmap and the encoded bytes through the image service.
    ~CDib() override;
    CDib(const CDib&) = delete;
    CDib& operator=(const CDib&) = delete;

    // Reads or writes the record. Reading: a byte count that is negative or above
    // kMaxEncodedBytes throws the archive's genericException, one beyond the data endOfFile;
    // bytes that do not decode leave the image without a bitmap and are kept all the same.
    // Writing: kept bytes go out as read (in the oldest format only when there is no
    // bitmap to encode); otherwise the bitmap is encoded as PNG, and a failed encode
    // throws the archive's genericException.
    void Serialize(CArchive& ar) override;
    // Reads the record as Serialize does but keeps only the encoded bytes: the picture
    // is decoded when first needed (DeferDecoding).
    void ReadDeferred(CArchive& ar);
    // From now on the bitmap is the decode of the kept bytes, made when needed and let
    // go after each use; what is known of the picture (size, alpha, average colour) is
    // kept. Only for a picture whose bitmap, if any, is the decode of its kept bytes;
    // without kept bytes nothing changes. Create and SetPixelBuffer end it.
    void DeferDecoding();
    [[nodiscard]] bool IsDecodingDeferred() const { return m_deferred; }
    // A deferred picture lets go of its bitmap (GetImage decodes it again). The picture
    // asked about last keeps its bitmap until then or until another is asked about.
    void ReleaseBitmap() const;
    // The bitmap is in memory now.
    [[nodiscard]] bool IsDecoded() const { return m_image != nullptr; }

    // Takes ownership of the bitmap (null allowed), releasing a different one held before,
    // stores the values, forgets the average colour and counts opaque and transparent pixels.
    void Create(ILBmp* image, int formatCode, int width, int height, bool hasAlpha);
    // Takes ownership of encoded bytes from the image service's allocator, freeing those
    // held before. Null bytes or a size below 1 keep no bytes.
    void SetPixelBuffer(std::uint8_t* bytes, int size);

    [[nodiscard]] int GetFormatCode() const { return m_formatCode; }
    // A deferred picture is decoded here and keeps its bitmap until ReleaseBitmap.
    [[nodiscard]] const ILBmp* GetImage() const { return LoadBitmap(); }
    [[nodiscard]] ILBmp* GetImage() { return LoadBitmap(); }
    // What is known of the picture, kept as first learnt: a deferred picture reads its header
    // or is decoded once to learn it. Under a frame that has to stop, a picture whose header
    // does not tell is not decoded: it answers as one that does not decode, and learns later.
    // When the longest side a texture may have changes (a view installs the driver's), the
    // size is learnt again from the picture's own size, as a decode would now give it.
    [[nodiscard]] int GetWidth() const { return Probed().m_width; }
    [[nodiscard]] int GetHeight() const { return Probed().m_height; }
    // The picture's own size: larger than the bitmap's when the bitmap was reduced as it
    // was read (pictures shown at their pixel size draw at this size); the bitmap's size
    // otherwise. Create sets it to the size it is given.
    void SetSourceSize(int width, int height);
    [[nodiscard]] int GetSourceWidth() const { return Probed().m_sourceWidth; }
    [[nodiscard]] int GetSourceHeight() const { return Probed().m_sourceHeight; }
    // The size of the picture a decode reads, learnt without decoding it: its source size
    // when known, or read from the header of a deferred picture whose format's header
    // tells; otherwise (a header that does not tell) a square of a pixel for each kept
    // byte. 0 by 0 for a picture with neither a bitmap nor bytes.
    void GetSizeToDecode(int& width, int& height) const;
    [[nodiscard]] const std::uint8_t* GetPixelBuffer() const { return m_bytes; }
    [[nodiscard]] int GetPixelBufferSize() const { return m_byteCount; }

    // The picture decodes (a deferred one need not be decoded now): for a deferred picture,
    // its header reads, until a decode fails; a failed decode is kept.
    [[nodiscard]] bool HasImage() const { return m_deferred ? Probed().m_decodes : m_image != nullptr; }
    // HasImage, made sure of: a deferred picture whose pixels were never decoded is decoded
    // once to tell, its header not trusted.
    [[nodiscard]] bool DecodesWhole() const;
    // A bitmap, or the kept bytes of a picture that did not decode: either is written back.
    [[nodiscard]] bool HasContent() const { return m_image != nullptr || m_byteCount > 0; }
    // A format code of 0 to 6 and a bitmap.
    [[nodiscard]] bool IsValid() const;
    [[nodiscard]] bool HasAlpha() const { return Probed().m_hasAlpha; }
    // Counted over GetWidth() x GetHeight() pixels: a deferred picture with alpha is decoded
    // once to count them (0 until then under a frame that has to stop).
    [[nodiscard]] bool HasOpaquePixels() const { return Counted().m_opaqueCount > 0; }
    [[nodiscard]] bool HasTransparentPixels() const { return Counted().m_transparentCount > 0; }
    [[nodiscard]] int GetOpaqueCount() const { return Counted().m_opaqueCount; }
    [[nodiscard]] int GetTransparentCount() const { return Counted().m_transparentCount; }
    // 0 without a bitmap.
    [[nodiscard]] int GetBitsPerPixel() const;
    // A new pixel block resized to width × height (the stored size when either is 0), freed
    // with the image service's FreeBuffer; null without a bitmap. Throws ILTextException as
    // IImageApp::ResizeBuffer does.
    [[nodiscard]] std::uint8_t* GetResizedPixels(int width, int height) const;
    // Computed from the bitmap on the first request (a deferred picture is decoded for it)
    // and kept until the bitmap changes; the zero colour without a bitmap.
    [[nodiscard]] CColor GetAverageColor() const;
    // The pixels prepared for a texture (IImageApp::AdjustImage); null without a bitmap.
    [[nodiscard]] std::uint8_t* GetGLPixels(int alpha, double hue, double lightness, double saturation,
                                            bool hueIsRelative, int& width, int& height, int& bitsPerPixel,
                                            bool fitToTextureSize) const;

    // The textures that share the image count their uses. Releasing the last use deletes the
    // image, which must have been made with new; the result is the number of uses left.
    void AddUse() { ++m_useCount; }
    int ReleaseUse();
    [[nodiscard]] int GetUseCount() const { return m_useCount; }

    // Draws the bitmap into a rectangle of a device context; false without a bitmap or when
    // the image service cannot draw.
    bool Draw(HPAINTDC deviceContext, int x, int y, int width, int height) const;

private:
    // What is known of the picture without its bitmap.
    struct Shape
    {
        int m_width = 0;
        int m_height = 0;
        int m_sourceWidth = 0;
        int m_sourceHeight = 0;
        CColor m_averageColor;
        bool m_averageKnown = false;
        bool m_hasAlpha = false;
        int m_opaqueCount = 0;
        int m_transparentCount = 0;
        bool m_countsKnown = false;
        bool m_decodes = false;
        // A deferred picture's pixels were decoded, or failed to be, at least once.
        bool m_decodeTried = false;
        // The texture size's generation the size was fitted under.
        std::uint64_t m_sizeGeneration = 0;
    };

    void Read(CArchive& ar, bool decode);
    void Write(CArchive& ar) const;
    void WriteEncoded(CArchive& ar) const;
    void ReleaseImage() const;
    // The shape, after learning a deferred picture's once, and again at the size a decode
    // gives once the texture size changed.
    [[nodiscard]] const Shape& Probed() const
    {
        if (m_deferred) {
            if (!m_probed) {
                Probe();
            } else if (m_shape.m_sizeGeneration != GetTextureSizeGeneration()) {
                Refit();
            }
        }
        return m_shape;
    }
    void Probe() const;
    void Refit() const;
    // The shape with its pixel counts, decoding a deferred picture whose header left them open.
    [[nodiscard]] const Shape& Counted() const;
    // Decodes a deferred picture, keeping its bitmap for the use about to follow; nothing
    // while a frame being drawn has to stop.
    void DecodeAndKeep() const;
    // The bitmap, decoded first when deferred; the shape stays as first learnt.
    ILBmp* LoadBitmap() const;
    void LearnAverageColor() const;

    int m_formatCode = 0;
    // Decoding on demand changes nothing a caller can see of the picture, so the const
    // queries may decode and let go.
    mutable ILBmp* m_image = nullptr;
    std::uint8_t* m_bytes = nullptr;
    int m_byteCount = 0;
    int m_useCount = 0;
    mutable Shape m_shape;
    bool m_deferred = false;
    mutable bool m_probed = false;
};

// The class factory the archive uses.
[[nodiscard]] CObject* CreateDib();

// Reads an object reference of class CDib; the caller owns the result (may be null).
// Throws the archive's exceptions.
void ArchiveReadDib(CArchive& ar, CDib*& dib);
