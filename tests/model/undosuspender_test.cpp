#include <gtest/gtest.h>

#include "model/undosuspender.h"

namespace {

// Puts the switch back however a test leaves it.
class UndoSuspenderTest : public ::testing::Test
{
protected:
    ~UndoSuspenderTest() override { SetRecordingChanges(m_wasRecording); }

    bool m_wasRecording = IsRecordingChanges();
};

}  // namespace

TEST_F(UndoSuspenderTest, SuspendingTurnsRecordingOffForTheBlockOnly)
{
    SetRecordingChanges(true);
    {
        const CUndoSuspender suspender;
        EXPECT_FALSE(IsRecordingChanges());
    }
    EXPECT_TRUE(IsRecordingChanges());
}

TEST_F(UndoSuspenderTest, AGuardMadeWithFalseLeavesTheSwitchButTurnsItBackOnAtItsEnd)
{
    SetRecordingChanges(true);
    {
        const CUndoSuspender guard(false);
        EXPECT_TRUE(IsRecordingChanges());
        SetRecordingChanges(false);
    }
    EXPECT_TRUE(IsRecordingChanges());
}

TEST_F(UndoSuspenderTest, AGuardNeverTurnsRecordingOffAtItsEnd)
{
    SetRecordingChanges(false);
    {
        const CUndoSuspender guard(false);
        SetRecordingChanges(true);
    }
    EXPECT_TRUE(IsRecordingChanges());

    SetRecordingChanges(true);
    {
        const CUndoSuspender outer;
        {
            const CUndoSuspender inner;
            EXPECT_FALSE(IsRecordingChanges());
        }
        EXPECT_FALSE(IsRecordingChanges());
    }
    EXPECT_TRUE(IsRecordingChanges());
}
