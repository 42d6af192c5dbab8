#include "app/buttonst.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "app/colorbutton.h"
#include "apptestsupport.h"

namespace {

TEST(ButtonSTTest, ADoubleClickPressesTheButtonTwice)
{
    apptest::PrepareApplication();
    CButtonST button;
    button.resize(40, 24);
    QSignalSpy pressed(&button, &QAbstractButton::pressed);
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseDClick(&button, Qt::LeftButton);
    EXPECT_EQ(pressed.count(), 2);
}

TEST(ButtonSTTest, AColourButtonLightensItsColourByItsTintAndShowsTheFaceWithoutOne)
{
    apptest::PrepareApplication();
    CColorButton button;
    button.resize(40, 24);
    button.SetColor(CColor(100, 0, 200));
    EXPECT_EQ(button.GetFillColor(), QColor(100, 0, 200));
    button.SetTint(0.6);
    EXPECT_EQ(button.GetFillColor(), QColor(193, 153, 233));
    button.SetTint(0.0005);
    EXPECT_EQ(button.GetFillColor(), QColor(100, 0, 200));
    const QImage drawn = button.grab().toImage();
    EXPECT_EQ(drawn.pixelColor(20, 12), QColor(100, 0, 200));
    button.SetColor(CColor());
    EXPECT_NE(button.grab().toImage().pixelColor(20, 12), QColor(100, 0, 200));
}

}  // namespace
