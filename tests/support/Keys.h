#pragma once
// Input from the real keyboard, given while the target is the window in front, so that it
// reaches whatever has the focus there, modifiers included.
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

}  // namespace tsbtest
