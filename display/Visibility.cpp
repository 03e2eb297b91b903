#include "display/Visibility.h"

#include <cmath>
#include <limits>

#include "display/GraphModel.h"

namespace tidewell {

double VisibilityFeet(double attenuation, const VisibilityParameters& p) {
    constexpr double none = std::numeric_limits<double>::quiet_NaN();
    if (!(p.contrastThreshold > 0) || !(p.inherentContrast > p.contrastThreshold)) return none;
    double alpha = attenuation;
    if (p.vertical) {
        if (!(p.x > 0)) return none;
        alpha += attenuation / p.x;
    }
    if (!(alpha > 0) || !std::isfinite(alpha)) return none;
    return std::log(p.inherentContrast / p.contrastThreshold) / alpha * kFeetPerMetre;
}

}  // namespace tidewell
