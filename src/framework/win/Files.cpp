#include "framework/win/Files.h"

#include <cwchar>

#include "framework/core/FilePatterns.h"
#include "framework/core/ScopeExit.h"
#include "framework/core/Text.h"
#include "framework/win/Convert.h"
#include "framework/win/Errors.h"
#include "framework/win/ScopedWin.h"

namespace tsb {

std::string PathCaseKey(std::string_view path) {
    std::wstring wide = AnsiToWide(path);
    if (wide.empty()) return {};
    // Simple case mapping keeps the length: one character for one.
    std::wstring upper(wide.size(), L'\0');
    int n = ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(), static_cast<int>(wide.size()),
                            upper.data(), static_cast<int>(upper.size()), nullptr, nullptr, 0);
    return WideToAnsi(n > 0 ? std::wstring_view(upper).substr(0, static_cast<size_t>(n)) : std::wstring_view(wide));
}

bool FileExists(const std::string& path) {
    // A device answers for such a name in every folder; reading it can wait for ever (a serial port).
    if (IsDeviceName(ExtractFileName(path))) return false;
    DWORD a = ::GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    DWORD a = ::GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDirectories(const std::string& path) {
    std::string dir = ExcludeTrailingDelimiter(path);
    if (dir.empty() || DirectoryExists(dir)) return !dir.empty();
    std::string parent = ExcludeTrailingDelimiter(ExtractFilePath(dir));
    if (!parent.empty() && parent != dir && parent.back() != ':' && !ForceDirectories(parent)) return false;
    return ::CreateDirectoryA(dir.c_str(), nullptr) || DirectoryExists(dir);
}

std::string ProgramFileName() {
    std::string buf(MAX_PATH, '\0');
    for (;;) {
        DWORD n = ::GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n < buf.size()) return buf.substr(0, n);
        buf.resize(buf.size() * 2);
    }
}

static std::string& ProgramFolderOverride() {
    static std::string folder;
    return folder;
}

void SetProgramFolder(const std::string& folder) {
    ProgramFolderOverride() = folder.empty() ? std::string() : IncludeTrailingDelimiter(folder);
}

std::string ProgramFolder() {
    const std::string& o = ProgramFolderOverride();
    return o.empty() ? ExtractFilePath(ProgramFileName()) : o;
}

std::string ReadFileBytes(const std::string& path) {
    unique_file f(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) RaiseLastOSError("Cannot open file \"" + path + "\"");
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(f.get(), &size)) RaiseLastOSError("Cannot read file \"" + path + "\"");
    if (size.QuadPart > 0x7FFFFFFF) throw EError("File too large: \"" + path + "\"");
    std::string data(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!data.empty() && (!::ReadFile(f.get(), data.data(), static_cast<DWORD>(data.size()), &got, nullptr)))
        RaiseLastOSError("Cannot read file \"" + path + "\"");
    data.resize(got);
    return data;
}

std::string ReadTextFile(const std::string& path) { return TextFileToAnsi(ReadFileBytes(path)); }

void WriteFileSafely(const std::string& path, std::string_view data) {
    std::wstring target = AnsiToWide(path), fresh = target + L".tmp";
    std::string context = "Cannot write file \"" + path + "\"";
    if (fresh.size() >= MAX_PATH) {  // the ANSI file calls are bound to MAX_PATH: so is the new file
        ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
        RaiseLastOSError(context);
    }
    unique_file f(::CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!f) RaiseLastOSError(context);
    ScopeExit discard([&] {
        f.reset();
        ::DeleteFileW(fresh.c_str());
    });
    DWORD written = 0;
    if (!data.empty() && (!::WriteFile(f.get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr) ||
                          written != data.size()))
        RaiseLastOSError(context);
    if (!::FlushFileBuffers(f.get())) RaiseLastOSError(context);  // on the disk before it replaces anything
    f.reset();
    if (!::MoveFileExW(fresh.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        RaiseLastOSError(context);
    discard.Release();
}

bool ForEachFileWhile(const std::string& pattern, const std::function<bool(const TFindData&)>& visit) {
    WIN32_FIND_DATAW fd;
    unique_find h(::FindFirstFileW(AnsiToWide(pattern).c_str(), &fd));
    if (!h) return false;
    TFindData entry;
    do {
        if (std::wcscmp(fd.cFileName, L".") == 0 || std::wcscmp(fd.cFileName, L"..") == 0) continue;
        entry.cFileName = WideToAnsi(fd.cFileName);
        entry.dwFileAttributes = fd.dwFileAttributes;
        entry.nFileSize = (static_cast<unsigned long long>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
        if (!visit(entry)) break;
    } while (::FindNextFileW(h.get(), &fd));
    return true;
}

bool ForEachFile(const std::string& pattern, const std::function<void(const TFindData&)>& visit) {
    return ForEachFileWhile(pattern, [&](const TFindData& fd) {
        visit(fd);
        return true;
    });
}

}  // namespace tsb
