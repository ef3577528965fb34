// The OS-free path rules that paths from shortcuts, the monitor and the dialogs go through: a
// path is its folder part followed by its name; trailing delimiters come and go as asked; the
// identity form (A-Z lower-cased, no trailing delimiter) is stable; picture extensions are
// recognised in any letter case; a plain folder name stays one name under any parent.
#include "FuzzCheck.h"
#include "framework/core/FilePatterns.h"
#include "framework/core/PictureFile.h"
#include "framework/core/Text.h"

using namespace tsb;

namespace {

bool HasAny(std::string_view s, std::string_view set) { return s.find_first_of(set) != std::string_view::npos; }

void CheckPath(std::string_view path) {
    std::string folder = ExtractFilePath(path), name = ExtractFileName(path), ext = ExtractFileExt(path);
    FUZZ_CHECK(folder + name == path);
    FUZZ_CHECK(!HasAny(name, "\\/:"));
    FUZZ_CHECK(folder.empty() || HasAny(folder.substr(folder.size() - 1), "\\/:"));
    FUZZ_CHECK(ExtractFileName(name) == name && ExtractFilePath(name).empty());
    FUZZ_CHECK(EndsWith(name, ext));
    FUZZ_CHECK(ext.empty() || (ext[0] == '.' && ext.find('.', 1) == std::string::npos));
    if (ext.empty()) FUZZ_CHECK(name.find('.') == std::string::npos);
    FUZZ_CHECK(ExtractFileExt(name) == ext);

    std::string with = IncludeTrailingDelimiter(path), without = ExcludeTrailingDelimiter(path);
    FUZZ_CHECK(!with.empty() && IsPathDelimiter(with.back()));
    FUZZ_CHECK(IncludeTrailingDelimiter(with) == with);
    FUZZ_CHECK(StartsWith(with, path) && with.size() - path.size() <= 1);
    FUZZ_CHECK(StartsWith(path, without) && path.size() - without.size() <= 1);
    if (path.empty() || !IsPathDelimiter(path.back())) {
        FUZZ_CHECK(without == path);
        FUZZ_CHECK(ExcludeTrailingDelimiter(with) == path);
    }
    FUZZ_CHECK(ExtractFileName(with).empty());

    // The identity of a page or shortcut: A-Z lower-cased, no trailing delimiter.
    std::string lower = LowerAZ(path);
    FUZZ_CHECK(lower.size() == path.size());
    FUZZ_CHECK(LowerAZ(lower) == lower && !HasAny(lower, "ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    for (size_t i = 0; i < path.size(); ++i)
        if (path[i] < 'A' || path[i] > 'Z') FUZZ_CHECK(lower[i] == path[i]);
    FUZZ_CHECK(SameTextAZ(path, lower));
    FUZZ_CHECK(ExtractFileName(lower) == LowerAZ(name));

    FUZZ_CHECK(IsPictureFile(ext) == IsPictureFile(LowerAZ(ext)));
    if (IsPictureFile(ext)) FUZZ_CHECK(ext.size() >= 4 && ext.size() <= 5);
}

void CheckPrefix(std::string_view s, std::string_view prefix) {
    bool starts = StartsWith(s, prefix);
    FUZZ_CHECK(starts == (s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0));
    // The Program Files rule: a path under one folder, moved under another, comes back.
    if (starts) FUZZ_CHECK(std::string(prefix) + std::string(s.substr(prefix.size())) == s);
    FUZZ_CHECK(EndsWith(s, prefix) == (s.size() >= prefix.size() && s.substr(s.size() - prefix.size()) == prefix));
}

void CheckFolderName(std::string_view name) {
    if (!IsPlainFolderName(name)) return;
    FUZZ_CHECK(!name.empty() && name != "." && name != "..");
    FUZZ_CHECK(!HasAny(name, "\\/:*?\"<>|"));
    for (const char* parent : {"C:\\Menu\\shortcuts", "C:\\Menu\\shortcuts\\", ""}) {
        std::string full = IncludeTrailingDelimiter(parent) + std::string(name);
        FUZZ_CHECK(ExtractFileName(full) == name);
        FUZZ_CHECK(ExcludeTrailingDelimiter(ExtractFilePath(full)) == ExcludeTrailingDelimiter(IncludeTrailingDelimiter(parent)));
    }
    FUZZ_CHECK(name.back() != '.' && name.back() != ' ');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> paths = fuzz::Pieces(fuzz::AsText(data, size), '\n', 16);
    for (const std::string& p : paths) {
        CheckPath(p);
        CheckFolderName(p);
        char m = MnemonicOf(p);
        if (m) FUZZ_CHECK(m != '&' && p.find(std::string("&") + m) != std::string::npos);
        for (const std::string& q : paths) CheckPrefix(p, q);
    }
    return 0;
}
