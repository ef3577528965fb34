#include "support/Driver.h"

#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <future>
#include <mutex>
#include <sstream>

namespace tsbtest {

// --- files ---

static std::string TempRoot() {
    char buf[MAX_PATH];
    DWORD n = GetTempPathA(MAX_PATH, buf);
    std::string s(buf, n);
    if (!s.empty() && s.back() == '\\') s.pop_back();
    return s;
}

namespace {

// Folders are removed when the process ends, not when their test does. Wine's server keeps what
// it knew of a watched tree's deeper folders after the watch ends; a folder made later that the
// file system gives one of their freed numbers is taken for it and never watched, so a later
// test's changes on disk would go unreported.
struct PendingRemovals {
    std::mutex lock;
    std::vector<std::string> paths;
    ~PendingRemovals() {
        for (const std::string& p : paths) RemoveTree(p);
    }
};

PendingRemovals& Removals() {
    static PendingRemovals removals;
    return removals;
}

}  // namespace

TempFolder::TempFolder(const std::string& tag) {
    Removals();  // made first, so ended after every folder that outlives main
    static std::atomic<int> counter{0};
    for (;;) {
        path_ = TempRoot() + "\\" + tag + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(counter++);
        if (CreateDirectoryA(path_.c_str(), nullptr)) break;
    }
}

TempFolder::~TempFolder() {
    PendingRemovals& r = Removals();
    std::lock_guard<std::mutex> hold(r.lock);
    r.paths.push_back(path_);
}

namespace {

// Wide calls: an ANSI call keeps the 260-character limit even on a "\\?\" path. A junction is
// removed itself, never what it points to (nor are its target's attributes touched).
void RemoveTreeW(const std::wstring& whole, DWORD attributes) {
    WIN32_FIND_DATAW fd;
    HANDLE h = attributes & FILE_ATTRIBUTE_REPARSE_POINT ? INVALID_HANDLE_VALUE
                                                         : FindFirstFileW((whole + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring full = whole + L"\\" + name;
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTreeW(full, fd.dwFileAttributes);
            else DeleteFileW(full.c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(whole.c_str());
}

}  // namespace

// Through "\\?\" paths: names the usual path rules change or refuse (a device's name, trailing
// dots or spaces) and paths past 260 characters are removed too, and leave nothing behind for
// later tests to trip over (the folder browser's walk fails on such leftovers).
void RemoveTree(const std::string& path) {
    std::string whole = path.rfind("\\\\", 0) == 0 ? path : "\\\\?\\" + path;
    int n = MultiByteToWideChar(CP_ACP, 0, whole.data(), static_cast<int>(whole.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, whole.data(), static_cast<int>(whole.size()), wide.data(), n);
    if (DWORD attributes = GetFileAttributesW(wide.c_str()); attributes != INVALID_FILE_ATTRIBUTES)
        RemoveTreeW(wide, attributes);
}

void WriteFile(const std::string& path, const std::string& data) {
    std::ofstream f(path, std::ios::binary);
    f << data;
}

std::string Bmp24(int w, int h, const std::function<COLORREF(int x, int y)>& pixel) {
    int stride = (w * 3 + 3) & ~3;
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + stride * h;
    ih.biSize = sizeof ih;
    ih.biWidth = w;
    ih.biHeight = h;  // bottom-up: the last row of the picture first
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    std::string out(reinterpret_cast<const char*>(&fh), sizeof fh);
    out.append(reinterpret_cast<const char*>(&ih), sizeof ih);
    std::string row(stride, '\0');
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            COLORREF c = pixel(x, y);
            row[x * 3] = static_cast<char>(GetBValue(c));
            row[x * 3 + 1] = static_cast<char>(GetGValue(c));
            row[x * 3 + 2] = static_cast<char>(GetRValue(c));
        }
        out += row;
    }
    return out;
}

std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
void MakeDir(const std::string& path) { CreateDirectoryA(path.c_str(), nullptr); }

std::vector<std::string> FilesIn(const std::string& folder, const std::string& pattern) {
    std::vector<std::string> out;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\" + pattern).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        std::string name = fd.cFileName;
        if (name != "." && name != "..") out.push_back(name);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return out;
}

std::string BuildFolder() {
    char buf[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
    std::string s(buf, n);
    return s.substr(0, s.find_last_of('\\'));
}

bool InstallMarker(const std::string& exe) {
    return CopyFileA((BuildFolder() + "\\tsb_marker.exe").c_str(), exe.c_str(), FALSE) != FALSE;
}

std::string NumberedName(const std::string& prefix, int i, int digits) {
    std::string n = std::to_string(i);
    if (static_cast<int>(n.size()) < digits) n.insert(0, static_cast<size_t>(digits) - n.size(), '0');
    return prefix + n;
}

// --- links ---

namespace {
struct Com {
    Com() { CoInitialize(nullptr); }
    ~Com() { CoUninitialize(); }
};
std::wstring Wide(const std::string& s) {
    int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, w.data(), n);
    w.pop_back();
    return w;
}
}  // namespace

void MakeLink(const std::string& linkFile, const LinkSpec& shape) {
    Com com;
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, reinterpret_cast<void**>(&link));
    link->SetPath(shape.target.c_str());
    if (!shape.arguments.empty()) link->SetArguments(shape.arguments.c_str());
    if (!shape.description.empty()) link->SetDescription(shape.description.c_str());
    if (!shape.workingDir.empty()) link->SetWorkingDirectory(shape.workingDir.c_str());
    if (!shape.iconFile.empty()) link->SetIconLocation(shape.iconFile.c_str(), shape.iconIndex);
    link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    file->Save(Wide(linkFile).c_str(), TRUE);
    file->Release();
    link->Release();
}

LinkSpec ReadLink(const std::string& linkFile) {
    Com com;
    LinkSpec shape;
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, reinterpret_cast<void**>(&link));
    link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(file->Load(Wide(linkFile).c_str(), STGM_READ))) {
        char buf[MAX_PATH] = {};
        link->GetPath(buf, MAX_PATH, nullptr, 0);
        shape.target = buf;
        buf[0] = 0;
        link->GetArguments(buf, MAX_PATH);
        shape.arguments = buf;
        buf[0] = 0;
        link->GetDescription(buf, MAX_PATH);
        shape.description = buf;
        buf[0] = 0;
        link->GetWorkingDirectory(buf, MAX_PATH);
        shape.workingDir = buf;
        buf[0] = 0;
        link->GetIconLocation(buf, MAX_PATH, &shape.iconIndex);
        shape.iconFile = buf;
    }
    file->Release();
    link->Release();
    return shape;
}

// --- windows ---

namespace {
struct Find {
    DWORD pid;
    const char* cls;
    std::vector<HWND>* out;
};
bool ClassIs(HWND w, const char* cls) {
    if (!cls) return true;
    char buf[256] = {};
    GetClassNameA(w, buf, sizeof buf);
    return lstrcmpiA(buf, cls) == 0;
}
BOOL CALLBACK CollectTop(HWND w, LPARAM lp) {
    auto* f = reinterpret_cast<Find*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == f->pid && ClassIs(w, f->cls)) f->out->push_back(w);
    return TRUE;
}
BOOL CALLBACK CollectChild(HWND w, LPARAM lp) {
    auto* f = reinterpret_cast<Find*>(lp);
    if (ClassIs(w, f->cls)) f->out->push_back(w);
    return TRUE;
}
}  // namespace

std::vector<HWND> TopWindows(DWORD pid, const char* className) {
    std::vector<HWND> out;
    Find f{pid, className, &out};
    EnumWindows(&CollectTop, reinterpret_cast<LPARAM>(&f));
    return out;
}

std::vector<HWND> WindowsOnDesktop(const char* desktop, const char* className) {
    std::vector<HWND> out;
    HDESK desk = OpenDesktopA(desktop, 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE);
    if (!desk) return out;
    Find f{0, className, &out};
    EnumDesktopWindows(desk, &CollectChild, reinterpret_cast<LPARAM>(&f));
    CloseDesktop(desk);
    return out;
}

std::vector<HWND> ChildWindows(HWND parent, const char* className) {
    std::vector<HWND> out;
    Find f{0, className, &out};
    EnumChildWindows(parent, &CollectChild, reinterpret_cast<LPARAM>(&f));
    return out;
}

HWND ChildWithText(HWND parent, const std::string& text, const char* className) {
    for (HWND c : ChildWindows(parent, className))
        if (TextOf(c) == text) return c;
    return nullptr;
}

std::string TextOf(HWND w) {
    char buf[1024] = {};
    // WM_GETTEXT crosses processes; GetWindowText would not ask another process's window.
    SendMessageTimeoutA(w, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000, nullptr);
    return buf;
}

RECT ScreenRect(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return r;
}

bool ReallyVisible(HWND w) { return IsWindowVisible(w) != FALSE; }

COLORREF ScreenPixel(int x, int y) {
    HDC dc = GetDC(nullptr);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(nullptr, dc);
    return c;
}

void PostClick(HWND w, bool right) {
    RECT r;
    GetClientRect(w, &r);
    LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
    PostMessageA(w, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, at);
    PostMessageA(w, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, at);
}

void SaveScreenshot(const std::string& name) {
    const char* dir = getenv("TSB_SCREENSHOTS");
    if (dir && *dir) SaveScreenshotFile(std::string(dir) + "\\" + name + ".bmp");
}

namespace {

// Another desktop shown and closed meanwhile leaves this one's pixels lost on the X server,
// while its windows count as painted: have everything on it painted again before reading it.
void RepaintDesktop() {
    RedrawWindow(GetDesktopWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    Sleep(500);
}

}  // namespace

RECT ScreenBoundsOf(const RECT& area, COLORREF colour, int tolerance) {
    RepaintDesktop();
    const int w = area.right - area.left, h = area.bottom - area.top;
    RECT found{0, 0, 0, 0};
    if (w <= 0 || h <= 0) return found;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bmp) {
        HGDIOBJ old = SelectObject(mem, bmp);
        BitBlt(mem, 0, 0, w, h, screen, area.left, area.top, SRCCOPY);
        GdiFlush();
        const auto* px = static_cast<const uint32_t*>(bits);  // 0x00RRGGBB
        auto within = [&](int a, int b) { return a - b <= tolerance && b - a <= tolerance; };
        bool any = false;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                uint32_t p = px[static_cast<size_t>(y) * w + x];
                if (!within(static_cast<int>(p >> 16 & 0xFF), GetRValue(colour)) ||
                    !within(static_cast<int>(p >> 8 & 0xFF), GetGValue(colour)) ||
                    !within(static_cast<int>(p & 0xFF), GetBValue(colour)))
                    continue;
                if (!any) found = {x, y, x + 1, y + 1}, any = true;
                found.left = std::min<LONG>(found.left, x), found.right = std::max<LONG>(found.right, x + 1);
                found.top = std::min<LONG>(found.top, y), found.bottom = std::max<LONG>(found.bottom, y + 1);
            }
        if (any) OffsetRect(&found, area.left, area.top);
        SelectObject(mem, old);
        DeleteObject(bmp);
    }
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return found;
}

bool SaveScreenshotFile(const std::string& file) {
    RepaintDesktop();
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool saved = false;
    if (bmp) {
        HGDIOBJ old = SelectObject(mem, bmp);
        BitBlt(mem, 0, 0, w, h, screen, 0, 0, SRCCOPY);
        GdiFlush();
        DWORD rowBytes = ((static_cast<DWORD>(w) * 3 + 3) & ~3u), size = rowBytes * static_cast<DWORD>(h);
        BITMAPFILEHEADER fh{0x4D42, static_cast<DWORD>(sizeof fh + sizeof bi.bmiHeader + size), 0, 0,
                            static_cast<DWORD>(sizeof fh + sizeof bi.bmiHeader)};
        if (FILE* f = fopen(file.c_str(), "wb")) {
            saved = fwrite(&fh, sizeof fh, 1, f) == 1 && fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f) == 1 &&
                    fwrite(bits, size, 1, f) == 1;
            saved = fclose(f) == 0 && saved;
        }
        SelectObject(mem, old);
        DeleteObject(bmp);
    }
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return saved;
}

HeldDesktop::HeldDesktop(const std::string& name, int width, int height, int timeoutMs)
    : release_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    std::promise<bool> ready;
    std::future<bool> result = ready.get_future();
    // A thread of its own (a thread that has made windows cannot change its desktop), which
    // stays on the desktop until released: a desktop nobody uses is closed.
    thread_ = std::thread([this, &ready, name, width, height, timeoutMs] {
        desk_ = CreateDesktopA(name.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr);
        if (!desk_ || !SetThreadDesktop(desk_)) {
            ready.set_value(false);
            return;
        }
        ready.set_value(WaitFor(
            [&] {
                RECT r{};
                GetWindowRect(GetDesktopWindow(), &r);
                return r.right - r.left == width && r.bottom - r.top == height &&
                       GetSystemMetrics(SM_CXSCREEN) == width && GetSystemMetrics(SM_CYSCREEN) == height;
            },
            timeoutMs));
        WaitForSingleObject(release_, INFINITE);
    });
    ready_ = result.get();
}

HeldDesktop::~HeldDesktop() {
    SetEvent(release_);
    thread_.join();  // the desktop is in use no more once its thread has gone
    if (desk_) CloseDesktop(desk_);
    CloseHandle(release_);
}

// --- the program and its debug lines ---

namespace {

// The system-wide debug-output monitor: with no debugger attached, every OutputDebugStringA
// of every process lands in one shared buffer, tagged with the writer's process id. A
// debugger would see the lines too, but debugging an emulated 32-bit process loses them, and
// this channel works the same for every build.
class DebugMonitor {
public:
    static DebugMonitor& Instance() {
        static DebugMonitor* monitor = new DebugMonitor;  // lives as long as the driver
        return *monitor;
    }
    void Add(DWORD pid, Program* p) {
        std::lock_guard<std::mutex> l(lock_);
        listeners_.emplace_back(pid, p);
    }
    void Remove(Program* p) {
        std::lock_guard<std::mutex> l(lock_);
        std::erase_if(listeners_, [&](const auto& e) { return e.second == p; });
    }
    bool Ready() const { return thread_.joinable(); }

private:
    DebugMonitor() {
        mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, "DBWIN_BUFFER");
        bufferReady_ = CreateEventA(nullptr, FALSE, FALSE, "DBWIN_BUFFER_READY");
        dataReady_ = CreateEventA(nullptr, FALSE, FALSE, "DBWIN_DATA_READY");
        if (!mapping_ || !bufferReady_ || !dataReady_) return;
        view_ = static_cast<const char*>(MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 4096));
        if (view_) thread_ = std::thread(&DebugMonitor::Loop, this);
    }
    void Loop() {
        for (;;) {
            SetEvent(bufferReady_);
            if (WaitForSingleObject(dataReady_, INFINITE) != WAIT_OBJECT_0) return;
            DWORD pid;
            memcpy(&pid, view_, sizeof pid);
            std::string text(view_ + sizeof pid, strnlen(view_ + sizeof pid, 4096 - sizeof pid));
            while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
            std::lock_guard<std::mutex> l(lock_);
            for (auto& [who, program] : listeners_)
                if (who == pid) program->AddLine(text);
        }
    }
    HANDLE mapping_ = nullptr, bufferReady_ = nullptr, dataReady_ = nullptr;
    const char* view_ = nullptr;
    std::thread thread_;
    std::mutex lock_;
    std::vector<std::pair<DWORD, Program*>> listeners_;
};

}  // namespace

Program::Program(const std::string& exe, const std::string& args, const std::string& desktop) {
    DebugMonitor& monitor = DebugMonitor::Instance();
    if (!monitor.Ready()) return;
    std::string dir = exe.substr(0, exe.find_last_of('\\'));
    std::string cmd = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
    std::string desk = desktop;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (!desk.empty()) si.lpDesktop = desk.data();
    PROCESS_INFORMATION pi{};
    // Suspended until it is listened to, so that no early line is missed.
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, dir.c_str(), &si,
                        &pi))
        return;
    pid_ = pi.dwProcessId;
    process_ = pi.hProcess;
    monitor.Add(pid_, this);
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);
}

Program::~Program() {
    Kill();
    DebugMonitor::Instance().Remove(this);
    if (process_) CloseHandle(process_);
}

void Program::AddLine(const std::string& line) {
    std::lock_guard<std::mutex> l(lock_);
    lines_.push_back(line);
}

std::vector<std::string> Program::Lines() {
    std::lock_guard<std::mutex> l(lock_);
    return lines_;
}

std::vector<std::string> Program::LinesFrom(size_t first) {
    std::lock_guard<std::mutex> l(lock_);
    if (first >= lines_.size()) return {};
    return {lines_.begin() + static_cast<std::ptrdiff_t>(first), lines_.end()};
}

int Program::CountLines(const std::string& text) {
    int n = 0;
    for (const auto& line : Lines())
        if (line.find(text) != std::string::npos) ++n;
    return n;
}

bool Program::WaitForLine(const std::string& text, int timeoutMs) {
    return WaitFor([&] { return CountLines(text) > 0; }, timeoutMs);
}

HWND Program::WaitForWindow(const char* className, int timeoutMs) {
    HWND found = nullptr;
    WaitFor(
        [&] {
            for (HWND w : TopWindows(pid_, className))
                if (IsWindowVisible(w)) return (found = w) != nullptr;
            return false;
        },
        timeoutMs);
    return found;
}

bool Program::Running() { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

bool Program::WaitForExit(int timeoutMs) {
    return !process_ || WaitForSingleObject(process_, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0;
}

void Program::Kill() {
    if (Running()) TerminateProcess(process_, 1);
    WaitForExit(10000);
}

ProgramFolder::ProgramFolder() : dir_("tsbprog") {
    CopyFileA((BuildFolder() + "\\Tessaboard.exe").c_str(), Exe().c_str(), FALSE);
}

}  // namespace tsbtest
