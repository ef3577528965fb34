#pragma once
// Reads the main window of a running program from outside, as a screen reader would.
#include <string>
#include <vector>

#include "support/Driver.h"

namespace tsbtest {

class MainWindow {
public:
    explicit MainWindow(HWND main) : main_(main) {}
    HWND Handle() const { return main_; }
    HWND ScrollBox() const;
    HWND FolderPanel() const;  // the nav strip's scrolled panel
    HWND HomeButton() const { return ButtonByCaption("Home"); }
    HWND BackButton() const { return ButtonByCaption("Back"); }
    HWND PageTitle() const;
    std::vector<HWND> PageButtons() const;   // buttons in the page area, in creation order
    std::vector<HWND> StripButtons() const;  // sub-page buttons of the nav strip
    std::vector<std::string> ShortcutCaptions() const;
    HWND ButtonByCaption(const std::string& caption) const;
    bool HasLabel(const std::string& text) const;
    RECT RectInScrollBox(HWND button) const;

private:
    HWND main_;
};

}  // namespace tsbtest
