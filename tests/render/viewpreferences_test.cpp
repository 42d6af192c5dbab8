// Preferences written by their setters are read back at start-up.

#include <gtest/gtest.h>

#include "platform/profile.h"
#include "platform/settingsstore.h"
#include "render/glconfig.h"
#include "render/viewpreferences.h"

namespace {

TEST(ViewPreferences, WhatTheSettersWroteIsReadBackAtStartUp)
{
    CSettingsStore store{CString()};
    SetProfileStore(&store);
    const int fastFeedback = g_UseFastFeedback;
    const struct {
        bool fix;
        int fastFeedback;
    } cases[] = {{true, 0}, {false, 2}, {true, 1}};
    for (const auto& c : cases) {
        SetAlwaysFixValidityErrors(c.fix);
        g_UseFastFeedback = c.fastFeedback;
        SetUseFastFeedback();
        SetAlwaysFixValidityErrors(!c.fix);
        WriteProfileInt(CString("Preferences"), CString("AlwaysFixValidityErrors"), c.fix ? 1 : 0);
        g_UseFastFeedback = 7;
        ReadViewPreferences();
        EXPECT_EQ(GetAlwaysFixValidityErrors(), c.fix);
        EXPECT_EQ(g_UseFastFeedback, c.fastFeedback);
        EXPECT_EQ(GetGLConfig().SwapCopy, c.fastFeedback);
        EXPECT_EQ(GetProfileInt(CString("Preferences"), CString("UseFastFeedback5"), -1), c.fastFeedback);
    }
    WriteProfileInt(CString("Preferences"), CString("UseFastFeedback5"), 9);
    ReadViewPreferences();
    EXPECT_EQ(g_UseFastFeedback, 1) << "a value out of range is ignored";
    g_UseFastFeedback = fastFeedback;
    GetGLConfig().SwapCopy = fastFeedback;
    SetProfileStore(nullptr);
}

}  // namespace
