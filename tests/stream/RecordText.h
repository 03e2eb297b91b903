#pragma once
// Every field of a decoded record as one text, so that a test can compare whole records and a
// failure shows which field differs.

#include <cstdio>
#include <string>

#include "stream/SampleRecord.h"

namespace tidewell::test {

inline void AddNumber(std::string& s, const char* name, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, " %s=%.17g", name, v);
    s += buf;
}

template <typename T>
void AddArray(std::string& s, const char* name, const T (&values)[kChannelSlots]) {
    s += ' ';
    s += name;
    s += '=';
    for (int i = 0; i < kChannelSlots; ++i) {
        char buf[32];
        std::snprintf(buf, sizeof buf, i ? ",%.9g" : "%.9g", static_cast<double>(values[i]));
        s += buf;
    }
}

inline std::string RecordText(const SampleRecord& r) {
    std::string s;
    AddNumber(s, "instrumentType", r.instrumentType);
    AddNumber(s, "time", r.time);
    AddNumber(s, "subSecond", r.subSecond);
    AddNumber(s, "dayFraction", r.dayFraction);
    AddNumber(s, "centiseconds", r.centiseconds);
    AddNumber(s, "tailCode", r.tailCode);
    AddNumber(s, "depthCounts", r.depthCounts);
    AddNumber(s, "temperature", r.temperature);
    AddNumber(s, "voltage", r.voltage);
    AddNumber(s, "voltage2", r.voltage2);
    AddNumber(s, "auxByte", r.auxByte);
    AddArray(s, "gain", r.gain);
    AddArray(s, "signal", r.signal);
    AddArray(s, "signalOffset", r.signalOffset);
    AddArray(s, "reference", r.reference);
    AddArray(s, "referenceOffset", r.referenceOffset);
    AddArray(s, "raw", r.raw);
    AddArray(s, "normalized", r.normalized);
    AddArray(s, "channelCode", r.channelCode);
    AddNumber(s, "optionCounts", r.optionCounts);
    AddNumber(s, "infoCode", r.infoCode);
    AddNumber(s, "infoLevel", r.infoLevel);
    AddNumber(s, "infoA", r.infoA);
    AddNumber(s, "infoB", r.infoB);
    AddNumber(s, "prefixValue", r.prefixValue);
    return s;
}

inline std::string HeaderText(const HeaderRecord& h) {
    std::string s;
    AddNumber(s, "time", h.time);
    for (float v : h.housekeeping) AddNumber(s, "hk", v);
    for (const auto& ch : h.channel)
        for (int16_t v : ch) AddNumber(s, "ch", v);
    return s;
}

}  // namespace tidewell::test
