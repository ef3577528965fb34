#pragma once
// What screen readers see of a self-painted button: a push button named by its caption,
// described by its hint, with its focus and enabled states and a default action that clicks.
#include "framework/win/Win.h"

namespace tsb {

// The answer to the button's WM_GETOBJECT for its client area. The object it hands out holds
// only the window handle and asks the window each time, so one that outlives the button
// reports the window gone instead of reading freed memory.
LRESULT ButtonAccessibleObject(HWND button, WPARAM wp);

}  // namespace tsb
