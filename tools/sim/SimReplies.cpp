// The replies of the simulated instrument that carry its set-up, its calibration, its clock and
// its casts.

#include <algorithm>

#include "calibration/BinaryImage.h"
#include "calibration/CalFile.h"
#include "stream/Crc16.h"
#include "stream/Models.h"
#include "tools/sim/SimInstrument.h"
#include "tools/sim/SimText.h"

namespace tidewell::sim {

namespace {

constexpr char kStartOfBlock = 1;
constexpr char kAcknowledge = 6;
constexpr char kNegativeAcknowledge = 21;

}  // namespace

// --- Sampling parameters.

void SimInstrument::SampleParameterReply(const std::string& word) {
    const SamplingSetup& s = setup_;
    if (word == "DATAFORMAT") {
        Line(std::string("Data format: ") + (s.decimalFormat ? "decimal" : "hex"));
    } else if (word == "PERIOD") {
        // the single-channel models state their rate, samples per second
        Line("Sample rate: " + FormatSignificant(1.0 / s.period, 7));
    } else if (word == "STARTDELAY") {
        Line("Start delay: " + std::to_string(s.startDelay));
    } else if (word == "BURSTLENGTH") {
        Line("Burst length: " + std::to_string(s.burstLength));
    } else if (word == "BURSTCYCLE") {
        Line("Burst cycle: " + Num(s.burstCycle));
    } else if (word == "BURST") {
        Line(std::string("Burst mode: ") + (s.burstMode ? "on" : "off"));
        Line("Burst warmup time: " + std::to_string(s.burstWarmup));
        Line("Burst length: " + std::to_string(s.burstLength));
        Line("Burst cycle: " + Num(s.burstCycle));
    } else if (IsTrevan(model_)) {
        Line("Sample period: " + Num(s.period));
        Line("Start delay: " + std::to_string(s.startDelay));
        Line("Start on power-up: " + Flag(s.startOnPowerUp));
        Line(std::string("Burst mode: ") + (s.burstMode ? "on" : "off"));
        Line("Burst warmup time: " + std::to_string(s.burstWarmup));
        Line("Burst duration: " + std::to_string(s.burstLength));
        Line("Burst cycle: " + Num(s.burstCycle));
    } else {
        Line("Sample period: " + Num(s.period));
        Line("Start delay: " + std::to_string(s.startDelay));
        Line("Sleep when memory full: " + Flag(s.sleepWhenMemoryFull));
        Line("Start on power-up: " + Flag(s.startOnPowerUp));
        Line(std::string("Burst mode: ") + (s.burstMode ? "on" : "off"));
        Line("Burst warmup time: " + std::to_string(s.burstWarmup));
        Line("Burst length: " + std::to_string(s.burstLength));
        Line("Burst cycle: " + Num(s.burstCycle));
        Line("Total duration: " + Num(s.totalHours));
        if (options_.shutter) {
            Line("Shutter enabled: " + Flag(s.shutterEnabled));
            Line("Automatic open/close: " + Flag(s.shutterAutomatic));
            Line("Shutter open/close time: " + Num(s.shutterTime));
            Line(std::string("Shutter state: ") + (shutterOpen_ ? "open" : "closed"));
            Line(std::string("Shutter direction: ") + (s.counterClockwise ? "CCW" : "CW"));
        }
    }
    Prompt();
}

void SimInstrument::LogCommand(const std::vector<std::string>& args) {
    // an empty field keeps the value it stands for
    SamplingSetup& s = setup_;
    const double period = Number(args, 0, s.period);
    if (period >= 0.05) s.period = period;
    s.startDelay = std::max(0, RoundToInt32(Number(args, 1, s.startDelay)));
    size_t i = 2;
    if (!IsTrevan(model_)) s.sleepWhenMemoryFull = Number(args, i++, s.sleepWhenMemoryFull) != 0;
    s.startOnPowerUp = Number(args, i++, s.startOnPowerUp) != 0;
    s.burstMode = Number(args, i++, s.burstMode) != 0;
    s.burstWarmup = RoundToInt32(Number(args, i++, s.burstWarmup));
    s.burstLength = RoundToInt32(Number(args, i++, s.burstLength));
    s.burstCycle = Number(args, i++, s.burstCycle);
    if (!IsTrevan(model_)) s.totalHours = Number(args, i++, s.totalHours);
}

// --- Calibration dumps and uploads.

void SimInstrument::GlobalDump() {
    Line("Model: " + ModelCodeText());
    Line("S/N: " + cal_.Serial);
    Line("Config: " + cal_.Config);
    Line("ID: " + cal_.Label);
    Line("Firmware version " + FirmwareVersion());
    Line("Cal time: " + DateTimeText(cal_.CalTime));
    Line("Cal temp: " + PlainSingle(cal_.CalTemp));
    Line("Maximum depth: " + PlainSingle(cal_.MaxDepth));
    Line("Depth coefficient: " + PlainSingle(cal_.DepthCal));
    Line("Depth offset: " + PlainSingle(cal_.DepthOff));
    Prompt();
}

void SimInstrument::ChannelDump(int n) {
    if (n < 1 || n > ChannelCount(model_)) {
        Line("Invalid channel");
        Prompt();
        return;
    }
    const int c = n - 1;
    Line("Channel " + std::to_string(n) + " (" + PlainName(cal_.name(c)) + ")");
    for (int g = 1; g <= 5; ++g)
        Line("' G" + std::to_string(g) + ":" + Num(cal_.gain(c, g)) + ":" +
             std::to_string(cal_.DarkOffset(c, g)) + ":" + std::to_string(cal_.NomOffset(c, g)) +
             ":" + std::to_string(cal_.FlOffset(c, g)));
    Line("mu: " + Num(cal_.Mu(c)));
    Line("muRho: " + Num(cal_.MuRho(c)));
    Line("Rnom: " + Num(cal_.RNominal(c)));
    Line("Roo: " + Num(cal_.ROutOff(c) + cal_.SigmaExp(c)));
    Line("kbb: " + Num(cal_.beta2bb(c)));
    Line("kc: " + Num(cal_.bb2c(c) + cal_.MuRho(c) / 10));
    Line("kSigmaExp: " + Num(cal_.SigmaExp(c)));
    for (int i = 0; i <= 2; ++i) Line("kSigma" + std::to_string(i) + ": " + Num(cal_.Sigma(c, i)));
    Line("Kt: " + Num(cal_.bTempCoeff(c)));
    Prompt();
}

void SimInstrument::ChannelConfigDump(int n) {
    if (n < 1 || n > ChannelCount(model_)) {
        Line("Invalid channel");
        Prompt();
        return;
    }
    const int c = n - 1;
    Line("Channel " + std::to_string(n) + " (" + PlainName(cal_.name(c)) + ")");
    Line("deltaLambda: " + std::to_string(cal_.bDeltaLambda(c)));
    Line("ChEx: " + std::to_string(cal_.ChEx(c)));
    Line("ChRep: " + std::to_string(cal_.ChRep(c)));
    Prompt();
}

void SimInstrument::ChannelUpload(const std::vector<std::string>& args) {
    // ccl,n,Mu,RNominal,ROutOff+SigmaExp,beta2bb,bb2c+MuRho/10,s0,s1,s2,TempCoeff,gain1..gain5
    const int n = RoundToInt32(Number(args, 0, 0));
    if (n < 1 || n > ChannelCount(model_) || args.size() < 15) {
        Line("Invalid channel data");
        Prompt();
        return;
    }
    const int c = n - 1;
    SilentPrompter quiet;
    cal_.SetMu(c, 0, Number(args, 1, 0));
    cal_.SetRNominal(c, Number(args, 2, 1));
    cal_.SetSigmaExp(c, 0);
    cal_.SetROutOff(c, Number(args, 3, 0));
    cal_.SetBeta2bb(c, Number(args, 4, 0));
    cal_.SetMuRho(c, 0);
    cal_.SetBb2c(c, Number(args, 5, 0));
    for (int i = 0; i <= 2; ++i) cal_.SetSigma(c, i, Number(args, 6 + i, 0), quiet);
    cal_.SetBTempCoeff(c, Number(args, 9, 0));
    for (int g = 1; g <= 5; ++g) cal_.SetGain(c, g, Number(args, 9 + g, 0));
    Prompt();
}

void SimInstrument::OffsetUpload(const std::vector<std::string>& args) {
    // cof,n, then the dark, nominal and fluorescence offsets of gain settings 1-5
    const int n = RoundToInt32(Number(args, 0, 0));
    if (n < 1 || n > ChannelCount(model_)) {
        Line("Invalid channel");
        Prompt();
        return;
    }
    const int c = n - 1;
    for (int g = 1; g <= 5; ++g) {
        cal_.SetDarkOffset(c, g, RoundToInt16(Number(args, g, 0)));
        cal_.SetNomOffset(c, g, RoundToInt16(Number(args, 5 + g, 0)));
        cal_.SetFlOffset(c, g, RoundToInt16(Number(args, 10 + g, 0)));
    }
    Prompt();
}

// --- Clock.

void SimInstrument::SetClock(const std::string& text) {
    const double t = ParseCalTime(text, model_);
    if (t <= 0 || text.find('/') == std::string::npos) {
        Line("Invalid time");
        Prompt();
        return;
    }
    clockShift_ += t - ClockDate();
    Line(DateTimeText(ClockDate()));
    Prompt();
}

// --- Casts.

void SimInstrument::Directory() {
    Line("'Cast  Start date and time  Duration  Samples");
    int64_t used = 0;
    for (const Cast& c : casts_) {
        const double seconds =
            c.samples.empty() ? 0 : (c.samples.back().Seconds() - c.samples.front().Seconds());
        Line("'" + std::to_string(c.number) + "  " + DateTimeText(c.startDate) + "  " +
             DurationText(seconds) + "  " + std::to_string(c.samples.size()));
        used += static_cast<int64_t>(c.samples.size()) * 64;
    }
    Line("'Free memory: " + std::to_string(4194304 - used) + " bytes");
}

void SimInstrument::Download(int n) {
    auto it =
        std::find_if(casts_.begin(), casts_.end(), [n](const Cast& c) { return c.number == n; });
    if (it == casts_.end()) {
        Line("No cast " + std::to_string(n));
        Line("End of cast " + std::to_string(n));
        Prompt();
        return;
    }
    downloadCast_ = n;
    downloadIndex_ = 0;
    downloadSamples_ = it->samples;
    nextDownload_ = now_ + 0.05;
}

void SimInstrument::DeleteCast(int n) {
    auto it =
        std::find_if(casts_.begin(), casts_.end(), [n](const Cast& c) { return c.number == n; });
    if (it == casts_.end()) {
        Line("No cast " + std::to_string(n));
    } else {
        casts_.erase(it);
        Line("Cast " + std::to_string(n) + " deleted");
    }
    Prompt();
}

// --- Block transfers of the calibration image.

void SimInstrument::SendBlock() {
    std::string frame;
    frame += kStartOfBlock;
    frame += static_cast<char>(1);
    frame += static_cast<char>(254);
    frame += image_;
    const uint16_t crc = Crc16Xmodem(image_);
    frame += static_cast<char>(crc >> 8);
    frame += static_cast<char>(crc & 0xFF);
    blockState_ = 1;
    Emit(frame);
}

void SimInstrument::ReceiveBlockByte(char c) {
    // the host sends the start code, the block number 1, its complement 254, the 128 bytes of
    // the image and their sum modulo 256
    if (blockIn_.empty() && c != kStartOfBlock) return;
    blockIn_ += c;
    if (blockIn_.size() < 3 + kBinaryImageBytes + 1) return;
    const std::string image = blockIn_.substr(3, kBinaryImageBytes);
    unsigned sum = 0;
    for (char b : image) sum += static_cast<uint8_t>(b);
    const bool ok = static_cast<uint8_t>(blockIn_[1]) == 1 &&
                    static_cast<uint8_t>(blockIn_[2]) == 254 &&
                    static_cast<uint8_t>(blockIn_.back()) == (sum & 0xFF);
    blockIn_.clear();
    if (!ok) {
        Emit(std::string(1, kNegativeAcknowledge));
        if (++blockTries_ >= 4) {
            CancelPending();
            mode_ = Mode::kCommand;
            Line("Data not saved");
        }
        return;
    }
    CancelPending();
    mode_ = Mode::kCommand;
    LoadBinaryImage(image, cal_);
    cal_.DeviceType = model_;
    Emit(std::string(1, kAcknowledge));
    Line("Data saved");
}

}  // namespace tidewell::sim
