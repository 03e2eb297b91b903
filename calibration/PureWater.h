#pragma once
// Optical properties of pure water: absorption from a table at 5 nm steps, volume scattering and
// backscattering from a power law in wavelength. The class holds no state; its members are
// static so that `PureWater.a(lambda)` and `PurewaterClass::a(lambda)` both read naturally.

#include <array>

namespace tidewell {

class PurewaterClass {
  public:
    static constexpr int kFirstLambda = 380;  // nm, first table entry
    static constexpr int kStep = 5;           // nm between entries
    static constexpr int kCount = 71;         // 380 .. 730 nm

    // Absorption of pure water, per metre, 380-730 nm at 5 nm steps.
    static constexpr std::array<float, kCount> kAbsorption = {
        0.01137f, 0.00941f, 0.00851f, 0.00813f, 0.00663f, 0.0053f,  0.00473f, 0.00444f, 0.00454f,
        0.00478f, 0.00495f, 0.0053f,  0.00635f, 0.00751f, 0.00922f, 0.00962f, 0.00979f, 0.01011f,
        0.0106f,  0.0114f,  0.0127f,  0.0136f,  0.0151f,  0.0173f,  0.0204f,  0.0256f,  0.0325f,
        0.0396f,  0.0409f,  0.0417f,  0.0434f,  0.0452f,  0.0474f,  0.0511f,  0.0565f,  0.0596f,
        0.0619f,  0.0642f,  0.0695f,  0.0772f,  0.0896f,  0.11f,    0.1351f,  0.1672f,  0.2224f,
        0.2577f,  0.2644f,  0.2678f,  0.2755f,  0.2834f,  0.2916f,  0.3012f,  0.3108f,  0.325f,
        0.34f,    0.371f,   0.41f,    0.429f,   0.439f,   0.448f,   0.465f,   0.486f,   0.516f,
        0.559f,   0.624f,   0.704f,   0.827f,   1.007f,   1.231f,   1.489f,   2.0f};

    // Absorption at `lambda` nm: the 380 nm value below 385 nm, the 730 nm value from 730 nm
    // on, the table value on a grid point and a straight line between grid points elsewhere.
    static float a(double lambda);
    // Volume scattering at `lambda` nm and `angleDegrees`, for sea water when `salt`; 0 at
    // lambda 0.
    static float beta(double lambda, double angleDegrees, bool salt);
    // Backscattering: 8.03 times the volume scattering at 90 degrees.
    static float bb(double lambda, bool salt);
};

// Lets callers write PureWater.a(lambda). A constant, not a shared object: the class has no state.
inline constexpr PurewaterClass PureWater{};

}  // namespace tidewell
