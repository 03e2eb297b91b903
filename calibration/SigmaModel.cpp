#include "calibration/SigmaModel.h"

#include <cmath>
#include <filesystem>
#include <limits>
#include <system_error>

#include "stream/NumberText.h"

namespace tidewell {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

std::string MissingMessage(const char* purpose, int lambda, const std::string& file) {
    return std::string("A value needed for ") + purpose + " of " + std::to_string(lambda) +
           " nm backscattering values could not be loaded from " + file + ".  " +
           "See 'Sigma Parameters' under the File menu to select a different file.";
}

}  // namespace

SigmaTables LoadSigmaTables(const SigmaParams& params) {
    SigmaTables tables;
    if (AStarFromFile(params)) tables.aStar = LoadSigmaTable(params.aStarFile);
    if (BTildeFromFile(params)) tables.bTilde = LoadSigmaTable(params.bTildeFile);
    return tables;
}

std::string AStarMissingMessage(int lambda, const std::string& file) {
    return MissingMessage("adjustment", lambda, file);
}

std::string BTildeMissingMessage(int lambda, const std::string& file) {
    return MissingMessage("sigma-correction", lambda, file);
}

double EstimateA(const SigmaParams& params, const SigmaTables& tables, int lambda,
                 bool includeWater, Prompter& prompter) {
    double aStar = params.aStar;
    if (AStarFromFile(params)) {
        aStar = TableLookup(tables.aStar, lambda);
        if (aStar == kInfinity) {
            prompter.ShowMessage(AStarMissingMessage(lambda, params.aStarFile));
            return kInfinity;
        }
    }
    double a = 0.06 * aStar * std::pow(params.C, 0.65);
    if (includeWater) a += PurewaterClass::a(lambda);
    a *= 1 + 0.2 * std::exp(-params.gammay * (lambda - 440));
    a += params.ad400 * std::exp(-params.gammad * (lambda - 400));
    return a;
}

double EstimateBbTilde(const SigmaParams& params, const SigmaTables& tables, int lambda,
                       Prompter& prompter) {
    if (!BTildeFromFile(params)) return params.bTilde;
    const double value = TableLookup(tables.bTilde, lambda);
    if (value == kInfinity) prompter.ShowMessage(BTildeMissingMessage(lambda, params.bTildeFile));
    return value;
}

double PureBeta(const PureWaterParams& prefs, double lambda) {
    if (lambda == 0) return 0;
    return prefs.beta0 * std::pow(prefs.lambda0 / lambda, prefs.gammaLambda);
}

BetaToBb BetaToBbAt(const PureWaterParams& prefs, double lambda, double chiCal) {
    BetaToBb terms;
    if (prefs.useCalFileChi && chiCal >= 3)
        terms.chi = chiCal;  // the calibration already holds 2 pi chi
    else
        terms.chi = 6.2832 * (prefs.useCalFileChi ? chiCal : prefs.chi);
    const double f = lambda == 0 ? 0 : std::pow(prefs.lambda0 / lambda, prefs.gammaLambda);
    terms.betaWater = prefs.beta0 * f;
    terms.bbWater = prefs.bb0 * f;
    return terms;
}

double BbFromBeta(const PureWaterParams& prefs, double beta, double lambda, double chiCal) {
    return BetaToBbAt(prefs, lambda, chiCal)(beta);
}

double PureWaterK(double lambda, bool includePurewater) {
    const double bbWater = PurewaterClass::bb(lambda, false);
    if (includePurewater) return PurewaterClass::a(lambda) + 1.6 * bbWater;
    return 0.8 * bbWater;
}

double SigmaOfK(const SigmaCoefficients& c, double K) {
    const double sigma =
        c.useSigmaExp ? c.s0 * std::exp(c.sigmaExp * K) : c.s0 + c.s1 * K + c.s2 * (K * K);
    return std::isfinite(sigma) ? sigma : Failed;
}

std::string SigmaBoxDescription(SigmaBox box) {
    switch (box) {
        case SigmaBox::bTilde:
            return "backscattering ratio";
        case SigmaBox::aStar:
            return "specific absorption of phytoplankton";
        case SigmaBox::C:
            return "chlorophyll concentration";
    }
    return "";
}

std::optional<LimitFailure> EnforceLimits(const SigmaBoxTexts& texts) {
    struct Rule {
        SigmaBox box;
        const std::string& text;
        double min;
        double max;
        bool acceptsFile;
    };
    const Rule rules[] = {
        {SigmaBox::bTilde, texts.bTilde, 0.005, 0.04, true},
        {SigmaBox::aStar, texts.aStar, 0, 1, true},
        {SigmaBox::C, texts.C, 0, 1000000, false},
    };
    for (const Rule& rule : rules) {
        std::error_code ec;
        if (rule.acceptsFile && !rule.text.empty() &&
            std::filesystem::is_regular_file(rule.text, ec))
            continue;
        double value = 0;
        if (ReadWholeDecimal(rule.text, value) && value >= rule.min && value <= rule.max) continue;
        const std::string range = FormatSignificantLeadingZero(rule.min, 15) + " and " +
                                  FormatSignificantLeadingZero(rule.max, 15) + " for the " +
                                  SigmaBoxDescription(rule.box) + ".";
        return LimitFailure{
            rule.box,
            (rule.acceptsFile ? "Please enter either a valid file name or a numeric value between "
                              : "Please enter a numeric value between ") +
                range};
    }
    return std::nullopt;
}

}  // namespace tidewell
