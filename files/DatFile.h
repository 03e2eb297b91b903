#pragma once
// The calibrated data file (".dat"): a sectioned header naming the instrument, the calibration
// and the correction parameters, then one comma-separated row of calibrated quantities per
// sample. Written during live recording, by batch conversion and by cast transfer.

#include <string>

#include "calibration/CalibratedSample.h"
#include "calibration/CalibrationData.h"
#include "calibration/SigmaParams.h"
#include "files/DataFileWriter.h"

namespace tidewell {

// What a data-file header takes from the program's settings.
struct HeaderSettings {
    std::string userHeader;     // App/UserHeader; its own section when not empty
    SigmaParams sigma;          // section Sigma
    PureWaterParams pureWater;  // section bbPrefs, IncludeBetaInDatFiles included
};

// Appends the header from the user header through "[Data]". The instrument type is the
// calibration's. An empty data source is written as the device type name (live recording);
// batch conversion and cast transfer give the raw file's path. `creationDate` is the clock's
// date value.
void AppendDatHeader(std::string& out, const CalibrationDataClass& calibration,
                     const std::string& dataSource, const HeaderSettings& settings,
                     double creationDate);

// Writes the header to the file; nothing when the file is not open.
void WriteDatHeader(DataFileWriter& file, const CalibrationDataClass& calibration,
                    const std::string& dataSource, const HeaderSettings& settings,
                    double creationDate);

// The comma-separated column names for the calibration's type, ending in CR LF (two lines for
// a c-Lumo, a heading and an empty line for c-Lumo without beta and for Trevan-2).
void AppendColumnHeading(std::string& out, const CalibrationDataClass& calibration,
                         bool includeBeta);

// One row: the sample's time and depth, then the calibrated quantities the instrument type
// carries. This runs for every sample, so it builds the row in the writer's reused buffer and
// hands it over in one write.
// Appends the row, CR LF included, to `out`. The beta columns only with `includeBeta` (the
// IncludeBetaInDatFiles preference).
void AppendDatRow(std::string& out, const CalibratedSample& sample, int instrumentType,
                  bool includeBeta);

// Writes the row to the file; nothing when the file is not open.
void WriteDatRow(DataFileWriter& file, const CalibratedSample& sample, int instrumentType,
                 bool includeBeta);

}  // namespace tidewell
