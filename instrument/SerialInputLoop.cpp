#include "instrument/SerialInputLoop.h"

#include <algorithm>

#include "calibration/Conversion.h"
#include "files/CastList.h"
#include "files/DatFile.h"
#include "files/Recording.h"
#include "instrument/ProgramState.h"
#include "instrument/ReplyHandler.h"
#include "stream/Decoder.h"
#include "stream/StarPackets.h"
#include "stream/TextHelpers.h"

namespace tidewell {

namespace {

// Link state and instrument messages from one complete line.
void FollowLine(InstrumentRecord& r, const std::string& line) {
    if (r.instrumentMessages && r.observer && IsInstrumentMessage(line, r.lastCommand)) {
        r.observer->ShowInstrumentMessage(r.index, InstrumentMessageText(r.serialNumber, line));
    }
    ApplyLinePhrases(line, r.downloading, r.link);
}

}  // namespace

void ProcessSerialInputTimer_Timer(ProgramState& program, int slot) {
    InstrumentRecord& r = program.Slot(slot);
    // a window's dialog may let events run inside a tick; the tick must not run inside itself
    if (r.tickRunning) return;
    struct Running {
        bool& flag;
        explicit Running(bool& f) : flag(f) { flag = true; }
        ~Running() { flag = false; }
    } running(r.tickRunning);
    if (r.PortOpen()) {
        ReadPortInput(program, slot);
        HandleReply(program, slot);
        if (r.observer) r.observer->UpdateTerminal(slot);
        SendQueuedOutput(program, slot);
        if (r.PortOpen() && !r.port->LinkError().empty())
            EndLostLink(program, slot, r.port->LinkError());
    }
    UpdateStatus(program, slot, false);
    ProcessQueuedSamples(program, slot);
    FlushRecordingIfDue(r.recording, program.Now(), program.prompter);
}

void ReadPortInput(ProgramState& program, int slot) {
    InstrumentRecord& r = program.Slot(slot);
    const std::string chunk = r.port ? r.port->ReadAll() : std::string();
    if (!chunk.empty()) {
        r.lastReceiveTime = program.Now();
        r.unroutedText += chunk;
        if (r.unroutedText.size() > kMaxUnroutedText) {
            r.unroutedText.erase(0, r.unroutedText.size() - kMaxUnroutedText);
        }
        AppendRaw(r.recording, chunk);
    }
    r.pendingInput.Append(chunk);

    if (r.downloading && HoldsCastEnd(r.pendingInput.Pending())) r.endOfCast = true;
    if (r.blockTransfer && r.blockReceiver.Active()) {
        if (r.blockReceiver.Receive(chunk)) r.pendingInput.Clear();
        return;
    }
    if (r.lastCommand == "LOADCFG") {
        r.configDump += chunk;
        r.pendingInput.Clear();
        return;
    }

    if (!r.pendingInput.Empty()) {
        program.activityCounter = 1;
        r.receiving = true;
    } else {
        if (--program.activityCounter < 0) {
            program.activityCounter = -1;
            r.receiving = false;
        }
        return;
    }

    while (std::optional<std::string> line = r.pendingInput.NextLine()) {
        r.lastLine = *line;
        FollowLine(r, *line);
        RouteLine(program, slot, *line);
        if (!line->empty() && !r.lastCommand.empty() &&
            r.replyLines.size() < static_cast<size_t>(kMaxReplyLines)) {
            r.replyLines.push_back(std::move(*line));
        }
    }
    ApplyPartialLinePhrases(r.pendingInput.Pending(), r.link);
}

bool RouteLine(ProgramState& program, int slot, const std::string& line) {
    InstrumentRecord& r = program.Slot(slot);
    r.terminalQueue.Add(line);
    ++r.lineCounts.lines;
    const LineKind kind = ClassifyLine(line);
    switch (kind) {
        case kDPacket:
        case kTPacket:
        case kAPacket:
        case kCPacket:
        case kSingleDecimalLine:
        case kSingleDecimalLongLine:
        case kTwoChannelLongLine:
        case kTwoChannelShortLine:
            r.dataQueue.Add(line);
            if (kind == kSingleDecimalLongLine || kind == kTwoChannelLongLine) {
                r.lastLineTime = program.Now();
            }
            if (r.downloading) ++r.downloadLineCount;
            break;
        case kHPacket:
            r.lastLineTime = program.Now();
            DecodeHeaderPacket(line, r.header);
            break;
        case kVPacket:
        case kRatioDecimalLine:
            r.lastLineTime = program.Now();
            r.dataQueue.Add(line);
            break;
        case kIPacket:
            r.lastLineTime = program.Now();
            break;
        default:
            if (line.size() > kLongestLineBytes)
                ++r.lineCounts.overLong;
            else
                r.lineCounts.CountNonSample(line);
            return false;
    }
    r.unroutedText.clear();
    return true;
}

void SendQueuedOutput(ProgramState& program, int slot) {
    InstrumentRecord& r = program.Slot(slot);
    if (r.outputQueue.empty()) return;
    const bool fast = IsVantorFamily(r.instrumentType) && r.link.state != kLinkSleeping;
    const size_t n = fast ? std::min<size_t>(r.outputQueue.size(), kCharactersPerTick) : 1;
    if (r.port) r.port->Write(std::string_view(r.outputQueue).substr(0, n));
    r.outputQueue.erase(0, n);
    if (r.outputQueue.empty()) r.lastSendComplete = program.Now();
}

std::string LinkLostMessage(const std::string& port, const std::string& reason) {
    return "The link to the instrument on " + port + " was lost: " + reason + ".";
}

void EndLostLink(ProgramState& program, int slot, const std::string& reason) {
    InstrumentRecord& r = program.Slot(slot);
    r.linkLostText = LinkLostMessage(r.portName, reason);
    if (r.port) r.port->Close();
    r.outputQueue.clear();
    r.identified = false;
    r.blockTransfer = false;
    r.link.state = kLinkNoConnection;
    r.cancelRequest = kCancelRequested;
    program.prompter.ShowMessage(r.linkLostText);
}

void UpdateStatus(ProgramState& program, int slot, bool force) {
    InstrumentRecord& r = program.Slot(slot);
    if (!ApplyNoDataRule(r.link, program.Now(), r.lastReceiveTime, r.lastSendComplete, force)) {
        return;
    }
    if (r.observer) {
        r.observer->ShowLinkStatus(slot, r.link.state,
                                   LinkStatusText(r.link.state, r.link.countdown));
    }
}

void ProcessQueuedSamples(ProgramState& program, int slot) {
    InstrumentRecord& r = program.Slot(slot);
    const DataFileState& files = r.recording.files;
    if (!files.shownRawFile.empty() || !files.shownDatFile.empty()) return;
    const bool includeBeta = program.settings.bbPrefs.IncludeBetaInDatFiles;
    const int n = r.dataQueue.size();

    if (r.downloading) {
        if (!files.datFile.IsOpen()) {
            r.dataQueue.Clear();
            return;
        }
        const ConversionContext context(r.Calibration(), program.settings.Sigma,
                                        program.settings.bbPrefs);
        for (int i = 0; i < n; ++i) {
            const std::string line = r.dataQueue.GetNext();
            if (DecodeAndConvert(line, context, r.converted, r.instrumentType, r.lastSample)) {
                WriteDatRow(r.recording.files.datFile, r.converted, r.instrumentType, includeBeta);
                ++r.lineCounts.samples;
            }
        }
        return;
    }

    if (n == 0 || !r.calibrationLoaded) return;
    const ConversionContext context(r.Calibration(), program.settings.Sigma,
                                    program.settings.bbPrefs);
    SampleRecord record{};  // the tick's own record: each line writes only its fields
    for (int i = 0; i < n; ++i) {
        const std::string line = r.dataQueue.GetNext();
        // a line that is no sample ends this tick's processing; the rest wait
        if (!DecodeLine(line, r.instrumentType, record)) return;
        r.lastSample = record;
        if (r.lineForwarding && r.forwardLine) r.forwardLine(line);
        ConvertSample(record, context, r.converted);
        if (r.converted.time == 0) r.converted.time = program.Now();
        WriteDatRow(r.recording.files.datFile, r.converted, r.instrumentType, includeBeta);
        if (files.datFile.IsOpen()) ++r.lineCounts.samples;
        for (const SampleSink& sink : r.sampleSinks) sink(slot, r.converted, record);
        ++r.sampleCount;
    }
}

}  // namespace tidewell
