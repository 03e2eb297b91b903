#pragma once
// Date-time values: days since 1899-12-30 as a double, the fraction being the time of day.

#include <cstdint>
#include <string>

namespace tidewell {

struct CalendarTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Date values of the two instrument clock epochs.
inline constexpr double kEpoch1970 = 25569.0;
inline constexpr double kEpoch1980 = 29221.0;

// Days from 1899-12-30 to the given date; months and days outside their range roll over.
double DateValue(int year, int month, int day);
double DateTimeValue(const CalendarTime& t);
// Calendar time of a date value, to the nearest second.
CalendarTime ToCalendar(double dateValue);

// Days in a month of a year (1-12), leap years counted.
int DaysInMonth(int year, int month);
// "" when the calendar time names a moment that exists (month 1-12, a day of that month,
// 0-23:0-59:0-59), else its first part that does not, as "day 30 does not exist in February
// 2026 (1-28)".
std::string CalendarTimeError(const CalendarTime& t);

// Date value of a count of seconds since 1970-01-01 (UTC, no leap seconds).
inline double DateFromUnixSeconds(double seconds) {
    return kEpoch1970 + seconds / 86400.0;
}
double UnixSecondsFromDate(double dateValue);

}  // namespace tidewell
