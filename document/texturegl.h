#pragma once
// ITextureGL: the OpenGL side of textures. The model keeps a texture's picture and
// prepares its pixels; only the view can turn them into an OpenGL texture, bind it
// and set up the generation of texture coordinates. The view installs its
// implementation with SetTextureGL; until it does, nothing is uploaded and binding
// and mapping do nothing. Called on the user-interface thread with the view's
// context current.

#include <cstdint>

// How the rendering options in force draw transparent materials.
enum TextureTransparencyMode : int
{
    kTextureOpaque = 0,
    kTextureTransparent = 1,
    kTextureSeeThrough = 2,
};

class ITextureGL
{
public:
    virtual ~ITextureGL();

    // A one-dimensional texture for one-row pictures, else a two-dimensional one,
    // repeating, linearly filtered, modulating the current colour. 0 when none can be
    // made.
    virtual unsigned MakeTexture(const std::uint8_t* pixels, int width, int height, int bitsPerPixel) = 0;
    virtual void DeleteTexture(unsigned name) = 0;
    // Enables texturing with the texture and the generation of s and t.
    virtual void BindTexture(unsigned name) = 0;
    // Object-linear generation from the two planes (a, b, c, d each), scaled so that
    // one repeat of the picture covers width by height model units.
    virtual void BeginMapping(const double* sPlane, const double* tPlane, double width, double height) = 0;
    virtual void EndMapping() = 0;
    // Takes the mapping's s and t as plane-frame coordinates through a placement's
    // projective matrix (a row-vector 4x4) to texture coordinates, until EndMapping.
    // Implementations without a texture matrix ignore it.
    virtual void SetPlacementMatrix(const double* matrix);
    // The current model's setting for transparent materials.
    [[nodiscard]] virtual TextureTransparencyMode GetTransparencyMode() const = 0;
};

// Null removes the implementation; the caller keeps ownership.
void SetTextureGL(ITextureGL* textureGL);
// Null until the view installs one.
[[nodiscard]] ITextureGL* GetTextureGL();

// The view's context was replaced: every texture name made so far belonged to the old
// context, and the new one may hand out the same numbers. A texture that meets such a
// name forgets it, neither binding nor deleting it, and makes its texture again.
void ForgetGLTextureNames();
// Counts the forgettings; a texture remembers the count its name was made under.
[[nodiscard]] unsigned GetGLTextureEpoch();

// The memory that the textures of the current context take together is bounded: a
// texture beyond the budget is made from its picture reduced.
inline constexpr std::int64_t kDefaultTextureBudget = std::int64_t{1} << 30;
// A texture counts its pixels' bytes and this: what the driver keeps for each texture
// beside its pixels (about 20 KB for a 128-pixel one, measured here), which with many
// small textures is a third as much again.
inline constexpr std::int64_t kTextureObjectBytes = std::int64_t{16} << 10;
// What a texture of 32-bit pixels of this size holds, the driver's own share included.
[[nodiscard]] inline constexpr std::int64_t TextureBytes(int width, int height)
{
    return std::int64_t{4} * width * height + kTextureObjectBytes;
}
void SetTextureMemoryBudget(std::int64_t bytes);
[[nodiscard]] std::int64_t GetTextureMemoryBudget();
// What the textures made under the current context take; forgetting the names starts
// it at 0 again.
[[nodiscard]] std::int64_t GetTextureMemoryInUse();
// Adds (or with a negative count takes away) a texture's bytes.
void AddTextureMemory(std::int64_t bytes);
// The smallest side the textures' budget reduces a picture to.
inline constexpr int kSmallestBudgetSide = 128;
// The size of the texture a picture of width by height makes with room bytes left of the
// textures' budget: the size fitted for GL, halved while its bytes pass the room, down to
// kSmallestBudgetSide. False, the sizes left at the smallest tried, when even that does
// not fit.
[[nodiscard]] bool FitTextureBudget(int& width, int& height, std::int64_t room);
