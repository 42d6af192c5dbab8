#pragma once
// ILPNMDecoder: what the portable grey map and pixel map decoders share — the header
// parser, the text-number reader and the scaling of samples to 0..255. A decoder of
// this family names its two identifiers (text and binary samples) and its samples per
// pixel; one sample gives an 8-bit greyscale bitmap, three a 32-bit one without alpha.
//
// Headers and text samples are separated by any white space and "#" comments running to
// the end of the line. Maximum sample values up to 65535 are read; above 255, binary
// samples take two bytes, most significant first.
//
// Failures (ILTextException): badFormat for a wrong identifier, a character that is
// neither a digit, white space nor a comment, an empty image, a maximum of 0 or above
// 65535, or a sample above the maximum; noMemory for an image above
// ILBmp::GetMaxPixels(); endOfData when the data ends early.

#include <cstdint>

#include "imaging/ilpicdecoder.h"

class ILPNMDecoder : public ILPicDecoder
{
public:
    ~ILPNMDecoder() override = default;

    void Open(ILDataSource& source) override;
    void GetImage(ILBmp& bmp) override;
    // Rows go to the reducer as they are read.
    bool GetReducedImage(ILBoxReducer& reducer) override;

protected:
    struct Format
    {
        const char* name;             // "PGM"
        const char* trace;            // "Decoding PGM.\n"
        char textIdentifier;          // the digit after "P" for text samples
        char binaryIdentifier;        // and for binary samples
        int samplesPerPixel;          // 1 or 3
        const char* wrongIdentifier;  // the refusal of any other identifier
        const char* unknownType;      // the refusal of an image type other than text or binary
    };

    explicit ILPNMDecoder(const Format& format) : m_format(format) {}

private:
    enum
    {
        textSamples = 0,
        binarySamples = 1
    };

    void ReadIdentifier(ILDataSource& source);
    void ReadHeaderNumbers(ILDataSource& source);
    void CheckHeader(ILDataSource& source) const;
    // Moves to the next character; at the end of the data the current character is -1.
    void NextChar(ILDataSource& source);
    // Passes white space and comments.
    void SkipSeparators(ILDataSource& source);
    // The decimal number at the current character, which must be a digit.
    [[nodiscard]] std::int64_t ReadNumber(ILDataSource& source, std::int64_t limit);
    [[nodiscard]] int ReadTextSample(ILDataSource& source);
    // Reads one row of samples and stores them scaled to 0..255.
    void ReadRow(ILDataSource& source, std::uint8_t* row);
    [[nodiscard]] int BytesPerSample() const { return m_maxValue > 255 ? 2 : 1; }
    [[nodiscard]] std::int64_t SampleCount() const;
    [[noreturn]] void Refuse(const char* what) const;

    Format m_format;
    int m_current = -1;
    int m_imageType = textSamples;
    int m_width = 0;
    int m_height = 0;
    int m_maxValue = 255;
};
