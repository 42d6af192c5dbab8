#pragma once
// The texture size that textures are fitted to before upload. The OpenGL part knows the
// real limit (its setting and the driver's maximum) and installs its own fitting; until
// it does, sizes are fitted to powers of two of at most kDefaultMaxTextureSize. A model
// opened before a view draws learns its pictures against that default, so the longest
// side the fitting gives is measured as it is installed, and a change of it is told by
// the generation: pictures learnt under another generation learn their size again.

#include <cstdint>

// Changes width and height to a size the texture store accepts. True when both were
// acceptable already (and are left alone).
using TextureSizeFitter = bool (*)(int& width, int& height);

inline constexpr int kDefaultMaxTextureSize = 1024;

// Installs the fitting (null restores the default) and measures the longest side it
// gives; the generation changes when that side does. The OpenGL part installs its
// fitting at every frame, with its context current, so the side is the driver's by the
// time a frame makes textures.
void SetTextureSizeFitter(TextureSizeFitter fitter);
// Fits with the installed fitting. Sizes below 1 are left alone and reported acceptable.
bool FitImageTextureSize(int& width, int& height);
// The longest side the installed fitting lets a texture keep, as last measured.
[[nodiscard]] int GetImageTextureMaxSide();
// Counts the changes of GetImageTextureMaxSide.
[[nodiscard]] std::uint64_t GetTextureSizeGeneration();
// Each side rounded up to a power of two, then both halved together (never below 1) while
// either exceeds the maximum.
bool FitToPowerOfTwo(int& width, int& height, int maxSize);
