#pragma once
// Text helpers over single-byte strings, free of any operating-system header.
#include <string>
#include <string_view>
#include <vector>

namespace tsb {

// Only the letters A-Z are folded: paths and sort keys must not depend on the code page.
std::string LowerAZ(std::string_view s);
bool SameTextAZ(std::string_view a, std::string_view b);
bool StartsWith(std::string_view s, std::string_view prefix);
bool EndsWith(std::string_view s, std::string_view suffix);

// Path pieces in the Windows style ("\" separates, "C:" is a drive).
bool IsPathDelimiter(char c);
std::string ExcludeTrailingDelimiter(std::string_view path);
std::string IncludeTrailingDelimiter(std::string_view path);
std::string ExtractFileName(std::string_view path);   // after the last "\" "/" or ":"
std::string ExtractFilePath(std::string_view path);   // up to and including it
std::string ExtractFileExt(std::string_view path);    // from the last dot of the name, dot included

// Splits text at CR LF, LF or CR; a final line break does not start an empty line.
std::vector<std::string> SplitLines(std::string_view text);

}  // namespace tsb
