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

}  // namespace tidewell
