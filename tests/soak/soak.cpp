// A long run of the real program, outside the test suites: page changes with thumbnail threads at
// work, file changes in the shortcuts tree while pages are shown, launches of a small program and
// openings of every window the menu opens. It samples the program's handles, threads, memory and
// GDI and USER objects from outside, and prints the first, peak and last of each with a verdict.
//   tsb_soak [SCALE] [--launches N]
// SCALE divides every count (a quick run: 20). Exits non-zero when a step never happens or a
// measure ends outside its margin.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "support/Driver.h"
#include "support/MainWindow.h"

#include <psapi.h>  // after <windows.h>, which they need
#include <tlhelp32.h>
#include <winternl.h>

using namespace tsbtest;

namespace {

// --- what is measured ---

// GetProcessHandleCount answers 0 under Wine: the system's handle list is asked instead.
struct SystemHandleEntry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ACCESS_MASK access;
};
struct SystemHandleList {
    ULONG count;
    SystemHandleEntry handles[1];
};
using QuerySystemFn = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
using QueryProcessFn = NTSTATUS(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
constexpr ULONG SystemHandleInformationClass = 16;

template <class Fn>
Fn NtdllFunction(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), name)));
}

long long HandlesOf(HANDLE process, DWORD pid, const char** how) {
    DWORD n = 0;
    if (GetProcessHandleCount(process, &n) && n > 0) {
        *how = "GetProcessHandleCount";
        return n;
    }
    static auto query = NtdllFunction<QuerySystemFn>("NtQuerySystemInformation");
    if (!query) return -1;
    std::vector<unsigned char> buffer(1 << 20);
    for (;;) {
        ULONG needed = 0;
        NTSTATUS status = query(SystemHandleInformationClass, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == static_cast<NTSTATUS>(0xC0000004L)) {  // too small
            buffer.resize(std::max<size_t>(buffer.size() * 2, needed));
            continue;
        }
        if (status < 0) return -1;
        break;
    }
    const auto* list = reinterpret_cast<const SystemHandleList*>(buffer.data());
    long long count = 0;
    for (ULONG i = 0; i < list->count; ++i) count += list->handles[i].ownerPid == pid;
    *how = "system handle list";
    return count;
}

long long ThreadsOf(DWORD pid) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snap == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 te{};
    te.dwSize = sizeof te;
    long long n = 0;
    for (BOOL ok = Thread32First(snap, &te); ok; ok = Thread32Next(snap, &te)) n += te.th32OwnerProcessID == pid;
    CloseHandle(snap);
    return n;
}

// Wine leaves PrivateUsage at 0 for another process: the committed private pages of its address
// space are summed instead, which is what that figure counts on Windows.
long long PrivateKbOf(HANDLE process, const char** how) {
    PROCESS_MEMORY_COUNTERS_EX m{};
    m.cb = sizeof m;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m) && m.PrivateUsage > 0) {
        *how = "GetProcessMemoryInfo PrivateUsage";
        return static_cast<long long>(m.PrivateUsage / 1024);
    }
    unsigned long long committed = 0;
    MEMORY_BASIC_INFORMATION info{};
    for (char* at = nullptr; VirtualQueryEx(process, at, &info, sizeof info) == sizeof info;) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) committed += info.RegionSize;
        char* next = static_cast<char*>(info.BaseAddress) + info.RegionSize;
        if (next <= at) break;
        at = next;
    }
    *how = "committed private regions (VirtualQueryEx)";
    return static_cast<long long>(committed / 1024);
}

// Wine answers GetGuiResources with 0. Its GDI keeps a handle table in the process, published in
// the process environment block as on Windows: entries with a type are live objects.
struct GdiHandleEntry {
    UINT64 object;
    ULONG owner;
    USHORT unique;
    UCHAR type;
    UCHAR flags;
    UINT64 userPointer;
};
static_assert(sizeof(GdiHandleEntry) == 24, "the table's entry on both targets");
constexpr size_t GdiTableEntries = 0x10000;
#ifdef _WIN64
constexpr size_t PebGdiTableOffset = 0xF8;
#else
constexpr size_t PebGdiTableOffset = 0x94;
#endif

long long GdiObjectsOf(HANDLE process, const char** how) {
    if (DWORD n = GetGuiResources(process, GR_GDIOBJECTS); n > 0) {
        *how = "GetGuiResources";
        return n;
    }
    static auto query = NtdllFunction<QueryProcessFn>("NtQueryInformationProcess");
    PROCESS_BASIC_INFORMATION basic{};
    if (!query || query(process, 0 /* basic information */, &basic, sizeof basic, nullptr) < 0) return -1;
    void* table = nullptr;
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, static_cast<char*>(static_cast<void*>(basic.PebBaseAddress)) + PebGdiTableOffset,
                           &table, sizeof table, &read) ||
        !table)
        return -1;
    std::vector<GdiHandleEntry> entries(GdiTableEntries);
    if (!ReadProcessMemory(process, table, entries.data(), entries.size() * sizeof(GdiHandleEntry), &read)) return -1;
    *how = "the process's GDI handle table";
    return std::count_if(entries.begin(), entries.end(), [](const GdiHandleEntry& e) { return e.type != 0; });
}

BOOL CALLBACK CountChildren(HWND, LPARAM lp) {
    ++*reinterpret_cast<long long*>(lp);
    return TRUE;
}

// Wine answers GetGuiResources with 0 and keeps USER objects in its server: the program's
// windows (hidden ones and children included) are counted instead, the USER objects it makes most.
long long UserObjectsOf(HANDLE process, DWORD pid, const char** how) {
    if (DWORD n = GetGuiResources(process, GR_USEROBJECTS); n > 0) {
        *how = "GetGuiResources";
        return n;
    }
    long long n = 0;
    for (HWND top : TopWindows(pid)) {
        ++n;
        EnumChildWindows(top, &CountChildren, reinterpret_cast<LPARAM>(&n));
    }
    *how = "windows of the process";
    return n;
}

struct Sample {
    std::string label;
    long long values[5];
};
const char* const MeasureNames[5] = {"handles", "threads", "private KB", "GDI objects", "USER objects"};
const char* MeasureHow[5] = {"", "Toolhelp32 snapshot", "", "", ""};

class Sampler {
public:
    explicit Sampler(DWORD pid)
        : pid_(pid), process_(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid)) {}
    ~Sampler() {
        if (process_) CloseHandle(process_);
    }
    Sampler(const Sampler&) = delete;
    Sampler& operator=(const Sampler&) = delete;

    const Sample& Take(const std::string& label) {
        Sample s{label, {HandlesOf(process_, pid_, &MeasureHow[0]), ThreadsOf(pid_), PrivateKbOf(process_, &MeasureHow[2]),
                         GdiObjectsOf(process_, &MeasureHow[3]), UserObjectsOf(process_, pid_, &MeasureHow[4])}};
        std::printf("sample %-28s handles %6lld  threads %4lld  private %8lld KB  GDI %6lld  USER %6lld\n",
                    label.c_str(), s.values[0], s.values[1], s.values[2], s.values[3], s.values[4]);
        std::fflush(stdout);
        samples_.push_back(s);
        return samples_.back();
    }
    const std::vector<Sample>& Samples() const { return samples_; }

private:
    DWORD pid_;
    HANDLE process_;
    std::vector<Sample> samples_;
};

// --- driving the program ---

[[noreturn]] void Fail(const std::string& why) {
    std::printf("soak: FAILED: %s\n", why.c_str());
    std::fflush(stdout);
    std::exit(1);
}

void Require(bool ok, const std::string& why) {
    if (!ok) Fail(why);
}

// Counts of the program's debug lines, read as they come (the run writes a great many).
class Lines {
public:
    explicit Lines(Program& app) : app_(app) {}
    int Count(const std::string& prefix) {
        Update();
        return counts_[prefix];
    }
    bool WaitForMore(const std::string& prefix, int than, int timeoutMs) {
        return WaitFor([&] { return Count(prefix) > than; }, timeoutMs);
    }

private:
    // Two lines are counted whole (others begin with them); the rest by how they begin.
    void Update() {
        for (const std::string& line : app_.LinesFrom(read_)) {
            ++read_;
            for (const char* p : Whole)
                if (line == p) ++counts_[p];
            for (const char* p : Begun)
                if (line.compare(0, std::strlen(p), p) == 0) ++counts_[p];
        }
    }
    static constexpr const char* Whole[] = {"TSB: TfrmMain.LoadCurrentPage", "TSB: TfrmMain.GetImageThumbnails"};
    static constexpr const char* Begun[] = {
        "TSB: TGetImagePreviews.Execute Completed", "TSB: TGetImagePreviews.Execute Exception",
        "TSB: Call TGetImagePreviews", "TSB: TImageViewer.ShowImage Completed", "TSB: TfrmSlideshow.Execute: Loading",
        "TSB: TGetImagePreviews.Execute: Loading"};
    Program& app_;
    size_t read_ = 0;
    std::map<std::string, int> counts_;
};

const std::string Displayed = "TSB: TfrmMain.GetImageThumbnails";
const std::string ThumbnailsDone = "TSB: TGetImagePreviews.Execute Completed";
const std::string ThumbnailsCalled = "TSB: Call TGetImagePreviews";
const std::string ThumbnailMade = "TSB: TGetImagePreviews.Execute: Loading";

bool Gone(HWND w) { return !IsWindow(w) || !IsWindowVisible(w); }

HWND VisibleTop(DWORD pid, const char* className, const std::string& caption = "") {
    for (HWND w : TopWindows(pid, className))
        if (IsWindowVisible(w) && (caption.empty() || TextOf(w) == caption)) return w;
    return nullptr;
}

HWND WaitForTop(DWORD pid, const char* className, const std::string& caption = "", int timeoutMs = 20000) {
    HWND found = nullptr;
    WaitFor([&] { return (found = VisibleTop(pid, className, caption)) != nullptr; }, timeoutMs);
    return found;
}

struct Soak {
    Program& app;
    Lines& lines;
    MainWindow w;
    Sampler& sampler;
    std::string root;

    // Waits until the main window answers (a launch holds it for a while), then for the end of
    // the display in progress: every page load has handed its buttons to the thumbnails.
    void WaitForDisplays() {
        DWORD_PTR r = 0;
        Require(SendMessageTimeoutA(w.Handle(), WM_NULL, 0, 0, SMTO_NORMAL, 30000, &r), "the main window answers");
        Require(WaitFor([&] { return lines.Count(Displayed) == lines.Count("TSB: TfrmMain.LoadCurrentPage"); }, 30000),
                "a display ends");
    }
    // A page change: click, and wait until a display begun since has ended.
    void Show(HWND button, const std::string& what) {
        Require(button != nullptr, "a button for " + what);
        int before = lines.Count(Displayed);
        PostClick(button);
        Require(lines.WaitForMore(Displayed, before, 30000), "the page " + what + " is shown");
        WaitForDisplays();
    }
    // The button of that caption; the page may be being built again meanwhile.
    HWND Button(const std::string& caption) {
        HWND b = nullptr;
        WaitFor([&] { return (b = w.ButtonByCaption(caption)) != nullptr; }, 10000);
        return b;
    }
    void ShowPage(const std::string& caption) { Show(Button(caption), caption); }
    void Home() {
        if (TextOf(w.PageTitle()) != "Home Page") Show(w.HomeButton(), "Home Page");
    }
    // Thumbnail runs under way finish (a sample then counts no passing thread).
    void WaitForThumbnails() {
        // A run ends with one line: its completion, or the picture that stopped it.
        Require(WaitFor([&] {
            return lines.Count(ThumbnailsDone) + lines.Count("TSB: TGetImagePreviews.Execute Exception") >=
                   lines.Count(ThumbnailsCalled);
        }, 60000),
                "the thumbnails of the page are made");
    }
    // Settled: no display or thumbnail run under way, and the thread count no longer moving.
    const Sample& Settle(const std::string& label) {
        WaitForDisplays();
        WaitForThumbnails();
        long long last = -1;
        WaitFor([&] {
            long long now = ThreadsOf(app.Pid());
            bool same = now == last;
            last = now;
            Sleep(300);
            return same;
        }, 10000);
        return sampler.Take(label);
    }
};

// --- the tree the run works on ---

constexpr int PicturePages = 4, PicturesPerPage = 12;

std::string PictureName(int page, int i) {
    char name[32];
    std::snprintf(name, sizeof name, "p%d-%d.bmp", page, i);
    return name;
}

// A picture's write time moved on: the thumbnail made of it before no longer counts, and the
// next display of its page has its thumbnail made again.
void Touch(const std::string& file) {
    HANDLE h = CreateFileA(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    SetFileTime(h, nullptr, nullptr, &now);
    CloseHandle(h);
}

void MakeTree(const ProgramFolder& dir, const std::string& pictures) {
    std::string root = dir / "shortcuts";
    MakeDir(root);
    MakeDir(pictures);
    // Home holds pictures of its own, so that going back home runs thumbnails too.
    for (int page = 0; page <= PicturePages; ++page) {
        std::string folder = page == 0 ? root : root + "\\Pictures " + std::to_string(page);
        MakeDir(folder);
        for (int i = 0; i < PicturesPerPage; ++i) {
            std::string file = pictures + "\\" + PictureName(page, i);
            WriteFile(file, Bmp24(320, 240, [page, i](int x, int y) {
                return RGB((x * 7 + page * 40) & 255, (y * 5 + i * 20) & 255, ((x + y) * 3) & 255);
            }));
            MakeLink(folder + "\\" + PictureName(page, i) + ".lnk", {file, "", "", "", ""});
        }
    }
    MakeDir(root + "\\Changes A");
    MakeDir(root + "\\Changes B");
    MakeDir(root + "\\Pictures 1\\Deep");
    MakeDir(root + "\\Run");
    InstallMarker(dir / "tsb_marker.exe");
    MakeLink(root + "\\Run\\marker.lnk", {dir / "tsb_marker.exe", "", "", dir.Path(), ""});
    WriteFile(dir / "target.txt", "a target");
    MakeLink(dir / "template.lnk", {dir / "target.txt", "", "", "", ""});
}

// --- the phases ---

// Page changes between pages of pictures. With changePictures, a few of the target page's
// pictures change before each visit, so its thumbnail thread has work; most changes do not wait
// for it. Without, every thumbnail comes from the program's memory of them.
void PageChanges(Soak& s, const std::string& pictures, int count, bool changePictures) {
    s.Home();
    int everySample = std::max(1, count / 5);
    int made = s.lines.Count(ThumbnailMade);
    auto touch = [&](int page, int i) {
        if (!changePictures) return;
        for (int k = 0; k < 3; ++k) Touch(pictures + "\\" + PictureName(page, (i + k) % PicturesPerPage));
    };
    for (int i = 0; i < count; ++i) {
        if (i % 2 == 0) {
            int page = 1 + (i / 2) % PicturePages;
            touch(page, i);
            s.ShowPage("Pictures " + std::to_string(page));
        } else {
            touch(0, i);
            s.Show(s.w.BackButton(), "back home");
        }
        if (i % 10 == 9) s.WaitForThumbnails();
        if (i % everySample == everySample - 1) s.sampler.Take("pages " + std::to_string(i + 1));
    }
    s.WaitForThumbnails();
    made = s.lines.Count(ThumbnailMade) - made;
    // Each is kept (64 x 48 pixels of 4 bytes) in memory bounded at 32 MiB.
    std::printf("pages: %d changes, %d thumbnails made (up to %d KiB of them kept)\n", count, made, made * 12);
}

// What went wrong without stopping the run: reported with the figures, and the run fails.
std::vector<std::string> faults;

// A rename or delete meets the program reading that link at times, as a user's file manager
// would: it is tried again, and the retries are counted.
int sharingRetries = 0;
template <class Op>
bool Retried(Op op) {
    for (int tries = 0; tries < 100; ++tries) {
        if (op()) return true;
        DWORD error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) {
            std::printf("files: error %lu\n", static_cast<unsigned long>(error));
            return false;
        }
        ++sharingRetries;
        Sleep(20);
    }
    return false;
}

int LinksIn(const std::string& folder) { return static_cast<int>(FilesIn(folder, "*.lnk").size()); }

// File changes: links made, renamed and deleted in batches, in the page on show and in pages
// that are not, the page on show changed now and then. Each create, rename and delete is one
// change. Returns the number of batches whose display did not come.
void FileChanges(Soak& s, const std::string& templateLink, int count) {
    static int serial = 0;  // names never met before, whatever earlier calls left
    const std::vector<std::string> pages = {"Changes A", "Changes B"};
    const std::vector<std::string> others = {"Pictures 2", "Pictures 1\\Deep"};
    int made = 0, batch = 0, shown = 0;
    int everySample = std::max(1, count / 5), nextSample = everySample;
    static std::map<std::string, std::vector<std::string>> left;  // per folder: the last batch's links
    s.Home();
    s.ShowPage(pages[0]);
    while (made < count) {
        // Every third batch in a folder that is not on show; the page on show changes every ten.
        if (batch % 10 == 9) {
            shown = 1 - shown;
            s.Home();
            s.ShowPage(pages[shown]);
        }
        bool onShow = batch % 3 != 2;
        std::string folder = s.root + "\\" + (onShow ? pages[shown] : others[(batch / 3) % others.size()]);
        int displays = s.lines.Count(Displayed);
        std::vector<std::string> now;
        for (int k = 0; k < 10 && made < count; ++k, ++made) {
            std::string name = folder + "\\b" + std::to_string(serial) + "-" + std::to_string(k);
            Require(CopyFileA(templateLink.c_str(), (name + ".lnk").c_str(), FALSE), "a link made");
            now.push_back(name + ".lnk");
        }
        for (std::string& link : now) {
            if (made >= count) break;
            std::string renamed = link.substr(0, link.size() - 4) + " renamed.lnk";
            Require(Retried([&] { return MoveFileA(link.c_str(), renamed.c_str()) != FALSE; }), "a link renamed");
            link = renamed;
            ++made;
        }
        for (const std::string& link : left[folder]) {
            if (made >= count) break;
            Require(Retried([&] { return DeleteFileA(link.c_str()) != FALSE; }), "a link deleted");
            ++made;
        }
        left[folder] = now;
        ++serial;
        // The page on show follows: a display comes once the burst has settled.
        if (onShow) Require(s.lines.WaitForMore(Displayed, displays, 30000), "the page on show follows its folder");
        ++batch;
        if (made >= nextSample) {
            s.WaitForDisplays();
            s.sampler.Take("files " + std::to_string(made));
            nextSample += everySample;
        }
    }
    s.WaitForDisplays();
    std::string shownFolder = s.root + "\\" + pages[shown];
    if (!WaitFor([&] { return static_cast<int>(s.w.PageButtons().size()) == LinksIn(shownFolder); }, 20000)) {
        std::printf("files: the page %s shows %d buttons, its folder holds %d links; the program's last lines:\n",
                    TextOf(s.w.PageTitle()).c_str(), static_cast<int>(s.w.PageButtons().size()),
                    LinksIn(shownFolder));
        auto all = s.app.Lines();
        for (size_t i = all.size() > 80 ? all.size() - 80 : 0; i < all.size(); ++i) std::printf("  | %s\n", all[i].c_str());
        // Reported and judged at the end; the measures go on.
        faults.push_back("the page on show did not follow its folder");
        return;
    }
    std::printf("files: %d changes in %d batches, %d retries of a rename or delete the program's reading held up; "
                "the page on show matches its folder (%d links)\n",
                made, batch, sharingRetries, LinksIn(shownFolder));
}

int MarkerRuns(const std::string& marker) {
    std::string text = ReadFile(marker);
    int n = 0;
    for (size_t at = text.find("cwd:"); at != std::string::npos; at = text.find("cwd:", at + 1)) ++n;
    return n;
}

// Launches of a small program by its button. The program holds its window for a while after
// each launch, by design: each takes that long.
void Launches(Soak& s, const std::string& marker, int count) {
    s.Home();
    s.ShowPage("Run");
    int everySample = std::max(1, count / 5);
    for (int i = 0; i < count; ++i) {
        int before = MarkerRuns(marker), displays = s.lines.Count(Displayed);
        HWND b = s.Button("marker");
        Require(b != nullptr, "the launch button");
        PostClick(b);
        Require(WaitFor([&] { return MarkerRuns(marker) > before; }, 20000), "the marker program runs");
        DWORD_PTR r = 0;
        Require(SendMessageTimeoutA(s.w.Handle(), WM_NULL, 0, 0, SMTO_NORMAL, 30000, &r), "the launch's wait ends");
        // The marker's file beside the program has the page shown again: a click on the button
        // that display destroys would be lost, so the next waits for it.
        s.lines.WaitForMore(Displayed, displays, 5000);
        s.WaitForDisplays();
        if (i % everySample == everySample - 1) s.sampler.Take("launches " + std::to_string(i + 1));
    }
    std::printf("launches: %d, the marker program ran %d times\n", count, MarkerRuns(marker));
}

HWND OpenMenu(DWORD pid) { return VisibleTop(pid, "#32768"); }

// A command of the context menu, chosen with the keys: down to the item, then Enter.
void MenuCommand(Soak& s, int downs) {
    PostClick(s.w.ScrollBox(), true);
    HWND menu = nullptr;
    Require(WaitFor([&] { return (menu = OpenMenu(s.app.Pid())) != nullptr; }, 10000), "the context menu opens");
    for (int k = 0; k < downs; ++k) PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    Require(WaitFor([&] { return OpenMenu(s.app.Pid()) == nullptr; }, 10000), "the context menu closes");
}

void Key(Soak& s, WPARAM vk) {
    PostMessageA(s.w.Handle(), WM_KEYDOWN, vk, 0);
    PostMessageA(s.w.Handle(), WM_KEYUP, vk, 0xC0000000);
}

void WaitGone(HWND w, const std::string& what) { Require(WaitFor([&] { return Gone(w); }, 20000), what + " closes"); }

// Every window the menu opens (but the other programs': the editor, the file manager), each
// opened and closed `count` times, from a page of pictures.
void Windows(Soak& s, int count) {
    DWORD pid = s.app.Pid();
    s.Home();
    s.ShowPage("Pictures 1");
    s.WaitForThumbnails();
    int everySample = std::max(1, count / 5);
    for (int i = 0; i < count; ++i) {
        // The viewer, by a picture's button.
        int shown = s.lines.Count("TSB: TImageViewer.ShowImage Completed");
        PostClick(s.w.PageButtons().at(static_cast<size_t>(i) % PicturesPerPage));
        HWND viewer = WaitForTop(pid, "TImageViewer");
        Require(viewer && s.lines.WaitForMore("TSB: TImageViewer.ShowImage Completed", shown, 20000), "the viewer shows");
        PostMessageA(viewer, WM_CHAR, 27, 0);
        WaitGone(viewer, "the viewer");

        // The slide show (F10), ended by a key once its first picture is on.
        int slides = s.lines.Count("TSB: TfrmSlideshow.Execute: Loading");
        Key(s, VK_F10);
        HWND show = WaitForTop(pid, "TfrmSlideshow");
        Require(show && s.lines.WaitForMore("TSB: TfrmSlideshow.Execute: Loading", slides, 20000), "the slide show");
        PostMessageA(show, WM_KEYDOWN, VK_SPACE, 0);
        WaitGone(show, "the slide show");

        // About (F1), closed by a click.
        Key(s, VK_F1);
        HWND about = WaitForTop(pid, "TSplashForm");
        Require(about != nullptr, "About opens");
        PostClick(about);
        WaitGone(about, "About");

        // The New Page box (Ins), cancelled.
        Key(s, VK_INSERT);
        HWND ask = WaitForTop(pid, nullptr, "New Page");
        Require(ask != nullptr, "the New Page box opens");
        HWND cancel = ChildWithText(ask, "Cancel", "Button");
        Require(cancel != nullptr, "its Cancel button");
        PostMessageA(cancel, BM_CLICK, 0, 0);
        WaitGone(ask, "the New Page box");

        // The find dialog (the menu's first item), closed.
        MenuCommand(s, 1);
        HWND find = WaitForTop(pid, "#32770", "Find");
        Require(find != nullptr, "the find dialog opens");
        PostMessageA(find, WM_COMMAND, IDCANCEL, 0);
        WaitGone(find, "the find dialog");

        // Create Shortcuts (the sixth item), cancelled.
        MenuCommand(s, 6);
        HWND tool = WaitForTop(pid, "TCreateShortcutsForm", "Create Shortcuts");
        Require(tool != nullptr, "Create Shortcuts opens");
        HWND toolCancel = ChildWithText(tool, "&Cancel", "Button");
        Require(toolCancel != nullptr, "its Cancel button");
        PostMessageA(toolCancel, BM_CLICK, 0, 0);
        WaitGone(tool, "Create Shortcuts");

        if (i % everySample == everySample - 1) s.sampler.Take("windows " + std::to_string(i + 1));
    }
    std::printf("windows: viewer, slide show, About, New Page, Find, Create Shortcuts, %d times each\n", count);
}

// --- the verdict ---

struct Margin {
    double share;     // of the baseline
    long long least;  // at least this much in absolute terms
};
// Threads come and go with runs; memory moves with the heap and the thumbnail cache (bounded at
// 32 MiB of pixels); the rest are objects that a leak adds one by one.
const Margin Margins[5] = {{0.05, 10}, {0.0, 1}, {0.15, 40 * 1024}, {0.05, 10}, {0.05, 5}};

bool Report(const Sampler& sampler, size_t baselineIndex) {
    const auto& all = sampler.Samples();
    const Sample& first = all.front();
    const Sample& base = all[baselineIndex];
    const Sample& last = all.back();
    bool stable = true;
    std::printf("\n%-13s %10s %10s %10s %10s %8s  %s\n", "measure", "first", "warmed-up", "peak", "last", "margin",
                "verdict");
    for (int m = 0; m < 5; ++m) {
        long long peak = first.values[m];
        for (const Sample& s : all) peak = std::max(peak, s.values[m]);
        long long margin = std::max(Margins[m].least, static_cast<long long>(base.values[m] * Margins[m].share));
        bool known = base.values[m] >= 0 && last.values[m] >= 0;
        bool ok = known && last.values[m] <= base.values[m] + margin;
        stable = stable && ok;
        std::printf("%-13s %10lld %10lld %10lld %10lld %8lld  %s\n", MeasureNames[m], first.values[m],
                    base.values[m], peak, last.values[m], margin, !known ? "not measured" : ok ? "stable" : "GROWS");
    }
    std::printf("(first: after start-up; warmed-up: after a short round of every phase; stable: last within the "
                "margin above warmed-up)\nhow measured:");
    for (int m = 0; m < 5; ++m) std::printf("%s %s: %s", m ? ";" : "", MeasureNames[m], MeasureHow[m]);
    std::printf("\n");
    return stable;
}

}  // namespace

int main(int argc, char** argv) {
    int scale = 1, launches = -1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--launches") == 0 && i + 1 < argc) launches = std::atoi(argv[++i]);
        else scale = std::max(1, std::atoi(argv[i]));
    }
    int pageChanges = std::max(10, 1000 / scale), fileChanges = std::max(100, 10000 / scale),
        windows = std::max(2, 100 / scale);
    if (launches < 0) launches = std::max(2, 1000 / scale);
    std::printf("soak: %d page changes, %d file changes, %d launches, %d openings of each window\n", pageChanges,
                fileChanges, launches, windows);
    DWORD started = GetTickCount();

    ProgramFolder dir;
    TempFolder pictures{"soakpics"};
    MakeTree(dir, pictures.Path());
    Program app(dir.Exe(), "/admin");
    HWND main = app.WaitForWindow("TfrmMain", 60000);
    Require(main != nullptr, "the main window shows");
    Lines lines(app);
    Sampler sampler(app.Pid());
    Soak s{app, lines, MainWindow(main), sampler, dir / "shortcuts"};
    Require(WaitFor([&] { return lines.Count(Displayed) > 0; }, 60000), "the home page is shown");
    s.Settle("start");

    // A short round of everything first: what is made once and kept (caches, the system's own
    // objects of each window class) is in the baseline, not counted as growth.
    PageChanges(s, pictures.Path(), 8, true);
    FileChanges(s, dir / "template.lnk", 60);
    Launches(s, dir / "marker.txt", 2);
    Windows(s, 2);
    s.Home();
    size_t baseline = sampler.Samples().size();
    s.Settle("warmed up");

    auto phase = [&](const char* name, auto run) {
        DWORD t = GetTickCount();
        Sample before = sampler.Samples().back();
        run();
        s.Home();
        const Sample& after = s.Settle(std::string("after ") + name);
        std::printf("phase %s: %lu s; change:", name, static_cast<unsigned long>((GetTickCount() - t) / 1000));
        for (int m = 0; m < 5; ++m) std::printf(" %s %+lld", MeasureNames[m], after.values[m] - before.values[m]);
        std::printf("\n");
    };
    // The same page changes twice: first with pictures changed (new thumbnails, kept in the
    // program's bounded memory of them), then with every thumbnail from that memory, where any
    // growth is the display's own.
    phase("pages", [&] { PageChanges(s, pictures.Path(), pageChanges, true); });
    phase("pages from memory", [&] { PageChanges(s, pictures.Path(), pageChanges, false); });
    phase("files", [&] { FileChanges(s, dir / "template.lnk", fileChanges); });
    phase("launches", [&] { Launches(s, dir / "marker.txt", launches); });
    phase("windows", [&] { Windows(s, windows); });

    Require(app.Running(), "the program still runs");
    bool stable = Report(sampler, baseline);
    for (const std::string& f : faults) std::printf("soak: FAULT: %s\n", f.c_str());
    std::printf("soak: %s in %lu s\n", stable ? "stable" : "NOT STABLE",
                static_cast<unsigned long>((GetTickCount() - started) / 1000));
    app.Kill();
    return stable && faults.empty() ? 0 : 1;
}
