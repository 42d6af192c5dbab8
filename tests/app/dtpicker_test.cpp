#include "app/dtpicker.h"

#include <gtest/gtest.h>

#include <QLocale>

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

}  // namespace
