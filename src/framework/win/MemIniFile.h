#pragma once
// An INI file read whole into memory and written back whole.
#include <string>

#include "framework/core/IniFile.h"

namespace tsb {

class TMemIniFile : public IniDocument {
public:
    // Reads the file; a missing file reads as empty, any other failure raises.
    explicit TMemIniFile(std::string fileName);
    void UpdateFile() const;  // raises when the file can't be written
    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
};

}  // namespace tsb
