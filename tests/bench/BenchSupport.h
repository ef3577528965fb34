#pragma once
// What every benchmark needs: a clock for a piece of work, and its folder removed at the end.
#include <windows.h>
#include <shellapi.h>

#include <chrono>
#include <string>

namespace tsbbench {

inline double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

template <class Run>
double Time(Run run) {
    auto t = std::chrono::steady_clock::now();
    run();
    return Seconds(t);
}

inline void RemoveFolder(const std::string& dir) {
    SHFILEOPSTRUCTA op{};
    std::string from = dir + std::string(1, '\0');
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    SHFileOperationA(&op);
}

}  // namespace tsbbench
