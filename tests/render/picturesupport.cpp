#include "tests/render/picturesupport.h"

#include <memory>

#include "document/dib.h"
#include "document/imageadapter/imageapp.h"
#include "tests/document/imagetestsupport.h"

CDib* MakeTestPicture(int width, int height, const std::vector<std::uint32_t>& argb)
{
    auto* dib = new CDib;
    auto bitmap = imagetest::MakeBitmap(width, height, argb, false);
    dib->Create(bitmap.release(), 0, width, height, false);
    return dib;
}

bool WriteTestPictureFile(int width, int height, const std::vector<std::uint32_t>& argb, const std::string& path)
{
    const std::unique_ptr<CDib> picture(MakeTestPicture(width, height, argb));
    return GetImageLibApp()->SaveImageFile(picture.get(), CString(path.c_str()));
}
