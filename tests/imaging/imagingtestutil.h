#pragma once
// Helpers shared by the image library's tests: a scratch folder per test, the
// resources embedded into the test program, the pixels of 32-bit bitmaps, and the
// exception an action ends with.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>

#include "imaging/ilbmp.h"
#include "imaging/iltextexception.h"

// Generated from tests/data/resources/resources.manifest.
void RegisterResources_test_imaging();

// The pixel at (x, y) of a 32-bit bitmap, copied so that rows of any alignment serve.
inline ILPixel32 PixelAt(const ILBmp& bmp, int x, int y)
{
    ILPixel32 pixel;
    std::memcpy(&pixel, bmp.GetLineArray()[y] + 4 * x, 4);
    return pixel;
}

inline void SetPixel(ILBmp& bmp, int x, int y, const ILPixel32& pixel)
{
    std::memcpy(bmp.GetLineArray()[y] + 4 * x, &pixel, 4);
}

// The exception the action throws; one with code -1 when it throws none.
inline ILTextException Failure(const std::function<void()>& action)
{
    try {
        action();
    } catch (const ILTextException& e) {
        return e;
    }
    return ILTextException(-1, "no exception");
}

class ScratchFolderTest : public testing::Test
{
protected:
    void SetUp() override
    {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        m_dir = std::filesystem::path(testing::TempDir()) /
                ("imaging_" + std::to_string(::getpid()) + "_" + info->test_suite_name() + "_" + info->name());
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    [[nodiscard]] std::string PathOf(const std::string& name) const { return (m_dir / name).string(); }

    // A path of exactly `length` bytes inside the scratch folder, through folders that do not
    // exist; no part is longer than a file name may be.
    [[nodiscard]] std::string PathOfLength(std::size_t length) const
    {
        std::string path = m_dir.string();
        while (path.size() < length) {
            const std::size_t part = std::min<std::size_t>(length - path.size() - 1, 200);
            path += "/" + std::string(part > 0 ? part : 1, 'n');
        }
        return path.substr(0, length);
    }

    std::string WriteFile(const std::string& name, const std::string& bytes) const
    {
        const std::string path = PathOf(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    [[nodiscard]] static std::string ReadFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::filesystem::path m_dir;
};
