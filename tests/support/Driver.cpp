#include "support/Driver.h"

#include <objbase.h>
#include <shlobj.h>

#include <atomic>
#include <cstdio>
#include <fstream>
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

TempFolder::TempFolder(const std::string& tag) {
    static std::atomic<int> counter{0};
    for (;;) {
        path_ = TempRoot() + "\\" + tag + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(counter++);
        if (CreateDirectoryA(path_.c_str(), nullptr)) break;
    }
}

TempFolder::~TempFolder() { RemoveTree(path_); }

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = path + "\\" + name;
            SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(full);
            else DeleteFileA(full.c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(path.c_str());
}

void WriteFile(const std::string& path, const std::string& data) {
    std::ofstream f(path, std::ios::binary);
    f << data;
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
    if (!dir || !*dir) return;
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    GdiFlush();
    DWORD rowBytes = ((static_cast<DWORD>(w) * 3 + 3) & ~3u), size = rowBytes * static_cast<DWORD>(h);
    BITMAPFILEHEADER fh{0x4D42, static_cast<DWORD>(sizeof fh + sizeof bi.bmiHeader + size), 0, 0,
                        static_cast<DWORD>(sizeof fh + sizeof bi.bmiHeader)};
    std::string out = std::string(dir) + "\\" + name + ".bmp";
    if (FILE* f = fopen(out.c_str(), "wb")) {
        fwrite(&fh, sizeof fh, 1, f);
        fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f);
        fwrite(bits, size, 1, f);
        fclose(f);
    }
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
}

// --- the program as a debuggee ---

Program::Program(const std::string& exe, const std::string& args, const std::string& desktop) {
    std::string dir = exe.substr(0, exe.find_last_of('\\'));
    std::string cmd = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
    thread_ = std::thread(&Program::DebugLoop, this, cmd, dir, desktop);
    std::unique_lock<std::mutex> l(lock_);
    started_.wait(l, [&] { return pid_ != 0 || done_; });
}

Program::~Program() {
    Kill();
    if (thread_.joinable()) thread_.join();
}

void Program::DebugLoop(std::string cmd, std::string dir, std::string desktop) {
    // The debugger must be the thread that started the process.
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (!desktop.empty()) si.lpDesktop = desktop.data();
    PROCESS_INFORMATION pi{};
    BOOL ok = CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr,
                             dir.c_str(), &si, &pi);
    {
        std::lock_guard<std::mutex> l(lock_);
        if (ok) {
            pid_ = pi.dwProcessId;
            process_ = pi.hProcess;
            CloseHandle(pi.hThread);
        } else {
            done_ = exited_ = true;
        }
    }
    started_.notify_all();
    if (!ok) return;
    DEBUG_EVENT ev;
    bool firstBreak = true;
    while (WaitForDebugEvent(&ev, INFINITE)) {
        DWORD status = DBG_CONTINUE;
        switch (ev.dwDebugEventCode) {
            case OUTPUT_DEBUG_STRING_EVENT: {
                const auto& s = ev.u.DebugString;
                std::string text(s.nDebugStringLength, '\0');
                SIZE_T got = 0;
                if (!s.fUnicode)
                    ReadProcessMemory(process_, s.lpDebugStringData, text.data(), text.size(), &got);
                text.resize(got);
                while (!text.empty() && (text.back() == '\0' || text.back() == '\n')) text.pop_back();
                std::lock_guard<std::mutex> l(lock_);
                lines_.push_back(text);
                break;
            }
            case CREATE_PROCESS_DEBUG_EVENT:
                if (ev.u.CreateProcessInfo.hFile) CloseHandle(ev.u.CreateProcessInfo.hFile);
                break;
            case LOAD_DLL_DEBUG_EVENT:
                if (ev.u.LoadDll.hFile) CloseHandle(ev.u.LoadDll.hFile);
                break;
            case EXCEPTION_DEBUG_EVENT:
                if (ev.u.Exception.ExceptionRecord.ExceptionCode == EXCEPTION_BREAKPOINT && firstBreak) firstBreak = false;
                else status = DBG_EXCEPTION_NOT_HANDLED;
                break;
            default:
                break;
        }
        bool exit = ev.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT;
        ContinueDebugEvent(ev.dwProcessId, ev.dwThreadId, status);
        if (exit) break;
    }
    std::lock_guard<std::mutex> l(lock_);
    done_ = exited_ = true;
}

std::vector<std::string> Program::Lines() {
    std::lock_guard<std::mutex> l(lock_);
    return lines_;
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

bool Program::Running() {
    std::lock_guard<std::mutex> l(lock_);
    return !exited_;
}

bool Program::WaitForExit(int timeoutMs) { return WaitFor([&] { return !Running(); }, timeoutMs); }

void Program::Kill() {
    HANDLE p;
    {
        std::lock_guard<std::mutex> l(lock_);
        p = exited_ ? nullptr : process_;
    }
    if (p) TerminateProcess(p, 1);
    WaitForExit(10000);
    std::lock_guard<std::mutex> l(lock_);
    if (process_) {
        CloseHandle(process_);
        process_ = nullptr;
    }
}

ProgramFolder::ProgramFolder() : dir_("tsbprog") {
    CopyFileA((BuildFolder() + "\\Tessaboard.exe").c_str(), Exe().c_str(), FALSE);
}

}  // namespace tsbtest
