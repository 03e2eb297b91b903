#pragma once
// The programs of the build run as children of a test: the instrument simulator on its
// pseudo-terminal, and the tidewell program itself. Children die with the test program, and
// every wait for them has a limit, so a fault can never leave a test (or CI) hanging.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <string>
#include <vector>

#include "calibration/BinaryImage.h"
#include "calibration/CalibrationData.h"
#include "stream/DateValue.h"
#include "stream/Decoder.h"
#include "stream/Models.h"
#include "tests/instrument/TestApplication.h"

namespace tidewell::test {

inline QString BinPath(const char* program) {
    return QString(TIDEWELL_BIN_DIR) + "/" + program;
}

inline QStringList ToArgs(const std::vector<std::string>& args) {
    QStringList list;
    for (const std::string& a : args) list << QString::fromStdString(a);
    return list;
}

// A child that is killed when the test program goes, however it goes.
inline void DieWithParent(QProcess& process) {
    process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

// tidewell-sim with its options; device() is its pseudo-terminal ("" when it did not start).
class Simulator {
  public:
    explicit Simulator(const std::vector<std::string>& args) {
        TestApplication();
        DieWithParent(process_);
        process_.start(BinPath("tidewell-sim"), ToArgs(args));
        if (!process_.waitForStarted(5000)) return;
        QElapsedTimer timer;
        timer.start();
        while (!process_.canReadLine() && timer.elapsed() < 5000) process_.waitForReadyRead(100);
        device_ = process_.readLine().trimmed().toStdString();
    }
    ~Simulator() { Stop(); }
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    const std::string& device() const { return device_; }
    // SIGTERM, and SIGKILL when it does not go.
    void Stop() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.terminate();
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished(2000);
        }
    }
    // Gone at once, as if its cable were pulled.
    void Kill() {
        process_.kill();
        process_.waitForFinished(2000);
    }

  private:
    QProcess process_;
    std::string device_;
};

// The simulator's option name of a model.
inline std::string ModelOption(int model) {
    static const char* kNames[] = {"vantor-6", "vantor-4", "vantor-2", "a-lumo",
                                   "c-lumo",   "x-lumo",   "trevan-2"};
    return kNames[model];
}

// The calibration an instrument of each model holds in these tests, dated `calTime`. The
// single-channel serial numbers are of the form the binary image carries ("B", four hexadecimal
// digits, year and month), so that the identification and the image agree.
inline CalibrationDataClass ModelCalibration(int model, double calTime) {
    CalibrationDataClass cal;
    cal.DeviceType = model;
    static const char* kSerials[] = {"VN6-2201",  "V4-2202",   "V2-2203", "B00680101",
                                     "B00420901", "B00550503", "C2-2207"};
    cal.Serial = kSerials[model];
    cal.Label = "Integration";
    cal.Config = "T0";
    cal.CalTime = calTime;
    cal.CalTemp = 19.5f;
    cal.MaxDepth = 600;
    cal.DepthCal = 0.0125f;
    cal.DepthOff = -2.25f;
    SilentPrompter quiet;
    auto scattering = [&](int c, const std::string& name, double mu) {
        cal.SetName(c, name);
        const double gains[5] = {1, 10.05, 100.4, 1003, 10020};
        for (int g = 1; g <= 5; ++g) cal.SetGain(c, g, gains[g - 1]);
        cal.SetMu(c, 0, mu);
        cal.SetSigma(c, 1, 0.045, quiet);
        cal.SetBeta2bb(c, 1.08);
        cal.SetBTempCoeff(c, -0.0011);
        cal.SetBDeltaLambda(c, 20);
    };
    if (IsVantorFamily(model)) {
        static const int kLambdas[6] = {412, 440, 488, 510, 532, 650};
        const int b = ScatteringChannelCount(model);
        for (int c = 0; c < b; ++c)
            scattering(c, "bb(" + std::to_string(kLambdas[c]) + ")", 1.5e-6 * (c + 2));
        for (int c = b; c < ChannelCount(model); ++c) {
            scattering(c, c == b ? "FL(470)" : "FL(532)", 0.0125);
            cal.SetBeta2bb(c, 1);
        }
        // a Vantor-6 calibration with offsets is longer than the 200 reply lines kept, and
        // could only be read per channel
        if (model != kVantor6) {
            cal.SetDarkOffset(0, 2, 4);
            cal.SetNomOffset(1, 3, -6);
        }
    } else if (IsSingleChannel(model)) {
        scattering(0, "bb(700)", 1.25e-5);
        for (int g = 1; g <= 5; ++g) cal.SetDarkOffset(0, g, static_cast<int16_t>(g - 3));
        cal.SetKLambda(0, 532);
        cal.SetKDeltaLambda(0, 10);
        cal.SetTrNought(0, 120);
        cal.SetTrPure(0, 31000);
        cal.SetKDepthCoeff(0, 0, 0.05f);
        cal.SetKDepthThresh(0, 0, 20000);
        const std::string k = "532";
        cal.SetName(1, (model == kCLumo ? "c(" : "a(") + k + ")");
        cal.SetName(2, "k(" + k + ")");
    } else {
        cal.MaxDepth = 3000;
        cal.kp1 = 0.0125f;
        cal.kp2 = -3.5f;
        cal.P0 = 10.1325f;
        cal.TP0 = 21000;
        cal.kD1 = 0.99f;
        for (int c = 0; c < 2; ++c) {
            const int lambda = c == 0 ? 532 : 650;
            cal.SetName(c, "c(" + std::to_string(lambda) + ")");
            cal.SetKLambda(c, static_cast<int16_t>(lambda));
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
    cal.Changed = 0;
    return cal;
}

// The lines of a text cut at carriage returns (a line feed after one dropped).
inline std::vector<std::string> CutAtReturns(const std::string& text) {
    std::vector<std::string> lines;
    std::string current;
    for (char c : text) {
        if (c == '\r') {
            lines.push_back(current);
            current.clear();
        } else if (!(c == '\n' && current.empty())) {
            current += c;
        }
    }
    if (!current.empty()) lines.push_back(current);
    return lines;
}

// Sample lines of a text: packets and decimal data lines.
inline int CountSampleLines(const std::string& text) {
    int n = 0;
    for (const std::string& line : CutAtReturns(text)) {
        switch (ClassifyLine(line)) {
            case kDPacket:
            case kTPacket:
            case kAPacket:
            case kCPacket:
            case kSingleDecimalLine:
            case kSingleDecimalLongLine:
            case kTwoChannelLongLine:
            case kTwoChannelShortLine:
                ++n;
                break;
            default:
                break;
        }
    }
    return n;
}

}  // namespace tidewell::test
