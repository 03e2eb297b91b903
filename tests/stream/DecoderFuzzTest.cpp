#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "stream/Decoder.h"
#include "stream/Models.h"
#include "stream/RecordText.h"
#include "stream/TextHelpers.h"
#include "tools/packets/PacketBuilder.h"

namespace tidewell {
namespace {

using test::RecordText;

// The line in a heap block of exactly its size, so that a memory checker sees any read past it.
class ExactLine {
  public:
    explicit ExactLine(const std::string& s) : size_(s.size()), bytes_(new char[s.size()]) {
        std::copy(s.begin(), s.end(), bytes_.get());
    }
    std::string_view view() const { return {bytes_.get(), size_}; }

  private:
    size_t size_;
    std::unique_ptr<char[]> bytes_;
};

// Runs every reader over the line and checks what holds for any input.
void Exercise(const std::string& text) {
    const ExactLine exact(text);
    const std::string_view line = exact.view();
    const LineKind kind = ClassifyLine(line);
    ASSERT_GE(kind, kOtherLine);
    ASSERT_LE(kind, kTwoChannelShortLine);
    ChecksumOk(line);
    const bool sampleKind = kind != kOtherLine && kind != kHPacket && kind != kIPacket;
    for (int type = 0; type <= 7; ++type) {
        SampleRecord r;
        const bool sample = DecodeLine(line, type, r);
        ASSERT_EQ(sample, sampleKind || (StartsNumeric(line) && IsSingleChannel(type))) << text;
    }
    SampleRecord a, b;
    DecodeLine(line, 0, a);
    DecodeLine(line, 0, b);
    ASSERT_EQ(RecordText(a), RecordText(b));  // nothing uninitialised leaks in
    const int guess = GuessInstrumentType(line);
    ASSERT_TRUE(guess >= 0 && guess <= 7) << guess;
    SampleRecord r;
    HeaderRecord h;
    DecodeChannelPacket(line, r);
    DecodeRatioPacket(line, r);
    DecodeSinglePacket(line, r);
    DecodeInfoPacket(line, r);
    DecodeHeaderPacket(line, h);
    DecodeDecimalSample(line, r);
    DecodeTwoChannelDecimal(line, r);
    DecodeRatioDecimal(line, r);
    HeaderSupplyVoltage(line);
}

std::vector<std::string> ValidLines() {
    ChannelPacketFields cf;
    cf.time = 0x12345678;
    for (int i = 0; i < 8; ++i) cf.raw[i] = static_cast<int16_t>(1000 * i - 3000), cf.gain[i] = 3;
    RatioPacketFields vf;
    for (auto& ch : vf.channel) ch = {100, 5, 400, 7, 9};
    SinglePacketFields sf;
    sf.optionCounts = -5, sf.depthCounts = 60000, sf.signal = 1234;
    RatioDecimalFields rf;
    for (auto& ch : rf.channel) ch = {100, 5, 400, 7, 0.25};
    SingleDecimalFields df;
    df.time = 12.34, df.signal = 55;
    TwoChannelDecimalFields tf;
    tf.time = 3.5;
    return {BuildDPacket(cf),
            BuildTPacket(cf),
            BuildVPacket(vf),
            BuildAPacket(sf),
            BuildCPacket(sf),
            BuildIPacket({}),
            BuildHPacket({}),
            BuildSingleDecimalLine(df, false),
            BuildSingleDecimalLine(df, true),
            "9.5," + BuildSingleDecimalLine(df, false),
            BuildRatioDecimalLine(rf),
            "p 1," + BuildRatioDecimalLine(rf),
            BuildTwoChannelDecimalLine(tf, false),
            BuildTwoChannelDecimalLine(tf, true)};
}

TEST(DecoderFuzz, RandomBytes) {
    std::mt19937 rng(20240611);
    // Mostly characters that mean something to the decoder, some of any byte value.
    const std::string alphabet = "*DTHVACIX0123456789ABCDEFabcdef,,,,.-+ E";
    for (int n = 0; n < 10000; ++n) {
        std::string s(rng() % 300, '\0');
        for (char& c : s)
            c = rng() % 4 == 0 ? static_cast<char>(rng()) : alphabet[rng() % alphabet.size()];
        if (n % 2) s[0] = '*';
        Exercise(s);
        if (::testing::Test::HasFatalFailure()) return;
    }
}

TEST(DecoderFuzz, MutatedAndTruncatedValidLines) {
    std::mt19937 rng(7);
    for (const std::string& valid : ValidLines()) {
        for (size_t cut = 0; cut <= valid.size(); ++cut) Exercise(valid.substr(0, cut));
        for (int n = 0; n < 1000; ++n) {
            std::string s = valid;
            const int edits = 1 + static_cast<int>(rng() % 4);
            for (int e = 0; e < edits && !s.empty(); ++e) {
                const size_t at = rng() % s.size();
                const auto op = rng() % 4;
                if (op == 0)
                    s[at] = static_cast<char>(rng());
                else if (op == 1)
                    s.erase(at, 1 + rng() % 8);
                else if (op == 2)
                    s.insert(at, 1, ",.-*"[rng() % 4]);
                else
                    s.resize(at);
            }
            Exercise(s);
            if (::testing::Test::HasFatalFailure()) return;
        }
    }
}

}  // namespace
}  // namespace tidewell
