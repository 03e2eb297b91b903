#include "instrument/ReplyHandler.h"

#include "instrument/Commands.h"
#include "instrument/ProgramState.h"
#include "settings/SettingsKeys.h"
#include "stream/NumberText.h"
#include "stream/TextHelpers.h"

namespace tidewell {

void ReplyHandlerTable::Register(const std::string& command, ReplyHandler handler) {
    handlers_[command] = std::move(handler);
}

const ReplyHandler* ReplyHandlerTable::Find(const std::string& command) const {
    auto it = handlers_.find(command);
    return it == handlers_.end() ? nullptr : &it->second;
}

void HandleReply(ProgramState& program, int slot) {
    InstrumentRecord& r = program.Slot(slot);
    if (r.lastCommand.empty()) return;
    if (const ReplyHandler* handler = program.replyHandlers.Find(r.lastCommand)) {
        (*handler)(program, slot);
    }
}

namespace {

// The text after the first ": " of a line; "" when it has none.
std::string AfterColonBlank(const std::string& line) {
    const size_t at = line.find(": ");
    return at == std::string::npos ? std::string() : line.substr(at + 2);
}

// "AB1234": the whole answer of an older single-channel instrument.
bool IsOldSingleChannelAnswer(const std::string& line) {
    if (line.size() < 3 || line[1] != 'B' || (line[0] != 'A' && line[0] != 'C')) return false;
    double value = 0;
    return ReadWholeDecimal(std::string_view(line).substr(2), value);
}

void ParseModernIdentification(InstrumentRecord& r, size_t k) {
    const std::vector<std::string>& lines = r.replyLines;
    auto line = [&lines](size_t i) -> const std::string& {
        static const std::string kEmpty;
        return i < lines.size() ? lines[i] : kEmpty;
    };
    // the model follows the first ":" and one more character
    const std::string& modelLine = line(k + 1);
    const size_t colon = modelLine.find(':');
    std::string model = colon == std::string::npos || colon + 2 > modelLine.size()
                            ? std::string()
                            : modelLine.substr(colon + 2);
    if (model == "A-Lumo") model = "a-Lumo";
    if (model == "C-Lumo") model = "c-Lumo";
    r.modelName = model;
    r.serialNumber = AfterColonBlank(line(k + 2));
    r.identification1 = AfterColonBlank(line(k + 3));
    std::string second = AfterColonBlank(line(k + 4));
    for (size_t i = 0; i < second.size(); ++i) {
        if (static_cast<unsigned char>(second[i]) < 13) {
            second.resize(i);
            break;
        }
    }
    r.identification2 = second;

    // The reply is complete when the model's count of lines has arrived.
    struct Completion {
        const char* model;
        size_t linesAfterHeader;  // counting the header itself
        const char* name;         // the model's name in the program, or null to keep it
    };
    static const Completion kCompletions[] = {
        {"VN6", 8, "Vantor-6"}, {"VN2", 8, "Vantor-2"}, {"VN4", 8, "Vantor-4"},
        {"c-Lumo", 6, nullptr}, {"a-Lumo", 6, nullptr}, {"TREVAN-2", 6, "Trevan-2"},
    };
    for (const Completion& c : kCompletions) {
        if (!EqualsIgnoringCase(model, c.model)) continue;
        if (lines.size() >= k + c.linesAfterHeader) {
            if (c.name) r.modelName = c.name;
            r.idComplete = true;
            r.lastCommand.clear();
        }
        return;
    }
}

void HandleVersion(ProgramState& program, int slot) {
    InstrumentRecord& r = program.Slot(slot);
    for (const std::string& line : r.replyLines) {
        if (ContainsNoCase(line, "firmware")) r.firmwareVersion = PlainDouble(LeadingNumber(line));
    }
}

void HandleWake(ProgramState& program, int slot) {
    InstrumentRecord& r = program.Slot(slot);
    static const char* const kAwake[] = {"ready", "woke", "wak", "vn2", "vn6", "vn4"};
    for (const std::string& line : r.replyLines) {
        for (const char* phrase : kAwake) {
            if (ContainsNoCase(line, phrase)) {
                r.link.state = kLinkWaking;
                r.lastCommand.clear();
                return;
            }
        }
    }
}

void HandleStore(ProgramState& program, int slot) {
    InstrumentRecord& r = program.Slot(slot);
    for (const std::string& line : r.replyLines) {
        if (line.find("..OK") != std::string::npos) {
            r.storeComplete = true;
            r.lastCommand.clear();
            return;
        }
    }
}

// The instrument answers at the old rate; once the answer has gone out (nothing left in the
// queue or the port's buffer) the port follows it to the new rate.
void HandleBaud(ProgramState& program, int slot) {
    InstrumentRecord& r = program.Slot(slot);
    if (!r.outputQueue.empty() || !r.port || r.port->BytesToWrite() > 0) return;
    r.port->ClearReceiveBuffer();
    r.port->SetSettings(PortSettingsText(r.baudRate));
    program.store.Write(keys::Baud, PlainInt(r.baudRate));
    QueueOutput(program, slot, "\r");
    r.lastCommand.clear();
}

}  // namespace

void ParseIdentification(InstrumentRecord& r) {
    for (size_t k = 0; k < r.replyLines.size(); ++k) {
        const std::string& line = r.replyLines[k];
        if (line.find("Identification:") != std::string::npos) {
            ParseModernIdentification(r, k);
            return;
        }
        if (IsOldSingleChannelAnswer(line)) {
            r.modelName = line[0] == 'A' ? "a-Lumo" : "c-Lumo";
            r.serialNumber = line;
            r.identification1.clear();
            r.identification2.clear();
            r.idComplete = true;
            r.lastCommand.clear();
            return;
        }
    }
}

std::string ModelFromModelLine(std::string_view line) {
    const size_t at = LowerCase(line).find("model: ");
    if (at == std::string::npos) return std::string();
    const std::string_view text = line.substr(at + 7);
    static const struct {
        const char* text;
        const char* model;
    } kModels[] = {
        {"trevan-2", "Trevan-2"}, {"a-lumo", "a-Lumo"}, {"c-lumo", "c-Lumo"},
        {"vn2", "Vantor-2"},      {"vn4", "Vantor-4"},  {"vn6", "Vantor-6"},
    };
    for (const auto& m : kModels) {
        if (EqualsIgnoringCase(text, m.text)) return m.model;
    }
    return std::string(text);
}

void RegisterStandardReplyHandlers(ReplyHandlerTable& table) {
    table.Register("ID", [](ProgramState& p, int slot) { ParseIdentification(p.Slot(slot)); });
    table.Register("VER", HandleVersion);
    table.Register("WAKE", HandleWake);
    table.Register("STORECCL", HandleStore);
    table.Register("STOREGCF", HandleStore);
    table.Register("BAUD", HandleBaud);
    // these wait for nothing: the outstanding command stays until the next one
    for (const char* quiet : {"DOWNLOAD", "SLEEP", "ECHOON", "ECHOOFF"}) {
        table.Register(quiet, [](ProgramState&, int) {});
    }
}

}  // namespace tidewell
