// The main window's configuration: reading "Tessaboard.ini" and applying it.
#include "app/MainForm.h"

#include "app/Layout.h"
#include "framework/core/Values.h"
#include "framework/win/Application.h"
#include "framework/win/Debug.h"
#include "framework/win/Files.h"
#include "framework/win/MemIniFile.h"

namespace tsb {

namespace {
constexpr const char* Options = "options";

void SetFontFace(TControl* c, const std::string& face) {
    TFont f = c->Font();
    f.name = face;
    c->SetFont(f);
}
}  // namespace

std::string TfrmMain::IniFileName() const { return ProgramFolder() + "Tessaboard.ini"; }

void TfrmMain::LoadConfig() {
    Log("TfrmMain.LoadConfig");
    // Cleared before the file is read: a save noticed while this read lets messages through is
    // read at the next tick.
    ConfigChanged = false;
    int buttonSize;
    {
        TMemIniFile ini(IniFileName());
        if (!ini.SectionExists(Options)) {
            ini.WriteString(Options, "title", lblTitle->Caption());
            ini.WriteString(Options, "sub-title", lblSubtitle->Caption());
            ini.UpdateFile();
        }
        lblTitle->SetCaption(ini.ReadString(Options, "title", lblTitle->Caption()));
        SetFontFace(lblTitle, ini.ReadString(Options, "title-font", lblTitle->Font().name));
        lblSubtitle->SetCaption(ini.ReadString(Options, "sub-title", lblSubtitle->Caption()));
        SetFontFace(lblSubtitle, ini.ReadString(Options, "sub-title-font", lblSubtitle->Font().name));

        LogoFile = ini.ReadString(Options, "logo", "");
        buttonSize = ini.ReadInteger(Options, "button-size", 5);
        FullScreen = ini.ReadBool(Options, "full-screen", false);
        ButtonSizeVisible = ini.ReadBool(Options, "button-size-visible", true);
        SlideshowVisible = ini.ReadBool(Options, "slideshow-visible", true);
        FindVisible = ini.ReadBool(Options, "find-visible", true);
        QuitVisible = ini.ReadBool(Options, "quit-visible", true);
        SystemImageViewerVisible = ini.ReadBool(Options, "system-image-viewer-visible", false);
        SlideshowTime = ini.ReadInteger(Options, "slideshow-time", 20);
        IdleHomeTime = ini.ReadInteger(Options, "idle-home-time", 0);

        auto color = [&](const char* key, const std::string& def) {
            return ParseColor(ini.ReadString(Options, key, def), def);
        };
        TColor header = color("header-color", DefaultHeaderColor);
        TColor nav = color("nav-color", DefaultNavColor);
        TColor background = color("background-color", DefaultBackgroundColor);
        TColor footer = color("footer-color", DefaultFooterColor);
        // All read: the copy in memory goes at the end of this block and writes nothing back.
        pnlHeader->SetColor(header);
        pnlNav->SetColor(nav);
        ButtonPanel->SetColor(background);
        pnlFooter->SetColor(footer);
    }
    PlaceWindow();
    SetButtonSize(buttonSize);
    LoadLogo();
    std::string header = ProgramFolder() + "header.rtf";
    if (FileExists(header)) {
        redHeader->Show();
        redHeader->LoadFromFile(header);
    } else {
        redHeader->Hide();
    }
    Application().ProcessMessages();
}

// On the screen's own terms, window pixels: full screen covers the monitor to the last pixel
// whatever the scale, and the windowed size is the design size scaled.
void TfrmMain::PlaceWindow() {
    Placement p = PlaceMainWindow(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN),
                                  Scale(NormalWidth), Scale(NormalHeight), FullScreen);
    FullScreen = p.fullScreen;
    PlaceOnScreen(p.left, p.top, p.width, p.height);
}

// What tells one version of a file from the next: its path, size and last write time.
static std::string FileVersionKey(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA a{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a)) return path;
    return path + "|" + std::to_string(a.nFileSizeLow) + "|" + std::to_string(a.nFileSizeHigh) + "|" +
           std::to_string(a.ftLastWriteTime.dwLowDateTime) + "|" + std::to_string(a.ftLastWriteTime.dwHighDateTime);
}

void TfrmMain::LoadLogo() {
    if (LogoFile.empty()) {
        pnlImage->Hide();
        return;
    }
    if (!FileExists(LogoFile) && FileExists(ProgramFolder() + LogoFile)) LogoFile = ProgramFolder() + LogoFile;
    if (!FileExists(LogoFile)) return;
    // The configuration is read again at every change beside the program: a logo that could not
    // be read is reported once, and then left alone like a missing one until the file changes.
    std::string version = FileVersionKey(LogoFile);
    if (version == failedLogo_) return;
    try {
        Image1->Picture().LoadFromFile(LogoFile);
    } catch (...) {
        failedLogo_ = version;
        throw;
    }
    failedLogo_.clear();
    pnlImage->SetWidth(Width() / 3);
    pnlImage->Show();
    Image1->PictureChanged();
}

void TfrmMain::TouchIniFile() {
    Log("TfrmMain.TouchIniFile");
    TMemIniFile ini(IniFileName());
    try {
        ini.UpdateFile();
    } catch (const std::exception&) {
        // a folder that can't be written to keeps the file as it was
    }
}

}  // namespace tsb
