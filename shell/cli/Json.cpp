#include "shell/cli/Json.h"

#include <charconv>
#include <cmath>

namespace tidewell::cli {

namespace {
template <typename F>
std::string Shortest(F value) {
    if (!std::isfinite(value)) return "null";  // JSON has no infinity
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}
}  // namespace

std::string JsonNumber(double value) {
    return Shortest(value);
}
std::string JsonNumber(float value) {
    return Shortest(value);
}

std::string JsonString(std::string_view text) {
    static const char* hex = "0123456789abcdef";
    std::string s = "\"";
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"':
                s += "\\\"";
                break;
            case '\\':
                s += "\\\\";
                break;
            case '\n':
                s += "\\n";
                break;
            case '\r':
                s += "\\r";
                break;
            case '\t':
                s += "\\t";
                break;
            default:
                if (c < 0x20) {
                    s += "\\u00";
                    s += hex[c >> 4];
                    s += hex[c & 15];
                } else if (c >= 0x80) {
                    // Latin-1 to UTF-8
                    s += static_cast<char>(0xC0 | (c >> 6));
                    s += static_cast<char>(0x80 | (c & 0x3F));
                } else {
                    s += static_cast<char>(c);
                }
        }
    }
    s += '"';
    return s;
}

JsonObject& JsonObject::Raw(std::string_view key, std::string_view json) {
    if (body_.size() > 1) body_ += ", ";
    body_ += JsonString(key);
    body_ += ": ";
    body_ += json;
    return *this;
}

}  // namespace tidewell::cli
