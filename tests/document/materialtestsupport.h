#pragma once
// Support for the tests of textures, materials and their manager: small pictures made
// through the image service, the pieces of texture and material records written field
// by field, and an OpenGL side that writes down what it is asked to do.

#include <cstdint>
#include <vector>

#include "document/dib.h"
#include "document/imageadapter/imageapp.h"
#include "document/texturegl.h"
#include "platform/archive.h"

namespace materialtest {

// A picture of one colour, given as bytes blue, green, red, alpha; the caller owns it.
inline CDib* MakePicture(int width, int height, std::uint32_t bgra = 0xFF3060C0u)
{
    std::vector<std::uint8_t> pixels;
    for (int i = 0; i < width * height; ++i) {
        for (int shift = 0; shift < 32; shift += 8) {
            pixels.push_back(static_cast<std::uint8_t>(bgra >> shift));
        }
    }
    return GetImageLibApp()->MakeDib(width, height, 32, pixels.data());
}

// The texture record of class versions 2 and above, the picture embedded when given.
inline void WriteTextureRecord(CArchive& ar, int version, CDib* picture, double width, double height,
                               const CString& fileName, CColor average)
{
    ArchiveWriteBool(ar, picture != nullptr);
    if (picture != nullptr) {
        picture->Serialize(ar);
    }
    ar << width << height;
    ArchiveWriteString(ar, fileName);
    ar << average;
    if (version == 3) {
        ar << std::int32_t{7} << std::int32_t{8};
    }
}

// The material record of class version 12 after its entity part.
struct MaterialFields
{
    CString name = "Brick";
    bool hidden = false;
    CColor color = CColor(200, 100, 50);
    CString secondName;
    std::int32_t kind = 1;
    std::int32_t absoluteHue = 0;
    double transparency = 0.0;
    bool useTransparency = false;
};

inline void WriteMaterialTail(CArchive& ar, const MaterialFields& fields)
{
    ArchiveWriteBool(ar, fields.hidden);
    ar << fields.color;
    ArchiveWriteString(ar, fields.secondName);
    ar << fields.kind << fields.absoluteHue << fields.transparency;
    ArchiveWriteBool(ar, fields.useTransparency);
}

// Texture names count up from 1; every request is written down.
class CRecordingTextureGL : public ITextureGL
{
public:
    CRecordingTextureGL() { SetTextureGL(this); }
    ~CRecordingTextureGL() override { SetTextureGL(nullptr); }
    CRecordingTextureGL(const CRecordingTextureGL&) = delete;
    CRecordingTextureGL& operator=(const CRecordingTextureGL&) = delete;

    unsigned MakeTexture(const std::uint8_t* pixels, int width, int height, int bitsPerPixel) override
    {
        madeHeight = height;
        madeWidth = width;
        madeBits = bitsPerPixel;
        // The fourth byte of the first pixel is its alpha.
        madeAlpha = pixels != nullptr && bitsPerPixel == 32 ? pixels[3] : -1;
        return ++lastName;
    }
    void DeleteTexture(unsigned name) override { deleted.push_back(name); }
    void BindTexture(unsigned name) override { bound.push_back(name); }
    void BeginMapping(const double* /*sPlane*/, const double* /*tPlane*/, double width, double height) override
    {
        mappedWidth = width;
        mappedHeight = height;
    }
    void EndMapping() override {}
    [[nodiscard]] TextureTransparencyMode GetTransparencyMode() const override { return mode; }

    TextureTransparencyMode mode = kTextureOpaque;
    unsigned lastName = 0;
    int madeWidth = 0;
    int madeHeight = 0;
    int madeBits = 0;
    int madeAlpha = -1;
    double mappedWidth = 0.0;
    double mappedHeight = 0.0;
    std::vector<unsigned> deleted;
    std::vector<unsigned> bound;
};

}  // namespace materialtest
