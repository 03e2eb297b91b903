#pragma once
// The fields of the instrument status window, as texts of what the slot knows.

#include <string>
#include <utility>
#include <vector>

#include "instrument/InstrumentRecord.h"

namespace tidewell {

// Label and text, in the window's order: Device, Serial Number, Rated Depth, Status, Firmware,
// Shutter-ready, Calibration Date, Com Port, Baud Rate. `shortDate` formats a date value the
// way the system writes short dates.
std::vector<std::pair<std::string, std::string>> InstrumentStatusFields(
    const InstrumentRecord& record, std::string (*shortDate)(double));

}  // namespace tidewell
