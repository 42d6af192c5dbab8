#pragma once
// CTextureGL: the view's side of the model's textures: pictures become repeating,
// linearly filtered two-dimensional textures that modulate the lit colour, and faces
// get their texture coordinates generated from two planes in object space. Pictures
// of one row are made two-dimensional too (of height one), so that binding them as
// two-dimensional textures shows them. The view installs one for the whole program.

#include "document/texturegl.h"

class CRenderingOptions;

class CTextureGL : public ITextureGL
{
public:
    // The options that decide the transparency mode; null reads the current model's.
    explicit CTextureGL(const CRenderingOptions* options = nullptr) : m_options(options) {}

    unsigned MakeTexture(const std::uint8_t* pixels, int width, int height, int bitsPerPixel) override;
    void DeleteTexture(unsigned name) override;
    void BindTexture(unsigned name) override;
    void BeginMapping(const double* sPlane, const double* tPlane, double width, double height) override;
    void EndMapping() override;
    [[nodiscard]] TextureTransparencyMode GetTransparencyMode() const override;

private:
    const CRenderingOptions* m_options;
};
