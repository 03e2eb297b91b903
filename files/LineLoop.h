#pragma once
// The loop over the lines of a stored file that the raw conversions and the file loaders share:
// the program-wide cancel flag is read before every line, so that Cancel ends the work after
// the current line, and the caller's progress is told every 300 lines.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string_view>

#include "files/LineReader.h"
#include "stream/LineCounts.h"

namespace tidewell {

// How the caller watches and stops the work.
struct ConversionControl {
    // Called before the first line and then every 300 lines with the input position in bytes
    // and the progress range (the input's length + 128), and once more at the end. The desktop
    // program moves its progress bar and lets pending window events run here.
    std::function<void(int64_t position, int64_t range)> progress;
    // The program-wide cancel flag: -1 ends the work after the current line. Read before every
    // line and once more at the end of the input; it may be set from another thread or a signal
    // handler.
    const std::atomic<int>* cancel = nullptr;
};

// What became of the work, beyond its error number: the lines read, those that gave a row (or
// a point) as samples, and the losses.
struct ConversionReport : LineCounts {
    bool cancelled = false;  // the cancel flag ended it (a conversion then puts nothing in place)
};

// What the handler made of a line.
enum class LineStep {
    kSkipped,  // not a row: a message, a header line, a bad checksum (counted by its kind)
    kUsed,     // counted as a row
    kStop,     // the work ends here, without a row for this line
};

inline constexpr int64_t kLinesPerProgress = 300;
// The progress range runs a little past the input's length, so that the bar is not full
// before the files are closed.
inline constexpr int64_t kProgressSlack = 128;

inline bool CancelRequested(const std::atomic<int>* cancel) {
    return cancel != nullptr && cancel->load(std::memory_order_relaxed) == -1;
}

// Hands every line to `handle(line)`, which returns a LineStep. The line is a view into the
// reader's buffer, valid until the reader moves on; the handler may read further lines itself.
template <typename HandleLine>
void ForEachLine(LineReader& reader, const ConversionControl& control, ConversionReport& report,
                 HandleLine&& handle) {
    const int64_t range = reader.Size() + kProgressSlack;
    std::string_view line;
    for (;;) {
        if (CancelRequested(control.cancel)) {
            report.cancelled = true;
            break;
        }
        if (report.lines % kLinesPerProgress == 0 && control.progress)
            control.progress(reader.Position(), range);
        if (!reader.Next(line)) break;
        ++report.lines;
        const LineStep step = handle(line);
        if (step == LineStep::kStop) break;
        if (step == LineStep::kUsed)
            ++report.samples;
        else if (line.size() < LineReader::kMaxLineBytes)  // a cut line counts as over-long
            report.CountNonSample(line);
    }
    report.overLong = reader.CutLines();
    // A cancel that came while the last read waited (a signal, say) still cancels.
    if (CancelRequested(control.cancel)) report.cancelled = true;
    if (control.progress) control.progress(reader.Position(), range);
}

}  // namespace tidewell
