#include "document/imageadapter/imagefiletypes.h"

#include "imaging/ilbmpencoder.h"
#include "imaging/iljpegencoder.h"
#include "imaging/ilpngencoder.h"
#include "imaging/iltiffencoder.h"

namespace {

constexpr int kJpegQuality = 100;
constexpr int kPngCompression = 4;

// Shorter names have no extension and match nothing.
bool HasExtension(const CString& fileName, const char* extension)
{
    return fileName.GetLength() >= 4 && fileName.Right(4).CompareNoCase(CString(extension)) == 0;
}

}  // namespace

int ImageTypeCodeForName(const CString& fileName)
{
    if (HasExtension(fileName, ".jpg")) {
        return kImageTypeJpeg;
    }
    if (HasExtension(fileName, ".bmp")) {
        return kImageTypeBmp;
    }
    if (HasExtension(fileName, ".gif")) {
        return kImageTypeGif;
    }
    if (HasExtension(fileName, ".tif")) {
        return kImageTypeTiff;
    }
    if (HasExtension(fileName, ".png") || HasExtension(fileName, ".tga")) {
        return kImageTypePng;
    }
    return kImageTypeUnknown;
}

std::unique_ptr<ILPicEncoder> MakeEncoderForName(const CString& fileName)
{
    if (HasExtension(fileName, ".jpg")) {
        auto encoder = std::make_unique<ILJPEGEncoder>();
        encoder->SetQuality(kJpegQuality);
        return encoder;
    }
    if (HasExtension(fileName, ".bmp")) {
        return std::make_unique<ILBmpEncoder>();
    }
    if (HasExtension(fileName, ".tif")) {
        return std::make_unique<ILTIFFEncoder>();
    }
    if (HasExtension(fileName, ".png")) {
        auto encoder = std::make_unique<ILPNGEncoder>();
        encoder->SetCompressionLevel(kPngCompression);
        return encoder;
    }
    return nullptr;
}

bool IsTgaName(const CString& fileName)
{
    return HasExtension(fileName, ".tga");
}
