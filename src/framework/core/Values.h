#pragma once
// Parsing of configuration values.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tsb {

// Decimal with an optional sign, or hexadecimal after "$", or after "0x"/"0X" when the text is
// longer than two characters. The whole text must parse and fit 32 signed bits.
std::optional<int32_t> ParseInteger(std::string_view s);
int StrToIntDef(std::string_view s, int def);

// "#RRGGBB" (exactly seven characters) becomes "BBGGRR"; anything else comes back unchanged.
std::string HtmlColorToBGR(std::string_view s);

// A colour text read as hexadecimal 0x00BBGGRR; falls back to defText read the same way.
// Values above FFFFFF are no colour reference (the high byte would select a system or palette
// colour), so they count as not parsing.
uint32_t ParseColor(std::string_view text, std::string_view defText);

}  // namespace tsb
