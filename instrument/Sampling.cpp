#include "instrument/Sampling.h"

#include <cstdio>

#include "instrument/Commands.h"
#include "instrument/OperationWaits.h"
#include "instrument/ProgramState.h"
#include "instrument/ReplyHandler.h"
#include "stream/NumberText.h"
#include "stream/TextHelpers.h"

namespace tidewell {

namespace {

bool Has(std::string_view lower, std::string_view needle) {
    return lower.find(needle) != std::string_view::npos;
}

std::string Flag(bool value) {
    return value ? "1" : "0";
}

// The instrument's prompt: ">" alone, blanks aside.
bool IsPrompt(std::string_view line) {
    while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
    while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    return line == ">";
}

// Single-channel instruments take their burst interval and length one command each; the
// interval and the length must never contradict each other on the way, so a shorter interval
// goes after the length and a longer one before it.
std::string SingleChannelApplyText(const SamplingParameters& current,
                                   const SamplingParameters& edited) {
    std::string text;
    if (edited.burstMode) {
        const std::string cycle = "BURSTCYCLE," + PlainSingle(edited.burstInterval) + "\r";
        const std::string length = "BURSTLENGTH," + PlainInt(edited.burstLength) + "\r";
        text += current.burstInterval > edited.burstInterval ? length + cycle : cycle + length;
    }
    text += "PERIOD," + PlainSingle(edited.period) + "\r";
    text += "STARTDELAY," + PlainInt(edited.startDelay) + "\r";
    text += "BURST," + Flag(edited.burstMode) + "\r";
    text += edited.hexadecimalFormat ? "DATAFORMAT,H\r" : "DATAFORMAT,D\r";
    return text;
}

std::string TrevanApplyText(const SamplingParameters& e, bool nonvolatile) {
    std::string text = "LOG," + PlainSingle(e.period) + "," + PlainInt(e.startDelay) + "," +
                       Flag(e.startOnPowerUp) + "," + Flag(e.burstMode) + "," +
                       PlainInt(e.burstWarmup) + "," + PlainInt(e.burstLength) + "," +
                       PlainSingle(e.burstInterval) + ",\r";
    if (nonvolatile) text += "STORELOG\r";
    return text;
}

std::string VantorApplyText(const CalibrationDataClass& calibration, int instrumentType,
                            bool hasShutter, const SamplingParameters& e, bool nonvolatile) {
    std::string text;
    const std::vector<int> channels = FluorescenceChannels(calibration, instrumentType);
    for (size_t i = 0; i < channels.size(); ++i) {
        text += "fl" + PlainInt(channels[i]) + "," + PlainInt(e.fluorescenceMode[i]) + "\r";
    }
    text += "LOG," + PlainSingle(e.period) + "," + PlainInt(e.startDelay) + "," +
            Flag(e.sleepWhenMemoryFull) + "," + Flag(e.startOnPowerUp) + "," + Flag(e.burstMode) +
            "," + PlainInt(e.burstWarmup) + "," + PlainInt(e.burstLength) + "," +
            PlainSingle(e.burstInterval) + "," + PlainSingle(e.totalDuration) + "\r";
    if (hasShutter) {
        text += "shutter," + Flag(e.shutterEnabled) + "," + Flag(e.shutterAutomatic) + "," +
                PlainSingle(e.shutterOperateTime) + "," +
                (e.shutterCounterClockwise ? "CCW" : "CW") + "\r";
    }
    if (nonvolatile) text += "STORELOG\rSTOREFL\r";
    return text;
}

}  // namespace

double ReplyLineNumber(std::string_view line) {
    for (size_t i = 0; i < line.size(); ++i) {
        double value = 0;
        if (ReadWholeDecimal(line.substr(i), value)) return value;
    }
    return 0;
}

bool ParseSampleParams(const std::vector<std::string>& lines, int instrumentType, bool hasShutter,
                       SamplingParameters& p) {
    const bool cycleEnds = IsSingleChannel(instrumentType) || IsTrevan(instrumentType);
    bool complete = false;
    p.shutterEnabled = true;
    for (const std::string& line : lines) {
        const std::string l = LowerCase(line);
        const double n = ReplyLineNumber(line);
        if (Has(l, "period:")) p.period = static_cast<float>(n);
        if (Has(l, "rate:")) p.period = n == 0 ? 1.0f : static_cast<float>(1 / n);
        if (Has(l, "delay:")) p.startDelay = RoundToInt32(n);
        if (Has(l, "memory full")) p.sleepWhenMemoryFull = n != 0;
        if (Has(l, " power")) p.startOnPowerUp = n != 0;
        if (Has(l, "warmup time")) p.burstWarmup = RoundToInt32(n);
        if (Has(l, "burst length") || Has(l, "burst duration")) p.burstLength = RoundToInt32(n);
        if (Has(l, " cycle")) {
            p.burstInterval = static_cast<float>(n);
            if (cycleEnds) complete = true;
        }
        if (Has(l, "total")) {
            p.totalDuration = static_cast<float>(n);
            if (!hasShutter) complete = true;
        }
        if (Has(l, " mode")) p.burstMode = Has(l, "on");
        if (Has(l, " direction")) {
            p.shutterCounterClockwise = Has(l, "ccw");
            complete = true;
        }
        if (Has(l, " enabled")) p.shutterEnabled = Has(l, "1");
        if (Has(l, "shutter state")) p.complete = true;
        if (Has(l, "close time")) p.shutterOperateTime = static_cast<float>(n);
        if (Has(l, "omatic open")) p.shutterAutomatic = n != 0;
        if (Has(l, "format")) p.hexadecimalFormat = Has(l, "hex");
    }
    if (complete) p.complete = true;
    return complete;
}

bool ParseFluorescenceModes(const std::vector<std::string>& lines, SamplingParameters& params) {
    int read = 0;
    for (const std::string& line : lines) {
        if (IsPrompt(line)) return true;
        const std::string l = LowerCase(line);
        if (l.size() < 4 || l.compare(0, 2, "fl") != 0 || (l[2] != '1' && l[2] != '2') ||
            l[3] != ':') {
            continue;
        }
        params.fluorescenceMode[l[2] - '1'] = RoundToInt32(ReplyLineNumber(l.substr(4)));
        ++read;
    }
    return read >= 2;
}

std::vector<int> FluorescenceChannels(const CalibrationDataClass& calibration, int instrumentType) {
    std::vector<int> codes;
    if (!IsVantorFamily(instrumentType)) return codes;
    for (int which = 1; which <= 2; ++which) {
        const int code = FluorescenceChannelCode(calibration, which);
        if (code == 0) break;
        codes.push_back(code);
    }
    return codes;
}

std::string ReciprocalBoxText(double value) {
    if (!(value > 0)) return "";
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", 1 / value);
    return text;
}

bool ApplyPeriodRules(SamplingParameters& edited, int instrumentType,
                      const CalibrationDataClass& calibration, Prompter& prompter) {
    if (edited.period < kMinimumPeriod) edited.period = kMinimumPeriod;
    const size_t channels = FluorescenceChannels(calibration, instrumentType).size();
    bool sharing = false;
    for (size_t i = 0; i < channels; ++i) sharing |= edited.fluorescenceMode[i] == kTimeShare;
    if (sharing && edited.period < kTimeShareMinimumPeriod) {
        if (prompter.Ask(kTimeSharePeriodQuestion, {"Yes", "Cancel"}) != 1) return false;
        edited.period = kTimeShareMinimumPeriod;
    }
    return true;
}

std::string BuildApplyText(int instrumentType, const CalibrationDataClass& calibration,
                           bool hasShutter, const SamplingParameters& current,
                           const SamplingParameters& edited, bool nonvolatile) {
    if (IsSingleChannel(instrumentType)) return SingleChannelApplyText(current, edited);
    if (IsTrevan(instrumentType)) return TrevanApplyText(edited, nonvolatile);
    if (IsVantorFamily(instrumentType)) {
        return VantorApplyText(calibration, instrumentType, hasShutter, edited, nonvolatile);
    }
    return "";
}

void RegisterSamplingReplyHandlers(ReplyHandlerTable& table) {
    table.Register("GETSAMPLEPARAMS", [](ProgramState& program, int slot) {
        InstrumentRecord& r = program.Slot(slot);
        if (ParseSampleParams(r.replyLines, r.instrumentType, r.HasShutter(), r.sampling)) {
            r.lastCommand.clear();
        }
    });
    table.Register("FL", [](ProgramState& program, int slot) {
        InstrumentRecord& r = program.Slot(slot);
        if (ParseFluorescenceModes(r.replyLines, r.sampling)) r.lastCommand.clear();
    });
}

bool LoadSampleParams(ProgramState& program, Waiter& waiter, int slot) {
    RegisterSamplingReplyHandlers(program.replyHandlers);
    InstrumentRecord& r = program.Slot(slot);
    // nothing of an earlier reading (perhaps of another instrument) may stand for this one's
    r.sampling = SamplingParameters();
    if (!SendCommand(program, "GETSAMPLEPARAMS", slot)) return false;
    // the shutter-state line marks the set-up complete before its last line has come: wait for
    // the reply's end, and take what came when it does not end
    waiter.WaitUntil([&r] { return r.lastCommand != "GETSAMPLEPARAMS"; },
                     OutputDrainSeconds(r) + kSampleParamsReplySeconds, LinkLost(r));
    if (r.lastCommand == "GETSAMPLEPARAMS") r.lastCommand.clear();
    if (!r.sampling.complete) return false;

    if (FluorescenceChannels(r.Calibration(), r.instrumentType).empty()) return true;
    if (!SendCommand(program, "FL", slot)) return false;
    const WaitResult w =
        waiter.WaitUntil([&r] { return r.lastCommand != "FL"; },
                         OutputDrainSeconds(r) + kSampleParamsReplySeconds, LinkLost(r));
    if (r.lastCommand == "FL") r.lastCommand.clear();
    return w == WaitResult::kDone;
}

ApplyResult ApplySampleParams(ProgramState& program, Waiter& waiter, int slot,
                              SamplingParameters& edited, bool nonvolatile) {
    InstrumentRecord& r = program.Slot(slot);
    if (!ApplyPeriodRules(edited, r.instrumentType, r.Calibration(), program.prompter)) {
        return ApplyResult::kCancelled;
    }
    QueueOutput(program, slot,
                BuildApplyText(r.instrumentType, r.Calibration(), r.HasShutter(), r.sampling,
                               edited, nonvolatile));
    WaitOutputSent(waiter, r, LinkLost(r));
    return LoadSampleParams(program, waiter, slot) ? ApplyResult::kApplied
                                                   : ApplyResult::kNotReloaded;
}

}  // namespace tidewell
