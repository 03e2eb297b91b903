#pragma once
// The two parameter sets behind the sigma correction and the pure-water terms: SigmaParams
// (settings section "Sigma") and PureWaterParams (settings section "bbPrefs"). Both are plain
// values; the settings store fills them and hands them to the calibration code.

#include <string>

#include "calibration/Failed.h"
#include "calibration/PureWater.h"

namespace tidewell {

// The file name of the shipped table of phytoplankton specific absorption.
inline constexpr const char* kAStarTableName = "aStar.csv";

struct SigmaParams {
    // Specific absorption a* of phytoplankton; Failed means "look it up in aStarFile".
    double aStar = Failed;
    std::string aStarFile = kAStarTableName;
    // Backscattering ratio; Failed means "look it up in bTildeFile".
    double bTilde = 0.015;
    std::string bTildeFile;
    double gammay = 0.014;  // spectral slope of dissolved matter, per nm
    double gammad = 0.011;  // spectral slope of detritus, per nm
    double C = 0.1;         // chlorophyll concentration
    double ad400 = 0.01;    // detritus absorption at 400 nm
    double p = 0.6;         // factor from measured attenuation to K (c-Lumo)
    bool cUseVN = false;    // c-Lumo: K from the estimate instead of the measured attenuation
    bool includePurewater = false;  // K includes pure-water absorption and scattering

    bool operator==(const SigmaParams&) const = default;
};

// The defaults, with a* taken from "aStar.csv" in the program's folder.
SigmaParams DefaultSigmaParams(const std::string& programFolder);

// Whether a* and bbTilde are looked up in their table files.
inline bool AStarFromFile(const SigmaParams& p) {
    return p.aStar == Failed;
}
inline bool BTildeFromFile(const SigmaParams& p) {
    return p.bTilde == Failed;
}

// The stored text of "aStar": a number is the value (file name cleared); the name of an existing
// file is the table (value Failed); otherwise `fallbackFile` (the shipped table, "" for none)
// when it exists; otherwise the text stays as the file name (value Failed). Returns false when
// no table file was found for a text that is not a number.
bool SetAStarFromText(SigmaParams& params, const std::string& text,
                      const std::string& fallbackFile);
// The stored text of "bTilde": as for aStar without a fallback; when the file is missing the
// text stays as the file name and the value is 0.015. Returns false when the file was missing.
bool SetBTildeFromText(SigmaParams& params, const std::string& text);
// The texts saved for "aStar" and "bTilde": the number when the file name is empty, else the
// file name.
std::string AStarText(const SigmaParams& params);
std::string BTildeText(const SigmaParams& params);

// The backscattering preferences: the pure-water terms used to turn beta into bb.
struct PureWaterParams {
    bool useCalFileChi = false;  // take chi from the calibration file
    float chi = 1.08f;
    // The dialog's choice of pure-water model; exactly one is set. The model itself uses
    // lambda0, beta0, bb0 and gammaLambda only.
    bool MorelSalt = false;
    bool MorelFresh = true;
    bool CustomPure = false;
    bool NoPure = false;
    bool CorvaneRecommended = false;
    float lambda0 = 525.0f;
    float beta0 = PurewaterClass::beta(525, 140, false) / 2;
    float bb0 = PurewaterClass::bb(525, false) / 2;
    float gammaLambda = 4.32f;
    bool IncludeBetaInDatFiles = true;

    bool operator==(const PureWaterParams&) const = default;
};

// The pure-water model choices of the backscattering-preferences dialog.
enum class PureWaterModel { CorvaneRecommended, MorelFresh, MorelSalt, CustomPure, NoPure };

// Sets the option flags to `model` and, except for CustomPure, fills lambda0, beta0, bb0 and
// gammaLambda as that option does (CustomPure keeps the numbers for editing).
void ChoosePureWaterModel(PureWaterParams& params, PureWaterModel model);

}  // namespace tidewell
