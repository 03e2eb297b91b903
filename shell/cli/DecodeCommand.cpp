// `tidewell decode`: every input line as one JSON object with its kind and decoded record.

#include <cerrno>
#include <cstring>
#include <fstream>
#include <istream>
#include <ostream>
#include <string>

#include "files/DataFileWriter.h"
#include "shell/cli/Json.h"
#include "shell/cli/Subcommands.h"
#include "stream/Decoder.h"
#include "stream/Models.h"

namespace tidewell::cli {

namespace {

constexpr const char* kUsage = "Usage: tidewell decode [--type CODE|MODEL] [--guess] [FILE|-]\n";
constexpr const char* kHelp =
    "\n"
    "Decodes each line of FILE (standard input without one, or with \"-\") as the program\n"
    "decodes instrument lines, and prints one JSON object per line: its number, its kind as a\n"
    "number and as a name (\"kindName\"), whether it is a sample, and the decoded record (and\n"
    "the header record of an H packet). The record holds what the line carries: counts and\n"
    "codes as sent, the instrument clock in seconds (\"time\") and hundredths\n"
    "(\"subSecond\"), temperature in degrees Celsius and voltage in volts where the line's kind\n"
    "scales them (V packets carry both unscaled).\n"
    "\n"
    "  --type CODE|MODEL  the instrument the lines come from (0-7, or vantor-6 ... trevan-2);\n"
    "                     it decides how numeric lines of no known kind are read\n"
    "  --guess            add the instrument type each line most likely came from\n";
// Longer lines keep their first bytes: no instrument line comes near this, and a file of
// binary garbage without line ends must not grow one line without limit.
constexpr size_t kMaxLineBytes = 64 * 1024;

std::string RecordJson(const SampleRecord& r) {
    JsonObject o;
    o.Int("instrumentType", r.instrumentType)
        .Num("time", r.time)
        .Int("subSecond", r.subSecond)
        .Num("dayFraction", r.dayFraction)
        .Int("centiseconds", r.centiseconds)
        .Int("tailCode", r.tailCode)
        .Num("depthCounts", r.depthCounts)
        .Num("temperature", r.temperature)
        .Num("voltage", r.voltage)
        .Num("voltage2", r.voltage2)
        .Num("auxByte", r.auxByte)
        .Array("gain", r.gain)
        .Array("signal", r.signal)
        .Array("signalOffset", r.signalOffset)
        .Array("reference", r.reference)
        .Array("referenceOffset", r.referenceOffset)
        .Array("raw", r.raw)
        .Array("normalized", r.normalized)
        .Array("channelCode", r.channelCode)
        .Int("optionCounts", r.optionCounts)
        .Int("infoCode", r.infoCode)
        .Num("infoLevel", r.infoLevel)
        .Num("infoA", r.infoA)
        .Num("infoB", r.infoB)
        .Num("prefixValue", r.prefixValue);
    return o.Text();
}

std::string HeaderJson(const HeaderRecord& h) {
    const std::string channels = JsonArray(std::size(h.channel), [&](int c) {
        return JsonArray(std::size(h.channel[c]),
                         [&](int k) { return std::to_string(h.channel[c][k]); });
    });
    JsonObject o;
    o.Num("time", h.time).Array("housekeeping", h.housekeeping).Raw("channel", channels);
    return o.Text();
}

struct DecodeOptions {
    int instrumentType = kUnknownType;
    bool guess = false;
    std::string path;  // empty or "-": standard input
};

// Reads the options; false (with the reason on `err`) when they make no sense.
bool ParseOptions(const std::vector<std::string>& args, DecodeOptions& o, std::ostream& err) {
    bool havePath = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--guess") {
            o.guess = true;
        } else if (a == "--type" || a.rfind("--type=", 0) == 0) {
            std::string value;
            if (a == "--type") {
                if (i + 1 == args.size()) {
                    err << "decode: --type needs an instrument type\n";
                    return false;
                }
                value = args[++i];
            } else {
                value = a.substr(7);
            }
            const bool digit = value.size() == 1 && value[0] >= '0' && value[0] <= '7';
            o.instrumentType = digit ? value[0] - '0' : ModelCode(value);
            if (o.instrumentType > kUnknownType) {
                err << "decode: unknown instrument type \"" << value << "\"\n";
                return false;
            }
        } else if (a.size() > 1 && a[0] == '-') {
            err << "decode: unknown option \"" << a << "\"\n";
            return false;
        } else if (havePath) {
            err << "decode: only one input can be decoded at a time\n";
            return false;
        } else {
            o.path = a;
            havePath = true;
        }
    }
    return true;
}

class LineDecoder {
  public:
    LineDecoder(const DecodeOptions& o, std::ostream& out, std::ostream& err)
        : options_(o), out_(out), err_(err) {}

    // Cuts the bytes into lines at CR, LF or CR LF; a CR LF split between two reads is one end.
    void Feed(const char* bytes, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            const char c = bytes[i];
            if (c == '\n' && afterCr_) {
                afterCr_ = false;
                continue;
            }
            afterCr_ = c == '\r';
            if (c == '\r' || c == '\n') {
                EndLine();
            } else if (line_.size() < kMaxLineBytes) {
                line_ += c;
            } else {
                cut_ = true;
            }
        }
    }
    void Finish() {
        if (!line_.empty() || cut_) EndLine();
    }

  private:
    void EndLine() {
        ++lineNumber_;
        if (cut_)
            err_ << "decode: line " << lineNumber_ << " is longer than " << kMaxLineBytes
                 << " bytes; only its first " << kMaxLineBytes << " bytes were decoded\n";
        SampleRecord record;
        const bool sample = DecodeLine(line_, options_.instrumentType, record);
        const LineKind kind = ClassifyLine(line_);
        JsonObject o;
        o.Int("line", lineNumber_)
            .Int("kind", kind)
            .Str("kindName", LineKindName(kind))
            .Bool("sample", sample);
        if (options_.guess) o.Int("guess", GuessInstrumentType(line_));
        o.Raw("record", RecordJson(record));
        if (kind == kHPacket) {
            HeaderRecord header;
            DecodeHeaderPacket(line_, header);
            o.Raw("header", HeaderJson(header));
        }
        out_ << o.Text() << '\n';
        line_.clear();
        cut_ = false;
    }

    const DecodeOptions& options_;
    std::ostream& out_;
    std::ostream& err_;
    std::string line_;
    int64_t lineNumber_ = 0;
    bool afterCr_ = false;
    bool cut_ = false;
};

}  // namespace

int RunDecode(CliContext& ctx) {
    if (WantsHelp(ctx.args)) {
        ctx.out << kUsage << kHelp;
        return 0;
    }
    DecodeOptions options;
    if (!ParseOptions(ctx.args, options, ctx.err)) {
        ctx.err << kUsage;
        return 2;
    }
    const bool standardInput = options.path.empty() || options.path == "-";
    std::ifstream file;
    if (!standardInput) {
        errno = 0;
        file.open(options.path, std::ios::binary);
        if (!file) {
            const int error = errno ? errno : ENOENT;
            ctx.err << OpenErrorText(options.path, std::strerror(error)) << '\n';
            return 1;
        }
    }
    std::istream& in = standardInput ? ctx.in : file;
    LineDecoder decoder(options, ctx.out, ctx.err);
    char buffer[1 << 16];
    while (in) {
        errno = 0;
        in.read(buffer, sizeof buffer);
        decoder.Feed(buffer, static_cast<size_t>(in.gcount()));
    }
    if (in.bad()) {
        // a directory opens but cannot be read
        const int error = errno ? errno : EIO;
        ctx.err << OpenErrorText(standardInput ? "-" : options.path, std::strerror(error)) << '\n';
        return 1;
    }
    decoder.Finish();
    return 0;
}

}  // namespace tidewell::cli
