#pragma once
// Makers of the main window's buttons, and the picture-file test.
#include <string>

#include "controls/ColorButton.h"
#include "framework/core/PictureFile.h"

namespace tsb {

constexpr TColor NavButtonColor = 15782080;  // hex F0D0C0

TColorButton* MakeNavButton(TControl* parent, const TFont& font, int width, const std::string& hint,
                            const std::string& caption, int top, int left, TNotifyEvent onClick);
TColorButton* MakeFolderButton(TControl* parent, const std::string& hint, const std::string& caption, int width,
                               int top, int left, TNotifyEvent onClick);

HCURSOR HandPointCursor();

}  // namespace tsb
