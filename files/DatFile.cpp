#include "files/DatFile.h"

#include "files/HeaderText.h"
#include "stream/Models.h"
#include "stream/NumberText.h"

namespace tidewell {

namespace {
// Header parameters: the short form with a zero before the point, 15 digits for the sigma
// parameters (doubles) and 7 for the pure-water ones (singles).
void AppendParameter(std::string& out, const char* key, double value) {
    out += key;
    out += FormatSignificantLeadingZero(value, 15);
    out += "\r\n";
}

void AppendParameter(std::string& out, const char* key, float value) {
    out += key;
    out += FormatSignificantLeadingZero(value, 7);
    out += "\r\n";
}

void AppendSigmaSection(std::string& out, int type, const SigmaParams& p) {
    if (IsVantorFamily(type) || (type == kCLumo && p.cUseVN)) {
        AppendLine(out, "[SigmaParams]");
        AppendParameter(out, "ad400=", p.ad400);
        if (AStarFromFile(p))
            AppendLine(out, "aStarFile=" + p.aStarFile);
        else
            AppendParameter(out, "aStarValue=", p.aStar);
        AppendLine(out, "awFile=Tidewell.exe");
        if (BTildeFromFile(p))
            AppendLine(out, "bbTildeFile=" + p.bTildeFile);
        else
            AppendParameter(out, "bbTildeValue=", p.bTilde);
        AppendParameter(out, "C=", p.C);
        AppendParameter(out, "gammad=", p.gammad);
        AppendParameter(out, "gammay=", p.gammay);
    } else if (type == kCLumo) {
        AppendLine(out, "[SigmaParams]");
        AppendParameter(out, "p=", p.p);
    }
}

const char* PureWaterModelName(const PureWaterParams& p) {
    if (p.MorelFresh) return "MorelFresh";
    if (p.MorelSalt) return "MorelSalt";
    if (p.CorvaneRecommended) return "CorvaneRecommended";
    if (p.CustomPure) return "Custom";
    return "";  // no pure-water correction
}

void AppendPureWaterSection(std::string& out, const PureWaterParams& p) {
    AppendLine(out, "[bbParams]");
    AppendLine(out, std::string("PureWaterModel=") + PureWaterModelName(p));
    AppendParameter(out, "bb0=", p.bb0);
    AppendParameter(out, "beta0=", p.beta0);
    AppendParameter(out, "lambda0=", p.lambda0);
    AppendParameter(out, "gammaLambda=", p.gammaLambda);
    if (p.useCalFileChi)
        AppendLine(out, "chi=FromCalFile");
    else
        AppendParameter(out, "chi=", p.chi);
}

// Channels named under [Channels]: every record in use on the Vantor types, the scattering
// channel and the option's channels on the single-channel models, the two Trevan-2 channels.
int NamedChannelCount(int type) {
    if (IsVantorFamily(type)) return ChannelCount(type);
    if (type == kALumo) return 3;
    if (type == kCLumo || type == kTrevan2) return 2;
    return 0;
}
// Every quantity but the time is written as single precision. A value no single can hold (the
// faulted value's marker 1E+308 among them) becomes infinite, which is written as the marker, so
// that readers can still tell it.
inline char* WriteSingle(char* p, double value) {
    return WritePlainSingle(p, static_cast<float>(value));
}

inline char* WriteItems(char* p, const double* values, int n) {
    for (int k = 0; k < n; ++k) {
        p = WriteSingle(p, values[k]);
        *p++ = ',';
    }
    return p;
}

// Room for the longest row: the time (at most 23 characters) and 33 singles (at most 15), each
// with its comma, and the line end.
constexpr size_t kRowRoom = 24 + 33 * 16 + 2;

// Writes the row into `p` and returns its end.
char* WriteRow(char* p, const CalibratedSample& s, int type, bool includeBeta) {
    p = WriteSignificant(p, s.time, 15);
    *p++ = ',';
    p = WriteSingle(p, s.depth);
    *p++ = ',';
    if (IsVantorFamily(type)) {
        // Every item ends with a comma, the last one too.
        const int n = ChannelCount(type);
        p = WriteItems(p, s.bbCorrected, n);
        p = WriteItems(p, s.bb, n);
        if (includeBeta) {
            p = WriteItems(p, s.betaCorrected, n);
            p = WriteItems(p, s.beta, n);
        }
    } else if (type == kALumo || type == kCLumo) {
        p = WriteSingle(p, s.bbCorrected[0]);
        *p++ = ',';
        p = WriteSingle(p, s.bb[0]);
        *p++ = ',';
        if (type == kALumo) {
            p = WriteSingle(p, s.sigmaK);  // channel 2, the measured absorption
            *p++ = ',';
            p = WriteSingle(p, s.aCorrected);  // channel 1
        } else {
            p = WriteSingle(p, s.attenuation[0]);  // channel 1, the measured attenuation
        }
        if (includeBeta) {
            *p++ = ',';
            p = WriteSingle(p, s.betaCorrected[0]);
            *p++ = ',';
            p = WriteSingle(p, s.beta[0]);
        }
    } else if (type == kTrevan2) {
        p = WriteSingle(p, s.attenuation[0]);
        *p++ = ',';
        p = WriteSingle(p, s.attenuation[1]);
        *p++ = ',';
        p = WriteSingle(p, s.temperature);
    }
    // x-Lumo and unknown types: time and depth only.
    *p++ = '\r';
    *p++ = '\n';
    return p;
}

}  // namespace

void AppendColumnHeading(std::string& out, const CalibrationDataClass& cal, bool includeBeta) {
    const int type = cal.DeviceType;
    out += "Time,Depth";
    if (IsVantorFamily(type)) {
        const int n = ChannelCount(type);
        for (int k = 0; k < n; ++k) out += "," + cal.name(k);
        for (int k = 0; k < n; ++k) out += "," + cal.name(k) + "uncorr";
        if (includeBeta) {
            for (int k = 0; k < n; ++k) out += ",beta" + cal.name(k);
            for (int k = 0; k < n; ++k) out += ",beta" + cal.name(k) + "uncorr";
        }
        out += "\r\n";
    } else if (type == kALumo) {
        out += "," + cal.name(0) + "," + cal.name(0) + "u," + cal.name(2) + "," + cal.name(1);
        if (includeBeta) out += ",beta" + cal.name(0) + ",beta" + cal.name(0) + "u,";
        out += "\r\n";
    } else if (type == kCLumo) {
        out += "," + cal.name(0) + "," + cal.name(0) + "u," + cal.name(1) + "\r\n";
        if (includeBeta) out += ",beta" + cal.name(0) + ",beta" + cal.name(0) + "u,";
        out += "\r\n";
    } else if (type == kTrevan2) {
        out += "," + cal.name(0) + "," + cal.name(1) + ",IntT\r\n\r\n";
    } else {
        out += "\r\n";
    }
}

void AppendDatHeader(std::string& out, const CalibrationDataClass& cal,
                     const std::string& dataSource, const HeaderSettings& settings,
                     double creationDate) {
    const int type = cal.DeviceType;
    const std::string deviceType = ModelName(type);
    HeaderStart start;
    start.userHeader = settings.userHeader;
    start.creationDate = creationDate;
    start.fileType = "dat";
    start.deviceType = deviceType;
    start.dataSource = dataSource.empty() ? deviceType : dataSource;
    start.calSource = cal.SourceFile().empty() ? deviceType : cal.SourceFile();
    start.serial = cal.Serial;
    start.config = cal.Config;
    AppendHeaderStart(out, start);

    AppendSigmaSection(out, type, settings.sigma);
    AppendLine(out, cal.UseSigmaExp(0) ? "ExponentialFit=True" : "ExponentialFit=False");
    if (ChannelCount(type) > 0) AppendPureWaterSection(out, settings.pureWater);

    AppendLine(out, "[Channels]");
    for (int k = 0, n = NamedChannelCount(type); k < n; ++k)
        AppendLine(out, "\"" + cal.name(k) + "\"");
    AppendLine(out, "[ColumnHeadings]");
    AppendColumnHeading(out, cal, settings.pureWater.IncludeBetaInDatFiles);
    AppendLine(out, "[Data]");
}

void WriteDatHeader(DataFileWriter& file, const CalibrationDataClass& calibration,
                    const std::string& dataSource, const HeaderSettings& settings,
                    double creationDate) {
    if (!file.IsOpen()) return;
    std::string text;
    AppendDatHeader(text, calibration, dataSource, settings, creationDate);
    file.Write(text);
}

void AppendDatRow(std::string& out, const CalibratedSample& sample, int instrumentType,
                  bool includeBeta) {
    char row[kRowRoom];
    out.append(row, static_cast<size_t>(WriteRow(row, sample, instrumentType, includeBeta) - row));
}

void WriteDatRow(DataFileWriter& file, const CalibratedSample& sample, int instrumentType,
                 bool includeBeta) {
    if (!file.IsOpen()) return;
    char row[kRowRoom];
    const char* end = WriteRow(row, sample, instrumentType, includeBeta);
    file.Write(std::string_view(row, static_cast<size_t>(end - row)));
}

}  // namespace tidewell
