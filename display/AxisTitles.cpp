#include "display/AxisTitles.h"

namespace tidewell {

std::string AxisTitle(int code) {
    switch (code) {
        case 1:
        case 2:
        case 5:
            return "Backscattering Coefficient (/m)";
        case 6:
            return "Normalized signal";
        case 7:
            return "Attenuation (/m)";
        case 12:
            return "Attenuation & Absorption (/m)";
        case 13:
            return "Depth (m)";
        case 14:
            return "Depth (feet)";
        case 15:
            return "Pressure (PSI)";
        case 16:
            return "Distance (cm)";
        case 17:
            return "Angle (degrees)";
        case 18:
            return "Wavelength (nm)";
        case 19:
            return "Elapsed Time (minutes)";
        case 20:
            return "Temperature (C)";
        default:
            return "Unknown data type";
    }
}

}  // namespace tidewell
