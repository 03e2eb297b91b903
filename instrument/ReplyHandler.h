#pragma once
// The reply handler: once per tick, while a command is outstanding, the handler registered for
// that command looks at the reply lines collected so far and decides whether the reply is
// complete (it then clears the outstanding command). A reply that never completes is dropped
// by the next command.
//
// The handlers of identification, version, wake-up, the store commands and the rate change
// are built in; the exchanges of the calibration, the cast list, the sampling set-up and the
// clock register theirs in the program state's table.

#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace tidewell {

class ProgramState;
struct InstrumentRecord;

using ReplyHandler = std::function<void(ProgramState& program, int slot)>;

class ReplyHandlerTable {
  public:
    // Installs (or replaces) the handler of an outstanding command name (upper case).
    void Register(const std::string& command, ReplyHandler handler);
    // The handler of the name, or nullptr.
    const ReplyHandler* Find(const std::string& command) const;

  private:
    std::map<std::string, ReplyHandler, std::less<>> handlers_;
};

// ID, VER, WAKE, STORECCL, STOREGCF, BAUD; DOWNLOAD, SLEEP, ECHOON and ECHOOFF wait for nothing.
void RegisterStandardReplyHandlers(ReplyHandlerTable& table);

// Runs the handler of the slot's outstanding command, if there is one.
void HandleReply(ProgramState& program, int slot);

// The identification reply. The modern form: a line holding "Identification:", then the model,
// the serial number and two more fields, each after its label; complete once the model's count
// of lines has arrived. The old single-channel form: one line "AB" or "CB" and a number.
void ParseIdentification(InstrumentRecord& record);

// The model named on a "model: " line (any case), as the program names it: "vn6" becomes
// "Vantor-6", "a-lumo" becomes "a-Lumo"; other text is kept as it stands. "" without the label.
std::string ModelFromModelLine(std::string_view line);

}  // namespace tidewell
