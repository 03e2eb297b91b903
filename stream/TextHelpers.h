#pragma once
// Small readers of instrument and file text: hexadecimal fields by width, decimal fields,
// comma counts, and the number at the start of a text.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tidewell {

inline bool IsDigitChar(char c) {
    return c >= '0' && c <= '9';
}

// Value of each byte as a hexadecimal digit, or -1. A table: packet decoding reads some 60
// digits per line and must keep up with millions of lines a second.
inline constexpr auto kHexDigitValues = [] {
    std::array<int8_t, 256> t{};
    for (auto& v : t) v = -1;
    for (int c = 0; c < 10; ++c) t['0' + c] = static_cast<int8_t>(c);
    for (int c = 0; c < 6; ++c) t['A' + c] = t['a' + c] = static_cast<int8_t>(10 + c);
    return t;
}();

// Value of a hexadecimal digit, or -1.
inline int HexDigitValue(char c) {
    return kHexDigitValues[static_cast<unsigned char>(c)];
}

// The hexadecimal field of `width` characters at 1-based `position`. 4-digit fields are 16-bit
// and 8-digit fields 32-bit two's complement; other widths are unsigned. Reading stops at the
// first character that is not a hexadecimal digit; a field with no digit reads 0.
inline int32_t HexField(std::string_view line, size_t position, int width) {
    uint32_t value = 0;
    size_t i = position - 1;
    const size_t end =
        i + static_cast<size_t>(width) < line.size() ? i + static_cast<size_t>(width) : line.size();
    for (; i < end; ++i) {
        int d = HexDigitValue(line[i]);
        if (d < 0) break;
        value = (value << 4) | static_cast<uint32_t>(d);
    }
    // A field cut short by a non-digit keeps the value of the digits read; the sign bit is the
    // top bit of the field's full width, as it would be with leading zeros.
    if (width == 4) return static_cast<int16_t>(static_cast<uint16_t>(value));
    if (width == 8) return static_cast<int32_t>(value);
    return static_cast<int32_t>(value);
}

// Number of commas in the text.
int CountCommas(std::string_view text);

// True when the text starts with a number: a digit after any "-", "+" and "." characters.
bool StartsNumeric(std::string_view text);

// The number of a text that may start with a label: taken from the first digit (with one "."
// and then one "-" directly in front of it), cut at the first blank after that. No digit reads 0.
double LeadingNumber(std::string_view text);

// The decimal number at the start of a field's text; no number reads 0.
double FieldNumber(std::string_view text);

// Letter case of ASCII text; other bytes stay as they are. The comparisons below ignore the
// case of ASCII letters alone, whatever the C library's locale.
inline char LowerChar(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
std::string LowerCase(std::string_view text);
std::string UpperCase(std::string_view text);
// True when the texts are the same but for letter case.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
// True when `text` contains `needle` in any letter case.
bool ContainsNoCase(std::string_view text, std::string_view needle);

// A flag as settings hold it: "True" or "False" in any letter case, or a number (non-zero is
// true), blanks and tabs around it aside. False, and `value` untouched, for any other text.
bool ReadFlagText(std::string_view text, bool& value);

}  // namespace tidewell
