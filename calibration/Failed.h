#pragma once
// The marker value 1.0E+308. In a calibrated value it says that the computation faulted; in the
// sigma parameters aStar and bTilde it says that the value is looked up in the parameter's table
// file instead. The number writers write any value that is not finite as this marker too.

#include "stream/NumberText.h"

namespace tidewell {

inline constexpr double Failed = kFailedMarker;

}  // namespace tidewell
