#include "support/Walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace tsbtest {

void MouseClick(HWND w, bool right) {
    RECT r = ScreenRect(w);
    POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    HWND top = GetAncestor(w, GA_ROOT);
    // In front, and on top of every other window there (the front one need not be).
    ASSERT_TRUE(WaitFor([&] {
        if (GetForegroundWindow() != top) SetForegroundWindow(top);
        if (WindowFromPoint(at) != w) SetWindowPos(top, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        return GetForegroundWindow() == top && WindowFromPoint(at) == w;
    }, 5000)) << "the window does not come to the front";
    ASSERT_TRUE(SetCursorPos(at.x, at.y));
    INPUT in[2]{};
    for (INPUT& i : in) i.type = INPUT_MOUSE;
    in[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    ASSERT_EQ(SendInput(2, in, sizeof(INPUT)), 2u);
}

HWND OpenMenu(DWORD pid) {
    for (HWND m : TopWindows(pid, "#32768"))
        if (IsWindowVisible(m)) return m;
    return nullptr;
}

std::vector<std::string> MenuItems(HWND menuWindow) {
    std::vector<std::string> items;
    HMODULE probe = LoadLibraryA((BuildFolder() + "\\tsb_menuprobe.dll").c_str());
    EXPECT_TRUE(probe) << "tsb_menuprobe.dll beside the tests";
    if (!probe) return items;
    auto hook = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(probe, "MenuProbeHook")));
    constexpr DWORD BlockSize = 65536;
    std::string name = "TsbMenuProbe-" + std::to_string(GetCurrentProcessId());
    HANDLE block = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, BlockSize, name.c_str());
    HHOOK hooked = hook && block ? SetWindowsHookExA(WH_CALLWNDPROC, hook, probe,
                                                     GetWindowThreadProcessId(menuWindow, nullptr))
                                 : nullptr;
    EXPECT_TRUE(hooked);
    if (hooked) {
        DWORD_PTR r = 0;
        EXPECT_TRUE(SendMessageTimeoutA(menuWindow, RegisterWindowMessageA("TsbMenuProbe"), GetCurrentProcessId(), 0,
                                        SMTO_NORMAL, 5000, &r));
        UnhookWindowsHookEx(hooked);
        if (auto* view = static_cast<const char*>(MapViewOfFile(block, FILE_MAP_READ, 0, 0, BlockSize))) {
            std::istringstream lines(std::string(view, strnlen(view, BlockSize)));
            UnmapViewOfFile(view);
            for (std::string line; std::getline(lines, line);) {
                size_t bar = line.find('|');
                if (bar == std::string::npos) continue;
                std::string flags = line.substr(0, bar), item;
                for (char f : flags)
                    if (f == '>') item += "> ";
                item += flags.find('S') != std::string::npos ? "-" : line.substr(bar + 1);
                if (flags.find('C') != std::string::npos) item += " (checked)";
                if (flags.find('D') != std::string::npos) item += " (disabled)";
                items.push_back(item);
            }
        }
    }
    if (block) CloseHandle(block);
    FreeLibrary(probe);
    return items;
}

HWND RightClickMenu(Program& app, MainWindow& w) {
    PostClick(w.ScrollBox(), true);
    HWND menu = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (menu = OpenMenu(app.Pid())) != nullptr; }, 5000)) << "no context menu";
    return menu;
}

void CloseMenu(Program& app, HWND menu) {
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitFor([&] { return OpenMenu(app.Pid()) == nullptr; }, 5000));
}

int Displays::Count(const std::string& line) {
    auto lines = app_.Lines();
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

bool Displays::Done() {
    int ended = Count("TSB: TfrmMain.GetImageThumbnails");
    return ended > mark_ && ended == Count("TSB: TfrmMain.LoadCurrentPage");
}

HWND FirstDisplay(Program& app, Displays& display) {
    HWND main = app.WaitForWindow("TfrmMain", 30000);
    return main && WaitFor([&] { return display.Done(); }, 30000) ? main : nullptr;
}

void DumpLinesOnFailure(Program& app) {
    if (!::testing::Test::HasFailure()) return;
    for (const std::string& line : app.Lines()) std::printf("  | %s\n", line.c_str());
}

HWND TopWindow(Program& app, const char* className, const std::string& caption) {
    for (HWND w : TopWindows(app.Pid(), className))
        if (IsWindowVisible(w) && TextOf(w) == caption) return w;
    return nullptr;
}

HWND WaitForTopWindow(Program& app, const char* className, const std::string& caption, int timeoutMs) {
    HWND found = nullptr;
    WaitFor([&] { return (found = TopWindow(app, className, caption)) != nullptr; }, timeoutMs);
    return found;
}

bool Gone(HWND w) { return !IsWindow(w) || !IsWindowVisible(w); }

std::vector<std::string> Listing(const std::string& root, const std::string& rel) {
    std::vector<std::string> out;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((root + (rel.empty() ? "" : "\\" + rel) + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == ".." || (rel.empty() && name == "Tessaboard.ini")) continue;
        std::string path = rel.empty() ? name : rel + "\\" + name;
        bool folder = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        out.push_back(path + (folder ? "\\" : "") + " size " + std::to_string(fd.nFileSizeLow) + " written " +
                      std::to_string(fd.ftLastWriteTime.dwHighDateTime) + ":" +
                      std::to_string(fd.ftLastWriteTime.dwLowDateTime));
        if (folder) {
            auto below = Listing(root, path);
            out.insert(out.end(), below.begin(), below.end());
        }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return out;
}

}  // namespace tsbtest
