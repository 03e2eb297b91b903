#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <tuple>

#include "calibration/CalibrationData.h"
#include "calibration/CalibrationFields.h"
#include "stream/Models.h"
#include "support/TestSupport.h"

namespace tidewell {
namespace {

using test::NumericSigmaParams;
using test::ScriptedPrompter;

CalibrationDataClass OfType(int type) {
    CalibrationDataClass c;
    c.DeviceType = type;
    return c;
}

struct Link {
    int chan;
    int16_t chEx, chRep;
};
// The default map of a Vantor-6: channel 2 shares its receiver with 8, channel 4 with 7.
const std::vector<Link> kVantor6Map = {{1, 1, 8}, {3, 3, 7}, {7, 2, 0}, {6, 4, 0}};

void SetMap(CalibrationDataClass& cal, const std::vector<Link>& links) {
    for (const Link& l : links) cal.SetChEx(l.chan, l.chEx), cal.SetChRep(l.chan, l.chRep);
}

TEST(CalibrationSetters, NameSetsTheWavelengthFromItsFirstNumber) {
    const std::tuple<const char*, int> cases[] = {
        {"FL(532) ex 470", 532}, {"bb(442.5)", 442}, {"bb(443.5)", 444},
        {"no digits", 0},        {"ch-5", -5},       {"x.5", 0}};
    for (const auto& [name, lambda] : cases) {
        CalibrationDataClass cal;
        cal.SetLambda(2, 700);
        cal.SetName(2, name);
        EXPECT_EQ(cal.name(2), name);
        EXPECT_EQ(cal.lambda(2), lambda) << name;
    }
}

TEST(CalibrationSetters, GainsRoundToSixPlacesAndFollowTheSharedReceiver) {
    struct Case {
        int type;
        int chan;
        std::vector<int> followers;  // channels whose gain follows
    } cases[] = {
        {kVantor2, 1, {2}}, {kVantor2, 2, {}}, {kVantor6, 1, {7}},
        {kVantor6, 3, {6}}, {kVantor6, 7, {}}, {kVantor4, 1, {}},
    };
    for (const auto& c : cases) {
        CalibrationDataClass cal = OfType(c.type);
        if (c.type == kVantor6) SetMap(cal, kVantor6Map);
        cal.SetGain(c.chan, 3, 12.12345649);
        for (int ch = 0; ch < 8; ++ch) {
            const bool follows = ch == c.chan || std::find(c.followers.begin(), c.followers.end(),
                                                           ch) != c.followers.end();
            EXPECT_EQ(cal.gain(ch, 3), follows ? 12.123456 : 100) << c.type << " " << ch;
            EXPECT_EQ(cal.gain(ch, 2), 10);
        }
    }
    // a map that points back at itself does not loop
    CalibrationDataClass loop = OfType(kVantor6);
    loop.SetChEx(0, 2);
    loop.SetChRep(0, 2);
    loop.SetChEx(1, 1);
    loop.SetChRep(1, 1);
    loop.SetGain(0, 1, 5);
    EXPECT_EQ(loop.gain(1, 1), 5);
}

TEST(CalibrationSetters, MuAtAnotherGainRescalesTheGainTable) {
    struct Case {
        double gains[5];
        int calGain;
        double after[5];
        int muGain;
    } cases[] = {
        {{1, 10, 100, 1000, 10000}, 2, {.1, 1, 10, 100, 1000}, 2},
        {{1, 10, 100, 1000, 10000}, 1, {1, 10, 100, 1000, 10000}, 1},  // already MuGain
        {{1, 0, 100, 1000, 10000}, 2, {1, 0, 100, 1000, 10000}, 2},    // gain 0: no rescale
        {{1, 10, 100, 1000, 10000}, 0, {1, 10, 100, 1000, 10000}, 1},  // as a file sets it
        {{1, 10, 100, 1000, 10000}, 3, {1, 10, 100, 1000, 10000}, 1},
    };
    for (const auto& c : cases) {
        CalibrationDataClass cal = OfType(kVantor4);
        for (int g = 1; g <= 5; ++g) cal.SetGain(0, g, c.gains[g - 1]);
        cal.SetMu(0, c.calGain, 2.5e-6);
        EXPECT_EQ(cal.Mu(0), 2.5e-6);
        EXPECT_EQ(cal.MuGain(0), c.muGain) << c.calGain;
        for (int g = 1; g <= 5; ++g) EXPECT_DOUBLE_EQ(cal.gain(0, g), c.after[g - 1]) << g;
    }
}

TEST(CalibrationSetters, SigmaIndexOutOfBoundsIsReported) {
    CalibrationDataClass cal;
    ScriptedPrompter prompter;
    cal.SetSigma(0, 2, 0.5, prompter);
    cal.SetSigma(0, 3, 9, prompter);
    cal.SetSigma(0, -1, 9, prompter);
    EXPECT_EQ(cal.Sigma(0, 2), 0.5);
    EXPECT_EQ(prompter.shown, (std::vector<std::string>{"Sigma array out of bounds.",
                                                        "Sigma array out of bounds."}));
    EXPECT_THROW(cal.Sigma(0, 3), std::out_of_range);
    EXPECT_THROW(cal.Channel(13), std::out_of_range);
    EXPECT_THROW(cal.gain(0, 0), std::out_of_range);
    EXPECT_THROW(cal.SetKP(0, 3, 1), std::out_of_range);
    EXPECT_THROW(cal.SetKTempCoeff(0, 7, 1), std::out_of_range);  // seven coefficients
}

TEST(CalibrationSetters, LambdaBringsTheOpticalEstimatesAlong) {
    CalibrationDataClass cal;
    cal.SetLambda(0, 470);
    EXPECT_EQ(cal.a(0), 0);  // no parameters applied yet
    ScriptedPrompter prompter;
    const SigmaParams params = NumericSigmaParams();
    cal.UpdateOpticalEstimates(params, {}, prompter);
    const double a470 = cal.a(0);
    EXPECT_GT(a470, 0);
    EXPECT_EQ(cal.bbTilde(0), 0.015);
    cal.SetLambda(0, 650);
    EXPECT_LT(cal.a(0), a470);
    cal.SetLambda(1, 470);
    EXPECT_EQ(cal.a(1), a470);
    CalibrationDataClass copy;
    copy.Copy(cal);
    copy.SetLambda(2, 470);  // a copy estimates with the same parameters
    EXPECT_EQ(copy.a(2), a470);
    SigmaParams other = params;  // new parameters replace the ones kept
    other.bTilde = 0.02;
    cal.UpdateOpticalEstimates(other, {}, prompter);
    cal.SetLambda(3, 470);
    EXPECT_EQ(cal.bbTilde(3), 0.02);
    EXPECT_TRUE(prompter.shown.empty());
}

TEST(CalibrationChannelMap, DerivedValues) {
    struct Case {
        std::vector<Link> links;
        int16_t excitation[8];
        bool shared[8];
        bool virtualChannel[8];
    } cases[] = {
        {kVantor6Map, {2, 0, 4, 0, 0, 0, 0, 0}, {0, 1, 0, 1, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 1, 1}},
        // only 2/7 alike
        {{{1, 1, 7}, {6, 2, 0}},
         {2, 0, 0, 0, 0, 0, 0, 0},
         {0, 1, 0, 0, 0, 0, 0, 0},
         {0, 0, 0, 0, 0, 0, 1, 0}},
        // excitation without a shared receiver, pointing at a channel with none
        {{{4, 1, 0}}, {}, {}, {}},
        // numbers out of range are skipped
        {{{0, 20, 3}, {2, -3, 0}}, {}, {1, 0, 0, 0, 0, 0, 0, 0}, {}},
    };
    for (const auto& c : cases) {
        CalibrationDataClass cal;
        SetMap(cal, c.links);
        for (int ch = 0; ch < 8; ++ch) {
            EXPECT_EQ(cal.IsExcitationForChannel(ch), c.excitation[ch]) << ch;
            EXPECT_EQ(cal.IsSharedReceiver(ch), c.shared[ch]) << ch;
            EXPECT_EQ(cal.IsVirtualChannel(ch), c.virtualChannel[ch]) << ch;
            EXPECT_EQ(cal.IsReceiverForVirtualChannel(ch), c.shared[ch] ? cal.ChRep(ch) : 0);
        }
    }
}

TEST(CalibrationChannelMap, DerivedValuesSurviveClearAndUnmapping) {
    CalibrationDataClass cal;
    cal.SetChEx(11, 1);  // the last channel
    cal.SetChRep(11, 8);
    cal.SetChRep(11, 0);
    EXPECT_TRUE(cal.IsSharedReceiver(11));
    cal.Clear();
    EXPECT_EQ(cal.ChEx(11), 0);
    EXPECT_TRUE(cal.IsSharedReceiver(11));
    EXPECT_EQ(cal.IsExcitationForChannel(0), 12);
    EXPECT_EQ(cal.IsReceiverForVirtualChannel(11), 0);  // ChRep is 0 again
}

TEST(CalibrationWhole, ClearGivesTheNewValuesAndKeepsWhatItShould) {
    CalibrationDataClass cal;
    cal.DeviceType = 6;
    cal.kp1 = 3;
    cal.TP0 = 4;
    cal.SetGain(0, 4, 7);
    cal.SetSigmaExp(0, 0.5);
    cal.SetKDepthCoeff(0, 3, 1.5f);
    cal.SetKCalTemp(0, 2);
    cal.SetKTempCoeff(0, 1, 1);
    cal.SetKTPW(0, 1);
    cal.SetKkT(0, 0, 4);
    cal.Clear();
    EXPECT_EQ(cal.DeviceType, 7);
    EXPECT_EQ(cal.kp1, 3);
    EXPECT_EQ(cal.TP0, 4);
    EXPECT_EQ(cal.gain(0, 4), 1000);
    EXPECT_FALSE(cal.UseSigmaExp(0));
    EXPECT_EQ(cal.bbTilde(0), 0.015);
    EXPECT_EQ(cal.KDepthCoeff(0, 3), 1.5f);
    EXPECT_EQ(cal.KTempNormCoeff(0), 2);
    EXPECT_EQ(cal.Attenuation(0).KkTNormaliser, 4);
}

// One change per group, and the bit Compare reports for it.
struct FieldChange {
    const char* what;
    std::function<void(CalibrationDataClass&)> change;
    int32_t bit;
};

const std::vector<FieldChange>& FieldChanges() {
    static const std::vector<FieldChange> changes{
        {"Mu", [](auto& c) { c.SetMu(2, 0, 9); }, kChangedMu},
        {"MuRho", [](auto& c) { c.SetMuRho(5, 9); }, kChangedMu},
        {"fluorescence Mu", [](auto& c) { c.SetMu(6, 0, 9); }, kChangedFluorescenceMu},
        {"DarkOffset", [](auto& c) { c.SetDarkOffset(1, 0, 3); }, kChangedOffset},
        {"FlOffset", [](auto& c) { c.SetFlOffset(3, 2, 3); }, kChangedOffset},
        {"gain", [](auto& c) { c.SetGain(4, 5, 3); }, kChangedGain},
        {"Serial", [](auto& c) { c.Serial = "x"; }, kChangedIdentification},
        {"name", [](auto& c) { c.SetName(0, "blue"); }, kChangedIdentification},
        {"DepthCal", [](auto& c) { c.DepthCal = 2; }, kChangedDepth},
        {"the same values again", [](auto& c) { c.SetROutOff(0, 0), c.SetSigmaExp(0, 0); }, 0},
        {"Sigma s2",
         [](auto& c) {
             ScriptedPrompter p;
             c.SetSigma(3, 2, 0.1, p);
         },
         kChangedPolySigma},
        {"SigmaExp", [](auto& c) { c.SetSigmaExp(7, 0.2); }, kChangedExpSigma},
        {"lambda", [](auto& c) { c.SetLambda(2, 500); }, kChangedWavelength},
        {"bTempCoeff", [](auto& c) { c.SetBTempCoeff(1, 0.01); }, kChangedTempCoeff},
        {"RNominal", [](auto& c) { c.SetRNominal(1, 3); }, kChangedReference},
        {"beyond the channels", [](auto& c) { c.SetMu(8, 0, 9); }, 0},
        {"Comment", [](auto& c) { c.Comment = "x"; }, 0},
        {"attenuation of a Vantor", [](auto& c) { c.SetKPath(0, 1); }, 0},
    };
    return changes;
}

TEST(CalibrationWhole, CopyComparesEqualAndOneChangeSetsExactlyItsBit) {
    CalibrationDataClass base = OfType(kVantor6);
    for (int c = 0; c < 8; ++c) base.SetMu(c, 0, 1e-6 * (c + 1));
    for (const FieldChange& f : FieldChanges()) {
        CalibrationDataClass copy;
        copy.Copy(base);
        EXPECT_EQ(copy.Compare(base), 0);
        f.change(copy);
        EXPECT_EQ(copy.Compare(base), f.bit) << f.what;
        EXPECT_EQ(base.Compare(copy), f.bit) << f.what;
    }
    // the type itself, and attenuation records where the type has them
    CalibrationDataClass other;
    other.Copy(base);
    other.DeviceType = kVantor4;
    EXPECT_TRUE(other.Compare(base) & kChangedIdentification);
    CalibrationDataClass t = OfType(kTrevan2);
    CalibrationDataClass u;
    u.Copy(t);
    u.SetKTau0(1, 2);
    EXPECT_EQ(u.Compare(t), kChangedAttenuation);
    u.Copy(t);
    u.SetKLambda(1, 650);
    EXPECT_EQ(u.Compare(t), kChangedWavelength);
    u.Copy(t);
    u.kD2 = 1;
    EXPECT_EQ(u.Compare(t), kChangedDepth);
    u.Copy(t);
    u.SetName(1, "c(650)");
    EXPECT_EQ(u.Compare(t), kChangedIdentification | kChangedWavelength);
}

TEST(CalibrationWhole, MergeTakesExactlyTheMaskedGroups) {
    CalibrationDataClass src = OfType(kVantor6);
    src.Serial = "VN-2";
    src.Label = "src";
    src.MaxDepth = 100;
    src.DepthCal = 2;
    ScriptedPrompter p;
    for (int c = 0; c < 12; ++c) {
        src.SetMu(c, 0, 1e-3 * (c + 1));
        src.SetMuRho(c, c);
        for (int g = 1; g <= 5; ++g) src.SetGain(c, g, g == 1 ? 1 : 3.0 * g);
        src.SetSigma(c, 0, 0.9, p);
        src.SetSigma(c, 1, 0.1, p);
        src.SetSigmaExp(c, 0.3);
        src.SetDarkOffset(c, 0, 5);
        src.SetFlOffset(c, 5, 6);
    }
    const int32_t groups[] = {kChangedMu,        kChangedFluorescenceMu, kChangedExpSigma,
                              kChangedPolySigma, kChangedOffset,         kChangedGain,
                              kChangedDepth,     kChangedIdentification};
    const int32_t all = kChangedMu | kChangedFluorescenceMu | kChangedExpSigma | kChangedPolySigma |
                        kChangedOffset | kChangedGain | kChangedDepth | kChangedIdentification;
    for (int32_t mask : groups) {
        CalibrationDataClass dst = OfType(kVantor6);
        dst.SetSourceFileName("dst.cal");
        dst.Merge(src, mask);
        EXPECT_EQ(dst.SourceFile(), "[multiple sources]");
        // merged groups now agree with the source, the others still differ
        const int32_t diff = dst.Compare(src) & all;
        EXPECT_EQ(diff & mask, 0) << mask;
        EXPECT_EQ(diff | mask, all) << mask;
    }
    // gains come renormalised to the channel's own calibration gain
    CalibrationDataClass dst = OfType(kVantor6);
    dst.SetMu(0, 2, 1);  // MuGain 2 rescales dst's own table first
    dst.Merge(src, kChangedGain);
    EXPECT_EQ(dst.gain(0, 2), 1);
    EXPECT_EQ(dst.gain(0, 3), 1.5);
    EXPECT_EQ(dst.gain(0, 1), 0.166667);  // 1 / 6 to 6 significant digits
    EXPECT_EQ(dst.gain(1, 1), 1);
    EXPECT_EQ(dst.gain(1, 3), 9);
    // Mu arrives through its setter with src's calibration gain
    CalibrationDataClass atTwo = OfType(kVantor6);
    atTwo.SetMu(0, 2, 5);
    CalibrationDataClass fresh = OfType(kVantor6);
    fresh.Merge(atTwo, kChangedMu);
    EXPECT_EQ(fresh.MuGain(0), 2);
    EXPECT_EQ(fresh.gain(0, 1), 0.1);
}

TEST(CalibrationWhole, SigmasMakeSigmaOneAtThePureWaterPoint) {
    // K_w at 470 nm: 0.8 x bb_w = 0.8 x 0.0014507; with pure water a_w + 1.6 bb_w
    const std::tuple<int, double, double, double, bool, double> cases[] = {
        {470, 2, 0, 0, false, 0.998},    // 1 - 2 x 0.0011606
        {470, 2, 0, 0, true, 0.974},     // 1 - 2 x 0.0129211
        {532, 1.5, -3, 0, true, 0.938},  // 1 - 1.5 x 0.045479 + 3 x 0.045479^2
        {700, 0, 0, 2, true, 0.287},     // exp(-2 x 0.624415)
        {700, 0, 0, 0.00005, true, 1},   // too small: the polynomial with s1 = s2 = 0
    };
    for (const auto& [lambda, s1, s2, sigmaExp, includePurewater, s0] : cases) {
        CalibrationDataClass cal = OfType(kVantor2);
        ScriptedPrompter p;
        cal.SetLambda(1, lambda);
        cal.SetSigma(1, 1, s1, p);
        cal.SetSigma(1, 2, s2, p);
        cal.SetSigmaExp(1, sigmaExp);
        SigmaParams params = NumericSigmaParams();
        params.includePurewater = includePurewater;
        cal.UpdateSigmas(params);
        EXPECT_DOUBLE_EQ(cal.Sigma(1, 0), s0) << lambda;
        params.includePurewater = true;
        CalibrationDataClass withWater;
        withWater.Copy(cal);
        withWater.UpdateSigmas(params);
        EXPECT_EQ(cal.OldSigmaK1(1), withWater.Sigma(1, 0));
    }
    // only the channels in use
    CalibrationDataClass cal = OfType(kVantor2);
    ScriptedPrompter p;
    cal.SetSigma(3, 0, 0.5, p);
    cal.UpdateSigmas(NumericSigmaParams());
    EXPECT_EQ(cal.Sigma(3, 0), 0.5);
    EXPECT_EQ(cal.Sigma(2, 0), 1);
}

TEST(CalibrationWhole, CheckAndUpdateAllAndMissingTables) {
    CalibrationDataClass cal = OfType(kVantor4);
    cal.SetLambda(0, 470);
    cal.SetLambda(3, 700);
    cal.SetGain(1, 1, 0.1);
    cal.SetGain(1, 2, 1);
    SigmaParams params = NumericSigmaParams();
    params.aStar = Failed;
    params.aStarFile = "/nonexistent/aStar.csv";
    ScriptedPrompter prompter;
    cal.CheckAndUpdateAll(params, LoadSigmaTables(params), prompter);
    EXPECT_EQ(cal.MuGain(1), 2);
    EXPECT_TRUE(std::isinf(cal.a(0)));
    ASSERT_EQ(prompter.shown.size(), 2u);  // one per channel with a wavelength
    EXPECT_EQ(prompter.shown[0], AStarMissingMessage(470, params.aStarFile));
    EXPECT_EQ(prompter.shown[1], AStarMissingMessage(700, params.aStarFile));
}

TEST(CalibrationWhole, HasOffsetsLooksAtGainSettingsOneToFive) {
    const std::tuple<int, int, int, bool> cases[] = {
        {0, 0, 0, false}, {12, 5, 0, true}, {3, 1, 1, true}, {7, 3, 2, true}};
    for (const auto& [chan, gainSetting, kind, has] : cases) {
        CalibrationDataClass cal;
        if (kind == 0) cal.SetDarkOffset(chan, gainSetting, -1);
        if (kind == 1) cal.SetNomOffset(chan, gainSetting, 1);
        if (kind == 2) cal.SetFlOffset(chan, gainSetting, 1);
        EXPECT_EQ(cal.HasOffsets(), has) << chan << " " << gainSetting;
    }
}

TEST(CalibrationWhole, ChangedDescription) {
    CalibrationDataClass cal;
    cal.Changed = 5;
    EXPECT_EQ(cal.ChangedDescription(), "mu, gain");
    cal.Changed = -1;
    EXPECT_EQ(cal.ChangedDescription(),
              "attenuation params, mu, comment, configuration, depth, fluorescence mu, gain, "
              "identification, exponential sigma, offset, polynomial sigma, reference, "
              "temperature coefficient");
}

// An edited field is stored only when the text is a value of it, and marks its group only when
// the value changed.
TEST(CalibrationFieldEdits, StoreValuesOfTheFieldAndMarkTheirGroup) {
    const std::tuple<int, const char*, const char*, const char*, bool, const char*, int32_t>
        cases[] = {
            {kVantor2, "Channel 2", "Gain 3", "12.3456789", true, "12.345679", kChangedGain},
            {kVantor6, "Channel 7", "Mu", "0.5", true, ".5", kChangedFluorescenceMu},
            {kVantor6, "Channel 1", "Gain 1", "1", true, "1", 0},
            {kVantor6, "Channel 1", "Offset 2", "40000", false, "0", 0},
            {kVantor6, "Channel 1", "Lambda", "4.5", false, "0", 0},
            {kVantor6, "Channel 1", "Mu", "abc", false, "0", 0},
            {kVantor6, "Channel 1", "MuGain", "2", false, "1", 0},
            {kVantor6, "General", "CalTime", "01/1/10 00:00:00", true, "01/01/10 00:00:00",
             kChangedIdentification},
            {kVantor6, "General", "CalTime", "soon", false, "", 0},
            {kALumo, "Attenuation", "TrAir", "123456", true, "123456", kChangedAttenuation},
            {kALumo, "Scattering", "Mu", "0.5", true, ".5", kChangedMu},
            {kTrevan2, "Depth", "TP0", "7", true, "7", kChangedDepth},
        };
    for (const auto& [type, section, name, text, stored, shown, changed] : cases) {
        SCOPED_TRACE(std::string(section) + " " + name + " " + text);
        CalibrationDataClass cal;
        cal.DeviceType = type;
        const auto fields = CalibrationFields(type);
        const auto f = std::find_if(fields.begin(), fields.end(), [&](const CalField& x) {
            return x.section == section && x.name == name;
        });
        ASSERT_NE(f, fields.end());
        ScriptedPrompter p;
        EXPECT_EQ(EditCalField(cal, *f, text, p), stored);
        EXPECT_EQ(f->text(cal), shown);
        EXPECT_EQ(cal.Changed, changed);
    }
}

}  // namespace
}  // namespace tidewell
