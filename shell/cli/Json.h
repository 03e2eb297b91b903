#pragma once
// A small JSON writer for the subcommands' output: one object per line, keys in the order given.

#include <cstdint>
#include <string>
#include <string_view>

namespace tidewell::cli {

// Shortest text that reads back to the same value of the number's own type.
std::string JsonNumber(double value);
std::string JsonNumber(float value);
// The text quoted and escaped; bytes above 127 are taken as Latin-1.
std::string JsonString(std::string_view text);

// A JSON array of `count` elements, `element(i)` giving the JSON text of each.
template <typename Element>
std::string JsonArray(int count, Element&& element, std::string_view separator = ",") {
    std::string s = "[";
    for (int i = 0; i < count; ++i) {
        if (i) s += separator;
        s += element(i);
    }
    s += ']';
    return s;
}

class JsonObject {
  public:
    JsonObject& Raw(std::string_view key, std::string_view json);
    JsonObject& Str(std::string_view key, std::string_view text) {
        return Raw(key, JsonString(text));
    }
    JsonObject& Num(std::string_view key, double v) { return Raw(key, JsonNumber(v)); }
    JsonObject& Num(std::string_view key, float v) { return Raw(key, JsonNumber(v)); }
    JsonObject& Int(std::string_view key, int64_t v) { return Raw(key, std::to_string(v)); }
    JsonObject& Bool(std::string_view key, bool v) { return Raw(key, v ? "true" : "false"); }
    template <typename T, size_t N>
    JsonObject& Array(std::string_view key, const T (&values)[N]) {
        const auto element = [&](int i) {
            if constexpr (std::is_floating_point_v<T>)
                return JsonNumber(values[i]);
            else
                return std::to_string(values[i]);
        };
        return Raw(key, JsonArray(static_cast<int>(N), element));
    }
    std::string Text() const { return body_ + "}"; }

  private:
    std::string body_ = "{";
};

}  // namespace tidewell::cli
