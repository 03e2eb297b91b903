#include "instrument/Terminal.h"

#include <algorithm>

#include "calibration/Conversion.h"
#include "instrument/ProgramState.h"
#include "stream/Decoder.h"
#include "stream/NumberText.h"
#include "stream/StarPackets.h"
#include "stream/StatusPanels.h"
#include "stream/TextHelpers.h"

namespace tidewell {

namespace {

constexpr const char* kLineEnd = "\r\n";

void Padded(std::string& out, const std::string& text, size_t width) {
    out += PadLeft(text, width);
}

// A line of one of the sample kinds of the terminal's conversions.
bool IsEightChannelKind(LineKind kind) {
    return kind == kDPacket || kind == kTPacket || kind == kRatioDecimalLine;
}

bool IsSingleChannelKind(LineKind kind) {
    return kind == kAPacket || kind == kCPacket || kind == kSingleDecimalLine ||
           kind == kSingleDecimalLongLine;
}

// The rendering of one line for the mode; nullopt appends nothing.
std::optional<std::string> Render(const std::string& line, LineKind kind, TerminalMode mode,
                                  const SampleRecord& sample, const CalibratedSample& converted) {
    const std::string asReceived = line + kLineEnd;
    if (kind == kTwoChannelLongLine || kind == kTwoChannelShortLine) return asReceived;
    if (mode == TerminalMode::kRawHex) {
        if (IsEightChannelKind(kind) || IsSingleChannelKind(kind) || kind == kHPacket ||
            kind == kIPacket)
            return asReceived;
        return std::nullopt;
    }
    if (IsEightChannelKind(kind)) {
        if (mode == TerminalMode::kRawDecimal) return CountsLine(sample);
        return BbLine(converted, mode == TerminalMode::kSigmaCorrected);
    }
    const bool packet = kind == kAPacket || kind == kCPacket;
    if (IsSingleChannelKind(kind)) {
        if (mode == TerminalMode::kRawDecimal)
            return packet ? SingleDecimalLine(sample) : asReceived;
        if (mode == TerminalMode::kCalibrated) return SingleChannelBlock(converted);
    }
    return std::nullopt;
}

bool IsSampleLine(std::string_view text) {
    while (!text.empty() && text.front() == '\n') text.remove_prefix(1);
    return ClassifyLine(text) != kOtherLine;
}

}  // namespace

std::string PadLeft(std::string_view text, size_t width) {
    std::string out;
    if (text.size() < width) out.assign(width - text.size(), ' ');
    out += text;
    return out;
}

std::string CountsLine(const SampleRecord& s) {
    std::string out = PadLeft(StrDouble(s.time), 19);
    for (int i = 0; i < 8; ++i) Padded(out, StrInt(s.raw[i]), 6);
    for (int i = 0; i < 8; ++i) Padded(out, StrInt(s.gain[i]), 2);
    Padded(out, StrSingle(s.depthCounts), 6);
    Padded(out, StrSingle(s.temperature), 4);
    out += StrInt(s.tailCode);
    return out + kLineEnd;
}

std::string BbLine(const CalibratedSample& s, bool corrected) {
    std::string out;
    for (int i = 0; i < 8; ++i) {
        if (s.valid[i]) Padded(out, StrDouble(corrected ? s.bbCorrected[i] : s.bb[i]), 15);
    }
    return out + kLineEnd;
}

std::string SingleDecimalLine(const SampleRecord& s) {
    return StrDouble(s.time) + "." + PlainInt(s.subSecond) + "," + StrSingle(s.normalized[0]) +
           "," + StrInt(s.gain[0]) + "," + StrInt(s.optionCounts) + "," + StrSingle(s.depthCounts) +
           "," + StrSingle(s.temperature) + kLineEnd;
}

std::string SingleChannelBlock(const CalibratedSample& s) {
    struct Row {
        const char* label;
        std::string value;
        size_t width;
    };
    const Row rows[] = {{"a = ", StrSingle(s.aCorrected), 15},
                        {"bb =", StrDouble(s.bbCorrected[0]), 15},
                        {"Beta140 =", StrDouble(s.betaCorrected[0]), 10},
                        {"Depth =", StrSingle(s.depth), 10},
                        {"K =", StrSingle(s.sigmaK), 10},
                        {"TrT =", StrSingle(s.kSignal), 10}};
    std::string out;
    for (const Row& row : rows) out += row.label + PadLeft(row.value, row.width) + kLineEnd;
    return out;
}

TerminalUpdate UpdateTerminal(ProgramState& program, int slot, TerminalMode mode, bool feet) {
    InstrumentRecord& r = program.Slot(slot);
    TerminalUpdate update;
    const int n = r.terminalQueue.size();
    if (n == 0) return update;
    std::optional<ConversionContext> context;
    if (r.calibrationLoaded)
        context.emplace(r.Calibration(), program.settings.Sigma, program.settings.bbPrefs);
    for (int i = 0; i < n; ++i) {
        const std::string line = r.terminalQueue.GetNext();
        const LineKind kind = ClassifyLine(line);
        if (IsEightChannelKind(kind) || IsSingleChannelKind(kind)) {
            DecodeLine(line, r.instrumentType, r.lastSample);
            if (context) {
                if (IsEightChannelKind(kind))
                    ConvertVantor(r.lastSample, *context, r.converted);
                else
                    ConvertSingle(r.lastSample, *context, r.converted);
            }
        } else if (kind == kHPacket) {
            r.converted.voltage = static_cast<float>(HeaderSupplyVoltage(line));
        } else if (kind == kIPacket) {
            DecodeInfoPacket(line, r.lastSample);
            r.converted.voltage = r.lastSample.voltage;
        }
        if (std::optional<std::string> block = Render(line, kind, mode, r.lastSample, r.converted))
            update.blocks.push_back(std::move(*block));
        update.depthPanel = DepthPanelText(r.converted.depth, feet);
        update.temperaturePanel = TemperaturePanelText(r.converted.temperature);
    }
    update.processed = n;
    update.voltagePanel = VoltagePanelText(r.converted.voltage, r.lastLineTime, program.Now());
    return update;
}

std::string ResponseText(ProgramState& program, int slot, size_t maxLength) {
    InstrumentRecord& r = program.Slot(slot);
    if (!r.PortOpen()) {
        r.unroutedText.clear();
        return "";
    }
    if (r.unroutedText.size() > maxLength) {
        const auto start = static_cast<size_t>(RoundToInt64(0.2 * static_cast<double>(maxLength)));
        r.unroutedText.erase(0, std::min(start, r.unroutedText.size()));
    }
    std::string_view shown = r.unroutedText;
    if (shown.starts_with("\r\n"))
        shown.remove_prefix(2);
    else if (shown.starts_with('\r'))
        shown.remove_prefix(1);
    return std::string(shown);
}

std::string RemoveDataLines(const std::string& text) {
    if (IsSampleLine(text)) return "";
    const size_t last = text.rfind('\r');
    if (last == std::string::npos || last == 0) return text;
    const size_t before = text.rfind('\r', last - 1);
    if (before == std::string::npos) return text;
    if (!IsSampleLine(std::string_view(text).substr(before + 1, last - before - 1))) return text;
    return text.substr(0, before);
}

bool TypeTerminalKey(ProgramState& program, int slot, char key) {
    InstrumentRecord& r = program.Slot(slot);
    if (!r.PortOpen()) return false;
    r.port->Write(std::string_view(&key, 1));
    return true;
}

bool EnterTerminalCommand(ProgramState& program, int slot, const std::string& command) {
    InstrumentRecord& r = program.Slot(slot);
    if (!r.PortOpen()) return false;
    r.replyLines.clear();
    r.lastCommand = UpperCase(command);
    if (r.lastCommand == "ID") r.idComplete = false;
    r.commandTime = r.lastSendComplete = program.Now();
    r.outputQueue = "\r";
    return true;
}

size_t DataBoxCut(size_t textLength, size_t lineLength, size_t maxLength) {
    return textLength + lineLength >= maxLength ? std::min(lineLength, textLength) : 0;
}

}  // namespace tidewell
