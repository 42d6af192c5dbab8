#pragma once
// CGLConfig: which pixel format the view uses and how it was chosen, kept in its own
// settings key ("Software\Orvell Software\GLConfig5\Display") apart from the profile,
// so that a damaged configuration can be thrown away without losing other settings.
//
// The live record and the flags below are globals of the user-interface thread.

#include <cstdint>

#include "platform/cstring.h"

struct CGLConfig
{
    // 0 = choose a format.
    std::int32_t PixelFormat = 0;
    // 1 = hardware-accelerated formats only, 0 = unaccelerated formats only.
    std::int32_t Accelerated = 0;
    std::int32_t ColorBits = 24;
    std::int32_t AlphaBits = 8;
    std::int32_t DepthBits = 16;
    std::int32_t StencilBits = 8;
    // 1 = only formats whose swap keeps the back buffer ("fast feedback").
    std::int32_t SwapCopy = 1;
};

// 1 at start; the pixel-format choice and the OpenGL settings change it.
extern int g_UseFastFeedback;
// The number in the configuration's key and in the settings that belong to it.
inline constexpr int kGLConfigGeneration = 5;

// Formats the key path and makes the live record the default one.
void InitGLConfig();
[[nodiscard]] CGLConfig& GetGLConfig();
[[nodiscard]] const CString& GetGLConfigKey();

[[nodiscard]] bool GLConfigKeyExists();
// False when the key does not exist; a missing value leaves its word unchanged.
bool ReadGLConfig(CGLConfig& config);
// Writes the five stored words; false when the settings could not be written.
bool WriteGLConfig(const CGLConfig& config);
bool WriteGLConfigDword(const CString& name, std::uint32_t value);
// Reads one word of the key; false when the key or the value is missing.
[[nodiscard]] bool ReadGLConfigDword(const CString& name, std::uint32_t& value);

void SetGLConfigAccelerated(bool accelerated);
[[nodiscard]] bool GetGLConfigAccelerated(bool defaultValue);
void SetGLConfigReversedPick(bool reversed);
[[nodiscard]] bool GetGLConfigReversedPick(bool defaultValue);
void SetGLConfigDebugFlags(int flags);
[[nodiscard]] int GetGLConfigDebugFlags(int defaultValue);


// Deletes the key, then each parent left without subkeys, up to the first that has one.
void DeleteGLConfigKey();
