#pragma once
// Converts a list of raw files, one after the other or several at once on their own threads.
// The batch window and the convert subcommand both run their conversions here.
//
// Whatever the number of jobs, everything the caller sees happens on the calling thread and in
// list order: the messages of each file go to the Prompter once the file is finished, and the
// observer hears of each file when it and all files before it are done. Each job converts with
// its own copy of the calibration and its own buffers, so the outputs are the same bytes as
// with one job.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "calibration/CalibrationData.h"
#include "files/DatFile.h"
#include "files/RawConversion.h"
#include "stream/Clock.h"
#include "stream/Prompter.h"

namespace tidewell {

enum class OutputKind { kCalibrated, kDecimal };

// ".dat" or ".dec".
const char* OutputExtension(OutputKind kind);

struct FileConversion {
    std::string input;
    std::string output;
};

struct ConvertFilesOptions {
    OutputKind kind = OutputKind::kCalibrated;
    bool withHousekeeping = false;  // decimal output: the housekeeping columns
    // Calibrated output: the calibration applied, brought up to date by the caller.
    const CalibrationDataClass* calibration = nullptr;
    HeaderSettings header;  // user header, sigma and pure-water parameters
    // Read for each file's creation date as the file is started; the system clock when null.
    const Clock* clock = nullptr;
    int jobs = 1;  // files converted at once; below 1 counts as 1
};

struct ConvertFilesProgress {
    size_t filesDone = 0;
    size_t fileCount = 0;
    // Over all files: each file counts its length + 128 bytes, as its own progress range.
    int64_t position = 0;
    int64_t range = 0;
};

// Told on the calling thread. Every method has a do-nothing default.
class ConvertFilesObserver {
  public:
    virtual ~ConvertFilesObserver() = default;
    // With one job every 300 lines of the file being converted; with more, a few times a
    // second. The desktop program lets pending window events run here (where Cancel may set
    // the cancel flag).
    virtual void Progress(const ConvertFilesProgress&) {}
    // A file is finished (in list order): 0 or the error number of ConvertRawToDat or
    // ConvertRawToDecimal.
    virtual void FileDone(size_t /*index*/, int /*errorNumber*/, const ConversionReport&) {}
};

struct ConvertFilesResult {
    size_t converted = 0;  // finished without error and without being cancelled
    size_t failed = 0;
    size_t notStarted = 0;  // left out because the run was cancelled
    bool cancelled = false;
};

// Converts every file of the list. An error in one file is reported (through the Prompter) and
// the others go on. The cancel flag (-1) stops the file being converted after its current line
// and starts no more. Only complete outputs are put in place: a failed or cancelled file leaves
// no output, and an older file of that name stays as it was.
ConvertFilesResult ConvertFiles(const std::vector<FileConversion>& files,
                                const ConvertFilesOptions& options, Prompter& prompter,
                                ConvertFilesObserver* observer = nullptr,
                                const std::atomic<int>* cancel = nullptr);

}  // namespace tidewell
