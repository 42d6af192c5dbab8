#include "platform/resources.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::uint8_t kFirst[] = {1, 2, 3};
const std::uint8_t kSecond[] = {4};

}  // namespace

TEST(ResourcesTest, BlocksAreFoundByTypeAndIdAndALaterRegistrationReplaces)
{
    RegisterResource("TESTBLOCK", 1, kFirst, sizeof kFirst);
    const auto found = FindResource("TESTBLOCK", 1);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->data(), kFirst);
    EXPECT_EQ(found->size(), 3u);
    EXPECT_FALSE(FindResource("TESTBLOCK", 2));
    EXPECT_FALSE(FindResource("OTHERTYPE", 1));
    RegisterResource("TESTBLOCK", 1, kSecond, sizeof kSecond);
    EXPECT_EQ(FindResource("TESTBLOCK", 1)->size(), 1u);
}

TEST(ResourcesTest, StringTablesReadIdsTextsAndEscapes)
{
    const std::string table = "# comment\n"
                              "5001 Open a model\r\n"
                              "\n"
                              "5002\tTab\\tand\\nline and \\\\ and \\q\n"
                              "not a number\n"
                              "5003x no separator\n"
                              "5004 ";
    EXPECT_EQ(RegisterStringTable(reinterpret_cast<const std::uint8_t*>(table.data()), table.size()), 3);
    EXPECT_EQ(LoadResourceString(5001), CString("Open a model"));
    EXPECT_EQ(LoadResourceString(5002), CString("Tab\tand\nline and \\ and \\q"));
    EXPECT_EQ(LoadResourceString(5004), CString(""));
    EXPECT_FALSE(LoadResourceString(5003));
    RegisterString(5001, CString(u"\u00c4nderung"));
    EXPECT_EQ(LoadResourceString(5001)->ToUtf8(), "\xc3\x84nderung");
}
