#pragma once
// The models behind the sigma correction: the bio-optical estimates of absorption and of the
// backscattering ratio, the pure-water terms of the beta-to-bb conversion, the sigma function
// itself, and the limits the sigma-parameters dialog enforces.

#include <optional>
#include <string>

#include "calibration/Failed.h"
#include "calibration/PureWater.h"
#include "calibration/SigmaParams.h"
#include "calibration/SigmaTable.h"
#include "stream/Prompter.h"

namespace tidewell {

// The table files named by a SigmaParams, read once. A table is loaded only when its parameter
// is looked up in the file (value Failed); otherwise it stays empty.
struct SigmaTables {
    SigmaTable aStar;
    SigmaTable bTilde;
};
SigmaTables LoadSigmaTables(const SigmaParams& params);

// Absorption estimate at wavelength `lambda` nm, with pure-water absorption when
// `includeWater`. When a* comes from its table and the table has no value, the message naming
// params.aStarFile is shown and the result is +infinity.
double EstimateA(const SigmaParams& params, const SigmaTables& tables, int lambda,
                 bool includeWater, Prompter& prompter);
// Backscattering ratio at `lambda` nm; from its table when bTilde is Failed, with the message
// naming params.bTildeFile and +infinity when the table has no value.
double EstimateBbTilde(const SigmaParams& params, const SigmaTables& tables, int lambda,
                       Prompter& prompter);

// The messages shown when a table gives no value at `lambda`.
std::string AStarMissingMessage(int lambda, const std::string& file);
std::string BTildeMissingMessage(int lambda, const std::string& file);

// Pure-water volume scattering of the backscattering preferences: beta0 (lambda0/lambda)^gamma;
// 0 at lambda 0.
double PureBeta(const PureWaterParams& prefs, double lambda);
// bb from beta: the pure-water beta is taken off, the rest scaled by 2 pi chi, and the
// pure-water bb added back. chiCal is the calibration's factor; it is used when the
// preferences say so, unchanged when it already holds the 2 pi (3 or more).
double BbFromBeta(const PureWaterParams& prefs, double beta, double lambda, double chiCal);
// BbFromBeta with the parts that depend on the wavelength and chi worked out once, for callers
// that turn many betas into bb at one wavelength; it gives BbFromBeta's numbers exactly.
struct BetaToBb {
    double chi = 0;        // the factor beta is scaled by (2 pi chi, or chiCal as it stands)
    double betaWater = 0;  // the pure-water beta taken off
    double bbWater = 0;    // the pure-water bb added back
    double operator()(double beta) const { return (beta - betaWater) * chi + bbWater; }
};
BetaToBb BetaToBbAt(const PureWaterParams& prefs, double lambda, double chiCal);

// The pure-water attenuation point K_w at `lambda` that normalises sigma to 1 in pure water:
// a_w + 1.6 bb_w with pure water included in K, else 0.8 bb_w (fresh water).
double PureWaterK(double lambda, bool includePurewater);

// A channel's sigma coefficients: s0 exp(sigmaExp K) when useSigmaExp, else
// s0 + s1 K + s2 K^2.
struct SigmaCoefficients {
    double s0 = 1;
    double s1 = 0;
    double s2 = 0;
    double sigmaExp = 0;
    bool useSigmaExp = false;
};
// sigma(K); Failed when the arithmetic overflows or is undefined.
double SigmaOfK(const SigmaCoefficients& coefficients, double K);

// The checks of the sigma-parameters dialog's "OK", in order, stopping at the first failure:
// bTilde an existing file or a number from 0.005 to 0.04; aStar an existing file or a number
// from 0 to 1; C a number from 0 to 1000000.
enum class SigmaBox { bTilde, aStar, C };
struct SigmaBoxTexts {
    std::string bTilde;
    std::string aStar;
    std::string C;
};
struct LimitFailure {
    SigmaBox box;         // the box that takes the focus back
    std::string message;  // the text to show
};
std::optional<LimitFailure> EnforceLimits(const SigmaBoxTexts& texts);

// The box descriptions used in the limit messages.
std::string SigmaBoxDescription(SigmaBox box);

}  // namespace tidewell
