#pragma once
// ANSI (system code page) <-> UTF-16, used at the edges: page headers, COM, directory changes.
#include <string>
#include <string_view>

namespace tsb {
std::wstring AnsiToWide(std::string_view s);
std::string WideToAnsi(std::wstring_view s);
}  // namespace tsb
