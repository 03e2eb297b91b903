#pragma once
// The calibration a simulated instrument holds when it is given none.

#include "calibration/CalibrationData.h"

namespace tidewell::sim {

// A plausible calibration of the model, with a serial number that names the model.
CalibrationDataClass BuiltInCalibration(int model);

}  // namespace tidewell::sim
