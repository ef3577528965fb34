#pragma once
// Files and folders through the ANSI file API; failures that matter raise EError.
#include <functional>
#include <string>
#include <string_view>

#include "framework/win/Win.h"

namespace tsb {

bool FileExists(const std::string& path);       // a file, not a folder
bool DirectoryExists(const std::string& path);
bool ForceDirectories(const std::string& path);  // creates missing parents; true when it exists after
// One spelling of a path for comparing paths as the file system does: every letter of every script
// in one case, by the system's own case table (no linguistic equivalences: "Straße" and
// "STRASSE" are two names).
std::string PathCaseKey(std::string_view path);
std::string ProgramFileName();                  // full path of the running executable
std::string ProgramFolder();                    // its folder, with a trailing "\"
// Tests run the program's units in-process on a folder of their own.
void SetProgramFolder(const std::string& folder);

std::string ReadFileBytes(const std::string& path);  // raises when the file can't be opened or read
// A text file's content in the process code page, whatever encoding it was saved in (see
// TextFileToAnsi); raises like ReadFileBytes.
std::string ReadTextFile(const std::string& path);
// Replaces the file's content in one step: the data goes to a new file beside it, which then
// takes the old one's place. Raises on any failure, and then the old file is as it was.
void WriteFileSafely(const std::string& path, std::string_view data);

// What an enumeration reports of one entry: the fields of WIN32_FIND_DATA that are used, the
// name in the process code page at any length (the ANSI record holds only 260 bytes of it).
struct TFindData {
    std::string cFileName;
    DWORD dwFileAttributes = 0;
    unsigned long long nFileSize = 0;
};
// Calls visit for each entry matching pattern, "." and ".." left out.
// Returns false when the enumeration could not start.
bool ForEachFile(const std::string& pattern, const std::function<void(const TFindData&)>& visit);
// The same, ending as soon as visit returns false.
bool ForEachFileWhile(const std::string& pattern, const std::function<bool(const TFindData&)>& visit);

}  // namespace tsb
