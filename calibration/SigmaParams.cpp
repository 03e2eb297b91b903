#include "calibration/SigmaParams.h"

#include <filesystem>
#include <system_error>

#include "stream/NumberText.h"

namespace tidewell {

namespace {

bool IsFile(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

}  // namespace

SigmaParams DefaultSigmaParams(const std::string& programFolder) {
    SigmaParams p;
    p.aStarFile = (std::filesystem::path(programFolder) / kAStarTableName).string();
    return p;
}

bool SetAStarFromText(SigmaParams& params, const std::string& text,
                      const std::string& fallbackFile) {
    double value = 0;
    if (ReadWholeDecimal(text, value)) {
        params.aStar = value;
        params.aStarFile.clear();
        return true;
    }
    params.aStar = Failed;
    if (IsFile(text)) {
        params.aStarFile = text;
        return true;
    }
    if (IsFile(fallbackFile)) {
        params.aStarFile = fallbackFile;
        return true;
    }
    // Keep the name so that the user sees what was asked for and can correct it.
    params.aStarFile = text;
    return false;
}

bool SetBTildeFromText(SigmaParams& params, const std::string& text) {
    double value = 0;
    if (ReadWholeDecimal(text, value)) {
        params.bTilde = value;
        params.bTildeFile.clear();
        return true;
    }
    params.bTildeFile = text;
    if (IsFile(text)) {
        params.bTilde = Failed;
        return true;
    }
    params.bTilde = 0.015;
    return false;
}

std::string AStarText(const SigmaParams& params) {
    return params.aStarFile.empty() ? FormatSignificantLeadingZero(params.aStar, 15)
                                    : params.aStarFile;
}

std::string BTildeText(const SigmaParams& params) {
    return params.bTildeFile.empty() ? FormatSignificantLeadingZero(params.bTilde, 15)
                                     : params.bTildeFile;
}

void ChoosePureWaterModel(PureWaterParams& params, PureWaterModel model) {
    params.CorvaneRecommended = model == PureWaterModel::CorvaneRecommended;
    params.MorelFresh = model == PureWaterModel::MorelFresh;
    params.MorelSalt = model == PureWaterModel::MorelSalt;
    params.CustomPure = model == PureWaterModel::CustomPure;
    params.NoPure = model == PureWaterModel::NoPure;
    switch (model) {
        case PureWaterModel::CorvaneRecommended:
        case PureWaterModel::MorelFresh:
        case PureWaterModel::MorelSalt: {
            const bool salt = model == PureWaterModel::MorelSalt;
            // The recommended terms take half of fresh water's scattering.
            const float share = model == PureWaterModel::CorvaneRecommended ? 0.5f : 1.0f;
            params.beta0 = PurewaterClass::beta(525, 140, salt) * share;
            params.bb0 = PurewaterClass::bb(525, salt) * share;
            params.lambda0 = 525;
            params.gammaLambda = 4.32f;
            break;
        }
        case PureWaterModel::CustomPure:
            break;
        case PureWaterModel::NoPure:
            params.beta0 = 0;
            params.bb0 = 0;
            break;
    }
}

}  // namespace tidewell
