#include "stream/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace tidewell {

double RoundHalfEven(double value) {
    return std::nearbyint(value);
}

namespace {
template <typename Int>
Int SaturatedRound(double value) {
    double r = std::nearbyint(value);
    if (std::isnan(r)) return 0;
    if (r <= static_cast<double>(std::numeric_limits<Int>::min()))
        return std::numeric_limits<Int>::min();
    if (r >= static_cast<double>(std::numeric_limits<Int>::max()))
        return std::numeric_limits<Int>::max();
    return static_cast<Int>(r);
}

// Decimal digits and exponent of `value` rounded to `digits` significant digits, trailing zeros
// removed. Returns the number of digits kept.
int SignificantDigits(double value, int digits, char* out, int& exponent) {
    char buf[64];
    auto res =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, digits - 1);
    // buf holds d[.ddd]e[+-]xx
    char* e = static_cast<char*>(std::memchr(buf, 'e', static_cast<size_t>(res.ptr - buf)));
    int n = 0;
    for (char* p = buf; p < e; ++p)
        if (*p >= '0' && *p <= '9') out[n++] = *p;
    while (n > 1 && out[n - 1] == '0') --n;
    int exp = 0;
    std::from_chars(e + (e[1] == '+' ? 2 : 1), res.ptr, exp);
    exponent = exp;
    return n;
}

void AppendFormatted(std::string& out, double value, int digits, bool leadingZero) {
    if (value == 0) {
        out += '0';
        return;
    }
    if (!std::isfinite(value)) {
        out += std::isnan(value) ? "NaN" : value < 0 ? "-Infinity" : "Infinity";
        return;
    }
    if (value < 0) {
        out += '-';
        value = -value;
    }
    char d[32];
    int exp = 0;
    int n = SignificantDigits(value, digits, d, exp);
    if (exp < -4 || exp >= digits) {
        out += d[0];
        if (n > 1) {
            out += '.';
            out.append(d + 1, static_cast<size_t>(n - 1));
        }
        out += 'E';
        out += exp < 0 ? '-' : '+';
        int a = exp < 0 ? -exp : exp;
        if (a >= 100) out += static_cast<char>('0' + a / 100);
        out += static_cast<char>('0' + (a / 10) % 10);
        out += static_cast<char>('0' + a % 10);
        return;
    }
    if (exp < 0) {
        if (leadingZero) out += '0';
        out += '.';
        out.append(static_cast<size_t>(-exp - 1), '0');
        out.append(d, static_cast<size_t>(n));
        return;
    }
    int whole = exp + 1;
    if (n <= whole) {
        out.append(d, static_cast<size_t>(n));
        out.append(static_cast<size_t>(whole - n), '0');
    } else {
        out.append(d, static_cast<size_t>(whole));
        out += '.';
        out.append(d + whole, static_cast<size_t>(n - whole));
    }
}
}  // namespace

int64_t RoundToInt64(double value) {
    return SaturatedRound<int64_t>(value);
}
int32_t RoundToInt32(double value) {
    return SaturatedRound<int32_t>(value);
}
int16_t RoundToInt16(double value) {
    return SaturatedRound<int16_t>(value);
}

void AppendSignificant(std::string& out, double value, int digits) {
    AppendFormatted(out, value, digits, false);
}

std::string FormatSignificant(double value, int digits) {
    std::string s;
    AppendFormatted(s, value, digits, false);
    return s;
}

std::string FormatSignificantLeadingZero(double value, int digits) {
    std::string s;
    AppendFormatted(s, value, digits, true);
    return s;
}

std::string StrSingle(float value) {
    std::string s = (value >= 0 || std::isnan(value)) ? " " : "";
    AppendFormatted(s, value, 7, false);
    return s;
}

std::string StrDouble(double value) {
    std::string s = (value >= 0 || std::isnan(value)) ? " " : "";
    AppendFormatted(s, value, 15, false);
    return s;
}

std::string PlainInt(int64_t value) {
    return std::to_string(value);
}

std::string StrInt(int64_t value) {
    return value >= 0 ? " " + std::to_string(value) : std::to_string(value);
}

double RoundSignificant(double value, int digits) {
    if (value == 0 || !std::isfinite(value)) return value;
    char buf[64];
    auto res =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, digits - 1);
    double rounded = 0;
    std::from_chars(buf, res.ptr, rounded);
    return rounded;
}

std::string SixDigitText(double value) {
    return PlainDouble(RoundSignificant(value, 6));
}

double ReadDecimal(std::string_view text, size_t& used) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    size_t numberStart = i;
    bool digits = false;
    while (i < n && text[i] >= '0' && text[i] <= '9') ++i, digits = true;
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && text[i] >= '0' && text[i] <= '9') ++i, digits = true;
    }
    if (!digits) {
        used = 0;
        return 0;
    }
    size_t end = i;
    if (i < n && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
        size_t j = i + 1;
        if (j < n && (text[j] == '+' || text[j] == '-')) ++j;
        size_t expDigits = j;
        while (j < n && text[j] >= '0' && text[j] <= '9') ++j;
        if (j > expDigits) end = j;
    }
    // from_chars knows neither a leading "+" nor the "D" exponent letter; copy when needed.
    char buf[128];
    std::string_view number = text.substr(numberStart, end - numberStart);
    if (number.size() >= sizeof buf) number = number.substr(0, sizeof buf - 1);
    std::memcpy(buf, number.data(), number.size());
    for (size_t k = 0; k < number.size(); ++k)
        if (buf[k] == 'D' || buf[k] == 'd' || buf[k] == 'e') buf[k] = 'E';
    double value = 0;
    auto res = std::from_chars(buf, buf + number.size(), value);
    if (res.ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: read as infinity or zero, by the exponent's sign.
        const char* e = static_cast<const char*>(std::memchr(buf, 'E', number.size()));
        value = (e && e[1] == '-') ? 0.0 : std::numeric_limits<double>::infinity();
    }
    used = end;
    return negative ? -value : value;
}

bool ReadWholeDecimal(std::string_view text, double& value) {
    size_t used = 0;
    double v = ReadDecimal(text, used);
    if (used == 0 || !std::isfinite(v)) return false;
    for (size_t i = used; i < text.size(); ++i)
        if (text[i] != ' ' && text[i] != '\t') return false;
    value = v;
    return true;
}

double ReadDecimal(std::string_view text) {
    size_t used = 0;
    return ReadDecimal(text, used);
}

}  // namespace tidewell
