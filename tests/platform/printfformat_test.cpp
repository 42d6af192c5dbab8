#include "platform/printfformat.h"

#include <gtest/gtest.h>

namespace {

TEST(PrintfFormatTest, AFormatIsAcceptedOnlyWhenItTakesTheReferencesValues)
{
    const struct
    {
        const char* format;
        const char* reference;
        bool accepted;
    } cases[] = {
        {"%.1f KB (%lld Byte)", "%.2lfKB (%lld Bytes)", true},
        {"100%% %-5d", "%d", true},
        {"%*d", "%d %d", true},
        {"%s", "%.2lfKB (%lld Bytes)", false},
        {"%d", "%s", false},
        {"%d %s", "%d", false},
        {"%d", "%d %d", false},
        {"%ld", "%d", false},
        {"%d%n", "%d", false},
        {"%2$d %1$d", "%d %d", false},
        {"%d %", "%d", false},
        {"%k", "", false},
        {"no values", "", true},
        // A translation asking for a width of 900 million once froze the window showing it.
        {"%900000000d", "%d", false},
        {"%-0900000000d", "%d", false},
        {"%.900000000f", "%.2f", false},
        {"%99999999999999999999s", "%s", false},
        {"%257d", "%d", false},
        {"%256d %.256f", "%d %f", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TakesSameValues(c.format, c.reference), c.accepted) << c.format << " / " << c.reference;
}

}  // namespace
