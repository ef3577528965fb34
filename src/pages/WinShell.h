#pragma once
// Shortcut files through the shell's link object, the path rules applied to what they hold,
// and the icons of shortcut buttons.
#include <shlobj.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "framework/win/Picture.h"
#include "framework/win/ScopedWin.h"

namespace tsb {

struct TShortcutRecord;

// What one shortcut file holds. Texts are at most 259 characters (read through 260-character
// buffers).
struct TShellLinkInfo {
    std::string PathName;
    std::string Arguments;
    std::string Description;
    std::string WorkingDirectory;
    std::string IconLocation;
    int32_t IconIndex = 0;
    int32_t ShowCmd = 0;
    uint16_t HotKey = 0;
};

// Module state, set up once at start-up.
extern std::string ProgramFilesX86Dir;
extern std::string ProgramFiles64Dir;
extern HIMAGELIST LargeImageList;
extern HIMAGELIST ExtraLargeImageList;
void InitWinShell();     // image lists and the two Program Files folders
void ReadProgramFilesDirs();
void DoneWinShell();

std::string CreateShellLink(const std::string& target, const std::string& description, const std::string& linkFile);
void GetShellLinkInfo(const std::wstring& linkFile, TShellLinkInfo& info, bool resolve, HWND window);
void SetShellLinkInfo(const std::wstring& linkFile, const TShellLinkInfo& info);
HIMAGELIST GetSystemImageList(int sizeIndex);
std::string ExpandEnvVars(const std::string& text);
std::string AdjustShortcutPaths(TShellLinkInfo& info);  // returns the icon file (may be empty)
// A new icon owned by the caller; nullopt only without a record, an empty handle when the
// shortcut has no icon.
std::optional<unique_hicon> GetShortcutIcon(const TShortcutRecord* shortcut, int size);

// Icons of one page display, each distinct icon asked of the shell once and shared by every
// button that shows it. An icon taken from a file by index is keyed by that file and index; the
// system's icon of a file by the list and the image index the shell gives the file, since an
// index stands for one picture in a list whatever file was given it.
class TIconCache {
public:
    // Called as each icon is asked for, before the cache looks: tests fail one icon through it.
    // GUI thread only, as the cache.
    static inline std::function<void(const TShortcutRecord& shortcut)> OnAsk;
    // Null when the shortcut has no icon (or no record).
    std::shared_ptr<const TIcon> Get(const TShortcutRecord* shortcut, int size);

private:
    bool Exists(const std::string& file);
    IShellFolder* ShellFolder(const std::string& folder);
    int SystemIndex(const std::string& file);
    // designSize: the size it is placed by, in design pixels; 0: its own size.
    static std::shared_ptr<const TIcon> Own(HICON icon, int designSize = 0);
    std::map<std::pair<std::string, int32_t>, std::shared_ptr<const TIcon>> fileIcons_;
    std::map<std::pair<int, int>, std::shared_ptr<const TIcon>> systemIcons_;
    std::map<std::string, bool> exists_;
    std::map<std::string, int> systemIndex_;
    ComPtr<IShellFolder> desktop_;
    std::map<std::string, ComPtr<IShellFolder>> folders_;
};

}  // namespace tsb
