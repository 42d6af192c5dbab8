#include "app/datesliderctrl.h"

#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>

#include "apptestsupport.h"

namespace {

bool HasInk(const QImage& image, int x, int top, int bottom)
{
    for (int y = top; y <= bottom; ++y)
        if (qGray(image.pixel(x, y)) < 128)
            return true;
    return false;
}

// Fixed: the last month's initial started at its step and ran past the slider's right edge.
TEST(DateSliderTest, TheLastMonthsInitialIsDrawnWholeInsideTheSlider)
{
    apptest::PrepareApplication();
    for (const int width : {120, 178, 260})
    {
        CDateSliderCtrl slider;
        slider.SetFontNameId(10560);
        slider.SetLabelId(10561);
        slider.SetCompact(true);
        slider.setGeometry(0, 0, width, 24);
        slider.InitDateSlider(365, 1);
        const QImage image = slider.grab().toImage();
        const int top = slider.GetChannelRect().bottom() + 1;
        const int bottom = std::min(image.height() - 1, top + 10);
        int lastInk = -1;
        for (int x = 0; x < image.width(); ++x)
            if (HasInk(image, x, top, bottom))
                lastInk = x;
        EXPECT_GT(lastInk, width - 16) << width;
        EXPECT_LT(lastInk, width - 1) << width;
    }
}

}  // namespace
