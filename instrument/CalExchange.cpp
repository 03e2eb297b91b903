#include "instrument/CalExchange.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

#include "calibration/BinaryImage.h"
#include "calibration/CalReplies.h"
#include "files/FilePaths.h"
#include "files/TempFolder.h"
#include "instrument/Commands.h"
#include "instrument/InstrumentClock.h"
#include "instrument/OperationWaits.h"
#include "instrument/SerialInputLoop.h"
#include "stream/DateValue.h"
#include "stream/NumberText.h"

namespace tidewell {

namespace {

// The name an upload step is awaited under when its command leaves none: no handler reads its
// reply lines, the wait looks for the prompt among them.
constexpr const char* kAwaitPromptCommand = "PROMPT";
constexpr char kStartOfBlock = 1;
constexpr char kAcknowledge = 6;
constexpr char kNegativeAcknowledge = 21;

std::string TempFolderOf(const ProgramState& program) {
    return WithTrailingSeparator(program.settings.TempPath.empty() ? FixedTempFolder()
                                                                   : program.settings.TempPath);
}

void Status(ConnectionContext& ctx, int slot, const std::string& window,
            const std::string& dialog) {
    if (!window.empty()) ctx.view().ShowWindowStatus(slot, window);
    if (!dialog.empty()) ctx.view().ShowDialogStatus(slot, dialog);
}

// A fresh calibration of the slot's instrument type in place of the slot's one.
CalibrationDataClass& FreshCalibration(InstrumentRecord& r) {
    r.calibration = std::make_shared<CalibrationDataClass>();
    r.calibration->DeviceType = r.instrumentType;
    return *r.calibration;
}

void BringUpToDate(ConnectionContext& ctx, CalibrationDataClass& cal) {
    cal.CheckAndUpdateAll(ctx.program.settings.Sigma, ctx.tables, ctx.program.prompter);
}

// Sends a command and waits up to `limit` seconds (after its text has gone out) for `done`.
// The outstanding command is cleared when the wait ends without it.
bool SendAndWait(ConnectionContext& ctx, int slot, const std::string& command,
                 const std::string& argument, const std::function<bool()>& done) {
    InstrumentRecord& r = ctx.program.Slot(slot);
    if (!SendCommand(ctx.program, command, slot, argument)) return false;
    const WaitResult w =
        ctx.waiter.WaitUntil(done, OutputDrainSeconds(r) + kCalReplySeconds, LinkLost(r));
    if (w != WaitResult::kDone) r.lastCommand.clear();
    return w == WaitResult::kDone;
}

bool PromptSeen(const InstrumentRecord& r) {
    for (const std::string& line : r.replyLines)
        if (IsPromptLine(line)) return true;
    return IsPromptLine(r.pendingInput.Pending());
}

// Sends one line of an upload and waits for the instrument's prompt after it (or for the
// command's own reply handler to finish with it).
bool SendAndAwaitPrompt(ConnectionContext& ctx, int slot, const std::string& line) {
    InstrumentRecord& r = ctx.program.Slot(slot);
    if (!SendCommand(ctx.program, line, slot)) return false;
    const bool ownName = !r.lastCommand.empty();
    if (!ownName) r.lastCommand = kAwaitPromptCommand;
    const WaitResult w = ctx.waiter.WaitUntil(
        [&r] { return r.outputQueue.empty() && (PromptSeen(r) || r.lastCommand.empty()); },
        OutputDrainSeconds(r) + kUploadStepSeconds, LinkLost(r));
    r.lastCommand.clear();
    return w == WaitResult::kDone;
}

// The upload line of one channel: "ccl," n and the channel's coefficients, each followed by
// ",". The fraction of the reference offset carries the exponential sigma coefficient, the
// fraction of bb2c a tenth of MuRho.
std::string ChannelUploadLine(const CalibrationDataClass& cal, int n) {
    const int c = n - 1;
    const double values[] = {cal.Mu(c),
                             cal.RNominal(c),
                             cal.ROutOff(c) + cal.SigmaExp(c),
                             cal.beta2bb(c),
                             cal.bb2c(c) + cal.MuRho(c) / 10,
                             cal.Sigma(c, 0),
                             cal.Sigma(c, 1),
                             cal.Sigma(c, 2),
                             cal.bTempCoeff(c)};
    std::string line = "ccl," + PlainInt(n) + ",";
    for (double v : values) line += PlainDouble(v) + ",";
    for (int g = 1; g <= 5; ++g) line += PlainDouble(cal.gain(c, g)) + ",";
    return line;
}

// "cof," n, then the dark, nominal and fluorescence offsets of gain settings 1-5.
std::string OffsetUploadLine(const CalibrationDataClass& cal, int n) {
    const int c = n - 1;
    std::string line = "cof," + PlainInt(n) + ",";
    for (int g = 1; g <= 5; ++g) line += PlainInt(cal.DarkOffset(c, g)) + ",";
    for (int g = 1; g <= 5; ++g) line += PlainInt(cal.NomOffset(c, g)) + ",";
    for (int g = 1; g <= 5; ++g) line += PlainInt(cal.FlOffset(c, g)) + ",";
    return line;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// The instrument answered with a piece of text (a line, or the text after the last line end)
// beginning with `c`. What came before it, the end of an earlier reply, does not matter.
bool AnswerBeginsWith(const std::string& text, char c) {
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == c && (i == 0 || text[i - 1] == '\r' || text[i - 1] == '\n')) return true;
    return false;
}

// The instrument's one-byte answer to a block: the acknowledge or the refusal, 0 before either.
char BlockAnswer(const std::string& text) {
    const size_t at = text.find_first_of(std::string{kAcknowledge, kNegativeAcknowledge});
    return at == std::string::npos ? 0 : text[at];
}

// --- Reply handlers.

void HandleMultiCal(ProgramState& program, int slot) {
    InstrumentRecord& r = program.Slot(slot);
    if (!CompleteMultiCal(r.replyLines, r.Calibration())) return;
    r.calTextComplete = true;
    r.lastCommand.clear();
}

void HandleMakeIni(ProgramState& program, int slot) {
    InstrumentRecord& r = program.Slot(slot);
    if (!CompleteCalText(r.replyLines, r.Calibration())) return;
    r.makeIniComplete = true;
    r.lastCommand.clear();
}

void HandleGlobalDump(ProgramState& program, int slot) {
    InstrumentRecord& r = program.Slot(slot);
    if (!GlobalDumpComplete(r.replyLines)) return;
    std::string firmware;
    ParseGlobalDump(r.replyLines, r.Calibration(), firmware);
    if (!firmware.empty()) r.firmwareVersion = firmware;
    r.gcfComplete = true;
    r.lastCommand.clear();
}

void HandleChannelDump(ProgramState& program, int slot, bool& complete) {
    InstrumentRecord& r = program.Slot(slot);
    if (!ChannelDumpComplete(r.replyLines)) return;
    ParseChannelDump(r.replyLines, r.Calibration(), -1);
    complete = true;
    r.lastCommand.clear();
}

// The image comes in one block; once the instrument has ended the transfer, a good block is
// kept in a temporary file and loaded from there.
void HandleDumpCfg(ProgramState& program, int slot) {
    InstrumentRecord& r = program.Slot(slot);
    if (!r.blockTransfer || r.blockReceiver.Active()) return;
    r.blockTransfer = false;
    if (r.blockReceiver.BlockReady()) {
        const std::string path = TempFolderOf(program) + "xbdump" + PlainInt(slot) + ".bin";
        if (!WriteBytes(path, r.blockReceiver.TakeBlock())) {
            program.prompter.ShowMessage(BinaryCalibrationOpenError(path, errno ? errno : EIO));
        } else if (LoadBinaryCalibration(path, r.Calibration(), program.prompter)) {
            r.dumpCfgComplete = true;
        }
        DeleteFileQuietly(path);
    }
    r.lastCommand.clear();
}

bool ReadFamilyCalibration(ConnectionContext& ctx, int slot) {
    InstrumentRecord& r = ctx.program.Slot(slot);
    if (IsSingleChannel(r.instrumentType)) return ReadCalFromXLumo(ctx, slot);
    if (ReadCalFromVN(ctx, slot)) return true;
    // older Vantor firmware answers only the dumps
    if (!IsVantorFamily(r.instrumentType) || LinkLost(r)()) return false;
    return ReadCalPerChannel(ctx, slot);
}

}  // namespace

std::string CalibrationVerifyFailedMessage(int32_t code) {
    return "The calibration did not load properly (error code " + PlainInt(code) + ")." +
           "  Please try again.";
}

std::string StoreCalibrationQuestion(const std::string& model) {
    return "The calibration has been loaded and verified.  Store it in the " + model +
           "'s nonvolatile memory?";
}

std::string BinaryLoadFailedMessage(int attempts) {
    return "The load failed in " + PlainInt(attempts) + " attempts due to an unknown error.";
}

void RegisterCalibrationReplyHandlers(ReplyHandlerTable& table) {
    table.Register(kMultiCalCommand, HandleMultiCal);
    table.Register("MAKEINI", HandleMakeIni);
    table.Register("GCF", HandleGlobalDump);
    table.Register("CCL", [](ProgramState& p, int slot) {
        HandleChannelDump(p, slot, p.Slot(slot).cclComplete);
    });
    table.Register("CCF", [](ProgramState& p, int slot) {
        HandleChannelDump(p, slot, p.Slot(slot).ccfComplete);
    });
    table.Register("DUMPCFG", HandleDumpCfg);
}

bool ReadCalFromVN(ConnectionContext& ctx, int slot) {
    ProgramState& program = ctx.program;
    RegisterCalibrationReplyHandlers(program.replyHandlers);
    InstrumentRecord& r = program.Slot(slot);
    CalibrationDataClass& cal = FreshCalibration(r);
    Status(ctx, slot, kLoadingCalibrationStatus, kLoadingCalibrationWindowStatus);
    if (!SendCommand(program, "sendcal", slot)) return false;
    r.lastCommand = kMultiCalCommand;
    r.calTextComplete = false;
    r.replyLines.clear();
    // a reply that filled the kept lines without completing never will (a Vantor-6 calibration
    // with offsets is longer): no use waiting for it
    const auto full = [&r] { return r.replyLines.size() >= static_cast<size_t>(kMaxReplyLines); };
    const WaitResult w =
        ctx.waiter.WaitUntil([&] { return r.calTextComplete || full(); },
                             OutputDrainSeconds(r) + kCalReplySeconds, LinkLost(r));
    if (w != WaitResult::kDone || !r.calTextComplete) {
        r.lastCommand.clear();
        return false;
    }
    BringUpToDate(ctx, cal);
    return true;
}

bool ReadCalPerChannel(ConnectionContext& ctx, int slot) {
    ProgramState& program = ctx.program;
    RegisterCalibrationReplyHandlers(program.replyHandlers);
    InstrumentRecord& r = program.Slot(slot);
    CalibrationDataClass& cal = FreshCalibration(r);
    Status(ctx, slot, kLoadingCalibrationStatus, kCheckingGlobalStatus);
    r.gcfComplete = false;
    if (!SendAndWait(ctx, slot, "GCF", "", [&r] { return r.gcfComplete; })) return false;
    const int channels = std::max(cal.ChannelCount(), 0);
    for (int n = 1; n <= channels; ++n) {
        Status(ctx, slot, " Loading channel " + PlainInt(n), " Checking channel " + PlainInt(n));
        r.cclComplete = false;
        if (!SendAndWait(ctx, slot, "CCL", PlainInt(n), [&r] { return r.cclComplete; }))
            return false;
        if (cal.DeviceType != kVantor6) continue;
        r.ccfComplete = false;
        if (!SendAndWait(ctx, slot, "CCF", PlainInt(n), [&r] { return r.ccfComplete; }))
            return false;
    }
    BringUpToDate(ctx, cal);
    return true;
}

bool ReadCalFromXLumo(ConnectionContext& ctx, int slot) {
    ProgramState& program = ctx.program;
    RegisterCalibrationReplyHandlers(program.replyHandlers);
    InstrumentRecord& r = program.Slot(slot);
    CalibrationDataClass& cal = FreshCalibration(r);
    Status(ctx, slot, kLoadingCalibrationStatus, kLoadingCalibrationWindowStatus);
    if (!SendCommand(program, "DUMPCFG", slot)) return false;
    r.dumpCfgComplete = false;
    r.blockTransfer = false;
    // the receiver asks for the block only once the command has gone out
    const double start = program.Now();
    WaitResult w = ctx.waiter.WaitUntil([&r] { return r.outputQueue.empty(); },
                                        OutputDrainSeconds(r) + kCalReplySeconds, LinkLost(r));
    if (w == WaitResult::kDone) {
        r.blockTransfer = true;
        r.blockReceiver.Start();
        const double spent = (program.Now() - start) * 86400.0;
        w = ctx.waiter.WaitUntil([&r] { return r.lastCommand != "DUMPCFG"; },
                                 kCalReplySeconds - spent, LinkLost(r));
    }
    if (w != WaitResult::kDone) {
        r.blockTransfer = false;
        r.lastCommand.clear();
    }
    SendCommand(program, "power1", slot);
    BringUpToDate(ctx, cal);
    return r.dumpCfgComplete;
}

bool ReadCalFromInstrument(ConnectionContext& ctx, int slot) {
    InstrumentRecord& r = ctx.program.Slot(slot);
    r.calibrationLoaded = false;
    r.calibrationLoaded = ReadFamilyCalibration(ctx, slot);
    return r.calibrationLoaded;
}

std::shared_ptr<CalibrationDataClass> ReadCalibrationAside(ConnectionContext& ctx, int slot) {
    InstrumentRecord& r = ctx.program.Slot(slot);
    const std::shared_ptr<CalibrationDataClass> kept = r.calibration;
    const bool read = ReadFamilyCalibration(ctx, slot);
    std::shared_ptr<CalibrationDataClass> other = r.calibration;
    r.calibration = kept;
    return read ? other : nullptr;
}

bool SendToVN(ConnectionContext& ctx, int slot, const CalibrationDataClass& cal) {
    ProgramState& program = ctx.program;
    RegisterCalibrationReplyHandlers(program.replyHandlers);
    InstrumentRecord& r = program.Slot(slot);
    bool channelsSent = false;
    auto breakOff = [&] {
        if (channelsSent) program.prompter.ShowMessage(kNotCompletelyLoadedMessage);
        return false;
    };

    Status(ctx, slot, kSendingCalibrationStatus, kSendingCalibrationStatus);
    if (!SendAndAwaitPrompt(ctx, slot, "")) return breakOff();
    const int channels = std::max(cal.ChannelCount(), 0);
    for (int n = 1; n <= channels; ++n) {
        Status(ctx, slot, "Sending channel " + PlainInt(n), "Sending channel " + PlainInt(n));
        channelsSent = true;
        if (!SendAndAwaitPrompt(ctx, slot, ChannelUploadLine(cal, n))) return breakOff();
        if (cal.HasOffsets() && !SendAndAwaitPrompt(ctx, slot, OffsetUploadLine(cal, n)))
            return breakOff();
    }

    Status(ctx, slot, kSendingGlobalStatus, kSendingGlobalStatus);
    if (!SendAndAwaitPrompt(ctx, slot, "GETTIME") ||
        !SendAndAwaitPrompt(ctx, slot, "date," + InstrumentDateTimeText(cal.CalTime)) ||
        !SendAndAwaitPrompt(ctx, slot,
                            "gcf," + PlainSingle(cal.CalTemp) + "," + PlainSingle(cal.DepthCal) +
                                "," + PlainSingle(cal.DepthOff))) {
        return breakOff();
    }

    std::shared_ptr<CalibrationDataClass> readBack;
    for (;;) {
        Status(ctx, slot, kComparingStatus, kRetrievingStatus);
        readBack = ReadCalibrationAside(ctx, slot);
        if (readBack) break;
        if (program.prompter.Ask(kReadBackFailedQuestion, {"Try Again", "Cancel"}) != 1)
            return breakOff();
    }
    const int32_t differences = cal.Compare(*readBack);
    if (differences != 0) {
        program.prompter.ShowMessage(CalibrationVerifyFailedMessage(differences));
        return false;
    }

    if (program.prompter.Ask(StoreCalibrationQuestion(r.modelName), {"Yes", "No"}) == 1) {
        Status(ctx, slot, kStoringChannelStatus, kSavingNonvolatileStatus);
        r.storeComplete = false;
        if (!SendAndWait(ctx, slot, "STORECCL", "", [&r] { return r.storeComplete; }))
            return breakOff();
        Status(ctx, slot, kStoringGlobalStatus, kStoringGlobalStatus);
        r.storeComplete = false;
        if (!SendAndWait(ctx, slot, "STOREGCF", "", [&r] { return r.storeComplete; }))
            return breakOff();
    }
    return true;
}

bool SendToXLumo(ConnectionContext& ctx, int slot, const CalibrationDataClass& cal) {
    ProgramState& program = ctx.program;
    InstrumentRecord& r = program.Slot(slot);
    std::string image;
    if (!BuildBinaryImage(cal, image)) {
        program.prompter.ShowMessage(kBadParametersMessage);
        return false;
    }
    // kept for whoever wants to look at what was sent
    WriteBytes(TempFolderOf(program) + "xbtemp.bin", image);

    struct ClearCommand {
        InstrumentRecord& r;
        ~ClearCommand() { r.lastCommand.clear(); }
    } clearAtEnd{r};

    r.configDump.clear();
    if (!SendCommand(program, kLoadCfgCommand, slot)) return false;
    const WaitResult ready =
        ctx.waiter.WaitUntil([&r] { return AnswerBeginsWith(r.configDump, 'C'); },
                             OutputDrainSeconds(r) + kBinaryAnswerSeconds, LinkLost(r));
    if (ready != WaitResult::kDone) {
        program.prompter.ShowMessage(kNoLoadResponseMessage);
        return false;
    }

    unsigned sum = 0;
    for (char b : image) sum += static_cast<unsigned char>(b);
    std::string frame;
    frame += kStartOfBlock;
    frame += static_cast<char>(1);
    frame += static_cast<char>(254);
    frame += image;
    frame += static_cast<char>(sum & 0xFF);
    bool accepted = false;
    int attempts = 0;
    while (attempts < kBinaryUploadAttempts && !accepted) {
        ++attempts;
        r.configDump.clear();
        if (r.port) r.port->Write(frame);
        const WaitResult answered = ctx.waiter.WaitUntil(
            [&r] { return BlockAnswer(r.configDump) != 0; }, kBinaryAnswerSeconds, LinkLost(r));
        if (answered == WaitResult::kCancelled) break;
        accepted = answered == WaitResult::kDone && BlockAnswer(r.configDump) == kAcknowledge;
    }
    if (!accepted) {
        program.prompter.ShowMessage(BinaryLoadFailedMessage(attempts));
        return false;
    }

    const WaitResult confirmed = ctx.waiter.WaitUntil(
        [&r] {
            return r.configDump.find("not saved") != std::string::npos ||
                   r.configDump.find("Data saved") != std::string::npos;
        },
        kBinaryAnswerSeconds, LinkLost(r));
    if (confirmed != WaitResult::kDone || r.configDump.find("not saved") != std::string::npos) {
        program.prompter.ShowMessage(kBinaryNotConfirmedMessage);
        return false;
    }
    program.prompter.ShowMessage(kBinaryStoredMessage);
    return true;
}

}  // namespace tidewell
