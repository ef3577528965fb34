// Measures page loading and display against their floors, for pages of 100, 1 000 and 2 000
// shortcuts (or the sizes given on the command line), and scrolling them by the wheel and by a
// drag. Prints figures; judges only that the last
// button of each page can be scrolled to where the layout puts it (exit code 1 otherwise).
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/Layout.h"
#include "win/MainWindowView.h"
#include "framework/core/Text.h"
#include "framework/win/Application.h"
#include "framework/win/Convert.h"
#include "framework/win/Files.h"
#include "framework/win/ScopedWin.h"
#include "pages/DataObject.h"
#include "pages/WinShell.h"
#include "pages/WorkingFormUnit.h"
#include "BenchSupport.h"

using namespace tsb;
using namespace tsbbench;

namespace {

// The best of three runs of a measure and of its floor, taken in turns: the machine's noise
// only ever adds, and both see the same machine.
template <class Measure, class Floor>
std::pair<double, double> BestInTurns(Measure measure, Floor floor) {
    double m = 1e9, f = 1e9;
    for (int i = 0; i < 3; ++i) {
        f = std::min(f, Time(floor));
        m = std::min(m, Time(measure));
    }
    return {m, f};
}

// The floor of a folder load: enumerate and read every link through the link object.
void ReadLinksFloor(const std::string& folder) {
    ForEachFile(folder + "\\*.lnk", [&](const TFindData& fd) {
        ComPtr<IShellLinkA> link;
        ComPtr<IPersistFile> file;
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.put_void());
        link->QueryInterface(IID_IPersistFile, file.put_void());
        file->Load(AnsiToWide(folder + "\\" + fd.cFileName).c_str(), STGM_READ);
        char buf[MAX_PATH];
        WIN32_FIND_DATAA wfd;
        link->GetPath(buf, MAX_PATH, &wfd, 0);
    });
}

// The floor of a display: create and destroy as many plain child windows.
void WindowsFloor(HWND parent, int n) {
    std::vector<HWND> windows;
    for (int i = 0; i < n; ++i)
        windows.push_back(CreateWindowExA(0, "STATIC", "x", WS_CHILD | WS_VISIBLE, (i % 5) * 160, (i / 5) * 120, 150,
                                          110, parent, nullptr, GetModuleHandleA(nullptr), nullptr));
    for (HWND w : windows) DestroyWindow(w);
}

// After scrolling to the end, the page's last button must show where the grid puts it: pages
// taller than a window coordinate reaches once lost their far buttons.
bool LastButtonWhereTheLayoutSays(TMainWindowView& frm) {
    TScrollBox* box = frm.ScrollBox1;
    if (box->Controls().empty()) return false;
    SendMessageA(box->Handle(), WM_VSCROLL, SB_BOTTOM, 0);
    GridCursor grid;
    for (size_t i = 1; i < box->Controls().size(); ++i) grid.Advance(frm.ButtonWidth, frm.ClientWidth());
    TControl* last = box->Controls().back().get();
    RECT r;
    GetWindowRect(last->Handle(), &r);
    MapWindowPoints(nullptr, box->Handle(), reinterpret_cast<POINT*>(&r), 2);
    bool ok = r.left == GridLeft(grid.column, frm.ButtonWidth) &&
              r.top == GridTop(grid.row, frm.ButtonHeight) - box->ScrollPos() && r.top >= 0 &&
              r.bottom <= box->ClientHeight();
    std::printf("%6s last button at %ld,%ld in the view scrolled to %d: %s\n", "", r.left, r.top, box->ScrollPos(),
                ok ? "where the layout says" : "NOT where the layout says");
    return ok;
}

// A wheel notch as the page's handler gives it (four lines, then the end of the scroll), beside
// a move of a finger dragging the page (16 pixels) through the box's drag: each the average of a
// run from the top, painted as it goes.
void ScrollCosts(TMainWindowView& frm, int n) {
    TScrollBox* box = frm.ScrollBox1;
    HWND h = box->Handle();
    constexpr int Notches = 40, Moves = 160;  // 2 560 pixels each
    box->SetScrollPos(0);
    double wheel = Time([&] {
        for (int i = 0; i < Notches; ++i) {
            for (int line = 0; line < 4; ++line) SendMessageA(h, WM_VSCROLL, SB_LINEDOWN, 0);
            SendMessageA(h, WM_VSCROLL, SB_ENDSCROLL, 0);
            UpdateWindow(h);
        }
    });
    int wheeled = box->ScrollPos();
    box->SetScrollPos(0);
    TDragScrolling& drag = *box;
    POINT at{100, 3000};
    drag.PressBegan(at);
    double dragged = Time([&] {
        for (int i = 0; i < Moves; ++i) {
            at.y -= 16;
            drag.PressMoved(at);
            UpdateWindow(h);
        }
    });
    drag.PressEnded(at, true);  // cancelled: no fling after the run
    std::printf("%6s scrolling %d buttons: a wheel notch %.3f ms (to %d), a drag move %.3f ms (to %d)\n", "", n,
                wheel / Notches * 1000, wheeled, dragged / Moves * 1000, box->ScrollPos());
}

double PrivateMB() {
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc);
    return (pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage) / (1024.0 * 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
    // "scroll:N": a page of N shortcuts measured for scrolling only.
    std::vector<int> sizes;
    std::set<int> scrollOnly;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        bool scroll = a.rfind("scroll:", 0) == 0;
        sizes.push_back(std::atoi(a.c_str() + (scroll ? 7 : 0)));
        if (scroll) scrollOnly.insert(sizes.back());
    }
    if (sizes.empty()) sizes = {100, 1000, 2000};

    CoInitGuard com;
    Application().Initialize();
    InitWinShell();
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    std::string dir = std::string(tmp) + "tsbbench-" + std::to_string(GetCurrentProcessId());
    std::string root = dir + "\\shortcuts";
    ForceDirectories(root);
    SetProgramFolder(dir);
    // Every shortcut has a target of its own, of a handful of file types: the shell is asked
    // about each file, and each distinct picture is made once.
    const char* kinds[] = {".txt", ".exe", ".doc", ".pdf", ".html"};
    bool misplaced = false;
    std::printf("%6s %11s %9s %11s %9s %9s %9s %6s %9s\n", "size", "LoadFolder", "floor", "display", "floor", "icons",
                "uncached", "made", "private");
    for (int n : sizes) {
        std::string page = root + "\\page" + std::to_string(n);
        std::string targets = dir + "\\targets" + std::to_string(n);  // beside the tree: not listed with the page
        ForceDirectories(page);
        ForceDirectories(targets);
        for (int i = 0; i < n; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "\\s%05d.lnk", i);
            std::string target = targets + "\\t" + std::to_string(i) + kinds[i % 5];
            WriteFileSafely(target, "x");
            CreateShellLink(target, "Shortcut " + std::to_string(i), page + name);
        }
        TMainWindowView frm;
        frm.LoadConfig();
        Application().SetMainForm(&frm);
        TFolderRecord* rec = nullptr;
        LoadFolder(RootFolder, RootFolder->Path, nullptr);
        for (auto& f : RootFolder->Folders)
            if (f->Path == LowerAZ(page)) rec = f.get();
        HideWorking();
        if (scrollOnly.count(n)) {
            LoadFolder(rec, rec->Path, nullptr);
            HideWorking();
            frm.CurrentPage = rec;
            frm.LoadCurrentPage();
            ScrollCosts(frm, n);
            Application().SetMainForm(nullptr);
            continue;
        }

        auto [load, floorLoad] = BestInTurns(
            [&] {
                LoadFolder(rec, rec->Path, nullptr);
                HideWorking();
            },
            [&] { ReadLinksFloor(page); });
        auto cachedIcons = [&] {
            TIconCache cache;
            for (auto& s : rec->Shortcuts) cache.Get(s.get(), 1);
        };
        double icons = BestInTurns(cachedIcons, [] {}).first;  // compared with the uncached calls below
        std::set<const TIcon*> made;  // distinct pictures of one display
        {
            TIconCache cache;
            for (auto& s : rec->Shortcuts) made.insert(cache.Get(s.get(), 1).get());
            made.erase(nullptr);
        }
        double uncached = Time([&] {
            for (auto& s : rec->Shortcuts) GetShortcutIcon(s.get(), 1);
        });

        frm.CurrentPage = rec;
        // The first display makes the buttons; the next ones also destroy the previous page's.
        auto [show, floorShow] = BestInTurns([&] { frm.LoadCurrentPage(); },
                                             [&] { WindowsFloor(frm.ScrollBox1->Handle(), n); });
        double mb = PrivateMB();
        std::printf("%6d %10.3fs %8.3fs %10.3fs %8.3fs %8.3fs %8.3fs %6zu %7.1fMB\n", n, load, floorLoad, show,
                    floorShow, icons, uncached, made.size(), mb);
        std::printf("%6s LoadFolder/floor %.2f, display/(both floors) %.2f\n", "", load / floorLoad,
                    show / (floorLoad + floorShow));
        ScrollCosts(frm, n);
        if (!LastButtonWhereTheLayoutSays(frm)) misplaced = true;
        std::fflush(stdout);
        Application().SetMainForm(nullptr);
    }
    DoneRootFolder();
    SetProgramFolder("");
    RemoveFolder(dir);
    return misplaced ? 1 : 0;
}
