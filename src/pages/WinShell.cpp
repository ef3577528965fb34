#include "pages/WinShell.h"

#include <shlobj.h>

#include <vector>

#include "framework/core/Text.h"
#include "framework/win/Convert.h"
#include "framework/win/Errors.h"
#include "framework/win/Files.h"
#include "pages/DataObject.h"

namespace tsb {

std::string ProgramFilesX86Dir;
std::string ProgramFiles64Dir;
HIMAGELIST LargeImageList = nullptr;
HIMAGELIST ExtraLargeImageList = nullptr;

static std::string EnvVar(const char* name) {
    char buf[260];
    DWORD n = ::GetEnvironmentVariableA(name, buf, sizeof buf);
    return (n == 0 || n >= sizeof buf) ? std::string() : std::string(buf, n);
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

// A text read through a 260-character buffer ends at its first NUL.
template <class Getter>
std::string ReadText(Getter get) {
    char buf[260] = {};
    OleCheck(get(buf, static_cast<int>(sizeof buf)));
    buf[sizeof buf - 1] = '\0';
    return buf;
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

IconSource ChooseIconSource(const std::string& iconFile, int32_t iconIndex) {
    if (iconFile.empty() || !FileExists(iconFile)) return IconSource::None;
    return iconIndex > 0 ? IconSource::FileIndex : IconSource::SystemList;
}

static HIMAGELIST ListForSize(int size) {
    return size == 0 ? LargeImageList : size == 1 ? ExtraLargeImageList : nullptr;
}

// The file's large icon at the index, or nothing.
static HICON IconFromFile(const std::string& file, int32_t index) {
    HICON large = nullptr, small = nullptr;
    UINT got = ::ExtractIconExA(file.c_str(), index, &large, &small, 1);
    if (small) ::DestroyIcon(small);
    if (got == 0) return nullptr;  // a handle left behind with a count of 0 is not ours to use
    return large;
}

static int SystemIconIndex(const std::string& file) {
    SHFILEINFOA sfi{};
    if (!::SHGetFileInfoA(file.c_str(), FILE_ATTRIBUTE_NORMAL, &sfi, sizeof sfi, SHGFI_SYSICONINDEX | SHGFI_SHELLICONSIZE))
        return -1;
    return sfi.iIcon;
}

std::optional<unique_hicon> GetShortcutIcon(const TShortcutRecord* shortcut, int size) {
    TIconCache once;
    return once.Get(shortcut, size);
}

// A registry key's default value, or nothing.
static std::optional<std::string> ClassValue(const std::string& key) {
    char buf[MAX_PATH] = {};
    LONG size = sizeof buf;
    if (::RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), buf, &size) != ERROR_SUCCESS) return std::nullopt;
    return std::string(buf);
}

// What decides the system's icon of a file: its type, unless the type draws each file's icon
// from the file itself ("%1") or through an icon handler (programs, icons, shortcuts...).
static std::string SystemIconKey(const std::string& file) {
    std::string ext = LowerAZ(ExtractFileExt(file));
    if (ext.empty()) return "file:" + file;
    static std::map<std::string, bool> perFile;  // the shell's file types do not change during a run
    auto it = perFile.find(ext);
    if (it == perFile.end()) {
        std::optional<std::string> progId = ClassValue(ext);
        std::string cls = progId && !progId->empty() ? *progId : ext;
        std::optional<std::string> icon = ClassValue(cls + "\\DefaultIcon");
        bool byFile = (icon && icon->find("%1") != std::string::npos) ||
                      ClassValue(cls + "\\ShellEx\\IconHandler").has_value() ||
                      ClassValue(ext + "\\ShellEx\\IconHandler").has_value();
        it = perFile.emplace(ext, byFile).first;
    }
    return it->second ? "file:" + file : "type:" + ext;
}

std::optional<unique_hicon> TIconCache::Get(const TShortcutRecord* shortcut, int size) {
    if (!shortcut) return std::nullopt;
    const std::string& file = shortcut->IconFile;
    int32_t index = shortcut->LinkInfo ? shortcut->LinkInfo->IconIndex : 0;
    IconSource source = ChooseIconSource(file, index);
    if (source == IconSource::None) return unique_hicon();

    if (source == IconSource::FileIndex) {
        Key key{-1, file, index};
        auto it = icons_.find(key);
        if (it == icons_.end()) it = icons_.emplace(key, unique_hicon(IconFromFile(file, index))).first;
        if (it->second) return unique_hicon(::CopyIcon(it->second.get()));
        // no large icon at that index: the system's icon of the file, as below
    }
    HIMAGELIST list = ListForSize(size);
    if (!list) return unique_hicon();
    Key key{size, SystemIconKey(file), 0};
    auto it = icons_.find(key);
    if (it == icons_.end()) {
        int sysIndex = SystemIconIndex(file);
        it = icons_.emplace(key, unique_hicon(sysIndex < 0 ? nullptr : ::ImageList_GetIcon(list, sysIndex, ILD_NORMAL)))
                 .first;
    }
    return unique_hicon(it->second ? ::CopyIcon(it->second.get()) : nullptr);
}

}  // namespace tsb
