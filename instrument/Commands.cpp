#include "instrument/Commands.h"

#include <array>

#include "instrument/ProgramState.h"
#include "instrument/SerialInputLoop.h"
#include "stream/NumberText.h"
#include "stream/TextHelpers.h"

namespace tidewell {

namespace {

enum class How { kNothing, kQueue, kReplace, kWrite };

// The text sent for one family: "$C" stands for the command as given, "$A" for the argument,
// "$F" for the fluorescence channel code.
struct FamilyRule {
    const char* text = nullptr;
    How how = How::kNothing;
};

struct CommandRule {
    const char* name;
    FamilyRule vantor, single, trevan;
    bool everyFamily = false;  // also for an instrument of no known family
};

constexpr CommandRule All(const char* name, const char* text, How how) {
    return {name, {text, how}, {text, how}, {text, how}, true};
}

constexpr FamilyRule kNone{};

const std::array kCommandTable = {
    All("ID", "ID\r", How::kReplace),
    CommandRule{
        "START", {"START,0$A\r", How::kQueue}, {"START\r", How::kQueue}, {"START\r", How::kQueue}},
    CommandRule{"STARTNOLOG",
                {"START,0$A\r", How::kQueue},
                {"START\r", How::kQueue},
                {"START\r", How::kQueue}},
    All("STOP", "STOP\r", How::kQueue),
    All("PERIOD", "$C,$A\r", How::kQueue),
    All("STARTDELAY", "$C,$A\r", How::kQueue),
    All("BURST", "$C,$A\r", How::kQueue),
    All("BURSTLENGTH", "$C,$A\r", How::kQueue),
    All("BURSTCYCLE", "$C,$A\r", How::kQueue),
    CommandRule{"SETPERIOD",
                {"\r\nLOG,$A\r", How::kWrite},
                {"PERIOD$A\r", How::kQueue},
                {"\r\nLOG,$A\r", How::kWrite}},
    CommandRule{"SETDELAY",
                {"\r\nLOG,,$A\r\n", How::kWrite},
                {"STARTDELAY $A\r", How::kQueue},
                {"\r\nLOG,,$A\r\n", How::kWrite}},
    CommandRule{"GETSAMPLEPARAMS",
                {"LOG\r", How::kQueue},
                {"DATAFORMAT\rPERIOD\rSTARTDELAY\rBURST\r", How::kQueue},
                {"LOG\r", How::kQueue}},
    All("LOG", "LOG$A\r\n", How::kReplace),
    All("GETTIME", "TIME\r", How::kQueue),
    All("TIME", nullptr, How::kNothing),
    All("SETDATE", "TIME,$A\r", How::kReplace),
    CommandRule{"CLEARSAMPLE", {"X\r", How::kQueue}, {"\r", How::kQueue}, kNone},
    CommandRule{"GETRAWSAMPLE", {"C\r", How::kQueue}, {"\r", How::kQueue}, kNone},
    CommandRule{"SETGAIN", {"gain,0,$A\r", How::kQueue}, {"gain$A\r", How::kQueue}, kNone},
    CommandRule{"FL", {"FL\r", How::kQueue}, kNone, kNone},
    CommandRule{"FL1", {"FL$F,$A\r", How::kQueue}, kNone, kNone},
    CommandRule{"FL2", {"FL$F,$A\r", How::kQueue}, kNone, kNone},
    All("DIR", "DIR\r", How::kQueue),
    All("CLEARLOGCOMMAND", "CLEARLOG\r", How::kQueue),
    All("DELCAST", "DELCAST$A\r", How::kQueue),
    All("DOWNLOAD", "DOWNLOAD,$A\r", How::kReplace),
    All("DUMPCFG", "DUMPCFG$A\r\n", How::kReplace),
    All("CCL", "CCL,$A\r", How::kWrite),
    All("CCF", "CCF,$A\r", How::kWrite),
    All("GCF", "GCF\r", How::kWrite),
    All("MAKEINI", "MAKEINI\r", How::kWrite),
    CommandRule{"STORECCL", {"$C$A\r", How::kQueue}, kNone, kNone},
    CommandRule{"STOREGCF", {"$C$A\r", How::kQueue}, kNone, kNone},
    All("\r\n", "\r\r", How::kReplace),
};

// VER and every name not in the table.
constexpr FamilyRule kOtherCommand{"$C$A\r", How::kQueue};

constexpr std::array<int32_t, 6> kAllowedBaudRates = {4800, 9600, 19200, 38400, 57600, 115200};

const FamilyRule& RuleFor(const std::string& name, int32_t type) {
    for (const CommandRule& rule : kCommandTable) {
        if (name != rule.name) continue;
        if (IsSingleChannel(type)) return rule.single;
        if (IsTrevan(type)) return rule.trevan;
        if (IsVantorFamily(type)) return rule.vantor;
        return rule.everyFamily ? rule.vantor : kNone;
    }
    return kOtherCommand;
}

std::string Expand(const char* pattern, const std::string& command, const std::string& argument,
                   int flCode) {
    std::string out;
    for (const char* p = pattern; *p; ++p) {
        if (*p == '$' && p[1] == 'C') {
            out += command;
            ++p;
        } else if (*p == '$' && p[1] == 'A') {
            out += argument;
            ++p;
        } else if (*p == '$' && p[1] == 'F') {
            out += PlainInt(flCode);
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

void Deliver(InstrumentRecord& r, How how, const std::string& text) {
    switch (how) {
        case How::kQueue:
            r.outputQueue += text;
            break;
        case How::kReplace:
            r.outputQueue = text;
            break;
        case How::kWrite:
            if (r.port) r.port->Write(text);
            break;
        case How::kNothing:
            break;
    }
}

// The rate of the rate-change argument: the text after leading blanks and commas, when it is
// one of the allowed rates; else 0.
int32_t RequestedBaudRate(const std::string& argument) {
    size_t first = argument.find_first_not_of(" ,");
    if (first == std::string::npos) return 0;
    std::string_view rate = std::string_view(argument).substr(first);
    while (!rate.empty() && rate.back() == ' ') rate.remove_suffix(1);
    for (int32_t allowed : kAllowedBaudRates) {
        if (rate == PlainInt(allowed)) return allowed;
    }
    return 0;
}

}  // namespace

void QueueOutput(ProgramState& program, int slot, std::string_view text) {
    program.Slot(slot).outputQueue.append(text);
}

bool IsAllowedBaudRate(int32_t rate) {
    for (int32_t allowed : kAllowedBaudRates) {
        if (rate == allowed) return true;
    }
    return false;
}

int FluorescenceChannelCode(const CalibrationDataClass& calibration, int which) {
    const int first = calibration.bChannels();
    const int index = first + which - 1;
    if (first < 0 || which < 1 || which > 2 || index >= calibration.ChannelCount()) return 0;
    return index + 1;
}

bool SendCommand(ProgramState& program, const std::string& command, int slot,
                 const std::string& argument) {
    InstrumentRecord& r = program.Slot(slot);
    if (!r.identified) {
        if (!program.hooks.connect || !program.hooks.connect(slot) || !r.identified) return false;
    }
    const std::string name = UpperCase(command);
    r.lastCommand = name;
    r.replyLines.clear();
    r.commandTime = r.lastSendComplete = program.Now();

    const bool isStart = name == "START" || name == "STARTNOLOG";
    if (isStart) {
        if (r.downloading) {
            program.prompter.ShowMessage(kStartWhileDownloadingMessage);
            return true;
        }
        if (!r.recording.files.rawFile.IsOpen() && !r.recording.files.datFile.IsOpen() &&
            program.hooks.openRecordingForStart &&
            program.hooks.openRecordingForStart(slot) == -1) {
            return true;
        }
        if (r.observer) r.observer->EnableInputTimer(slot);
    }

    if (name == "SETSLEEP") {
        if (r.link.state == kLinkSleeping) {
            r.outputQueue = "\r\r";
        } else {
            r.outputQueue += "SLEEP\r";
        }
        return true;
    }
    if (name == "BAUD") {
        const int32_t rate = RequestedBaudRate(argument);
        if (rate == 0) {
            // nothing goes out, so there is no reply to wait for and no rate to switch to
            r.lastCommand.clear();
            return true;
        }
        r.outputQueue = "BAUD," + PlainInt(rate) + "\r";
        r.baudRate = rate;
        return true;
    }

    int flCode = 0;
    if (name == "FL1" || name == "FL2") {
        flCode = FluorescenceChannelCode(r.Calibration(), name == "FL1" ? 1 : 2);
    }
    const FamilyRule& rule = RuleFor(name, r.instrumentType);
    const bool sends = rule.text != nullptr && (flCode != 0 || (name != "FL1" && name != "FL2"));
    if (!sends) {
        if (name == "FL" || name == "FL1" || name == "FL2" || name == "STORECCL" ||
            name == "STOREGCF") {
            r.lastCommand.clear();
        }
        return true;
    }
    Deliver(r, rule.how, Expand(rule.text, command, argument, flCode));

    if (name == "ID") {
        r.idComplete = false;
    } else if (isStart) {
        r.link.state = kLinkStartPending;
    } else if (name == "STOP") {
        r.link.state = kLinkStopPending;
    } else if (name == "DELCAST") {
        r.link.state = kLinkDeletingCast;
    } else if (name == "DIR") {
        r.castList.Clear();
        r.castList.MaxSize(kCastListSize);
        r.directoryComplete = false;
    }
    if (isStart || name == "STOP") UpdateStatus(program, slot, true);
    return true;
}

}  // namespace tidewell
