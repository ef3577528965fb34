#pragma once
// What a walk through the running program needs: real keys and clicks from the input queue,
// the popup menu it has open, the end of its page displays, and the files it may have changed.
#include <string>
#include <vector>

#include "support/Driver.h"
#include "support/Keys.h"
#include "support/MainWindow.h"

namespace tsbtest {

// A click of the real mouse at the middle of w (which is brought to the front first).
void MouseClick(HWND w, bool right = false);

// The popup menu window that the program has open, or none.
HWND OpenMenu(DWORD pid);
// The items of an open popup menu, read inside the program (see tools/menuprobe.cpp): one line
// each, "Find\tCtrl+F", "-" for a separator, sub-menu items after their parent with "> " before
// them, and " (checked)" or " (disabled)" after those so marked.
std::vector<std::string> MenuItems(HWND menuWindow);
// Opens the main context menu with a right click on the page area around the buttons.
HWND RightClickMenu(Program& app, MainWindow& w);
void CloseMenu(Program& app, HWND menu);

// Page displays: the menu and its keys are refused while one runs, so a step that sets one off
// waits for its end before the next command. Mark() before the step; Done() once a display
// begun since has ended and none other is under way.
class Displays {
public:
    explicit Displays(Program& app) : app_(app) {}
    void Mark() { mark_ = Count("TSB: TfrmMain.GetImageThumbnails"); }
    bool Done();

private:
    int Count(const std::string& line);
    Program& app_;
    int mark_ = 0;
};

// The main window once the start-up display has ended, or none.
HWND FirstDisplay(Program& app, Displays& display);
// The program's debug lines, shown when the test has failed.
void DumpLinesOnFailure(Program& app);

// A visible top-level window of the program with this class and caption.
HWND TopWindow(Program& app, const char* className, const std::string& caption);
HWND WaitForTopWindow(Program& app, const char* className, const std::string& caption, int timeoutMs = 10000);
bool Gone(HWND w);

// Every file and folder under root but the configuration file, with its size and last write
// time: what a change on disk would show in.
std::vector<std::string> Listing(const std::string& root, const std::string& rel = "");

}  // namespace tsbtest
