#include "framework/core/Text.h"

namespace tsb {

std::string LowerAZ(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return r;
}

bool SameTextAZ(std::string_view a, std::string_view b) {
    return a.size() == b.size() && LowerAZ(a) == LowerAZ(b);
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

bool IsPathDelimiter(char c) { return c == '\\' || c == '/'; }

std::string ExcludeTrailingDelimiter(std::string_view path) {
    if (!path.empty() && IsPathDelimiter(path.back())) path.remove_suffix(1);
    return std::string(path);
}

std::string IncludeTrailingDelimiter(std::string_view path) {
    std::string r(path);
    if (r.empty() || !IsPathDelimiter(r.back())) r += '\\';
    return r;
}

static size_t NameStart(std::string_view path) {
    size_t pos = path.find_last_of("\\/:");
    return pos == std::string_view::npos ? 0 : pos + 1;
}

std::string ExtractFileName(std::string_view path) { return std::string(path.substr(NameStart(path))); }
std::string ExtractFilePath(std::string_view path) { return std::string(path.substr(0, NameStart(path))); }

std::string ExtractFileExt(std::string_view path) {
    std::string_view name = path.substr(NameStart(path));
    size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0, i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

}  // namespace tsb
