#include "render/viewpreferences.h"

#include "drawapi/renderingflags.h"
#include "platform/profile.h"
#include "render/glconfig.h"

namespace {

bool g_alwaysFixValidityErrors = false;

const CString kSection("Preferences");
const CString kAlwaysFixEntry("AlwaysFixValidityErrors");
const CString kCarmackReverseEntry("CarmackReverse");

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
    const int fastFeedback = GetProfileInt(kSection, FastFeedbackEntry(), g_UseFastFeedback);
    if (fastFeedback >= 0 && fastFeedback <= 2) {
        g_UseFastFeedback = fastFeedback;
    }
    GetGLConfig().SwapCopy = g_UseFastFeedback;
    const int method = GetProfileInt(kSection, kCarmackReverseEntry, renderingflags::ShadowVolumeMethod);
    if (method >= renderingflags::kCarmackReverseNever && method <= renderingflags::kCarmackReverseWhenInside) {
        renderingflags::ShadowVolumeMethod = method;
    }
}
