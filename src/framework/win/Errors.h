#pragma once
// Errors are exceptions carrying the system's message.
#include <stdexcept>
#include <string>

#include "framework/win/Win.h"

namespace tsb {

class EError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class EOutOfMemory : public EError {
public:
    EOutOfMemory() : EError("Out of memory") {}
};

std::string SysErrorMessage(DWORD code);  // empty when the system has no text
[[noreturn]] void RaiseLastOSError(const std::string& context = {});
// Raises when hr fails: the system's text for it, or "OLE error %.8x".
void OleCheck(HRESULT hr);

}  // namespace tsb
