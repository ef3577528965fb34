#pragma once
// Makers of the menu's buttons: the nav buttons (the main window's and the picture viewer's) and
// the big sub-page buttons, with the hand cursor they show.
#include <string>

#include "controls/ColorButton.h"
#include "controls/MenuColors.h"

namespace tsb {

// A nav button: 38 high at (left, top), its caption centred.
struct TNavButtonParams {
    TControl* parent;
    TFont font;
    int width;  // the least: a caption that needs more widens the button
    std::string hint;
    std::string caption;
    int top, left;
    TNotifyEvent onClick;
};
TColorButton* MakeNavButton(TNavButtonParams p);
TColorButton* MakeFolderButton(TControl* parent, const std::string& hint, const std::string& caption, int width,
                               int top, int left, TNotifyEvent onClick);

HCURSOR HandPointCursor();

}  // namespace tsb
