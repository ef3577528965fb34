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
std::string ProgramFileName();                  // full path of the running executable
std::string ProgramFolder();                    // its folder, with a trailing "\"
// Tests run the program's units in-process on a folder of their own.
void SetProgramFolder(const std::string& folder);

std::string ReadFileBytes(const std::string& path);  // raises when the file can't be opened or read
void WriteFileBytes(const std::string& path, std::string_view data);  // raises on failure

// Calls visit for each entry of FindFirstFileA(pattern), "." and ".." left out.
// Returns false when the enumeration could not start.
bool ForEachFile(const std::string& pattern, const std::function<void(const WIN32_FIND_DATAA&)>& visit);

}  // namespace tsb
