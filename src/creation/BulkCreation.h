#pragma once
// The engine of the Create Shortcuts tool: walks a source folder (and, if asked, its
// sub-folders) and writes one shortcut into the destination for every matching file.
#include <set>
#include <string>
#include <vector>

namespace tsb {

constexpr int owAlways = 0, owNever = 1, owPrompt = 2;
constexpr const char* InvalidPageNameMessage = "The page name must be a folder name without \\ / : * ? \" < > |.";

// "thumbs.db" and "desktop.ini", in any letter case, never get a shortcut.
bool IsSkippedFile(const std::string& name);

// One run. Every file is handled once, however many patterns find it, and the shortcuts the run
// writes are never taken for source files, nor is the destination's own tree walked: a source
// folder that holds the destination can't feed the run its own output.
class TCreateShortcutsRun {
public:
    // True when the run went through to the end, false when it was stopped (Never met an
    // existing shortcut, or Cancel was answered). Raises for an unusable page name, before
    // anything is written, and when the link object fails.
    bool Run(const std::string& sourceFolder, const std::string& filePatterns, const std::string& destination,
             bool includeSubFolders, bool maintainStructure, int overwriteMode, bool createPage,
             const std::string& pageName);
    // True: go on with the next file; false: stop the whole run.
    bool CreateOneShortcut(const std::string& file, const std::string& destination, int overwriteMode);

    // What the administrator is told when the run ended early; empty when it went through.
    std::string StopMessage;
    // Shortcuts left out because their path was too long or the system did not write them.
    int Failed = 0;
    int Created = 0;

private:
    bool Walk(const std::string& source, const std::vector<std::string>& patterns, const std::string& destination);
    void LetMessagesThrough();

    bool includeSubFolders_ = false, maintainStructure_ = true;
    int overwriteMode_ = owAlways;
    std::string destinationTree_;   // the run's top destination, full, as PathCaseKey gives it
    std::set<std::string> handled_;  // source files, full, likewise
    std::set<std::string> written_;  // shortcuts this run wrote, likewise
    unsigned long long lastMessages_ = 0;
};

// The run with the eight values the dialog gives; see TCreateShortcutsRun::Run.
bool CreateShortcutsRun(const std::string& sourceFolder, const std::string& filePatterns,
                        const std::string& destination, bool includeSubFolders, bool maintainStructure,
                        int overwriteMode, bool createPage, const std::string& pageName);

}  // namespace tsb
