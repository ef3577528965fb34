// The main window's start-up message and its full reload, in-process on a program folder of
// the test's own.
#include <algorithm>

#include "win/MainWindowView.h"
#include "framework/win/Application.h"
#include "framework/win/Debug.h"
#include "framework/win/Errors.h"
#include "framework/win/Files.h"
#include "framework/win/Messages.h"
#include "framework/win/ScopedWin.h"
#include "pages/WorkingFormUnit.h"
#include "win/WinTestMain.h"

using namespace tsb;
using namespace tsbtest;

class StartupTest : public WinTest {
protected:
    TempFolder dir{"tsbstart"};
    std::unique_ptr<TMainWindowView> frm;
    std::vector<std::string> lines, errors;

    void SetUp() override {
        SetProgramFolder(dir.Path());
        MakeDir(dir / "shortcuts");
        SetDebugHook([this](const std::string& l) { lines.push_back(l); });
        Application().OnException = [this](const std::string& m) { errors.push_back(m); };
    }
    void TearDown() override {
        SetDebugHook(nullptr);
        Application().OnIdle = nullptr;
        Application().OnException = [](const std::string& m) { ADD_FAILURE() << "error box: " << m; };
        if (frm) Application().SetMainForm(nullptr);
        frm.reset();
        DoneRootFolder();
        SetProgramFolder("");
    }
    int Lines(const std::string& text) const { return static_cast<int>(std::count(lines.begin(), lines.end(), text)); }
    void WriteConfig(const std::string& options) { WriteFile(dir / "Tessaboard.ini", "[options]\r\n" + options); }
};

TEST_F(StartupTest, StartupMessageIsHandledOnce) {
    frm = std::make_unique<TMainWindowView>();
    Application().SetMainForm(frm.get());
    frm->ShowForm();  // the first showing posts WM_STARTUP
    Application().ProcessMessages();
    EXPECT_EQ(Lines("TSB: TfrmMain.LoadConfig"), 1);
    EXPECT_TRUE(Application().OnIdle) << "outside administrator mode the idle return home is installed";
    EXPECT_TRUE(frm->FolderMonitor->Active());

    frm->Hide();
    frm->ShowForm();  // a later showing posts nothing
    PostMessageA(frm->Handle(), WM_STARTUP, 0, 0);  // and a stray message loads nothing
    Application().ProcessMessages();
    EXPECT_EQ(Lines("TSB: TfrmMain.LoadConfig"), 1);
    EXPECT_EQ(Lines("TSB: TfrmMain.TouchIniFile"), 1);
    EXPECT_TRUE(errors.empty());
}

// A logo of a registered type that cannot be read: the error box once, the indicator gone and the
// monitor back on; later reloads of an unchanged file say nothing and apply the rest; a new
// version of the file is tried (and reported) again.
TEST_F(StartupTest, UnreadableLogoIsReportedOnceUntilTheFileChanges) {
    std::string logo = dir / "logo.bmp";
    WriteFile(logo, "not a bitmap");
    WriteConfig("logo=logo.bmp\r\ntitle=First\r\n");
    frm = std::make_unique<TMainWindowView>();
    Application().SetMainForm(frm.get());

    EXPECT_THROW(frm->ReloadAll(), EError);
    EXPECT_FALSE(frmWorking) << "the indicator is hidden on the way out";
    EXPECT_TRUE(frm->FolderMonitor->Active()) << "the monitor is back on";
    EXPECT_EQ(frm->lblTitle->Caption(), "First");

    frm->FolderMonitor->Deactivate();  // no record of the save comes during the read below
    WriteConfig("logo=logo.bmp\r\ntitle=Second\r\n");
    frm->ConfigChanged = true;
    EXPECT_NO_THROW(frm->LoadConfig());
    EXPECT_EQ(frm->lblTitle->Caption(), "Second");
    EXPECT_FALSE(frm->ConfigChanged) << "the whole configuration was read";
    EXPECT_NO_THROW(frm->ReloadAll());

    WriteFile(logo, "still not a bitmap, but another file");
    EXPECT_THROW(frm->LoadConfig(), EError);
    EXPECT_NO_THROW(frm->LoadConfig());
    EXPECT_TRUE(errors.empty()) << "the errors went to the callers";
}

// A configuration file that cannot be read ends the reload with its error, and the monitor is
// back on all the same: the menu still follows the disk.
TEST_F(StartupTest, AReloadWhoseFileCannotBeReadLeavesTheMonitorOn) {
    WriteConfig("title=Locked\r\n");
    frm = std::make_unique<TMainWindowView>();
    Application().SetMainForm(frm.get());
    {
        unique_file held(CreateFileA((dir / "Tessaboard.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        EXPECT_ANY_THROW(frm->ReloadAll());
    }
    EXPECT_TRUE(frm->FolderMonitor->Active());
    EXPECT_FALSE(frmWorking);
}
