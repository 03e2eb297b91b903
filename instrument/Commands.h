#pragma once
// Everything the program sends to an instrument goes through SendCommand, which turns a command
// name into the exact characters for the instrument's family and appends them to the slot's
// output queue, replaces the queue with them, or writes them to the port at once. The serial
// input loop drains the queue a few characters per tick.

#include <cstdint>
#include <string>
#include <string_view>

#include "calibration/CalibrationData.h"

namespace tidewell {

class ProgramState;

inline constexpr const char* kStartWhileDownloadingMessage = "Can Not Start While Downloading";

// Appends text to the slot's output queue.
void QueueOutput(ProgramState& program, int slot, std::string_view text);

// Sends a command (any case; the argument as given) to the instrument of the slot and makes it
// the outstanding command whose reply lines are collected. When no instrument is identified the
// connection dialog is shown first; false when there is still none. True otherwise, whether or
// not anything was sent (a command the instrument's family lacks sends nothing).
bool SendCommand(ProgramState& program, const std::string& command, int slot,
                 const std::string& argument = "");

// The rates the rate-change command may set.
bool IsAllowedBaudRate(int32_t rate);

// The code the instrument uses for its first (1) or second (2) fluorescence channel: the
// channel's number (index + 1) among the calibration's fluorescence channels, which follow the
// scattering channels. 0 when the calibration has no such channel.
int FluorescenceChannelCode(const CalibrationDataClass& calibration, int which);

}  // namespace tidewell
