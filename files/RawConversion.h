#pragma once
// Converting one stored raw file: into a calibrated data file (".dat") with a calibration, or
// into a raw decimal file (".dec") of the decoded counts without one. The batch window, the
// command line and the convert subcommand all come here, and the calibrated rows are the ones a
// live recording with the same calibration writes.
//
// Both conversions stream: the input is read through a fixed buffer and cut into lines in place,
// rows are built in the writer's reused buffer, so memory stays the same whatever the size of
// the file.

#include <string>

#include "calibration/CalibrationData.h"
#include "files/DatFile.h"
#include "files/LineLoop.h"
#include "stream/Prompter.h"

namespace tidewell {

// The raw file as a calibrated data file: the calibrated header with the raw path as data
// source, then one row for every line that decodes and converts as a sample of the
// calibration's instrument type. Header sections of the raw file decode to nothing and are
// dropped, so joined recordings give one file with one header.
//
// The output is written beside its path under the partial name (PartialName), put on the disk
// and renamed onto the path only when complete. A failed write or read, or the cancel flag,
// removes the partial file instead: no partial output is ever left under the path, and an older
// file there stays as it was.
//
// Returns 0 (also when cancelled), or the system's error number when a file could not be opened
// ("Error opening " + path + ": " + description + "." is shown) or the output could not be
// written completely ("Error writing " + path + ...). An output that names the raw file itself
// is refused before anything is written, as the rename would replace the raw file.
int ConvertRawToDat(const std::string& rawPath, const std::string& datPath,
                    const CalibrationDataClass& calibration, const HeaderSettings& settings,
                    double creationDate, Prompter& prompter, const ConversionControl& control = {},
                    ConversionReport* report = nullptr);

// The raw file as comma-separated decoded values: one heading line for the file's instrument
// type (found with DetectFileKind) and one row per channel or single-channel packet, or per
// decimal sample line of a single-channel instrument. No calibration is needed. With
// `withHousekeeping` the heading and rows carry the housekeeping columns too. Returns as
// ConvertRawToDat.
int ConvertRawToDecimal(const std::string& rawPath, const std::string& decPath,
                        bool withHousekeeping, Prompter& prompter,
                        const ConversionControl& control = {}, ConversionReport* report = nullptr);

// The heading line of a raw decimal file, CR LF included (the Trevan-2's "Time," has none).
std::string DecimalHeading(int instrumentType, bool withHousekeeping);

}  // namespace tidewell
