#pragma once
// Text helpers over single-byte strings, free of any operating-system header.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tsb {

// Only the letters A-Z are folded: paths and sort keys must not depend on the code page.
std::string LowerAZ(std::string_view s);
bool SameTextAZ(std::string_view a, std::string_view b);
bool StartsWith(std::string_view s, std::string_view prefix);
bool EndsWith(std::string_view s, std::string_view suffix);

// The mnemonic character of a caption ("&" marks it, "&&" is a literal ampersand), or 0.
char MnemonicOf(std::string_view caption);

// Path pieces in the Windows style ("\" separates, "C:" is a drive).
bool IsPathDelimiter(char c);
std::string ExcludeTrailingDelimiter(std::string_view path);
std::string IncludeTrailingDelimiter(std::string_view path);
std::string ExtractFileName(std::string_view path);   // after the last "\" "/" or ":"
std::string ExtractFilePath(std::string_view path);   // up to and including it
std::string ExtractFileExt(std::string_view path);    // from the last dot of the name, dot included

// Splits text at CR LF, LF or CR; a final line break does not start an empty line.
std::vector<std::string> SplitLines(std::string_view text);

// UTF-8, the process code page. Lengths count UTF-16 units, as the system counts characters.
bool IsValidUtf8(std::string_view s);  // shortest forms only, no surrogates, nothing above U+10FFFF
size_t Utf16Length(std::string_view utf8);  // an invalid byte counts one: it becomes U+FFFD
// The longest beginning of at most maxUnits UTF-16 units that ends between two characters.
std::string_view Utf16Prefix(std::string_view utf8, size_t maxUnits);
std::u16string Utf8ToUtf16(std::string_view utf8);  // an invalid byte becomes U+FFFD
std::string Utf16ToUtf8(std::u16string_view text);  // an unpaired surrogate becomes U+FFFD

// The sizes in rich text that a reader must hold, up to the end of the outermost group (where a
// reader stops): the deepest nesting of groups, the longest control word with its parameter, and
// the longest name in a font table or style sheet. Escaped braces and backslashes are text.
struct TRtfSizes {
    int groupDepth = 0;
    size_t longestControlWord = 0;
    size_t longestTableName = 0;
};
TRtfSizes MeasureRtf(std::string_view rtf);
// Every character beyond ASCII written as RTF's own Unicode escape ("\u-10179?"), so a reader
// takes it as that character whatever code page the rich text declares.
std::string RtfEscapeNonAscii(std::u16string_view rtf);
// What the system's rich-text reader is given for a header: the text escaped as above, or
// nullopt when that holds more than the reader keeps (groups nested deeper than 32, a control
// word or a table name longer than 255 characters).
std::optional<std::string> RtfForReader(std::u16string_view rtf);

// What a text file's bytes are: a byte-order mark decides; without one, text that is valid UTF-8
// is UTF-8 and anything else is in the legacy code page.
enum class TTextEncoding { teUtf8, teUtf16LE, teUtf16BE, teLegacy };
struct TTextKind {
    TTextEncoding encoding;
    size_t bomLength;
};
TTextKind DetectTextEncoding(std::string_view bytes);
// The text of a file as UTF-16 where the encoding needs no code page; nullopt for teLegacy.
std::optional<std::u16string> DecodeUnicodeText(std::string_view bytes);

}  // namespace tsb
