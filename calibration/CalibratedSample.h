#pragma once
// One sample in calibrated optical quantities: what the conversion produces from a decoded
// sample record and what the calibrated data file, the graph and the terminal show.

#include <cstdint>
#include <string>

#include "calibration/Failed.h"  // the marker of a value whose computation faulted

namespace tidewell {

struct CalibratedSample {
    std::string instrumentType;  // the sample's type code as decimal text
    float depth = 0;
    float temperature = 0;
    float voltage = 0;
    double time = 0;         // days since 1899-12-30
    double dayFraction = 0;  // copied when the sample carries no clock time (Vantor types)
    bool valid[13] = {};     // the channel's scattering values were computed
    double bb[13] = {};
    double bbCorrected[13] = {};
    double beta[13] = {};
    double betaCorrected[13] = {};
    double sigma[13] = {};
    float kSignal = 0;
    float sigmaK = 0;
    float attenuation[13] = {};
    float aCorrected = 0;
};

}  // namespace tidewell
