// The tree changing on disk while a button's handler runs a loop of its own (its menu, a
// launch's wait), and changes the monitor could not report: the page on show must end
// up matching the disk, and nothing may act on a button or record that has gone.
#include <atomic>

#include "framework/core/Text.h"
#include "win/LambdaThread.h"
#include "win/MainFormFixture.h"
#include "win/ModalScript.h"
#include "win/ProcessCounts.h"

using namespace tsb;
using namespace tsbtest;

namespace {

class NestedTest : public MainFormTest {
protected:
    std::vector<std::string> Captions() const {
        std::vector<std::string> out;
        for (TColorButton* b : PageButtons()) out.push_back(b->Caption());
        return out;
    }
    bool Follows(const std::function<bool()>& pred) { return PumpUntil(pred, 10000); }
    // Started, and the notifications of the start (the configuration touched) handled.
    void StartSettled(bool admin = false) {
        Start(admin);
        ASSERT_TRUE(Follows([&] { return !frm->ChangeTimer.Enabled(); }));
        Application().ProcessMessages();
    }
    // Debug lines as the fixture keeps them, and then for each.
    void OnLine(std::function<void(const std::string&)> then) {
        SetDebugHook([this, then](const std::string& l) {
            lines.push_back(l);
            then(l);
        });
    }
};

}  // namespace

// The link is deleted on disk while its menu is open; the change timer rebuilds the page inside
// the menu's loop. "Delete" then acts on the path the menu was opened on (gone: nothing), never on
// the record that took the freed one's place.
TEST_F(NestedTest, ALinkDeletedWhileItsMenuIsOpenLeavesTheMenuActingOnItsPath) {
    Link("a.lnk", "Alpha");
    Link("b.lnk", "Beta");
    StartSettled(true);
    TColorButton* alpha = PageButtons().at(0);
    ASSERT_EQ(alpha->Caption(), "Alpha");
    TObjectRef record = alpha->Tag();
    HWND alphaWindow = alpha->Handle();
    bool deleted = false, rebuilt = false, chosen = false, alphaAliveAtChoice = false;
    OnLine([&](const std::string& l) {
        if (deleted && l == "TSB: TfrmMain.LoadCurrentPage") rebuilt = true;
        if (rebuilt && !chosen && l == "TSB: TfrmMain.GetImageThumbnails") {
            alphaAliveAtChoice = IsWindow(alphaWindow) != FALSE;
            PostMenuChoice(1);  // "&Delete"
            chosen = true;
        }
    });
    // Deleted from inside the menu's loop, once the menu is open.
    ModalScript script(
        [&] {
            if (!::FindWindowA("#32768", nullptr)) return true;
            deleted = DeleteFileA((root + "\\a.lnk").c_str()) != FALSE;
            return false;
        },
        [] { EndMenu(); });
    RightClick(alpha, [] {});
    ASSERT_TRUE(deleted);
    EXPECT_TRUE(chosen) << "the page was rebuilt while the menu was open";
    EXPECT_TRUE(alphaAliveAtChoice) << "the button whose handler runs the menu outlives the rebuild";
    EXPECT_EQ(record.Get(), nullptr) << "its record went with the file";
    EXPECT_TRUE(Exists(root + "\\b.lnk")) << "Delete reached the record in the freed one's place";
    ASSERT_TRUE(Follows([&] { return !frm->ChangeTimer.Enabled(); }));
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Beta"}));
}

// The worker is held in a hand-over while more changes are made than its buffer holds: that read
// reports none of them, and the link made among them is shown all the same.
TEST_F(NestedTest, ALinkLostInAnOverflowIsShown) {
    // In the page's own folder: Wine's records from deeper folders come and go in a long run.
    Link("first.lnk", "First");
    StartSettled();
    auto change = frm->FolderMonitor->OnChange;
    bool flooded = false;
    frm->FolderMonitor->OnChange = [&](TFolderMon* m, const TFolderItemInfo& c) {
        if (!flooded && c.FileName == "shortcuts\\trigger") {
            flooded = true;
            for (int i = 0; i < 1100; ++i)
                WriteFile(root + "\\a-long-name-that-fills-the-buffer-soon-" + std::to_string(i), "");
            Link("lost.lnk", "Lost");
        }
        change(m, c);
    };
    WriteFile(root + "\\trigger", "");
    ASSERT_TRUE(Follows([&] { return flooded; }));
    EXPECT_TRUE(Follows([&] { return Captions() == std::vector<std::string>{"First", "Lost"}; }));
}

// Two clicks made while a launch waits would start the target twice more; they are dropped,
// and a key that launches nothing is kept.
TEST_F(NestedTest, ClicksDuringTheLaunchWaitStartTheTargetOnce) {
    std::string app = dir / "app";
    MakeDir(app);
    InstallMarker(app + "\\marker.exe");
    MakeLink(root + "\\run.lnk", {app + "\\marker.exe", "", "Run", app, ""});
    std::string marker = app + "\\marker.txt";
    StartSettled();
    TColorButton* button = PageButtons().at(0);
    HWND window = button->Handle();
    int clicks = 0, launches = 0;
    bool keyKept = false;
    button->OnClick = [&](TControl* sender) {
        ++clicks;
        frm->ButtonClick(sender);
        MSG m;
        keyKept = PeekMessageA(&m, window, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE) && m.wParam == VK_F5;
    };
    WorkingShown = [&](const std::string&) { ++launches; };  // a launch shows the indicator first
    std::atomic<bool> posted = false;
    TLambdaThread impatient([&](TLambdaThread& self) {
        // The target has started: the launch is in its wait.
        while (!Exists(marker))
            if (!self.SleepUnlessTerminated(20)) return;
        PostClick(window);
        PostMessageA(window, WM_KEYDOWN, VK_F5, 0);
        PostClick(window);
        PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
        PostMessageA(window, WM_KEYUP, VK_SPACE, 0);
        posted = true;
    });
    impatient.Start();
    PostClick(window);
    Application().ProcessMessages();
    impatient.Terminate();
    impatient.WaitFor();
    ASSERT_TRUE(posted) << "the target did not start within the wait";
    EXPECT_EQ(launches, 1);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(keyKept) << "a key that launches nothing was dropped";
}
