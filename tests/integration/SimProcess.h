#pragma once
// The instrument simulator as a child of a test, on its pseudo-terminal, and a program on the real
// serial code. The child dies with the test program, and every wait for it has a limit, so a
// fault can never leave a test (or CI) hanging.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <string>
#include <vector>

#include "calibration/CalibrationData.h"
#include "instrument/Connection.h"
#include "instrument/InputTimer.h"
#include "instrument/ProgramState.h"
#include "stream/Models.h"
#include "support/TestSupport.h"
#include "tests/cli/ProgramRun.h"
#include "tools/sim/BuiltInCalibrations.h"

namespace tidewell::test {

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
    return QString::fromStdString(ModelName(model)).toLower().toStdString();
}

// The calibration an instrument of each model holds in these tests: the simulator's own, dated
// `calTime`. The single-channel serial numbers take the form their binary image carries ("B",
// four hexadecimal digits, year and month), so that the identification and the image agree.
inline CalibrationDataClass ModelCalibration(int model, double calTime) {
    CalibrationDataClass cal = sim::BuiltInCalibration(model);
    cal.CalTime = calTime;
    static const char* kImageSerials[] = {"B00680101", "B00420901", "B00550503"};
    if (IsSingleChannel(model)) cal.Serial = kImageSerials[model - kALumo];
    // offsets go through the dumps and uploads (a Vantor-6 with them would need more reply
    // lines than are kept)
    if (IsVantorFamily(model) && model != kVantor6) {
        cal.SetDarkOffset(0, 2, 4);
        cal.SetNomOffset(1, 3, -6);
    }
    cal.Changed = 0;
    return cal;
}

// A program on the real serial code: its waits on the computer's clock, slot 0's input timer
// running, its temporary files in a folder of its own, its ports closed at the end.
struct LiveProgram {
    LiveProgram() {
        TestApplication();
        program.settings.TempPath = temp.path() + "/";
        program.settings.Sigma = NumericSigmaParams();
        timer.Start();
    }
    ~LiveProgram() {
        for (int s = 0; s < kSlotCount; ++s)
            if (program.Slot(s).port) program.Slot(s).port->Close();
    }

    TempDir temp;
    SystemClock clock;
    ScriptedPrompter prompter;
    MemorySettingsStore store;
    ProgramState program{clock, prompter, store};
    EventLoopWaiter waiter{clock};
    ConnectionContext ctx{program, waiter};
    InputTimer timer{program, 0};
};

}  // namespace tidewell::test
