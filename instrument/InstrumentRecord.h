#pragma once
// One connection slot: everything the program knows about the instrument on it, the link, the
// command in progress and its reply, the input not yet cut into lines, and, for the slots of
// data windows, the window's queues, recording files and subscribers. Seven slots exist (0-6);
// slots 0-5 belong to data windows.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "calibration/CalibratedSample.h"
#include "calibration/CalibrationData.h"
#include "files/Recording.h"
#include "instrument/SerialPortIo.h"
#include "stream/BlockReceiver.h"
#include "stream/LineCounts.h"
#include "stream/LineCutter.h"
#include "stream/LinkState.h"
#include "stream/Models.h"
#include "stream/SampleRecord.h"
#include "stream/StringQueue.h"

namespace tidewell {

inline constexpr int kSlotCount = 7;
inline constexpr int kWindowSlotCount = 6;
// Reply lines kept for one command; later lines are dropped.
inline constexpr int kMaxReplyLines = 200;
// The value of the cancel request that asks a connection's waits to give up.
inline constexpr int32_t kCancelRequested = 22;
// Capacity of the data and terminal queues (each holds one less) and of the cast list.
inline constexpr int kLineQueueSize = 1000;
inline constexpr int kCastListSize = 200;

// The instrument's sampling set-up as last read from it.
struct SamplingParameters {
    float period = 0;  // seconds
    int32_t startDelay = 0;
    bool sleepWhenMemoryFull = false;
    bool startOnPowerUp = false;
    bool burstMode = false;
    int32_t burstWarmup = 0;  // seconds
    int32_t burstLength = 0;  // seconds
    float burstInterval = 0;  // minutes
    float totalDuration = 0;  // hours
    bool hexadecimalFormat = true;
    bool shutterEnabled = false;
    bool shutterAutomatic = false;
    float shutterOperateTime = 0;  // seconds
    bool shutterCounterClockwise = false;
    int fluorescenceMode[2] = {};  // 0 bb only, 1 fl only, 2 time-share
    bool complete = false;         // the reply has been read
};

// What a data window wants to hear from its slot. Every method has a do-nothing default.
class DataWindowObserver {
  public:
    virtual ~DataWindowObserver() = default;
    // The status update refreshed the display: the state and its text ("Starting:12 s", ...);
    // no text (a cast being deleted) leaves the text shown as it was.
    virtual void ShowLinkStatus(int /*slot*/, int32_t /*state*/,
                                const std::optional<std::string>& /*text*/) {}
    // Once per tick while the port is open: the terminal takes its queued lines.
    virtual void UpdateTerminal(int /*slot*/) {}
    // A line beginning with "!" while the window's instrument-message flag is set.
    virtual void ShowInstrumentMessage(int /*slot*/, const std::string& /*text*/) {}
    // A start command is about to go out: the window's input timer must run.
    virtual void EnableInputTimer(int /*slot*/) {}
};

// Receives every live sample after conversion, in order. The graph, the value box and any
// other view subscribe here; they must not block.
using SampleSink =
    std::function<void(int slot, const CalibratedSample& sample, const SampleRecord& record)>;

struct InstrumentRecord {
    int index = 0;  // the slot number 0-6

    // --- The port.
    std::unique_ptr<SerialPortIo> port;
    std::string portName;  // the device of the link ("" when none)
    int32_t baudRate = 0;

    // --- The instrument.
    bool identified = false;
    int32_t instrumentType = kUnknownType;
    std::string modelName;
    std::string serialNumber;
    // The third and fourth fields of the identification reply; the first tells whether a
    // Vantor-family instrument has a shutter.
    std::string identification1;
    std::string identification2;
    std::string firmwareVersion = "0";  // "0" until the version reply
    bool calibrationLoaded = false;
    // The slot's calibration; a missing one is created empty when first needed.
    std::shared_ptr<CalibrationDataClass> calibration;

    // --- The link.
    LinkState link;
    bool receiving = false;     // text arrived in the last read
    int32_t cancelRequest = 0;  // kCancelRequested asks the connection's waits to give up
    // Why the link was lost (the port failed under it; see EndLostLink); "" while it holds and
    // after a deliberate close. Opening the port clears it.
    std::string linkLostText;

    // --- Commands and replies.
    std::string outputQueue;              // characters still to be sent
    std::string lastCommand;              // upper-cased name of the command whose reply is awaited
    std::vector<std::string> replyLines;  // at most kMaxReplyLines
    double lastSendComplete = 0;          // date value: command issued, or output queue emptied
    double commandTime = 0;               // date value: command issued
    bool idComplete = false;              // the identification reply is complete
    // Completion flags of the calibration exchanges and the store commands.
    bool calTextComplete = false;  // whole calibration as text
    bool gcfComplete = false;
    bool cclComplete = false;
    bool ccfComplete = false;
    bool makeIniComplete = false;
    bool dumpCfgComplete = false;
    bool storeComplete = false;  // "..OK" after a store command

    // --- Input.
    double lastReceiveTime = 0;  // date value: text arrived
    double lastLineTime = 0;     // date value: a data, header or information line was routed
    LineCutter pendingInput;     // received text not yet cut into lines
    std::string unroutedText;    // text received since the last routed line
    std::string lastLine;        // the last complete line
    std::string configDump;      // everything received while LOADCFG is outstanding
    SampleRecord lastSample;     // the last decoded sample
    HeaderRecord header;         // from the last H packet
    bool tickRunning = false;    // a tick of this slot is under way (no tick inside a tick)
    // The lines routed and their losses; its samples are the rows written to the calibrated
    // recording file (live or from a cast).
    LineCounts lineCounts;

    // --- Block transfer.
    bool blockTransfer = false;
    BlockReceiver blockReceiver;

    // --- Cast transfer.
    bool downloading = false;
    bool endOfCast = false;
    int32_t downloadLineCount = 0;
    StringQueue castList;
    bool directoryComplete = false;

    // --- Clock and sampling set-up.
    double clockOffset = 0;  // days: instrument time minus computer time
    bool timeReceived = false;
    SamplingParameters sampling;

    // --- The data window of the slot (slots 0-5).
    RecordingWindow recording;        // recording files and the unsaved-data flag
    StringQueue dataQueue;            // sample lines waiting for the live processing
    StringQueue terminalQueue;        // every line, for the terminal window
    CalibratedSample converted;       // the last converted sample
    int64_t sampleCount = 0;          // live samples processed
    bool instrumentMessages = false;  // show lines beginning with "!"
    // A second object that receives a copy of each processed data line, while forwarding.
    bool lineForwarding = false;
    std::function<void(const std::string&)> forwardLine;
    std::vector<SampleSink> sampleSinks;
    DataWindowObserver* observer = nullptr;

    InstrumentRecord();
    InstrumentRecord(const InstrumentRecord&) = delete;
    InstrumentRecord& operator=(const InstrumentRecord&) = delete;

    bool PortOpen() const { return port && port->IsOpen(); }
    // The slot's calibration, created empty when missing.
    CalibrationDataClass& Calibration();
    // The instrument has a shutter: a Vantor-family model whose first identification field
    // holds "T" but not "T0".
    bool HasShutter() const;
    // The recording window's copy of what the slot knows (type, serial, link state,
    // calibration), brought up to date before the files layer reads it.
    void SyncRecordingWindow();
};

}  // namespace tidewell
