#include "pages/WinShell.h"

#include <shlobj.h>

#include <vector>

#include "framework/core/ScopeExit.h"
#include "framework/core/Text.h"
#include "framework/win/Convert.h"
#include "framework/win/Errors.h"
#include "framework/win/Files.h"
#include "framework/win/Graphics.h"
#include "pages/DataObject.h"

namespace tsb {

std::string ProgramFilesX86Dir;
std::string ProgramFiles64Dir;
HIMAGELIST LargeImageList = nullptr;
HIMAGELIST ExtraLargeImageList = nullptr;

static std::string EnvVar(const char* name) {
    char buf[260 * 3];  // 259 characters, each up to three bytes of UTF-8
    DWORD n = ::GetEnvironmentVariableA(name, buf, sizeof buf);
    if (n == 0 || n >= sizeof buf) return std::string();
    std::string value(buf, n);
    return Utf16Length(value) < 260 ? value : std::string();
}

void ReadProgramFilesDirs() {
    ProgramFilesX86Dir = EnvVar("ProgramFiles(x86)");
    ProgramFiles64Dir = EnvVar("ProgramW6432");
}

void InitWinShell() {
    LargeImageList = GetSystemImageList(0);
    ExtraLargeImageList = GetSystemImageList(2);
    ReadProgramFilesDirs();
}

void DoneWinShell() {
    ProgramFilesX86Dir.clear();
    ProgramFiles64Dir.clear();
}

namespace {

struct Link {
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> file;
};

Link NewLink() {
    Link l;
    OleCheck(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, l.link.put_void()));
    OleCheck(l.link->QueryInterface(IID_IPersistFile, l.file.put_void()));
    return l;
}

// A text read through a 260-character buffer ends at its first NUL. Characters count as the
// system counts them: a UTF-8 character takes up to three bytes for each UTF-16 unit.
template <class Getter>
std::string ReadText(Getter get) {
    char buf[260 * 3 + 1] = {};
    OleCheck(get(buf, static_cast<int>(sizeof buf)));
    buf[sizeof buf - 1] = '\0';
    return std::string(Utf16Prefix(buf, 259));
}

}  // namespace

std::string CreateShellLink(const std::string& target, const std::string& description, const std::string& linkFile) {
    Link l = NewLink();
    OleCheck(l.link->SetPath(target.c_str()));
    OleCheck(l.link->SetWorkingDirectory(ExtractFilePath(target).c_str()));
    if (!description.empty()) OleCheck(l.link->SetDescription(description.c_str()));
    l.file->Save(AnsiToWide(linkFile).c_str(), FALSE);
    return linkFile;
}

void GetShellLinkInfo(const std::wstring& linkFile, TShellLinkInfo& info, bool resolve, HWND window) {
    Link l = NewLink();
    OleCheck(l.file->Load(linkFile.c_str(), STGM_READ));
    if (resolve) {
        DWORD flags = SLR_ANY_MATCH | (window ? 0 : SLR_NO_UI);
        if (l.link->Resolve(window, flags) != S_OK) return;
    }
    WIN32_FIND_DATAA fd{};
    info.PathName = ReadText([&](char* b, int n) { return l.link->GetPath(b, n, &fd, 0); });
    info.Arguments = ReadText([&](char* b, int n) { return l.link->GetArguments(b, n); });
    info.Description = ReadText([&](char* b, int n) { return l.link->GetDescription(b, n); });
    info.WorkingDirectory = ReadText([&](char* b, int n) { return l.link->GetWorkingDirectory(b, n); });
    int index = 0;
    info.IconLocation = ReadText([&](char* b, int n) { return l.link->GetIconLocation(b, n, &index); });
    info.IconIndex = index;
    int show = 0;
    OleCheck(l.link->GetShowCmd(&show));
    info.ShowCmd = show;
    WORD hotKey = 0;
    OleCheck(l.link->GetHotkey(&hotKey));
    info.HotKey = hotKey;
}

void SetShellLinkInfo(const std::wstring& linkFile, const TShellLinkInfo& info) {
    Link l = NewLink();
    OleCheck(l.file->Load(linkFile.c_str(), STGM_SHARE_DENY_WRITE));
    OleCheck(l.link->Resolve(nullptr, SLR_NO_UI | SLR_ANY_MATCH | SLR_UPDATE));
    OleCheck(l.link->SetPath(info.PathName.c_str()));
    OleCheck(l.link->SetArguments(info.Arguments.c_str()));
    OleCheck(l.link->SetDescription(info.Description.c_str()));
    OleCheck(l.link->SetWorkingDirectory(info.WorkingDirectory.c_str()));
    OleCheck(l.link->SetIconLocation(info.IconLocation.c_str(), info.IconIndex));
    OleCheck(l.link->SetShowCmd(info.ShowCmd));
    OleCheck(l.link->SetHotkey(info.HotKey));
    l.file->Save(linkFile.c_str(), TRUE);
}

HIMAGELIST GetSystemImageList(int sizeIndex) {
    HIMAGELIST result = nullptr;
    unique_hmodule shell(::LoadLibraryA("Shell32.dll"));
    if (!shell) return nullptr;
    using SHGetImageListFn = HRESULT(WINAPI*)(int, REFIID, void**);
    auto fn = reinterpret_cast<SHGetImageListFn>(
        reinterpret_cast<void*>(::GetProcAddress(shell.get(), MAKEINTRESOURCEA(727))));
    OSVERSIONINFOA v{sizeof v, 0, 0, 0, 0, {}};
    ::GetVersionExA(&v);
    static const GUID IID_IImageList_ = {0x46EB5926, 0x582E, 0x4017, {0x9F, 0xDF, 0xE8, 0x99, 0x8D, 0xAA, 0x09, 0x50}};
    if (fn && v.dwPlatformId == VER_PLATFORM_WIN32_NT) fn(sizeIndex, IID_IImageList_, reinterpret_cast<void**>(&result));
    // The list belongs to the shell, which keeps it alive for the process, not to the module handle.
    return result;
}

std::string ExpandEnvVars(const std::string& text) {
    constexpr DWORD size = 32768;
    std::vector<char> buf(size);
    DWORD n = ::ExpandEnvironmentStringsA(text.c_str(), buf.data(), size);
    if (n == 0) throw EError("Integer overflow");
    if (n > size) throw EError("Integer overflow");  // the expansion did not fit: nothing was written past the buffer
    return std::string(buf.data(), n - 1);
}

// Under 32-bit Program Files but missing there: the same path under the 64-bit folder, if it exists.
static std::string ProgramFilesAlternative(const std::string& path) {
    if (ProgramFilesX86Dir.empty() || !StartsWith(path, ProgramFilesX86Dir)) return {};
    std::string candidate = ProgramFiles64Dir + path.substr(ProgramFilesX86Dir.size());
    return FileExists(candidate) ? candidate : std::string();
}

static std::string ExistingOrAlternative(const std::string& path) {
    return FileExists(path) ? path : ProgramFilesAlternative(path);
}

std::string AdjustShortcutPaths(TShellLinkInfo& info) {
    info.IconLocation = ExpandEnvVars(info.IconLocation);
    info.PathName = ExpandEnvVars(info.PathName);
    if (!info.PathName.empty() && !FileExists(info.PathName)) {
        std::string alt = ProgramFilesAlternative(info.PathName);
        if (!alt.empty()) info.PathName = alt;
    }
    if (!info.IconLocation.empty()) return ExistingOrAlternative(info.IconLocation);
    if (!info.PathName.empty()) return ExistingOrAlternative(info.PathName);
    return {};
}

static HIMAGELIST ListForSize(int size) {
    return size == 0 ? LargeImageList : size == 1 ? ExtraLargeImageList : nullptr;
}

// Icons in design pixels: the system's large icon is 32 pixels at 96 dots per inch, its extra
// large one 48. At another scale an icon is taken at the size it is shown at, never stretched up
// from the one for 96.
constexpr int LargeIconSize = 32, ExtraLargeIconSize = 48;

// The file's icon at the index, size x size window pixels: of the sizes the file holds, the
// nearest.
static HICON ScaledIconFromFile(const std::string& file, int32_t index, int size) {
    HICON icon = nullptr;
    UINT got = ::PrivateExtractIconsA(file.c_str(), index, size, size, &icon, nullptr, 1, 0);
    if (got == 0 || got == 0xFFFFFFFF) return nullptr;
    return icon;
}

// The shell's icon of the image at the size it is shown at: from the system's list of the
// smallest icons not below that size (large, extra large, jumbo), made smaller where it is bigger.
static HICON ScaledSystemIcon(int designSize, int sysIndex) {
    const int want = Scale(designSize);
    static const HIMAGELIST jumbo = GetSystemImageList(4);
    HIMAGELIST best = nullptr;
    int bestSize = 0;
    for (HIMAGELIST list : {LargeImageList, ExtraLargeImageList, jumbo}) {
        int cx = 0, cy = 0;
        if (!list || !::ImageList_GetIconSize(list, &cx, &cy)) continue;
        bool better = bestSize == 0 || (bestSize < want ? cx > bestSize : cx >= want && cx < bestSize);
        if (better) best = list, bestSize = cx;
    }
    if (!best) return nullptr;
    HICON icon = ::ImageList_GetIcon(best, sysIndex, ILD_NORMAL);
    if (!icon || bestSize == want) return icon;
    HICON fitted = static_cast<HICON>(::CopyImage(icon, IMAGE_ICON, want, want, LR_COPYDELETEORG));
    if (!fitted) return icon;
    return fitted;
}

// The file's large icon at the index, or nothing.
static HICON IconFromFile(const std::string& file, int32_t index) {
    HICON large = nullptr, small = nullptr;
    UINT got = ::ExtractIconExA(file.c_str(), index, &large, &small, 1);
    if (small) ::DestroyIcon(small);
    if (got == 0) return nullptr;  // a handle left behind with a count of 0 is not ours to use
    return large;
}

std::optional<unique_hicon> GetShortcutIcon(const TShortcutRecord* shortcut, int size) {
    if (!shortcut) return std::nullopt;
    TIconCache once;
    std::shared_ptr<const TIcon> icon = once.Get(shortcut, size);
    return unique_hicon(icon ? ::CopyIcon(icon->Handle()) : nullptr);
}

// A page shows many shortcuts to few files: each file's existence is asked once per display.
bool TIconCache::Exists(const std::string& file) {
    auto it = exists_.find(file);
    if (it == exists_.end()) it = exists_.emplace(file, FileExists(file)).first;
    return it->second;
}

// A folder as the shell sees it, bound once per display: binding costs a walk from the desktop
// down the whole path, which most files of a page share. Null when the shell cannot bind it.
IShellFolder* TIconCache::ShellFolder(const std::string& folder) {
    auto it = folders_.find(folder);
    if (it != folders_.end()) return it->second.get();
    ComPtr<IShellFolder> bound;
    if (!desktop_) ::SHGetDesktopFolder(desktop_.put());
    std::wstring name = AnsiToWide(folder);
    PIDLIST_RELATIVE pidl = nullptr;
    if (desktop_ && SUCCEEDED(desktop_->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, &pidl, nullptr))) {
        ScopeExit freePidl([&] { ::CoTaskMemFree(pidl); });
        desktop_->BindToObject(pidl, nullptr, IID_IShellFolder, bound.put_void());
    }
    return folders_.emplace(folder, std::move(bound)).first->second.get();
}

// The shell's own answer for the file, the index it gives the file in its image lists (its
// type, an icon handler, the user's choice of program all count): asked once per file and
// display; -1 when it has none.
int TIconCache::SystemIndex(const std::string& file) {
    auto it = systemIndex_.find(file);
    if (it != systemIndex_.end()) return it->second;
    int index = -1;
    if (IShellFolder* folder = ShellFolder(ExtractFilePath(file))) {
        std::wstring name = AnsiToWide(ExtractFileName(file));
        PITEMID_CHILD child = nullptr;
        if (SUCCEEDED(folder->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, &child, nullptr))) {
            ScopeExit freeChild([&] { ::CoTaskMemFree(child); });
            int selected = 0;
            index = ::SHMapPIDLToSystemImageListIndex(folder, child, &selected);
        }
    }
    if (index < 0) {
        // Paths the shell's namespace cannot parse still have an icon by name.
        SHFILEINFOA sfi{};
        if (::SHGetFileInfoA(file.c_str(), FILE_ATTRIBUTE_NORMAL, &sfi, sizeof sfi, SHGFI_SYSICONINDEX)) index = sfi.iIcon;
    }
    return systemIndex_.emplace(file, index).first->second;
}

std::shared_ptr<const TIcon> TIconCache::Own(HICON handle, int designSize) {
    unique_hicon icon(handle);
    if (!icon) return nullptr;
    auto picture = designSize ? std::make_shared<const TIcon>(icon.get(), designSize, designSize)
                              : std::make_shared<const TIcon>(icon.get());
    icon.release();  // the picture owns it now; had the allocation failed, the holder would have freed it
    return picture;
}

std::shared_ptr<const TIcon> TIconCache::Get(const TShortcutRecord* shortcut, int size) {
    if (!shortcut) return nullptr;
    if (OnAsk) OnAsk(*shortcut);
    const std::string& file = shortcut->IconFile;
    if (file.empty() || !Exists(file)) return nullptr;
    int32_t index = shortcut->LinkInfo ? shortcut->LinkInfo->IconIndex : 0;
    const bool scaled = ScaleDpi() != 96;
    if (index > 0) {
        auto it = fileIcons_.find({file, index});
        if (it == fileIcons_.end()) {
            std::shared_ptr<const TIcon> icon = scaled ? Own(ScaledIconFromFile(file, index, Scale(LargeIconSize)), LargeIconSize)
                                                       : Own(IconFromFile(file, index));
            it = fileIcons_.emplace(std::pair{file, index}, std::move(icon)).first;
        }
        if (it->second) return it->second;
        // no large icon at that index: the system's icon of the file, as below
    }
    HIMAGELIST list = ListForSize(size);
    if (!list) return nullptr;
    int sysIndex = SystemIndex(file);
    if (sysIndex < 0) return nullptr;
    auto it = systemIcons_.find({size, sysIndex});
    if (it == systemIcons_.end()) {
        const int shown = size == 1 ? ExtraLargeIconSize : LargeIconSize;
        std::shared_ptr<const TIcon> icon = scaled ? Own(ScaledSystemIcon(shown, sysIndex), shown)
                                                   : Own(::ImageList_GetIcon(list, sysIndex, ILD_NORMAL));
        it = systemIcons_.emplace(std::pair{size, sysIndex}, std::move(icon)).first;
    }
    return it->second;
}

}  // namespace tsb
