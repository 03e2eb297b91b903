#include "calibration/Conversion.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "stream/Decoder.h"
#include "stream/Models.h"
#include "stream/NumberText.h"

namespace tidewell {

namespace {

constexpr double kSecondsToDays = 1.0 / 86400;  // 1.1574074074074073E-05
constexpr double kEpoch1970 = 25569;            // date value of 1970-01-01 (Vantor, Trevan-2)
constexpr double kEpoch1980 = 29221;            // date value of 1980-01-01 (single-channel)
constexpr double kDepthFullScale = 65535;
constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();

// a - b in 32-bit integer arithmetic; NaN when the difference leaves the 32-bit range.
inline double CountDifference(int64_t a, int64_t b) {
    const int64_t d = a - b;
    if (d < std::numeric_limits<int32_t>::min() || d > std::numeric_limits<int32_t>::max())
        return kNotANumber;
    return static_cast<double>(d);
}

// An assignment that may fault: `value` is rounded to the target's precision and stored only
// when it is finite there. Floating conversions follow IEEE 754 on our platforms: a double too
// large for a float becomes infinite.
template <class T>
inline bool Assign(T& target, double value) {
    const T stored = static_cast<T>(value);
    if (!std::isfinite(stored)) return false;
    target = stored;
    return true;
}

// An assignment to sigma, betaCorrected or bbCorrected: a fault stores Failed.
inline void AssignOrFailed(double& target, double value) {
    target = std::isfinite(value) ? value : Failed;
}

// Rounds half to even into a 32-bit integer; a value it cannot hold faults.
inline void AssignRounded(int32_t& target, double value) {
    const double rounded = RoundHalfEven(value);
    if (rounded >= std::numeric_limits<int32_t>::min() &&
        rounded <= std::numeric_limits<int32_t>::max())
        target = static_cast<int32_t>(rounded);
}

// x^0 .. x^5, for the calibration's polynomials. std::pow gives exactly 1 and x for the first
// two.
struct Powers {
    double of[6];
    explicit Powers(double x) : of{1, x} {
        for (int i = 2; i < 6; ++i) of[i] = std::pow(x, i);
    }
};

// Sum of c[i] x^i for i = 0..5 from the constant term up, the way the calibration sums its
// normalisers.
template <class Coefficient, size_t N>
double Polynomial(const Coefficient (&c)[N], const Powers& x) {
    static_assert(N >= 6);
    double sum = 0;
    for (int i = 0; i < 6; ++i) sum += static_cast<double>(c[i]) * x.of[i];
    return sum;
}

double SampleTime(const SampleRecord& s, double epoch) {
    return (s.subSecond / 100.0 + s.time) * kSecondsToDays + epoch;
}

void SetTypeText(CalibratedSample& out, int32_t type) {
    char text[12];
    const std::to_chars_result r = std::to_chars(text, text + sizeof text, type);
    out.instrumentType.assign(text, r.ptr);
}

// K for sigma at a scattering channel with backscattering bb: with pure water in K, the
// pure-water absorption, the channel's estimated absorption and the bb term; without, the
// estimated absorption and the bb term above pure water.
double SigmaK(const ConversionContext& x, int c, double bb) {
    const ChannelCalibration& ch = x.calibration->Channel(c);
    const ConversionContext::Channel& terms = x.channel[c];
    if (x.includePurewater) return terms.waterA + ch.a + 0.4 * bb / ch.bbTilde;
    return ch.a + 0.4 * (bb - terms.waterBb) / ch.bbTilde;
}

// sigma, the sigma-corrected beta and the sigma-corrected bb of channel c from K.
void SigmaCorrect(const ConversionContext& x, int c, double K, CalibratedSample& out) {
    const ChannelCalibration& ch = x.calibration->Channel(c);
    const SigmaCoefficients coefficients{ch.Sigma[0], ch.Sigma[1], ch.Sigma[2], ch.SigmaExp,
                                         ch.UseSigmaExp};
    out.sigma[c] = SigmaOfK(coefficients, K);  // Failed when not finite
    AssignOrFailed(out.betaCorrected[c], out.beta[c] * out.sigma[c]);
    AssignOrFailed(out.bbCorrected[c], x.channel[c].toBb(out.betaCorrected[c]));
}

// The pressure factor of a Trevan-2 channel at pressure p: 1.0 below P1 and the pressure
// polynomial beyond P2. Between the two points the factor runs on a straight line from 1.0 at
// P1 to the polynomial's value at P2, so that it has no step at either point. When P2 is below
// P1 there is no span to bridge and P1 itself lies beyond P2; when the two are equal the one
// point between them takes 1.0.
double PressureFactor(const ConversionContext::Trevan& t, double p, const Powers& powers) {
    if (p < t.p1) return 1.0;
    if (p > t.p2) return Polynomial(t.kTauP, powers);
    if (t.p2 == t.p1) return 1.0;
    return 1 + (p - t.p1) / (t.p2 - t.p1) * (t.tauPAtP2 - 1);
}

}  // namespace

ConversionContext::ConversionContext(const CalibrationDataClass& cal, const SigmaParams& sigma,
                                     const PureWaterParams& pureWater)
    : calibration(&cal),
      includePurewater(sigma.includePurewater),
      cUseVN(sigma.cUseVN),
      p(sigma.p),
      channelCount(std::clamp(cal.ChannelCount(), 0, kCalChannelSlots)),
      bChannels(cal.bChannels()) {
    for (int c = 0; c < kCalChannelSlots; ++c) {
        const double lambda = cal.lambda(c);
        channel[c].waterA = PureWater.a(lambda);
        channel[c].waterBb = PureWater.bb(lambda, false);
        channel[c].toBb = BetaToBbAt(pureWater, lambda, cal.beta2bb(c));
    }
    pureBetaK = PureBeta(pureWater, cal.KLambda(0));
    for (int c = 0; c < 2; ++c) {
        Trevan& t = trevan[c];
        for (int i = 0; i < 6; ++i) {
            t.kT[i] = cal.KkT(c, i);
            t.kTauP[i] = cal.KkTauP(c, i);
        }
        t.p1 = cal.KP(c, 1);
        t.p2 = cal.KP(c, 2);
        t.tauPAtP2 = Polynomial(t.kTauP, Powers(t.p2));
    }
}

void ConvertVantor(SampleRecord& s, const ConversionContext& x, CalibratedSample& out) {
    const CalibrationDataClass& cal = *x.calibration;
    SetTypeText(out, s.instrumentType);
    Assign(out.depth, cal.DepthCal * s.depthCounts - cal.DepthOff);
    out.temperature = s.temperature;
    if (s.time == 0) {
        out.time = 0;
        out.dayFraction = s.dayFraction;
    } else {
        Assign(out.time, SampleTime(s, kEpoch1970));
    }

    double K = 0;
    for (int i = 0; i < x.channelCount; ++i) {
        const ChannelCalibration& ch = cal.Channel(i);
        const int g = s.gain[i] & 7;
        if (g < 1 || g > 5) {
            out.valid[i] = false;
            out.bb[i] = out.bbCorrected[i] = out.beta[i] = out.betaCorrected[i] = 0;
            continue;
        }
        const double G = ch.gain[g - 1];
        if (G == 0) {
            out.valid[i] = false;
            out.bb[i] = out.bbCorrected[i] = 0;
            continue;
        }
        // Ratio samples carry no raw counts: work them out from signal and reference, and keep
        // them in the sample for whoever reads it next.
        if (s.raw[i] == 0) {
            const double reference = CountDifference(s.reference[i], s.referenceOffset[i]);
            if (reference != 0) {
                const double signal =
                    CountDifference(int64_t{s.signal[i]} - s.signalOffset[i], ch.DarkOffset[g]);
                AssignRounded(s.raw[i], ch.RNominal * signal / reference);
            }
        }
        Assign(out.beta[i], ch.Mu * s.raw[i] / (G * ch.RNominal));
        Assign(out.beta[i], out.beta[i] / (1 + ch.bTempCoeff * (out.temperature - cal.CalTemp)));
        if (i >= x.bChannels)  // a fluorescence channel: a plain scale factor
            Assign(out.bb[i], ch.beta2bb * out.beta[i]);
        else
            Assign(out.bb[i], x.channel[i].toBb(out.beta[i]));
        out.valid[i] = true;
        Assign(K, SigmaK(x, i, out.bb[i]));
        SigmaCorrect(x, i, K, out);
    }

    if (s.instrumentType == kVantor2) {
        // The fluorescence channel takes the geometric mean of the two scattering channels'
        // sigma factors.
        AssignOrFailed(out.bbCorrected[2],
                       std::sqrt(out.sigma[1]) * out.bb[2] * std::sqrt(out.sigma[0]));
    } else if (s.instrumentType == kVantor6) {
        // A virtual channel shares a receiver with a real one; its light path is that of the
        // channel whose source excites it.
        for (int v = 6; v <= 7; ++v) {
            const int e = cal.ChEx(v);
            if (!out.valid[v] || e < 1 || e > kCalChannelSlots) continue;
            const int e2 = cal.ChEx(e - 1);
            if (e2 >= 1 && e2 <= kCalChannelSlots) out.sigma[v] = out.sigma[e2 - 1];
            if (out.valid[e - 1])
                AssignOrFailed(out.sigma[v], std::sqrt(out.sigma[e - 1]) * std::sqrt(out.sigma[v]));
            AssignOrFailed(out.bbCorrected[v], out.bb[v] * out.sigma[v]);
        }
    }
}

namespace {

// The attenuation (c-Lumo) or absorption (a-Lumo) above pure water, with the depth
// compensation taken off, into out.sigmaK and out.valid[0]; out.kSignal on the way.
void MeasureAttenuation(const SampleRecord& s, const ConversionContext& x, CalibratedSample& out) {
    const CalibrationDataClass& cal = *x.calibration;
    const AttenuationCalibration& k = cal.Attenuation(0);
    double F = 0;  // the temperature factor
    Assign(F, Polynomial(k.KTempCoeff, Powers(out.temperature)));
    if (k.KTempNormCoeff != 0) Assign(F, F / k.KTempNormCoeff);
    if (F == 0) {
        out.sigmaK = 0;
        out.valid[0] = false;
        return;
    }
    Assign(out.kSignal, s.optionCounts / F);
    const double above = double{out.kSignal} - k.TrNought;
    if (above <= 0) {
        out.sigmaK = 0;
        out.valid[0] = false;
        return;
    }
    double r = 0;
    Assign(r, CountDifference(k.TrPure, k.TrNought) / above);
    if (r == 0 || k.KPath == 0) {
        out.sigmaK = 0;
        out.valid[0] = false;
        return;
    }
    Assign(out.sigmaK, std::log(r) / k.KPath);
    out.valid[0] = true;

    // Depth compensation: nothing above the depth offset, a line up to the first threshold,
    // and a second line from there to the full scale of the depth counts.
    const float counts = s.depthCounts;
    const float d0 = cal.DepthOff;
    const int32_t t0 = k.KDepthThresh[0];
    const float c0 = k.KDepthCoeff[0];
    const float c1 = k.KDepthCoeff[1];
    double compensation = 0;
    if (counts < d0)
        compensation = 0;
    else if (double{counts} <= t0)
        compensation = c0 * (counts - d0) / (static_cast<double>(t0) - d0);
    else
        compensation = c0 + (c1 - c0) * (double{counts} - t0) / CountDifference(int64_t{65535}, t0);
    Assign(out.sigmaK, out.sigmaK - compensation);
}

}  // namespace

void ConvertSingle(SampleRecord& s, const ConversionContext& x, CalibratedSample& out) {
    const CalibrationDataClass& cal = *x.calibration;
    SetTypeText(out, s.instrumentType);
    Assign(out.depth, (s.depthCounts - cal.DepthOff) * cal.DepthCal);
    out.temperature = s.temperature;
    out.voltage = s.voltage;
    Assign(out.time, SampleTime(s, kEpoch1980));

    MeasureAttenuation(s, x, out);
    out.attenuation[0] = out.sigmaK;

    const ChannelCalibration& ch = cal.Channel(0);
    const int g = s.gain[0];
    if (g < 1 || g > 5) {
        out.beta[0] = out.bb[0] = 0;
    } else {
        Assign(out.beta[0],
               (s.normalized[0] - ch.DarkOffset[g]) * ch.Mu /
                   ((1 + ch.bTempCoeff * (out.temperature - cal.CalTemp)) * ch.gain[g - 1]));
        Assign(out.bb[0], x.channel[0].toBb(out.beta[0]));
    }

    if (s.instrumentType == kCLumo) {
        if (!x.cUseVN)
            Assign(out.sigmaK, out.attenuation[0] * x.p);
        else
            Assign(out.sigmaK, SigmaK(x, 0, out.bb[0]));
    }
    SigmaCorrect(x, 0, out.sigmaK, out);

    if (s.instrumentType == kALumo) {
        // The absorption corrected for the part of the scattering the absorption tube misses.
        const AttenuationCalibration& k = cal.Attenuation(0);
        double d = 0;
        Assign(d, out.betaCorrected[0] - x.pureBetaK);
        Assign(out.aCorrected, out.sigmaK - k.KChi[1] * d - k.KChi[2] * std::pow(d, 2) -
                                   k.KChi[3] * std::pow(d, 3));
    }
}

void ConvertTrevan(SampleRecord& s, const ConversionContext& x, CalibratedSample& out) {
    const CalibrationDataClass& cal = *x.calibration;
    SetTypeText(out, s.instrumentType);
    out.temperature = s.temperature;
    out.voltage = s.voltage;
    Assign(out.time, SampleTime(s, kEpoch1970));

    // Depth from the pressure counts, corrected for the temperature of the pressure sensor.
    const float T = s.temperature;
    const double tp0 = cal.TP0;
    double A = 0;
    double B = 0;
    double p = 0;
    Assign(A, cal.kp1 * T + cal.kp2 * (double{T} * T));
    Assign(B, cal.kp1 * tp0 + cal.kp2 * (tp0 * tp0));
    Assign(p, (s.depthCounts - cal.P0) - A + B);
    Assign(out.depth, cal.kD1 * p + cal.kD2 * (p * p));

    const Powers temperature(T);
    const Powers pressure(p);
    double r = 0;
    double Ft = 0;
    double Fp = 0;
    for (int c = 0; c < 2; ++c) {
        const AttenuationCalibration& k = cal.Attenuation(c);
        const ConversionContext::Trevan& t = x.trevan[c];
        Assign(r, CountDifference(s.signal[c], k.KS0) / CountDifference(s.reference[c], k.KR0));
        Assign(Ft, Polynomial(t.kT, temperature));
        Assign(Fp, PressureFactor(t, p, pressure));
        if (r <= 0)
            out.attenuation[c] = 100;
        else
            Assign(out.attenuation[c], std::log(k.KTau0 / (r * Fp * Ft)) / k.KL);
    }
}

bool ConvertSample(SampleRecord& sample, const ConversionContext& context, CalibratedSample& out) {
    const int type = sample.instrumentType;
    if (IsVantorFamily(type))
        ConvertVantor(sample, context, out);
    else if (IsSingleChannel(type))
        ConvertSingle(sample, context, out);
    else if (IsTrevan(type))
        ConvertTrevan(sample, context, out);
    else
        return false;
    return true;
}

bool DecodeAndConvert(std::string_view line, const ConversionContext& context,
                      CalibratedSample& output, int instrumentType, SampleRecord& record) {
    record = SampleRecord{};
    if (!DecodeLine(line, instrumentType, record)) return false;
    return ConvertSample(record, context, output);
}

bool DecodeAndConvert(std::string_view line, const ConversionContext& context,
                      CalibratedSample& output, int instrumentType) {
    SampleRecord record;
    return DecodeAndConvert(line, context, output, instrumentType, record);
}

}  // namespace tidewell
