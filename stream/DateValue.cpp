#include "stream/DateValue.h"

#include <cmath>

#include "stream/NumberText.h"

namespace tidewell {

namespace {
// Days since 1970-01-01 of a proleptic Gregorian date (the civil-days algorithm).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}
}  // namespace

double DateValue(int year, int month, int day) {
    // Months outside 1..12 roll into neighbouring years.
    int64_t m0 = static_cast<int64_t>(month) - 1;
    int64_t y = year + (m0 >= 0 ? m0 / 12 : (m0 - 11) / 12);
    m0 -= (y - year) * 12;
    return static_cast<double>(DaysFromCivil(y, m0 + 1, 1) + day - 1) + kEpoch1970;
}

double DateTimeValue(const CalendarTime& t) {
    return DateValue(t.year, t.month, t.day) +
           (t.hour * 3600.0 + t.minute * 60.0 + t.second) / 86400.0;
}

CalendarTime ToCalendar(double dateValue) {
    double totalSeconds = RoundHalfEven((dateValue - kEpoch1970) * 86400.0);
    double days = std::floor(totalSeconds / 86400.0);
    int64_t secondOfDay = static_cast<int64_t>(totalSeconds - days * 86400.0);
    CalendarTime t;
    CivilFromDays(static_cast<int64_t>(days), t.year, t.month, t.day);
    t.hour = static_cast<int>(secondOfDay / 3600);
    t.minute = static_cast<int>(secondOfDay / 60 % 60);
    t.second = static_cast<int>(secondOfDay % 60);
    return t;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

std::string CalendarTimeError(const CalendarTime& t) {
    static constexpr const char* kMonths[12] = {"January",   "February", "March",    "April",
                                                "May",       "June",     "July",     "August",
                                                "September", "October",  "November", "December"};
    const auto part = [](const char* name, int value, const std::string& where, int last,
                         int first) {
        return std::string(name) + " " + std::to_string(value) + " does not exist" + where + " (" +
               std::to_string(first) + "-" + std::to_string(last) + ")";
    };
    if (t.month < 1 || t.month > 12) return part("month", t.month, "", 12, 1);
    const int days = DaysInMonth(t.year, t.month);
    if (t.day < 1 || t.day > days) {
        return part("day", t.day,
                    std::string(" in ") + kMonths[t.month - 1] + " " + std::to_string(t.year), days,
                    1);
    }
    if (t.hour < 0 || t.hour > 23) return part("hour", t.hour, "", 23, 0);
    if (t.minute < 0 || t.minute > 59) return part("minute", t.minute, "", 59, 0);
    if (t.second < 0 || t.second > 59) return part("second", t.second, "", 59, 0);
    return "";
}

double UnixSecondsFromDate(double dateValue) {
    return (dateValue - kEpoch1970) * 86400.0;
}

}  // namespace tidewell
