#pragma once
// The image file types the image service knows by a file name's extension: the final
// four characters of the name, compared without regard to case (".jpeg" is no ".jpg").

#include <memory>

#include "platform/cstring.h"

class ILPicEncoder;

// The type codes kept with stored images.
enum ImageTypeCode : int
{
    kImageTypeUnknown = 0,
    kImageTypeJpeg = 1,
    kImageTypeBmp = 2,
    kImageTypeTiff = 3,
    kImageTypePng = 4,  // also TGA
    kImageTypeGif = 5,
};

// The type code a loaded file is given: ".jpg" 1, ".bmp" 2, ".tif" 3, ".png" and ".tga" 4,
// ".gif" 5, anything else 0.
[[nodiscard]] int ImageTypeCodeForName(const CString& fileName);

// The encoder that writes files of that name: JPEG at quality 100 for ".jpg", BMP for
// ".bmp", TIFF for ".tif", PNG at compression 4 for ".png"; null for every other name.
[[nodiscard]] std::unique_ptr<ILPicEncoder> MakeEncoderForName(const CString& fileName);

// True for a name ending in ".tga", the one type whose saving counts as a failure even
// where other names without an encoder count as done.
[[nodiscard]] bool IsTgaName(const CString& fileName);
