#include "tools/sim/SimInstrument.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "calibration/BinaryImage.h"
#include "calibration/CalFile.h"
#include "stream/DateValue.h"
#include "stream/Decoder.h"
#include "stream/Models.h"
#include "stream/NumberText.h"
#include "stream/TextHelpers.h"
#include "tools/sim/SimText.h"

namespace tidewell::sim {

namespace {

constexpr double kNever = std::numeric_limits<double>::infinity();
constexpr char kStartOfBlock = 1;
constexpr char kEndOfTransmission = 4;
constexpr char kAcknowledge = 6;
constexpr char kNegativeAcknowledge = 21;
constexpr size_t kMaxCommandLine = 512;
constexpr size_t kKeptLiveSamples = 10000;
// How long a block transfer waits for the host before it gives up, seconds.
constexpr double kBlockTimeout = 10;

}  // namespace

std::string SimTruth::Text() const {
    static const struct {
        int kind;
        const char* key;
    } kKeys[] = {{kDPacket, "D"},
                 {kTPacket, "T"},
                 {kHPacket, "H"},
                 {kAPacket, "A"},
                 {kCPacket, "C"},
                 {kIPacket, "I"},
                 {kSingleDecimalLine, "decimal5"},
                 {kSingleDecimalLongLine, "decimal11"},
                 {kTwoChannelLongLine, "decimal15"}};
    std::string s;
    for (const auto& k : kKeys)
        s += std::string(k.key) + "=" + std::to_string(lines[k.kind]) + "\n";
    s += "samples=" + std::to_string(samples) + "\n";
    s += "bad_checksum=" + std::to_string(badChecksums) + "\n";
    s += "dropped=" + std::to_string(droppedLines) + "\n";
    s += "bytes=" + std::to_string(bytes) + "\n";
    return s;
}

SimInstrument::SimInstrument(const SimOptions& options, CalibrationDataClass calibration,
                             double clockStart)
    : options_(options),
      cal_(std::move(calibration)),
      model_(options.model),
      clockStart_(clockStart),
      baud_(options.baud),
      lineBaud_(options.baud),
      source_(options.model, options.seed),
      noise_(options.seed * 747796405u + 2891336453u) {
    cal_.DeviceType = model_;
    if (!options_.serial.empty()) cal_.Serial = options_.serial;
    if (cal_.Serial.empty()) cal_.Serial = "unknown";
    if (IsVantorFamily(model_)) cal_.Config = options_.shutter ? "T1" : "T0";
    setup_.period = options_.period;
    // the x-Lumo talks in decimal lines unless told otherwise
    setup_.decimalFormat = model_ == kXLumo;

    // casts recorded earlier, one a day, each a little longer than the one before
    SampleSource castSource(model_, options_.seed + 1);
    for (int i = 1; i <= options_.casts; ++i) {
        Cast c;
        c.number = nextCastNumber_++;
        c.startDate = std::floor(clockStart_) - (options_.casts - i + 1) + 0.375;
        const int count = 20 + 5 * i;
        const int64_t start = RoundToInt64((c.startDate - Epoch()) * 8640000.0);
        for (int k = 0; k < count; ++k)
            c.samples.push_back(castSource.Next(start + RoundToInt64(k * options_.period * 100)));
        casts_.push_back(std::move(c));
    }
    if (options_.asleep) mode_ = Mode::kAsleep;
    if (options_.streaming) {
        shutterOpen_ = options_.shutter;
        sampling_ = true;
        nextSample_ = 0;
    }
}

double SimInstrument::Epoch() const {
    return IsSingleChannel(model_) ? kEpoch1980 : kEpoch1970;
}

double SimInstrument::ClockDate() const {
    return clockStart_ + now_ / 86400.0 + clockShift_;
}

int64_t SimInstrument::ClockHundredths() const {
    return RoundToInt64((ClockDate() - Epoch()) * 8640000.0);
}

// --- Texts.

std::string SimInstrument::ModelCodeText() const {
    switch (model_) {
        case kVantor6:
            return "VN6";
        case kVantor4:
            return "VN4";
        case kVantor2:
            return "VN2";
        case kALumo:
            return "A-Lumo";
        case kCLumo:
            return "C-Lumo";
        case kXLumo:
            return "X-Lumo";
        default:
            return "TREVAN-2";
    }
}

std::string SimInstrument::FirmwareVersion() const {
    if (options_.oldFirmware) return "0.92";
    if (IsVantorFamily(model_)) return "3.21";
    if (IsTrevan(model_)) return "2.05";
    return "1.07";
}

std::string SimInstrument::WakeText() const {
    if (IsVantorFamily(model_)) return ModelCodeText() + " ready";
    return ModelName(model_) + " woke";
}

std::vector<std::string> SimInstrument::IdentificationLines() const {
    if (options_.oldFirmware) {
        // older single-channel firmware answers with one line: the letter of the model, "B"
        // and the serial number's digits
        std::string digits;
        for (char c : cal_.Serial)
            if (IsDigitChar(c)) digits += c;
        while (digits.size() < 4) digits.insert(digits.begin(), '0');
        return {std::string(model_ == kCLumo ? "C" : "A") + "B" + digits.substr(digits.size() - 4)};
    }
    std::vector<std::string> lines = {
        "Identification:",        "Model: " + ModelCodeText(), "S/N: " + cal_.Serial,
        "Config: " + cal_.Config, "Label: " + cal_.Label,      "Firmware: " + FirmwareVersion(),
    };
    if (IsVantorFamily(model_)) {
        lines.push_back("Channels: " + std::to_string(ChannelCount(model_)));
        lines.push_back("Max depth: " + PlainSingle(cal_.MaxDepth));
    }
    return lines;
}

// --- Output.

void SimInstrument::Emit(std::string_view bytes) {
    if (options_.silent) return;
    if (lineBaud_ != baud_) {
        // at the wrong rate every character arrives as something else; the line ends are
        // kept so that the host still sees lines of noise
        for (char c : bytes) {
            noise_ = noise_ * 1103515245u + 12345u;
            output_ += c == '\r' ? '\r' : static_cast<char>(0x80 | ((noise_ >> 16) & 0x7F));
        }
    } else {
        output_.append(bytes);
    }
    truth_.bytes += static_cast<int64_t>(bytes.size());
}

void SimInstrument::Line(std::string_view text) {
    std::string s(text);
    s += "\r\n";
    Emit(s);
}

void SimInstrument::Prompt() {
    Line(">");
}

std::string SimInstrument::TakeOutput() {
    std::string out;
    out.swap(output_);
    return out;
}

void SimInstrument::Schedule(double delay, std::function<void()> run) {
    scheduled_.push_back({now_ + delay, generation_, std::move(run)});
}

void SimInstrument::CancelPending() {
    ++generation_;
    scheduled_.clear();
    shutterMoving_ = false;
    heldLines_.clear();
}

double SimInstrument::NextEventTime() const {
    double t = kNever;
    if (sampling_) t = std::min(t, nextSample_);
    if (!downloadSamples_.empty()) t = std::min(t, nextDownload_);
    for (const Scheduled& s : scheduled_) t = std::min(t, s.at);
    return t;
}

void SimInstrument::AdvanceTo(double now) {
    for (;;) {
        const double next = NextEventTime();
        if (next > now) break;
        now_ = std::max(now_, next);
        if (sampling_ && nextSample_ <= next) {
            SendSample();
            nextSample_ += setup_.period;
            continue;
        }
        if (!downloadSamples_.empty() && nextDownload_ <= next) {
            // a downloaded sample goes out like a live one, at the pace of the serial line
            const size_t sent = SendSampleLines(downloadSamples_[downloadIndex_++]);
            nextDownload_ += static_cast<double>(sent) * 10.0 / baud_;
            if (downloadIndex_ >= downloadSamples_.size()) {
                EndDownload();
                Line("End of cast " + std::to_string(downloadCast_));
                Prompt();
            }
            continue;
        }
        auto it =
            std::min_element(scheduled_.begin(), scheduled_.end(),
                             [](const Scheduled& a, const Scheduled& b) { return a.at < b.at; });
        Scheduled s = std::move(*it);
        scheduled_.erase(it);
        if (s.generation == generation_) s.run();
    }
    now_ = std::max(now_, now);
}

// --- Sampling.

PacketChecksum SimInstrument::NextChecksum() {
    ++starPackets_;
    if (options_.badChecksumEvery > 0 && starPackets_ % options_.badChecksumEvery == 0)
        return PacketChecksum::kBad;
    return PacketChecksum::kGood;
}

void SimInstrument::EndDownload() {
    downloadSamples_.clear();
    downloadIndex_ = 0;
    nextDownload_ = kNever;
}

size_t SimInstrument::SendSampleLines(const SimSample& s) {
    size_t sent = 0;
    bool spoiled = false;
    const auto checksum = [&] {
        const PacketChecksum c = NextChecksum();
        if (c == PacketChecksum::kBad) {
            ++truth_.badChecksums;
            spoiled = true;
        }
        return c;
    };
    ++truth_.samples;
    for (std::string line : SampleLines(model_, setup_.decimalFormat, s, checksum)) {
        const bool bad = spoiled;
        spoiled = false;
        const bool star = !line.empty() && line[0] == '*';
        const bool sampleLine = !(star && line.size() > 1 && line[1] == 'I');
        bool dropped = false;
        if (sampleLine) {
            ++sampleLines_;
            if (options_.dropEvery > 0 && sampleLines_ % options_.dropEvery == 0) {
                line.erase(line.size() / 2, 1);
                ++truth_.droppedLines;
                dropped = true;
            }
        }
        if (!bad && !dropped) ++truth_.lines[ClassifyLine(line)];
        Line(line);
        sent += line.size() + 2;
    }
    return sent;
}

void SimInstrument::SendSample() {
    const SimSample s = source_.Next(ClockHundredths());
    if (liveSamples_.size() >= kKeptLiveSamples) liveSamples_.erase(liveSamples_.begin());
    liveSamples_.push_back(s);
    SendSampleLines(s);
}

void SimInstrument::StartSampling() {
    if (IsVantorFamily(model_)) {
        // a Vantor reports its housekeeping once as it starts
        const PacketChecksum c = NextChecksum();
        const std::string h = HeaderLine(source_.Next(ClockHundredths()), c);
        if (c == PacketChecksum::kBad)
            ++truth_.badChecksums;
        else
            ++truth_.lines[kHPacket];
        Line(h);
    }
    sampling_ = true;
    nextSample_ = now_;
}

void SimInstrument::StopSampling() {
    sampling_ = false;
    nextSample_ = kNever;
}

void SimInstrument::Wake() {
    mode_ = Mode::kCommand;
    input_.clear();
    Line("Turning on");
    Line(WakeText());
}

void SimInstrument::Break(double now) {
    AdvanceTo(now);
    CancelPending();
    StopSampling();
    EndDownload();
    mode_ = Mode::kCommand;
    input_.clear();
    blockIn_.clear();
    shutterOpen_ = false;
    Line("");
    Line("Reset");
    Line(WakeText());
}

// --- Input.

void SimInstrument::Receive(std::string_view bytes, double now) {
    AdvanceTo(now);
    if (options_.silent || lineBaud_ != baud_) return;
    for (char c : bytes) ReceiveByte(c);
}

void SimInstrument::ReceiveByte(char c) {
    switch (mode_) {
        case Mode::kAsleep:
            if (c == '\r') Wake();
            return;
        case Mode::kSendBlock:
            if (blockState_ == 0 && c == 'C') {
                SendBlock();
            } else if (blockState_ == 1 && c == kAcknowledge) {
                blockState_ = 2;
                Emit(std::string(1, kEndOfTransmission));
            } else if (blockState_ == 1 && c == kNegativeAcknowledge) {
                if (++blockTries_ >= 10) {
                    CancelPending();
                    mode_ = Mode::kCommand;
                } else {
                    SendBlock();
                }
            } else if (blockState_ == 2 && c == kAcknowledge) {
                CancelPending();
                mode_ = Mode::kCommand;
            }
            return;
        case Mode::kReceiveBlock:
            ReceiveBlockByte(c);
            return;
        default:
            break;
    }
    if (echo_) Emit(c == '\r' ? std::string_view("\r\n") : std::string_view(&c, 1));
    if (c == '\n') return;
    if (c != '\r') {
        if (input_.size() < kMaxCommandLine) input_ += c;
        return;
    }
    std::string line;
    line.swap(input_);
    if (mode_ == Mode::kConfirmErase) {
        mode_ = Mode::kCommand;
        const std::string answer = Upper(Trim(line));
        if (!answer.empty() && answer[0] == 'Y') {
            casts_.clear();
            nextCastNumber_ = 1;
            Line("Log erased");
            Prompt();
            return;
        }
        Line("Erase aborted");
        if (answer.empty()) {
            Prompt();
            return;
        }
    }
    if (shutterMoving_) {
        // busy with the shutter: the command waits until it has moved
        heldLines_.push_back(line);
        return;
    }
    Execute(line);
}

void SimInstrument::ShutterMoved(const std::function<void()>& then) {
    shutterMoving_ = false;
    Line("..done");
    then();
    std::vector<std::string> held;
    held.swap(heldLines_);
    for (const std::string& l : held) {
        if (shutterMoving_) {
            heldLines_.push_back(l);
            continue;
        }
        Execute(l);
    }
}

void SimInstrument::Execute(const std::string& rawLine) {
    const std::string line = Trim(rawLine);
    size_t wordEnd = 0;
    while (wordEnd < line.size() && std::isalpha(static_cast<unsigned char>(line[wordEnd])))
        ++wordEnd;
    const std::string word = Upper(line.substr(0, wordEnd));
    const std::vector<std::string> args = SplitArguments(std::string_view(line).substr(wordEnd));
    const bool vantor = IsVantorFamily(model_);
    const bool single = IsSingleChannel(model_);

    if (line.empty()) {
        Prompt();
    } else if (word == "ID") {
        for (const std::string& l : IdentificationLines()) Line(l);
        Prompt();
    } else if (word == "VER") {
        Line("Firmware version " + FirmwareVersion());
        Prompt();
    } else if (word == "STOP") {
        const bool wasDownloading = !downloadSamples_.empty();
        CancelPending();
        StopSampling();
        EndDownload();
        if (wasDownloading) Line("Download aborted");
        Line("Stopped");
        if (shutterOpen_) {
            shutterOpen_ = false;
            // the prompt comes as the shutter starts to move, its end when it has
            Emit("Closing shutter");
            shutterMoving_ = true;
            Schedule(setup_.shutterTime, [this] { ShutterMoved([this] { Prompt(); }); });
        } else {
            Prompt();
        }
    } else if (word == "START" || word == "STARTNOLOG") {
        CancelPending();
        StopSampling();
        const auto announce = [this] {
            Line("Starting in " + std::to_string(setup_.startDelay) + " seconds");
            Schedule(setup_.startDelay, [this] { StartSampling(); });
        };
        if (options_.shutter && setup_.shutterEnabled && !shutterOpen_) {
            shutterOpen_ = true;
            Emit("Opening shutter");
            shutterMoving_ = true;
            Schedule(setup_.shutterTime, [this, announce] { ShutterMoved(announce); });
        } else {
            announce();
        }
    } else if (word == "SLEEP") {
        CancelPending();
        StopSampling();
        Line("Sleeping");
        mode_ = Mode::kAsleep;
    } else if (word == "ECHOON" || word == "ECHOOFF") {
        echo_ = word == "ECHOON";
        Prompt();
    } else if (word == "LOG" && !single) {
        if (args.empty()) {
            SampleParameterReply(word);
        } else {
            LogCommand(args);
            Prompt();
        }
    } else if (word == "PERIOD" || word == "STARTDELAY" || word == "BURST" ||
               word == "BURSTLENGTH" || word == "BURSTCYCLE" || word == "DATAFORMAT") {
        if (!args.empty()) {
            const double v = Number(args, 0, 0);
            if (word == "PERIOD") {
                if (v >= 0.05) setup_.period = v;
            } else if (word == "STARTDELAY") {
                setup_.startDelay = std::max(0, RoundToInt32(v));
            } else if (word == "BURST") {
                setup_.burstMode = v != 0;
            } else if (word == "BURSTLENGTH") {
                setup_.burstLength = RoundToInt32(v);
            } else if (word == "BURSTCYCLE") {
                setup_.burstCycle = v;
            } else {
                setup_.decimalFormat = Upper(args[0]).rfind('D', 0) == 0;
            }
            Prompt();
        } else {
            SampleParameterReply(word);
        }
    } else if (word == "TIME") {
        if (!args.empty()) {
            SetClock(line.substr(wordEnd + 1));
        } else {
            Line(DateTimeText(ClockDate()));
            Prompt();
        }
    } else if (word == "DATE") {
        const double t = args.empty() ? 0 : ParseCalTime(line.substr(wordEnd + 1), model_);
        if (t > 0) {
            cal_.CalTime = t;
            Line(DateTimeText(t));
        } else {
            Line("Invalid date");
        }
        Prompt();
    } else if (word == "BAUD") {
        const int rate = RoundToInt32(Number(args, 0, 0));
        static const int kRates[] = {4800, 9600, 19200, 38400, 57600, 115200};
        if (std::find(std::begin(kRates), std::end(kRates), rate) != std::end(kRates)) {
            Line("Baud rate " + std::to_string(rate));
            // the reply still goes out at the old rate; from here on the instrument listens
            // at the new one
            baud_ = rate;
        } else {
            Line("Invalid baud rate");
            Prompt();
        }
    } else if (word == "SENDCAL" || word == "MAKEINI") {
        std::string text = cal_.CalFileText();
        Emit(text);
        Prompt();
    } else if (word == "GCF") {
        if (args.size() >= 3) {
            cal_.CalTemp = static_cast<float>(Number(args, 0, cal_.CalTemp));
            cal_.DepthCal = static_cast<float>(Number(args, 1, cal_.DepthCal));
            cal_.DepthOff = static_cast<float>(Number(args, 2, cal_.DepthOff));
            Prompt();
        } else {
            GlobalDump();
        }
    } else if (word == "CCL" && vantor) {
        if (args.size() > 1)
            ChannelUpload(args);
        else
            ChannelDump(RoundToInt32(Number(args, 0, 1)));
    } else if (word == "CCF" && vantor) {
        ChannelConfigDump(RoundToInt32(Number(args, 0, 1)));
    } else if (word == "COF" && vantor) {
        OffsetUpload(args);
    } else if ((word == "STORECCL" || word == "STOREGCF") && vantor) {
        Line("..OK");
        Prompt();
    } else if ((word == "STORELOG" || word == "STOREFL" || word == "SHUTTER" || word == "FL" ||
                word == "GAIN" || word == "POWER" || word == "X" || word == "C") &&
               !(word == "SHUTTER" && !options_.shutter)) {
        if (word == "SHUTTER" && args.size() >= 4) {
            setup_.shutterEnabled = Number(args, 0, 1) != 0;
            setup_.shutterAutomatic = Number(args, 1, 1) != 0;
            setup_.shutterTime = Number(args, 2, setup_.shutterTime);
            setup_.counterClockwise = Upper(args[3]) == "CCW";
        } else if (word == "FL" && !args.empty()) {
            // "FLn,mode": n is the fluorescence channel's code
            const int code = RoundToInt32(ReadDecimal(std::string_view(line).substr(2)));
            const int mode = RoundToInt32(Number(args, 1, 0));
            const int scattering = ScatteringChannelCount(model_);
            const int which = code > scattering ? code - scattering - 1 : code - 1;
            if (which >= 0 && which < 2) setup_.fluorescenceMode[which] = mode;
        } else if (word == "FL") {
            for (int i = 0; i < 2; ++i)
                Line("FL" + std::to_string(i + 1) + ": " +
                     std::to_string(setup_.fluorescenceMode[i]));
        }
        Prompt();
    } else if (word == "DIR") {
        Directory();
    } else if (word == "DOWNLOAD") {
        Download(RoundToInt32(Number(args, 0, 0)));
    } else if (word == "DELCAST") {
        DeleteCast(RoundToInt32(Number(args, 0, 0)));
    } else if (word == "CLEARLOG" && IsTrevan(model_)) {
        // only the Trevan-2 asks before it erases; the program answers it with a "Y"
        Line("!Type Y for yes to erase all casts");
        mode_ = Mode::kConfirmErase;
    } else if (word == "CLEARLOG") {
        casts_.clear();
        nextCastNumber_ = 1;
        Line("Log erased");
        Prompt();
    } else if (word == "DUMPCFG" && single && !options_.oldFirmware) {
        BuildBinaryImage(cal_, image_);
        mode_ = Mode::kSendBlock;
        blockState_ = 0;
        blockTries_ = 0;
        Schedule(kBlockTimeout, [this] { mode_ = Mode::kCommand; });
    } else if (word == "LOADCFG" && single && !options_.oldFirmware) {
        mode_ = Mode::kReceiveBlock;
        blockIn_.clear();
        blockTries_ = 0;
        Emit("C");
        Schedule(kBlockTimeout, [this] {
            mode_ = Mode::kCommand;
            Line("Data not saved");
        });
    } else {
        Line("Unknown command");
        Prompt();
    }
}

}  // namespace tidewell::sim
