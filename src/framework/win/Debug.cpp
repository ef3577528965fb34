#include "framework/win/Debug.h"

#include <mutex>

#include "framework/win/Win.h"

namespace tsb {

static std::mutex g_hookLock;
static DebugHook g_hook;

void Log(std::string_view text) {
    std::string line = "TSB: ";
    line += text;
    ::OutputDebugStringA(line.c_str());
    std::lock_guard<std::mutex> lock(g_hookLock);
    if (g_hook) g_hook(line);
}

void SetDebugHook(DebugHook hook) {
    std::lock_guard<std::mutex> lock(g_hookLock);
    g_hook = std::move(hook);
}

}  // namespace tsb
