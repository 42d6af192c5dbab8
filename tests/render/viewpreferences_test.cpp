// At start-up the repair choice is read back; fast feedback and the shadow-volume
// method start at their own values whatever the settings pages stored.

#include <gtest/gtest.h>

#include "drawapi/renderingflags.h"
#include "platform/profile.h"
#include "platform/settingsstore.h"
#include "render/glconfig.h"
#include "render/viewpreferences.h"

namespace {

TEST(ViewPreferences, StartUpReadsTheRepairChoiceAndStartsFastFeedbackAtOneAndTheMethodAtZero)
{
    CSettingsStore store{CString()};
    SetProfileStore(&store);
    const int fastFeedback = g_UseFastFeedback;
    const struct {
        bool fix;
        int fastFeedback;
        int shadowVolumeMethod;
    } cases[] = {{true, 0, 2}, {false, 2, 0}, {true, 1, 1}};
    for (const auto& c : cases) {
        SetAlwaysFixValidityErrors(c.fix);
        g_UseFastFeedback = c.fastFeedback;
        SetUseFastFeedback();
        SetAlwaysFixValidityErrors(!c.fix);
        WriteProfileInt(CString("Preferences"), CString("AlwaysFixValidityErrors"), c.fix ? 1 : 0);
        // As the OpenGL settings page stores it.
        WriteProfileInt(CString("Preferences"), CString("CarmackReverse"), c.shadowVolumeMethod);
        g_UseFastFeedback = 7;
        renderingflags::ShadowVolumeMethod = 5;
        ReadViewPreferences();
        EXPECT_EQ(GetAlwaysFixValidityErrors(), c.fix);
        EXPECT_EQ(renderingflags::ShadowVolumeMethod, 0);
        EXPECT_EQ(g_UseFastFeedback, 1);
        EXPECT_EQ(GetGLConfig().SwapCopy, 1);
        EXPECT_EQ(GetProfileInt(CString("Preferences"), CString("UseFastFeedback5"), -1), c.fastFeedback);
    }
    g_UseFastFeedback = fastFeedback;
    GetGLConfig().SwapCopy = fastFeedback;
    SetProfileStore(nullptr);
}

}  // namespace
