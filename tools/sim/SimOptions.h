#pragma once
// The simulator's command line.

#include <cstdint>
#include <string>
#include <vector>

namespace tidewell::sim {

struct SimOptions {
    int model = 0;             // instrument type code 0-6
    std::string calPath;       // calibration the instrument holds; built-in when empty
    std::string serial;        // serial number; the calibration's when empty
    int baud = 19200;          // the rate the instrument talks at
    bool asleep = false;       // starts asleep
    bool streaming = false;    // samples from the start
    double period = 1;         // seconds between samples
    bool shutter = false;      // a Vantor with a shutter
    bool oldFirmware = false;  // an a- or c-Lumo that identifies itself as "AB1234"
    int dropEvery = 0;         // drop one character of every Nth sample line
    int badChecksumEvery = 0;  // spoil the checksum of every Nth star packet
    bool silent = false;       // never answers
    int casts = 0;             // casts stored in memory
    uint32_t seed = 1;
    std::string truthPath;       // counts of what was sent, rewritten as it changes
    std::string txLogPath;       // every byte sent
    bool resetOnHangup = false;  // a client closing the port counts as a break
    std::string linkPath;        // a symbolic link to the pseudo-terminal while it runs
};

// The model names the --model option takes: "vantor-6" .. "trevan-2"; -1 for others.
int ModelFromOption(const std::string& name);

// Reads the options after the program name. False with a message for the first bad one.
bool ParseSimOptions(const std::vector<std::string>& args, SimOptions& options, std::string& error);

// The usage text.
std::string SimUsage();

}  // namespace tidewell::sim
