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

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerChar(a[i]) != LowerChar(b[i])) return false;
    return true;
}

bool ContainsNoCase(std::string_view text, std::string_view needle) {
    if (needle.size() > text.size()) return false;
    const size_t last = text.size() - needle.size();
    for (size_t i = 0; i <= last; ++i)
        if (EqualsIgnoringCase(text.substr(i, needle.size()), needle)) return true;
    return false;
}

bool ReadFlagText(std::string_view text, bool& value) {
    const size_t first = text.find_first_not_of(" \t");
    const std::string_view word =
        first == std::string_view::npos
            ? std::string_view()
            : text.substr(first, text.find_last_not_of(" \t") - first + 1);
    double number = 0;
    if (EqualsIgnoringCase(word, "true")) {
        value = true;
    } else if (EqualsIgnoringCase(word, "false")) {
        value = false;
    } else if (ReadWholeDecimal(text, number)) {
        value = number != 0;
    } else {
        return false;
    }
    return true;
}

}  // namespace tidewell
