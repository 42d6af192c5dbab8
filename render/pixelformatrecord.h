#pragma once
// CPixelFormatRecord: one candidate pixel format of a device with its descriptor and
// sample count, and the ranking and choice of the view's pixel format from the stored
// OpenGL configuration with its fallbacks.

#include <cstdint>
#include <vector>

#include "platform/cstring.h"
#include "platform/gl/wgl.h"
#include "render/glconfig.h"

class CPixelFormatRecord
{
public:
    int index = 0;
    PIXELFORMATDESCRIPTOR descriptor{};
    // 0, 2 or 4.
    int samples = 0;

    // False only for a generic format without generic acceleration.
    [[nodiscard]] bool IsAccelerated() const;
    // Red, green, blue and alpha bits.
    [[nodiscard]] int GetColorBits() const;
    [[nodiscard]] int GetRGBBits() const;
    [[nodiscard]] int GetDepthBits() const { return descriptor.cDepthBits; }
    [[nodiscard]] int GetStencilBits() const { return descriptor.cStencilBits; }
    [[nodiscard]] int GetSamples() const { return samples; }
    void Clear();
};

// The ranking mode: set, records sort by index; clear, by stencil, depth, colour bits
// and then more samples first. User-interface thread only.
extern std::uint8_t g_SortPixelFormatsByIndex;

[[nodiscard]] bool IsDescriptorAccelerated(const PIXELFORMATDESCRIPTOR& descriptor);
[[nodiscard]] int GetDescriptorColorBits(const PIXELFORMATDESCRIPTOR& descriptor);
[[nodiscard]] int GetDescriptorDepthBits(const PIXELFORMATDESCRIPTOR& descriptor);
[[nodiscard]] int GetDescriptorStencilBits(const PIXELFORMATDESCRIPTOR& descriptor);
// 1 "ICD", 2 "MCD", 0 "GEN".
[[nodiscard]] int GetPixelFormatKind(const PIXELFORMATDESCRIPTOR& descriptor);
[[nodiscard]] bool IsEightBitDepth(const PIXELFORMATDESCRIPTOR& descriptor);
// Seven tab-separated fields: kind, buffering, pixel type, colour, depth, stencil, accumulation.
[[nodiscard]] CString FormatPixelFormatDescription(const PIXELFORMATDESCRIPTOR& descriptor);

// Whole words of the current context's extension text.
[[nodiscard]] bool IsWGLExtensionSupported(const char* name);
// Index 0 describes the device's current format (false when it has none).
bool DescribePixelFormatRecord(HDC device, int index, CPixelFormatRecord& record);
[[nodiscard]] bool IsPixelFormatAccelerated(HDC device, int index);

int ChoosePixelFormatForConfig(HDC device, const CGLConfig& config, std::vector<CPixelFormatRecord>& out);
int ChoosePixelFormatsARB(HDC device, const CGLConfig& config, std::vector<CPixelFormatRecord>& out);
int RemoveDuplicatePixelFormats(std::vector<CPixelFormatRecord>& records, int keep);
void SortPixelFormats(std::vector<CPixelFormatRecord>& records);
void SortPixelFormatsMode1(std::vector<CPixelFormatRecord>& records);
// The index of the best record, 0 for none.
[[nodiscard]] int FindConfiguredPixelFormat(const std::vector<CPixelFormatRecord>& records);
[[nodiscard]] int FindPixelFormatForConfig(const CGLConfig& config, HDC device);
[[nodiscard]] bool IsConfiguredPixelFormatAvailable(HDC device, const CGLConfig& config);
// The view's pixel format from the stored configuration, resetting a configuration
// whose format is no longer offered (settingsReset then set); 0 when none will do.
[[nodiscard]] int ChooseViewPixelFormat(HDC device, bool* settingsReset);
[[nodiscard]] bool TestAcceleratedPixelFormat(HDC device);
// Stores the format as the configuration: its index, whether it is accelerated, its
// colour (with alpha), depth and stencil bits.
void SaveGLConfigPixelFormat(int index, const PIXELFORMATDESCRIPTOR& descriptor);
