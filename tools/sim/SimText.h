#pragma once
// Small text helpers shared by the simulated instrument's command handlers.

#include <cctype>
#include <string>
#include <string_view>
#include <vector>

#include "stream/DateValue.h"
#include "stream/NumberText.h"

namespace tidewell::sim {

inline std::string Upper(std::string_view s) {
    std::string u;
    for (char c : s) u += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

inline std::string Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return std::string(s);
}

// The arguments after a command word: separated by commas, the first one may also follow
// a blank or come straight after the word ("PERIOD,5", "PERIOD 5", "DELCAST3").
inline std::vector<std::string> SplitArguments(std::string_view rest) {
    std::vector<std::string> args;
    std::string_view r = rest;
    while (!r.empty() && r.front() == ' ') r.remove_prefix(1);
    if (!r.empty() && r.front() == ',') r.remove_prefix(1);
    if (Trim(r).empty()) return args;
    size_t start = 0;
    for (;;) {
        const size_t comma = r.find(',', start);
        args.push_back(
            Trim(r.substr(start, comma == std::string_view::npos ? r.npos : comma - start)));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return args;
}

inline double Number(const std::vector<std::string>& args, size_t i, double fallback) {
    if (i >= args.size() || args[i].empty()) return fallback;
    return ReadDecimal(args[i]);
}

inline std::string Two(int v) {
    v = ((v % 100) + 100) % 100;
    return {static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)};
}

// "MM/DD/YY HH:MM:SS"
inline std::string DateTimeText(double date) {
    const CalendarTime t = ToCalendar(date);
    return Two(t.month) + "/" + Two(t.day) + "/" + Two(t.year) + " " + Two(t.hour) + ":" +
           Two(t.minute) + ":" + Two(t.second);
}

// "HH:MM:SS" of a count of seconds
inline std::string DurationText(double seconds) {
    const int64_t s = RoundToInt64(seconds);
    return Two(static_cast<int>(s / 3600 % 100)) + ":" + Two(static_cast<int>(s / 60 % 60)) + ":" +
           Two(static_cast<int>(s % 60));
}

inline std::string Num(double v) {
    return PlainDouble(v);
}

inline std::string Flag(bool v) {
    return v ? "1" : "0";
}

// A channel's name without parentheses, so that the dump's "(name)" has only one pair.
inline std::string PlainName(const std::string& name) {
    std::string s;
    for (char c : name)
        if (c != '(' && c != ')') s += c;
    return s;
}

}  // namespace tidewell::sim
