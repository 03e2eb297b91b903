#include "calibration/CalibrationData.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "stream/Models.h"
#include "stream/NumberText.h"
#include "stream/TextHelpers.h"

namespace tidewell {

CalibrationDataClass::CalibrationDataClass() {
    Clear();
}

int CalibrationDataClass::bChannels() const {
    return ScatteringChannelCount(DeviceType);
}

int CalibrationDataClass::ChannelCount() const {
    return tidewell::ChannelCount(DeviceType);
}

std::string CalibrationDataClass::SavedFile() const {
    std::error_code ec;
    if (!savedCopy_.empty() && std::filesystem::exists(savedCopy_, ec)) return savedCopy_;
    return sourceFile_;
}

std::string ChangeWords(int32_t bits) {
    static const struct {
        int32_t bit;
        const char* word;
    } kWords[] = {
        {kChangedAttenuation, "attenuation params"},
        {kChangedMu, "mu"},
        {kChangedComment, "comment"},
        {kChangedConfiguration, "configuration"},
        {kChangedDepth, "depth"},
        {kChangedFluorescenceMu, "fluorescence mu"},
        {kChangedGain, "gain"},
        {kChangedIdentification, "identification"},
        {kChangedExpSigma, "exponential sigma"},
        {kChangedOffset, "offset"},
        {kChangedPolySigma, "polynomial sigma"},
        {kChangedReference, "reference"},
        {kChangedTempCoeff, "temperature coefficient"},
    };
    std::string text;
    for (const auto& w : kWords) {
        if (!(bits & w.bit)) continue;
        if (!text.empty()) text += ", ";
        text += w.word;
    }
    return text;
}

std::string CalibrationDataClass::ChangedDescription() const {
    return ChangeWords(Changed);
}

// --- Channel map.

void CalibrationDataClass::SetChEx(int chan, int16_t channelNumber) {
    channels_[Slot(chan)].ChEx = channelNumber;
    UpdateChannelMap();
}

void CalibrationDataClass::SetChRep(int chan, int16_t channelNumber) {
    channels_[Slot(chan)].ChRep = channelNumber;
    UpdateChannelMap();
}

void CalibrationDataClass::UpdateChannelMap() {
    // The derived values are only ever set here, never cleared: a map once seen stays.
    auto valid = [](int number) { return number >= 1 && number <= kCalChannelSlots; };
    for (int c = 0; c <= 11; ++c) {
        ChannelCalibration& ch = channels_[c];
        if (ch.ChEx > 0 && ch.ChRep > 0) {
            // a channel number from an instrument's dump may be out of range: skip it
            if (valid(ch.ChEx)) channels_[ch.ChEx - 1].IsExcitationForChannel = c + 1;
            ch.IsSharedReceiver = true;
        } else if (ch.ChEx != 0 && valid(ch.ChEx) && channels_[ch.ChEx - 1].ChEx != 0) {
            ch.IsVirtualChannel = true;
        }
    }
}

void CalibrationDataClass::ApplyDefaultChannelMap() {
    for (int c = 0; c <= 7; ++c)
        if (channels_[c].ChEx != 0 || channels_[c].ChRep != 0) return;
    if (channels_[1].lambda == channels_[7].lambda) {
        SetChEx(1, 1);
        SetChEx(3, 3);
        SetChRep(1, 8);
        SetChEx(7, 2);
        if (channels_[3].lambda == channels_[6].lambda) {
            SetChRep(3, 7);
            SetChEx(6, 4);
        }
    } else if (channels_[1].lambda == channels_[6].lambda) {
        SetChEx(1, 1);
        SetChRep(1, 7);
        SetChEx(6, 2);
    }
}

// --- Scattering channels.

void CalibrationDataClass::SetName(int chan, const std::string& text) {
    channels_[Slot(chan)].name = text;
    SetLambda(chan, RoundToInt16(LeadingNumber(text)));
}

void CalibrationDataClass::SetLambda(int chan, int16_t nm) {
    channels_[Slot(chan)].lambda = nm;
    if (opticalInputs_) {
        // Any message about a missing table was shown when these parameters were applied.
        SilentPrompter quiet;
        EstimateOptics(opticalInputs_->params, opticalInputs_->tables, quiet);
    }
}

void CalibrationDataClass::SetGain(int chan, int g, double v) {
    const size_t slot = GainSlot(g);
    const double rounded = RoundDecimals(v, 6);
    channels_[Slot(chan)].gain[slot] = rounded;
    if (DeviceType == kVantor2) {
        // the fluorescence channel shares channel 1's receiver
        if (chan == 1) channels_[2].gain[slot] = rounded;
    } else if (DeviceType == kVantor6) {
        // A shared receiver passes its gains on to its virtual channel; a map read from an
        // instrument could chain back on itself, so the walk is bounded.
        int c = chan;
        for (int steps = 0; steps < kCalChannelSlots; ++steps) {
            const int next = IsReceiverForVirtualChannel(c) - 1;
            if (next < 0 || next >= kCalChannelSlots || next == c) break;
            channels_[next].gain[slot] = rounded;
            c = next;
        }
    }
}

void CalibrationDataClass::SetMu(int chan, int calGain, double v) {
    ChannelCalibration& ch = channels_[Slot(chan)];
    ch.Mu = v;
    if (calGain == ch.MuGain || (calGain != 1 && calGain != 2)) return;
    const double r = ch.gain[calGain - 1];
    if (r > 0 && r != 1.0)
        for (double& g : ch.gain) g /= r;
    ch.MuGain = static_cast<int16_t>(calGain);
}

double CalibrationDataClass::Sigma(int chan, int i) const {
    return channels_[Slot(chan)].Sigma[Within(i, 3)];
}

void CalibrationDataClass::SetSigma(int chan, int i, double v, Prompter& prompter) {
    ChannelCalibration& ch = channels_[Slot(chan)];
    if (i < 0 || i > 2) {
        prompter.ShowMessage("Sigma array out of bounds.");
        return;
    }
    ch.Sigma[i] = v;
}

void CalibrationDataClass::SetSigmaExp(int chan, double v) {
    ChannelCalibration& ch = channels_[Slot(chan)];
    ch.SigmaExp = v;
    ch.UseSigmaExp = v > 0.0001;
}

void CalibrationDataClass::SetROutOff(int chan, double v) {
    // the instrument packs the exponential sigma coefficient into the fraction
    ChannelCalibration& ch = channels_[Slot(chan)];
    const double whole = std::trunc(v);
    const double fraction = v - whole;
    ch.ROutOff = whole;
    if (std::fabs(fraction) >= 0.0001) SetSigmaExp(chan, std::fabs(fraction));
}

void CalibrationDataClass::SetRNominal(int chan, double v) {
    ChannelCalibration& ch = channels_[Slot(chan)];
    if (v != ch.RNominal) Changed = -1;
    ch.RNominal = v;
}

void CalibrationDataClass::SetBb2c(int chan, double v) {
    // the instrument packs MuRho / 10 into the fraction
    ChannelCalibration& ch = channels_[Slot(chan)];
    const double whole = std::trunc(v);
    const double fraction = v - whole;
    ch.bb2c = whole;
    if (std::fabs(fraction) >= 0.0001) ch.MuRho = RoundDecimals(fraction * 10, 3);
}

// --- Attenuation channels.

void CalibrationDataClass::SetKTempCoeff(int chan, int i, float v) {
    attenuation_[Slot(chan)].KTempCoeff[Within(i, 7)] = v;
    RecomputeTempNorms();
}

void CalibrationDataClass::RecomputeTempNorms() {
    for (AttenuationCalibration& k : attenuation_) {
        double sum = 0;
        for (int i = 0; i <= 5; ++i)
            sum += static_cast<double>(k.KTempCoeff[i]) * std::pow(double{k.KCalTemp}, i);
        k.KTempNormCoeff = sum;
    }
}

void CalibrationDataClass::RecomputeKTNorm(AttenuationCalibration& k) {
    double sum = k.KkT[0];
    for (int i = 1; i <= 5; ++i) sum += k.KkT[i] * std::pow(double{k.KTPW}, i);
    k.KkTNormaliser = sum;
}

void CalibrationDataClass::RecomputeKTauPNorm(AttenuationCalibration& k) {
    double sum = k.KkTauP[0];
    for (int i = 1; i <= 5; ++i) sum += k.KkTauP[i] * std::pow(k.KP[1], i);
    k.KkTauPNormaliser = sum;
}

double CalibrationDataClass::KkT(int chan, int i) const {
    const AttenuationCalibration& k = attenuation_[Slot(chan)];
    const double v = k.KkT[Within(i, 6)];
    return k.KkTNormaliser > 0 ? v / k.KkTNormaliser : v;
}

void CalibrationDataClass::SetKkT(int chan, int i, double v) {
    AttenuationCalibration& k = attenuation_[Slot(chan)];
    k.KkT[Within(i, 6)] = v;
    RecomputeKTNorm(k);
}

void CalibrationDataClass::SetKTPW(int chan, float v) {
    AttenuationCalibration& k = attenuation_[Slot(chan)];
    k.KTPW = v;
    RecomputeKTNorm(k);
}

void CalibrationDataClass::SetKP(int chan, int i, double v) {
    AttenuationCalibration& k = attenuation_[Slot(chan)];
    k.KP[PressureSlot(i)] = v;
    RecomputeKTauPNorm(k);
}

double CalibrationDataClass::KkTauP(int chan, int i) const {
    const AttenuationCalibration& k = attenuation_[Slot(chan)];
    const double v = k.KkTauP[Within(i, 6)];
    return k.KkTauPNormaliser > 0 ? v / k.KkTauPNormaliser : v;
}

void CalibrationDataClass::SetKkTauP(int chan, int i, double v) {
    AttenuationCalibration& k = attenuation_[Slot(chan)];
    k.KkTauP[Within(i, 6)] = v;
    RecomputeKTauPNorm(k);
}

// --- The whole calibration.

void CalibrationDataClass::Clear() {
    ModificationTime = 0;
    Changed = 0;
    Comment.clear();
    DeviceType = kUnknownType;
    CalTemp = 0;
    CalTime = 0;
    MaxDepth = 0;
    Label.clear();
    Serial.clear();
    Config.clear();
    DepthCal = 0;
    DepthOff = 0;
    for (ChannelCalibration& ch : channels_) {
        // a new record, keeping the derived channel map
        ChannelCalibration fresh;
        fresh.IsExcitationForChannel = ch.IsExcitationForChannel;
        fresh.IsSharedReceiver = ch.IsSharedReceiver;
        fresh.IsVirtualChannel = ch.IsVirtualChannel;
        ch = std::move(fresh);
    }
    for (AttenuationCalibration& k : attenuation_) {
        AttenuationCalibration fresh;
        std::copy(std::begin(k.KDepthCoeff), std::end(k.KDepthCoeff), fresh.KDepthCoeff);
        fresh.KTempNormCoeff = k.KTempNormCoeff;
        fresh.KkTNormaliser = k.KkTNormaliser;
        fresh.KkTauPNormaliser = k.KkTauPNormaliser;
        k = fresh;
    }
    for (int c = 0; c < kCalChannelSlots; ++c) {
        SetSigmaExp(c, 0);
        SetChEx(c, 0);
        SetChRep(c, 0);
    }
}

void CalibrationDataClass::Copy(const CalibrationDataClass& src) {
    if (&src == this) return;
    ModificationTime = src.ModificationTime;
    Changed = src.Changed;
    Comment = src.Comment;
    DeviceType = src.DeviceType;
    CalTemp = src.CalTemp;
    CalTime = src.CalTime;
    MaxDepth = src.MaxDepth;
    Label = src.Label;
    Serial = src.Serial;
    Config = src.Config;
    DepthCal = src.DepthCal;
    DepthOff = src.DepthOff;
    kp1 = src.kp1;
    kp2 = src.kp2;
    P0 = src.P0;
    TP0 = src.TP0;
    kD1 = src.kD1;
    kD2 = src.kD2;
    std::copy(std::begin(src.channels_), std::end(src.channels_), channels_);
    std::copy(std::begin(src.attenuation_), std::end(src.attenuation_), attenuation_);
    opticalInputs_ = src.opticalInputs_;
}

namespace {
template <typename T, size_t N>
bool Differ(const T (&x)[N], const T (&y)[N]) {
    return !std::equal(std::begin(x), std::end(x), std::begin(y));
}
}  // namespace

int32_t CalibrationDataClass::Compare(const CalibrationDataClass& other) const {
    int32_t bits = 0;
    if (Serial != other.Serial || Label != other.Label || DeviceType != other.DeviceType)
        bits |= kChangedIdentification;
    if (DepthCal != other.DepthCal || DepthOff != other.DepthOff || kp1 != other.kp1 ||
        kp2 != other.kp2 || P0 != other.P0 || TP0 != other.TP0 || kD1 != other.kD1 ||
        kD2 != other.kD2)
        bits |= kChangedDepth;

    const int records = std::max({ChannelCount(), other.ChannelCount(), 0});
    const int attenuationRecords =
        std::max(AttenuationChannelCount(DeviceType), AttenuationChannelCount(other.DeviceType));
    // a Trevan-2 names its two attenuation channels in the scattering records
    const int named = std::max(records, attenuationRecords);
    const int scattering = bChannels();
    for (int c = 0; c < named; ++c) {
        const ChannelCalibration& x = channels_[c];
        const ChannelCalibration& y = other.channels_[c];
        if (x.name != y.name) bits |= kChangedIdentification;
        if (x.lambda != y.lambda || x.bDeltaLambda != y.bDeltaLambda) bits |= kChangedWavelength;
        if (c >= records) continue;
        if (x.Mu != y.Mu || x.MuRho != y.MuRho || x.beta2bb != y.beta2bb || x.bb2c != y.bb2c)
            bits |= c < scattering ? kChangedMu : kChangedFluorescenceMu;
        if (Differ(x.DarkOffset, y.DarkOffset) || Differ(x.NomOffset, y.NomOffset) ||
            Differ(x.FlOffset, y.FlOffset))
            bits |= kChangedOffset;
        if (Differ(x.gain, y.gain)) bits |= kChangedGain;
        if (Differ(x.Sigma, y.Sigma)) bits |= kChangedPolySigma;
        if (x.SigmaExp != y.SigmaExp) bits |= kChangedExpSigma;
        if (x.bTempCoeff != y.bTempCoeff) bits |= kChangedTempCoeff;
        if (x.RNominal != y.RNominal || x.ROutOff != y.ROutOff) bits |= kChangedReference;
    }
    for (int c = 0; c < attenuationRecords; ++c) {
        const AttenuationCalibration& x = attenuation_[c];
        const AttenuationCalibration& y = other.attenuation_[c];
        if (x.KLambda != y.KLambda || x.KDeltaLambda != y.KDeltaLambda) bits |= kChangedWavelength;
        if (x.KPath != y.KPath || x.TrNought != y.TrNought || x.TrPure != y.TrPure ||
            x.TrAir != y.TrAir || Differ(x.KChi, y.KChi) || x.KCalTemp != y.KCalTemp ||
            Differ(x.KTempCoeff, y.KTempCoeff) || Differ(x.KDepthThresh, y.KDepthThresh) ||
            Differ(x.KDepthCoeff, y.KDepthCoeff) || x.aPure != y.aPure ||
            x.betaPure != y.betaPure || x.KL != y.KL || x.KS0 != y.KS0 || x.KR0 != y.KR0 ||
            Differ(x.KkT, y.KkT) || Differ(x.KP, y.KP) || x.KkTauPX != y.KkTauPX ||
            Differ(x.KkTauP, y.KkTauP) || x.KTau0 != y.KTau0 || x.KTPW != y.KTPW)
            bits |= kChangedAttenuation;
    }
    return bits;
}

void CalibrationDataClass::Merge(const CalibrationDataClass& src, int32_t mask) {
    sourceFile_ = kMultipleSources;
    const int scattering = std::max(bChannels(), 0);
    const int records = std::min(std::max(ChannelCount(), 0), kCalChannelSlots);
    auto takeMu = [&](int c) {
        SetMu(c, src.channels_[c].MuGain, src.channels_[c].Mu);
        channels_[c].MuRho = src.channels_[c].MuRho;
    };
    if (mask & kChangedMu)
        for (int c = 0; c < scattering; ++c) takeMu(c);
    if (mask & kChangedFluorescenceMu)
        for (int c = scattering; c < records; ++c) takeMu(c);
    if (mask & kChangedExpSigma)
        for (int c = 0; c <= 11; ++c) {
            SetSigmaExp(c, src.channels_[c].SigmaExp);
            channels_[c].Sigma[0] = src.channels_[c].Sigma[0];
        }
    if (mask & kChangedPolySigma)
        for (int c = 0; c <= 11; ++c)
            std::copy(std::begin(src.channels_[c].Sigma), std::end(src.channels_[c].Sigma),
                      channels_[c].Sigma);
    if (mask & kChangedOffset)
        for (int c = 0; c <= 11; ++c) {
            const ChannelCalibration& s = src.channels_[c];
            ChannelCalibration& d = channels_[c];
            std::copy(std::begin(s.DarkOffset), std::end(s.DarkOffset), d.DarkOffset);
            std::copy(std::begin(s.NomOffset), std::end(s.NomOffset), d.NomOffset);
            std::copy(std::begin(s.FlOffset), std::end(s.FlOffset), d.FlOffset);
        }
    if (mask & kChangedGain)
        for (int c = 0; c <= 11; ++c) {
            // the gains come renormalised to this channel's own calibration gain
            ChannelCalibration& d = channels_[c];
            const ChannelCalibration& s = src.channels_[c];
            const int m = (d.MuGain >= 1 && d.MuGain <= 5) ? d.MuGain : 1;
            const double r = s.gain[m - 1];
            for (int g = 0; g < 5; ++g)
                d.gain[g] = r == 0 ? 1.0 : RoundSignificant(s.gain[g] / r, 6);
        }
    if (mask & kChangedDepth) {
        DepthCal = src.DepthCal;
        DepthOff = src.DepthOff;
    }
    if (mask & kChangedIdentification) {
        DeviceType = src.DeviceType;
        Serial = src.Serial;
        Config = src.Config;
        Label = src.Label;
        MaxDepth = src.MaxDepth;
    }
}

void CalibrationDataClass::UpdateMuGains() {
    for (int c = 0; c <= 11; ++c) {
        ChannelCalibration& ch = channels_[c];
        if (ch.gain[1] == 1.0) ch.MuGain = 2;
        if (ch.gain[0] == 1.0) ch.MuGain = 1;
    }
}

void CalibrationDataClass::UpdateOpticalEstimates(const SigmaParams& params,
                                                  const SigmaTables& tables, Prompter& prompter) {
    if (!opticalInputs_ || !(opticalInputs_->params == params) ||
        !(opticalInputs_->tables.aStar == tables.aStar) ||
        !(opticalInputs_->tables.bTilde == tables.bTilde))
        opticalInputs_ = std::make_shared<const OpticalInputs>(OpticalInputs{params, tables});
    EstimateOptics(params, tables, prompter);
}

void CalibrationDataClass::EstimateOptics(const SigmaParams& params, const SigmaTables& tables,
                                          Prompter& prompter) {
    for (int c = 0; c <= 7; ++c) {
        ChannelCalibration& ch = channels_[c];
        if (ch.lambda == 0) continue;
        ch.a = EstimateA(params, tables, ch.lambda, false, prompter);
        ch.bbTilde = EstimateBbTilde(params, tables, ch.lambda, prompter);
    }
}

double CalibrationDataClass::PureWaterSigma0(int chan, bool includePurewater) const {
    const ChannelCalibration& ch = channels_[Slot(chan)];
    const double kw = PureWaterK(ch.lambda, includePurewater);
    const double s0 =
        ch.UseSigmaExp ? std::exp(-ch.SigmaExp * kw) : 1 - ch.Sigma[1] * kw - ch.Sigma[2] * kw * kw;
    return RoundDecimals(s0, 3);
}

void CalibrationDataClass::UpdateSigmas(const SigmaParams& params) {
    const int records = std::min(ChannelCount(), kCalChannelSlots);
    for (int c = 0; c < records; ++c)
        channels_[c].Sigma[0] = PureWaterSigma0(c, params.includePurewater);
}

double CalibrationDataClass::OldSigmaK1(int chan) const {
    return PureWaterSigma0(chan, true);
}

void CalibrationDataClass::CheckAndUpdateAll(const SigmaParams& params, const SigmaTables& tables,
                                             Prompter& prompter) {
    UpdateMuGains();
    UpdateOpticalEstimates(params, tables, prompter);
    UpdateSigmas(params);
}

bool CalibrationDataClass::HasOffsets() const {
    for (const ChannelCalibration& ch : channels_)
        for (int g = 1; g <= 5; ++g)
            if (ch.DarkOffset[g] != 0 || ch.NomOffset[g] != 0 || ch.FlOffset[g] != 0) return true;
    return false;
}

}  // namespace tidewell
