#include "creation/BulkCreation.h"

#include "framework/core/FilePatterns.h"
#include "framework/core/Text.h"
#include "framework/win/Application.h"
#include "framework/win/Convert.h"
#include "framework/win/Debug.h"
#include "framework/win/Errors.h"
#include "framework/win/Files.h"
#include "framework/win/Forms.h"
#include "pages/WinShell.h"
#include "pages/WorkingFormUnit.h"

namespace tsb {

namespace {

// One spelling for every path the run compares: full, with short names made long.
std::string FullLongPath(const std::string& path) {
    std::wstring wide = AnsiToWide(path);
    std::wstring full(MAX_PATH * 4, L'\0');
    DWORD n = ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0 || n >= full.size()) return ExcludeTrailingDelimiter(path);
    full.resize(n);
    std::wstring longer(MAX_PATH * 4, L'\0');
    n = ::GetLongPathNameW(full.c_str(), longer.data(), static_cast<DWORD>(longer.size()));
    if (n > 0 && n < longer.size()) full = longer.substr(0, n);
    return ExcludeTrailingDelimiter(WideToAnsi(full));
}

std::string PathKey(const std::string& path) { return PathCaseKey(FullLongPath(path)); }

bool IsBareDrive(const std::string& path) {
    return path.size() == 2 && path[1] == ':' && ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z');
}

// The system's file calls take paths below this many characters.
bool TooLong(const std::string& path) { return Utf16Length(path) >= MAX_PATH; }

int AskOverwrite(const std::string& name) {
    TForm* main = Application().MainForm();
    HWND owner = main && main->Handle() ? main->Handle() : nullptr;
    return ::MessageBoxA(owner, ("Overwrite " + name + "?").c_str(), Application().Title().c_str(),
                         MB_YESNOCANCEL | MB_ICONQUESTION | (owner ? 0 : MB_TASKMODAL));
}

}  // namespace

bool IsSkippedFile(const std::string& name) {
    std::string lower = LowerAZ(name);
    return lower == "thumbs.db" || lower == "desktop.ini";
}

bool CreateShortcutsRun(const std::string& sourceFolder, const std::string& filePatterns,
                        const std::string& destination, bool includeSubFolders, bool maintainStructure,
                        int overwriteMode, bool createPage, const std::string& pageName) {
    TCreateShortcutsRun run;
    return run.Run(sourceFolder, filePatterns, destination, includeSubFolders, maintainStructure, overwriteMode,
                   createPage, pageName);
}

bool TCreateShortcutsRun::Run(const std::string& sourceFolder, const std::string& filePatterns,
                              const std::string& destinationArg, bool includeSubFolders, bool maintainStructure,
                              int overwriteMode, bool createPage, const std::string& pageName) {
    std::string destination = destinationArg;
    if (createPage) {
        // A name taken from the source obeys the rule a typed one does ("Source\\.." gives ".."),
        // and the page made must lie in the destination itself, whatever the name.
        std::string name = pageName.empty() ? ExtractFileName(sourceFolder) : pageName;
        if (!name.empty()) {
            if (!IsPlainFolderName(name)) throw EError(InvalidPageNameMessage);
            destination += "\\" + name;
            if (PathKey(ExtractFilePath(FullLongPath(destination))) != PathKey(destinationArg))
                throw EError(InvalidPageNameMessage);
        }
        ForceDirectories(destination);
    }
    includeSubFolders_ = includeSubFolders;
    maintainStructure_ = maintainStructure;
    overwriteMode_ = overwriteMode;
    destinationTree_ = PathKey(destination);
    handled_.clear();
    written_.clear();
    StopMessage.clear();
    // The source in the spelling of what the run writes, so its files and folders compare.
    // (Made full before its delimiter goes: "C:" alone is the current folder of drive C, and a
    // drive named alone means its root.)
    std::string typed = IsBareDrive(sourceFolder) ? sourceFolder + "\\" : sourceFolder;
    std::string source = DirectoryExists(typed) ? FullLongPath(typed) : typed;
    source = ExcludeTrailingDelimiter(source);
    return Walk(source, SplitPatterns(filePatterns), destination);
}

bool TCreateShortcutsRun::Walk(const std::string& source, const std::vector<std::string>& patterns,
                               const std::string& destination) {
    ShowWorking(ExtractFileName(source));
    bool going = true;
    for (const std::string& pattern : patterns) {
        // The links name source + file name: a pattern that reaches into another folder would
        // give links to files that are not there.
        if (pattern.find_first_of("\\/:") != std::string::npos) {
            Log("CreateShortcutsRun Pattern left out: " + pattern);
            continue;
        }
        ForEachFileWhile(source + "\\" + pattern, [&](const TFindData& fd) {
            if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || fd.nFileSize == 0 || IsSkippedFile(fd.cFileName))
                return true;
            std::string file = source + "\\" + fd.cFileName;
            std::string key = PathCaseKey(file);
            // Once per run; and what the run wrote is no source of its own.
            if (written_.count(key) || !handled_.insert(key).second) return true;
            going = CreateOneShortcut(file, destination, overwriteMode_);
            return going;
        });
        if (!going) break;
        if (includeSubFolders_) {
            ForEachFileWhile(source + "\\*.*", [&](const TFindData& fd) {
                if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
                if (fd.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) return true;
                std::string sub = source + "\\" + fd.cFileName;
                // The destination's tree holds what the run writes: walking it would feed the run
                // its own shortcuts, deeper and deeper, until the path limit.
                if (PathCaseKey(sub) == destinationTree_) return true;
                going = Walk(sub, {pattern}, maintainStructure_ ? destination + "\\" + fd.cFileName : destination);
                return going;
            });
            if (!going) break;
        }
    }
    return going;
}

bool TCreateShortcutsRun::CreateOneShortcut(const std::string& file, const std::string& destination,
                                            int overwriteMode) {
    LetMessagesThrough();
    std::string name = ExtractFileName(file);
    std::string link = destination + "\\" + name + ".lnk";
    if (TooLong(link) || TooLong(file)) {
        Log("CreateOneShortcut Path too long: " + link);
        ++Failed;
        return true;
    }
    ForceDirectories(destination);
    if (FileExists(link)) {
        bool replace = false;
        switch (overwriteMode) {
            case owAlways:
                replace = true;
                break;
            case owNever:
                StopMessage = "The shortcut " + name + ".lnk already exists: no further shortcuts were created.";
                return false;
            case owPrompt:
                switch (AskOverwrite(name)) {
                    case IDYES: replace = true; break;
                    case IDNO: return true;
                    case IDCANCEL:
                        StopMessage = "Cancelled at " + name + ": no further shortcuts were created.";
                        return false;
                    default: break;
                }
                break;
            default:
                break;
        }
        // An old link that stays (read-only, locked) would pass below for a new one.
        if (replace && !::DeleteFileW(AnsiToWide(link).c_str())) {
            Log("CreateOneShortcut Not replaced: " + link);
            ++Failed;
            return true;
        }
    }
    CreateShellLink(file, name, link);
    // The link writer does not report a save that failed (a read-only folder, a full disk).
    if (!FileExists(link)) {
        Log("CreateOneShortcut Not written: " + link);
        ++Failed;
        return true;
    }
    written_.insert(PathKey(link));
    ++Created;
    return true;
}

// Writing a link takes tens of milliseconds; the indicator and the windows are painted every
// tenth of a second, so the program never looks hung during a long run.
void TCreateShortcutsRun::LetMessagesThrough() {
    unsigned long long now = ::GetTickCount64();
    if (now - lastMessages_ < 100) return;
    lastMessages_ = now;
    Application().ProcessMessages();
}

}  // namespace tsb
