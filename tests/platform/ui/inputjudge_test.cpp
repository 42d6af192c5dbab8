#include "platform/ui/inputjudge.h"

#include <gtest/gtest.h>

namespace {

using EInput = CInputJudge::EInput;

constexpr unsigned kLeft = 1;
constexpr unsigned kMiddle = 2;
constexpr unsigned kWheelUp = 4;
constexpr unsigned kKeyQ = 24;

// The server as a test sets it: where the focus and the pointer are, which buttons the
// pointer holds, and how many round trips one read cost (the pointer's window and its buttons
// come in one reply).
class CFakeServer : public CInputJudge::IServer
{
public:
    bool HasFocus() override
    {
        Ask(m_focusAsked);
        return focused;
    }
    bool IsPointerOver() override
    {
        Ask(m_pointerAsked);
        return pointerOver;
    }
    std::uint32_t HeldButtons() override
    {
        Ask(m_pointerAsked);
        return held;
    }
    void NextRead() { m_focusAsked = m_pointerAsked = false; }

    bool focused = true;
    bool pointerOver = true;
    std::uint32_t held = 0;
    int roundTrips = 0;

private:
    void Ask(bool& asked)
    {
        roundTrips += asked ? 0 : 1;
        asked = true;
    }
    bool m_focusAsked = false;
    bool m_pointerAsked = false;
};

class InputJudgeTest : public ::testing::Test
{
protected:
    // The server sees the buttons as the judge hears them, but for a release it missed.
    void Note(EInput input, unsigned detail)
    {
        if (detail < kWheelUp && input == EInput::kButtonPress)
            server.held |= 1u << detail;
        if (detail < kWheelUp && input == EInput::kButtonRelease)
            server.held &= ~(1u << detail);
        judge.Note(input, detail, ++now, server);
    }
    void MissRelease(unsigned button) { server.held &= ~(1u << button); }
    // A frame begins after the loop delivered everything up to delivered.
    bool Begin(bool moving, std::uint32_t delivered = 0) { return judge.BeginFrame(moving, Mark(delivered)); }
    bool Waiting(std::uint32_t delivered = 0) { return judge.IsWaiting(Mark(delivered)); }
    // Everything the server made up to delivered, its releases too.
    static CInputJudge::SDelivered Mark(std::uint32_t delivered)
    {
        return delivered != 0 ? CInputJudge::SDelivered().With(delivered, true) : CInputJudge::SDelivered();
    }

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
    EXPECT_EQ(server.roundTrips, 0);
    Note(EInput::kButtonPress, kMiddle);
    Note(EInput::kButtonPress, kWheelUp);
    Note(EInput::kMotion, 0);
    Note(EInput::kButtonRelease, kMiddle);
    EXPECT_EQ(server.roundTrips, 1) << "one question of the pointer answers the whole read";
    server.NextRead();
    Note(EInput::kMotion, 0);
    EXPECT_EQ(server.roundTrips, 1) << "motion with no button held asks nothing";
}

// The first click in the program stayed held for the rest of the run when its release went
// unheard: the wheel and clicks anywhere stopped the program's frames from then on.
TEST_F(InputJudgeTest, AReleaseMissedDoesNotLeaveItsButtonHeld)
{
    Begin(false);
    Note(EInput::kButtonPress, kLeft);
    MissRelease(kLeft);
    server.pointerOver = false;
    Begin(false, now);
    Note(EInput::kMotion, 0);
    EXPECT_TRUE(Waiting()) << "the program's own release counts once, found missing";
    Begin(false, now);
    Note(EInput::kMotion, 0);
    Note(EInput::kButtonPress, kWheelUp);
    Note(EInput::kButtonPress, kMiddle);
    Note(EInput::kButtonRelease, kMiddle);
    EXPECT_FALSE(Waiting());

    server.pointerOver = false;
    Note(EInput::kButtonPress, kLeft);
    MissRelease(kLeft);
    server.pointerOver = true;
    Note(EInput::kButtonPress, kLeft);
    EXPECT_TRUE(Waiting()) << "another client's click missed its release: the next press is judged afresh";
}

// A server whose raw releases stop while a press's grab holds hears no release at all.
TEST_F(InputJudgeTest, WithoutReleasesEveryPressIsJudgedByWhereThePointerIs)
{
    judge.Reset(false);
    Begin(false);
    Note(EInput::kButtonPress, kLeft);
    server.pointerOver = false;
    Begin(false, now);
    Note(EInput::kMotion, 0);
    Note(EInput::kButtonPress, kWheelUp);
    Note(EInput::kButtonPress, kLeft);
    EXPECT_FALSE(Waiting());
    server.pointerOver = true;
    Note(EInput::kButtonPress, kLeft);
    EXPECT_TRUE(Waiting());
}

// A file dragged from another program and dropped during a still frame was refused: the
// frame never let the program answer the drag.
TEST_F(InputJudgeTest, AnotherProgramsDragOverTheProgramStopsAStillFrameAndItsDropAnyFrame)
{
    server.pointerOver = false;
    Begin(false);
    Note(EInput::kButtonPress, kLeft);
    Note(EInput::kMotion, 0);
    EXPECT_FALSE(Waiting());
    server.pointerOver = true;
    Begin(true, now);
    Note(EInput::kMotion, 0);
    EXPECT_FALSE(Waiting()) << "a moving frame lets the drag pass";
    EXPECT_TRUE(Begin(false, now - 1));
    Begin(true, now);
    Note(EInput::kButtonRelease, kLeft);
    EXPECT_TRUE(Waiting()) << "the drop";
}

// A click whose press and release shared a millisecond waited for a whole frame that the loop
// began between delivering the two.
TEST_F(InputJudgeTest, AReleaseInItsPresssMillisecondWaitsUntilTheLoopDeliversIt)
{
    Begin(false);
    judge.Note(EInput::kButtonPress, kLeft, now, server);
    judge.Note(EInput::kButtonRelease, kLeft, now, server);
    const CInputJudge::SDelivered press = CInputJudge::SDelivered().With(now, false);
    EXPECT_TRUE(judge.BeginFrame(false, press));
    EXPECT_FALSE(judge.BeginFrame(false, press.With(now, true)));
    EXPECT_TRUE(press.With(now - 1, true).With(now, true).release);
    EXPECT_FALSE(press.With(now - 1, true).release) << "an older event leaves the mark as it was";
}

TEST_F(InputJudgeTest, TheServersClockWraps)
{
    EXPECT_TRUE(CInputJudge::IsLater(5, 0xFFFFFFF0u));
    EXPECT_FALSE(CInputJudge::IsLater(0xFFFFFFF0u, 5));
    EXPECT_FALSE(CInputJudge::IsLater(7, 7));
}

}  // namespace
