#pragma once
// Support for the application's tests: the window-shape helpers plus the application's
// embedded images and strings.
#include "../platform/ui/uitestsupport.h"
#include "app/appresources.h"

namespace apptest {

using uitest::EnsureQtApplication;
using uitest::MemorySettings;
using uitest::MessageBoxRecorder;
using uitest::ProcessEvents;

inline void PrepareApplication()
{
    EnsureQtApplication();
    RegisterAppResources();
}

}  // namespace apptest
