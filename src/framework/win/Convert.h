#pragma once
// ANSI (the process code page: UTF-8 under the program's manifest) <-> UTF-16, used at the
// edges: page headers, COM, directory changes; and the decoding of text files.
#include <string>
#include <string_view>

#include "framework/win/Win.h"

namespace tsb {
std::wstring AnsiToWide(std::string_view s);
std::string WideToAnsi(std::wstring_view s);

// The code page ANSI text had before the manifest made it UTF-8: the user's default ANSI code
// page. Locales that have none (Unicode-only) read such text as Windows-1252.
UINT LegacyCodePage();
// A text file's bytes as UTF-16 or as ANSI text: by its byte-order mark, else as UTF-8 when it
// is valid UTF-8, else in the legacy code page.
std::wstring TextFileToWide(std::string_view bytes);
std::string TextFileToAnsi(std::string_view bytes);
}  // namespace tsb
