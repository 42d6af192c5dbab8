#pragma once
// The texture size that textures are fitted to before upload. The OpenGL part knows the
// real limit (its setting and the driver's maximum) and installs its own fitting; until
// it does, sizes are fitted to powers of two of at most kDefaultMaxTextureSize.

// Changes width and height to a size the texture store accepts. True when both were
// acceptable already (and are left alone).
using TextureSizeFitter = bool (*)(int& width, int& height);

inline constexpr int kDefaultMaxTextureSize = 1024;

// Null restores the default fitting.
void SetTextureSizeFitter(TextureSizeFitter fitter);
// Fits with the installed fitting. Sizes below 1 are left alone and reported acceptable.
bool FitImageTextureSize(int& width, int& height);
// The longest side the installed fitting lets a texture keep.
[[nodiscard]] int GetImageTextureMaxSide();
// Each side rounded up to a power of two, then both halved together (never below 1) while
// either exceeds the maximum.
bool FitToPowerOfTwo(int& width, int& height, int maxSize);
