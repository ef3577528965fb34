// Measures a bulk creation of shortcuts and a search across pages against their floors: writing
// the same links and nothing else; reading every link of the tree and nothing else. Also the
// longest time in which no message got through (the indicator not painted). Prints figures;
// judges nothing. Arguments: the number of files (default 5000), the number of folders of the
// search tree and of links in each (default 100 100).
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "creation/BulkCreation.h"
#include "framework/core/Text.h"
#include "framework/win/Application.h"
#include "framework/win/Convert.h"
#include "framework/win/Debug.h"
#include "framework/win/Files.h"
#include "framework/win/ScopedWin.h"
#include "pages/DataObject.h"
#include "pages/WinShell.h"
#include "pages/WorkingFormUnit.h"
#include "BenchSupport.h"

using namespace tsb;
using namespace tsbbench;

namespace {

// The longest stretch without a message handled, seen by a 20 ms timer whose ticks are only
// handled when the thread lets messages through.
struct GapWatch {
    static inline DWORD last = 0, longest = 0;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        DWORD now = GetTickCount();
        if (last && now - last > longest) longest = now - last;
        last = now;
    }
    UINT_PTR id;
    GapWatch() {
        last = GetTickCount();
        longest = 0;
        id = SetTimer(nullptr, 0, 20, &Tick);
    }
    DWORD Stop() {
        Tick(nullptr, 0, 0, 0);
        KillTimer(nullptr, id);
        return longest;
    }
};

void ReadLink(const std::string& file) {
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> persist;
    CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.put_void());
    link->QueryInterface(IID_IPersistFile, persist.put_void());
    persist->Load(AnsiToWide(file).c_str(), STGM_READ);
    char buf[MAX_PATH];
    WIN32_FIND_DATAA wfd;
    link->GetPath(buf, MAX_PATH, &wfd, 0);
}

void BenchCreation(const std::string& dir, int files) {
    // 50 files a folder, as a folder of documents holds them.
    std::string src = dir + "\\source";
    std::vector<std::pair<std::string, std::string>> all;  // source folder, file name
    for (int i = 0; i < files; ++i) {
        std::string folder = src + "\\f" + std::to_string(i / 50);
        if (i % 50 == 0) ForceDirectories(folder);
        std::string name = "document " + std::to_string(i) + ".txt";
        WriteFileSafely(folder + "\\" + name, "x");
        all.emplace_back(folder, name);
    }
    // The floor and the run take turns, twice, each into a fresh folder: the disk's own pace
    // drifts by a quarter from one minute to the next here, and the best of each compares.
    constexpr int Rounds = 2;
    double floor = 1e9, took = 1e9;
    DWORD gap = 0;
    int created = 0;
    for (int round = 0; round < Rounds; ++round) {
        std::string floorDest = dir + "\\floor" + std::to_string(round), runDest = dir + "\\run" + std::to_string(round);
        double f = Time([&] {
            for (auto& [folder, name] : all) {
                std::string dest = floorDest + "\\" + ExtractFileName(folder);
                if (!DirectoryExists(dest)) ForceDirectories(dest);
                CreateShellLink(folder + "\\" + name, name, dest + "\\" + name + ".lnk");
            }
        });
        GapWatch watch;
        TCreateShortcutsRun run;
        double t = Time([&] { run.Run(src, "*.txt", runDest, true, true, owAlways, false, ""); });
        gap = std::max(gap, watch.Stop());
        HideWorking();
        created = run.Created;
        std::printf("bulk creation of %d files, round %d: %.1fs, floor (the links alone) %.1fs\n", files, round + 1, t, f);
        floor = std::min(floor, f);
        took = std::min(took, t);
    }
    std::printf("bulk creation of %d files: best %.1fs, floor best %.1fs, ratio %.3f; "
                "%d written; longest time without messages %lu ms\n",
                files, took, floor, took / floor, created, static_cast<unsigned long>(gap));
    std::fflush(stdout);
}

void BenchSearch(const std::string& dir, int folders, int links) {
    std::string root = dir + "\\shortcuts";
    ForceDirectories(root);
    std::string target = dir + "\\target.txt";
    WriteFileSafely(target, "x");
    std::string model = dir + "\\model.lnk";
    CreateShellLink(target, "", model);  // no description: each link is named after its file
    for (int f = 0; f < folders; ++f) {
        char folder[32];
        std::snprintf(folder, sizeof folder, "\\page%03d", f);
        ForceDirectories(root + folder);
        for (int l = 0; l < links; ++l) {
            bool needle = f == folders - 1 && l == links - 1;
            std::string name = needle ? "needle" : "item " + std::to_string(l);
            CopyFileA(model.c_str(), (root + folder + "\\" + name + ".lnk").c_str(), FALSE);
        }
    }
    auto readAll = [&] {
        ForEachFile(root + "\\*", [&](const TFindData& d) {
            ForEachFile(root + "\\" + d.cFileName + "\\*.lnk",
                        [&](const TFindData& l) { ReadLink(root + "\\" + d.cFileName + "\\" + l.cFileName); });
        });
    };
    // The best of three of each, taken in turns: the machine's noise only ever adds.
    double floor = 1e9, took = 1e9, second = 0, loading = 1e9;
    DWORD gap = 0;
    int firstLoads = 0, loads = 0;
    std::string hitName = "nothing";
    for (int turn = 0; turn < 3; ++turn) {
        floor = std::min(floor, Time(readAll));
        InitRootFolder(root);  // nothing below the home page read yet
        LoadFolder(RootFolder, RootFolder->Path, nullptr);
        HideWorking();
        loads = 0;
        SetDebugHook([&](const std::string& line) { loads += line.rfind("TSB: LoadFolder ", 0) == 0; });
        TObjectRef found;
        GapWatch watch;
        took = std::min(took, Time([&] { FindNextItem(L"needle", 0, RootFolder, found); }));
        gap = std::max(gap, watch.Stop());
        firstLoads = loads;
        loads = 0;
        TObjectRef again;
        second = Time([&] { FindNextItem(L"needle", 0, found, again); });
        SetDebugHook(nullptr);
        if (auto* hit = found.As<TShortcutRecord>()) hitName = hit->Name;
        // What the page tree's own reading of the same folders costs, without the search.
        loading = std::min(loading, Time([&] {
            for (auto& f : RootFolder->Folders) LoadFolder(f.get(), f->Path, nullptr);
            HideWorking();
        }));
    }
    std::printf("search over %d folders of %d links: %.1fs to %s, floor (reading the links) %.1fs, ratio %.3f; "
                "the same folders read by the page tree alone %.1fs; %d folders read; longest time without "
                "messages %lu ms; a second search from the found page %.3fs, %d folders read\n",
                folders, links, took, hitName.c_str(), floor, took / floor, loading, firstLoads,
                static_cast<unsigned long>(gap), second, loads);
    std::fflush(stdout);
    DoneRootFolder();
}

}  // namespace

int main(int argc, char** argv) {
    int files = argc > 1 ? std::atoi(argv[1]) : 5000;
    int folders = argc > 2 ? std::atoi(argv[2]) : 100;
    int links = argc > 3 ? std::atoi(argv[3]) : 100;
    CoInitGuard com;
    Application().Initialize();
    InitWinShell();
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    std::string dir = std::string(tmp) + "tsbbench-creation-" + std::to_string(GetCurrentProcessId());
    ForceDirectories(dir);
    if (folders > 0 && links > 0) BenchSearch(dir, folders, links);
    if (files > 0) BenchCreation(dir, files);
    RemoveFolder(dir);
    return 0;
}
