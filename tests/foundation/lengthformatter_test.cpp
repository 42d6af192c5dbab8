#include "foundation/lengthformatter.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/syshelpers.h"
#include "tests/foundation/unitstestsettings.h"

namespace {

class LengthFormatterTest : public ::testing::Test
{
protected:
    void SetUp() override { SetDecimalSeparatorForTesting(u'.'); }
    void TearDown() override { SetDecimalSeparatorForTesting(0); }

    [[nodiscard]] CString Shown(double inches, int format, int precision, int unit = 0, bool force = false) const
    {
        return CLengthFormatter(precision, force).FormatLength(inches, format, precision, unit);
    }

    [[nodiscard]] static bool Read(const char* text, int format, int unit, double& inches)
    {
        return CLengthFormatter(2).Parse(CString(text), inches, format, unit);
    }

    valuetests::CTestUnitsSettings m_settings;
};

} // namespace

TEST_F(LengthFormatterTest, DecimalInchesMarkRoundedValuesAndSigns)
{
    EXPECT_EQ(Shown(1.0, 0, 2), CString("1.00\""));
    EXPECT_EQ(Shown(1.004, 0, 2), CString("~ 1.00\""));
    EXPECT_EQ(Shown(-1.0, 0, 2), CString("-1.00\""));
    EXPECT_EQ(Shown(-1.004, 0, 2), CString("~ -1.00\""));
}

TEST_F(LengthFormatterTest, DecimalLengthsAreShownInTheirUnit)
{
    EXPECT_EQ(Shown(1000.0, 0, 3, 4), CString("25.400m"));
    EXPECT_EQ(Shown(18.0, 0, 1, 1), CString("1.5'"));
    m_settings.m_suppressUnits = true;
    EXPECT_EQ(Shown(1.0, 0, 2, 3), CString("2.54"));
}

TEST_F(LengthFormatterTest, ArchitecturalLengthsShowFeetAndInchFractions)
{
    EXPECT_EQ(Shown(18.5, 1, 3), CString("1' 6 1/2\""));
    EXPECT_EQ(Shown(24.0, 1, 3), CString("2'"));
    EXPECT_EQ(Shown(0.375, 1, 3), CString("3/8\""));
    EXPECT_EQ(Shown(0.0, 1, 3), CString("0\""));
    EXPECT_EQ(Shown(0.1, 1, 3), CString("~ 1/8\""));
    m_settings.m_forceInch = true;
    EXPECT_EQ(Shown(24.0, 1, 3), CString("2' 0\""));
}

TEST_F(LengthFormatterTest, EngineeringLengthsShowDecimalFeet)
{
    EXPECT_EQ(Shown(18.0, 2, 1), CString("1.5'"));
    EXPECT_EQ(Shown(24.0, 2, 1), CString("2'"));
    EXPECT_EQ(Shown(24.0, 2, 1, 0, true), CString("2.0'"));
}

TEST_F(LengthFormatterTest, FractionalLengthsShowInchFractions)
{
    EXPECT_EQ(Shown(2.25, 3, 2), CString("2 1/4\""));
    EXPECT_EQ(Shown(3.0, 3, 2), CString("3\""));
    m_settings.m_suppressUnits = true;
    EXPECT_EQ(Shown(2.25, 3, 2), CString("2 1/4"));
}

TEST_F(LengthFormatterTest, FractionsFinerThanA64thGiveAnEmptyNumber)
{
    EXPECT_EQ(CLengthFormatter(8).FormatLengthNumber(1.0 / 256.0, 3, 8, 0), CString());
    EXPECT_EQ(CLengthFormatter(6).FormatLengthNumber(1.0 / 64.0, 3, 6, 0), CString("1/64\""));
}

TEST_F(LengthFormatterTest, NegativePrecisionsFormatAsNoDecimals)
{
    EXPECT_EQ(Shown(1.4, 0, -2), CString("~ 1\""));
    EXPECT_EQ(Shown(36.0, 2, -1, 0, true), CString("3'"));
    EXPECT_EQ(GetLengthRoundingStep(0, -3), 1.0);
}

TEST_F(LengthFormatterTest, HugePrecisionsAndLengthsStayFinite)
{
    EXPECT_EQ(Shown(1.0, 0, 1000), CString("1.") + CString(u'0', kMaxLengthPrecision) + CString("\""));
    EXPECT_FALSE(Shown(1e300, 1, 3).IsEmpty());
}

TEST_F(LengthFormatterTest, ACommaSeparatorIsUsedInTextAndParsing)
{
    SetDecimalSeparatorForTesting(u',');
    EXPECT_EQ(Shown(1.5, 0, 2), CString("1,50\""));
    EXPECT_EQ(Shown(18.0, 2, 1), CString("1,5'"));
    double inches = 0.0;
    ASSERT_TRUE(Read("2,5", 0, 0, inches));
    EXPECT_DOUBLE_EQ(inches, 2.5);
}

TEST_F(LengthFormatterTest, CompactTextDropsTrailingZerosAndOptionallyTheMark)
{
    const CLengthFormatter formatter;
    EXPECT_EQ(formatter.FormatCompact(1.5, 0, 3, 0, false), CString("1.5"));
    EXPECT_EQ(formatter.FormatCompact(1.5, 0, 3, 0, true), CString("1.5\""));
    EXPECT_EQ(formatter.FormatCompact(2.0 / 25.4, 0, 3, 2, false), CString("2"));
    EXPECT_EQ(formatter.FormatCompact(1.004, 0, 2, 0, true), CString(" 1\""));
    EXPECT_EQ(formatter.FormatCompact(20.0, 0, 0, 0, false), CString("20"));
}

TEST_F(LengthFormatterTest, RoundingStepsFollowFormatAndPrecision)
{
    EXPECT_EQ(GetLengthRoundingStep(2, 0), 12.0);
    EXPECT_DOUBLE_EQ(GetLengthRoundingStep(2, 1), 1.2);
    EXPECT_EQ(RoundLength(2.5, 2, 0), 3.0);
    EXPECT_EQ(RoundLength(0.3, 3, 2), 0.25);
    EXPECT_EQ(RoundLength(0.3, 7, 2), 0.3);
}

TEST_F(LengthFormatterTest, ArchitecturalTextParsesToInches)
{
    const struct
    {
        const char* text;
        double inches;
    } cases[] = {{"5' 6\"", 66.0}, {"-5' 6", -66.0}, {"3 1/2", 3.5}, {"-3 1/2", -3.5},
                 {"1/2\"", 0.5},   {"~ 12", 12.0},   {"5'", 60.0},   {"12\"", 12.0}};
    for (const auto& entry : cases) {
        double inches = 0.0;
        EXPECT_TRUE(Read(entry.text, 1, 0, inches)) << entry.text;
        EXPECT_DOUBLE_EQ(inches, entry.inches) << entry.text;
    }
}

TEST_F(LengthFormatterTest, MalformedLengthTextIsRefused)
{
    const std::string huge(400, '9');
    for (const char* text : {"3ft", "3/0", "12 m", "3 ", "+3", "", "3/4x", "3 1/2 in", "abc", "abc'", "1e3'",
                             "inf'", "-inf", "1.5x", "1/0", "1e300", huge.c_str()}) {
        double inches = 0.0;
        EXPECT_FALSE(Read(text, 1, 0, inches)) << text;
    }
}

TEST_F(LengthFormatterTest, DecimalAndEngineeringTextParseInTheirUnits)
{
    double inches = 0.0;
    ASSERT_TRUE(Read("2.54cm", 0, 0, inches));
    EXPECT_EQ(inches, 2.54 * 0.39370078740157477);
    ASSERT_TRUE(Read("2.5", 0, 0, inches));
    EXPECT_EQ(inches, 2.5);
    ASSERT_TRUE(Read("1.5", 2, 0, inches));
    EXPECT_EQ(inches, 18.0);
    ASSERT_TRUE(Read("1m", 0, 0, inches));
    EXPECT_DOUBLE_EQ(inches, 39.37007874015748);
}

TEST(LengthUnitsTest, WithoutCurrentSettingsTheDefaultsApplyAndFormatsFixTheirUnit)
{
    ASSERT_EQ(GetCurrentUnitsSettings(), nullptr);
    EXPECT_EQ(GetCurrentLengthFormat(), 1);
    EXPECT_EQ(GetCurrentLengthPrecision(), 4);
    EXPECT_EQ(GetCurrentLengthUnit(), 0);
    valuetests::CTestUnitsSettings settings;
    settings.m_unit = 3;
    settings.m_format = 2;
    EXPECT_EQ(GetCurrentLengthUnit(), 1);
    settings.m_format = 0;
    EXPECT_EQ(GetCurrentLengthUnit(), 3);
}

TEST_F(LengthFormatterTest, CurrentSettingsDriveFormatAndParse)
{
    m_settings.m_format = 1;
    m_settings.m_precision = 4;
    const CLengthFormatter formatter;
    EXPECT_EQ(formatter.GetPrecision(), 4);
    EXPECT_EQ(formatter.Format(18.5), CString("1' 6 1/2\""));
    double inches = 0.0;
    ASSERT_TRUE(formatter.Parse(CString("1' 6 1/2"), inches));
    EXPECT_DOUBLE_EQ(inches, 18.5);
}

TEST_F(LengthFormatterTest, FormattedTextParsesBack)
{
    for (int format = 0; format <= 3; ++format) {
        for (double inches : {0.5, 18.75, 120.0, -42.25}) {
            const CString text = Shown(inches, format, 3);
            double back = 0.0;
            ASSERT_TRUE(CLengthFormatter(3).Parse(text, back, format, 0)) << text.ToUtf8();
            EXPECT_NEAR(back, inches, 1.2 / 1000.0 * 12.0) << text.ToUtf8();
        }
    }
}
