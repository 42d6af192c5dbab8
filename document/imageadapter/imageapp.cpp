#include "document/imageadapter/imageapp.h"

IImageApp::~IImageApp() = default;

bool IImageApp::SaveBufferToFile(const CString& /*fileName*/, int /*width*/, int /*height*/, int /*bitsPerPixel*/,
                                 const std::uint8_t* /*pixels*/)
{
    return false;
}
