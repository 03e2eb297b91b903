#include "calibration/CalibrationFields.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <limits>

#include "calibration/CalFile.h"
#include "stream/DateValue.h"
#include "stream/Models.h"
#include "stream/NumberText.h"

namespace tidewell {

namespace {

using Cal = CalibrationDataClass;
using Get = std::function<double(const Cal&)>;
using Set = std::function<void(Cal&, double)>;

// How a number is shown and which values it takes.
enum class Form { kSingle, kDouble, kInt16, kInt32 };

std::string NumberText(double v, Form form) {
    switch (form) {
        case Form::kSingle:
            return PlainSingle(static_cast<float>(v));
        case Form::kDouble:
            return PlainDouble(v);
        default:
            return PlainInt(static_cast<int64_t>(v));
    }
}

bool Fits(double v, Form form) {
    switch (form) {
        case Form::kSingle:
            return std::fabs(v) <= FLT_MAX;
        case Form::kDouble:
            return true;
        case Form::kInt16:
            return v == std::trunc(v) && v >= std::numeric_limits<int16_t>::min() &&
                   v <= std::numeric_limits<int16_t>::max();
        case Form::kInt32:
            return v == std::trunc(v) && v >= std::numeric_limits<int32_t>::min() &&
                   v <= std::numeric_limits<int32_t>::max();
    }
    return false;
}

// "MM/DD/YY hh:mm:ss", as calibration files write a date; "" for 0 (not known).
std::string DateText(double date) {
    if (date == 0) return "";
    const CalendarTime t = ToCalendar(date);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%02d %02d:%02d:%02d", t.month, t.day, t.year % 100,
                  t.hour, t.minute, t.second);
    return buf;
}

class Rows {
  public:
    explicit Rows(std::vector<CalField>& out) : out_(out) {}

    std::string section;

    void Number(const std::string& name, int32_t group, Form form, Get get, Set set) {
        CalField f{section,
                   name,
                   group,
                   [get, form](const Cal& cal) { return NumberText(get(cal), form); },
                   {}};
        if (set)
            f.store = [set, form](Cal& cal, const std::string& text, Prompter&) {
                double v = 0;
                if (!ReadWholeDecimal(text, v) || !Fits(v, form)) return false;
                set(cal, v);
                return true;
            };
        out_.push_back(std::move(f));
    }
    void Derived(const std::string& name, Form form, Get get) {
        Number(name, 0, form, std::move(get), nullptr);
    }
    void Flag(const std::string& name, std::function<bool(const Cal&)> get) {
        out_.push_back({section,
                        name,
                        0,
                        [get](const Cal& cal) { return std::string(get(cal) ? "True" : "False"); },
                        {}});
    }
    void Text(const std::string& name, int32_t group, std::string Cal::*member) {
        out_.push_back({section, name, group, [member](const Cal& cal) { return cal.*member; },
                        [member](Cal& cal, const std::string& text, Prompter&) {
                            cal.*member = text;
                            return true;
                        }});
    }
    void Add(CalField f) {
        f.section = section;
        out_.push_back(std::move(f));
    }

  private:
    std::vector<CalField>& out_;
};

void GeneralRows(Rows& rows, int type) {
    rows.section = "General";
    rows.Add({"", "Model", 0, [](const Cal& cal) { return ModelName(cal.DeviceType); }, {}});
    rows.Text("Serial", kChangedIdentification, &Cal::Serial);
    rows.Text("Label", kChangedIdentification, &Cal::Label);
    rows.Text("Config", kChangedConfiguration, &Cal::Config);
    rows.Text("Comment", kChangedComment, &Cal::Comment);
    rows.Number(
        "MaxDepth", kChangedIdentification, Form::kSingle,
        [](const Cal& cal) { return cal.MaxDepth; },
        [](Cal& cal, double v) { cal.MaxDepth = static_cast<float>(v); });
    rows.Add({"", "CalTime", kChangedIdentification,
              [](const Cal& cal) { return DateText(cal.CalTime); },
              [](Cal& cal, const std::string& text, Prompter&) {
                  // a date as written, or a count of seconds of the instrument's clock
                  double seconds = 0;
                  if (text.find('/') == std::string::npos && !ReadWholeDecimal(text, seconds))
                      return false;
                  const double date = ParseCalTime(text, cal.DeviceType);
                  if (date <= 0) return false;
                  cal.CalTime = date;
                  return true;
              }});
    rows.Add({"",
              "ModificationTime",
              0,
              [](const Cal& cal) { return DateText(cal.ModificationTime); },
              {}});
    if (IsTrevan(type)) {
        rows.section = "Depth";
        const struct {
            const char* name;
            float Cal::*member;
        } singles[] = {{"kp1", &Cal::kp1},
                       {"kp2", &Cal::kp2},
                       {"P0", &Cal::P0},
                       {"kD1", &Cal::kD1},
                       {"kD2", &Cal::kD2}};
        for (const auto& s : singles) {
            float Cal::*m = s.member;
            rows.Number(
                s.name, kChangedDepth, Form::kSingle, [m](const Cal& cal) { return cal.*m; },
                [m](Cal& cal, double v) { cal.*m = static_cast<float>(v); });
        }
        rows.Number(
            "TP0", kChangedDepth, Form::kInt32, [](const Cal& cal) { return cal.TP0; },
            [](Cal& cal, double v) { cal.TP0 = static_cast<int32_t>(v); });
        return;
    }
    rows.Number(
        "DepthCal", kChangedDepth, Form::kSingle, [](const Cal& cal) { return cal.DepthCal; },
        [](Cal& cal, double v) { cal.DepthCal = static_cast<float>(v); });
    rows.Number(
        "DepthOff", kChangedDepth, Form::kSingle, [](const Cal& cal) { return cal.DepthOff; },
        [](Cal& cal, double v) { cal.DepthOff = static_cast<float>(v); });
    rows.Number(
        "CalTemp", kChangedTempCoeff, Form::kSingle, [](const Cal& cal) { return cal.CalTemp; },
        [](Cal& cal, double v) { cal.CalTemp = static_cast<float>(v); });
}

// A scattering or fluorescence channel record.
void ChannelRows(Rows& rows, int c, int type) {
    const bool vantor = IsVantorFamily(type);
    const int32_t muGroup = c < ScatteringChannelCount(type) ? kChangedMu : kChangedFluorescenceMu;
    if (vantor)
        rows.Add({"", "Name", kChangedIdentification, [c](const Cal& cal) { return cal.name(c); },
                  [c](Cal& cal, const std::string& text, Prompter&) {
                      cal.SetName(c, text);
                      return true;
                  }});
    else
        rows.Add({"", "Name", 0, [c](const Cal& cal) { return cal.name(c); }, {}});
    rows.Number(
        "Lambda", kChangedWavelength, Form::kInt16, [c](const Cal& cal) { return cal.lambda(c); },
        [c](Cal& cal, double v) { cal.SetLambda(c, static_cast<int16_t>(v)); });
    rows.Number(
        "DeltaLambda", kChangedWavelength, Form::kInt16,
        [c](const Cal& cal) { return cal.bDeltaLambda(c); },
        [c](Cal& cal, double v) { cal.SetBDeltaLambda(c, static_cast<int16_t>(v)); });
    for (int g = 1; g <= 5; ++g)
        rows.Number(
            "Gain " + std::to_string(g), kChangedGain, Form::kDouble,
            [c, g](const Cal& cal) { return cal.gain(c, g); },
            [c, g](Cal& cal, double v) { cal.SetGain(c, g, v); });
    rows.Number(
        "Mu", muGroup, Form::kDouble, [c](const Cal& cal) { return cal.Mu(c); },
        [c](Cal& cal, double v) { cal.SetMu(c, cal.MuGain(c), v); });
    rows.Derived("MuGain", Form::kInt16, [c](const Cal& cal) { return cal.MuGain(c); });
    rows.Number(
        "MuRho", muGroup, Form::kDouble, [c](const Cal& cal) { return cal.MuRho(c); },
        [c](Cal& cal, double v) { cal.SetMuRho(c, v); });
    for (int i = 0; i <= 2; ++i)
        rows.Add({"", "Sigma " + std::to_string(i), kChangedPolySigma,
                  [c, i](const Cal& cal) { return PlainDouble(cal.Sigma(c, i)); },
                  [c, i](Cal& cal, const std::string& text, Prompter& prompter) {
                      double v = 0;
                      if (!ReadWholeDecimal(text, v)) return false;
                      cal.SetSigma(c, i, v, prompter);
                      return true;
                  }});
    rows.Number(
        "SigmaExp", kChangedExpSigma, Form::kDouble,
        [c](const Cal& cal) { return cal.SigmaExp(c); },
        [c](Cal& cal, double v) { cal.SetSigmaExp(c, v); });
    rows.Flag("UseSigmaExp", [c](const Cal& cal) { return cal.UseSigmaExp(c); });
    if (vantor) {
        rows.Number(
            "ROutOff", kChangedReference, Form::kDouble,
            [c](const Cal& cal) { return cal.ROutOff(c); },
            [c](Cal& cal, double v) { cal.SetROutOff(c, v); });
        rows.Number(
            "RNominal", kChangedReference, Form::kDouble,
            [c](const Cal& cal) { return cal.RNominal(c); },
            [c](Cal& cal, double v) { cal.SetRNominal(c, v); });
    }
    rows.Number(
        "Beta2Bb", muGroup, Form::kDouble, [c](const Cal& cal) { return cal.beta2bb(c); },
        [c](Cal& cal, double v) { cal.SetBeta2bb(c, v); });
    if (vantor)
        rows.Number(
            "Bb2c", muGroup, Form::kDouble, [c](const Cal& cal) { return cal.bb2c(c); },
            [c](Cal& cal, double v) { cal.SetBb2c(c, v); });
    rows.Number(
        "TempCoeff", kChangedTempCoeff, Form::kDouble,
        [c](const Cal& cal) { return cal.bTempCoeff(c); },
        [c](Cal& cal, double v) { cal.SetBTempCoeff(c, v); });
    for (int g = 1; g <= 5; ++g)
        rows.Number(
            "Offset " + std::to_string(g), kChangedOffset, Form::kInt16,
            [c, g](const Cal& cal) { return cal.DarkOffset(c, g); },
            [c, g](Cal& cal, double v) { cal.SetDarkOffset(c, g, static_cast<int16_t>(v)); });
    if (vantor)
        for (int g = 1; g <= 5; ++g)
            rows.Number(
                "NomOffset " + std::to_string(g), kChangedOffset, Form::kInt16,
                [c, g](const Cal& cal) { return cal.NomOffset(c, g); },
                [c, g](Cal& cal, double v) { cal.SetNomOffset(c, g, static_cast<int16_t>(v)); });
    if (type == kVantor6)
        for (int g = 1; g <= 5; ++g)
            rows.Number(
                "FlOffset " + std::to_string(g), kChangedOffset, Form::kInt16,
                [c, g](const Cal& cal) { return cal.FlOffset(c, g); },
                [c, g](Cal& cal, double v) { cal.SetFlOffset(c, g, static_cast<int16_t>(v)); });
    rows.Derived("a", Form::kDouble, [c](const Cal& cal) { return cal.a(c); });
    rows.Derived("bbTilde", Form::kDouble, [c](const Cal& cal) { return cal.bbTilde(c); });
    if (type != kVantor6) return;
    rows.Number(
        "ChEx", kChangedConfiguration, Form::kInt16, [c](const Cal& cal) { return cal.ChEx(c); },
        [c](Cal& cal, double v) { cal.SetChEx(c, static_cast<int16_t>(v)); });
    rows.Number(
        "ChRep", kChangedConfiguration, Form::kInt16, [c](const Cal& cal) { return cal.ChRep(c); },
        [c](Cal& cal, double v) { cal.SetChRep(c, static_cast<int16_t>(v)); });
    rows.Derived("IsExcitationForChannel", Form::kInt16,
                 [c](const Cal& cal) { return cal.IsExcitationForChannel(c); });
    rows.Flag("IsSharedReceiver", [c](const Cal& cal) { return cal.IsSharedReceiver(c); });
    rows.Flag("IsVirtualChannel", [c](const Cal& cal) { return cal.IsVirtualChannel(c); });
}

// The attenuation channel of an a-Lumo, c-Lumo or x-Lumo.
void AttenuationRows(Rows& rows) {
    constexpr int c = 0;
    constexpr int32_t k = kChangedAttenuation;
    rows.Number(
        "Lambda", kChangedWavelength, Form::kInt16, [](const Cal& cal) { return cal.KLambda(c); },
        [](Cal& cal, double v) { cal.SetKLambda(c, static_cast<int16_t>(v)); });
    rows.Number(
        "DeltaLambda", kChangedWavelength, Form::kInt16,
        [](const Cal& cal) { return cal.KDeltaLambda(c); },
        [](Cal& cal, double v) { cal.SetKDeltaLambda(c, static_cast<int16_t>(v)); });
    rows.Number(
        "TrNought", k, Form::kInt32, [](const Cal& cal) { return cal.TrNought(c); },
        [](Cal& cal, double v) { cal.SetTrNought(c, static_cast<int32_t>(v)); });
    rows.Number(
        "TrPure", k, Form::kInt32, [](const Cal& cal) { return cal.TrPure(c); },
        [](Cal& cal, double v) { cal.SetTrPure(c, static_cast<int32_t>(v)); });
    rows.Number(
        "TrAir", k, Form::kInt32, [](const Cal& cal) { return cal.TrAir(c); },
        [](Cal& cal, double v) { cal.SetTrAir(c, static_cast<int32_t>(v)); });
    rows.Number(
        "CalTemp", k, Form::kSingle, [](const Cal& cal) { return cal.KCalTemp(c); },
        [](Cal& cal, double v) { cal.SetKCalTemp(c, static_cast<float>(v)); });
    rows.Number(
        "Path", k, Form::kSingle, [](const Cal& cal) { return cal.KPath(c); },
        [](Cal& cal, double v) { cal.SetKPath(c, static_cast<float>(v)); });
    for (int j = 0; j <= 3; ++j)
        rows.Number(
            "Chi " + std::to_string(j), k, Form::kSingle,
            [j](const Cal& cal) { return cal.KChi(c, j); },
            [j](Cal& cal, double v) { cal.SetKChi(c, j, static_cast<float>(v)); });
    rows.Number(
        "BetaPure", k, Form::kSingle, [](const Cal& cal) { return cal.betaPure(c); },
        [](Cal& cal, double v) { cal.SetBetaPure(c, static_cast<float>(v)); });
    rows.Number(
        "aPure", k, Form::kSingle, [](const Cal& cal) { return cal.aPure(c); },
        [](Cal& cal, double v) { cal.SetAPure(c, static_cast<float>(v)); });
    for (int i = 0; i <= 5; ++i)
        rows.Number(
            "TempCoeff " + std::to_string(i), k, Form::kSingle,
            [i](const Cal& cal) { return cal.KTempCoeff(c, i); },
            [i](Cal& cal, double v) { cal.SetKTempCoeff(c, i, static_cast<float>(v)); });
    rows.Derived("TempNormCoeff", Form::kDouble,
                 [](const Cal& cal) { return cal.KTempNormCoeff(c); });
    for (int i = 0; i <= 1; ++i)
        rows.Number(
            "KDepthCoeff " + std::to_string(i), k, Form::kSingle,
            [i](const Cal& cal) { return cal.KDepthCoeff(c, i); },
            [i](Cal& cal, double v) { cal.SetKDepthCoeff(c, i, static_cast<float>(v)); });
    rows.Number(
        "KDepthThreshold", k, Form::kInt32, [](const Cal& cal) { return cal.KDepthThresh(c, 0); },
        [](Cal& cal, double v) { cal.SetKDepthThresh(c, 0, static_cast<int32_t>(v)); });
}

// One of the two channels of a Trevan-2.
void TrevanRows(Rows& rows, int c) {
    constexpr int32_t k = kChangedAttenuation;
    rows.Add({"", "Name", kChangedIdentification, [c](const Cal& cal) { return cal.name(c); },
              [c](Cal& cal, const std::string& text, Prompter&) {
                  cal.SetName(c, text);
                  return true;
              }});
    rows.Number(
        "Lambda", kChangedWavelength, Form::kInt16, [c](const Cal& cal) { return cal.lambda(c); },
        [c](Cal& cal, double v) { cal.SetLambda(c, static_cast<int16_t>(v)); });
    rows.Number(
        "DeltaLambda", kChangedWavelength, Form::kInt16,
        [c](const Cal& cal) { return cal.KDeltaLambda(c); },
        [c](Cal& cal, double v) { cal.SetKDeltaLambda(c, static_cast<int16_t>(v)); });
    rows.Number(
        "L", k, Form::kSingle, [c](const Cal& cal) { return cal.KL(c); },
        [c](Cal& cal, double v) { cal.SetKL(c, static_cast<float>(v)); });
    rows.Number(
        "S0", k, Form::kInt32, [c](const Cal& cal) { return cal.KS0(c); },
        [c](Cal& cal, double v) { cal.SetKS0(c, static_cast<int32_t>(v)); });
    rows.Number(
        "R0", k, Form::kInt32, [c](const Cal& cal) { return cal.KR0(c); },
        [c](Cal& cal, double v) { cal.SetKR0(c, static_cast<int32_t>(v)); });
    for (int i = 0; i <= Cal::KkTUbound(); ++i)
        rows.Number(
            "kT" + std::to_string(i), k, Form::kDouble,
            [c, i](const Cal& cal) { return cal.KkT(c, i); },
            [c, i](Cal& cal, double v) { cal.SetKkT(c, i, v); });
    rows.Derived("kT normaliser", Form::kDouble,
                 [c](const Cal& cal) { return cal.Attenuation(c).KkTNormaliser; });
    for (int i = 1; i <= 2; ++i)
        rows.Number(
            "P" + std::to_string(i), k, Form::kDouble,
            [c, i](const Cal& cal) { return cal.KP(c, i); },
            [c, i](Cal& cal, double v) { cal.SetKP(c, i, v); });
    rows.Number(
        "kTauPX", k, Form::kSingle, [c](const Cal& cal) { return cal.KkTauPX(c); },
        [c](Cal& cal, double v) { cal.SetKkTauPX(c, static_cast<float>(v)); });
    for (int i = 0; i <= Cal::KkTauPUbound(); ++i)
        rows.Number(
            "kTauP" + std::to_string(i), k, Form::kDouble,
            [c, i](const Cal& cal) { return cal.KkTauP(c, i); },
            [c, i](Cal& cal, double v) { cal.SetKkTauP(c, i, v); });
    rows.Derived("kTauP normaliser", Form::kDouble,
                 [c](const Cal& cal) { return cal.Attenuation(c).KkTauPNormaliser; });
    rows.Number(
        "Tau0", k, Form::kDouble, [c](const Cal& cal) { return cal.KTau0(c); },
        [c](Cal& cal, double v) { cal.SetKTau0(c, v); });
    rows.Number(
        "TPW", k, Form::kSingle, [c](const Cal& cal) { return cal.KTPW(c); },
        [c](Cal& cal, double v) { cal.SetKTPW(c, static_cast<float>(v)); });
}

}  // namespace

std::vector<CalField> CalibrationFields(int deviceType) {
    std::vector<CalField> fields;
    Rows rows(fields);
    GeneralRows(rows, deviceType);
    if (IsVantorFamily(deviceType)) {
        for (int n = 1; n <= ChannelCount(deviceType); ++n) {
            rows.section = "Channel " + std::to_string(n);
            ChannelRows(rows, n - 1, deviceType);
        }
    } else if (IsSingleChannel(deviceType)) {
        rows.section = "Scattering";
        ChannelRows(rows, 0, deviceType);
        rows.section = "Attenuation";
        AttenuationRows(rows);
    } else if (IsTrevan(deviceType)) {
        for (int n = 1; n <= 2; ++n) {
            rows.section = "Attenuation " + std::to_string(n);
            TrevanRows(rows, n - 1);
        }
    }
    return fields;
}

bool EditCalField(CalibrationDataClass& cal, const CalField& field, const std::string& text,
                  Prompter& prompter) {
    if (!field.store) return false;
    const std::string before = field.text(cal);
    if (!field.store(cal, text, prompter)) return false;
    if (field.text(cal) != before) cal.Changed |= field.group;
    return true;
}

}  // namespace tidewell
