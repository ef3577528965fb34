// Measures page loading and display against their floors, for pages of 100, 1 000 and 2 000
// shortcuts (or the sizes given on the command line). Prints figures; judges nothing.
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "framework/core/Text.h"
#include "framework/win/Application.h"
#include "framework/win/Convert.h"
#include "framework/win/Files.h"
#include "framework/win/ScopedWin.h"
#include "pages/DataObject.h"
#include "pages/WinShell.h"
#include "pages/WorkingFormUnit.h"

using namespace tsb;

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The floor of a folder load: enumerate and read every link through the link object.
double ReadLinksFloor(const std::string& folder) {
    auto t = std::chrono::steady_clock::now();
    ForEachFile(folder + "\\*.lnk", [&](const WIN32_FIND_DATAA& fd) {
        ComPtr<IShellLinkA> link;
        ComPtr<IPersistFile> file;
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.put_void());
        link->QueryInterface(IID_IPersistFile, file.put_void());
        file->Load(AnsiToWide(folder + "\\" + fd.cFileName).c_str(), STGM_READ);
        char buf[MAX_PATH];
        WIN32_FIND_DATAA wfd;
        link->GetPath(buf, MAX_PATH, &wfd, 0);
    });
    return Seconds(t);
}

// The floor of a display: create and destroy as many plain child windows.
double WindowsFloor(HWND parent, int n) {
    auto t = std::chrono::steady_clock::now();
    std::vector<HWND> windows;
    for (int i = 0; i < n; ++i)
        windows.push_back(CreateWindowExA(0, "STATIC", "x", WS_CHILD | WS_VISIBLE, (i % 5) * 160, (i / 5) * 120, 150,
                                          110, parent, nullptr, GetModuleHandleA(nullptr), nullptr));
    for (HWND w : windows) DestroyWindow(w);
    return Seconds(t);
}

double PrivateMB() {
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc);
    return (pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage) / (1024.0 * 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
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
    // Targets of a handful of file types.
    const char* kinds[] = {".txt", ".exe", ".doc", ".pdf", ".html"};
    for (const char* k : kinds) {
        std::string f = dir + "\\target" + k;
        WriteFileBytes(f, "x");
    }
    std::printf("%8s %12s %12s %14s %12s %12s %12s %10s\n", "size", "LoadFolder", "floor", "LoadCurrentPage",
                "floor", "icons", "uncached", "private");
    for (int n : sizes) {
        std::string page = root + "\\page" + std::to_string(n);
        ForceDirectories(page);
        for (int i = 0; i < n; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "\\s%05d.lnk", i);
            CreateShellLink(dir + "\\target" + kinds[i % 5], "Shortcut " + std::to_string(i), page + name);
        }
        TfrmMain frm;
        frm.LoadConfig();
        Application().SetMainForm(&frm);
        TFolderRecord* rec = nullptr;
        LoadFolder(RootFolder, RootFolder->Path, nullptr);
        for (auto& f : RootFolder->Folders)
            if (f->Path == LowerAZ(page)) rec = f.get();
        HideWorking();

        double floorLoad = ReadLinksFloor(page);
        auto t = std::chrono::steady_clock::now();
        LoadFolder(rec, rec->Path, nullptr);
        double load = Seconds(t);
        HideWorking();

        TIconCache cache;
        t = std::chrono::steady_clock::now();
        for (auto& s : rec->Shortcuts) cache.Get(s.get(), 1);
        double icons = Seconds(t);
        t = std::chrono::steady_clock::now();
        for (auto& s : rec->Shortcuts) GetShortcutIcon(s.get(), 1);
        double uncached = Seconds(t);

        frm.CurrentPage = rec;
        double floorShow = WindowsFloor(frm.ScrollBox1->Handle(), n);
        t = std::chrono::steady_clock::now();
        frm.LoadCurrentPage();
        double show = Seconds(t);
        double mb = PrivateMB();
        std::printf("%8d %11.3fs %11.3fs %14.3fs %11.3fs %11.3fs %11.3fs %8.1fMB\n", n, load, floorLoad, show,
                    floorShow, icons, uncached, mb);
        std::fflush(stdout);
        Application().SetMainForm(nullptr);
    }
    DoneRootFolder();
    SetProgramFolder("");
    SHFILEOPSTRUCTA op{};
    std::string from = dir + std::string(1, '\0');
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    SHFileOperationA(&op);
    return 0;
}
