#include "platform/cstring.h"

#include <gtest/gtest.h>

TEST(CStringText, Utf8AndUtf16ConvertBothWaysIncludingSurrogatePairs)
{
    const CString text("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(text.Units(), std::u16string(u"a\u00E9\u20AC\U0001F600"));
    EXPECT_EQ(text.GetLength(), 5);
    EXPECT_EQ(text.ToUtf8(), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
}

TEST(CStringText, MalformedInputBecomesReplacementCharacters)
{
    EXPECT_EQ(CString("a\xFF" "b").Units(), std::u16string(u"a\uFFFDb"));
    EXPECT_EQ(CString("\xC0\xAF").Units(), std::u16string(u"\uFFFD\uFFFD"));  // overlong slash
    EXPECT_EQ(CString("\xE2\x82").Units(), std::u16string(u"\uFFFD\uFFFD"));  // cut short
    EXPECT_EQ(CString(std::u16string(1, char16_t(0xD800))).ToUtf8(), "\xEF\xBF\xBD");
    EXPECT_EQ(CString(static_cast<const char*>(nullptr)).GetLength(), 0);
}

TEST(CStringText, AnsiUsesTheWindowsCodePageAndMarksTheUnmappable)
{
    EXPECT_EQ(CString::FromAnsi("\x80\xE9\x9F").Units(), std::u16string(u"\u20AC\u00E9\u0178"));
    EXPECT_EQ(CString(u"\u20AC\u00E9\u4E2D").ToAnsi(), "\x80\xE9?");
}

TEST(CStringText, SlicingClampsOutOfRangeArguments)
{
    const CString s("abcdef");
    EXPECT_EQ(s.Left(2), CString("ab"));
    EXPECT_EQ(s.Left(99), s);
    EXPECT_EQ(s.Right(2), CString("ef"));
    EXPECT_EQ(s.Right(-1), CString());
    EXPECT_EQ(s.Mid(4), CString("ef"));
    EXPECT_EQ(s.Mid(2, 2), CString("cd"));
    EXPECT_EQ(s.Mid(10, 2), CString());
    EXPECT_EQ(s.Mid(-3, 2), CString("ab"));
}

TEST(CStringText, SearchingAndReplacing)
{
    CString s("a.b.c");
    EXPECT_EQ(s.Find(u'.'), 1);
    EXPECT_EQ(s.Find(u'.', 2), 3);
    EXPECT_EQ(s.Find(CString("b.c")), 2);
    EXPECT_EQ(s.Find(u'.', 99), -1);
    EXPECT_EQ(s.ReverseFind(u'.'), 3);
    EXPECT_EQ(s.Replace(".", ".."), 2);
    EXPECT_EQ(s, CString("a..b..c"));
    EXPECT_EQ(s.Replace("", "x"), 0);
}

TEST(CStringText, ComparisonsFoldOnlyAsciiLettersWhenAsked)
{
    EXPECT_EQ(CString("Layer").CompareNoCase("LAYER"), 0);
    EXPECT_LT(CString("abc").CompareNoCase("ABD"), 0);
    EXPECT_GT(CString("abcd").CompareNoCase("ABC"), 0);
    EXPECT_NE(CString(u"\u00E9").CompareNoCase(CString(u"\u00C9")), 0);
    EXPECT_LT(CString("B").Compare("a"), 0);
    EXPECT_EQ(CString("  x \t\n").Trim(), CString("x"));
    EXPECT_EQ(CString("MiXeD").MakeLower(), CString("mixed"));
    EXPECT_EQ(CString("MiXeD").MakeUpper(), CString("MIXED"));
}

TEST(CStringText, FormattingAcceptsTextArgumentsAsUtf8)
{
    const CString name(u"mod\u00E8le");
    EXPECT_EQ(CString::Formatted("%s has %d faces (%.1f%%)", name, 12, 50.0), CString(u"mod\u00E8le has 12 faces (50.0%)"));
    CString out;
    out.Format("%d.%d.%d", 5, 0, 232);
    EXPECT_EQ(out, CString("5.0.232"));
}
