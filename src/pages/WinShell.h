#pragma once
// Shortcut files through the shell's link object, the path rules applied to what they hold,
// and the icons of shortcut buttons.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <tuple>
#include <string>

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
// button that shows it. The key is what decides the picture: an icon file and index; or, for the
// system's icon of a file, the list and the file type where the registry gives that type one
// fixed icon, and the list and the file itself otherwise.
class TIconCache {
public:
    // Null when the shortcut has no icon (or no record).
    std::shared_ptr<const TIcon> Get(const TShortcutRecord* shortcut, int size);

private:
    using Key = std::tuple<int, std::string, int32_t>;
    bool Exists(const std::string& file);
    template <class Make>
    const std::shared_ptr<const TIcon>& Find(const Key& key, Make make);
    std::map<Key, std::shared_ptr<const TIcon>> icons_;
    std::map<std::string, bool> exists_;
};

}  // namespace tsb
