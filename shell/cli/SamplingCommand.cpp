// `tidewell sampling`: the instrument's sampling set-up, headless. `get` reads it as the
// Sampling Options dialog does and prints it as JSON; `set` changes the fields given, applies
// them with the family's commands and prints the set-up read back afterwards.

#include <ostream>
#include <string>
#include <vector>

#include "instrument/Commands.h"
#include "instrument/Sampling.h"
#include "shell/cli/InstrumentSession.h"
#include "shell/cli/Json.h"
#include "shell/cli/Subcommands.h"
#include "stream/Models.h"
#include "stream/NumberText.h"

namespace tidewell::cli {

namespace {

constexpr const char* kHelp =
    "Usage: tidewell sampling get CONNECTION\n"
    "       tidewell sampling set CONNECTION [FIELDS] [--nonvolatile] [--yes]\n"
    "\n"
    "get prints the instrument's sampling set-up as JSON (the fields its family has). set\n"
    "changes the fields given, sends the set-up and prints it as read back.\n"
    "\n"
    "CONNECTION:\n"
    "%CONNECT%"
    "\n"
    "FIELDS:\n"
    "  --period S               seconds between samples (at least 0.1)\n"
    "  --rate R                 samples per second, instead of --period\n"
    "  --delay S                start delay, seconds\n"
    "  --burst on|off           burst mode\n"
    "  --warmup S               burst warm-up, seconds (Vantor, Trevan-2)\n"
    "  --burst-length S         burst length, seconds\n"
    "  --burst-interval MIN     burst interval, minutes\n"
    "  --total-hours H          total duration, hours (Vantor)\n"
    "  --sleep-when-full on|off sleep when the memory fills (Vantor)\n"
    "  --power-up-start on|off  start on power-up (Vantor, Trevan-2)\n"
    "  --format hex|decimal     raw data format (a-, c-, x-Lumo)\n"
    "  --shutter on|off         shutter enabled (Vantor with a shutter)\n"
    "  --shutter-auto on|off    open and close automatically\n"
    "  --shutter-time S         shutter operate time, seconds\n"
    "  --shutter-direction cw|ccw  the direction that opens it\n"
    "  --fl1 MODE, --fl2 MODE   the fluorescence channels: bb, fl or share (Vantor)\n"
    "  --nonvolatile            make these settings nonvolatile (Vantor, Trevan-2)\n"
    "  --yes                    with bb/fl sharing, raise a period below 0.3 s to 0.3 s\n"
    "                           (without it the set-up is not sent)\n"
    "\n"
    "Exit status 0 when the set-up was read (and sent), 1 when not, 2 for a usage error.\n";

constexpr const char* kModeNames[] = {"bb", "fl", "share"};

constexpr unsigned kSingle = 1, kTrevan = 2, kVantor = 4, kShutter = 8, kFluorescence = 16;

// One field flag: its name, the families it belongs to, and how it changes the set-up.
struct FieldValue {
    std::string flag;
    unsigned families;
    std::string text;
};

struct SamplingOptions {
    std::string action;
    ConnectOptions connect;
    std::vector<FieldValue> fields;
    bool nonvolatile = false;
    bool yes = false;
};

enum class Kind { kNumber, kOnOff, kFormat, kDirection, kMode };

struct FieldRule {
    const char* flag;
    unsigned families;
    Kind kind;
};

constexpr FieldRule kFieldRules[] = {
    {"--period", kSingle | kTrevan | kVantor, Kind::kNumber},
    {"--rate", kSingle | kTrevan | kVantor, Kind::kNumber},
    {"--delay", kSingle | kTrevan | kVantor, Kind::kNumber},
    {"--burst", kSingle | kTrevan | kVantor, Kind::kOnOff},
    {"--warmup", kTrevan | kVantor, Kind::kNumber},
    {"--burst-length", kSingle | kTrevan | kVantor, Kind::kNumber},
    {"--burst-interval", kSingle | kTrevan | kVantor, Kind::kNumber},
    {"--total-hours", kVantor, Kind::kNumber},
    {"--sleep-when-full", kVantor, Kind::kOnOff},
    {"--power-up-start", kTrevan | kVantor, Kind::kOnOff},
    {"--format", kSingle, Kind::kFormat},
    {"--shutter", kShutter, Kind::kOnOff},
    {"--shutter-auto", kShutter, Kind::kOnOff},
    {"--shutter-time", kShutter, Kind::kNumber},
    {"--shutter-direction", kShutter, Kind::kDirection},
    {"--fl1", kFluorescence, Kind::kMode},
    {"--fl2", kFluorescence, Kind::kMode},
};

std::string Help() {
    std::string help = kHelp;
    help.replace(help.find("%CONNECT%"), 9, kConnectOptionsHelp);
    return help;
}

// The values a kind of field takes, for the usage error.
const char* ValueHint(Kind kind) {
    switch (kind) {
        case Kind::kNumber:
            return "a number, 0 or more";
        case Kind::kOnOff:
            return "on or off";
        case Kind::kFormat:
            return "hex or decimal";
        case Kind::kDirection:
            return "cw or ccw";
        case Kind::kMode:
            break;
    }
    return "bb, fl or share";
}

bool ValidValue(Kind kind, const std::string& v) {
    double number = 0;
    switch (kind) {
        case Kind::kNumber:
            return ReadWholeDecimal(v, number) && number >= 0;
        case Kind::kOnOff:
            return v == "on" || v == "off";
        case Kind::kFormat:
            return v == "hex" || v == "decimal";
        case Kind::kDirection:
            return v == "cw" || v == "ccw";
        case Kind::kMode:
            break;
    }
    return v == "bb" || v == "fl" || v == "share";
}

bool ParseSamplingOptions(const std::vector<std::string>& args, SamplingOptions& o,
                          std::string& error) {
    if (args.empty() || (args[0] != "get" && args[0] != "set")) {
        error = args.empty() ? "get or set is needed" : "unknown action " + args[0];
        return false;
    }
    o.action = args[0];
    bool period = false, rate = false;
    for (size_t i = 1; i < args.size() && error.empty(); ++i) {
        const std::string& a = args[i];
        if (TakeConnectOption(args, i, o.connect, error)) continue;
        if (o.action == "set" && a == "--nonvolatile") {
            o.nonvolatile = true;
            continue;
        }
        if (o.action == "set" && a == "--yes") {
            o.yes = true;
            continue;
        }
        const FieldRule* rule = nullptr;
        for (const FieldRule& f : kFieldRules)
            if (o.action == "set" && a == f.flag) rule = &f;
        if (!rule) {
            error = "unknown option " + a;
        } else if (i + 1 >= args.size() || !ValidValue(rule->kind, args[i + 1])) {
            error = a + " needs a value: " + ValueHint(rule->kind);
        } else {
            o.fields.push_back({a, rule->families, args[++i]});
            period |= a == "--period";
            rate |= a == "--rate";
        }
    }
    if (error.empty() && period && rate) error = "--period and --rate exclude each other";
    if (error.empty()) error = CheckConnectOptions(o.connect);
    return error.empty();
}

unsigned FamiliesOf(InstrumentRecord& r) {
    unsigned f = IsSingleChannel(r.instrumentType)  ? kSingle
                 : IsTrevan(r.instrumentType)       ? kTrevan
                 : IsVantorFamily(r.instrumentType) ? kVantor
                                                    : 0;
    if (r.HasShutter()) f |= kShutter;
    if (!FluorescenceChannels(r.Calibration(), r.instrumentType).empty()) f |= kFluorescence;
    return f;
}

// Writes the flags into the set-up; false with a message for a field the instrument lacks.
bool EditFields(CliContext& ctx, InstrumentRecord& r, const SamplingOptions& o,
                SamplingParameters& p) {
    const unsigned families = FamiliesOf(r);
    const size_t flChannels = FluorescenceChannels(r.Calibration(), r.instrumentType).size();
    for (const FieldValue& f : o.fields) {
        if ((f.families & families) == 0 || (f.flag == "--fl2" && flChannels < 2)) {
            ctx.err << "sampling: " << f.flag << " does not apply to this " << r.modelName << "\n";
            return false;
        }
        const double n = ReadDecimal(f.text);
        const bool on = f.text == "on";
        if (f.flag == "--period") p.period = static_cast<float>(n);
        if (f.flag == "--rate") p.period = n > 0 ? static_cast<float>(1 / n) : 0;
        if (f.flag == "--delay") p.startDelay = RoundToInt32(n);
        if (f.flag == "--burst") p.burstMode = on;
        if (f.flag == "--warmup") p.burstWarmup = RoundToInt32(n);
        if (f.flag == "--burst-length") p.burstLength = RoundToInt32(n);
        if (f.flag == "--burst-interval") p.burstInterval = static_cast<float>(n);
        if (f.flag == "--total-hours") p.totalDuration = static_cast<float>(n);
        if (f.flag == "--sleep-when-full") p.sleepWhenMemoryFull = on;
        if (f.flag == "--power-up-start") p.startOnPowerUp = on;
        if (f.flag == "--format") p.hexadecimalFormat = f.text == "hex";
        if (f.flag == "--shutter") p.shutterEnabled = on;
        if (f.flag == "--shutter-auto") p.shutterAutomatic = on;
        if (f.flag == "--shutter-time") p.shutterOperateTime = static_cast<float>(n);
        if (f.flag == "--shutter-direction") p.shutterCounterClockwise = f.text == "ccw";
        for (int k = 0; k < 2; ++k) {
            if (f.flag != (k == 0 ? "--fl1" : "--fl2")) continue;
            for (int m = 0; m < 3; ++m)
                if (f.text == kModeNames[m]) p.fluorescenceMode[k] = m;
        }
    }
    return true;
}

std::string SamplingJson(InstrumentRecord& r) {
    const SamplingParameters& p = r.sampling;
    const unsigned families = FamiliesOf(r);
    JsonObject o;
    o.Str("model", r.modelName).Str("serial", r.serialNumber);
    o.Num("period", p.period).Num("rate", p.period > 0 ? 1 / p.period : 0.0f);
    o.Int("startDelay", p.startDelay);
    if (families & kVantor) o.Bool("sleepWhenMemoryFull", p.sleepWhenMemoryFull);
    if (families & (kVantor | kTrevan)) o.Bool("startOnPowerUp", p.startOnPowerUp);
    o.Bool("burstMode", p.burstMode).Int("burstWarmup", p.burstWarmup);
    o.Int("burstLength", p.burstLength).Num("burstInterval", p.burstInterval);
    if (families & kVantor) o.Num("totalDuration", p.totalDuration);
    if (families & kSingle) o.Str("dataFormat", p.hexadecimalFormat ? "hex" : "decimal");
    if (families & kShutter) {
        o.Bool("shutterEnabled", p.shutterEnabled).Bool("shutterAutomatic", p.shutterAutomatic);
        o.Num("shutterOperateTime", p.shutterOperateTime);
        o.Str("shutterDirection", p.shutterCounterClockwise ? "ccw" : "cw");
    }
    const std::vector<int> channels = FluorescenceChannels(r.Calibration(), r.instrumentType);
    if (!channels.empty()) {
        const auto channel = [&](int i) {
            const int mode = p.fluorescenceMode[i];
            return JsonObject()
                .Int("channel", channels[static_cast<size_t>(i)])
                .Int("wavelength", r.Calibration().lambda(channels[static_cast<size_t>(i)] - 1))
                .Str("mode", mode >= 0 && mode < 3 ? kModeNames[mode] : "")
                .Text();
        };
        o.Raw("fluorescence", JsonArray(static_cast<int>(channels.size()), channel, ", "));
    }
    return o.Text();
}

int RunSamplingAction(CliContext& ctx, const SamplingOptions& o) {
    CliPrompter prompter(ctx.err, [&o](const std::string& text) {
        return text == kTimeSharePeriodQuestion ? (o.yes ? 1 : 0) : 2;
    });
    InstrumentSession session(ctx, prompter);
    if (!session.Connect(o.connect)) return 1;
    InstrumentRecord& r = session.record();
    const int slot = InstrumentSession::kSlot;
    if (!LoadSampleParams(session.program(), session.waiter(), slot)) {
        ctx.err << "sampling: the " << r.modelName << " did not send its sampling set-up\n";
        return 1;
    }
    if (o.action == "set") {
        SamplingParameters edited = r.sampling;
        if (!EditFields(ctx, r, o, edited)) return 2;
        switch (
            ApplySampleParams(session.program(), session.waiter(), slot, edited, o.nonvolatile)) {
            case ApplyResult::kCancelled:
                return 1;
            case ApplyResult::kNotReloaded:
                ctx.err << "sampling: the set-up was sent, but the " << r.modelName
                        << " did not send it back\n";
                return 1;
            case ApplyResult::kApplied:
                break;
        }
    }
    ctx.out << SamplingJson(r) << '\n';
    return 0;
}

}  // namespace

int RunSampling(CliContext& ctx) {
    for (const std::string& a : ctx.args) {
        if (a == "--help" || a == "-h") {
            ctx.out << Help();
            return 0;
        }
    }
    SamplingOptions options;
    std::string error;
    if (!ParseSamplingOptions(ctx.args, options, error)) {
        ctx.err << "sampling: " << error << "\n" << Help();
        return 2;
    }
    return RunSamplingAction(ctx, options);
}

}  // namespace tidewell::cli
