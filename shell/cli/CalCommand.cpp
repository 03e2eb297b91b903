// `tidewell cal show FILE`: a calibration file as JSON, derived values included.
// `tidewell cal save IN OUT`: reads a calibration file (.cal or the older .ini) and writes it in
// the current layout.

#include <QCoreApplication>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <string>

#include "calibration/CalFile.h"
#include "calibration/CalibrationData.h"
#include "calibration/SigmaModel.h"
#include "shell/cli/Json.h"
#include "shell/cli/Subcommands.h"
#include "stream/DateValue.h"
#include "stream/Models.h"
#include "stream/Prompter.h"

namespace tidewell::cli {

namespace {

constexpr const char* kUsage = "Usage: tidewell cal show FILE\n       tidewell cal save IN OUT\n";
constexpr const char* kHelp =
    "\n"
    "show prints the calibration in FILE (.cal or the older .ini) as one JSON object, with the\n"
    "values derived from it. save reads IN and writes it to OUT in the current .cal layout\n"
    "(under a temporary name, renamed when complete). Exit status 0 on success, 1 when a file\n"
    "could not be read or written, 2 for a usage error.\n";

// Messages of the core go to stderr; there is no one to answer questions.
class StderrPrompter : public SilentPrompter {
  public:
    explicit StderrPrompter(std::ostream& err) : err_(err) {}
    void ShowMessage(const std::string& text) override {
        std::string line = text;
        for (char& c : line)
            if (c == '\r') c = '\n';
        err_ << line << "\n";
    }

  private:
    std::ostream& err_;
};

// The folder of the running program, where the shipped tables are.
std::string ProgramFolder() {
    if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath().toStdString();
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

// The sigma parameters of a fresh installation: there are no settings to read here.
SigmaParams DefaultParams() {
    const std::string folder = ProgramFolder();
    SigmaParams params = DefaultSigmaParams(folder);
    const std::string shipped = FindShippedTable(kAStarTableName, folder);
    if (!shipped.empty()) params.aStarFile = shipped;
    return params;
}

// Loads a calibration for the subcommands; on failure says why on stderr.
bool LoadForCli(const std::string& path, CalibrationDataClass& cal, CliContext& ctx,
                const char* sub) {
    StderrPrompter prompter(ctx.err);
    const SigmaParams params = DefaultParams();
    const std::string problem =
        LoadUsableCalibration(path, params, LoadSigmaTables(params), prompter, cal);
    if (problem.empty()) return true;
    ctx.err << "cal " << sub << ": " << path << ": " << problem << "\n";
    return false;
}

std::string DateText(double dateValue) {
    const CalendarTime t = ToCalendar(dateValue);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return buf;
}

std::string ChannelJson(const CalibrationDataClass& cal, int c) {
    const ChannelCalibration& ch = cal.Channel(c);
    JsonObject o;
    o.Int("index", c)
        .Str("kind", c < cal.bChannels() ? "scattering" : "fluorescence")
        .Str("name", ch.name)
        .Int("lambda", ch.lambda)
        .Int("bDeltaLambda", ch.bDeltaLambda)
        .Array("gain", ch.gain)
        .Num("Mu", ch.Mu)
        .Int("MuGain", ch.MuGain)
        .Num("MuRho", ch.MuRho)
        .Array("Sigma", ch.Sigma)
        .Num("SigmaExp", ch.SigmaExp)
        .Bool("UseSigmaExp", ch.UseSigmaExp)
        .Num("OldSigmaK1", cal.OldSigmaK1(c))
        .Num("ROutOff", ch.ROutOff)
        .Num("RNominal", ch.RNominal)
        .Num("beta2bb", ch.beta2bb)
        .Num("bb2c", ch.bb2c)
        .Num("bTempCoeff", ch.bTempCoeff)
        .Array("DarkOffset", ch.DarkOffset)
        .Array("NomOffset", ch.NomOffset)
        .Array("FlOffset", ch.FlOffset)
        .Num("a", ch.a)
        .Num("bbTilde", ch.bbTilde)
        .Int("ChEx", ch.ChEx)
        .Int("ChRep", ch.ChRep)
        .Int("IsExcitationForChannel", ch.IsExcitationForChannel)
        .Bool("IsSharedReceiver", ch.IsSharedReceiver)
        .Bool("IsVirtualChannel", ch.IsVirtualChannel)
        .Int("IsReceiverForVirtualChannel", cal.IsReceiverForVirtualChannel(c));
    return o.Text();
}

std::string AttenuationJson(const CalibrationDataClass& cal, int c) {
    const AttenuationCalibration& k = cal.Attenuation(c);
    double kT[6], kTauP[6];
    for (int i = 0; i <= 5; ++i) {
        kT[i] = cal.KkT(c, i);
        kTauP[i] = cal.KkTauP(c, i);
    }
    JsonObject o;
    o.Int("index", c);
    // a Trevan-2 names its attenuation channels in the channel records
    if (IsTrevan(cal.DeviceType)) o.Str("name", cal.name(c)).Int("lambda", cal.lambda(c));
    o.Int("KLambda", k.KLambda)
        .Int("KDeltaLambda", k.KDeltaLambda)
        .Num("KPath", k.KPath)
        .Int("TrNought", k.TrNought)
        .Int("TrPure", k.TrPure)
        .Int("TrAir", k.TrAir)
        .Array("KChi", k.KChi)
        .Num("KCalTemp", k.KCalTemp)
        .Array("KTempCoeff", k.KTempCoeff)
        .Num("KTempNormCoeff", k.KTempNormCoeff)
        .Array("KDepthThresh", k.KDepthThresh)
        .Array("KDepthCoeff", k.KDepthCoeff)
        .Num("aPure", k.aPure)
        .Num("betaPure", k.betaPure)
        .Num("KL", k.KL)
        .Int("KS0", k.KS0)
        .Int("KR0", k.KR0)
        .Array("KkT", kT)
        .Num("KkTNormaliser", k.KkTNormaliser)
        .Array("KP", k.KP)
        .Num("KkTauPX", k.KkTauPX)
        .Array("KkTauP", kTauP)
        .Num("KkTauPNormaliser", k.KkTauPNormaliser)
        .Num("KTau0", k.KTau0)
        .Num("KTPW", k.KTPW);
    return o.Text();
}

std::string CalibrationJson(const CalibrationDataClass& cal) {
    const std::string channels = JsonArray(
        cal.ChannelCount(), [&](int c) { return ChannelJson(cal, c); }, ", ");
    const std::string attenuation = JsonArray(
        AttenuationChannelCount(cal.DeviceType), [&](int c) { return AttenuationJson(cal, c); },
        ", ");
    JsonObject o;
    o.Str("SourceFile", cal.SourceFile())
        .Int("DeviceType", cal.DeviceType)
        .Str("Model", ModelName(cal.DeviceType))
        .Str("Serial", cal.Serial)
        .Str("Label", cal.Label)
        .Str("Config", cal.Config)
        .Str("Comment", cal.Comment)
        .Num("CalTime", cal.CalTime)
        .Str("CalTimeText", DateText(cal.CalTime))
        .Num("ModificationTime", cal.ModificationTime)
        .Num("CalTemp", cal.CalTemp)
        .Num("MaxDepth", cal.MaxDepth)
        .Num("DepthCal", cal.DepthCal)
        .Num("DepthOff", cal.DepthOff)
        .Num("kp1", cal.kp1)
        .Num("kp2", cal.kp2)
        .Num("P0", cal.P0)
        .Int("TP0", cal.TP0)
        .Num("kD1", cal.kD1)
        .Num("kD2", cal.kD2)
        .Int("Changed", cal.Changed)
        .Int("ChannelCount", cal.ChannelCount())
        .Int("bChannels", cal.bChannels())
        .Bool("HasOffsets", cal.HasOffsets())
        .Raw("channels", channels)
        .Raw("attenuation", attenuation);
    return o.Text();
}

int Show(CliContext& ctx) {
    CalibrationDataClass cal;
    if (!LoadForCli(ctx.args[1], cal, ctx, "show")) return 1;
    ctx.out << CalibrationJson(cal) << "\n";
    return 0;
}

int Save(CliContext& ctx) {
    const std::string& in = ctx.args[1];
    const std::string& out = ctx.args[2];
    CalibrationDataClass cal;
    if (!LoadForCli(in, cal, ctx, "save")) return 1;
    // Written beside the target under a temporary name and renamed at the end, so that a
    // failed write never leaves a partial calibration file.
    const std::filesystem::path target(out);
    const std::filesystem::path temp =
        target.parent_path() / ("." + target.filename().string() + ".part");
    std::error_code ec;
    errno = 0;
    if (!cal.SaveCopyToFile(temp.string())) {
        const std::string reason = errno ? std::strerror(errno) : "write failed";
        std::filesystem::remove(temp, ec);
        ctx.err << "cal save: cannot write " << out << ": " << reason << "\n";
        return 1;
    }
    std::filesystem::rename(temp, target, ec);
    if (ec) {
        const std::string reason = ec.message();
        std::filesystem::remove(temp, ec);
        ctx.err << "cal save: cannot write " << out << ": " << reason << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

int RunCal(CliContext& ctx) {
    const auto& a = ctx.args;
    if (WantsHelp(a)) {
        ctx.out << kUsage << kHelp;
        return 0;
    }
    for (const std::string& word : a) {
        if (word.size() > 1 && word[0] == '-') {
            ctx.err << "cal: unknown option \"" << word << "\"\n" << kUsage;
            return 2;
        }
    }
    if (a.size() == 2 && a[0] == "show") return Show(ctx);
    if (a.size() == 3 && a[0] == "save") return Save(ctx);
    ctx.err << kUsage;
    return 2;
}

}  // namespace tidewell::cli
