#pragma once
// What the terminal window of a connection shows: the text renderings of decoded samples in its
// four display modes, the status panels it keeps current, the instrument's unrouted text for
// its response box, and the edits of that box. Plain functions of the slot's records; the
// window only puts the texts on screen.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calibration/CalibratedSample.h"
#include "stream/SampleRecord.h"

namespace tidewell {

class ProgramState;

enum class TerminalMode { kRawHex, kRawDecimal, kCalibrated, kSigmaCorrected };

// `text` preceded by blanks up to `width` characters; a longer text is returned whole.
std::string PadLeft(std::string_view text, size_t width);

// Raw Decimal for eight-channel samples: time, the eight raw counts, the eight gains, the depth
// counts, the temperature and the tail code.
std::string CountsLine(const SampleRecord& sample);
// Calibrated (or, `corrected`, Sigma Corrected): bb of each valid channel, 15 wide.
std::string BbLine(const CalibratedSample& sample, bool corrected);
// Raw Decimal for single-channel packets, in the field order of a single-channel decimal line.
std::string SingleDecimalLine(const SampleRecord& sample);
// Calibrated for single-channel samples: six labelled lines.
std::string SingleChannelBlock(const CalibratedSample& sample);

// The result of one terminal update.
struct TerminalUpdate {
    std::vector<std::string> blocks;  // to append to the data box, each ending with CR LF
    int processed = 0;                // lines taken from the terminal queue
    std::string depthPanel;           // set when a line was processed
    std::string temperaturePanel;
    std::string voltagePanel;
};

// Takes every line waiting in the slot's terminal queue, decodes and converts it into the slot's
// records (conversion only while a calibration is loaded, chosen by the line's kind) and renders
// it for `mode`.
TerminalUpdate UpdateTerminal(ProgramState& program, int slot, TerminalMode mode, bool feet);

// The slot's unrouted text as the response box shows it: while the port is open, the text cut
// to start at round(0.2 x maxLength) when longer than `maxLength` (the slot keeps the cut text),
// without a leading CR LF or CR. While the port is closed the unrouted text is emptied, and so
// is the box.
std::string ResponseText(ProgramState& program, int slot, size_t maxLength);

// The response box without its trailing sample line: empty when the whole text is one sample
// line; cut before the CR that opens the last line when the text between the last two CRs is a
// sample line; otherwise unchanged.
std::string RemoveDataLines(const std::string& text);

inline constexpr const char* kNoConnectionForCommands =
    "No commands can be sent because no connection is active. Use the Connect command to open a "
    "connection";

// A key other than Enter typed in the command box: written to the port at once, so the
// instrument sees each keystroke as it is typed. False, and nothing sent, when the port is not
// open.
bool TypeTerminalKey(ProgramState& program, int slot, char key);
// Enter in the command box: the typed text becomes the outstanding command (its reply lines are
// collected afresh and handled as if the program had sent it) and CR replaces the output queue.
// False when the port is not open.
bool EnterTerminalCommand(ProgramState& program, int slot, const std::string& command);

// How many characters to drop from the start of the data box before appending a line: as many as
// the line has when the box's text and the line together reach the box's maximum length.
size_t DataBoxCut(size_t textLength, size_t lineLength, size_t maxLength);

}  // namespace tidewell
