#pragma once
// The debug channel: every line begins with "TSB: " and goes to OutputDebugStringA.
#include <functional>
#include <string>
#include <string_view>

namespace tsb {

void Log(std::string_view text);  // writes "TSB: " + text

// Tests see every line written by this process; pass an empty function to stop.
using DebugHook = std::function<void(const std::string& line)>;
void SetDebugHook(DebugHook hook);

}  // namespace tsb
