#include "files/RawConversion.h"

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "calibration/Conversion.h"
#include "files/DataFileWriter.h"
#include "files/FileInfo.h"
#include "files/FilePaths.h"
#include "files/LineReader.h"
#include "stream/Decoder.h"
#include "stream/Models.h"
#include "stream/NumberText.h"
#include "stream/StarPackets.h"
#include "stream/TextHelpers.h"

namespace tidewell {

namespace {

// Opens the input and then the output's partial file; on failure shows the message and gives
// the error number.
int OpenBoth(LineReader& reader, const std::string& inPath, DataFileWriter& writer,
             const std::string& outPath, Prompter& prompter) {
    if (!reader.Open(inPath)) {
        prompter.ShowMessage(OpenErrorText(inPath, reader.ErrorText()));
        return reader.ErrorNumber();
    }
    // Writing over the input would empty it before it is read.
    std::error_code ec;
    if (std::filesystem::equivalent(std::filesystem::path(inPath), std::filesystem::path(outPath),
                                    ec)) {
        prompter.ShowMessage(OpenErrorText(outPath, "it is the file being converted"));
        reader.Close();
        return EINVAL;
    }
    if (!writer.Open(PartialName(outPath))) {
        prompter.ShowMessage(OpenErrorText(outPath, writer.ErrorText()));
        reader.Close();
        return writer.ErrorNumber();
    }
    // The rows of the next lines are built while the system writes the last ones.
    writer.WriteBehind();
    return 0;
}

// Closes both files and puts the output in place when it is complete and on the disk. A failed
// read or write is reported now; then, as after a cancel, the partial file goes and an older
// output stays as it was.
int CloseBoth(LineReader& reader, const std::string& inPath, DataFileWriter& writer,
              const std::string& outPath, Prompter& prompter, const ConversionReport& report) {
    const bool complete = !report.cancelled && writer.Sync();
    writer.Close();
    reader.Close();
    const std::string partial = writer.Path();
    auto fail = [&](int number, const std::string& text) {
        prompter.ShowMessage(text);
        DeleteFileQuietly(partial);
        return number;
    };
    if (reader.ReadFailed())
        return fail(reader.ErrorNumber(),
                    "Error reading " + inPath + ": " + reader.ErrorText() + ".");
    if (writer.WriteFailed())
        return fail(writer.ErrorNumber(), WriteErrorText(outPath, writer.ErrorText()));
    if (!complete) {
        DeleteFileQuietly(partial);
        return 0;
    }
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(partial), std::filesystem::path(outPath), ec);
    if (ec) return fail(ec.value(), WriteErrorText(outPath, SystemErrorText(ec.value())));
    return 0;
}

// A row was written: a failed write ends the conversion, whose output is lost anyway.
LineStep WrittenRow(const DataFileWriter& writer) {
    return writer.WriteFailed() ? LineStep::kStop : LineStep::kUsed;
}

// --- Raw decimal rows. Numbers as in the calibrated file: no blanks, "." as the point, every
// value but the time in single precision; counts and codes as whole numbers.

void AppendInt(std::string& out, int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void AppendSingle(std::string& out, double value) {
    AppendSignificant(out, static_cast<float>(value), 7);
}

// Scaled values (degrees, volts) are rounded to 2 decimals, which is all the instruments
// resolve; this also keeps binary fractions such as 20.2000008 out of the file.
void AppendRounded(std::string& out, double value) {
    AppendSingle(out, RoundDecimals(value, 2));
}

// The sample time in seconds of the instrument clock, with its hundredths.
void AppendSeconds(std::string& out, const SampleRecord& r) {
    AppendSignificant(out, RoundDecimals(r.time + r.subSecond / 100.0, 2), 15);
}

// Channels of a D or T row: the type's channel count on the Vantor types; all eight that the
// packet carries when the file's type is not a Vantor type.
int ChannelRowCount(int type) {
    return IsVantorFamily(type) ? ChannelCount(type) : 8;
}

// A D or T packet row. The packets carry time, the eight raw (already normalised) counts, the
// gain codes, pressure, temperature and the tail code, which the instruments use as their
// error flags. The housekeeping columns come from the last H packet before the row: per
// channel its three 4-digit values are the signal offset, the reference and the reference
// offset and its signed 2-digit value the background; its four housekeeping fields are the two
// supply voltages (sent as volts x 10, written in volts), the backup voltage and the auxiliary
// reading (both as sent). Before any H packet these columns read 0.
void AppendChannelRow(std::string& out, const SampleRecord& r, const HeaderRecord& h, int type,
                      bool withHousekeeping) {
    const int n = ChannelRowCount(type);
    AppendSeconds(out, r);
    out += ',';
    AppendSingle(out, r.depthCounts);
    out += ',';
    for (int k = 0; k < n; ++k) {
        AppendInt(out, r.raw[k]);
        out += ',';
        if (withHousekeeping) {
            for (int j = 0; j < 3; ++j) {
                AppendInt(out, h.channel[k][j]);
                out += ',';
            }
        }
    }
    for (int k = 0; k < n; ++k) {
        AppendInt(out, r.gain[k]);
        out += ',';
    }
    if (withHousekeeping) {
        for (int k = 0; k < n; ++k) {
            AppendInt(out, h.channel[k][3]);
            out += ',';
        }
    }
    AppendRounded(out, r.temperature);
    out += ',';
    if (withHousekeeping) {
        AppendRounded(out, h.housekeeping[0] / 10.0);
        out += ',';
        AppendRounded(out, h.housekeeping[1] / 10.0);
        out += ',';
        AppendSingle(out, h.housekeeping[2]);
        out += ',';
        AppendSingle(out, h.housekeeping[3]);
        out += ',';
    }
    AppendInt(out, r.tailCode);
    out += "\r\n";
}

// A single-channel row: time, the scattering counts (Beta), gain code, the option's counts
// (Trans), pressure and temperature. The housekeeping columns are the six values that the
// long decimal lines carry after the temperature and that I packets report: supply voltage,
// LED drive (the information level), the two background codes (channel code and information
// code) and the two further temperatures (information values A and B). A record is kept for
// the whole file, so a packet row shows the values of the last I packet before it.
void AppendSingleRow(std::string& out, const SampleRecord& r, bool withHousekeeping) {
    AppendSeconds(out, r);
    out += ',';
    AppendSingle(out, r.normalized[0]);
    out += ',';
    AppendInt(out, r.gain[0]);
    out += ',';
    AppendInt(out, r.optionCounts);
    out += ',';
    AppendSingle(out, r.depthCounts);
    out += ',';
    AppendRounded(out, r.temperature);
    if (withHousekeeping) {
        out += ',';
        AppendRounded(out, r.voltage);
        out += ',';
        AppendRounded(out, r.infoLevel);
        out += ',';
        AppendInt(out, r.channelCode[0]);
        out += ',';
        AppendInt(out, r.infoCode);
        out += ',';
        AppendRounded(out, r.infoA);
        out += ',';
        AppendRounded(out, r.infoB);
    }
    out += "\r\n";
}

}  // namespace

std::string DecimalHeading(int type, bool withHousekeeping) {
    std::string h;
    if (IsVantorFamily(type)) {
        const int n = ChannelCount(type);
        h = "Time,Pressure,";
        for (int k = 1; k <= n; ++k) {
            const std::string c = std::to_string(k);
            h += "Snorm" + c + ",";
            if (withHousekeeping) h += "SigOff" + c + ",Ref" + c + ",RefOff" + c + ",";
        }
        for (int k = 1; k <= n; ++k) h += "Gain" + std::to_string(k) + ",";
        if (withHousekeeping)
            for (int k = 1; k <= n; ++k) h += "Bgnd" + std::to_string(k) + ",";
        h += "Temp,";
        if (withHousekeeping) h += "VSupA,VSubB,VBack,VAux,";
        h += "Error\r\n";
    } else if (IsSingleChannel(type)) {
        h = "Time,Beta,Gain,Trans,Pressure,";
        h += withHousekeeping ? "Temp,Voltage,LEDDrive,BBgnd,TBgnd,Temp2,Temp3" : "Temp";
        h += "\r\n";
    } else if (IsTrevan(type)) {
        h = "Time,";
    }
    // A file of no known type has no heading; its channel packets still give rows.
    return h;
}

int ConvertRawToDat(const std::string& rawPath, const std::string& datPath,
                    const CalibrationDataClass& calibration, const HeaderSettings& settings,
                    double creationDate, Prompter& prompter, const ConversionControl& control,
                    ConversionReport* report) {
    ConversionReport own;
    ConversionReport& rep = report != nullptr ? *report : own;
    rep = ConversionReport{};
    LineReader reader;
    DataFileWriter writer;
    if (int error = OpenBoth(reader, rawPath, writer, datPath, prompter)) return error;

    WriteDatHeader(writer, calibration, rawPath, settings, creationDate);
    const ConversionContext context(calibration, settings.sigma, settings.pureWater);
    const int type = calibration.DeviceType;
    const bool includeBeta = settings.pureWater.IncludeBetaInDatFiles;
    // One calibrated sample for the whole file, as the live loop keeps one per connection: a
    // value whose computation faults keeps the one before it in both.
    CalibratedSample sample;
    SampleRecord record;
    ForEachLine(reader, control, rep, [&](std::string_view line) {
        if (!DecodeAndConvert(line, context, sample, type, record)) return LineStep::kSkipped;
        WriteDatRow(writer, sample, type, includeBeta);
        return WrittenRow(writer);
    });
    return CloseBoth(reader, rawPath, writer, datPath, prompter, rep);
}

int ConvertRawToDecimal(const std::string& rawPath, const std::string& decPath,
                        bool withHousekeeping, Prompter& prompter, const ConversionControl& control,
                        ConversionReport* report) {
    ConversionReport own;
    ConversionReport& rep = report != nullptr ? *report : own;
    rep = ConversionReport{};
    std::string fileType, serial;
    const int type = DetectFileKind(rawPath, fileType, serial);
    LineReader reader;
    DataFileWriter writer;
    if (int error = OpenBoth(reader, rawPath, writer, decPath, prompter)) return error;

    writer.Write(DecimalHeading(type, withHousekeeping));
    // Lines are decoded into one record kept for the whole file, as the terminal does, so that
    // the values an I packet reports stay with the packets after it.
    SampleRecord record;
    HeaderRecord header;
    std::string& row = writer.RowBuffer();
    ForEachLine(reader, control, rep, [&](std::string_view line) {
        if (line.size() < 2) return LineStep::kSkipped;
        const bool star = line[0] == '*';
        const char letter = line[1];
        row.clear();
        if (star && (letter == 'D' || letter == 'T')) {
            if (!DecodeLine(line, type, record)) return LineStep::kSkipped;  // a bad checksum
            AppendChannelRow(row, record, header, type, withHousekeeping);
        } else if (star && (letter == 'A' || letter == 'C')) {
            if (!DecodeLine(line, type, record)) return LineStep::kSkipped;
            AppendSingleRow(row, record, withHousekeeping);
        } else if (star && letter == 'H') {
            if (ChecksumOk(line)) DecodeHeaderPacket(line, header);
            return LineStep::kSkipped;
        } else if (star && letter == 'I') {
            DecodeLine(line, type, record);  // information only, never a sample
            return LineStep::kSkipped;
        } else if (IsSingleChannel(type) && StartsNumeric(line)) {
            DecodeDecimalSample(line, record);
            AppendSingleRow(row, record, withHousekeeping);
        } else {
            return LineStep::kSkipped;
        }
        writer.Write(row);
        return WrittenRow(writer);
    });
    return CloseBoth(reader, rawPath, writer, decPath, prompter, rep);
}

}  // namespace tidewell
