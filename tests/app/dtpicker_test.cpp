#include "app/dtpicker.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QLocale>
#include <QTest>

#include "apptestsupport.h"

namespace {

TEST(DTPickerTest, TheTimeShowsOnTheLocalesClock)
{
    apptest::PrepareApplication();
    const struct
    {
        QLocale locale;
        const char* format;
        const char* shown;
    } cases[] = {{QLocale(QLocale::German, QLocale::Germany), "HH:mm", "17:05"},
                 {QLocale(QLocale::English, QLocale::UnitedStates), "hh:mm tt", "05:05 PM"}};
    for (const auto& c : cases)
    {
        CDTPicker picker;
        picker.SetCustomFormat(TimePickerFormat(c.locale));
        picker.SetHour(17);
        picker.SetMinute(5);
        EXPECT_EQ(TimePickerFormat(c.locale), CString(c.format)) << c.format;
        EXPECT_EQ(picker.text().toStdString(), c.shown) << c.format;
    }
}

// Fixed: typed digits went in at the cursor, so that "06:00" typed after the text changed
// nothing and typed at the start of the hours changed only the minutes.
TEST(DTPickerTest, DigitsFillThePartUnderTheCursorAndMoveOnAfterTwoDigitsOrASeparator)
{
    apptest::PrepareApplication();
    constexpr int kWhole = -1;
    const struct
    {
        const char* format;
        QDateTime before;
        int cursor;
        const char* typed;
        QDateTime after;
    } cases[] = {
        {"HH:mm", {{2024, 6, 1}, {13, 30}}, kWhole, "06:00", {{2024, 6, 1}, {6, 0}}},
        {"HH:mm", {{2024, 6, 1}, {13, 30}}, 0, "07:15", {{2024, 6, 1}, {7, 15}}},
        {"HH:mm", {{2024, 6, 1}, {13, 30}}, 1, "07:15", {{2024, 6, 1}, {7, 15}}},
        {"HH:mm", {{2024, 6, 1}, {13, 30}}, 2, "0715", {{2024, 6, 1}, {7, 15}}},
        {"HH:mm", {{2024, 6, 1}, {13, 30}}, 0, "7:15", {{2024, 6, 1}, {7, 15}}},
        {"HH:mm", {{2024, 6, 1}, {13, 30}}, 0, "9", {{2024, 6, 1}, {9, 30}}},
        {"HH:mm", {{2024, 6, 1}, {13, 30}}, 0, ":45", {{2024, 6, 1}, {13, 45}}},
        {"HH:mm", {{2024, 6, 1}, {13, 30}}, 4, "15", {{2024, 6, 1}, {13, 15}}},
        {"HH:mm", {{2024, 6, 1}, {13, 30}}, 5, "06:00", {{2024, 6, 1}, {13, 0}}},
        {"hh:mm tt", {{2024, 6, 1}, {13, 30}}, 0, "07:15", {{2024, 6, 1}, {19, 15}}},
        {"dd MMM yyyy", {{2024, 6, 1}, {13, 30}}, 0, "3 4 2025", {{2025, 4, 3}, {13, 30}}},
        {"dd MMM yyyy", {{2024, 6, 1}, {13, 30}}, 3, "18", {{2024, 8, 1}, {13, 30}}},
        {"dd MMM yyyy", {{2024, 1, 31}, {13, 30}}, 3, "2", {{2024, 2, 29}, {13, 30}}},
    };
    for (const auto& c : cases)
    {
        CDTPicker picker;
        picker.SetCustomFormat(CString(c.format));
        picker.setDateTime(c.before);
        picker.show();
        picker.setFocus();
        if (c.cursor == kWhole)
            picker.selectAll();
        else
            picker.findChild<QLineEdit*>()->setCursorPosition(c.cursor);
        int reported = 0;
        QObject::connect(&picker, &QDateTimeEdit::dateTimeChanged, [&reported] { ++reported; });
        QTest::keyClicks(&picker, QString::fromLatin1(c.typed));
        const std::string what = std::string(c.format) + " at " + std::to_string(c.cursor) + ": " + c.typed;
        EXPECT_EQ(picker.dateTime(), c.after) << what << " gave " << picker.text().toStdString();
        // Once for each part that changed, not at every digit.
        EXPECT_LE(reported, 3) << what;
        EXPECT_GE(reported, 1) << what;
    }
}

// A part left before its last digit reports what it shows.
TEST(DTPickerTest, APartLeftHalfTypedReportsItsValue)
{
    apptest::PrepareApplication();
    CDTPicker picker;
    picker.SetCustomFormat(CString("HH:mm"));
    picker.setTime(QTime(13, 30));
    picker.show();
    picker.setFocus();
    picker.findChild<QLineEdit*>()->setCursorPosition(0);
    QTime reported;
    QObject::connect(&picker, &QDateTimeEdit::dateTimeChanged, [&reported](const QDateTime& t) { reported = t.time(); });
    QTest::keyClick(&picker, Qt::Key_1);
    EXPECT_FALSE(reported.isValid());
    QTest::keyClick(&picker, Qt::Key_Return);
    EXPECT_EQ(reported, QTime(1, 30));
}

}  // namespace
