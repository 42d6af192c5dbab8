#pragma once
// Qt's key codes as the window system's virtual keys.
#include "platform/types.h"

// Letters and digits keep their codes; keys not named in uitypes.h are 0.
[[nodiscard]] UINT VirtualKeyFromQt(int qtKey);
