#include "platform/ui/inputjudge.h"

#include <gtest/gtest.h>

namespace {

using EInput = CInputJudge::EInput;

constexpr unsigned kLeft = 1;
constexpr unsigned kMiddle = 2;
constexpr unsigned kWheelUp = 4;
constexpr unsigned kKeyQ = 24;

// The server as a test sets it: where the focus and the pointer are, and how often it was asked.
class CFakeServer : public CInputJudge::IServer
{
public:
    bool HasFocus() override
    {
        ++questions;
        return focused;
    }
    bool IsPointerOver() override
    {
        ++questions;
        return pointerOver;
    }

    bool focused = true;
    bool pointerOver = true;
    int questions = 0;
};

class InputJudgeTest : public ::testing::Test
{
protected:
    void Note(EInput input, unsigned detail) { judge.Note(input, detail, ++now, server); }
    // A frame begins after the loop delivered everything up to delivered.
    bool Begin(bool moving, std::uint32_t delivered = 0) { return judge.BeginFrame(moving, delivered, delivered != 0); }
    bool Waiting(std::uint32_t delivered = 0) { return judge.IsWaiting(delivered, delivered != 0); }

    CInputJudge judge;
    CFakeServer server;
    std::uint32_t now = 100;
};

// Scrolling or clicking over another client's window while the program kept the focus stopped
// every frame of the view; the program's own wheel with another window focused stopped none.
TEST_F(InputJudgeTest, ButtonsAndTheWheelCountOverTheProgramsWindowsWhereverTheFocusIs)
{
    server.focused = true;
    server.pointerOver = false;
    Begin(false);
    Note(EInput::kButtonPress, kWheelUp);
    Note(EInput::kButtonRelease, kWheelUp);
    Note(EInput::kButtonPress, kLeft);
    Note(EInput::kMotion, 0);
    Note(EInput::kButtonRelease, kLeft);
    EXPECT_FALSE(Waiting());
    EXPECT_FALSE(Begin(false));

    server.focused = false;
    server.pointerOver = true;
    Note(EInput::kButtonPress, kWheelUp);
    EXPECT_TRUE(Waiting());
    Begin(false, now);
    Note(EInput::kButtonPress, kLeft);
    EXPECT_TRUE(Waiting());
}

TEST_F(InputJudgeTest, KeysCountWhileTheProgramHoldsTheFocusAndTheirRepeatsNever)
{
    server.pointerOver = true;
    server.focused = false;
    Begin(false);
    Note(EInput::kKeyPress, kKeyQ);
    Note(EInput::kKeyRelease, kKeyQ);
    EXPECT_FALSE(Waiting());

    server.focused = true;
    Note(EInput::kKeyPress, kKeyQ);
    EXPECT_TRUE(Waiting());
    Begin(false, now);
    Note(EInput::kKeyPress, kKeyQ);
    EXPECT_FALSE(Waiting());
    Note(EInput::kKeyRelease, kKeyQ);
    EXPECT_TRUE(Waiting());
}

// The server sends every button to the window a held button was pressed in.
TEST_F(InputJudgeTest, AButtonHeldDecidesWhereTheNextButtonsGo)
{
    Begin(true);
    server.pointerOver = true;
    Note(EInput::kButtonPress, kMiddle);
    server.pointerOver = false;
    Begin(true, now);
    Note(EInput::kMotion, 0);
    Note(EInput::kButtonPress, kWheelUp);
    EXPECT_FALSE(Waiting()) << "a drag's motion and the wheel steer a moving frame";
    Note(EInput::kButtonRelease, kMiddle);
    EXPECT_TRUE(Waiting()) << "the release outside the window ends the program's drag";

    server.pointerOver = false;
    Begin(false, now);
    Note(EInput::kButtonPress, kLeft);
    server.pointerOver = true;
    Note(EInput::kButtonPress, kMiddle);
    Note(EInput::kButtonPress, kWheelUp);
    Note(EInput::kMotion, 0);
    Note(EInput::kButtonRelease, kMiddle);
    EXPECT_FALSE(Waiting()) << "another client's drag takes every button";
    Note(EInput::kButtonRelease, kLeft);
    Note(EInput::kButtonPress, kWheelUp);
    EXPECT_TRUE(Waiting());
}

// The look between frames judged the wheel by the flag of the frame before it.
TEST_F(InputJudgeTest, EachEventIsJudgedByTheFrameItWouldStop)
{
    EXPECT_FALSE(Begin(true));
    Note(EInput::kButtonPress, kWheelUp);
    EXPECT_FALSE(Waiting());
    EXPECT_TRUE(Begin(false)) << "a still frame after the moving one stops for the notch the loop holds";
    EXPECT_FALSE(Begin(false)) << "input that never reaches the loop stops one frame";

    Note(EInput::kButtonPress, kWheelUp);
    const std::uint32_t notch = now;
    EXPECT_FALSE(Begin(false, notch)) << "the notch's own frame, after the loop delivered it";
    Note(EInput::kButtonPress, kLeft);
    EXPECT_TRUE(Begin(true, notch)) << "a press stops a moving frame too";
}

TEST_F(InputJudgeTest, OneReadAsksTheServerOnlyForWhatItsEventsNeed)
{
    Begin(false);
    for (int i = 0; i < 10; ++i)
        Note(EInput::kMotion, 0);
    Note(EInput::kButtonRelease, kWheelUp);
    EXPECT_EQ(server.questions, 0);
    Note(EInput::kButtonPress, kMiddle);
    Note(EInput::kButtonPress, kWheelUp);
    Note(EInput::kButtonRelease, kMiddle);
    EXPECT_EQ(server.questions, 1) << "a held button answers for the presses after it";
}

TEST_F(InputJudgeTest, TheServersClockWraps)
{
    EXPECT_TRUE(CInputJudge::IsLater(5, 0xFFFFFFF0u));
    EXPECT_FALSE(CInputJudge::IsLater(0xFFFFFFF0u, 5));
    EXPECT_FALSE(CInputJudge::IsLater(7, 7));
}

}  // namespace
