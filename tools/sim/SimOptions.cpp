#include "tools/sim/SimOptions.h"

#include <cctype>

#include "stream/Models.h"
#include "stream/NumberText.h"

namespace tidewell::sim {

namespace {

bool ReadNumber(const std::string& text, double& value) {
    return ReadWholeDecimal(text, value);
}

bool ReadCount(const std::string& text, int& value) {
    double v = 0;
    if (!ReadNumber(text, v) || v < 0 || v > 1e9 || v != static_cast<int>(v)) return false;
    value = static_cast<int>(v);
    return true;
}

}  // namespace

int ModelFromOption(const std::string& name) {
    std::string lower;
    for (char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (int code = kVantor6; code <= kTrevan2; ++code) {
        std::string model;
        for (char c : ModelName(code))
            model += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (model == lower) return code;
    }
    return -1;
}

bool ParseSimOptions(const std::vector<std::string>& args, SimOptions& o, std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        auto count = [&](int& out) {
            std::string v;
            if (!value(v)) return false;
            if (!ReadCount(v, out)) {
                error = a + ": not a whole number: " + v;
                return false;
            }
            return true;
        };
        std::string v;
        if (a == "--model") {
            if (!value(v)) return false;
            o.model = ModelFromOption(v);
            if (o.model < 0) {
                error = "unknown model: " + v;
                return false;
            }
        } else if (a == "--cal") {
            if (!value(o.calPath)) return false;
        } else if (a == "--serial") {
            if (!value(o.serial)) return false;
        } else if (a == "--baud") {
            if (!count(o.baud)) return false;
        } else if (a == "--period") {
            if (!value(v)) return false;
            if (!ReadNumber(v, o.period) || o.period < 0.05 || o.period > 86400) {
                error = "--period: seconds from 0.05 to 86400: " + v;
                return false;
            }
        } else if (a == "--drop-every") {
            if (!count(o.dropEvery)) return false;
        } else if (a == "--bad-checksum-every") {
            if (!count(o.badChecksumEvery)) return false;
        } else if (a == "--casts") {
            if (!count(o.casts)) return false;
            if (o.casts > 99) {
                error = "--casts: at most 99";
                return false;
            }
        } else if (a == "--seed") {
            int seed = 0;
            if (!count(seed)) return false;
            o.seed = static_cast<uint32_t>(seed);
        } else if (a == "--truth") {
            if (!value(o.truthPath)) return false;
        } else if (a == "--tx-log") {
            if (!value(o.txLogPath)) return false;
        } else if (a == "--link") {
            if (!value(o.linkPath)) return false;
        } else if (a == "--asleep") {
            o.asleep = true;
        } else if (a == "--streaming") {
            o.streaming = true;
        } else if (a == "--shutter") {
            o.shutter = true;
        } else if (a == "--old-firmware") {
            o.oldFirmware = true;
        } else if (a == "--silent") {
            o.silent = true;
        } else if (a == "--reset-on-hangup") {
            o.resetOnHangup = true;
        } else {
            error = "unknown option: " + a;
            return false;
        }
    }
    if (o.shutter && !IsVantorFamily(o.model)) {
        error = "--shutter: only the Vantor models have a shutter";
        return false;
    }
    if (o.oldFirmware && o.model != kALumo && o.model != kCLumo) {
        error = "--old-firmware: only for a-Lumo and c-Lumo";
        return false;
    }
    if (o.asleep && o.streaming) {
        error = "--asleep and --streaming exclude each other";
        return false;
    }
    return true;
}

std::string SimUsage() {
    return "usage: tidewell-sim [--model "
           "vantor-6|vantor-4|vantor-2|a-lumo|c-lumo|x-lumo|trevan-2]\n"
           "  [--cal FILE] [--serial TEXT] [--baud N] [--asleep] [--streaming] [--period S]\n"
           "  [--shutter] [--old-firmware] [--drop-every N] [--bad-checksum-every N] [--silent]\n"
           "  [--casts N] [--seed N] [--truth FILE] [--tx-log FILE] [--reset-on-hangup]\n"
           "  [--link PATH]\n"
           "Prints the pseudo-terminal's path on its first line, then answers like the\n"
           "instrument until it is stopped. SIGUSR1 acts as a break on the line. --link makes\n"
           "PATH a symbolic link to the pseudo-terminal while it runs.\n";
}

}  // namespace tidewell::sim
