#pragma once
// Conversion of decoded samples into calibrated optical quantities: depth, time, and per channel
// beta, bb, the sigma factor and the sigma-corrected beta and bb; the attenuation or absorption
// channel of the single-channel models; the two attenuation channels of the Trevan-2.
//
// This runs for every sample received and for every line of a file being converted, so nothing
// here allocates or reads a setting: what depends on the calibration and the settings but not on
// the sample is worked out once into a ConversionContext.
//
// Arithmetic. An operation between two single-precision values is done in single precision;
// anything that involves a double, a 32-bit integer or a power is done in double (so no count
// is rounded to a single). A power x^n is std::pow(x, n), except in the sigma function (K^2) and
// the depth formulas, where a square is x times x. The calibration's polynomials (temperature,
// kT, kTauP) are summed from the constant term up, the way the calibration sums their
// normalisers, so that the temperature factor of the single-channel models is exactly 1 at the
// calibration temperature. A result is rounded to the type of its target.
//
// Faults. An assignment faults when
//   - it divides by zero,
//   - it takes the logarithm of a number that is not positive or the square root of a negative
//     number,
//   - its result, in the precision of its target, is infinite (an overflow) or not a number,
//   - a difference of counts leaves the 32-bit range, or its result goes into an integer that
//     cannot hold it.
// The first two show as the third: in IEEE arithmetic a division by zero gives an infinity or
// NaN, a logarithm of 0 minus infinity and of a negative number NaN, a square root of a negative
// number NaN, and no later operation of the same assignment turns these back into a number. So
// every floating assignment is checked once, on its result.
// Only results are judged, not inputs: a backscattering ratio of +infinity (a value its table
// could not give) makes the bb term of K vanish, 0.4 bb / +inf = 0, while an absorption estimate
// of +infinity makes K infinite, so that assignment faults.
// A faulted assignment is skipped and its target keeps its earlier value: a field of the output
// keeps what it held at that point (from earlier in the call, or from before it), and the
// conversion's working values (K, the Trevan-2 ratio r and its factors, and the like) keep their
// value from the previous channel of the same call, 0 before the first. The exception: an
// assignment to sigma, betaCorrected or bbCorrected stores Failed instead. Failed is a number
// like any other to the assignments after it. Faults never stop the conversion.

#include <string_view>

#include "calibration/CalibratedSample.h"
#include "calibration/CalibrationData.h"
#include "calibration/SigmaModel.h"
#include "calibration/SigmaParams.h"
#include "stream/SampleRecord.h"

namespace tidewell {

// Everything the conversion needs besides the sample: the calibration, the three sigma settings
// ("includePurewater", "cUseVN", "p"), and what the calibration and the backscattering
// preferences give at each channel's wavelength. Build one when a calibration is loaded or the
// settings change, and build it again after any change to either; it refers to the calibration,
// which must outlive it.
struct ConversionContext {
    ConversionContext(const CalibrationDataClass& calibration, const SigmaParams& sigma,
                      const PureWaterParams& pureWater);
    // The context keeps a pointer to the calibration: a temporary one would not outlive it.
    ConversionContext(CalibrationDataClass&&, const SigmaParams&, const PureWaterParams&) = delete;

    const CalibrationDataClass* calibration;
    bool includePurewater;  // K holds the pure-water absorption and scattering
    bool cUseVN;            // c-Lumo: K from the estimate, not from the measured attenuation
    double p;               // c-Lumo: K = measured attenuation x p

    int channelCount;  // channel records in use, 0-13
    int bChannels;     // scattering channels; the records after them are fluorescence channels

    // Per scattering or fluorescence channel, at its wavelength lambda(c).
    struct Channel {
        double waterA;   // PureWater.a(lambda)
        double waterBb;  // PureWater.bb(lambda, fresh water)
        BetaToBb toBb;   // BbFromBeta at lambda with the channel's beta2bb
    };
    Channel channel[kCalChannelSlots];

    double pureBetaK;  // PureBeta at the attenuation wavelength KLambda(0) (a-Lumo)

    // Per Trevan-2 attenuation channel: the normalised polynomial coefficients.
    struct Trevan {
        double kT[6];     // KkT(c, i)
        double kTauP[6];  // KkTauP(c, i)
        double p1, p2;    // KP(c, 1), KP(c, 2)
        double tauPAtP2;  // the pressure polynomial at P2, where the joining line ends
    };
    Trevan trevan[2];
};

// Converts one sample by the family of sample.instrumentType: Vantor types with ConvertVantor,
// single-channel types with ConvertSingle, the Trevan-2 with ConvertTrevan. Any other type
// returns false and leaves `out` untouched. The sample is not const: a Vantor conversion stores
// the raw counts it works out for ratio samples back into it.
bool ConvertSample(SampleRecord& sample, const ConversionContext& context, CalibratedSample& out);

// The three conversions. Each writes only the fields its instruments have, so a reused `out`
// keeps the others.
void ConvertVantor(SampleRecord& sample, const ConversionContext& context, CalibratedSample& out);
void ConvertSingle(SampleRecord& sample, const ConversionContext& context, CalibratedSample& out);
void ConvertTrevan(SampleRecord& sample, const ConversionContext& context, CalibratedSample& out);

// Decodes one line into `record` (zeroed first, so it holds this line's fields alone) as a
// sample of `instrumentType` and converts it. True only when the line is a sample and its type
// has a conversion.
bool DecodeAndConvert(std::string_view line, const ConversionContext& context,
                      CalibratedSample& output, int instrumentType, SampleRecord& record);
// The same with a record of its own, for callers that want the calibrated values alone.
bool DecodeAndConvert(std::string_view line, const ConversionContext& context,
                      CalibratedSample& output, int instrumentType);

}  // namespace tidewell
