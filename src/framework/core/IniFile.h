#pragma once
// The configuration file's dialect, held in memory. Parsing and writing are pure text
// operations; reading and saving the file belong to the caller.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tsb {

class IniDocument {
public:
    IniDocument() = default;
    explicit IniDocument(std::string_view text) { Parse(text); }

    void Parse(std::string_view text);
    std::string Serialize() const;  // normal form, CR LF line ends

    bool SectionExists(std::string_view section) const;
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;
    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
    int ReadInteger(std::string_view section, std::string_view key, int def) const;
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;
    void WriteString(std::string_view section, std::string_view key, std::string_view value);

private:
    struct Section {
        std::string name;
        std::vector<std::string> lines;
    };
    const Section* FindSection(std::string_view name) const;
    std::vector<Section> sections_;
};

}  // namespace tsb
