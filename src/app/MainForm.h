#pragma once
// The main window: header, nav bar, page area and footer, and everything the menu does.
#include <memory>
#include <string>

#include "app/DisplayGate.h"
#include "controls/ColorButton.h"
#include "controls/MenuColors.h"
#include "framework/win/Dialogs.h"
#include "framework/win/Forms.h"
#include "framework/win/Menus.h"
#include "framework/win/RichEdit.h"
#include "framework/win/Scrolling.h"
#include "framework/win/StdCtrls.h"
#include "framework/win/Timer.h"
#include "monitor/FolderMon.h"
#include "pages/DataObject.h"
#include "pictures/GetImagePreviewsThread.h"

namespace tsb {

constexpr TColor NavBarColor = 10515526;  // hex A07446

class TfrmMain : public TForm {
public:
    TfrmMain();
    ~TfrmMain() override;

private:
    friend class TMainWindowView;  // what the tests reach of the window, named one by one

    // Layout
    TPanel* pnlHeader;
    TPanel* pnlImage;
    TImage* Image1;
    TPanel* Panel1;
    TLabel* lblTitle;
    TLabel* lblSubtitle;
    TRichEdit* redHeader;
    TPanel* pnlNav;
    TPanel* PageTitlePanel;
    TPanel* NavPanel;
    TPanel* HomePanel;
    TPageScroller* PageScroller1;
    TPageStrip* FolderPanel;
    TPanel* ButtonPanel;
    TPanel* pnlPageHeader;
    TRichEdit* redPageHeader;
    TScrollBox* ScrollBox1;
    TPanel* pnlFooter;
    TLabel* lblFooter;
    TPopupMenu PopupMenu1{this};
    TMenuItem *mnuFind, *mnuRedisplay, *mnuReload, *mnuEditConfig, *mnuNewPage, *mnuCreateShortcuts,
        *mnuExploreShortcuts, *mnuButtonSize, *mnuSlideshow, *N1, *mnuAbout, *mnuQuit;
    TMenuItem* mnuButtonSizes[6];  // mnuButtonSize3 (Biggest) ... mnuButtonSize8 (Smallest)
    TFindDialog FindDialog1{this};
    TPopupMenu ButtonPopupMenu{this};
    TPopupMenu FolderPopupMenu{this};
    TTimer ChangeTimer{100};
    TTimer IdleHomeTimer{1000};

    // Fields
    bool AdminMode = false;
    bool FullScreen = false;
    int NormalWidth = 881, NormalHeight = 695;
    int ButtonSize = 5, ButtonWidth = 150, ButtonHeight = 110;
    int IdleHomeTime = 0, SlideshowTime = 20;
    bool ButtonSizeVisible = true, SlideshowVisible = true, FindVisible = true, QuitVisible = true;
    bool SystemImageViewerVisible = false;
    TRef<TFolderRecord> CurrentPage;  // resolves to null once a reload has released the record
    TColorButton* HomeButton;
    TColorButton* BackButton;
    std::unique_ptr<TFolderMon> FolderMonitor;
    std::string LogoFile;
    std::string RenameFrom;
    bool ConfigChanged = false;
    std::string LastSourcePath;
    std::string DefaultHeaderColor = "FFAD5B", DefaultNavColor = "A07446", DefaultBackgroundColor = "FFAD5B",
                DefaultFooterColor = "A07446";

    // Start-up and configuration
    void FormCreate();
    void FormShow(TControl*);
    void FormClose();
    void WMStartup();
    void ReloadAll();
    void StopMonitor();
    void StartMonitor();
    void RestartChangeTimer();
    void LoadConfig();
    void TouchIniFile();
    std::string IniFileName() const;

    // Page display
    void LoadCurrentPage();
    void SetButtonSize(int level);
    void GetImageThumbnails();

    // Thumbnails: the thread of the page on show, and what earlier displays made. The thread is
    // stopped (StopThumbnails) before the page is read again or its buttons go, and at close.
    std::shared_ptr<TGetImagePreviews> Previews;
    TThumbnailCache Thumbnails;
    void StopThumbnails();

    // Navigation
    void HomeButtonClick(TControl*);
    void BackButtonClick(TControl*);
    void FolderClick(TControl* sender);
    void PostLoadPage(TRef<TFolderRecord> page);  // WM_LOADPAGE; a page gone when it arrives is not shown
    void WMLoadPage(WPARAM wp, LPARAM lp);
    bool FormKeyDown(TShortCut key);  // moving through the buttons, Back and Home by key
    void ScrollBox1MouseWheel(TControl* sender, TShiftState shift, int wheelDelta, POINT mousePos, bool& handled);
    void RestartIdleHomeTimer();
    void IdleHomeTimerTimer();
    void FolderMonChange(TFolderMon* sender, const TFolderItemInfo& change);
    void ChangeTimerTimer();
    // Changes the monitor did not report (an overflow, or made while it was off): every folder
    // read so far is read again and the configuration too, at the change timer's next tick.
    void Resynchronise();

    // Main menu commands
    void PopupMenu1Popup();
    static void ShowMenuItem(TMenuItem* item, bool show);
    void mnuFindClick(TControl*);
    void FindDialog1Find(TControl*);
    void mnuRedisplayClick(TControl*);
    void mnuReloadClick(TControl*);
    void mnuEditConfigClick(TControl*);
    void mnuNewPageClick(TControl*);
    void mnuCreateShortcutsClick(TControl*);
    void mnuExploreShortcutsClick(TControl*);
    void ButtonSizeClick(TMenuItem* sender);
    void mnuSlideshowClick(TControl*);
    void mnuAboutClick(TControl*);
    void mnuQuitClick(TControl*);
    std::string NewPageName();                 // the name New Page proposes
    std::string ExploreShortcutsPath() const;  // what Explore Shortcuts opens

    // Launching
    void ButtonClick(TControl* sender);
    void ButtonRightClick(TControl* sender, TMouseButton, TShiftState, int x, int y);
    void FolderRightClick(TControl* sender, TMouseButton, TShiftState, int x, int y);
    void Edit1Click(TControl*);
    void Delete1Click(TControl*);
    void OpenFolder1Click(TControl*);
    void DeleteFolder1Click(TControl*);

protected:
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    bool AcceptsCommands() const override;
    bool HoldsCommands() const override;
    void DpiChanged(int dpi, const RECT& suggested) override;

private:
    void BuildLayout();
    void BuildMenu();
    // A menu command's handler: it runs only when no other command, display or walk is under
    // way, and marks the window busy while it runs (it may let messages through).
    TNotifyEvent Command(std::function<void()> run);
    void CloseAsQuit();  // closes the window as Quit does, whatever the configuration hides
    void PlaceWindow();
    void LoadLogo();
    TFolderRecord* PageOnShow();
    void MakeSubPageButtons(TFolderRecord* page);
    void MakeShortcutButtons(TFolderRecord* page);
    void ItemRemoved(const std::string& lowerPath);
    void DropPendingRename();
    void RenameOrMove(const std::string& lowerOld, const std::string& full);
    void ThumbnailReady(unsigned generation, const TThumbnail& thumbnail);

    class TPageDisplay;
    void ReadPageOnShow();
    void ShowPageFrame(TFolderRecord* page);
    void ShowPageHeader(TFolderRecord* page);

    unsigned thumbnailGeneration_ = 0;  // the thumbnail run whose hand-overs are installed
    TDisplayGate gate_;
    bool started_ = false;   // WM_STARTUP has been handled
    bool quitting_ = false;  // the close comes from Quit
    std::string failedLogo_;  // the logo file (path, size, time) whose error was last shown
};

}  // namespace tsb
