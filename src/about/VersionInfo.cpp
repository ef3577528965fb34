#include "about/VersionInfo.h"

#include <vector>

#include "framework/win/Win.h"

namespace tsb {

void TExeVersionInfo::ReadVersionInfo() {
    DWORD handle = 0;
    DWORD size = ::GetFileVersionInfoSizeA(ExeName.c_str(), &handle);
    if (size == 0) return;
    std::vector<char> block(size, '\0');
    if (!::GetFileVersionInfoA(ExeName.c_str(), 0, size, block.data())) return;
    struct Field {
        const char* name;
        std::string* value;
    } fields[] = {{"CompanyName", &CompanyName},     {"FileDescription", &FileDescription},
                  {"FileVersion", &FileVersion},     {"InternalName", &InternalName},
                  {"LegalCopyright", &LegalCopyright}, {"LegalTradeMarks", &LegalTradeMarks},
                  {"OriginalFilename", &OriginalFilename}, {"ProductName", &ProductName},
                  {"ProductVersion", &ProductVersion}, {"Comments", &Comments}};
    for (const Field& f : fields) {
        std::string query = "StringFileInfo\\" + LangId + "04E4\\" + f.name;
        char* text = nullptr;
        UINT len = 0;
        // A value missing from the block leaves its property as it was.
        if (::VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &len) && text)
            *f.value = std::string(text, strnlen(text, len));
    }
}

}  // namespace tsb
