#include "instrument/InstrumentRecord.h"

namespace tidewell {

InstrumentRecord::InstrumentRecord() {
    dataQueue.MaxSize(kLineQueueSize);
    terminalQueue.MaxSize(kLineQueueSize);
    castList.MaxSize(kCastListSize);
}

CalibrationDataClass& InstrumentRecord::Calibration() {
    if (!calibration) calibration = std::make_shared<CalibrationDataClass>();
    return *calibration;
}

bool InstrumentRecord::HasShutter() const {
    return IsVantorFamily(instrumentType) && identification1.find('T') != std::string::npos &&
           identification1.find("T0") == std::string::npos;
}

void InstrumentRecord::SyncRecordingWindow() {
    recording.index = index;
    recording.instrumentType = instrumentType;
    recording.serialNumber = serialNumber;
    recording.connected = identified && PortOpen();
    recording.acquisitionState = link.state;
    recording.calibration = calibration.get();
}

}  // namespace tidewell
