#include "instrument/ProgramState.h"

#include <stdexcept>

#include "instrument/QtSerialPortIo.h"

namespace tidewell {

ProgramState::ProgramState(const Clock& clockIn, Prompter& prompterIn, SettingsStore& storeIn,
                           PortFactory makePort)
    : clock(clockIn), prompter(prompterIn), store(storeIn) {
    if (!makePort) makePort = [] { return std::make_unique<QtSerialPortIo>(); };
    for (int i = 0; i < kSlotCount; ++i) {
        InstrumentRecord& r = slots_[static_cast<size_t>(i)];
        r.index = i;
        r.recording.index = i;
        r.port = makePort();
        // the block receiver answers the instrument directly, past the output queue
        r.blockReceiver.SetWriter([&r](std::string_view text) {
            if (r.port) r.port->Write(text);
        });
    }
    RegisterStandardReplyHandlers(replyHandlers);
}

InstrumentRecord& ProgramState::Slot(int slot) {
    if (slot < 0 || slot >= kSlotCount) throw std::out_of_range("connection slot");
    return slots_[static_cast<size_t>(slot)];
}

const InstrumentRecord& ProgramState::Slot(int slot) const {
    if (slot < 0 || slot >= kSlotCount) throw std::out_of_range("connection slot");
    return slots_[static_cast<size_t>(slot)];
}

std::function<int(int slot)> OpenRecordingOnStart(ProgramState& program,
                                                  RecordingContext& context) {
    return [&program, &context](int slot) {
        InstrumentRecord& r = program.Slot(slot);
        r.Calibration();
        r.SyncRecordingWindow();
        return OpenDataFiles(r.recording, "raw", true, context);
    };
}

}  // namespace tidewell
