#include "render/viewpreferences.h"

#include "drawapi/renderingflags.h"
#include "platform/profile.h"
#include "render/glconfig.h"

namespace {

bool g_alwaysFixValidityErrors = false;

const CString kSection("Preferences");
const CString kAlwaysFixEntry("AlwaysFixValidityErrors");

CString FastFeedbackEntry()
{
    return CString::Formatted("UseFastFeedback%d", kGLConfigGeneration);
}

}  // namespace

void SetAlwaysFixValidityErrors(bool fix)
{
    g_alwaysFixValidityErrors = fix;
    WriteProfileInt(kSection, kAlwaysFixEntry, fix ? 1 : 0);
}

bool GetAlwaysFixValidityErrors()
{
    return g_alwaysFixValidityErrors;
}

void SetUseFastFeedback()
{
    WriteProfileInt(kSection, FastFeedbackEntry(), g_UseFastFeedback);
}

void ReadViewPreferences()
{
    g_alwaysFixValidityErrors = GetProfileInt(kSection, kAlwaysFixEntry, 0) != 0;
    // Fast feedback and the shadow-volume method are written for the settings pages
    // only: every run starts with fast feedback on and the method at 0.
    g_UseFastFeedback = 1;
    GetGLConfig().SwapCopy = g_UseFastFeedback;
    renderingflags::ShadowVolumeMethod = renderingflags::kCarmackReverseNever;
}
