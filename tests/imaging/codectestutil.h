#pragma once
// Helpers for the codec tests: test pictures are made by the command-line image tools
// in a scratch folder, decoded by them and by the library, and compared as RGBA bytes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "imaging/ilanybmp.h"
#include "imaging/ilfilterboxreduce.h"
#include "imaging/ilmemsink.h"
#include "imaging/ilpicdecoder.h"
#include "imaging/ilpicencoder.h"
#include "imaging/ilpixel16.h"
#include "imaging/iltextexception.h"
#include "imagingtestutil.h"

namespace codectest {

inline bool HaveTool(const char* name)
{
    const std::string command = std::string("command -v ") + name + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// Runs a shell command and returns what it wrote to standard output; `ok` tells whether
// it ended with status 0.
inline std::string RunCapture(const std::string& command, bool* ok = nullptr)
{
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        if (ok) {
            *ok = false;
        }
        return out;
    }
    char buffer[65536];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        out.append(buffer, n);
    }
    const int status = ::pclose(pipe);
    if (ok) {
        *ok = status == 0;
    }
    return out;
}

inline void Shell(const std::string& command)
{
    ASSERT_EQ(std::system((command + " 2>/dev/null").c_str()), 0) << command;
}

inline std::string Quote(const std::string& path)
{
    return "'" + path + "'";
}

// The tools' own decoding: 8-bit RGBA rows, top row first. `options` go before the output
// (TGA files need "-auto-orient": the tools keep a bottom-up file's stored row order as
// an orientation tag instead of turning the rows).
inline std::vector<uint8_t> ToolRgba(const std::string& path, const std::string& options = {})
{
    bool ok = false;
    const std::string bytes =
        RunCapture("convert " + Quote(path) + " " + options + " -depth 8 rgba:- 2>/dev/null", &ok);
    EXPECT_TRUE(ok) << "convert could not read " << path;
    return {bytes.begin(), bytes.end()};
}

// "width height" as the tools see the file.
inline std::string ToolSize(const std::string& path)
{
    return RunCapture("identify -format '%w %h' " + Quote(path) + " 2>/dev/null");
}

// A bitmap of any depth as 8-bit RGBA rows, palette images through their palette.
inline std::vector<uint8_t> BitmapRgba(const ILBmp& bmp)
{
    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(bmp.GetWidth()) * bmp.GetHeight() * 4);
    const int depth = bmp.GetBitsPerPixel();
    const ILPixel32* palette = bmp.GetPalette();
    for (int y = 0; y < bmp.GetHeight(); ++y) {
        const uint8_t* row = bmp.GetLineArray()[y];
        for (int x = 0; x < bmp.GetWidth(); ++x) {
            ILPixel32 p;
            if (depth == 1) {
                p = palette[(row[x / 8] >> (7 - x % 8)) & 1];
            } else if (depth == 8) {
                p = palette[row[x]];
            } else if (depth == 16) {
                const ILPixel16 w(static_cast<uint16_t>(row[2 * x] | (row[2 * x + 1] << 8)));
                p = ILPixel32(w.GetR(), w.GetG(), w.GetB(), 255);
            } else if (depth == 24) {
                p = ILPixel32(row[3 * x + 2], row[3 * x + 1], row[3 * x], 255);
            } else {
                p = reinterpret_cast<const ILPixel32*>(row)[x];
            }
            out.insert(out.end(), {p.r, p.g, p.b, p.a});
        }
    }
    return out;
}

// Sets every alpha byte to 255, for comparisons of images whose alpha is not meaningful.
inline std::vector<uint8_t> Opaque(std::vector<uint8_t> rgba)
{
    for (size_t i = 3; i < rgba.size(); i += 4) {
        rgba[i] = 255;
    }
    return rgba;
}

// The largest difference of two equally long byte strings; -1 when the lengths differ.
inline int MaxDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    if (a.size() != b.size()) {
        return -1;
    }
    int worst = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        worst = std::max(worst, std::abs(a[i] - b[i]));
    }
    return worst;
}

inline std::vector<uint8_t> Mask(std::vector<uint8_t> bytes, uint8_t mask)
{
    for (uint8_t& b : bytes) {
        b &= mask;
    }
    return bytes;
}

inline void DecodeBytes(ILPicDecoder& decoder, const std::string& bytes, ILAnyBmp& bmp, int depth = 0)
{
    decoder.MakeBmpFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int64_t>(bytes.size()),
                              bmp, depth);
}

// The picture decoded whole and then box-reduced to width × height (`expected`), and decoded
// with a longer side of at most the larger of the two (`shrunk`), which formats that can do
// so reduce while they read.
struct ShrunkPair
{
    ILAnyBmp whole;
    ILAnyBmp expected;
    ILAnyBmp shrunk;
};
inline ShrunkPair DecodeWholeAndShrunk(ILPicDecoder& decoder, const std::string& bytes, int width, int height)
{
    ShrunkPair pair;
    DecodeBytes(decoder, bytes, pair.whole);
    ILFilterBoxReduce(width, height).Apply(pair.whole, pair.expected);
    decoder.SetMaxSide(std::max(width, height));
    DecodeBytes(decoder, bytes, pair.shrunk);
    return pair;
}

// Decodes the bytes with a fresh decoder of the type; the picture as RGBA rows.
template <typename Decoder>
std::vector<uint8_t> DecodeRgba(const std::string& bytes, ILAnyBmp& bmp)
{
    Decoder decoder;
    DecodeBytes(decoder, bytes, bmp);
    return BitmapRgba(bmp);
}

// Little-endian numbers written into hand-built file headers.
inline void Put16(std::string& s, size_t at, uint32_t v)
{
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

inline void Put32(std::string& s, size_t at, uint32_t v)
{
    Put16(s, at, v & 0xFFFF);
    Put16(s, at + 2, v >> 16);
}

// The error code with which decoding the bytes fails; 0 when it succeeds.
inline int DecodeFailureCode(ILPicDecoder& decoder, const std::string& bytes)
{
    try {
        ILAnyBmp bmp;
        DecodeBytes(decoder, bytes, bmp);
    } catch (const ILTextException& e) {
        return e.GetCode();
    }
    return 0;
}

inline std::string EncodeToString(ILPicEncoder& encoder, const ILBmp& bmp)
{
    ILMemSink sink;
    EXPECT_EQ(sink.Open("mem", 64), 0);
    encoder.SaveBmp(bmp, sink);
    return std::string(reinterpret_cast<const char*>(sink.GetBytes()), sink.GetDataSize());
}

inline uint32_t Le32(const std::string& bytes, size_t offset)
{
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data()) + offset;
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

inline uint32_t Be32(const std::string& bytes, size_t offset)
{
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data()) + offset;
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

// A fixture that skips its tests when one of the tools is missing.
class ToolTest : public ScratchFolderTest
{
protected:
    bool ToolsMissing(std::initializer_list<const char*> tools)
    {
        for (const char* tool : tools) {
            if (!HaveTool(tool)) {
                m_missing = tool;
                return true;
            }
        }
        return false;
    }
    std::string m_missing;

    // A small colourful picture with odd sides, so that every row needs padding.
    std::string MakeBase(const std::string& name = "base.ppm")
    {
        const std::string path = PathOf(name);
        Shell("convert rose: -crop 29x17+5+5 +repage " + Quote(path));
        return path;
    }
    // The same picture with an alpha channel that runs through many values.
    std::string MakeBaseWithAlpha(const std::string& name = "alpha.png")
    {
        const std::string path = PathOf(name);
        Shell("convert rose: -crop 29x17+5+5 +repage \\( +clone -colorspace gray \\) -alpha off "
            "-compose CopyOpacity -composite " +
            Quote(path));
        return path;
    }
    // Runs a tool command in which BASE or ALPHA stands for the picture of MakeBase or
    // MakeBaseWithAlpha and OUT for the named file in the scratch folder; answers the
    // file's path.
    std::string MakeToolFile(std::string command, const std::string& fileName)
    {
        const std::string out = PathOf(fileName);
        command.replace(command.find("OUT"), 3, Quote(out));
        if (const size_t at = command.find("BASE"); at != std::string::npos) {
            command.replace(at, 4, Quote(MakeBase()));
        } else {
            command.replace(command.find("ALPHA"), 5, Quote(MakeBaseWithAlpha()));
        }
        Shell(command);
        return out;
    }
};

#define SKIP_WITHOUT_TOOLS(...)                                          \
    do {                                                                 \
        if (ToolsMissing({__VA_ARGS__})) {                               \
            GTEST_SKIP() << "tool not installed: " << m_missing;         \
        }                                                                \
    } while (false)

}  // namespace codectest
