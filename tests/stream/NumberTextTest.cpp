#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <tuple>
#include <utility>

#include "stream/DateValue.h"
#include "stream/NumberText.h"
#include "stream/TextHelpers.h"

namespace tidewell {
namespace {

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    const std::pair<double, int64_t> cases[] = {
        {12.5, 12},  {13.5, 14},  {-12.5, -12}, {-13.5, -14},      {0.5, 0},
        {2.4999, 2}, {2.5001, 3}, {-0.5, 0},    {1e30, INT64_MAX}, {-1e30, INT64_MIN}};
    for (const auto& [in, out] : cases) EXPECT_EQ(RoundToInt64(in), out) << in;
    EXPECT_EQ(RoundToInt16(40000.0), INT16_MAX);
    EXPECT_EQ(RoundToInt32(NAN), 0);
}

TEST(NumberText, SinglePrecisionForms) {
    const std::pair<float, const char*> cases[] = {
        {-0.25f, "-.25"},
        {0.0001f, ".0001"},
        {0.00001f, "1E-05"},
        {1.5e-05f, "1.5E-05"},
        {12345678.f, "1.234568E+07"},
        {1234567.f, "1234567"},
        {0.f, "0"},
        {1.f / 3.f, ".3333333"},
        {2.f / 3.f, ".6666667"},
        {-1.5e-20f, "-1.5E-20"},
        {3.4028235e38f, "3.402823E+38"},
        {9999999.f, "9999999"},
        {99999999.f, "1E+08"},
        {-std::numeric_limits<float>::infinity(), "1E+308"},  // the marker, never "-Infinity"
    };
    for (const auto& [in, plain] : cases) EXPECT_EQ(PlainSingle(in), plain) << plain;
}

TEST(NumberText, StrFormHasALeadingBlankForZeroAndPositive) {
    EXPECT_EQ(StrSingle(12.5f), " 12.5");
    EXPECT_EQ(StrSingle(0.f), " 0");
    EXPECT_EQ(StrSingle(-0.25f), "-.25");
    EXPECT_EQ(StrDouble(1234567890.0), " 1234567890");
    EXPECT_EQ(StrDouble(0.0), " 0");
    EXPECT_EQ(StrInt(7), " 7");
    EXPECT_EQ(StrInt(-7), "-7");
    EXPECT_EQ(PlainInt(-7), "-7");
}

TEST(NumberText, DoublePrecisionKeepsFifteenDigits) {
    EXPECT_EQ(PlainDouble(0.1), ".1");
    EXPECT_EQ(PlainDouble(1.0 / 3.0), ".333333333333333");
    EXPECT_EQ(PlainDouble(123456789012345.0), "123456789012345");
    EXPECT_EQ(PlainDouble(1234567890123456.0), "1.23456789012346E+15");
    EXPECT_EQ(PlainDouble(1.1574074074074073E-05), "1.15740740740741E-05");
    EXPECT_EQ(PlainDouble(40179.5), "40179.5");
    EXPECT_EQ(PlainDouble(1e308), "1E+308");
    EXPECT_EQ(FormatSignificantLeadingZero(-0.25, 7), "-0.25");
    // A float widened to double shows its binary value.
    EXPECT_EQ(PlainDouble(static_cast<double>(0.1f)), ".100000001490116");
}

TEST(NumberText, SixSignificantDigits) {
    // 0.1234565 lies just below the half in binary; 123456.5 and 123457.5 are exact halves
    const std::pair<double, const char*> cases[] = {
        {0.1234565, ".123456"},  {1e-07, "1E-07"},
        {123456.5, "123456"},    {123457.5, "123458"},
        {1234567.0, "1234570"},  {-2.5e-5, "-2.5E-05"},
        {3.14159265, "3.14159"}, {0.0, "0"},
        {999999.5, "1000000"},   {0.000123456789, ".000123457"}};
    for (const auto& [in, text] : cases) EXPECT_EQ(SixDigitText(in), text) << text;
}

TEST(NumberText, RoundDecimalsHalvesToEven) {
    const std::tuple<double, int, double> cases[] = {
        // the scaled value is what rounds: 0.0025 x 1000 and 0.9995 x 1000 come out as exact halves
        {12.5, 6, 12.5},       {0.0012345, 3, 0.001}, {0.0025, 3, 0.002},         {2.5, 0, 2.0},
        {3.5, 0, 4.0},         {0.9995, 3, 1.0},      {-1.2345675, 6, -1.234568}, {1e300, 6, 1e300},
        {1.0 / 3.0, 3, 0.333},
    };
    for (const auto& [in, places, out] : cases) EXPECT_EQ(RoundDecimals(in, places), out) << in;
}

TEST(NumberText, ReadDecimalTakesTheNumberAtTheStart) {
    const std::tuple<const char*, double, size_t> cases[] = {
        {"12.5", 12.5, 4},    {" 12.5 // note", 12.5, 5},
        {"-.25,3", -0.25, 4}, {"+7", 7, 2},
        {"1E-05", 1e-05, 5},  {"1.5e3x", 1500, 5},
        {"2E", 2, 1},         {"", 0, 0},
        {".", 0, 0},          {"3.", 3, 2},
        {"1D2", 100, 3},      {"0x1A", 0, 1},
        {"inf", 0, 0},        {"1e999", INFINITY, 5},
        {"1e-999", 0, 6},     {"\t42", 42, 3},
    };
    for (const auto& [text, value, wantUsed] : cases) {
        size_t used = 99;
        EXPECT_EQ(ReadDecimal(text, used), value) << text;
        EXPECT_EQ(used, wantUsed) << text;
    }
}

TEST(NumberText, ReadWholeDecimalTellsNumbersFromNames) {
    const std::tuple<const char*, bool, double> cases[] = {
        {"0.5", true, 0.5},  {" .015 ", true, 0.015}, {"\t-2E-3", true, -0.002},
        {"1e-999", true, 0}, {"aStar.csv", false, 0}, {"12 nm", false, 0},
        {"", false, 0},      {"1e999", false, 0},     {"3,5", false, 0},
    };
    for (const auto& [text, isNumber, value] : cases) {
        double v = -1;
        EXPECT_EQ(ReadWholeDecimal(text, v), isNumber) << text;
        EXPECT_EQ(v, isNumber ? value : -1) << text;
    }
}

TEST(TextHelpers, LeadingNumberSkipsALabel) {
    const std::pair<const char*, double> cases[] = {
        {"Ver 1.23", 1.23},   {"starting in 12.5 seconds", 12.5},
        {"temp -.5 C", -0.5}, {"x-5", -5},
        {"abc", 0},           {"12 34", 12},
        {"a.5", 0.5},         {"--3", -3},
        {"1.2.3", 1.2},
    };
    for (const auto& [text, value] : cases) EXPECT_DOUBLE_EQ(LeadingNumber(text), value) << text;
}

TEST(TextHelpers, StartsNumericAndCommas) {
    EXPECT_TRUE(StartsNumeric("12,3"));
    EXPECT_TRUE(StartsNumeric("-.5"));
    EXPECT_TRUE(StartsNumeric("+-.9"));
    EXPECT_FALSE(StartsNumeric(" 12"));
    EXPECT_FALSE(StartsNumeric("-."));
    EXPECT_FALSE(StartsNumeric(""));
    EXPECT_FALSE(StartsNumeric("*D"));
    EXPECT_EQ(CountCommas("a,b,,c"), 3);
    EXPECT_EQ(CountCommas(""), 0);
}

TEST(TextHelpers, HexFieldsByWidth) {
    const std::tuple<const char*, size_t, int, int32_t> cases[] = {
        {"FFFF", 1, 4, -1},         {"8000", 1, 4, -32768}, {"7FFF", 1, 4, 32767},
        {"FFFFFF", 1, 6, 16777215}, {"FFFFFFFF", 1, 8, -1}, {"80000000", 1, 8, INT32_MIN},
        {"*Dab", 3, 2, 0xAB},       {"12", 2, 4, 2},        {"12", 5, 4, 0},
        {"1G34", 1, 4, 1},          {"", 1, 8, 0},          {"F", 1, 1, 15},
    };
    for (const auto& [line, pos, width, value] : cases)
        EXPECT_EQ(HexField(line, pos, width), value) << line << " @" << pos;
}

TEST(DateValue, DaysSince18991230) {
    EXPECT_EQ(DateValue(1899, 12, 30), 0.0);
    EXPECT_EQ(DateValue(1970, 1, 1), kEpoch1970);
    EXPECT_EQ(DateValue(1980, 1, 1), kEpoch1980);
    EXPECT_EQ(DateValue(2010, 1, 1), 40179.0);
    EXPECT_EQ(DateValue(1900, 3, 1), 61.0);
    EXPECT_EQ(DateValue(2011, 13, 1), DateValue(2012, 1, 1));
    EXPECT_EQ(DateValue(2012, 0, 1), DateValue(2011, 12, 1));
    CalendarTime t{2026, 12, 5, 19, 59, 23};
    double v = DateTimeValue(t);
    const CalendarTime b = ToCalendar(v);
    EXPECT_EQ(std::tie(b.year, b.month, b.day, b.hour, b.minute, b.second),
              std::tie(t.year, t.month, t.day, t.hour, t.minute, t.second));
    EXPECT_DOUBLE_EQ(DateFromUnixSeconds(86400 * 2 + 43200), kEpoch1970 + 2.5);
    EXPECT_DOUBLE_EQ(UnixSecondsFromDate(kEpoch1970 + 1), 86400);
}

// Rows of calibrated files take a quick integer route to their digits; it must round exactly as
// the general conversion does, halves to even included.
TEST(NumberText, SignificantDigitsRoundHalvesToEven) {
    const std::tuple<double, int, const char*> cases[] = {
        {1000000.5, 7, "1000000"},
        {1000001.5, 7, "1000002"},
        {10000005.0, 7, "1E+07"},
        {10000015.0, 7, "1.000002E+07"},
        {0.125, 2, ".12"},
        {0.375, 2, ".38"},
        {9999999.5, 7, "1E+07"},
        {0.999999951, 7, "1"},
        {2.5, 1, "2"},
        {38537.609317129629, 15, "38537.6093171296"},
        {1e-27, 7, "1E-27"},
        {5e-324, 7, "4.940656E-324"}};
    for (const auto& [in, digits, text] : cases) EXPECT_EQ(FormatSignificant(in, digits), text);
}

TEST(NumberText, QuickDigitsAgreeWithExactConversionOnRandomNumbers) {
    uint64_t state = 0x9E3779B97F4A7C15ULL;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    int mismatches = 0;
    for (int i = 0; i < 200000; ++i) {
        uint64_t bits = next();
        double value;
        if (i % 2 == 0) {
            auto single = static_cast<uint32_t>(bits);
            float f;
            std::memcpy(&f, &single, sizeof f);
            value = f;
        } else {
            std::memcpy(&value, &bits, sizeof value);
        }
        if (!std::isfinite(value) || value == 0) continue;
        int digits = 1 + static_cast<int>(next() % 17);
        char exact[64];
        auto end = std::to_chars(exact, exact + sizeof exact, value, std::chars_format::scientific,
                                 digits - 1)
                       .ptr;
        *end = 0;
        // Both texts must name the same decimal number.
        if (std::strtod(FormatSignificant(value, digits).c_str(), nullptr) !=
            std::strtod(exact, nullptr)) {
            if (++mismatches < 5)
                ADD_FAILURE() << exact << " vs " << FormatSignificant(value, digits);
        }
    }
    EXPECT_EQ(mismatches, 0);
}

// Rows of calibrated files write their singles the quick way; on random singles (a third of them
// whole numbers, which round to the next power of ten and halve between neighbours) the text must
// be the plain one, whose edges the known answers above pin.
TEST(NumberText, QuickSinglesAreThePlainForm) {
    uint32_t state = 2463534242u;
    int mismatches = 0;
    for (int i = 0; i < 300000; ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        float value;
        std::memcpy(&value, &state, sizeof value);
        if (i % 3 == 0) value = static_cast<float>(state % 20000000) * (i % 2 ? 1.0f : 10.0f);
        char text[64];
        const std::string quick(text, WritePlainSingle(text, value));
        if (quick != PlainSingle(value) && ++mismatches < 5)
            ADD_FAILURE() << quick << " vs " << PlainSingle(value);
    }
    EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace tidewell
