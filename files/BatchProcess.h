#pragma once
// The batch conversion behind the "Process Raw Data Files" window: which files of a folder are
// eligible, and the processing of the selected ones with its checks, its overwrite question
// and its progress. The window only shows what happens here: messages and the question go
// through the Prompter, the progress and each finished file through a BatchObserver.

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

#include "calibration/CalibrationData.h"
#include "calibration/SigmaModel.h"
#include "files/ConvertFiles.h"
#include "files/DatFile.h"
#include "stream/Clock.h"
#include "stream/Prompter.h"

namespace tidewell {

inline constexpr const char* kNoSourceFolderMessage =
    "Cannot proceed, because the source directory does not exists.";
inline constexpr const char* kNoDestinationFolderMessage =
    "Cannot proceed, because the desination directory does not exists.";
inline constexpr const char* kNoCalibrationFileMessage =
    "Cannot proceed, because no calibration file is specified.";
inline constexpr const char* kBadCalibrationFileMessage =
    "Cannot proceed, because the specified calibration file does not exist or is of an unknown "
    "type.";
inline constexpr const char* kNothingSelectedMessage =
    "You must select some files from the list to specify those you wish to process.";
inline constexpr const char* kSavingCalibratedCaption = "Saving Calibrated Data";
inline constexpr const char* kSavingDecimalCaption = "Saving Decimal Data";

// The question asked when outputs exist already; buttons "Overwrite" and "Cancel".
std::string OverwriteQuestion(size_t existing, size_t selected);

// Whether a file name matches a pattern of the pattern box: "?" stands for one character, "*"
// for any run of them, letters match ignoring case (the files come from instruments and
// computers that do not keep case), and a pattern ending in ".*" also takes names without an
// extension, so that "*.*" lists every file.
bool MatchesFilePattern(std::string_view name, std::string_view pattern);

// Whether data of one instrument type can be converted with a calibration of another: the same
// type, or single-channel decimal data (which do not tell the three single-channel models
// apart and so are recognised as x-Lumo data) with a calibration of any single-channel model.
// Nothing is compatible with the unknown type.
bool InstrumentTypesCompatible(int dataType, int calibrationType);

// The model a raw file's header names (its DeviceType key) when a calibration of
// `calibrationType` cannot convert data of that model; kUnknownType when the header names none
// (a file that cannot be read names none), or one that fits.
int MismatchedHeaderModel(const std::string& rawPath, int calibrationType);

// The names of the eligible files of a folder: every file whose name matches the pattern, in
// the folder's listing order, which here is the order of the names' bytes so that the list is
// the same on every file system. With calibrated output and `filterByCalibration`, only raw
// files of a type compatible with the calibration whose serial number matches the
// calibration's; without a calibration no file passes the filter. A folder that cannot be
// read lists nothing.
std::vector<std::string> ListEligibleFiles(const std::string& folder, const std::string& pattern,
                                           OutputKind output, bool filterByCalibration,
                                           const CalibrationDataClass* calibration);

// What the window's fields say.
struct BatchRequest {
    std::string sourceFolder;
    std::vector<std::string> selected;  // names of the selected files, in list order
    OutputKind output = OutputKind::kCalibrated;
    std::string calFile;
    bool withHousekeeping = false;  // "Include Housekeeping"
    bool saveToSource = true;       // "Same location as raw files"
    std::string destinationFolder;
    int jobs = 1;  // files converted at once
};

// What the program gives the batch.
struct BatchEnvironment {
    HeaderSettings header;  // user header, sigma and pure-water parameters
    const SigmaTables* tables = nullptr;
    const Clock* clock = nullptr;  // creation dates; the system clock when null
};

// The window's side: the progress window and the list. Every method has a do-nothing default;
// FileDone (from ConvertFilesObserver) is where the window unselects the file.
class BatchObserver : public ConvertFilesObserver {
  public:
    // Show the progress window with this caption.
    virtual void Begin(const std::string& /*caption*/) {}
    // Hide it.
    virtual void End() {}
};

struct BatchOutcome {
    bool started = false;  // the checks passed and the conversion ran
    std::vector<FileConversion> files;
    ConvertFilesResult result;
};

// The "Process" button: the checks and the question in their order, then every selected file
// converted. The cancel flag is set to 1 while the files are converted (the progress window's
// Cancel sets it to -1) and to 0 afterwards.
BatchOutcome ProcessFiles(const BatchRequest& request, const BatchEnvironment& environment,
                          Prompter& prompter, BatchObserver* observer = nullptr,
                          std::atomic<int>* cancel = nullptr);

}  // namespace tidewell
