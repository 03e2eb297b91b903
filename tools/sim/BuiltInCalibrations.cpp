#include "tools/sim/BuiltInCalibrations.h"

#include "stream/DateValue.h"
#include "stream/Models.h"

namespace tidewell::sim {

namespace {

void ScatteringChannel(CalibrationDataClass& cal, int c, const std::string& name, double mu) {
    cal.SetName(c, name);
    const double gains[5] = {1, 10.02, 100.3, 1002.5, 10031};
    for (int g = 1; g <= 5; ++g) cal.SetGain(c, g, gains[g - 1]);
    cal.SetMu(c, 0, mu);
    SilentPrompter quiet;
    cal.SetSigma(c, 0, 1, quiet);
    cal.SetSigma(c, 1, 0.05, quiet);
    cal.SetBeta2bb(c, 1.1);
    cal.SetBTempCoeff(c, -0.0012);
}

}  // namespace

CalibrationDataClass BuiltInCalibration(int model) {
    CalibrationDataClass cal;
    cal.DeviceType = model;
    static const char* kSerials[] = {"VN6-0101", "V4-0102", "V2-0103", "AL-0104",
                                     "CL-0105",  "XL-0106", "C2-0107"};
    cal.Serial = model >= 0 && model <= 6 ? kSerials[model] : "unknown";
    cal.Label = "Simulated";
    cal.CalTime = DateValue(2024, 3, 1) + 0.5;
    cal.CalTemp = 20;
    cal.MaxDepth = 600;
    cal.DepthCal = 0.01f;
    cal.DepthOff = -1.5f;
    if (IsVantorFamily(model)) {
        static const int kLambdas[6] = {412, 442, 470, 510, 532, 595};
        static const double kMu[6] = {2.03e-6, 2.41e-6, 1.87e-6, 3.05e-6, 2.56e-6, 4.12e-6};
        const int scattering = ScatteringChannelCount(model);
        for (int c = 0; c < scattering; ++c)
            ScatteringChannel(cal, c, "bb(" + std::to_string(kLambdas[c]) + ")", kMu[c]);
        // the fluorescence channels follow the scattering ones
        for (int c = scattering; c < ChannelCount(model); ++c) {
            ScatteringChannel(cal, c, c == scattering ? "FL(470)" : "FL(532)", 0.0125);
            cal.SetBeta2bb(c, 1);
        }
    } else if (IsSingleChannel(model)) {
        const int lambda = model == kALumo ? 700 : model == kCLumo ? 657 : 532;
        ScatteringChannel(cal, 0, "bb(" + std::to_string(lambda) + ")", 1.23e-5);
        cal.SetBDeltaLambda(0, 20);
        for (int g = 1; g <= 5; ++g) cal.SetDarkOffset(0, g, static_cast<int16_t>(2 + g));
        cal.SetSigmaExp(0, 0.5);
        cal.SetKLambda(0, 532);
        cal.SetKDeltaLambda(0, 10);
        cal.SetTrNought(0, 100);
        cal.SetTrPure(0, 31500);
        cal.SetTrAir(0, 32767);
        cal.SetKCalTemp(0, 20);
        cal.SetKPath(0, 0.25f);
        cal.SetKChi(0, 0, 1.2f);
        cal.SetKDepthCoeff(0, 0, 0.05f);
        cal.SetKDepthThresh(0, 0, 20000);
        cal.SetKDepthCoeff(0, 1, -0.002f);
        const std::string k = "532";
        cal.SetName(1, (model == kCLumo ? "c(" : "a(") + k + ")");
        cal.SetName(2, "k(" + k + ")");
    } else if (IsTrevan(model)) {
        cal.MaxDepth = 3000;
        cal.DepthCal = 0;
        cal.DepthOff = 0;
        cal.kp1 = 0.0125f;
        cal.kp2 = -3.5f;
        cal.P0 = 10.1325f;
        cal.TP0 = 21000;
        cal.kD1 = 0.99f;
        static const int kLambdas[2] = {532, 650};
        for (int c = 0; c < 2; ++c) {
            cal.SetName(c, "c(" + std::to_string(kLambdas[c]) + ")");
            cal.SetKLambda(c, static_cast<int16_t>(kLambdas[c]));
            cal.SetKDeltaLambda(c, 10);
            cal.SetKL(c, 0.25f);
            cal.SetKS0(c, 120);
            cal.SetKR0(c, -80);
            cal.SetKkT(c, 0, 3);
            cal.SetKkT(c, 1, 0.05);
            cal.SetKTau0(c, 0.9);
            cal.SetKTPW(c, 20);
        }
    }
    // The instrument holds what its calibration file says: read back through the file's text, a
    // dump of it reads back the same.
    CalibrationDataClass held;
    std::string section;
    const std::string text = cal.CalFileText();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        held.ParseLineIntoCalClass(std::string_view(text).substr(start, end - start), section);
        start = end + 2;
    }
    held.Changed = 0;
    return held;
}

}  // namespace tidewell::sim
