#pragma once
// The file categories of the Create Shortcuts tool, the update of its pattern text when a
// category is ticked or cleared, and the rules a bulk creation applies to names and patterns.
// Plain values in, plain values out.
#include <string>
#include <string_view>
#include <vector>

namespace tsb {

// In the order of the dialog's check boxes (their tab order).
enum class TFileCategory { fcDocuments, fcPhotos, fcApps, fcSpreadsheets, fcAudio, fcPresentations, fcVideos,
                           fcAllFiles, fcDatabases };

// A category's patterns in list order. Where one pattern begins another, the longer stands first:
// UpdatePatterns depends on it.
const std::vector<std::string>& CategoryPatterns(TFileCategory category);

// The pattern text after a category was ticked (its missing patterns appended, last to first)
// or cleared (each of its patterns removed wherever it occurs as plain text), with the ";"
// separators tidied and the whole text lower-cased.
std::string UpdatePatterns(std::string text, const std::vector<std::string>& patterns, bool checked);

// The patterns of a ";"-separated text in order, empty ones kept; "*.*" for a text with none.
std::vector<std::string> SplitPatterns(std::string_view text);

// A name that makes a folder directly inside another under exactly that name: not empty, not
// "." or "..", without a separator, a drive colon, a wildcard or a control character, not
// ending in a dot or a space (the system would drop them and the name could meet an existing
// folder), and not a reserved device name ("con", "nul", "com1", "lpt1"... with or without an
// extension).
bool IsPlainFolderName(std::string_view name);

// A reserved device name ("con", "prn", "aux", "nul", "com1".."com9", "lpt1".."lpt9" and the
// console's, any letter case), alone or followed by spaces or an extension: the system opens
// the device for such a name in any folder, whatever lies on disk.
bool IsDeviceName(std::string_view name);

}  // namespace tsb
