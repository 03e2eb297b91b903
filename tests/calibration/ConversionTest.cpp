#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <tuple>

#include "calibration/Conversion.h"
#include "stream/Models.h"
#include "support/TestSupport.h"
#include "tools/packets/PacketBuilder.h"

namespace tidewell {
namespace {

using test::ScriptedPrompter;

// Sigma settings whose estimates are simple: no phytoplankton or detritus absorption (a = 0)
// and a backscattering ratio of 0.02, so that K = 0.4 (bb - bb_w) / 0.02 = 20 (bb - bb_w).
SigmaParams PlainSigma() {
    SigmaParams p;
    p.aStar = 0;
    p.ad400 = 0;
    p.bTilde = 0.02;
    return p;
}

// No pure-water terms in bb, and the calibration's chi taken as it stands: bb = chi x beta.
PureWaterParams PlainWater() {
    PureWaterParams w;
    w.useCalFileChi = true;
    w.beta0 = 0;
    w.bb0 = 0;
    return w;
}

// Pure-water bb at 525 nm: 8.03 x 0.000112 = 0.00089936.
constexpr double kWaterBb = 0.00089936;

// Every channel at 525 nm with Mu 0.0001 at gain setting 1 (gains 1, 10, 100, 1000, 10000),
// chi 7 (3 on fluorescence channels), sigma 1 + 0.01 K; depth 0.5 counts - 10; calibrated at
// 20 deg C.
CalibrationDataClass Channels(int type, const SigmaParams& sigma = PlainSigma()) {
    CalibrationDataClass cal;
    ScriptedPrompter prompter;
    cal.DeviceType = type;
    cal.DepthCal = 0.5f;
    cal.DepthOff = 10;
    cal.CalTemp = 20;
    for (int c = 0; c < cal.ChannelCount(); ++c) {
        cal.SetName(c, "bb(525)");
        cal.SetMu(c, 1, 0.0001);
        cal.SetBeta2bb(c, c < cal.bChannels() ? 7 : 3);
    }
    cal.CheckAndUpdateAll(sigma, {}, prompter);
    for (int c = 0; c < cal.ChannelCount(); ++c) {
        cal.SetSigma(c, 0, 1, prompter);
        cal.SetSigma(c, 1, 0.01, prompter);
        cal.SetSigma(c, 2, 0, prompter);
    }
    return cal;
}

std::string DPacket(std::initializer_list<int16_t> raw, std::initializer_list<uint8_t> gain) {
    ChannelPacketFields f;
    f.time = 1700000000;
    f.depthCounts = 1000;
    f.temperatureCode = 200;  // 200 / 5 - 10 = 30 deg C
    std::copy(raw.begin(), raw.end(), f.raw);
    std::copy(gain.begin(), gain.end(), f.gain);
    return BuildDPacket(f);
}

// Decodes and converts a line that must give a sample, into `out` as the caller left it.
void Convert(const std::string& line, const CalibrationDataClass& cal, int type,
             CalibratedSample& out, const SigmaParams& sigma = PlainSigma(),
             const PureWaterParams& water = PlainWater()) {
    const ConversionContext context(cal, sigma, water);
    ASSERT_TRUE(DecodeAndConvert(line, context, out, type)) << line;
}

TEST(ConvertVantor, HandWorkedDPacket) {
    CalibrationDataClass cal = Channels(kVantor6);
    cal.SetGain(4, 1, 0);        // a zero gain
    cal.SetBTempCoeff(5, 0.01);  // 1 + 0.01 x (30 - 20) = 1.1
    CalibratedSample out;
    for (int i = 0; i < 8; ++i) out.beta[i] = out.betaCorrected[i] = 9;
    Convert(
        DPacket({1000, 20000, 1000, 1000, 1000, 1100, 1000, 1000}, {1, 8 + 3, 0, 6, 1, 1, 1, 1}),
        cal, kVantor6, out);
    EXPECT_FLOAT_EQ(out.depth, 490);  // 0.5 x 1000 - 10
    EXPECT_FLOAT_EQ(out.temperature, 30);
    EXPECT_NEAR(out.time, 45244.92592592593, 1e-9);  // 1700000000 / 86400 + 25569
    struct Channel {
        bool valid;
        double beta, bb, sigma, betaCorrected, bbCorrected;
    } expected[] = {
        // 0.0001 x 1000 / 1 = 0.1; bb 0.7; K = 20 (0.7 - 0.00089936) = 13.9820128
        {true, 0.1, 0.7, 1.139820128, 0.1139820128, 0.7978740896},
        // gain code 11 is setting 3 (gain 100): 0.0001 x 20000 / 100 = 0.02; K = 2.7820128
        {true, 0.02, 0.14, 1.027820128, 0.02055640256, 0.14389481792},
        {false, 0, 0, 0, 0, 0},  // gain code 0
        {false, 0, 0, 0, 0, 0},  // gain code 6
        {false, 9, 0, 0, 9, 0},  // zero gain: beta and betaCorrected keep what they held
        {true, 0.1, 0.7, 1.139820128, 0.1139820128, 0.7978740896},  // 0.11 / 1.1
        // fluorescence: bb = 3 x 0.1; K = 20 (0.3 - 0.00089936) = 5.9820128
        {true, 0.1, 0.3, 1.059820128, 0.1059820128, 0.3179460384},
        {true, 0.1, 0.3, 1.059820128, 0.1059820128, 0.3179460384},
    };
    for (int i = 0; i < 8; ++i) {
        const Channel& e = expected[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(out.valid[i], e.valid);
        EXPECT_NEAR(out.beta[i], e.beta, 1e-12);
        EXPECT_NEAR(out.bb[i], e.bb, 1e-12);
        if (e.valid) {
            EXPECT_NEAR(out.sigma[i], e.sigma, 1e-9);
        }
        EXPECT_NEAR(out.betaCorrected[i], e.betaCorrected, 1e-9);
        EXPECT_NEAR(out.bbCorrected[i], e.bbCorrected, 1e-9);
    }
}

TEST(ConvertVantor, RatioSamplesWorkOutTheirRawCountsAndKeepThem) {
    CalibrationDataClass cal = Channels(kVantor4);
    for (int c = 0; c < 4; ++c) {
        cal.SetRNominal(c, 1000);
        cal.SetDarkOffset(c, 1, 100);
        cal.SetMu(c, 1, 0.002);
    }
    RatioPacketFields f;
    f.time = 1700000000;
    // 1000 x (signal - 100 - 100) / 2000: 500, 500.5 -> 500, 501.5 -> 502; a zero reference
    f.channel[0] = {1200, 100, 2000, 0, 0};
    f.channel[1] = {1201, 100, 2000, 0, 0};
    f.channel[2] = {1203, 100, 2000, 0, 0};
    f.channel[3] = {1200, 100, 50, 50, 0};
    for (int c = 0; c < 4; ++c) f.gain[c] = 1;
    const ConversionContext context(cal, PlainSigma(), PlainWater());
    CalibratedSample out;
    SampleRecord record;
    record.prefixValue = 5, record.voltage = 12;  // decoded into a fresh record
    ASSERT_TRUE(DecodeAndConvert(BuildVPacket(f), context, out, kVantor4, record));
    EXPECT_EQ(record.prefixValue, 0);
    EXPECT_EQ(record.voltage, 0);
    const int raw[] = {500, 500, 502, 0};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(record.raw[c], raw[c]) << c;
        EXPECT_NEAR(out.beta[c], 0.002 * raw[c] / 1000, 1e-15) << c;  // Mu raw / (G RNominal)
    }
}

TEST(ConvertVantor, AClockOfZeroGivesTimeZeroAndTheDayFraction) {
    CalibrationDataClass cal = Channels(kVantor6);
    const ConversionContext context(cal, PlainSigma(), PlainWater());
    RatioDecimalFields f;
    f.centiseconds = 4320000;  // half a day
    CalibratedSample out;
    out.time = 7;
    ASSERT_TRUE(DecodeAndConvert(BuildRatioDecimalLine(f), context, out, kVantor6));
    EXPECT_EQ(out.time, 0);
    EXPECT_EQ(out.dayFraction, 0.5);
}

TEST(ConvertVantor, KWithAndWithoutPureWater) {
    // Pure water only: beta 0 and a bb of exactly bb_w (bb0 at lambda0 = lambda = 525 nm);
    // a = 0.05 e^(-0.011 x 125) = 0.0126419798 from the detritus term; sigma = 1 + K.
    SigmaParams sigma = PlainSigma();
    sigma.ad400 = 0.05;
    PureWaterParams water = PlainWater();
    water.bb0 = PurewaterClass::bb(525, false);
    const std::tuple<bool, double> cases[] = {
        // a_w(525) + a + 0.4 bb_w / 0.02 = 0.0417 + 0.0126419798 + 0.0179872
        {true, 0.0723291798},
        // a + 0.4 (bb_w - bb_w) / 0.02 = a
        {false, 0.0126419798},
    };
    for (const auto& [includePurewater, K] : cases) {
        sigma.includePurewater = includePurewater;
        CalibrationDataClass cal = Channels(kVantor4, sigma);
        ScriptedPrompter prompter;
        cal.SetSigma(0, 1, 1, prompter);
        CalibratedSample out;
        Convert(DPacket({0}, {1}), cal, kVantor4, out, sigma, water);
        EXPECT_EQ(out.beta[0], 0);
        EXPECT_NEAR(out.bb[0], kWaterBb, 2e-10);
        EXPECT_NEAR(out.sigma[0] - 1, K, 1e-8) << includePurewater;
    }
}

// Sigma factors 4 and 9 on channels 0 and 1 (s0 alone), 1 on the rest.
void SetSigmaFactors(CalibrationDataClass& cal, double s0First, double s0Second) {
    ScriptedPrompter prompter;
    for (int c = 0; c < cal.ChannelCount(); ++c) cal.SetSigma(c, 1, 0, prompter);
    cal.SetSigma(0, 0, s0First, prompter);
    cal.SetSigma(1, 0, s0Second, prompter);
}

TEST(ConvertVantor, VirtualChannelsTakeTheSigmaOfTheirLightPath) {
    const std::tuple<int, int, uint8_t, double> cases[] = {
        {2, 1, 1, 6},  // sigma[7] = sigma[0] = 4, then sqrt(sigma[1]) sqrt(4) = sqrt(9 x 4)
        {2, 1, 0, 4},  // channel 1 not valid: sigma[0] alone
        {2, 0, 1, 3},  // no second step: sqrt(9) x sqrt(1)
        {0, 1, 1, 1},  // no excitation channel: its own sigma
    };
    for (const auto& [chEx7, chEx1, gain1, sigma7] : cases) {
        CalibrationDataClass cal = Channels(kVantor6);
        SetSigmaFactors(cal, 4, 9);
        cal.SetChEx(7, static_cast<int16_t>(chEx7));
        cal.SetChEx(1, static_cast<int16_t>(chEx1));
        CalibratedSample out;
        Convert(
            DPacket({1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000}, {1, gain1, 1, 1, 1, 1, 1, 1}),
            cal, kVantor6, out);
        EXPECT_DOUBLE_EQ(out.sigma[7], sigma7) << chEx7 << chEx1 << int{gain1};
        EXPECT_DOUBLE_EQ(out.bbCorrected[7], 0.3 * sigma7);  // bb = 3 x 0.1
    }
}

TEST(ConvertVantor, Vantor2FluorescenceTakesTheGeometricMeanOfBothSigmas) {
    const std::tuple<double, double> cases[] = {
        {4, 0.3 * 6},  // sqrt(9) x 0.3 x sqrt(4)
        {-4, Failed},  // the square root of a negative sigma faults
    };
    for (const auto& [s0First, bbCorrected] : cases) {
        CalibrationDataClass cal = Channels(kVantor2);
        SetSigmaFactors(cal, s0First, 9);
        CalibratedSample out;
        Convert(DPacket({1000, 1000, 1000}, {1, 1, 1}), cal, kVantor2, out);
        EXPECT_DOUBLE_EQ(out.bbCorrected[2], bbCorrected);
    }
}

TEST(ConvertVantor, FaultsSkipTheirAssignmentOrStoreFailed) {
    const std::tuple<const char*, std::function<void(CalibrationDataClass&)>, double, double,
                     double, double>
        cases[] = {
            // beta = Mu raw / (G x 0) faults and keeps 0.25; K = 20 (1.75 - bb_w) = 34.98201
            {"zero RNominal", [](CalibrationDataClass& c) { c.SetRNominal(0, 0); }, 0.25, 1.3498201,
             0.33745503, 2.36218520},
            // beta 2, K = 20 (14 - bb_w) = 279.98; 1e307 K^2 overflows; 2 x Failed overflows
            {"sigma overflows",
             [](CalibrationDataClass& c) {
                 ScriptedPrompter prompter;
                 c.SetSigma(0, 2, 1e307, prompter);
             },
             2, Failed, Failed, Failed},
        };
    for (const auto& [what, change, beta, sigma0, betaCorrected, bbCorrected] : cases) {
        CalibrationDataClass cal = Channels(kVantor4);
        change(cal);
        CalibratedSample out;
        out.beta[0] = 0.25;
        Convert(DPacket({20000}, {1}), cal, kVantor4, out);
        SCOPED_TRACE(what);
        EXPECT_TRUE(out.valid[0]);
        EXPECT_DOUBLE_EQ(out.beta[0], beta);
        EXPECT_NEAR(out.sigma[0], sigma0, 1e-7 * sigma0);
        EXPECT_NEAR(out.betaCorrected[0], betaCorrected, 1e-7 * betaCorrected);
        EXPECT_NEAR(out.bbCorrected[0], bbCorrected, 1e-7 * bbCorrected);
    }
}

// A single-channel calibration: depth (counts - 100) x 0.1; temperature factor 1; TrPure 1000,
// TrNought 0, path 0.25; depth compensation 0.5 at 10535 counts and 1.5 at full scale; the
// scattering channel as in Channels with dark offset 100 and sigma 1 + 0.1 K.
CalibrationDataClass Single(int type) {
    CalibrationDataClass cal = Channels(type);
    ScriptedPrompter prompter;
    cal.DepthCal = 0.1f;
    cal.DepthOff = 100;
    cal.SetKTempCoeff(0, 0, 1);
    cal.SetTrPure(0, 1000);
    cal.SetKPath(0, 0.25f);
    cal.SetKDepthThresh(0, 0, 10535);
    cal.SetKDepthCoeff(0, 0, 0.5f);
    cal.SetKDepthCoeff(0, 1, 1.5f);
    cal.SetDarkOffset(0, 1, 100);
    cal.SetSigma(0, 1, 0.1, prompter);
    return cal;
}

SinglePacketFields SingleFields() {
    SinglePacketFields f;
    f.time = 400000000;
    f.subSecond = 25;
    f.signal = 1100;
    f.gain = 1;
    f.optionCounts = 500;
    f.depthCounts = 50;
    f.temperatureCode = 300;  // 300 / 10 - 10 = 20 deg C
    return f;
}

TEST(ConvertSingle, AttenuationStep) {
    const std::tuple<const char*, std::function<void(CalibrationDataClass&, SinglePacketFields&)>,
                     bool, float>
        cases[] = {
            {"counts below the depth offset", [](auto&, auto&) {}, true, 2.7725887f},
            // 0.5 x (5100 - 100) / (10535 - 100) = 0.2395783
            {"depth up to the threshold", [](auto&, auto& f) { f.depthCounts = 5100; }, true,
             2.5330104f},
            // 0.5 + (1.5 - 0.5) x (38035 - 10535) / (65535 - 10535) = 1
            {"depth above the threshold", [](auto&, auto& f) { f.depthCounts = 38035; }, true,
             1.7725887f},
            // (1 + 0.1 x 20) / (1 + 0.1 x 10) = 1.5; 750 / 1.5 = 500
            {"temperature factor",
             [](auto& cal, auto& f) {
                 cal.SetKCalTemp(0, 10);
                 cal.SetKTempCoeff(0, 1, 0.1f);
                 f.optionCounts = 750;
             },
             true, 2.7725887f},
            {"no signal above the zero level", [](auto&, auto& f) { f.optionCounts = 0; }, false,
             0},
            {"zero temperature factor", [](auto& cal, auto&) { cal.SetKTempCoeff(0, 0, 0); }, false,
             0},
            {"zero ratio", [](auto& cal, auto&) { cal.SetTrPure(0, 0); }, false, 0},
            {"zero path", [](auto& cal, auto&) { cal.SetKPath(0, 0); }, false, 0},
            // r = (400 - 600) / (1000 - 600) < 0: the logarithm faults, sigmaK keeps its 9.5
            {"negative ratio",
             [](auto& cal, auto& f) {
                 cal.SetTrNought(0, 600);
                 cal.SetTrPure(0, 400);
                 f.optionCounts = 1000;
             },
             true, 9.5f},
        };
    for (const auto& [what, change, valid, attenuation] : cases) {
        CalibrationDataClass cal = Single(kCLumo);
        SinglePacketFields f = SingleFields();
        change(cal, f);
        CalibratedSample out;
        out.sigmaK = 9.5f;
        Convert(BuildCPacket(f), cal, kCLumo, out);
        EXPECT_EQ(out.valid[0], valid) << what;
        EXPECT_FLOAT_EQ(out.attenuation[0], attenuation) << what;
    }
}

TEST(ConvertSingle, KOfEachModel) {
    const std::tuple<int, bool, float> cases[] = {
        {kCLumo, true, 13.9820128f},         // 20 (0.7 - 0.00089936), as for a Vantor channel
        {kCLumo, false, 2.7725887f * 0.6f},  // attenuation x p
        {kXLumo, true, 2.7725887f},
    };
    for (const auto& [type, cUseVN, sigmaK] : cases) {
        CalibrationDataClass cal = Single(type);
        SigmaParams sigma = PlainSigma();
        sigma.cUseVN = cUseVN;
        const ConversionContext context(cal, sigma, PlainWater());
        SampleRecord record;
        record.instrumentType = type;
        record.temperature = 20;
        record.optionCounts = 500;
        record.gain[0] = 1;
        record.normalized[0] = 1100;  // beta 0.1, bb 0.7
        CalibratedSample out;
        ConvertSingle(record, context, out);
        EXPECT_FLOAT_EQ(out.sigmaK, sigmaK) << type << cUseVN;
        EXPECT_NEAR(out.sigma[0], 1 + 0.1 * sigmaK, 1e-6);
        EXPECT_NEAR(out.bbCorrected[0], 0.7 * out.sigma[0], 1e-9);  // bb 0.7
    }
}

TEST(ConvertSingle, ALumoAbsorptionCorrectedForScattering) {
    CalibrationDataClass cal = Single(kALumo);
    ScriptedPrompter prompter;
    cal.SetSigma(0, 1, 0, prompter);  // sigma 1: betaCorrected = beta = 0.1
    cal.SetKChi(0, 1, 1);
    cal.SetKChi(0, 2, 2);
    cal.SetKChi(0, 3, 4);
    CalibratedSample out;
    // an A packet is an a-Lumo sample whatever the caller says
    Convert(BuildAPacket(SingleFields()), cal, kVantor6, out);
    EXPECT_EQ(out.instrumentType, "3");
    // d = 0.1 - 0 (no pure-water beta); 2.7725887 - 0.1 - 2 x 0.01 - 4 x 0.001
    EXPECT_FLOAT_EQ(out.aCorrected, 2.6485887f);
    EXPECT_FLOAT_EQ(out.sigmaK, 2.7725887f);

    // The pure-water beta taken off is the one at the absorption wavelength, not at the
    // scattering channel's: beta0 0.05 at 525 nm falling as 525 / lambda gives 0.025 at 1050 nm.
    PureWaterParams water = PlainWater();
    water.beta0 = 0.05f;
    water.gammaLambda = 1;
    cal.SetKLambda(0, 1050);
    Convert(BuildAPacket(SingleFields()), cal, kALumo, out, PlainSigma(), water);
    EXPECT_DOUBLE_EQ(out.bb[0], (0.1 - 0.05f) * 7);  // 525 nm: all of beta0 comes off
    // d = 0.1 - 0.025 = 0.075; 2.7725887 - 0.075 - 2 x 0.005625 - 4 x 0.000421875
    EXPECT_FLOAT_EQ(out.aCorrected, 2.6846512f);
}

// Two channels with r = (3000 - 1000) / (5000 - 1000) = 0.5 on channel 0 and a signal below its
// zero level on channel 1; tau0 1.
CalibrationDataClass Trevan() {
    CalibrationDataClass cal;
    cal.DeviceType = kTrevan2;
    for (int c = 0; c < 2; ++c) {
        cal.SetKS0(c, 1000);
        cal.SetKR0(c, 1000);
        cal.SetKkT(c, 0, 1);
        cal.SetKTau0(c, 1);
        cal.SetKL(c, 1);
    }
    return cal;
}

TEST(ConvertTrevan, HandWorkedTwoChannelLine) {
    CalibrationDataClass cal = Trevan();
    cal.kp1 = 0.5f, cal.kp2 = 0.01f, cal.P0 = 100, cal.TP0 = 10, cal.kD1 = 0.01f;
    cal.kD2 = 0.0001f;
    for (int c = 0; c < 2; ++c) {
        // kT 2 + 0.1 T normalised at TPW 10 by 3: 4/3 at 20 deg C
        cal.SetKkT(c, 1, 0.1);
        cal.SetKTPW(c, 10);
        cal.SetKkT(c, 0, 2);
        cal.SetKP(c, 1, 1000);
        cal.SetKP(c, 2, 2000);
        cal.SetKL(c, 0.25f);
    }
    const ConversionContext context(cal, PlainSigma(), PlainWater());
    TwoChannelDecimalFields f;
    f.time = 1700000000.5;
    f.signal[0] = 3000, f.signal[1] = 500;
    f.reference[0] = f.reference[1] = 5000;
    f.depthCounts = 1000;
    f.temperatureCode = 2000;  // 20 deg C
    CalibratedSample out;
    ASSERT_TRUE(DecodeAndConvert(BuildTwoChannelDecimalLine(f, false), context, out, kTrevan2));
    EXPECT_EQ(out.instrumentType, "6");
    EXPECT_NEAR(out.time, 45244.92593171296, 1e-9);  // 1700000000.5 / 86400 + 25569
    // A = 0.5 x 20 + 0.01 x 400 = 14, B = 0.5 x 10 + 0.01 x 100 = 6, p = 900 - 14 + 6 = 892;
    // 0.01 x 892 + 0.0001 x 892^2 = 8.92 + 79.5664
    EXPECT_NEAR(out.depth, 88.4864, 1e-4);
    // p below P1: Fp = 1; ln(1 / (0.5 x 1 x 4/3)) / 0.25 = 4 ln 1.5
    EXPECT_NEAR(out.attenuation[0], 1.6218604, 1e-6);
    EXPECT_EQ(out.attenuation[1], 100);  // (500 - 1000) / 4000 is not above 0

    SampleRecord level;  // a signal at its zero level: r = 0
    level.instrumentType = kTrevan2;
    level.signal[0] = 1000;
    level.reference[0] = 5000;
    ConvertTrevan(level, context, out);
    EXPECT_EQ(out.attenuation[0], 100);
}

TEST(ConvertTrevan, PressureFactor) {
    const std::tuple<double, double, double, double, float, double> cases[] = {
        // (1 + 0.001 p) normalised at P2 = 2000 by 3
        {1000, 2000, 1, 0.001, 1500, 1},  // the line from 1 to the polynomial's 1 at P2
        {1000, 2000, 1, 0.001, 3000, 4.0 / 3},
        // a zero polynomial is not normalised: the line runs from 1 at P1 to 0 at P2
        {1000, 2000, 0, 0, 1500, 0.5},
        // P2 below P1: 1 below P1, the polynomial (1 + 0.001 p) / 2 from P1 on, P1 itself
        // included, as it lies above P2: (1 + 2) / 2 = 1.5
        {2000, 1000, 1, 0.001, 1500, 1},
        {2000, 1000, 1, 0.001, 2000, 1.5},
        // P2 equal to P1: 1 up to and at the point, the polynomial (1 + 0.001 p) / 3 above
        {2000, 2000, 1, 0.001, 2000, 1},
        {2000, 2000, 1, 0.001, 4000, 5.0 / 3},
    };
    for (const auto& [p1, p2, tauP0, tauP1, pressure, Fp] : cases) {
        CalibrationDataClass cal = Trevan();
        cal.SetKkTauP(0, 0, tauP0);
        cal.SetKkTauP(0, 1, tauP1);
        cal.SetKP(0, 1, p1);
        cal.SetKP(0, 2, p2);
        const ConversionContext context(cal, PlainSigma(), PlainWater());
        SampleRecord record;
        record.instrumentType = kTrevan2;
        record.signal[0] = 3000;
        record.reference[0] = 5000;
        record.depthCounts = pressure;  // no temperature terms: p = the counts
        CalibratedSample out;
        ConvertTrevan(record, context, out);
        // ln(1 / (0.5 x Fp x 1)) / 1
        EXPECT_NEAR(out.attenuation[0], std::log(2 / Fp), 1e-6) << p1 << " " << pressure;
    }
}

TEST(DecodeAndConvert, TrueOnlyWhenBothStepsSucceed) {
    CalibrationDataClass cal = Channels(kVantor6);
    const ConversionContext context(cal, PlainSigma(), PlainWater());
    const std::string d = DPacket({1000}, {1});
    const std::tuple<std::string, int, bool> cases[] = {
        {d, kVantor6, true},
        {d, kUnknownType, false},  // a sample, but no conversion for the type
        {BuildIPacket({}), kXLumo, false},
    };
    for (const auto& [line, type, result] : cases) {
        CalibratedSample out;
        out.instrumentType = "x";
        EXPECT_EQ(DecodeAndConvert(line, context, out, type), result) << line;
        EXPECT_EQ(out.instrumentType, result ? "0" : "x") << line;
    }
}

}  // namespace
}  // namespace tidewell
