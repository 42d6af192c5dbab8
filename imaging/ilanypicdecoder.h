#pragma once
// ILAnyPicDecoder: the decoder for images of unknown format. It recognises the format
// from the source's name (metafiles) or its first bytes, lets the decoder of that format
// read the image and presents the result as its own. Formats that are recognised but
// whose decoders are not built in raise notBuilt "Library not compiled for this file type.".

#include <array>
#include <cstdint>
#include <memory>

#include "imaging/ilpicdecoder.h"

class ILAnyPicDecoder : public ILPicDecoder
{
public:
    // Format numbers returned by GetFileType.
    enum
    {
        typeUnknown = 0,
        typeBmp = 1,
        typePict = 2,
        typeTga = 3,
        typeTiff = 4,
        typeJpeg = 5,
        typePng = 6,
        typeEpsTiff = 7,
        typeWmf = 8,
        typeEmf = 9,
        typePcx = 10,
        typePgm = 11,
        typeGif = 12,
        typePpm = 13,
        typePsd = 14,
        typeSgi = 15,
        typeIff85 = 16,
        typeCount = 17
    };

    ILAnyPicDecoder();
    ~ILAnyPicDecoder() override;

    // Recognises the format and reads the header with the decoder of that format. Raises
    // unknownFileType "Unknown file type." when nothing matches.
    void Open(ILDataSource& source) override;
    void GetImage(ILBmp& bmp) override;
    bool GetReducedImage(ILBoxReducer& reducer) override;
    void Close() override;
    [[nodiscard]] bool IsCutShort() const override { return m_current != nullptr && m_current->IsCutShort(); }

    // The format of `size` bytes of data by their signature, in a fixed order of tests;
    // bytes past the end never match. typeUnknown when no test holds.
    [[nodiscard]] static int GetFileType(const std::uint8_t* data, std::int64_t size);
    // The format of the current or most recent source.
    [[nodiscard]] int GetFileType() const { return m_fileType; }

private:
    [[nodiscard]] static int FileTypeFromName(const ILDataSource& source);
    // The member decoder of a format number; null for the formats not built in.
    [[nodiscard]] ILPicDecoder* DecoderFor(int fileType) const;

    int m_fileType = typeUnknown;
    ILPicDecoder* m_current = nullptr;
    // One decoder per format number; null for the formats not built in. EPS files with a
    // TIFF preview use the TIFF slot, enhanced metafiles the Windows metafile slot.
    std::array<std::unique_ptr<ILPicDecoder>, typeCount> m_decoders;
};
