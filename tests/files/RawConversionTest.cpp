#include "files/RawConversion.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <vector>

#include "files/BatchTestFiles.h"
#include "files/FilePaths.h"
#include "support/TestSupport.h"

namespace tidewell {
namespace {

using namespace test;

// Set TIDEWELL_UPDATE_GOLDEN=1 to write the golden files anew (and then read them line by line
// before committing them).
bool UpdatingGolden() {
    const char* v = std::getenv("TIDEWELL_UPDATE_GOLDEN");
    return v != nullptr && std::string(v) == "1";
}

// Converts a raw file of tests/data/batch in a temporary folder (so that the data source and
// calibration source read as bare names) and returns the output's bytes.
struct Converted {
    int error = -1;
    std::string bytes;
    std::vector<std::string> shown;
};

Converted Convert(const std::string& raw, const std::string& calName, bool decimal,
                  bool housekeeping = false) {
    TempDir dir;
    std::filesystem::copy_file(DataPath("batch/" + raw), dir.File(raw));
    Converted c;
    ScriptedPrompter prompter;
    const std::string out = dir.File("out");
    if (decimal) {
        c.error = ConvertRawToDecimal(dir.File(raw), out, housekeeping, prompter);
    } else {
        std::filesystem::copy_file(DataPath("batch/" + calName), dir.File(calName));
        c.error = ConvertRawToDat(dir.File(raw), out, test::LoadCalibration(dir.File(calName)),
                                  test::HandHeaderSettings(), test::kTestCreationDate, prompter);
    }
    c.bytes = ReadFileBytes(out);
    // The temporary folder's name changes from run to run.
    for (size_t at; (at = c.bytes.find(dir.path() + "/")) != std::string::npos;)
        c.bytes.erase(at, dir.path().size() + 1);
    c.shown = prompter.shown;
    return c;
}

struct GoldenCase {
    const char* raw;
    const char* cal;  // "" for decimal output
    bool housekeeping;
    const char* golden;
};

const GoldenCase kGolden[] = {
    {"vantor6.raw", "vantor6.cal", false, "vantor6.dat"},
    {"alumo.raw", "alumo.cal", false, "alumo.dat"},
    {"clumo.raw", "clumo.cal", false, "clumo.dat"},
    {"trevan2.raw", "trevan2.cal", false, "trevan2.dat"},
    {"vantor6.raw", "", false, "vantor6.dec"},
    {"vantor6.raw", "", true, "vantor6-housekeeping.dec"},
    {"alumo.raw", "", false, "alumo.dec"},
    {"alumo.raw", "", true, "alumo-housekeeping.dec"},
    {"clumo.raw", "", false, "clumo.dec"},
    {"trevan2.raw", "", false, "trevan2.dec"},
};

TEST(BatchGolden, OutputsMatchByteForByte) {
    for (const auto& g : kGolden) {
        const bool decimal = std::string(g.cal).empty();
        const Converted c = Convert(g.raw, g.cal, decimal, g.housekeeping);
        EXPECT_EQ(c.error, 0) << g.golden;
        EXPECT_EQ(c.shown, Texts{}) << g.golden;
        const std::string path = DataPath(std::string("batch/") + g.golden);
        if (UpdatingGolden()) WriteFileBytes(path, c.bytes);
        EXPECT_EQ(c.bytes, ReadFileBytes(path)) << g.golden;
    }
}

// Rows worked out by hand from the packets and the calibrations (Mu 1E-05, gains 1, 2, 4, 8,
// 16, chi 4 so bb = 4 beta, sigma 1, depth = counts / 2; absorption and attenuation
// ln(r) / path).
TEST(BatchGolden, CalibratedRowsWorkedOutByHand) {
    const auto vantor = DataRows(Convert("vantor6.raw", "vantor6.cal", false).bytes);
    ASSERT_EQ(vantor.size(), 4u);
    // 43200 s after 1970-01-01 is day 25569.5; raw 1000 at gain 1: beta .01, bb .04.
    EXPECT_EQ(vantor[0],
              "25569.5,100,.04,.08,.12,.16,.2,.24,.028,.032,.04,.08,.12,.16,.2,.24,.028,.032,"
              ".01,.02,.03,.04,.05,.06,.007,.008,.01,.02,.03,.04,.05,.06,.007,.008,");
    // Gain codes 2, 3, 0, 6, 9 (= 1 after masking), 5: raw -100 / 2, 32767 / 4, invalid,
    // invalid, 5000 / 1, 6000 / 16; depth counts -2.
    EXPECT_EQ(vantor[1],
              "25570,-1,-.002,.32767,0,0,.2,.015,.028,.032,-.002,.32767,0,0,.2,.015,.028,.032,"
              "-.0005,.0819175,0,0,.05,.00375,.007,.008,-.0005,.0819175,0,0,.05,.00375,.007,.008,");
    // T packet: 86401.5 s is 25570 days and 1.5 / 86400 of a day.
    EXPECT_EQ(vantor[2].rfind("25570.0000173611,100,.04,", 0), 0u) << vantor[2];
    // The second recording, without its header.
    EXPECT_EQ(vantor[3].rfind("25570.5,0,.004,.004,", 0), 0u) << vantor[3];

    const auto alumo = DataRows(Convert("alumo.raw", "alumo.cal", false).bytes);
    ASSERT_EQ(alumo.size(), 5u);
    // Seconds since 1980 (day 29221). Absorption ln(20000 / 10000) / .25 = 2.7725887; corrected
    // by chi1 x beta: 2.7725887 - .5 x .02.
    EXPECT_EQ(alumo[0], "29221.5,100,.08,.08,2.772589,2.762589,.02,.02");
    // Gain 2, signal -500: beta -.0025; ln(20000 / 30000) / .25 = -1.6218604; depth 65535 / 2.
    EXPECT_EQ(alumo[1], "29221.5000144676,32767.5,-.01,-.01,-1.62186,-1.62061,-.0025,-.0025");
    // Decimal lines: 1500 counts; ln(20000 / 12000) / .25 = 2.04330250, whose nearest single is
    // 2.04330254: written 2.043303.
    EXPECT_EQ(alumo[2], "29221.5011631944,200,.06,.06,2.043303,2.035803,.015,.015");
    // Option counts -5 are below TrNought: no absorption.
    EXPECT_EQ(alumo[4], "29221.5011805556,100,.08,.08,0,-.01,.02,.02");

    const auto clumo = DataRows(Convert("clumo.raw", "clumo.cal", false).bytes);
    ASSERT_EQ(clumo.size(), 2u);
    EXPECT_EQ(clumo[0], "29221.5,100,.08,.08,2.772589,.02,.02");

    const auto trevan = DataRows(Convert("trevan2.raw", "trevan2.cal", false).bytes);
    ASSERT_EQ(trevan.size(), 2u);
    // ln(8 / 2) / .5 and ln(8 / 3) / .5; 20 degrees; an empty line follows the heading.
    EXPECT_EQ(trevan[0], "25569.5,100,2.772589,1.961658,20");
    EXPECT_EQ(trevan[1], "25569.5000173611,200,1.386294,0,15");
}

TEST(RawConversion, OpenErrorsAreReportedAndReturned) {
    TempDir dir;
    ScriptedPrompter prompter;
    WriteFileBytes(dir.File("d.raw"), test::BatchRaw("clumo.raw"));
    const std::string badOut = dir.File("no/such/folder/d.dat");
    EXPECT_EQ(ConvertRawToDat(dir.File("d.raw"), badOut, CalibrationDataClass(),
                              test::HandHeaderSettings(), 0, prompter),
              ENOENT);
    // Converting a file onto itself would empty it first.
    EXPECT_EQ(ConvertRawToDecimal(dir.File("d.raw"), dir.File("d.raw"), false, prompter), EINVAL);
    EXPECT_EQ(ReadFileBytes(dir.File("d.raw")), test::BatchRaw("clumo.raw"));
    EXPECT_EQ(prompter.shown,
              (Texts{"Error opening " + badOut + ": No such file or directory.",
                     "Error opening " + dir.File("d.raw") + ": it is the file being converted."}));
}

// Many lines, so that the progress and cancel checks have something to count.
std::string ManyCLumoLines(int count) {
    std::string s;
    for (int i = 0; i < count; ++i)
        s += BuildCPacket(test::SingleFields(43200 + i, 0, 2000, 1, 10000, 200, 300)) + "\r";
    return s;
}

// The room runs out under the temporary file (a file size limit stands in for a full disk):
// the error is reported and returned, the temporary file goes and the older output stays.
TEST(RawConversion, AFailedWriteLeavesTheOlderOutputAsItWas) {
    TempDir dir;
    WriteFileBytes(dir.File("c.raw"), ManyCLumoLines(100));
    WriteFileBytes(dir.File("c.dec"), "older");
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 1000;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);  // a failed write, not the end
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    ScriptedPrompter prompter;
    const int error = ConvertRawToDecimal(dir.File("c.raw"), dir.File("c.dec"), false, prompter);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(error, EFBIG);
    EXPECT_EQ(prompter.shown, Texts{"Error writing " + dir.File("c.dec") + ": File too large."});
    EXPECT_EQ(ReadFileBytes(dir.File("c.dec")), "older");
    EXPECT_FALSE(std::filesystem::exists(PartialName(dir.File("c.dec"))));
}

TEST(RawConversion, ProgressEvery300LinesAndCancelAfterTheCurrentLine) {
    TempDir dir;
    const std::string raw = ManyCLumoLines(1000);
    WriteFileBytes(dir.File("c.raw"), raw);
    ScriptedPrompter prompter;
    std::vector<std::pair<int64_t, int64_t>> calls;
    ConversionControl control;
    control.progress = [&](int64_t position, int64_t range) {
        calls.emplace_back(position, range);
    };
    ConversionReport report;
    ASSERT_EQ(ConvertRawToDecimal(dir.File("c.raw"), dir.File("c.dec"), false, prompter, control,
                                  &report),
              0);
    const auto size = static_cast<int64_t>(raw.size());
    const int64_t line = size / 1000;  // every packet line has the same length
    std::vector<std::pair<int64_t, int64_t>> want;
    for (int64_t at : {int64_t{0}, 300 * line, 600 * line, 900 * line, size})
        want.emplace_back(at, size + 128);
    EXPECT_EQ(calls, want);
    EXPECT_EQ(report.lines, 1000);
    EXPECT_EQ(report.samples, 1000);
    EXPECT_FALSE(report.cancelled);

    // The Cancel button (here: the progress call at line 300) stops after the next line; the
    // rows written so far go with the temporary file, and the older output stays.
    WriteFileBytes(dir.File("c.dat"), "older");
    const std::string part = PartialName(dir.File("c.dat"));
    std::atomic<int> cancel{1};
    control.cancel = &cancel;
    control.progress = [&](int64_t position, int64_t) {
        if (position == 0) return;
        EXPECT_TRUE(std::filesystem::exists(part));
        cancel = -1;
    };
    ASSERT_EQ(ConvertRawToDat(dir.File("c.raw"), dir.File("c.dat"),
                              test::LoadCalibration(DataPath("batch/clumo.cal")),
                              test::HandHeaderSettings(), 0, prompter, control, &report),
              0);
    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(report.lines, 301);
    EXPECT_EQ(report.samples, 301);
    EXPECT_FALSE(std::filesystem::exists(part));
    EXPECT_EQ(ReadFileBytes(dir.File("c.dat")), "older");
}

// Every line is counted, and each one lost by why: the file's header block and packets of known
// kinds are no loss.
TEST(RawConversion, CountsLinesSamplesAndLosses) {
    TempDir dir;
    const std::string good = "*D0000A8C003E807D00BB80FA01388177002BC03201111111100C89600FF";
    const std::string damaged = good.substr(0, 58) + "00";
    WriteFileBytes(dir.File("l.raw"), "[Header]\r\nFileType=raw\r\n[EndHeader]\r\n" + good + "\r" +
                                          damaged + "\rVantor-6 ready\r>\r\r*Q0012\r" +
                                          std::string(LineReader::kMaxLineBytes + 9, 'x') + "\r" +
                                          good);
    ScriptedPrompter prompter;
    ConversionReport report;
    ASSERT_EQ(ConvertRawToDat(dir.File("l.raw"), dir.File("l.dat"),
                              test::LoadCalibration(DataPath("batch/vantor6.cal")),
                              test::HandHeaderSettings(), 0, prompter, {}, &report),
              0);
    EXPECT_EQ(report.lines, 11);
    EXPECT_EQ(report.samples, 2);
    EXPECT_EQ(report.badChecksums, 1);
    EXPECT_EQ(report.unknownKind, 3);
    EXPECT_EQ(report.overLong, 1);
}

// Random bytes, long lines without ends and stray packets never crash a conversion, and what
// comes out is whole rows.
TEST(RawConversion, GarbageInputGivesWholeRowsOnly) {
    TempDir dir;
    ScriptedPrompter prompter;
    const CalibrationDataClass cal = test::LoadCalibration(DataPath("batch/vantor6.cal"));
    const std::string vantor = test::BatchRaw("vantor6.raw");
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    for (int round = 0; round < 40; ++round) {
        std::string raw;
        const int pieces = 1 + static_cast<int>(next() % 50);
        for (int p = 0; p < pieces; ++p) {
            const uint32_t kind = next() % 3;
            if (kind == 0) raw += vantor.substr(next() % 500, next() % 300);  // stray packets
            if (kind == 1) raw += std::string(next() % 3000, static_cast<char>(next()));
            for (int i = kind == 2 ? next() % 100 : 0; i > 0; --i) raw += static_cast<char>(next());
        }
        WriteFileBytes(dir.File("g.raw"), raw);
        ASSERT_EQ(ConvertRawToDat(dir.File("g.raw"), dir.File("g.dat"), cal,
                                  test::HandHeaderSettings(), 0, prompter),
                  0);
        for (const auto& row : DataRows(ReadFileBytes(dir.File("g.dat"))))
            EXPECT_EQ(std::count(row.begin(), row.end(), ','), 34) << row;
        ASSERT_EQ(ConvertRawToDecimal(dir.File("g.raw"), dir.File("g.dec"), true, prompter), 0);
    }
    EXPECT_EQ(prompter.shown, Texts{});
}

}  // namespace
}  // namespace tidewell
