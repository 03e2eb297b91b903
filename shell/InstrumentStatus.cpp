#include "shell/InstrumentStatus.h"

#include "stream/Models.h"
#include "stream/NumberText.h"
#include "stream/TextHelpers.h"

namespace tidewell {

std::vector<std::pair<std::string, std::string>> InstrumentStatusFields(
    const InstrumentRecord& r, std::string (*shortDate)(double)) {
    const CalibrationDataClass* cal = r.calibration.get();
    const float depth = cal ? cal->MaxDepth : 0;
    return {
        {"Device", ModelName(r.instrumentType)},
        {"Serial Number", r.serialNumber},
        {"Rated Depth", depth > 0 ? PlainSingle(depth) : "unknown"},
        {"Status", r.identified ? "Detected" : ""},
        {"Firmware", PlainDouble(LeadingNumber(r.firmwareVersion))},
        {"Shutter-ready", r.HasShutter() ? "Yes" : "No"},
        {"Calibration Date", cal && cal->CalTime > 0 ? shortDate(cal->CalTime) : ""},
        {"Com Port", r.portName},
        {"Baud Rate", r.baudRate > 0 ? PlainInt(r.baudRate) : ""},
    };
}

}  // namespace tidewell
