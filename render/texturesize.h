#pragma once
// Texture sizes: the largest side a texture may have here, and the fitting of picture
// sizes to powers of two within it. The view installs FitTextureSize as the image
// adapter's fitting. User-interface thread only; the first call needs a current context.

// The setting "Textures" / "MaxGLSize" (default 1024), read once: a value other than 0
// that is not a power of two of at least 2 counts as 1024; 0, or one above the
// driver's GL_MAX_TEXTURE_SIZE, counts as that maximum.
[[nodiscard]] int GetMaxTextureSize();
// The next GetMaxTextureSize reads the setting and the driver again.
void ForgetMaxTextureSize();
// Each side rounded up to a power of two, then both halved together while either
// exceeds GetMaxTextureSize. True when both sides were kept unchanged.
bool FitTextureSize(int& width, int& height);
// The smallest power of two, at least 2, not below the size.
[[nodiscard]] int GetTextureSide(int size);
