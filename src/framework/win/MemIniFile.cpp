#include "framework/win/MemIniFile.h"

#include "framework/win/Files.h"

namespace tsb {

TMemIniFile::TMemIniFile(std::string fileName) : fileName_(std::move(fileName)) {
    DWORD attrs = ::GetFileAttributesA(fileName_.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) {
        DWORD err = ::GetLastError();
        if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) return;
    }
    Parse(ReadTextFile(fileName_));
}

void TMemIniFile::UpdateFile() const { WriteFileSafely(fileName_, Serialize()); }

}  // namespace tsb
