#pragma once
// Support for the tests of the stored image and the image service: small 32-bit
// bitmaps built from colour words, their encodings made with the library's own
// encoders, pixel blocks freed on scope exit, and a scratch folder per test.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "imaging/ilanybmp.h"
#include "imaging/ilmemsink.h"
#include "imaging/ilpicencoder.h"
#include "imaging/ilpngencoder.h"

namespace imagetest {

using Bytes = std::vector<std::uint8_t>;

// A bitmap whose pixels, row by row from the top, are the words 0xAARRGGBB.
inline std::unique_ptr<ILAnyBmp> MakeBitmap(int width, int height, const std::vector<std::uint32_t>& argb, bool alpha)
{
    auto bmp = std::make_unique<ILAnyBmp>();
    bmp->CreateFromData(width, height, 32, alpha, false, nullptr, 0, ILPoint(0, 0));
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<ILPixel32*>(bmp->GetLineArray()[y]);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t value = argb[static_cast<std::size_t>(y * width + x)];
            row[x] = ILPixel32(static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
                               static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 24));
        }
    }
    return bmp;
}

// One colour everywhere.
inline std::unique_ptr<ILAnyBmp> MakeFilledBitmap(int width, int height, std::uint32_t argb, bool alpha)
{
    return MakeBitmap(width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width * height), argb), alpha);
}

inline ILPixel32 PixelAt(const ILBmp& bmp, int x, int y)
{
    return reinterpret_cast<const ILPixel32*>(bmp.GetLineArray()[y])[x];
}

inline Bytes Encode(ILPicEncoder& encoder, const ILBmp& bmp)
{
    ILMemSink sink;
    EXPECT_EQ(sink.Open("test", 64), 0);
    encoder.SaveBmp(bmp, sink);
    return Bytes(sink.GetBytes(), sink.GetBytes() + sink.GetDataSize());
}

inline Bytes PngBytes(const ILBmp& bmp)
{
    ILPNGEncoder encoder;
    return Encode(encoder, bmp);
}

// A block of the image service, freed when the holder goes.
struct FreeBlock
{
    void operator()(std::uint8_t* block) const { std::free(block); }
};
using Block = std::unique_ptr<std::uint8_t, FreeBlock>;

// The 4-byte pixel at (x, y) of a packed block of the given width.
inline ILPixel32 BlockPixel(const Block& block, int width, int x, int y)
{
    const std::uint8_t* p = block.get() + (static_cast<std::size_t>(y) * width + x) * 4;
    ILPixel32 pixel;
    pixel.b = p[0];
    pixel.g = p[1];
    pixel.r = p[2];
    pixel.a = p[3];
    return pixel;
}

class ScratchFolderTest : public testing::Test
{
protected:
    void SetUp() override
    {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        m_dir = std::filesystem::path(testing::TempDir()) /
                ("adapter_" + std::to_string(::getpid()) + "_" + info->test_suite_name() + "_" + info->name());
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    [[nodiscard]] std::string PathOf(const std::string& name) const { return (m_dir / name).string(); }

    std::string WriteFile(const std::string& name, const Bytes& bytes) const
    {
        const std::string path = PathOf(name);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    [[nodiscard]] static Bytes ReadFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::filesystem::path m_dir;
};

}  // namespace imagetest
