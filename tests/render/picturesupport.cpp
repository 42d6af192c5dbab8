#include "tests/render/picturesupport.h"

#include "document/dib.h"
#include "tests/document/imagetestsupport.h"

CDib* MakeTestPicture(int width, int height, const std::vector<std::uint32_t>& argb)
{
    auto* dib = new CDib;
    auto bitmap = imagetest::MakeBitmap(width, height, argb, false);
    dib->Create(bitmap.release(), 0, width, height, false);
    return dib;
}
