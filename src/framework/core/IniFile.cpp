#include "framework/core/IniFile.h"

#include "framework/core/Text.h"
#include "framework/core/Values.h"

namespace tsb {

void IniDocument::Parse(std::string_view text) {
    sections_.clear();
    for (std::string& line : SplitLines(text)) {
        if (line.empty() || line[0] == ';') continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            sections_.push_back({line.substr(1, line.size() - 2), {}});
        } else if (!sections_.empty()) {
            sections_.back().lines.push_back(std::move(line));
        }
    }
}

std::string IniDocument::Serialize() const {
    std::string out;
    for (const Section& s : sections_) {
        out += '[' + s.name + "]\r\n";
        for (const std::string& line : s.lines) out += line + "\r\n";
        out += "\r\n";
    }
    return out;
}

const IniDocument::Section* IniDocument::FindSection(std::string_view name) const {
    for (const Section& s : sections_)
        if (SameTextAZ(s.name, name)) return &s;
    return nullptr;
}

bool IniDocument::SectionExists(std::string_view section) const { return FindSection(section) != nullptr; }

// The name is the part before the first "=", untrimmed; a line without "=" names no key.
static bool LineHasKey(const std::string& line, std::string_view key) {
    size_t eq = line.find('=');
    return eq != std::string::npos && SameTextAZ(std::string_view(line).substr(0, eq), key);
}

std::optional<std::string> IniDocument::Find(std::string_view section, std::string_view key) const {
    if (const Section* s = FindSection(section))
        for (const std::string& line : s->lines)
            if (LineHasKey(line, key)) return line.substr(line.find('=') + 1);
    return std::nullopt;
}

std::string IniDocument::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
    auto v = Find(section, key);
    return v ? *v : std::string(def);
}

int IniDocument::ReadInteger(std::string_view section, std::string_view key, int def) const {
    auto v = Find(section, key);
    return v ? StrToIntDef(*v, def) : def;
}

bool IniDocument::ReadBool(std::string_view section, std::string_view key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void IniDocument::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    std::string line = std::string(key) + '=' + std::string(value);
    Section* s = const_cast<Section*>(FindSection(section));
    if (!s) {
        sections_.push_back({std::string(section), {}});
        s = &sections_.back();
    }
    for (std::string& existing : s->lines)
        if (LineHasKey(existing, key)) {
            existing = std::move(line);
            return;
        }
    s->lines.push_back(std::move(line));
}

}  // namespace tsb
