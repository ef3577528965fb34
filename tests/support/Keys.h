#pragma once
// Input from the real keyboard, given while the target is the window in front, so that it
// reaches whatever has the focus there, modifiers included; and from the real mouse.
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace tsbtest {

// A test failure when the window does not come to the front or the input is not taken whole.
void SendKeys(HWND target, std::vector<INPUT> input);
// Keys pressed together: down in order, up in reverse.
void PressKeys(HWND target, std::initializer_list<WORD> keys);
// Text typed character by character (UTF-8, any script).
void TypeText(HWND target, const std::string& text);

// The window with the keyboard focus in the thread of w (another program's, say), or none.
HWND FocusOf(HWND w);

// The mouse to x, y of the screen, with the button changes given (MOUSEEVENTF_LEFTDOWN, ...);
// false when the input is not taken.
bool MouseAt(int x, int y, DWORD buttons = 0);
// The pointer is at x, y within the time.
bool PointerReaches(int x, int y, int timeoutMs = 5000);

}  // namespace tsbtest
