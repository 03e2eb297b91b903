#pragma once
// A simulated instrument: it takes the bytes the host sends and the time that passes, and gives
// back the bytes the instrument would send. No terminal, no clock and no sleeping here: the
// caller says what time it is (seconds since the instrument was switched on), so that tests
// drive it exactly and the terminal loop of the program only moves bytes.

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "calibration/CalibrationData.h"
#include "tools/packets/PacketBuilder.h"
#include "tools/sim/SimOptions.h"
#include "tools/sim/SimSamples.h"

namespace tidewell::sim {

// What the instrument sent, for checking what the program made of it.
struct SimTruth {
    // Intact lines sent, by the kind the program gives them (1 D, 2 T, 3 H, 5 A, 6 C, 7 I,
    // 8 and 9 single-channel decimal, 13 Trevan decimal).
    int64_t lines[15] = {};
    int64_t samples = 0;       // samples sent, live and downloaded
    int64_t badChecksums = 0;  // star packets sent with a wrong checksum
    int64_t droppedLines = 0;  // sample lines sent with one character missing
    int64_t bytes = 0;         // every byte handed out

    // "key=value" lines: D, T, H, A, C, I, decimal5, decimal11, decimal15, samples,
    // bad_checksum, dropped, bytes.
    std::string Text() const;
};

// The instrument's sampling set-up, as its commands set and report it.
struct SamplingSetup {
    double period = 1;  // seconds
    int32_t startDelay = 0;
    bool sleepWhenMemoryFull = false;
    bool startOnPowerUp = false;
    bool burstMode = false;
    int32_t burstWarmup = 0;
    int32_t burstLength = 10;
    double burstCycle = 60;  // minutes
    double totalHours = 0;
    bool decimalFormat = false;  // single-channel models: decimal lines instead of packets
    bool shutterEnabled = true;
    bool shutterAutomatic = true;
    double shutterTime = 2;  // seconds the shutter takes to move
    bool counterClockwise = false;
    int fluorescenceMode[2] = {};
};

class SimInstrument {
  public:
    // `clockStart`: the instrument clock's date value (days since 1899-12-30) at time 0.
    SimInstrument(const SimOptions& options, CalibrationDataClass calibration, double clockStart);

    // Bytes from the host, arriving at `now` seconds.
    void Receive(std::string_view bytes, double now);
    // Lets time pass up to `now`: samples, delayed prompts and downloads that fall due.
    void AdvanceTo(double now);
    // The bytes produced since the last call.
    std::string TakeOutput();
    // When something will next happen on its own (infinity when nothing will).
    double NextEventTime() const;

    // The rate the host's port is set to. At any other rate than the instrument's own, what
    // it hears is noise (ignored) and what it sends arrives as noise.
    void SetLineBaud(int baud) { lineBaud_ = baud; }
    int baud() const { return baud_; }

    // A break on the line: the instrument resets, whatever it was doing.
    void Break(double now);

    const SimTruth& truth() const { return truth_; }
    const CalibrationDataClass& calibration() const { return cal_; }
    const SamplingSetup& setup() const { return setup_; }
    bool asleep() const { return mode_ == Mode::kAsleep; }
    bool sampling() const { return sampling_; }
    int castCount() const { return static_cast<int>(casts_.size()); }
    // The instrument clock at the current time, as a date value.
    double ClockDate() const;
    // The samples sent live, in order (kept for checking; the last 10000).
    const std::vector<SimSample>& liveSamples() const { return liveSamples_; }

    // The texts of its replies (without line ends), for the README and the tests.
    std::vector<std::string> IdentificationLines() const;
    std::string FirmwareVersion() const;
    std::string ModelCodeText() const;  // "VN6", "A-Lumo", "TREVAN-2" ...
    std::string WakeText() const;

  private:
    enum class Mode {
        kCommand,       // reading command lines
        kAsleep,        // waits for a carriage return
        kConfirmErase,  // the next line answers the erase question
        kSendBlock,     // the calibration image goes out in one block
        kReceiveBlock,  // a calibration image comes in
    };
    struct Cast {
        int number = 0;
        double startDate = 0;
        std::vector<SimSample> samples;
    };
    struct Scheduled {
        double at;
        uint64_t generation;
        std::function<void()> run;
    };

    void ReceiveByte(char c);
    void Execute(const std::string& line);
    void Emit(std::string_view bytes);
    void Line(std::string_view text);
    void Prompt();
    void Schedule(double delay, std::function<void()> run);
    void CancelPending();
    void StartSampling();
    void StopSampling();
    void SendSample();
    size_t SendSampleLines(const SimSample& s);  // bytes sent
    void EndDownload();
    PacketChecksum NextChecksum();
    void Wake();
    void ShutterMoved(const std::function<void()>& then);

    // Commands.
    void SampleParameterReply(const std::string& word);
    void LogCommand(const std::vector<std::string>& args);
    void GlobalDump();
    void ChannelDump(int n);
    void ChannelConfigDump(int n);
    void ChannelUpload(const std::vector<std::string>& args);
    void OffsetUpload(const std::vector<std::string>& args);
    void Directory();
    void Download(int n);
    void DeleteCast(int n);
    void SendBlock();
    void ReceiveBlockByte(char c);
    void SetClock(const std::string& text);
    double Epoch() const;
    int64_t ClockHundredths() const;

    SimOptions options_;
    CalibrationDataClass cal_;
    int model_;
    double clockStart_;
    double clockShift_ = 0;  // days added by setting the clock
    double now_ = 0;
    int baud_;
    int lineBaud_;
    Mode mode_ = Mode::kCommand;
    bool echo_ = false;
    std::string input_;
    std::string output_;
    SamplingSetup setup_;
    bool sampling_ = false;
    double nextSample_ = std::numeric_limits<double>::infinity();
    bool shutterOpen_ = false;
    bool shutterMoving_ = false;
    std::vector<std::string> heldLines_;  // commands that came while the shutter moved
    SampleSource source_;
    std::vector<SimSample> liveSamples_;
    std::vector<Scheduled> scheduled_;
    uint64_t generation_ = 0;
    int64_t sampleLines_ = 0;
    int64_t starPackets_ = 0;
    uint32_t noise_;
    // casts
    std::vector<Cast> casts_;
    int nextCastNumber_ = 1;
    std::vector<SimSample> downloadSamples_;
    size_t downloadIndex_ = 0;
    int downloadCast_ = 0;
    double nextDownload_ = std::numeric_limits<double>::infinity();
    // block transfers
    std::string image_;
    int blockState_ = 0;  // sending: 0 waits for "C", 1 waits for the block's answer, 2 for EOT's
    int blockTries_ = 0;
    std::string blockIn_;
    SimTruth truth_;
};

}  // namespace tidewell::sim
