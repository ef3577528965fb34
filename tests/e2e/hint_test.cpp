// A button's hint end to end: the real pointer rests on a shortcut button until its tooltip has
// come (the tooltip subclasses the button), and the button is still the menu's own: a screen
// reader reads it as the push button it is, and the arrow keys move the focus on from it.
#include <gtest/gtest.h>

#include <string>

#include "framework/core/ScopeExit.h"
#include "framework/win/ScopedWin.h"
#include "support/Accessible.h"
#include "support/Driver.h"
#include "support/Keys.h"
#include "support/MainWindow.h"
#include "support/Walk.h"

using namespace tsbtest;

namespace {

bool TipShown(DWORD pid) {
    for (HWND tip : TopWindows(pid, "tooltips_class32"))
        if (IsWindowVisible(tip)) return true;
    return false;
}

}  // namespace

TEST(Hint, AButtonWhoseTooltipHasComeIsStillReadAsItsButtonAndTheArrowsMoveOnFromIt) {
    tsb::CoInitGuard com;
    ProgramFolder dir;
    std::string root = dir / "shortcuts", target = dir / "target.txt";
    MakeDir(root);
    WriteFile(target, "x");
    MakeLink(root + "\\mail.lnk", {target, "", "Mail", "", ""});  // the description: caption and hint
    MakeLink(root + "\\news.lnk", {target, "", "News", "", ""});

    Program program(dir.Exe());
    tsb::ScopeExit dump([&] { DumpLinesOnFailure(program); });
    Displays displays(program);
    HWND main = FirstDisplay(program, displays);
    ASSERT_TRUE(main);
    MainWindow w(main);
    HWND mail = w.ButtonByCaption("Mail"), news = w.ButtonByCaption("News");
    ASSERT_TRUE(mail);
    ASSERT_TRUE(news);
    ASSERT_EQ(Read(mail).role, ROLE_SYSTEM_PUSHBUTTON) << "read as a push button before the pointer came";

    // Into the page by the keyboard, then the pointer to rest on the button with the focus.
    SetForegroundWindow(main);
    PressKeys(main, {VK_HOME});
    ASSERT_TRUE(WaitFor([&] { return FocusOf(main) == mail; }, 5000)) << "the focus on Mail";
    RECT r = ScreenRect(mail);
    const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    ASSERT_EQ(WindowFromPoint(POINT{x, y}), mail);
    ASSERT_TRUE(MouseAt(x, y));
    ASSERT_TRUE(PointerReaches(x, y));
    ASSERT_TRUE(WaitFor([&] { return TipShown(program.Pid()); }, 2000)) << "the tooltip came within 2 s";

    ReadOut read = Read(mail);
    ASSERT_EQ(read.found, S_OK);
    EXPECT_EQ(read.role, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(read.name, L"Mail");
    PressKeys(main, {VK_RIGHT});
    EXPECT_TRUE(WaitFor([&] { return FocusOf(main) == news; }, 5000))
        << "Right moves on to News, not to \"" << TextOf(FocusOf(main)) << "\"";
}
