#pragma once
// Everything the program holds while it runs, in one object that is passed down: the seven
// connection slots, the program-wide cancel flag, the settings in memory, the clock, the user's
// prompter and the reply handlers. Nothing of it is global, so tests build as many as they
// need.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "files/Recording.h"
#include "instrument/InstrumentRecord.h"
#include "instrument/ReplyHandler.h"
#include "instrument/SerialPortIo.h"
#include "settings/AppSettings.h"
#include "settings/SettingsStore.h"
#include "stream/Clock.h"
#include "stream/Prompter.h"

namespace tidewell {

// Makes the port object of a slot.
using PortFactory = std::function<std::unique_ptr<SerialPortIo>()>;

// What the instrument engine asks of the rest of the program.
struct ProgramHooks {
    // Shows the connection dialog for the slot, modally; true when an instrument is identified
    // afterwards. Unset: no dialog, the command is not sent.
    std::function<bool(int slot)> connect;
    // Opens new recording files for a start command when the window has none open. -1 when the
    // user cancelled (the command is then not sent). Unset: the start goes ahead without files.
    std::function<int(int slot)> openRecordingForStart;
};

class ProgramState {
  public:
    // Every slot gets a port from `makePort`; without one, the platform's serial port.
    ProgramState(const Clock& clock, Prompter& prompter, SettingsStore& store,
                 PortFactory makePort = {});
    ProgramState(const ProgramState&) = delete;
    ProgramState& operator=(const ProgramState&) = delete;

    // Slot 0-6; any other index throws std::out_of_range.
    InstrumentRecord& Slot(int slot);
    const InstrumentRecord& Slot(int slot) const;

    double Now() const { return clock.Now(); }

    const Clock& clock;
    Prompter& prompter;
    SettingsStore& store;
    AppSettings settings;  // the settings in memory
    // 1 while a file load, a batch or a cast transfer runs; the Cancel button sets -1.
    int32_t cancelFlag = 0;
    // Whether any text is arriving, over all slots: 1 after text, counting down to -1.
    int32_t activityCounter = 0;
    // The longest tick of any window so far, in seconds of the computer's time.
    double longestTickSeconds = 0;
    ProgramHooks hooks;
    ReplyHandlerTable replyHandlers;

  private:
    std::array<InstrumentRecord, kSlotCount> slots_;
};

// The usual start hook: new recording files ("raw" with a calibrated file) through the files
// layer, with the window's fields brought up to date first. The context must outlive the
// program state's use of the hook.
std::function<int(int slot)> OpenRecordingOnStart(ProgramState& program, RecordingContext& context);

}  // namespace tidewell
