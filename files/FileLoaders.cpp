// Loading stored raw and calibrated files into a data window's graph.

#include "files/FileLoaders.h"

#include <algorithm>

#include "calibration/Conversion.h"
#include "files/DataFileWriter.h"
#include "files/HeaderText.h"
#include "files/LineLoop.h"
#include "stream/Models.h"
#include "stream/NumberText.h"
#include "stream/TextHelpers.h"

namespace tidewell {

namespace {

constexpr double kFeetPerMetre = 39.37 / 12;
constexpr double kMinutesPerDay = 1440;
// While a group grows the graph is drawn every 300 points once it holds more than 2000, so
// that small files are drawn once, at the end.
constexpr int64_t kPointsPerRedraw = 300;
constexpr int64_t kPointsBeforeRedraws = 2000;
constexpr size_t kMaxChannelNames = 8;

// The progress window and the cancel flag for the length of a load. Ending it hides the
// window and draws the graph with its final scaling.
class LoadSession {
  public:
    LoadSession(LoadContext& context, int64_t fileLength) : context_(context) {
        context_.sink.BeginProgress(kLoadingDataCaption, fileLength);
        if (context_.cancel != nullptr) *context_.cancel = 1;
    }
    ~LoadSession() {
        if (context_.cancel != nullptr) *context_.cancel = 0;
        context_.sink.EndProgress();
        context_.sink.Redraw(true);
    }
    LoadSession(const LoadSession&) = delete;
    LoadSession& operator=(const LoadSession&) = delete;

  private:
    LoadContext& context_;
};

// Hands the samples of a load to the graph in groups of at most its capacity, asking at each
// full group whether to stop or go on with the next.
class PointGroups {
  public:
    // `loadPosition` is the window's record of where the group shown begins; `questionEnd`
    // ends the group-full question.
    PointGroups(LoadContext& context, int64_t startPosition, int64_t& loadPosition,
                const char* questionEnd, LoadReport& report)
        : context_(context),
          capacity_(std::max<int64_t>(1, context.sink.Capacity())),
          continuing_(startPosition != 0),
          againstDepth_(context.sink.AgainstDepth()),
          depthFactor_(context.sink.DepthInFeet() ? kFeetPerMetre : 1.0),
          loadPosition_(loadPosition),
          questionEnd_(questionEnd),
          report_(report) {
        report_.groups = 1;
    }

    // One sample, read from the line that begins at `lineStart`; `position` is where reading
    // has got to. False when the load ends before this sample.
    bool Add(const CalibratedSample& sample, int64_t lineStart, int64_t position) {
        // The first sample of the load is the start of the elapsed time.
        if (report_.groups == 1 && report_.points == 0) t0_ = sample.time;
        const double x =
            againstDepth_ ? sample.depth * depthFactor_ : (sample.time - t0_) * kMinutesPerDay;
        if (report_.points >= capacity_ && !NextGroup(lineStart)) return false;
        context_.sink.AddPoint(x, sample);
        const int64_t points = ++report_.points;
        if (points > kPointsBeforeRedraws && points % kPointsPerRedraw == 0) {
            context_.sink.Redraw(false);
            context_.sink.SetProgress(position);
            context_.sink.ProcessEvents();
        }
        return true;
    }

  private:
    // The group is full. A load from a recorded position shows that one group; otherwise the
    // user chooses. "Next" starts the new group with the sample at hand, so the group's
    // recorded position is the start of that sample's line.
    bool NextGroup(int64_t lineStart) {
        report_.stopped = true;
        if (continuing_) return false;
        const int answer = context_.prompter.Ask(
            "This file contains more points than can be displayed at one "
            "time. Would you like to stop now and display this group of " +
                std::to_string(report_.points) + " points, " + questionEnd_,
            {"Stop", "Next"});
        if (answer != 0) return false;  // "Stop", or the question closed
        report_.stopped = false;
        context_.sink.Clear();
        loadPosition_ = lineStart;
        report_.points = 0;
        ++report_.groups;
        return true;
    }

    LoadContext& context_;
    const int64_t capacity_;
    const bool continuing_;
    const bool againstDepth_;
    const double depthFactor_;
    int64_t& loadPosition_;
    const char* questionEnd_;
    LoadReport& report_;
    double t0_ = 0;
};

// The start both loaders share: the path becomes the window's shown file (`shownFile`), its
// header the window's file information, and the file is opened; on failure the user is told
// why.
bool OpenForLoading(LineReader& reader, const std::string& path, std::string& shownFile,
                    RecordingWindow& window, LoadContext& context, LoadReport& report) {
    shownFile = path;
    ReadFileInfo(path, window.fileInfo);
    report.opened = reader.Open(path);
    if (!report.opened) context.prompter.ShowMessage(OpenErrorText(path, reader.ErrorText()));
    return report.opened;
}

// The fields of a calibrated file's rows, separated by commas or line ends, read the way the
// rows were written: a comma at the end of a line ends the line's last field, and a blank line
// holds no field. A row with fewer fields than its type has is read on into the next line.
class FieldReader {
  public:
    explicit FieldReader(LineReader& reader) : reader_(reader) {}

    // The next field, without the quotes of a quoted one; valid until the next call. False at
    // the end of the file.
    bool Next(std::string_view& field) {
        while (!inLine_) {
            lineStart_ = reader_.Position();
            if (!reader_.Next(rest_)) return false;
            inLine_ = !rest_.empty();
        }
        size_t end;
        if (rest_.front() == '"') {
            const size_t close = rest_.find('"', 1);
            field = rest_.substr(1, close == std::string_view::npos ? close : close - 1);
            end = close == std::string_view::npos ? close : rest_.find(',', close);
        } else {
            end = rest_.find(',');
            field = rest_.substr(0, end);
        }
        if (end == std::string_view::npos || end + 1 == rest_.size()) {
            SkipRestOfLine();
        } else {
            rest_.remove_prefix(end + 1);
        }
        return true;
    }

    double NextNumber(bool& ok) {
        std::string_view field;
        ok = ok && Next(field);
        return ok ? ReadDecimal(field) : 0;
    }

    void SkipRestOfLine() {
        rest_ = {};
        inLine_ = false;
    }

    // Where the row that the next field begins is found: the start of its line.
    int64_t RowPosition() const { return inLine_ ? lineStart_ : reader_.Position(); }

  private:
    LineReader& reader_;
    std::string_view rest_;
    bool inLine_ = false;
    int64_t lineStart_ = 0;
};

// The header of a calibrated file, up to its "[Data]" line: every line but "[Header]" and
// "[Data]" goes into the header text, and the names under "[Channels]" into `names`.
void ReadDatHeader(LineReader& reader, std::string& headerText, std::vector<std::string>& names) {
    FieldReader fields(reader);
    // False at the "[Data]" line.
    auto headerLine = [&](std::string_view line) {
        const std::string lower = LowerCase(line);
        if (lower == "[data]") return false;
        if (lower != "[header]") AppendLine(headerText, line);
        if (lower != "[channels]") return true;
        // The names follow one by one, on lines of their own or separated by commas, until
        // the next section or the eighth name.
        std::string_view name;
        while (names.size() < kMaxChannelNames && fields.Next(name)) {
            if (name.starts_with('[')) {  // the next section's line
                fields.SkipRestOfLine();
                if (EqualsIgnoringCase(name, "[data]")) return false;
                AppendLine(headerText, name);
                return true;
            }
            names.emplace_back(name);
            AppendLine(headerText, name);
        }
        fields.SkipRestOfLine();
        return true;
    };
    std::string_view line;
    while (reader.Next(line) && headerLine(line)) {
    }
}

// The number of commas of the file's rows: that of the first two consecutive lines that have
// the same number (blank lines aside), or of the last line when no two agree.
int RowCommaCount(LineReader& reader) {
    int previous = -1;
    std::string_view line;
    while (reader.Next(line)) {
        if (line.empty()) continue;
        const int commas = CountCommas(line);
        if (commas == previous) break;
        previous = commas;
    }
    return std::max(previous, 0);
}

// Reads one row's values into the fields it was written from (see LoadSink.h). False when the
// file ends within the row.
bool ReadDatRow(FieldReader& fields, int type, int rowCommas, CalibratedSample& s) {
    std::string_view first;
    if (!fields.Next(first)) return false;
    s.time = ReadDecimal(first);
    bool ok = true;
    s.depth = static_cast<float>(fields.NextNumber(ok));
    int skipAbove = -1;  // the comma count above which the rest of the line holds beta columns
    if (IsVantorFamily(type)) {
        const int n = ChannelCount(type);
        for (int k = 0; k < n; ++k) s.bbCorrected[k] = fields.NextNumber(ok);
        for (int k = 0; k < n; ++k) s.bb[k] = fields.NextNumber(ok);
        skipAbove = 2 * n + 2;
    } else if (type == kALumo) {
        s.bbCorrected[0] = fields.NextNumber(ok);
        s.bb[0] = fields.NextNumber(ok);
        s.sigmaK = static_cast<float>(fields.NextNumber(ok));
        s.aCorrected = static_cast<float>(fields.NextNumber(ok));
        skipAbove = 6;
    } else if (type == kCLumo) {
        s.bbCorrected[0] = fields.NextNumber(ok);
        s.bb[0] = fields.NextNumber(ok);
        s.attenuation[0] = static_cast<float>(fields.NextNumber(ok));
        skipAbove = 5;
    } else if (type == kTrevan2) {
        s.attenuation[0] = static_cast<float>(fields.NextNumber(ok));
        s.attenuation[1] = static_cast<float>(fields.NextNumber(ok));
        s.temperature = static_cast<float>(fields.NextNumber(ok));
    }
    if (skipAbove >= 0 && rowCommas > skipAbove) fields.SkipRestOfLine();
    return ok;
}

// A calibrated sample that holds only what a row of the type carries.
CalibratedSample EmptyRowSample(int type) {
    CalibratedSample s;
    s.instrumentType = std::to_string(type);
    const int channels = IsVantorFamily(type) ? ChannelCount(type) : IsSingleChannel(type) ? 1 : 0;
    for (int k = 0; k < channels; ++k) s.valid[k] = true;
    return s;
}

}  // namespace

LoadReport LoadRawFile(const std::string& path, int64_t startPosition, RecordingWindow& window,
                       LoadContext& context) {
    LoadReport report;
    LineReader reader;
    if (!OpenForLoading(reader, path, window.files.shownRawFile, window, context, report))
        return report;

    const CalibrationDataClass empty;
    const CalibrationDataClass& calibration =
        window.calibration != nullptr ? *window.calibration : empty;
    // Decimal lines of the single-channel models do not tell the three apart (they read as
    // x-Lumo data): the calibration tells.
    int type = window.fileInfo.instrumentType;
    if (type == kXLumo) type = calibration.DeviceType;
    window.instrumentType = type;
    context.sink.SetInstrumentType(type);

    LoadSession session(context, reader.Size());
    if (startPosition != 0) reader.Seek(startPosition);
    window.files.rawLoadPosition = reader.Position();
    // A load from the beginning reads the header text afresh; a continued load shows a group
    // whose headers were read when the load first went past them.
    const bool readHeaders = startPosition == 0;
    if (readHeaders) window.headerText.clear();

    const ConversionContext conversion(calibration, context.sigma, context.pureWater);
    CalibratedSample sample;
    SampleRecord record;
    PointGroups groups(context, startPosition, window.files.rawLoadPosition,
                       "or load then next group?", report);
    ConversionControl control;
    control.cancel = context.cancel;
    ConversionReport lines;
    int64_t lineStart = reader.Position();
    ForEachLine(reader, control, lines, [&](std::string_view line) {
        const int64_t begin = lineStart;
        lineStart = reader.Position();
        // A header may stand anywhere: recordings are joined into one file. Its lines are the
        // header text, never data.
        if (line.find("[Header]") != std::string_view::npos) {
            while (reader.Next(line) && line.find("[End") == std::string_view::npos)
                if (readHeaders) AppendLine(window.headerText, line);
            lineStart = reader.Position();
            return LineStep::kSkipped;
        }
        if (!DecodeAndConvert(line, conversion, sample, type, record)) return LineStep::kSkipped;
        return groups.Add(sample, begin, lineStart) ? LineStep::kUsed : LineStep::kStop;
    });
    report.cancelled = lines.cancelled;
    return report;
}

LoadReport LoadDatFile(const std::string& path, int64_t startPosition, RecordingWindow& window,
                       LoadContext& context) {
    LoadReport report;
    LineReader reader;
    if (!OpenForLoading(reader, path, window.files.shownDatFile, window, context, report))
        return report;
    const int type = window.fileInfo.instrumentType;
    window.instrumentType = type;
    context.sink.SetInstrumentType(type);

    window.headerText.clear();
    std::vector<std::string> names;
    ReadDatHeader(reader, window.headerText, names);
    context.sink.SetChannelNames(names);
    const int64_t dataStart = reader.Position();
    const int rowCommas = RowCommaCount(reader);
    reader.Seek(dataStart);

    LoadSession session(context, reader.Size());
    if (startPosition != 0) reader.Seek(startPosition);
    window.files.datLoadPosition = reader.Position();

    PointGroups groups(context, startPosition, window.files.datLoadPosition,
                       "or load the next group?", report);
    FieldReader fields(reader);
    CalibratedSample sample = EmptyRowSample(type);
    for (;;) {
        if (CancelRequested(context.cancel)) {
            report.cancelled = true;
            break;
        }
        const int64_t rowStart = fields.RowPosition();
        if (!ReadDatRow(fields, type, rowCommas, sample)) break;
        if (!groups.Add(sample, rowStart, reader.Position())) break;
    }
    return report;
}

LoadReport OpenFile(RecordingWindow& window, const std::string& path, const std::string& fileType,
                    LoadContext& context) {
    std::string kind = fileType;
    if (kind.empty()) {
        std::string serial;
        DetectFileKind(path, kind, serial);
    }
    LoadReport report;
    if (kind == "raw" || kind == "rmu") {
        context.sink.Clear();
        if (kind == "rmu") context.sink.SetUpForMu();
        report = LoadRawFile(path, 0, window, context);
    } else if (kind == "dat") {
        context.sink.Clear();
        report = LoadDatFile(path, 0, window, context);
    } else {
        context.sink.Redraw(true);
        return report;
    }
    if (report.opened) context.sink.LoadFinished();
    return report;
}

}  // namespace tidewell
