#include "render/pixelformatrecord.h"

#include <GL/gl.h>

#include <algorithm>
#include <exception>
#include <string_view>

std::uint8_t g_SortPixelFormatsByIndex = 0;

namespace {

bool RanksBefore(const CPixelFormatRecord& a, const CPixelFormatRecord& b)
{
    if (g_SortPixelFormatsByIndex != 0) {
        return a.index < b.index;
    }
    if (a.GetStencilBits() != b.GetStencilBits()) {
        return a.GetStencilBits() < b.GetStencilBits();
    }
    if (a.GetDepthBits() != b.GetDepthBits()) {
        return a.GetDepthBits() < b.GetDepthBits();
    }
    if (a.GetColorBits() != b.GetColorBits()) {
        return a.GetColorBits() < b.GetColorBits();
    }
    return a.GetSamples() > b.GetSamples();
}

bool SameFormat(const CPixelFormatRecord& a, const CPixelFormatRecord& b)
{
    return a.IsAccelerated() == b.IsAccelerated() && a.GetRGBBits() == b.GetRGBBits() &&
           a.GetDepthBits() == b.GetDepthBits() && a.GetStencilBits() == b.GetStencilBits() &&
           a.GetSamples() == b.GetSamples();
}

bool Keeps(const PIXELFORMATDESCRIPTOR& format, const CGLConfig& config)
{
    if (format.iPixelType != PFD_TYPE_RGBA || (format.dwFlags & PFD_DOUBLEBUFFER) == 0) {
        return false;
    }
    if (config.SwapCopy == 1 && (format.dwFlags & PFD_SWAP_COPY) == 0) {
        return false;
    }
    const bool accelerated = IsDescriptorAccelerated(format);
    if ((config.Accelerated == 0 && accelerated) || (config.Accelerated == 1 && !accelerated)) {
        return false;
    }
    return format.cDepthBits >= 16 && format.cColorBits >= 8;
}

int SearchSafely(const CGLConfig& config, HDC device)
{
    try {
        return FindPixelFormatForConfig(config, device);
    } catch (const std::exception&) {
        return 0;
    }
}

}  // namespace

bool CPixelFormatRecord::IsAccelerated() const
{
    return IsDescriptorAccelerated(descriptor);
}

int CPixelFormatRecord::GetColorBits() const
{
    return GetDescriptorColorBits(descriptor);
}

int CPixelFormatRecord::GetRGBBits() const
{
    return descriptor.cRedBits + descriptor.cGreenBits + descriptor.cBlueBits;
}

void CPixelFormatRecord::Clear()
{
    *this = CPixelFormatRecord{};
}

bool IsDescriptorAccelerated(const PIXELFORMATDESCRIPTOR& descriptor)
{
    return (descriptor.dwFlags & PFD_GENERIC_FORMAT) == 0 || (descriptor.dwFlags & PFD_GENERIC_ACCELERATED) != 0;
}

int GetDescriptorColorBits(const PIXELFORMATDESCRIPTOR& descriptor)
{
    return descriptor.cRedBits + descriptor.cGreenBits + descriptor.cBlueBits + descriptor.cAlphaBits;
}

int GetDescriptorDepthBits(const PIXELFORMATDESCRIPTOR& descriptor)
{
    return descriptor.cDepthBits;
}

int GetDescriptorStencilBits(const PIXELFORMATDESCRIPTOR& descriptor)
{
    return descriptor.cStencilBits;
}

int GetPixelFormatKind(const PIXELFORMATDESCRIPTOR& descriptor)
{
    if ((descriptor.dwFlags & PFD_GENERIC_FORMAT) == 0) {
        return 1;
    }
    return (descriptor.dwFlags & PFD_GENERIC_ACCELERATED) != 0 ? 2 : 0;
}

bool IsEightBitDepth(const PIXELFORMATDESCRIPTOR& descriptor)
{
    return descriptor.cColorBits == 8;
}

CString FormatPixelFormatDescription(const PIXELFORMATDESCRIPTOR& d)
{
    static const char* const kKinds[] = {"GEN", "ICD", "MCD"};
    const CString colour = CString::Formatted("%d (%d-%d-%d-%d)", d.cColorBits, d.cRedBits, d.cGreenBits,
                                              d.cBlueBits, d.cAlphaBits);
    const CString accumulation = CString::Formatted("%d (%d-%d-%d-%d)", d.cAccumBits, d.cAccumRedBits,
                                                    d.cAccumGreenBits, d.cAccumBlueBits, d.cAccumAlphaBits);
    return CString::Formatted("%s\t%s\t%s\t%s\t%d\t%d\t%s", kKinds[GetPixelFormatKind(d)],
                              (d.dwFlags & PFD_DOUBLEBUFFER) != 0 ? "DBL" : "SGL",
                              d.iPixelType == PFD_TYPE_RGBA ? "RGBA" : "CI", colour, d.cDepthBits, d.cStencilBits,
                              accumulation);
}

bool IsWGLExtensionSupported(const char* name)
{
    const auto windowSystemExtensions =
        reinterpret_cast<PFNWGLGETEXTENSIONSSTRINGARBPROC>(wglGetProcAddress("wglGetExtensionsStringARB"));
    const char* text = windowSystemExtensions != nullptr ? windowSystemExtensions(wglGetCurrentDC()) : nullptr;
    if (text == nullptr) {
        text = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    }
    if (text == nullptr || name == nullptr || *name == '\0') {
        return false;
    }
    const std::string_view all(text);
    const std::string_view wanted(name);
    for (size_t at = all.find(wanted); at != std::string_view::npos; at = all.find(wanted, at + 1)) {
        const bool starts = at == 0 || all[at - 1] == ' ';
        const size_t end = at + wanted.size();
        if (starts && (end == all.size() || all[end] == ' ')) {
            return true;
        }
    }
    return false;
}

bool DescribePixelFormatRecord(HDC device, int index, CPixelFormatRecord& record)
{
    if (index == 0) {
        index = GetPixelFormat(device);
        if (index == 0) {
            return false;
        }
    }
    record.Clear();
    if (DescribePixelFormat(device, index, sizeof(record.descriptor), &record.descriptor) == 0) {
        return false;
    }
    record.index = index;
    // Multisampled formats are among the numbered ones here, so their samples are told.
    record.samples = device->GetPixelFormatSamples(index);
    return true;
}

bool IsPixelFormatAccelerated(HDC device, int index)
{
    CPixelFormatRecord record;
    return DescribePixelFormatRecord(device, index, record) && record.IsAccelerated();
}

int ChoosePixelFormatForConfig(HDC device, const CGLConfig& config, std::vector<CPixelFormatRecord>& out)
{
    if (config.Accelerated != 0 && IsWGLExtensionSupported("WGL_ARB_pixel_format")) {
        const int found = ChoosePixelFormatsARB(device, config, out);
        if (config.Accelerated == 1 && found > 0) {
            return found;
        }
    }
    out.clear();
    const int count = DescribePixelFormat(device, 1, 0, nullptr);
    for (int index = 1; index <= count; ++index) {
        CPixelFormatRecord record;
        if (DescribePixelFormatRecord(device, index, record) && Keeps(record.descriptor, config)) {
            out.push_back(record);
        }
    }
    return static_cast<int>(out.size());
}

namespace {

// Asks for one format with the attributes and adds it with the samples when its swap
// method is the one asked for; false when its swap method cannot be read.
bool AddFormatARB(HDC device, const std::vector<int>& attributes, int swapMethod, int samples,
                  std::vector<CPixelFormatRecord>& out)
{
    const auto choose = reinterpret_cast<PFNWGLCHOOSEPIXELFORMATARBPROC>(wglGetProcAddress("wglChoosePixelFormatARB"));
    const auto attribute =
        reinterpret_cast<PFNWGLGETPIXELFORMATATTRIBIVARBPROC>(wglGetProcAddress("wglGetPixelFormatAttribivARB"));
    int index = 0;
    UINT count = 0;
    if (choose(device, attributes.data(), nullptr, 1, &index, &count) == 0 || count == 0) {
        return true;
    }
    const int name = WGL_SWAP_METHOD_ARB;
    int method = 0;
    if (attribute(device, index, 0, 1, &name, &method) == 0) {
        return false;
    }
    CPixelFormatRecord record;
    if (method == swapMethod && DescribePixelFormat(device, index, sizeof(record.descriptor), &record.descriptor) != 0) {
        record.index = index;
        record.samples = samples;
        out.push_back(record);
    }
    return true;
}

}  // namespace

int ChoosePixelFormatsARB(HDC device, const CGLConfig& config, std::vector<CPixelFormatRecord>& out)
{
    const int swapMethod = config.SwapCopy != 0 ? WGL_SWAP_COPY_ARB : WGL_SWAP_EXCHANGE_ARB;
    out.clear();
    if (wglGetProcAddress("wglChoosePixelFormatARB") == nullptr ||
        wglGetProcAddress("wglGetPixelFormatAttribivARB") == nullptr) {
        return 0;
    }
    if (config.Accelerated == 0) {
        return 0;
    }
    std::vector<int> attributes = {WGL_DRAW_TO_WINDOW_ARB, 1, WGL_SUPPORT_OPENGL_ARB, 1,
                                   WGL_ACCELERATION_ARB, WGL_FULL_ACCELERATION_ARB, WGL_COLOR_BITS_ARB, 24,
                                   WGL_ALPHA_BITS_ARB, 8, WGL_DEPTH_BITS_ARB, config.DepthBits,
                                   WGL_STENCIL_BITS_ARB, 8, WGL_DOUBLE_BUFFER_ARB, 1};
    std::vector<int> plain = attributes;
    plain.insert(plain.end(), {WGL_SWAP_METHOD_ARB, swapMethod, 0});
    if (!AddFormatARB(device, plain, swapMethod, 0, out)) {
        return 0;
    }
    if (IsWGLExtensionSupported("WGL_ARB_multisample")) {
        for (const int samples : {4, 2}) {
            std::vector<int> sampled = attributes;
            sampled.insert(sampled.end(), {WGL_SAMPLE_BUFFERS_ARB, 1, WGL_SAMPLES_ARB, samples, WGL_SWAP_METHOD_ARB,
                                           swapMethod, 0});
            if (!AddFormatARB(device, sampled, swapMethod, samples, out)) {
                return 0;
            }
        }
    }
    return static_cast<int>(out.size());
}

void SortPixelFormats(std::vector<CPixelFormatRecord>& records)
{
    g_SortPixelFormatsByIndex = 0;
    std::sort(records.begin(), records.end(), RanksBefore);
}

void SortPixelFormatsMode1(std::vector<CPixelFormatRecord>& records)
{
    g_SortPixelFormatsByIndex = 1;
    std::sort(records.begin(), records.end(), RanksBefore);
}

int RemoveDuplicatePixelFormats(std::vector<CPixelFormatRecord>& records, int keep)
{
    SortPixelFormats(records);
    for (size_t i = 0; i < records.size(); ++i) {
        for (size_t j = i + 1; j < records.size();) {
            if (SameFormat(records[i], records[j]) && records[j].index != keep) {
                records.erase(records.begin() + static_cast<std::ptrdiff_t>(j));
            } else {
                ++j;
            }
        }
    }
    SortPixelFormatsMode1(records);
    return static_cast<int>(records.size());
}

int FindConfiguredPixelFormat(const std::vector<CPixelFormatRecord>& records)
{
    std::vector<CPixelFormatRecord> copy = records;
    RemoveDuplicatePixelFormats(copy, 0);
    SortPixelFormats(copy);
    return copy.empty() ? 0 : copy.back().index;
}

int FindPixelFormatForConfig(const CGLConfig& config, HDC device)
{
    std::vector<CPixelFormatRecord> records;
    ChoosePixelFormatForConfig(device, config, records);
    return FindConfiguredPixelFormat(records);
}

bool IsConfiguredPixelFormatAvailable(HDC device, const CGLConfig& config)
{
    try {
        std::vector<CPixelFormatRecord> records;
        ChoosePixelFormatForConfig(device, config, records);
        return std::any_of(records.begin(), records.end(),
                           [&config](const CPixelFormatRecord& record) { return record.index == config.PixelFormat; });
    } catch (const std::exception&) {
        return false;
    }
}

int ChooseViewPixelFormat(HDC device, bool* settingsReset)
{
    if (settingsReset != nullptr) {
        *settingsReset = false;
    }
    CGLConfig local;
    local.SwapCopy = g_UseFastFeedback;
    CGLConfig& live = GetGLConfig();
    if (ReadGLConfig(local)) {
        live = local;
    }
    if (live.PixelFormat > 0) {
        if (IsConfiguredPixelFormatAvailable(device, live)) {
            return live.PixelFormat;
        }
        const int debugFlags = GetGLConfigDebugFlags(0);
        DeleteGLConfigKey();
        if (debugFlags != 0) {
            SetGLConfigDebugFlags(debugFlags);
        }
        if (settingsReset != nullptr) {
            *settingsReset = true;
        }
        live.PixelFormat = 0;
        live.Accelerated = 0;
        (void)WriteGLConfigDword("HW_OK", 0);
    }
    local = live;
    local.Accelerated = 1;
    std::uint32_t hardwareOk = 0;
    if (GLConfigKeyExists()) {
        if (ReadGLConfigDword("HW_OK", hardwareOk) && hardwareOk == 0) {
            local.Accelerated = 0;
        }
    } else {
        (void)WriteGLConfigDword("HW_OK", 0);
    }
    local.SwapCopy = g_UseFastFeedback;
    int found = SearchSafely(local, device);
    if (found == 0) {
        g_UseFastFeedback = 0;
        local.SwapCopy = 0;
        found = SearchSafely(local, device);
    }
    if (found == 0) {
        local.Accelerated = 0;
        g_UseFastFeedback = 1;
        local.SwapCopy = 1;
        found = SearchSafely(local, device);
    }
    local.PixelFormat = found;
    live = local;
    return found;
}

bool TestAcceleratedPixelFormat(HDC device)
{
    CGLConfig config;
    config.Accelerated = 1;
    config.SwapCopy = 0;
    std::vector<CPixelFormatRecord> records;
    if (ChoosePixelFormatForConfig(device, config, records) > 0) {
        return true;
    }
    config.SwapCopy = 1;
    return ChoosePixelFormatForConfig(device, config, records) > 0;
}

void SaveGLConfigPixelFormat(int index, const PIXELFORMATDESCRIPTOR& descriptor)
{
    CGLConfig config;
    config.PixelFormat = index;
    config.Accelerated = IsDescriptorAccelerated(descriptor) ? 1 : 0;
    config.ColorBits = GetDescriptorColorBits(descriptor);
    config.DepthBits = descriptor.cDepthBits;
    config.StencilBits = descriptor.cStencilBits;
    (void)WriteGLConfig(config);
}
