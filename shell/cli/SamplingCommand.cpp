// `tidewell sampling`: the instrument's sampling set-up, headless. `get` reads it as the
// Sampling Options dialog does and prints it as JSON; `set` changes the fields given, applies
// them with the family's commands and prints the set-up read back afterwards.

#include <algorithm>
#include <cmath>
#include <ostream>
#include <string>
#include <type_traits>
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
    "Each field given is compared with what is sent and with what the instrument reads back\n"
    "afterwards: a value the program changed (a period raised to 0.1 s or 0.3 s, seconds\n"
    "rounded to whole ones) is said on stderr, and so is a value the instrument did not take\n"
    "(the a-, c- and x-Lumo take the burst length and interval only with burst mode on).\n"
    "\n"
    "Exit status 0 when the set-up was read (and sent, and every field given read back as\n"
    "sent), 1 when not, 2 for a usage error.\n";

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

using P = SamplingParameters;

// A field of the set-up read and written as a number: flags 1 or 0, the hexadecimal format 1,
// the counter-clockwise direction 1, the fluorescence modes 0-2. Writing stores what the field
// can hold (whole seconds, single precision).
struct Access {
    double (*get)(const P&);
    void (*set)(P&, double);
};

template <auto Member>
constexpr Access Field() {
    return {[](const P& p) { return static_cast<double>(p.*Member); },
            [](P& p, double v) {
                using T = std::remove_reference_t<decltype(p.*Member)>;
                if constexpr (std::is_same_v<T, bool>) {
                    p.*Member = v != 0;
                } else if constexpr (std::is_integral_v<T>) {
                    p.*Member = RoundToInt32(v);
                } else {
                    p.*Member = static_cast<T>(v);
                }
            }};
}

template <int Channel>
constexpr Access Mode() {
    return {[](const P& p) { return static_cast<double>(p.fluorescenceMode[Channel]); },
            [](P& p, double v) { p.fluorescenceMode[Channel] = static_cast<int>(v); }};
}

// The rate stands for the period's reciprocal.
constexpr Access kRate = {
    [](const P& p) { return p.period > 0 ? 1 / static_cast<double>(p.period) : 0.0; },
    [](P& p, double v) { p.period = v > 0 ? static_cast<float>(1 / v) : 0; }};

// A field flag, the families it belongs to, its values and its field.
struct FieldRule {
    const char* flag;
    unsigned families;
    Kind kind;
    Access field;
};

constexpr unsigned kAll = kSingle | kTrevan | kVantor;

constexpr FieldRule kFieldRules[] = {
    {"--period", kAll, Kind::kNumber, Field<&P::period>()},
    {"--rate", kAll, Kind::kNumber, kRate},
    {"--delay", kAll, Kind::kNumber, Field<&P::startDelay>()},
    {"--burst", kAll, Kind::kOnOff, Field<&P::burstMode>()},
    {"--warmup", kTrevan | kVantor, Kind::kNumber, Field<&P::burstWarmup>()},
    {"--burst-length", kAll, Kind::kNumber, Field<&P::burstLength>()},
    {"--burst-interval", kAll, Kind::kNumber, Field<&P::burstInterval>()},
    {"--total-hours", kVantor, Kind::kNumber, Field<&P::totalDuration>()},
    {"--sleep-when-full", kVantor, Kind::kOnOff, Field<&P::sleepWhenMemoryFull>()},
    {"--power-up-start", kTrevan | kVantor, Kind::kOnOff, Field<&P::startOnPowerUp>()},
    {"--format", kSingle, Kind::kFormat, Field<&P::hexadecimalFormat>()},
    {"--shutter", kShutter, Kind::kOnOff, Field<&P::shutterEnabled>()},
    {"--shutter-auto", kShutter, Kind::kOnOff, Field<&P::shutterAutomatic>()},
    {"--shutter-time", kShutter, Kind::kNumber, Field<&P::shutterOperateTime>()},
    {"--shutter-direction", kShutter, Kind::kDirection, Field<&P::shutterCounterClockwise>()},
    {"--fl1", kFluorescence, Kind::kMode, Mode<0>()},
    {"--fl2", kFluorescence, Kind::kMode, Mode<1>()},
};

const FieldRule& RuleOf(const std::string& flag) {
    for (const FieldRule& f : kFieldRules)
        if (flag == f.flag) return f;
    return kFieldRules[0];  // the flags were checked when they were read
}

// The number a flag's value text stands for.
double ValueNumber(Kind kind, const std::string& text) {
    switch (kind) {
        case Kind::kNumber:
            return ReadDecimal(text);
        case Kind::kOnOff:
            return text == "on";
        case Kind::kFormat:
            return text == "hex";
        case Kind::kDirection:
            return text == "ccw";
        case Kind::kMode:
            break;
    }
    for (int m = 0; m < 3; ++m)
        if (text == kModeNames[m]) return m;
    return 0;
}

// A field's number as its flag writes it.
std::string ValueText(Kind kind, double v) {
    switch (kind) {
        case Kind::kNumber:
            return FormatSignificantLeadingZero(v, 7);
        case Kind::kOnOff:
            return v != 0 ? "on" : "off";
        case Kind::kFormat:
            return v != 0 ? "hex" : "decimal";
        case Kind::kDirection:
            return v != 0 ? "ccw" : "cw";
        case Kind::kMode:
            break;
    }
    const int m = static_cast<int>(v);
    return m >= 0 && m < 3 ? kModeNames[m] : PlainInt(m);
}

// Equal as far as an instrument's answer tells (it may state a period as a rate, rounded).
bool SameValue(double a, double b) {
    return std::fabs(a - b) <= 1e-4 * std::max({1.0, std::fabs(a), std::fabs(b)});
}

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
        const FieldRule& rule = RuleOf(f.flag);
        rule.field.set(p, ValueNumber(rule.kind, f.text));
    }
    return true;
}

// Compares each field given with what was sent and with what the instrument reads back. A
// value the program changed (a period raised to its minimum, seconds rounded to whole ones) is
// said; a value the instrument did not take is said and makes the result false.
bool ReportSetUp(CliContext& ctx, const InstrumentRecord& r, const SamplingOptions& o,
                 const SamplingParameters& sent) {
    bool taken = true;
    for (const FieldValue& f : o.fields) {
        const FieldRule& rule = RuleOf(f.flag);
        const double asked = ValueNumber(rule.kind, f.text), out = rule.field.get(sent),
                     back = rule.field.get(r.sampling);
        if (!SameValue(asked, out)) {
            ctx.err << "sampling: " << f.flag << " " << f.text << " was sent as "
                    << ValueText(rule.kind, out) << "\n";
        }
        if (!SameValue(out, back)) {
            ctx.err << "sampling: the " << r.modelName << " did not take " << f.flag << " "
                    << ValueText(rule.kind, out) << ": it reads " << ValueText(rule.kind, back)
                    << "\n";
            taken = false;
        }
    }
    return taken;
}

std::string SamplingJson(InstrumentRecord& r) {
    const SamplingParameters& p = r.sampling;
    const unsigned families = FamiliesOf(r);
    JsonObject o;
    o.Str("model", r.modelName).Str("serial", r.serialNumber);
    o.Num("periodSeconds", p.period).Num("samplesPerSecond", p.period > 0 ? 1 / p.period : 0.0f);
    o.Int("startDelaySeconds", p.startDelay);
    if (families & kVantor) o.Bool("sleepWhenMemoryFull", p.sleepWhenMemoryFull);
    if (families & (kVantor | kTrevan)) o.Bool("startOnPowerUp", p.startOnPowerUp);
    o.Bool("burstMode", p.burstMode).Int("burstWarmupSeconds", p.burstWarmup);
    o.Int("burstLengthSeconds", p.burstLength).Num("burstIntervalMinutes", p.burstInterval);
    if (families & kVantor) o.Num("totalDurationHours", p.totalDuration);
    if (families & kSingle) o.Str("dataFormat", p.hexadecimalFormat ? "hex" : "decimal");
    if (families & kShutter) {
        o.Bool("shutterEnabled", p.shutterEnabled).Bool("shutterAutomatic", p.shutterAutomatic);
        o.Num("shutterOperateSeconds", p.shutterOperateTime);
        o.Str("shutterDirection", p.shutterCounterClockwise ? "ccw" : "cw");
    }
    const std::vector<int> channels = FluorescenceChannels(r.Calibration(), r.instrumentType);
    if (!channels.empty()) {
        const auto channel = [&](int i) {
            const int mode = p.fluorescenceMode[i];
            return JsonObject()
                .Int("channel", channels[static_cast<size_t>(i)])
                .Int("wavelengthNm", r.Calibration().lambda(channels[static_cast<size_t>(i)] - 1))
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
        const bool taken = ReportSetUp(ctx, r, o, edited);
        ctx.out << SamplingJson(r) << '\n';
        return taken ? 0 : 1;
    }
    ctx.out << SamplingJson(r) << '\n';
    return 0;
}

}  // namespace

int RunSampling(CliContext& ctx) {
    if (WantsHelp(ctx.args)) {
        ctx.out << Help();
        return 0;
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
