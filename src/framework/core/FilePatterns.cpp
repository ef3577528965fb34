#include "framework/core/FilePatterns.h"

#include "framework/core/Text.h"

namespace tsb {

const std::vector<std::string>& CategoryPatterns(TFileCategory category) {
    static const std::vector<std::string> lists[] = {
        {"*.docx", "*.doc", "*.odt", "*.pdf", "*.rtf", "*.txt", "*.wks", "*.wps", "*.wpd", "*.html", "*.htm"},
        {"*.jpg", "*.jpeg", "*.tiff", "*.tif", "*.png", "*.psd", "*.ps", "*.bmp", "*.gif"},
        {"*.exe"},
        {"*.xlsx", "*.xls", "*.xlr", "*.ods"},
        {"*.aif", "*.midi", "*.mid", "*.mp3", "*.mpa", "*.ogg", "*.wav", "*.wma", "*.wpl"},
        {"*.key", "*.odp", "*.pps", "*.pptx", "*.ppt"},
        {"*.avi", "*.flv", "*.h264", "*.m4v", "*.mkv", "*.mov", "*.mp4", "*.mpg", "*.mpeg", "*.rm", "*.swf",
         "*.wmv"},
        {"*.*"},
        {"*.mdb"},
    };
    return lists[static_cast<int>(category)];
}

std::string UpdatePatterns(std::string text, const std::vector<std::string>& patterns, bool checked) {
    if (checked) {
        // Last to first: the shorter of two that begin alike goes in before the longer, so the
        // substring test does not keep the longer one out.
        for (auto it = patterns.rbegin(); it != patterns.rend(); ++it)
            if (text.find(*it) == std::string::npos) text += ";" + *it;
    } else {
        // First to last: the longer leaves before the shorter, so no leftover piece of it remains.
        for (const std::string& p : patterns)
            for (size_t at; !p.empty() && (at = text.find(p)) != std::string::npos;) text.erase(at, p.size());
    }
    size_t first = text.find_first_not_of(';');
    if (first == std::string::npos) text.clear();
    else text = text.substr(first, text.find_last_not_of(';') - first + 1);
    for (size_t at; (at = text.find(";;")) != std::string::npos;) text.erase(at, 1);
    return LowerAZ(text);
}

std::vector<std::string> SplitPatterns(std::string_view text) {
    std::vector<std::string> list;
    for (size_t at; (at = text.find(';')) != std::string_view::npos; text.remove_prefix(at + 1))
        list.emplace_back(text.substr(0, at));
    if (!text.empty()) list.emplace_back(text);
    if (list.empty()) list.emplace_back("*.*");
    return list;
}

bool IsDeviceName(std::string_view name) {
    std::string stem(name.substr(0, name.find('.')));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (char& c : stem) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    if (stem == "con" || stem == "prn" || stem == "aux" || stem == "nul" || stem == "conin$" || stem == "conout$")
        return true;
    if (stem.size() < 4 || !(stem.starts_with("com") || stem.starts_with("lpt"))) return false;
    std::string_view digit = std::string_view(stem).substr(3);
    // 1 to 9, and the superscript digits the system also takes (UTF-8 and single-byte forms)
    return (digit.size() == 1 && digit[0] >= '1' && digit[0] <= '9') || digit == "\xC2\xB9" || digit == "\xC2\xB2" ||
           digit == "\xC2\xB3" || digit == "\xB9" || digit == "\xB2" || digit == "\xB3";
}

bool IsPlainFolderName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    if (name.back() == '.' || name.back() == ' ') return false;
    for (char c : name)
        if (static_cast<unsigned char>(c) < 32) return false;
    return name.find_first_of("\\/:*?\"<>|") == std::string_view::npos && !IsDeviceName(name);
}

}  // namespace tsb
