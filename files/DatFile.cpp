#include "files/DatFile.h"

#include <cmath>
#include <limits>

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
// Every quantity but the time is written as single precision. A faulted value keeps its marker
// 1E+308, which no single can hold, so that readers can still tell it.
inline void AppendSingle(std::string& out, double value) {
    if (std::fabs(value) > std::numeric_limits<float>::max())
        AppendSignificant(out, value, 7);
    else
        AppendSignificant(out, static_cast<float>(value), 7);
}

inline void AppendItems(std::string& out, const double* values, int n) {
    for (int k = 0; k < n; ++k) {
        AppendSingle(out, values[k]);
        out += ',';
    }
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

void AppendDatRow(std::string& out, const CalibratedSample& s, int type, bool includeBeta) {
    AppendSignificant(out, s.time, 15);
    out += ',';
    AppendSingle(out, s.depth);
    out += ',';
    if (IsVantorFamily(type)) {
        // Every item ends with a comma, the last one too.
        const int n = ChannelCount(type);
        AppendItems(out, s.bbCorrected, n);
        AppendItems(out, s.bb, n);
        if (includeBeta) {
            AppendItems(out, s.betaCorrected, n);
            AppendItems(out, s.beta, n);
        }
    } else if (type == kALumo || type == kCLumo) {
        AppendSingle(out, s.bbCorrected[0]);
        out += ',';
        AppendSingle(out, s.bb[0]);
        out += ',';
        if (type == kALumo) {
            AppendSingle(out, s.sigmaK);  // channel 2, the measured absorption
            out += ',';
            AppendSingle(out, s.aCorrected);  // channel 1
        } else {
            AppendSingle(out, s.attenuation[0]);  // channel 1, the measured attenuation
        }
        if (includeBeta) {
            out += ',';
            AppendSingle(out, s.betaCorrected[0]);
            out += ',';
            AppendSingle(out, s.beta[0]);
        }
    } else if (type == kTrevan2) {
        AppendSingle(out, s.attenuation[0]);
        out += ',';
        AppendSingle(out, s.attenuation[1]);
        out += ',';
        AppendSingle(out, s.temperature);
    }
    // x-Lumo and unknown types: time and depth only.
    out += "\r\n";
}

void WriteDatRow(DataFileWriter& file, const CalibratedSample& sample, int instrumentType,
                 bool includeBeta) {
    if (!file.IsOpen()) return;
    std::string& row = file.RowBuffer();
    row.clear();
    AppendDatRow(row, sample, instrumentType, includeBeta);
    file.Write(row);
}

}  // namespace tidewell
