#include "support/Keys.h"

#include <gtest/gtest.h>

#include "support/Driver.h"

namespace tsbtest {

void SendKeys(HWND target, std::vector<INPUT> input) {
    ASSERT_TRUE(WaitFor([&] {
        if (GetForegroundWindow() != target) SetForegroundWindow(target);
        return GetForegroundWindow() == target;
    }, 5000)) << "the window does not come to the front";
    ASSERT_EQ(SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT)), input.size());
}

void PressKeys(HWND target, std::initializer_list<WORD> keys) {
    std::vector<INPUT> input;
    auto add = [&](WORD vk, bool up) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
        bool extended = vk == VK_INSERT || vk == VK_DELETE || vk == VK_HOME || vk == VK_END || vk == VK_PRIOR ||
                        vk == VK_NEXT || vk == VK_LEFT || vk == VK_RIGHT || vk == VK_UP || vk == VK_DOWN;
        in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
        input.push_back(in);
    };
    for (WORD k : keys) add(k, false);
    for (auto k = std::rbegin(keys); k != std::rend(keys); ++k) add(*k, true);
    SendKeys(target, std::move(input));
}

void TypeText(HWND target, const std::string& text) {
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    std::vector<INPUT> input;
    for (wchar_t c : wide)  // a character beyond the first plane goes as its two surrogates
        for (DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
            INPUT in{};
            in.type = INPUT_KEYBOARD;
            in.ki.wScan = static_cast<WORD>(c);
            in.ki.dwFlags = KEYEVENTF_UNICODE | up;
            input.push_back(in);
        }
    SendKeys(target, std::move(input));
}

HWND FocusOf(HWND w) {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    return GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &gui) ? gui.hwndFocus : nullptr;
}

bool MouseAt(int x, int y, DWORD buttons) {
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = x * 65536 / w + 1;
    in.mi.dy = y * 65536 / h + 1;
    in.mi.dwFlags = buttons | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    return SendInput(1, &in, sizeof in) == 1;
}

bool PointerReaches(int x, int y, int timeoutMs) {
    return WaitFor([&] {
        POINT p;
        GetCursorPos(&p);
        return p.x == x && p.y == y;
    }, timeoutMs);
}

}  // namespace tsbtest
