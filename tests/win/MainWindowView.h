#pragma once
// The tests' view of the main window: the members they reach, each named here, and no more.
#include "app/MainForm.h"

namespace tsb {

class TMainWindowView : public TfrmMain {
public:
    // Layout
    using TfrmMain::BackButton;
    using TfrmMain::FindDialog1;
    using TfrmMain::FolderPanel;
    using TfrmMain::HomeButton;
    using TfrmMain::Image1;
    using TfrmMain::PageScroller1;
    using TfrmMain::PageTitlePanel;
    using TfrmMain::ScrollBox1;
    using TfrmMain::lblSubtitle;
    using TfrmMain::lblTitle;
    using TfrmMain::mnuButtonSizes;
    using TfrmMain::pnlFooter;
    using TfrmMain::pnlHeader;
    using TfrmMain::pnlImage;
    using TfrmMain::pnlNav;
    using TfrmMain::pnlPageHeader;
    using TfrmMain::redHeader;
    using TfrmMain::redPageHeader;
    using TfrmMain::ChangeTimer;
    using TfrmMain::IdleHomeTimer;
    // State
    using TfrmMain::AdminMode;
    using TfrmMain::ButtonHeight;
    using TfrmMain::ButtonSize;
    using TfrmMain::ButtonWidth;
    using TfrmMain::ConfigChanged;
    using TfrmMain::CurrentPage;
    using TfrmMain::FolderMonitor;
    using TfrmMain::FullScreen;
    using TfrmMain::IdleHomeTime;
    using TfrmMain::LastSourcePath;
    using TfrmMain::LogoFile;
    using TfrmMain::Previews;
    using TfrmMain::RenameFrom;
    using TfrmMain::SlideshowTime;
    using TfrmMain::Thumbnails;
    // Operations
    using TfrmMain::BackButtonClick;
    using TfrmMain::ButtonClick;
    using TfrmMain::ButtonSizeClick;
    using TfrmMain::ChangeTimerTimer;
    using TfrmMain::Delete1Click;
    using TfrmMain::ExploreShortcutsPath;
    using TfrmMain::FolderMonChange;
    using TfrmMain::FormClose;
    using TfrmMain::GetImageThumbnails;
    using TfrmMain::HomeButtonClick;
    using TfrmMain::IdleHomeTimerTimer;
    using TfrmMain::IniFileName;
    using TfrmMain::LoadConfig;
    using TfrmMain::LoadCurrentPage;
    using TfrmMain::PostLoadPage;
    using TfrmMain::ReloadAll;
    using TfrmMain::RestartIdleHomeTimer;
    using TfrmMain::Resynchronise;
    using TfrmMain::SetButtonSize;
    using TfrmMain::StopMonitor;
    using TfrmMain::StopThumbnails;
    using TfrmMain::TouchIniFile;
    using TfrmMain::mnuFindClick;
    using TfrmMain::mnuReloadClick;
};

}  // namespace tsb
