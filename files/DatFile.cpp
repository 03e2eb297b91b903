#include "files/DatRow.h"

#include "stream/Models.h"
#include "stream/NumberText.h"

namespace tidewell {

namespace {
// Every quantity but the time is written as single precision.
inline void AppendSingle(std::string& out, double value) {
    AppendSignificant(out, static_cast<float>(value), 7);
}

inline void AppendItems(std::string& out, const double* values, int n) {
    for (int k = 0; k < n; ++k) {
        AppendSingle(out, values[k]);
        out += ',';
    }
}
}  // namespace

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
