// Reads the popup menu on show from inside the program that shows it. A menu handle means
// something only in the process that made the menu (Wine keeps menus per process), so a test
// hooks the menu window's thread with this library's MenuProbeHook: the system loads the
// library into the program, and there the hook answers the message "TsbMenuProbe" sent to the
// menu window by writing the menu's items into the shared memory block that the test named
// "TsbMenuProbe-" + its process id (the message's wParam), 64 KiB long.
//
// One line per item: the nesting depth as '>' characters, the flags ('S' separator,
// 'D' disabled or greyed, 'C' checked, 'P' sub-menu), '|', the item's text.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr size_t BlockSize = 65536;

void Describe(HMENU menu, int depth, std::string& out) {
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        HMENU sub = GetSubMenu(menu, i);
        char text[256] = {};
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        out.append(static_cast<size_t>(depth), '>');
        if (state & MF_SEPARATOR) out += 'S';
        if (state & (MF_DISABLED | MF_GRAYED)) out += 'D';
        if (state & MF_CHECKED) out += 'C';
        if (sub) out += 'P';
        out += '|';
        out += text;
        out += '\n';
        if (sub) Describe(sub, depth + 1, out);
    }
}

void Answer(HWND menuWindow, DWORD testPid) {
    auto menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
    std::string out;
    if (menu) Describe(menu, 0, out);
    else out = "no menu\n";
    char name[64];
    std::snprintf(name, sizeof name, "TsbMenuProbe-%lu", static_cast<unsigned long>(testPid));
    HANDLE block = OpenFileMappingA(FILE_MAP_WRITE, FALSE, name);
    if (!block) return;
    if (void* view = MapViewOfFile(block, FILE_MAP_WRITE, 0, 0, BlockSize)) {
        size_t n = out.size() < BlockSize ? out.size() : BlockSize - 1;
        CopyMemory(view, out.data(), n);
        static_cast<char*>(view)[n] = '\0';
        UnmapViewOfFile(view);
    }
    CloseHandle(block);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK MenuProbeHook(int code, WPARAM wp, LPARAM lp) {
    static const UINT probe = RegisterWindowMessageA("TsbMenuProbe");
    if (code == HC_ACTION) {
        const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lp);
        if (sent->message == probe) Answer(sent->hwnd, static_cast<DWORD>(sent->wParam));
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}
