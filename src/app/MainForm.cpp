#include "app/MainForm.h"

#include "about/SplashFormUnit.h"
#include "controls/MenuButtons.h"
#include "framework/core/ScopeExit.h"
#include "framework/core/Text.h"
#include "framework/win/Application.h"
#include "framework/win/Convert.h"
#include "framework/win/Debug.h"
#include "framework/win/Files.h"
#include "framework/win/Messages.h"
#include "pages/WorkingFormUnit.h"

namespace tsb {

TfrmMain::TfrmMain()
    : TForm({.className = "TfrmMain", .clientWidth = 868, .clientHeight = 658, .caption = "Tessaboard",
             .color = MainWindowColor, .font = TFont::Pixels("MS Sans Serif", 16)}) {
    BuildLayout();
    BuildMenu();
    OnShow = [this](TControl* s) { FormShow(s); };
    OnCloseQuery = [this] { FormClose(); };
    KeyPreview = true;
    OnKeyDown = [this](TShortCut key) { return FormKeyDown(key); };
    FormCreate();
}

TfrmMain::~TfrmMain() {
    Application().OnIdle = nullptr;  // the idle handler reaches into this window
    FindDialog1.CloseDialog();       // it reports its end to this window, while it still can
    // Closing stops the thumbnail run; a window destroyed without closing stops it here, before
    // the buttons it hands its pictures to go.
    try {
        StopThumbnails();
    } catch (...) {
        Log("TfrmMain destroyed: the thumbnail run could not be stopped");
    }
}

// The fixed layout, as designed (pixels at 96 dots per inch).
void TfrmMain::BuildLayout() {
    using enum TAlign;
    const TBevelCut flat = TBevelCut::bvNone;
    pnlHeader = Add<TPanel>({.place = {0, 0, 868, 143}, .align = alTop});
    pnlImage = pnlHeader->Add<TPanel>({.place = {1, 1, 240, 141}, .align = alLeft}, flat);
    Image1 = pnlImage->Add<TImage>({.place = {5, 5, 230, 131}, .anchors = akAll});
    Panel1 = pnlHeader->Add<TPanel>({.place = {241, 1, 626, 141}, .align = alClient}, flat);
    lblTitle = Panel1->Add<TLabel>({.place = {0, 6, 626, 102}, .anchors = akAll,
                                    .font = TFont::Pixels("Times New Roman", 43)},
                                   "Tessaboard", TTextAlign::taCenter, true);
    lblSubtitle = Panel1->Add<TLabel>({.place = {0, 113, 626, 23}, .anchors = akAll,
                                       .font = TFont::Pixels("Verdana", 19)},
                                      "Click the first button to open the configuration.", TTextAlign::taCenter);
    redHeader = Panel1->Add<TRichEdit>(
        {.place = {3, 4, 614, 132}, .anchors = akAll, .visible = false, .enabled = false});

    pnlNav = Add<TPanel>({.place = {0, 143, 868, 65}, .align = alTop, .color = NavBarColor}, flat);
    TFont titleFont = TFont::Pixels("MS Sans Serif", 16, true);
    titleFont.color = SysColor(COLOR_3DLIGHT);
    PageTitlePanel = pnlNav->Add<TPanel>({.place = {0, 0, 868, 22}, .align = alTop, .font = titleFont}, flat);
    PageTitlePanel->SetCaption("Home Page");
    NavPanel = pnlNav->Add<TPanel>({.place = {0, 22, 868, 43}, .align = alClient,
                                    .font = TFont::Pixels("MS Sans Serif", 13)}, flat);
    HomePanel = NavPanel->Add<TPanel>({.place = {0, 0, 178, 43}, .align = alLeft}, flat);
    PageScroller1 = NavPanel->Add<TPageScroller>({.place = {178, 0, 690, 43}, .align = alClient});
    FolderPanel = PageScroller1->Add<TPageStrip>({.place = {0, 0, 690, 43}});
    PageScroller1->SetChild(FolderPanel);

    pnlFooter = Add<TPanel>({.place = {0, 633, 868, 25}, .align = alBottom, .color = NavBarColor}, flat);
    lblFooter = pnlFooter->Add<TLabel>({.place = {448, 6, 414, 13}, .anchors = akTop | akRight,
                                        .font = TFont::Pixels("MS Sans Serif", 11)},
                                       "tessaboard.example.org", TTextAlign::taRight);

    ButtonPanel = Add<TPanel>({.place = {0, 208, 868, 425}, .align = alClient});
    pnlPageHeader = ButtonPanel->Add<TPanel>({.place = {1, 1, 866, 90}, .align = alTop}, flat);
    redPageHeader = pnlPageHeader->Add<TRichEdit>({.place = {48, 5, 769, 85}, .anchors = akAll, .enabled = false});
    ScrollBox1 = ButtonPanel->Add<TScrollBox>({.place = {1, 91, 866, 333}, .align = alClient,
                                               .font = TFont::Pixels("MS Sans Serif", 16)});
    ScrollBox1->OnMouseWheel = [this](TControl* s, TShiftState sh, int delta, POINT at, bool& handled) {
        ScrollBox1MouseWheel(s, sh, delta, at, handled);
    };

    ButtonPopupMenu.Add("&Properties", [this](TControl* s) { Edit1Click(s); });
    ButtonPopupMenu.Add("&Delete", [this](TControl* s) { Delete1Click(s); });
    FolderPopupMenu.Add("Open Folder", [this](TControl* s) { OpenFolder1Click(s); });
    FolderPopupMenu.Add("Delete", [this](TControl* s) { DeleteFolder1Click(s); });
}

void TfrmMain::FormCreate() {
    HideTaskBarButton();
    HomeButton = MakeNavButton({.parent = HomePanel, .font = HomePanel->Font(), .width = 75,
                                .hint = "Return to first page", .caption = "Home", .top = 2, .left = 10,
                                .onClick = [this](TControl* s) { HomeButtonClick(s); }});
    BackButton = MakeNavButton({.parent = HomePanel, .font = HomePanel->Font(), .width = 75,
                                .hint = "Return to previous page", .caption = "Back", .top = 2, .left = 88,
                                .onClick = [this](TControl* s) { BackButtonClick(s); }});
    NormalWidth = 881;
    NormalHeight = 695;
    ConfigChanged = false;
    IdleHomeTime = 0;

    // First run: the home page starts with a link to the configuration and one to the manual.
    std::string folder = ProgramFolder();
    std::string shortcuts = folder + "shortcuts";
    if (!DirectoryExists(shortcuts)) {
        try {
            ForceDirectories(shortcuts);
            CreateShellLink(folder + "Tessaboard.ini", "Tessaboard Configuration",
                            shortcuts + "\\TessaboardConfiguration.lnk");
            CreateShellLink(folder + "Tessaboard.pdf", "Tessaboard Manual", shortcuts + "\\TessaboardManual.lnk");
        } catch (const std::exception& e) {
            Log(std::string("TfrmMain.FormCreate: ") + e.what());  // the page display tries again
        }
    }

    InitRootFolder(shortcuts);
    CurrentPage = RootFolder;

    AdminMode = false;
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    for (int i = 0; argv && i < argc; ++i)
        if (LowerAZ(WideToAnsi(argv[i])) == "/admin") AdminMode = true;
    if (argv) ::LocalFree(argv);

    FolderMonitor = std::make_unique<TFolderMon>();
    FolderMonitor->OnChange = [this](TFolderMon* m, const TFolderItemInfo& c) { FolderMonChange(m, c); };
    FolderMonitor->OnOverflow = [this](TFolderMon*) { Resynchronise(); };
    FolderMonitor->SetEvents(static_cast<TMonitorEvents>(MonitorEvent(meFileName) | MonitorEvent(meDirName) |
                                                         MonitorEvent(meSize) | MonitorEvent(meLastWrite) |
                                                         MonitorEvent(meLastAccess) | MonitorEvent(meCreation)));
    FolderMonitor->SetWatchSubTree(true);
    FolderMonitor->SetFolder(folder);

    ChangeTimer.OnTimer = [this] { ChangeTimerTimer(); };
    IdleHomeTimer.OnTimer = [this] { IdleHomeTimerTimer(); };
}

void TfrmMain::FormShow(TControl*) {
    ::PostMessageA(Handle(), WM_STARTUP, 0, 0);
    OnShow = nullptr;  // later showings post nothing
}

void TfrmMain::WMStartup() {
    if (started_) return;  // the first load runs once, whatever posts the message again
    started_ = true;
    // Installed also when the first load fails, or the idle return home would be lost for good.
    ScopeExit installIdle([this] {
        if (!AdminMode) Application().OnIdle = [this] { RestartIdleHomeTimer(); };
    });
    ReloadAll();
}

void TfrmMain::ReloadAll() {
    auto command = gate_.Command();  // the indicator lets messages through: no command may start meanwhile
    ScopeExit hide([] { HideWorking(); });
    {
        // Started again however the reading ends, the rewrite of the file included: the
        // configuration first, as it may be written and the monitor must not take that for a
        // change; the pages are then read under watch, so that a change made meanwhile is seen.
        ScopeExit restart([this] { StartMonitor(); });
        StopMonitor();
        ShowWorking("");
        LoadConfig();
    }
    LoadCurrentPage();
}

// Raises nothing: a monitor that cannot start again gets the standard error box of its own.
void TfrmMain::StartMonitor() {
    try {
        if (FolderMonitor) FolderMonitor->Activate();
    } catch (const std::exception& e) {
        Application().HandleException(e);
    }
}

void TfrmMain::StopMonitor() {
    if (FolderMonitor) FolderMonitor->Deactivate();
    TouchIniFile();
}

void TfrmMain::FormClose() {
    StopThumbnails();  // before the picture decoders are shut down, and before the buttons go
    StopMonitor();
    FolderMonitor.reset();
}

bool TfrmMain::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_STARTUP:
            WMStartup();
            return true;
        case WM_LOADPAGE:
            WMLoadPage(wp, lp);
            return true;
        case WM_CLOSE:
            // Only Quit ends a kiosk's menu: where its command is hidden, Alt+F4 and other
            // programs' close requests are refused; none is taken while a command runs.
            if (!quitting_ && (!AcceptsCommands() || !(QuitVisible || AdminMode))) {
                Log("TfrmMain: close refused");
                return true;
            }
            return TForm::HandleMessage(msg, wp, lp, result);
        case WM_ENDSESSION:
            // Windows is shutting down or logging off: the menu closes as at a Quit, whatever
            // the configuration hides.
            if (wp) CloseAsQuit();
            return false;
        case WM_SYSCOMMAND:
            // F10 and Alt alone would enter the window's system menu: a kiosk has none.
            if ((wp & 0xFFF0) == SC_KEYMENU) return true;
            return TForm::HandleMessage(msg, wp, lp, result);
        default:
            if (FindDialog1.OwnerMessage(msg, lp)) return true;
            return TForm::HandleMessage(msg, wp, lp, result);
    }
}

}  // namespace tsb
