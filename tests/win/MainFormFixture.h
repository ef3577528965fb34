#pragma once
// The main window in-process, on a program folder of the test's own.
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "win/MainWindowView.h"
#include "framework/win/Application.h"
#include "framework/win/Debug.h"
#include "framework/win/Files.h"
#include "pages/WorkingFormUnit.h"
#include "win/WinTestMain.h"

namespace tsbtest {

using namespace tsb;

class MainFormTest : public WinTest {
protected:
    TempFolder dir{"tsbmain"};
    std::string root = dir / "shortcuts";
    std::string target = dir / "target.exe";
    std::unique_ptr<TMainWindowView> frm;
    std::vector<std::string> lines;

    void SetUp() override {
        SetProgramFolder(dir.Path());
        MakeDir(root);
        WriteFile(target, "x");
        SetDebugHook([this](const std::string& l) { lines.push_back(l); });
    }
    void TearDown() override {
        // First: a test's own hook may hold its locals, gone by now.
        SetDebugHook(nullptr);
        WorkingShown = nullptr;
        if (frm) Application().SetMainForm(nullptr);
        frm.reset();
        DoneRootFolder();
        SetProgramFolder("");
        // What the window said of itself tells why a wait ran out.
        if (HasFailure())
            for (size_t i = lines.size() > 40 ? lines.size() - 40 : 0; i < lines.size(); ++i)
                std::printf("  | %s\n", lines[i].c_str());
    }
    void Start(bool admin = false) {
        frm = std::make_unique<TMainWindowView>();
        frm->AdminMode = admin;
        Application().SetMainForm(frm.get());
        frm->ReloadAll();
    }
    void Link(const std::string& rel, const std::string& description = "", const std::string& to = "") {
        MakeLink(root + "\\" + rel, {to.empty() ? target : to, "", description, "", ""});
    }
    void Go(TRef<TFolderRecord> page) {
        frm->PostLoadPage(page);
        Application().ProcessMessages();
    }
    std::vector<TColorButton*> PageButtons() const {
        std::vector<TColorButton*> out;
        for (auto& c : frm->ScrollBox1->Controls()) out.push_back(dynamic_cast<TColorButton*>(c.get()));
        return out;
    }
    std::vector<TColorButton*> StripButtons() const {
        std::vector<TColorButton*> out;
        for (auto& c : frm->FolderPanel->Controls()) out.push_back(dynamic_cast<TColorButton*>(c.get()));
        return out;
    }
    // Keys that choose the item at this index of the popup menu open when they are read: the
    // menu's own loop takes every key of the thread's queue.
    void PostMenuChoice(int index) const {
        for (int i = 0; i <= index; ++i) PostMessageA(frm->Handle(), WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(frm->Handle(), WM_KEYDOWN, VK_RETURN, 0);
    }
    // A real right click on the button, then what queueBehind posts (read by the menu the click
    // opens), and everything handled until that menu has closed. A menu still open after 10 s
    // is ended, so a failing test can't hang.
    void RightClick(TColorButton* button, const std::function<void()>& queueBehind) {
        PostClick(button->Handle(), true);
        queueBehind();
        UINT_PTR guard = SetTimer(nullptr, 0, 10000, EndMenuAfterTimeout);
        Application().ProcessMessages();
        KillTimer(nullptr, guard);
    }
    static void CALLBACK EndMenuAfterTimeout(HWND, UINT, UINT_PTR, DWORD) { EndMenu(); }
    int Lines(const std::string& text) const {
        int n = 0;
        for (auto& l : lines) n += l == text;
        return n;
    }
};

}  // namespace tsbtest
