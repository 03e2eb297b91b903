#pragma once
// Diver visibility from the water's attenuation, for the visibility view of a-Lumo data.
//
// The model is the contrast-transmittance law: the apparent contrast of a target seen through
// water falls off exponentially with the distance, C(r) = C0 exp(-alpha r) (S. Q. Duntley,
// "Light in the sea", J. Opt. Soc. Am. 53(2), 214-233, 1963). A target stops being seen where
// its contrast has fallen to the eye's threshold Ct, at r = ln(C0 / Ct) / alpha.
// Looking horizontally alpha is the beam attenuation coefficient c. Looking along a vertical
// path the ambient light also fades with depth, and alpha = c + K with K the diffuse
// attenuation coefficient (R. W. Preisendorfer, "Secchi disk science: visual optics of natural
// waters", Limnol. Oceanogr. 31(5), 909-926, 1986); K is taken as c / X.

namespace tidewell {

struct VisibilityParameters {
    double x = 2.7;                   // KavraX: the ratio c / K of beam to diffuse attenuation
    double contrastThreshold = 0.02;  // KavraCThreshold: Ct, the least contrast an eye sees
    double inherentContrast = 0.2;    // KavraInherentC: C0, the target's contrast close up
    bool vertical = false;            // KavraVertical: a vertical path rather than a horizontal
};

// The distance in feet at which a target is lost from sight in water of beam attenuation
// `attenuation` (/m); NaN where the model gives no distance (no attenuation, a contrast that
// starts at or below the threshold, a vertical path without a positive X).
double VisibilityFeet(double attenuation, const VisibilityParameters& p);

}  // namespace tidewell
