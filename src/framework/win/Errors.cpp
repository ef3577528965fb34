#include "framework/win/Errors.h"

#include <cstdio>

namespace tsb {

std::string SysErrorMessage(DWORD code) {
    char* buf = nullptr;
    DWORD n = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                   FORMAT_MESSAGE_IGNORE_INSERTS,
                               nullptr, code, 0, reinterpret_cast<char*>(&buf), 0, nullptr);
    std::string text(buf ? buf : "", n);
    if (buf) ::LocalFree(buf);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    return text;
}

void RaiseLastOSError(const std::string& context) {
    DWORD code = ::GetLastError();
    std::string msg = SysErrorMessage(code);
    if (msg.empty()) msg = "System Error. Code: " + std::to_string(code);
    throw EError(context.empty() ? msg : context + ". " + msg);
}

void OleCheck(HRESULT hr) {
    if (SUCCEEDED(hr)) return;
    if (hr == E_OUTOFMEMORY) throw EOutOfMemory();
    std::string msg = SysErrorMessage(static_cast<DWORD>(hr));
    if (msg.empty()) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "OLE error %.8lx", static_cast<unsigned long>(hr));
        msg = buf;
    }
    throw EError(msg);
}

}  // namespace tsb
