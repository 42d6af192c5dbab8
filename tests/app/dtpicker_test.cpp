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

// Fixed: a time typed over the whole text went into the part the cursor stood in.
TEST(DTPickerTest, ATimeTypedOverTheWholeTextReplacesEveryPart)
{
    apptest::PrepareApplication();
    for (const int cursor : {0, 4})
    {
        CDTPicker picker;
        picker.SetCustomFormat(CString("HH:mm"));
        picker.SetHour(13);
        picker.SetMinute(30);
        picker.show();
        picker.findChild<QLineEdit*>()->setCursorPosition(cursor);
        picker.selectAll();
        QTest::keyClicks(&picker, QStringLiteral("06:00"));
        QTest::keyClick(&picker, Qt::Key_Return);
        EXPECT_EQ(picker.GetHour(), 6) << cursor;
        EXPECT_EQ(picker.GetMinute(), 0) << cursor;
    }
}

}  // namespace
