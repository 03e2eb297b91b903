#include "stream/TextHelpers.h"

#include <algorithm>

#include "stream/NumberText.h"

namespace tidewell {

int CountCommas(std::string_view text) {
    return static_cast<int>(std::count(text.begin(), text.end(), ','));
}

bool StartsNumeric(std::string_view text) {
    for (char c : text) {
        if (IsDigitChar(c)) return true;
        if (c != '-' && c != '+' && c != '.') return false;
    }
    return false;
}

double LeadingNumber(std::string_view text) {
    size_t first = 0;
    while (first < text.size() && !IsDigitChar(text[first])) ++first;
    if (first == text.size()) return 0;
    if (first > 0 && text[first - 1] == '.') --first;
    if (first > 0 && text[first - 1] == '-') --first;
    std::string_view rest = text.substr(first);
    size_t blank = rest.find(' ');
    if (blank != std::string_view::npos) rest = rest.substr(0, blank);
    return ReadDecimal(rest);
}

double FieldNumber(std::string_view text) {
    return ReadDecimal(text);
}

namespace {
char LowerChar(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
}  // namespace

std::string LowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = LowerChar(c);
    return out;
}

std::string UpperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

bool ContainsNoCase(std::string_view text, std::string_view lowerNeedle) {
    if (lowerNeedle.empty()) return true;
    if (lowerNeedle.size() > text.size()) return false;
    const size_t last = text.size() - lowerNeedle.size();
    for (size_t i = 0; i <= last; ++i) {
        if (LowerChar(text[i]) != lowerNeedle[0]) continue;
        size_t j = 1;
        while (j < lowerNeedle.size() && LowerChar(text[i + j]) == lowerNeedle[j]) ++j;
        if (j == lowerNeedle.size()) return true;
    }
    return false;
}

}  // namespace tidewell
