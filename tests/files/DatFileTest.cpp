// The calibrated data file, checked byte for byte against files written by hand.

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "files/DatFile.h"
#include "stream/Clock.h"
#include "stream/DateValue.h"
#include "support/TestSupport.h"

namespace tidewell {
namespace {

using namespace test;

// 4 July 2005, 14:03:09.
double CreationTime() {
    return DateTimeValue({2005, 7, 4, 14, 3, 9});
}

CalibrationDataClass MakeCalibration(int type, const std::vector<std::string>& names,
                                     const std::string& serial, const std::string& config,
                                     const std::string& source) {
    CalibrationDataClass cal;
    cal.DeviceType = type;
    for (size_t k = 0; k < names.size(); ++k) cal.SetName(static_cast<int>(k), names[k]);
    cal.Serial = serial;
    cal.Config = config;
    cal.SetSourceFileName(source);
    return cal;
}

HeaderSettings PlainSettings() {
    HeaderSettings s;
    s.pureWater.bb0 = 0.0005f;
    s.pureWater.beta0 = 0.00012f;
    s.pureWater.lambda0 = 525;
    s.pureWater.gammaLambda = 4.32f;
    s.pureWater.chi = 1.08f;
    s.pureWater.IncludeBetaInDatFiles = false;
    return s;
}

void Choose(PureWaterParams& p, bool fresh, bool salt, bool corvane, bool custom) {
    p.MorelFresh = fresh;
    p.MorelSalt = salt;
    p.CorvaneRecommended = corvane;
    p.CustomPure = custom;
    p.NoPure = !(fresh || salt || corvane || custom);
}

// Channel k: bb (corrected) (k+1)/1000, bb uncorrected (k+1)E-5, beta (corrected) k + .5,
// beta uncorrected -(k+1)/4; the option channels 1234.5678, 1/3 and 12345678.
CalibratedSample Sample() {
    CalibratedSample s;
    s.time = 38537.5;
    s.depth = 12.25f;
    for (int k = 0; k < 8; ++k) {
        s.bbCorrected[k] = (k + 1) / 1000.0;
        s.bb[k] = (k + 1) * 1e-5;
        s.betaCorrected[k] = k + 0.5;
        s.beta[k] = -0.25 * (k + 1);
    }
    s.sigmaK = 1234.5678f;
    s.aCorrected = 1.0f / 3.0f;
    s.attenuation[0] = 12345678.0f;
    s.attenuation[1] = 0;
    s.temperature = 21.5f;
    return s;
}

struct GoldenCase {
    const char* golden;
    CalibrationDataClass calibration;
    std::function<void(HeaderSettings&)> settings;
    std::string dataSource;
    std::vector<CalibratedSample> rows;
};

std::vector<GoldenCase> GoldenCases() {
    const std::vector<std::string> vantor6{"bb412", "bb440", "bb488", "bb510",
                                           "bb532", "bb595", "fl470", "fl530"};
    std::vector<GoldenCase> cases;
    cases.push_back({"vantor6.dat",
                     MakeCalibration(0, vantor6, "VN123456", "cfg A", "/cal/VN123456.cal"),
                     [](HeaderSettings&) {},
                     "",
                     {Sample()}});

    // A user header, a caller's data source, a calibration read from the instrument, a* as a
    // number and bbTilde from a table, the custom model and chi from the calibration file.
    CalibrationDataClass fromInstrument = MakeCalibration(0, vantor6, "VN123456", "cfg A", "");
    fromInstrument.SetSigmaExp(0, 0.02);
    cases.push_back({"vantor6-beta.dat",
                     fromInstrument,
                     [](HeaderSettings& s) {
                         s.userHeader = "Cruise 12\nStation 4";
                         s.sigma.aStar = 0.0045;
                         s.sigma.bTilde = Failed;
                         s.sigma.bTildeFile = "/tables/bb.csv";
                         Choose(s.pureWater, false, false, false, true);
                         s.pureWater.useCalFileChi = true;
                         s.pureWater.IncludeBetaInDatFiles = true;
                     },
                     "/data/cast1.raw",
                     {Sample()}});

    // No pure-water model; a faulted value and a time with fifteen digits.
    CalibratedSample faulted = Sample();
    faulted.time = 38537.609317129629;
    faulted.depth = 0;
    faulted.bbCorrected[0] = Failed;
    cases.push_back({"vantor4.dat",
                     MakeCalibration(1, {"bb470", "bb532", "bb650", "bb700"}, "V4-0042", "",
                                     "/cal/V4-0042.cal"),
                     [](HeaderSettings& s) { Choose(s.pureWater, false, false, false, false); },
                     "",
                     {Sample(), faulted}});

    cases.push_back(
        {"vantor2.dat",
         MakeCalibration(2, {"bb470", "bb700", "fl470"}, "V2-7", "cfg B", "/cal/V2-7.cal"),
         [](HeaderSettings& s) {
             Choose(s.pureWater, false, true, false, false);
             s.pureWater.IncludeBetaInDatFiles = true;
         },
         "",
         {Sample()}});

    cases.push_back({"clumo-beta.dat",
                     MakeCalibration(4, {"bb650", "c(650)"}, "CL-5", "", "/cal/CL-5.cal"),
                     [](HeaderSettings& s) {
                         s.sigma.cUseVN = true;
                         Choose(s.pureWater, false, false, true, false);
                         s.pureWater.IncludeBetaInDatFiles = true;
                     },
                     "",
                     {Sample()}});

    cases.push_back({"xlumo.dat",
                     MakeCalibration(5, {"bb650"}, "XL-9", "", "/cal/XL-9.cal"),
                     [](HeaderSettings& s) { s.pureWater.IncludeBetaInDatFiles = true; },
                     "",
                     {Sample()}});

    return cases;
}

TEST(DatFile, HeaderAndRowsOfEveryTypeMatchTheirGoldenFiles) {
    TempDir dir;
    for (GoldenCase& c : GoldenCases()) {
        HeaderSettings settings = PlainSettings();
        c.settings(settings);
        const std::string path = dir.File(c.golden);
        {
            DataFileWriter file;
            ASSERT_TRUE(file.Open(path));
            WriteDatHeader(file, c.calibration, c.dataSource, settings, CreationTime());
            for (const CalibratedSample& row : c.rows)
                WriteDatRow(file, row, c.calibration.DeviceType,
                            settings.pureWater.IncludeBetaInDatFiles);
        }
        const std::string expected = ReadFileBytes(DataPath(std::string("files/") + c.golden));
        ASSERT_FALSE(expected.empty()) << c.golden;
        EXPECT_EQ(ReadFileBytes(path), expected) << c.golden;
    }
}

// The single forms are the number texts' own; a row writes each value as the single nearest it,
// and one beyond a single's range as the marker, never "Infinity" or "NaN".
TEST(DatFile, RowNumbersAreSinglesWithoutLeadingZero) {
    const std::tuple<double, const char*> cases[] = {
        {1.0 / 3.0, ".3333333"},
        {-4e38, "1E+308"},
        {std::numeric_limits<double>::quiet_NaN(), "1E+308"}};
    for (const auto& [value, text] : cases) {
        CalibratedSample s;
        s.time = 1;
        s.bbCorrected[0] = value;
        std::string row;
        AppendDatRow(row, s, 2, false);  // Vantor-2: time, depth, then channel 0's bb
        EXPECT_EQ(row.substr(0, row.find(',', 4) + 1), std::string("1,0,") + text + ",") << text;
    }
}

}  // namespace
}  // namespace tidewell
