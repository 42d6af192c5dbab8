#include "app/gradientsliderctrl.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>
#include <memory>

#include "apptestsupport.h"

namespace {

TEST(GradientBandsTest, AGradientHasOneBandPerStepOfItsWidestChannelButNoMoreThanItsPixels)
{
    const struct
    {
        COLORREF start;
        COLORREF end;
        int length;
        size_t bands;
    } cases[] = {{RGB(0, 0, 0), RGB(255, 255, 255), 50, 50},
                 {RGB(0, 0, 0), RGB(255, 255, 255), 400, 255},
                 {RGB(255, 0, 0), RGB(245, 3, 0), 100, 10},
                 {RGB(9, 9, 9), RGB(9, 9, 9), 80, 1}};
    for (const auto& c : cases)
    {
        const std::vector<CGradientBand> bands = GradientBands(c.start, c.end, c.length);
        ASSERT_EQ(bands.size(), c.bands) << c.length;
        EXPECT_EQ(bands.front().colour, c.start);
        EXPECT_EQ(bands.front().offset, 0);
        EXPECT_EQ(bands.back().offset + bands.back().length, c.length);
        for (size_t i = 1; i < bands.size(); ++i)
            EXPECT_EQ(bands[i].offset, bands[i - 1].offset + bands[i - 1].length);
    }
}

class GradientSliderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        apptest::PrepareApplication();
        slider = std::make_unique<CGradientSliderCtrl>();
        slider->setGeometry(0, 0, 200, 24);
        slider->setRange(0, 100);
    }

    std::unique_ptr<CGradientSliderCtrl> slider;
};

TEST_F(GradientSliderTest, ANarrowThumbKeepsTheEdgeTowardsTheHalfOfTheRangeItsPositionIsIn)
{
    slider->SetThumbWidth(5);
    const struct
    {
        int minimum;
        int maximum;
        int value;
        bool right;
    } cases[] = {{0, 100, 80, true}, {0, 100, 20, false}, {0, 100, 49, false}, {0, 100, 50, true},
                 // The position counts from the range's start.
                 {50, 150, 110, true}, {50, 150, 90, false}};
    for (const auto& c : cases)
    {
        slider->setRange(c.minimum, c.maximum);
        slider->setValue(c.value);
        const QRect platform = slider->GetThumbRect();
        const QRect drawn = slider->GetDrawnThumbRect();
        EXPECT_EQ(drawn.width(), 5) << c.value;
        EXPECT_EQ(c.right ? drawn.right() : drawn.left(), c.right ? platform.right() : platform.left()) << c.value;
    }
}

TEST_F(GradientSliderTest, AClickInTheChannelMovesTheThumbThereAndEndsTheTracking)
{
    QSignalSpy released(slider.get(), &QSlider::sliderReleased);
    const QRect channel = slider->GetChannelRect();
    const QPoint click(channel.left() + channel.width() * 3 / 4, channel.center().y());
    const int expected = slider->PositionAtPoint(click);
    EXPECT_GT(expected, 60);
    EXPECT_LT(expected, 90);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(click), QPointF(click), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(slider.get(), &press);
    EXPECT_EQ(slider->value(), expected);
    EXPECT_EQ(released.count(), 1);
}

TEST_F(GradientSliderTest, TheChannelShowsTheGradientAndASolidColourWhenThereIsNone)
{
    slider->SetStartColor(RGB(0, 0, 0));
    slider->SetEndColor(RGB(255, 255, 255));
    slider->SetThumbWidth(1);
    slider->setValue(0);
    const QRect channel = slider->GetChannelRect();
    const int y = channel.center().y();
    const auto at = [&](const QImage& image, int x) { return qGray(image.pixel(x, y)); };
    const QImage gradient = slider->grab().toImage();
    EXPECT_LT(at(gradient, channel.left() + 10), at(gradient, channel.right() - 10));
    slider->SetEndColor(RGB(0, 0, 0));
    const QImage solid = slider->grab().toImage();
    EXPECT_EQ(at(solid, channel.left() + 10), at(solid, channel.right() - 10));
    slider->SetColorStops({RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0)});
    const QImage stops = slider->grab().toImage();
    EXPECT_LT(at(stops, channel.left() + 10), at(stops, channel.center().x()));
    EXPECT_LT(at(stops, channel.right() - 10), at(stops, channel.center().x()));
}

// Fixed: a compact slider drew its labels twice, with its channel and again at the end.
TEST(GradientSliderLabelsTest, ASliderDrawsItsLabelsOnceAPaintCompactOrNot)
{
    apptest::PrepareApplication();
    class CCountingSlider : public CGradientSliderCtrl
    {
    public:
        void DrawLabels(QPainter& /*painter*/) override { ++drawn; }
        int drawn = 0;
    };
    for (const bool compact : {false, true})
    {
        CCountingSlider slider;
        slider.setGeometry(0, 0, 200, 24);
        slider.SetCompact(compact);
        (void)slider.grab();
        EXPECT_EQ(slider.drawn, 1) << compact;
    }
}

}  // namespace
