#pragma once
// The colours the main window and the picture viewer share (0x00BBGGRR), so both read one value.
#include "framework/win/Graphics.h"

namespace tsb {

constexpr TColor MainWindowColor = 16756059;  // hex FFAD5B: the main window, and the viewer's nav bar
constexpr TColor NavButtonColor = 15782080;   // hex F0D0C0: the nav buttons of both

}  // namespace tsb
