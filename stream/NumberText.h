#pragma once
// The program's number texts. Data and calibration files are interchange formats whose
// numbers must come out byte for byte the same as they always have, so every conversion
// between numbers and text goes through here.

#include <cstdint>
#include <string>
#include <string_view>

namespace tidewell {

// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double RoundHalfEven(double value);
// RoundHalfEven, then saturated to the range of the integer type.
int64_t RoundToInt64(double value);
int32_t RoundToInt32(double value);
int16_t RoundToInt16(double value);

// The marker 1.0E+308 that stands in a value whose computation faulted (and in a sigma
// parameter taken from its table file).
inline constexpr double kFailedMarker = 1.0E+308;

// Shortest decimal text of a number with at most `digits` significant digits: no leading zero
// before the point (".5", "-.25"), exponent form ("1E-05", "1.234568E+07") when the decimal
// exponent is below -4 or not below `digits`. A number that is not finite (one that overflowed
// its field, such as a double too large for a single) is written as the marker, "1E+308": no
// file ever carries "Infinity" or "NaN".
std::string FormatSignificant(double value, int digits);
// Appends the same text to `out`; the hot path of the file writers.
void AppendSignificant(std::string& out, double value, int digits);
// Writes the same text at `out`, which must have room for 32 characters (for `digits` up to 24;
// `digits` + 8 beyond), and returns the end of the text. For builders of long lines in a buffer
// of their own.
char* WriteSignificant(char* out, double value, int digits);

// The plain form of a single (as PlainSingle) written at `out`, which must have room for 32
// characters (bytes past the end of the text may be overwritten); returns the end of the text.
// The quick way for rows of numbers: exact, in integer arithmetic, without trial and retry.
char* WritePlainSingle(char* out, float value);

// Single precision: 7 significant digits. Double precision: 15.
inline std::string PlainSingle(float value) {
    return FormatSignificant(value, 7);
}
inline std::string PlainDouble(double value) {
    return FormatSignificant(value, 15);
}
// The Str form: the plain form with a leading blank for zero and positive numbers.
std::string StrSingle(float value);
std::string StrDouble(double value);
// Integers in both forms.
std::string PlainInt(int64_t value);
std::string StrInt(int64_t value);

// As FormatSignificant but with a zero before the point of numbers below 1 ("0.5"), the form
// used where a header shows a parameter in the short form.
std::string FormatSignificantLeadingZero(double value, int digits);

// Rounds to `digits` significant digits (calibration numbers keep 6).
double RoundSignificant(double value, int digits);
// Rounds to `places` decimal places, halves to even (gains keep 6 places, sigma and rho 3).
double RoundDecimals(double value, int places);
// A calibration number: rounded to 6 significant digits, written in plain form.
std::string SixDigitText(double value);

// Reads the decimal number at the start of `text` (after blanks): an optional sign, digits with
// at most one point, an optional exponent. Reading stops at the first character that does not
// fit; no number reads 0.
double ReadDecimal(std::string_view text);
// As ReadDecimal, and tells how many characters were taken (0 when there was no number).
double ReadDecimal(std::string_view text, size_t& used);
// True when the whole text, blanks and tabs around it aside, is one finite decimal number (how
// a setting that holds a number or a file name is told apart); the number goes to `value`.
bool ReadWholeDecimal(std::string_view text, double& value);

}  // namespace tidewell
