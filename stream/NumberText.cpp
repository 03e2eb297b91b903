#include "stream/NumberText.h"

#include <array>
#include <bit>
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

// base^0 .. base^(count-1).
template <typename Unsigned, size_t count>
constexpr std::array<Unsigned, count> PowersOf(Unsigned base) {
    std::array<Unsigned, count> p{};
    p[0] = 1;
    for (size_t i = 1; i < count; ++i) p[i] = p[i - 1] * base;
    return p;
}

// 5^0 .. 5^27, the powers of five that fit 64 bits, and 10^0 .. 10^18.
constexpr auto kPowersOfFive = PowersOf<uint64_t, 28>(5);
constexpr auto kPowersOfTen = PowersOf<uint64_t, 19>(10);

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The `count` decimal digits of `value`, two at a time from the right.
template <typename Unsigned>
void WriteDigits(Unsigned value, int count, char* out) {
    int i = count;
    for (; i >= 2; i -= 2) {
        const Unsigned rest = value / 100;
        const char* pair = kDigitPairs + 2 * (value - rest * 100);
        out[i - 2] = pair[0];
        out[i - 1] = pair[1];
        value = rest;
    }
    if (i == 1) out[0] = static_cast<char>('0' + value);
}

// The same for exactly seven digits, without a loop.
[[gnu::always_inline]] inline void WriteSevenDigits(uint32_t value, char* out) {
    const uint32_t top = value / 100000;
    const uint32_t rest = value - top * 100000;
    const uint32_t middle = rest / 1000;
    const uint32_t low = rest - middle * 1000;
    const uint32_t tens = low / 10;
    std::memcpy(out, kDigitPairs + 2 * top, 2);
    std::memcpy(out + 2, kDigitPairs + 2 * middle, 2);
    std::memcpy(out + 4, kDigitPairs + 2 * tens, 2);
    out[6] = static_cast<char>('0' + (low - tens * 10));
}

#ifdef __SIZEOF_INT128__
// value 10^k rounded half to even, with value = m 2^q and 5^k = `five`; 0 when it needs more
// than 64 bits (it is below 10^19 whenever the decimal exponent was guessed within one).
uint64_t ScaledRounded(uint64_t m, int q, int k, uint64_t five) {
    const int shift = q + k;
    uint64_t product = 0;
    // A single has 24 bits, which with 5^k of up to 40 bits stays within 64: the common case.
    if (!__builtin_mul_overflow(m, five, &product) && shift > -64) {
        if (shift >= 0) return shift < 64 ? product << shift : 0;
        const int s = -shift;
        const uint64_t whole = product >> s;
        const uint64_t rest = product & ((uint64_t{1} << s) - 1);
        const uint64_t half = uint64_t{1} << (s - 1);
        return whole + (rest > half || (rest == half && (whole & 1) != 0));
    }
    const unsigned __int128 n = static_cast<unsigned __int128>(m) * five;
    if (shift >= 0) return static_cast<uint64_t>(n << shift);
    if (shift <= -128) return 0;
    const int s = -shift;
    const unsigned __int128 whole = n >> s;
    const unsigned __int128 rest = n - (whole << s);
    const unsigned __int128 half = static_cast<unsigned __int128>(1) << (s - 1);
    return static_cast<uint64_t>(whole) + (rest > half || (rest == half && (whole & 1) != 0));
}

// The quick exact way, taken for every number of a calibrated data row: with value = m 2^q,
// value 10^k = m 5^k 2^(q+k) is computed in integers and rounded half to even, with k chosen to
// leave `digits` digits before the point. Handles k from 0 to 27 (numbers below 10^digits down
// to about 1e-27); returns 0 otherwise and the general conversion decides.
int ScaledSignificantDigits(double value, int digits, char* out, int& exponent) {
    const auto bits = std::bit_cast<uint64_t>(value);
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    if (digits > 17 || biased == 0) return 0;  // subnormal numbers go the general way
    uint64_t m = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
    int q = biased - 1075;  // value = m 2^q
    const int b = q + 53;   // value lies in [2^(b-1), 2^b)
    const int zeros = std::countr_zero(m);
    m >>= zeros;
    q += zeros;
    // The decimal exponent is floor((b - 1) log10 2) or one more; a wrong guess shows in the
    // size of the result and is corrected once.
    int e = ((b - 1) * 78913) >> 18;
    const uint64_t low = kPowersOfTen[static_cast<size_t>(digits - 1)];
    const uint64_t high = kPowersOfTen[static_cast<size_t>(digits)];
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int k = digits - 1 - e;
        if (k < 0 || k > 27) return 0;
        uint64_t rounded = ScaledRounded(m, q, k, kPowersOfFive[static_cast<size_t>(k)]);
        if (rounded < low) {
            --e;
            continue;
        }
        if (rounded > high) {
            ++e;
            continue;
        }
        if (rounded == high) {  // rounded up to the next power of ten
            out[0] = '1';
            exponent = e + 1;
            return 1;
        }
        if (digits == 7)  // singles, the numbers of every data row
            WriteSevenDigits(static_cast<uint32_t>(rounded), out);
        else if (rounded <= UINT32_MAX)  // 32-bit division is quicker
            WriteDigits(static_cast<uint32_t>(rounded), digits, out);
        else
            WriteDigits(rounded, digits, out);
        int kept = digits;
        while (kept > 1 && out[kept - 1] == '0') --kept;
        exponent = e;
        return kept;
    }
    return 0;
}
#else
int ScaledSignificantDigits(double, int, char*, int&) {
    return 0;
}
#endif

// Decimal digits and exponent of `value` rounded to `digits` significant digits, trailing zeros
// removed. Returns the number of digits kept.
int SignificantDigits(double value, int digits, char* out, int& exponent) {
    if (int n = ScaledSignificantDigits(value, digits, out, exponent)) return n;
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

// Room a caller of WriteFormatted leaves: the longest text of up to 17 digits is 25 characters.
constexpr size_t kFormattedRoom = 32;

// Writes the text at `out` and returns its end. The text is laid out in a local buffer with
// copies of fixed size, which compile to a few moves instead of calls, and handed over the
// same way; `out` must have kFormattedRoom characters of room.
char* WriteFormatted(char* out, double value, int digits, bool leadingZero) {
    char text[128];
    char* p = text;
    char d[64] = {};
    if (!std::isfinite(value)) {
        // No file may carry "Infinity" or "NaN": a value that overflowed its field (a double too
        // large for a single, say) is written as the marker of a value that could not be
        // computed.
        value = kFailedMarker;
    }
    if (value == 0) {
        *p++ = '0';
    } else {
        if (value < 0) {
            *p++ = '-';
            value = -value;
        }
        int exp = 0;
        const int n = SignificantDigits(value, digits, d, exp);
        if (exp < -4 || exp >= digits) {
            p[0] = d[0];
            p[1] = '.';
            std::memcpy(p + 2, d + 1, 32);
            p += n > 1 ? n + 1 : 1;
            *p++ = 'E';
            *p++ = exp < 0 ? '-' : '+';
            int a = exp < 0 ? -exp : exp;
            if (a >= 100) *p++ = static_cast<char>('0' + a / 100);
            *p++ = static_cast<char>('0' + (a / 10) % 10);
            *p++ = static_cast<char>('0' + a % 10);
        } else if (exp < 0) {
            if (leadingZero) *p++ = '0';
            *p++ = '.';
            std::memcpy(p, "000", 3);  // up to three zeros after the point
            p += -exp - 1;
            std::memcpy(p, d, 32);
            p += n;
        } else {
            const int whole = exp + 1;
            for (int i = n; i < whole; ++i) d[i] = '0';  // trailing zeros of a whole number
            std::memcpy(p, d, 32);
            if (n <= whole) {
                p += whole;
            } else {
                p[whole] = '.';
                std::memcpy(p + whole + 1, d + whole, 32);
                p += n + 1;
            }
        }
    }
    const auto length = static_cast<size_t>(p - text);
    if (length <= kFormattedRoom)
        std::memcpy(out, text, kFormattedRoom);
    else
        std::memcpy(out, text, length);  // only more than 24 digits get here
    return out + length;
}

void AppendFormatted(std::string& out, double value, int digits, bool leadingZero) {
    char text[128];
    out.append(text, static_cast<size_t>(WriteFormatted(text, value, digits, leadingZero) - text));
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

char* WriteSignificant(char* out, double value, int digits) {
    return WriteFormatted(out, value, digits, false);
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

#ifdef __SIZEOF_INT128__
namespace {
using Wide = unsigned __int128;

// 5^0 .. 5^44 and 10^0 .. 10^38: every power a single's digits need, exact in 128 bits.
constexpr auto kWideFives = PowersOf<Wide, 45>(5);
constexpr auto kWideTens = PowersOf<Wide, 39>(10);

// The eight decimal digits of `value` (below 10^8), most significant in the lowest byte of the
// word, as the numbers 0 to 9: split into halves, quarters and single digits in 8-, 16- and
// 32-bit lanes of one register.
inline uint64_t EightDigitBytes(uint32_t value) {
    const uint64_t halves = (value / 10000) | (uint64_t{value % 10000} << 32);
    const uint64_t hundreds = ((halves * 10486) >> 20) & 0x0000007F0000007FULL;  // lane / 100
    const uint64_t quarters = hundreds | ((halves - hundreds * 100) << 16);
    const uint64_t tens = ((quarters * 103) >> 10) & 0x000F000F000F000FULL;  // lane / 10
    return tens | ((quarters - tens * 10) << 8);
}

// The smallest mantissa m (2^23 <= m < 2^24) of each biased binary exponent with which
// m 2^(biased-150) reaches the next decimal power, 10^(e0+1) with e0 = floor((biased-127)
// log10 2); 2^24 when none does. With it the decimal exponent of a single is found exactly.
constexpr int DecadeGuess(int biased) {
    return ((biased - 127) * 78913) >> 18;
}
constexpr auto kNextDecadeMantissa = [] {
    std::array<uint32_t, 256> t{};
    for (int biased = 1; biased < 255; ++biased) {
        const int q = biased - 150, power = DecadeGuess(biased) + 1;
        Wide least = 0;  // ceil(10^power / 2^q)
        if (power >= 39) {
            least = Wide{1} << 24;  // beyond the largest single
        } else if (power >= 0 && q >= 0) {
            least = (kWideTens[static_cast<size_t>(power)] + (Wide{1} << q) - 1) >> q;
        } else if (power >= 0) {
            least = kWideTens[static_cast<size_t>(power)] << -q;
        } else {  // m 5^j >= 2^(-q-j), j = -power
            const Wide five = kWideFives[static_cast<size_t>(-power)];
            least = ((Wide{1} << (-q + power)) + five - 1) / five;
        }
        t[static_cast<size_t>(biased)] =
            static_cast<uint32_t>(least < (Wide{1} << 24) ? least : Wide{1} << 24);
    }
    return t;
}();

// product / 2^shift rounded half to even, for 0 < shift and a product below half the range of
// its type.
template <typename Unsigned>
inline uint32_t RoundShifted(Unsigned product, int shift) {
    const Unsigned below = (Unsigned{1} << (shift - 1)) - 1;  // just below one half
    return static_cast<uint32_t>((product + below + ((product >> shift) & 1)) >> shift);
}

// The seven digits of m 2^q with decimal exponent e, for the numbers below about 1e-10 and from
// 10^7 up, apart so that the common case stays small.
[[gnu::noinline]] uint32_t FarDigits(uint64_t m, int q, int e) {
    if (e <= 6) {  // 2m 5^k has at most 128 bits
        const int k = 6 - e;
        return RoundShifted((m * kWideFives[static_cast<size_t>(k)]) << 1, 1 - q - k);
    }
    // A whole number: value / 10^(e-6), by division.
    const Wide number = Wide{m} << q;
    const Wide divisor = kWideTens[static_cast<size_t>(e - 6)];
    const Wide quotient = number / divisor;
    const Wide twice = (number - quotient * divisor) << 1;
    return static_cast<uint32_t>(quotient) +
           (twice > divisor || (twice == divisor && (quotient & 1) != 0));
}

// Stores the word's bytes at `out`, its lowest byte first.
inline void StoreBytes(char* out, uint64_t word) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(out, &word, 8);
    } else {
        for (int i = 0; i < 8; ++i) out[i] = static_cast<char>(word >> (8 * i));
    }
}
}  // namespace

char* WritePlainSingle(char* out, float value) {
    const auto bits = std::bit_cast<uint32_t>(value);
    const int biased = static_cast<int>((bits >> 23) & 0xFF);
    // Zero, subnormal numbers, infinities and NaN go the general way.
    if (biased == 0 || biased == 0xFF) return WriteFormatted(out, value, 7, false);
    const uint64_t m = (bits & 0x7FFFFF) | 0x800000;  // value = m 2^q, m below 2^24
    const int q = biased - 150;
    // The decimal exponent e, then the seven digits: value 10^(6-e) rounded half to even,
    // worked out exactly in integers.
    int e = DecadeGuess(biased) + (m >= kNextDecadeMantissa[static_cast<size_t>(biased)]);
    const int k = 6 - e;
    // value 10^k = 2m 5^k / 2^shift, the shift at least 1; 2m 5^k has at most 63 bits down to
    // k = 16 (numbers from about 1e-10 up).
    uint32_t digits =
        k >= 0 && k <= 16
            ? RoundShifted((m * kPowersOfFive[static_cast<size_t>(k)]) << 1, 1 - q - k)
            : FarDigits(m, q, e);
    // Rounded up to the next power of ten.
    const bool carry = digits == 10000000;
    digits = carry ? 1000000 : digits;
    e += carry;
    // The digits and the trailing "0" of digits * 10 as text; the zeros at the end are not
    // significant.
    const uint64_t values = EightDigitBytes(digits * 10);
    const uint64_t text = values + 0x3030303030303030ULL;
    const int n = 8 - std::countl_zero(values) / 8;

    char* p = out + (bits >> 31);
    *out = '-';
    if (e < -4 || e >= 7) {
        // d.dddddd, then E, the sign and two digits.
        StoreBytes(p, (text & 0xFF) | (uint64_t{'.'} << 8) | (text & ~uint64_t{0xFF}) << 8);
        p += n > 1 ? n + 1 : 1;
        const int a = e < 0 ? -e : e;
        const char exponent[4] = {'E', e < 0 ? '-' : '+', static_cast<char>('0' + a / 10),
                                  static_cast<char>('0' + a % 10)};
        std::memcpy(p, exponent, 4);
        return p + 4;
    }
    if (e < 0) {
        // The point, up to three zeros, the digits.
        std::memcpy(p, ".000", 4);
        StoreBytes(p - e, text);
        return p - e + n;
    }
    // The whole part (with its zeros when the number is whole), then the point and the rest.
    const int whole = e + 1;
    const uint64_t low = (uint64_t{1} << (8 * whole)) - 1;
    StoreBytes(p, (text & low) | (uint64_t{'.'} << (8 * whole)) | (text & ~low) << 8);
    return p + (n <= whole ? whole : n + 1);
}
#else
char* WritePlainSingle(char* out, float value) {
    return WriteFormatted(out, value, 7, false);
}
#endif

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

double RoundDecimals(double value, int places) {
    if (!std::isfinite(value)) return value;
    const double scale = std::pow(10.0, places);
    const double scaled = value * scale;
    // Beyond 2^52 a double has no fraction left to round.
    if (std::fabs(scaled) >= 4503599627370496.0) return value;
    return std::nearbyint(scaled) / scale;
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
