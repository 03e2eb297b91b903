#include "stream/Models.h"

#include <array>

#include "stream/TextHelpers.h"

namespace tidewell {

namespace {
struct ModelRow {
    const char* name;
    int channelCount;
    int scatteringCount;
    int attenuationCount;
};

constexpr std::array<ModelRow, 8> kModels{{
    {"Vantor-6", 8, 6, 0},
    {"Vantor-4", 4, 4, 0},
    {"Vantor-2", 3, 2, 0},
    {"a-Lumo", 1, 1, 1},
    {"c-Lumo", 1, 1, 1},
    {"x-Lumo", 1, 1, 1},
    {"Trevan-2", 0, 0, 2},
    {"unknown", -1, -1, 0},
}};

const ModelRow& Row(int code) {
    return (code >= 0 && code < 7) ? kModels[static_cast<size_t>(code)] : kModels[7];
}
}  // namespace

std::string ModelName(int code) {
    return Row(code).name;
}

int ModelCode(std::string_view name) {
    for (int code = 0; code < 8; ++code)
        if (EqualsIgnoringCase(name, kModels[static_cast<size_t>(code)].name)) return code;
    return 8;
}

int ChannelCount(int code) {
    return Row(code).channelCount;
}
int ScatteringChannelCount(int code) {
    return Row(code).scatteringCount;
}
int AttenuationChannelCount(int code) {
    return Row(code).attenuationCount;
}

}  // namespace tidewell
