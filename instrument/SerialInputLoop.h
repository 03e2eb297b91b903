#pragma once
// The periodic handler of a data window, every 50 ms: all serial work happens here, on the
// user-interface thread. It reads what arrived, copies it to the raw recording file, cuts it
// into lines, follows the link state, routes each line (sample lines to the data queue, every
// line to the terminal queue), collects reply lines while a command is outstanding, runs the
// reply handler, writes a few queued characters, updates the status, and converts the queued
// sample lines (writing calibrated rows and feeding the window's subscribers).
//
// A tick never waits: it reads only what is there and writes at most 10 characters. A port
// that fails under it (the device vanished or hung up) ends the link at the end of the tick.

#include <string>

namespace tidewell {

class ProgramState;

// Writes at most this many queued characters per tick (one to instruments outside the Vantor
// family and to a sleeping Vantor).
inline constexpr int kCharactersPerTick = 10;
// Unrouted text beyond this is cut from the front (only the terminal shows it, and only its
// end).
inline constexpr size_t kMaxUnroutedText = 1 << 20;

// One tick of the slot's window.
void ProcessSerialInputTimer_Timer(ProgramState& program, int slot);

// Reads all available input and cuts it into lines (routing each, collecting reply lines).
void ReadPortInput(ProgramState& program, int slot);
// Routes one complete line; false when it is no line the program knows (a prompt, a reply,
// a packet with a bad checksum), which then stays in the unrouted text.
bool RouteLine(ProgramState& program, int slot, const std::string& line);
// Writes the next few characters of the output queue to the port.
void SendQueuedOutput(ProgramState& program, int slot);
// "The link to the instrument on " + port + " was lost: " + reason + "."
std::string LinkLostMessage(const std::string& port, const std::string& reason);
// The port failed under the link (`reason` says how): whatever was read before has been taken
// in; the port is closed, the queued output dropped, the instrument no longer identified, the
// link state "No Connection", and the connection's cancel request set so that no wait goes on
// waiting for the dead port. The message is kept in the slot and shown to the user.
void EndLostLink(ProgramState& program, int slot, const std::string& reason);
// Applies the silence rule and, when the display is due for a refresh (or `force`), tells the
// window's observer the state and its text.
void UpdateStatus(ProgramState& program, int slot, bool force);
// Converts the lines waiting in the data queue: into the calibrated file during a cast
// transfer, else live (calibrated row, subscribers, sample count). Nothing while the window
// shows a loaded file.
void ProcessQueuedSamples(ProgramState& program, int slot);

}  // namespace tidewell
