#include "calibration/PureWater.h"

#include <cmath>

namespace tidewell {

float PurewaterClass::a(double lambda) {
    const double n = std::floor((lambda - kFirstLambda) / kStep);
    // Everything below 385 nm takes the first entry, not a line towards the second.
    if (!(n > 0)) return kAbsorption[0];
    if (n < kCount - 1) {
        const int i = static_cast<int>(n);
        const double grid = kFirstLambda + kStep * i;
        if (lambda == grid) return kAbsorption[i];
        const double lower = kAbsorption[i];
        const double upper = kAbsorption[i + 1];
        return static_cast<float>(lower + (lambda - grid) / kStep * (upper - lower));
    }
    return kAbsorption[kCount - 1];
}

float PurewaterClass::beta(double lambda, double angleDegrees, bool salt) {
    if (lambda == 0) return 0;
    constexpr double pi = 3.1415926;  // the value the scattering model was fitted with
    const double c = std::cos(angleDegrees * pi / 180);
    const double coefficient = salt ? 0.000146 : 0.000112;
    return static_cast<float>(std::pow(525 / lambda, 4.32) * coefficient * (1 + 0.835 * c * c));
}

float PurewaterClass::bb(double lambda, bool salt) {
    return static_cast<float>(8.03 * beta(lambda, 90, salt));
}

}  // namespace tidewell
