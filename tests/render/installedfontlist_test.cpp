// The installed TrueType fonts: found by family and style, damaged files left out, and
// a family the machine lacks answered by a font that exists.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "render/installedfontlist.h"

namespace {

std::string WriteFile(const std::string& name, const std::vector<char>& bytes)
{
    const std::string path = testing::TempDir() + name;
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::vector<char> ReadFile(const CString& path)
{
    std::ifstream in(path.ToUtf8(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const CInstalledFontList& Installed()
{
    return CInstalledFontList::GetInstalled();
}

TEST(InstalledFontList, EntriesCountAsTrueTypeByTheirLabelOrTheirFileName)
{
    const struct {
        const char* name;
        const char* file;
        bool trueType;
    } cases[] = {
        {"Arial (TrueType)", "arial.fon", true}, {"Arial (True Type)", "", true},
        {"Arial", "/fonts/ARIAL.TTF", true},     {"Courier (CFF)", "courier.otf", false},
        {"Symbol", "symbol.ttc", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsTrueTypeFontEntry(CString(c.name), CString(c.file)), c.trueType) << c.name;
    }
}

TEST(InstalledFontList, AFamilyIsFoundByNameAndStyle)
{
    if (Installed().GetFonts().empty()) {
        GTEST_SKIP() << "no TrueType font installed";
    }
    for (const CInstalledFont& font : Installed().GetFonts()) {
        const CString found = FindFontFile(font.family, font.bold, font.italic);
        ASSERT_FALSE(found.IsEmpty()) << font.family.ToUtf8();
        // The first of several files of one family and style answers.
        EXPECT_EQ(Installed().Find(font.family, font.bold, font.italic), found);
    }
    const CInstalledFont& first = Installed().GetFonts().front();
    CString upper = first.family;
    upper.MakeUpper();
    EXPECT_EQ(FindFontFile(upper, first.bold, first.italic), FindFontFile(first.family, first.bold, first.italic))
        << "names compare without case";
}

TEST(InstalledFontList, AMissingFamilyFallsBackToAFontThatReads)
{
    if (Installed().GetFonts().empty()) {
        GTEST_SKIP() << "no TrueType font installed";
    }
    EXPECT_TRUE(FindFontFile(CString("No Such Family Anywhere"), false, false).IsEmpty());
    for (const bool bold : {false, true}) {
        const CString path = ResolveFontFile(CString("No Such Family Anywhere"), bold, false);
        CInstalledFontList list;
        EXPECT_TRUE(list.AddFile(path)) << path.ToUtf8();
    }
}

TEST(InstalledFontList, FilesThatAreNoFontOrAreCutShortAreLeftOut)
{
    if (Installed().GetFonts().empty()) {
        GTEST_SKIP() << "no TrueType font installed";
    }
    const std::vector<char> whole = ReadFile(Installed().GetFonts().front().path);
    ASSERT_GT(whole.size(), 1000U);
    // The glyph count of the file's "maxp" table set to 0: a face with nothing to draw.
    std::vector<char> noGlyphs = whole;
    const auto byte = [&whole](std::size_t at) { return std::size_t{static_cast<unsigned char>(whole.at(at))}; };
    const auto word = [&byte](std::size_t at) {
        return byte(at) << 24 | byte(at + 1) << 16 | byte(at + 2) << 8 | byte(at + 3);
    };
    const std::size_t tables = byte(4) << 8 | byte(5);
    for (std::size_t entry = 12; entry < 12 + 16 * tables && entry + 16 <= whole.size(); entry += 16) {
        if (std::equal(whole.begin() + static_cast<std::ptrdiff_t>(entry),
                       whole.begin() + static_cast<std::ptrdiff_t>(entry) + 4, "maxp")) {
            noGlyphs.at(word(entry + 8) + 4) = 0;
            noGlyphs.at(word(entry + 8) + 5) = 0;
        }
    }
    ASSERT_NE(noGlyphs, whole) << "a TrueType file has a maxp table";
    const struct {
        const char* name;
        std::vector<char> bytes;
    } cases[] = {
        {"empty.ttf", {}},
        {"truncated-header.ttf", std::vector<char>(whole.begin(), whole.begin() + 100)},
        {"truncated-tables.ttf", std::vector<char>(whole.begin(), whole.begin() + whole.size() / 3)},
        {"glyph-count-zero.ttf", noGlyphs},
        {"text.ttf", {'n', 'o', ' ', 'f', 'o', 'n', 't'}},
    };
    CInstalledFontList list;
    for (const auto& c : cases) {
        const std::string path = WriteFile(c.name, c.bytes);
        EXPECT_FALSE(list.AddFile(CString::FromUtf8(path))) << c.name;
        std::remove(path.c_str());
    }
    EXPECT_TRUE(list.GetFonts().empty());
    EXPECT_TRUE(list.AddFile(Installed().GetFonts().front().path));
}

}  // namespace
