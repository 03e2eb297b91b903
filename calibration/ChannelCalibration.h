#pragma once
// The per-channel records of a calibration: one scattering record (shared by the fluorescence
// channels) and one attenuation record per channel index 0-12. Plain values with public fields,
// so that the per-sample conversion reads them without any call in between; the calibration
// object owns them and keeps their derived fields up to date through its setters.

#include <cstdint>
#include <string>

namespace tidewell {

// Channel records per calibration. The instruments use indices 0-7.
inline constexpr int kCalChannelSlots = 13;

struct ChannelCalibration {
    std::string name;  // holds the wavelength as its first number, e.g. "bb(470)"
    // Relative gain of gain settings 1-5: gain[g - 1] is the gain of setting g.
    double gain[5] = {1, 10, 100, 1000, 10000};
    double Mu = 0;                // counts to beta at the calibration gain
    int16_t MuGain = 1;           // gain setting (1 or 2) at which Mu was determined
    double MuRho = 0;             // second factor; kept, compared and exchanged only
    double Sigma[3] = {1, 0, 0};  // polynomial sigma coefficients s0, s1, s2
    double SigmaExp = 0;          // exponential sigma coefficient
    bool UseSigmaExp = false;     // derived: SigmaExp > 0.0001
    double ROutOff = 0;           // reference offset, a whole number
    double RNominal = 1.0;        // nominal reference
    double beta2bb = 0;           // chi from beta to bb; the plain scale of a fluorescence channel
    double bb2c = 0;              // a whole number
    double bTempCoeff = 0;        // per deg C
    int16_t lambda = 0;           // nm
    int16_t bDeltaLambda = 0;     // nm
    // Offsets per gain setting; index = gain setting (1-5 are used, 0 is kept).
    int16_t DarkOffset[6] = {};
    int16_t NomOffset[6] = {};
    int16_t FlOffset[6] = {};
    double a = 0;            // estimated absorption at lambda
    double bbTilde = 0.015;  // backscattering ratio at lambda
    // Channel map, 1-based channel numbers, 0 for none.
    int16_t ChEx = 0;                    // channel whose source excites this receiver
    int16_t ChRep = 0;                   // virtual channel whose signal this receiver also delivers
    int16_t IsExcitationForChannel = 0;  // derived: channel this channel's source excites
    bool IsSharedReceiver = false;       // derived
    bool IsVirtualChannel = false;       // derived
};

struct AttenuationCalibration {
    int16_t KLambda = 0;       // nm
    int16_t KDeltaLambda = 0;  // nm
    float KPath = 0;           // optical path length
    int32_t TrNought = 0;      // transmission counts with the beam blocked
    int32_t TrPure = 0;        // in pure water
    int32_t TrAir = 0;         // in air
    float KChi[5] = {};
    float KCalTemp = 0;         // deg C
    float KTempCoeff[7] = {};   // temperature polynomial, 0-5 used
    double KTempNormCoeff = 0;  // derived: the polynomial at KCalTemp
    int32_t KDepthThresh[11] = {};
    float KDepthCoeff[7] = {};
    float aPure = 0;     // pure-water absorption or attenuation to subtract
    float betaPure = 0;  // pure-water beta
    // Trevan-2.
    float KL = 0;  // path length L
    int32_t KS0 = 0;
    int32_t KR0 = 0;
    double KkT[6] = {};        // kT0..kT5 as stored; read them through the calibration's KkT
    double KkTNormaliser = 0;  // derived: sum of kT(i) TPW^i
    double KP[2] = {};         // KP[i - 1] is pressure point Pi
    float KkTauPX = 0;
    double KkTauP[6] = {};        // kTauP0..kTauP5 as stored
    double KkTauPNormaliser = 0;  // derived: sum of kTauP(i) P2^i
    double KTau0 = 0;
    float KTPW = 0;
};

}  // namespace tidewell
