#pragma once
// What a screen reader reads of a window through Active Accessibility, asked the way it asks:
// AccessibleObjectFromWindow on the window, in this process or another.
#include <windows.h>

#include <oleacc.h>

#include <string>

namespace tsbtest {

struct ReadOut {
    HRESULT found = E_FAIL;
    long role = 0, state = 0;
    std::wstring name, description, action;
};

// The window's object for its client area, read for itself; keep, when given, receives the
// object (the caller releases it).
ReadOut Read(HWND w, IAccessible** keep = nullptr);

}  // namespace tsbtest
