#pragma once
// One row of a calibrated data file: the sample's time and depth, then the calibrated
// quantities the instrument type carries, comma-separated. This runs for every sample of a
// recording, a batch conversion or a cast transfer, so it builds the row in the writer's
// reused buffer and hands it over in one write.

#include <string>

#include "calibration/CalibratedSample.h"
#include "files/DataFileWriter.h"

namespace tidewell {

// Appends the row, CR LF included, to `out`. The beta columns only with `includeBeta` (the
// IncludeBetaInDatFiles preference).
void AppendDatRow(std::string& out, const CalibratedSample& sample, int instrumentType,
                  bool includeBeta);

// Writes the row to the file; nothing when the file is not open.
void WriteDatRow(DataFileWriter& file, const CalibratedSample& sample, int instrumentType,
                 bool includeBeta);

}  // namespace tidewell
