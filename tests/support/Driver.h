#pragma once
// Test support: temporary folders, shell links, and a driver that runs the real program as a
// debuggee (so every "TSB: " line it writes is read) and inspects its windows from outside.
#include <windows.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tsbtest {

// A fresh folder under the temporary folder, removed with everything in it when the process ends.
class TempFolder {
public:
    explicit TempFolder(const std::string& tag = "tsb");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path_; }  // no trailing separator
    std::string operator/(const std::string& rel) const { return path_ + "\\" + rel; }

private:
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& data);
std::string ReadFile(const std::string& path);
// A 24-bit bitmap file of w x h whose pixel at x, y (from the top left) is pixel(x, y).
std::string Bmp24(int w, int h, const std::function<COLORREF(int x, int y)>& pixel);
bool Exists(const std::string& path);
void MakeDir(const std::string& path);
void RemoveTree(const std::string& path);
std::vector<std::string> FilesIn(const std::string& folder, const std::string& pattern = "*");
std::string BuildFolder();  // the folder of the running test program, the program's and its helpers'
// The marker program copied to exe: started, it adds its arguments and working folder to
// marker.txt beside itself. False when the copy failed.
bool InstallMarker(const std::string& exe);
// prefix and i in at least digits digits ("s", 7, 4: "s0007"): names that sort as they count.
std::string NumberedName(const std::string& prefix, int i, int digits);

struct LinkSpec {
    std::string target, arguments, description, workingDir, iconFile;
    int iconIndex = 0;
};
void MakeLink(const std::string& linkFile, const LinkSpec& shape);  // through the shell's link object
LinkSpec ReadLink(const std::string& linkFile);

// Windows of another process.
std::vector<HWND> TopWindows(DWORD pid, const char* className = nullptr);
std::vector<HWND> WindowsOnDesktop(const char* desktop, const char* className);
std::vector<HWND> ChildWindows(HWND parent, const char* className = nullptr);
std::string TextOf(HWND w);
// The first child (of that class, when one is given) whose text is text.
HWND ChildWithText(HWND parent, const std::string& text, const char* className = nullptr);
RECT ScreenRect(HWND w);
bool ReallyVisible(HWND w);  // visible, and every ancestor too
COLORREF ScreenPixel(int x, int y);
// The smallest rectangle of the screen area holding every pixel near colour (each channel
// within tolerance); empty when none is. Everything is painted again first, as for screenshots.
RECT ScreenBoundsOf(const RECT& area, COLORREF colour, int tolerance = 60);
void PostClick(HWND w, bool right = false);
void SaveScreenshot(const std::string& name);  // into TSB_SCREENSHOTS, when set
bool SaveScreenshotFile(const std::string& file);  // the whole screen as a 24-bit BMP

// Waits until pred() holds or the time is up; returns pred().
template <class Pred>
bool WaitFor(Pred pred, int timeoutMs = 20000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) return pred();
        Sleep(20);
    }
    return true;
}

// Makes the named desktop (a virtual desktop whose size the Wine prefix sets) and holds it
// until destroyed, so that a program started on it meanwhile sees its screen from its first
// call rather than racing the desktop's own start. Ready(): the screen has the size asked for.
class HeldDesktop {
public:
    HeldDesktop(const std::string& name, int width, int height, int timeoutMs = 30000);
    ~HeldDesktop();
    HeldDesktop(const HeldDesktop&) = delete;
    HeldDesktop& operator=(const HeldDesktop&) = delete;
    bool Ready() const { return ready_; }

private:
    std::thread thread_;
    HANDLE release_;
    HDESK desk_ = nullptr;
    bool ready_ = false;
};

class Program {
public:
    // Starts exe (with arguments) in its folder, on the named desktop (whose size is the
    // program's screen) or on the driver's own, and collects its debug-output lines (cut at
    // about 4 000 characters, as the system's monitor buffer holds).
    explicit Program(const std::string& exe, const std::string& args = "", const std::string& desktop = "");
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    DWORD Pid() const { return pid_; }
    std::vector<std::string> Lines();
    std::vector<std::string> LinesFrom(size_t first);  // the lines after the first `first`
    bool WaitForLine(const std::string& text, int timeoutMs = 30000);  // a line containing text
    int CountLines(const std::string& text);
    HWND WaitForWindow(const char* className, int timeoutMs = 30000);
    bool Running();
    bool WaitForExit(int timeoutMs = 10000);
    void Kill();
    void AddLine(const std::string& line);  // from the debug-output monitor

private:
    std::mutex lock_;
    std::vector<std::string> lines_;
    DWORD pid_ = 0;
    HANDLE process_ = nullptr;
};

// The program copied into a fresh program folder, ready to start.
class ProgramFolder {
public:
    ProgramFolder();
    const std::string& Path() const { return dir_.Path(); }
    std::string operator/(const std::string& rel) const { return dir_ / rel; }
    std::string Exe() const { return dir_ / "Tessaboard.exe"; }

private:
    TempFolder dir_;
};

}  // namespace tsbtest
