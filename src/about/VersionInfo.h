#pragma once
// Reads the text values of a program file's version resource.
#include <string>

namespace tsb {

class TExeVersionInfo {
public:
    std::string LangId = "040C";  // language half of the string block key; the code page is 04E4
    std::string ExeName;
    std::string CompanyName, FileDescription, FileVersion, InternalName, LegalCopyright, LegalTradeMarks,
        OriginalFilename, ProductName, ProductVersion, Comments;

    // Fills the values found in the block; without a version resource nothing changes.
    void ReadVersionInfo();
};

}  // namespace tsb
