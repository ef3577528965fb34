#pragma once
// An INI file read whole into memory and written back whole: read in whatever encoding it was
// saved in (see ReadTextFile), written as the process code page's text (UTF-8) in one step.
#include <string>

#include "framework/core/IniFile.h"

namespace tsb {

class TMemIniFile : public IniDocument {
public:
    // Reads the file; a missing file reads as empty, any other failure raises.
    explicit TMemIniFile(std::string fileName);
    void UpdateFile() const;  // raises when the file can't be written; the old one then stays
    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
};

}  // namespace tsb
