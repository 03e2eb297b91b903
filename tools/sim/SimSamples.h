#pragma once
// What the simulated instrument measures, and the lines it sends for it. The values wander
// slowly from one sample to the next (a seeded random walk, so runs repeat), and each is chosen
// on the grid its line can carry, so that a decoded line gives back exactly what was meant.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/packets/PacketBuilder.h"

namespace tidewell::sim {

// One sample as the instrument means it.
struct SimSample {
    int64_t hundredths = 0;     // instrument clock, hundredths of a second since its epoch
    int32_t counts[8] = {};     // Vantor raw counts; single-channel signal[0]; Trevan signal
    int32_t reference[2] = {};  // Trevan
    uint8_t gain[8] = {};       // gain settings, 0 for channels not in use
    int32_t depthCounts = 0;
    int32_t temperatureCentis = 0;  // hundredths of a degree Celsius
    int32_t optionCounts = 0;       // a- and c-Lumo absorption or attenuation reading
    int32_t voltageCentis = 0;      // supply, hundredths of a volt
    // x-Lumo and Trevan information values
    int32_t infoLevelCounts = 0;
    int32_t channelCode = 0;
    int32_t infoCode = 0;
    int32_t infoACounts = 0;
    int32_t infoBCounts = 0;

    double Seconds() const { return static_cast<double>(hundredths) / 100.0; }
};

// Produces the samples of one instrument.
class SampleSource {
  public:
    SampleSource(int model, uint32_t seed);
    // The next sample, taken at `hundredths` of the instrument clock.
    SimSample Next(int64_t hundredths);

  private:
    int32_t Walk(int32_t& value, int32_t step, int32_t lo, int32_t hi);
    uint32_t Random();

    int model_;
    uint32_t state_;
    int32_t counts_[8] = {};
    int32_t reference_[2] = {};
    int32_t depth_ = 0;
    int32_t temperature_ = 0;
    int32_t option_ = 0;
    int32_t info_[3] = {};
};

// The lines an instrument sends for one sample, without line ends. `decimal` chooses the
// decimal form where the model has both (single-channel models). `checksum` is asked once for
// every star packet built.
std::vector<std::string> SampleLines(int model, bool decimal, const SimSample& s,
                                     const std::function<PacketChecksum()>& checksum);

// The housekeeping packet a Vantor sends when it starts sampling.
std::string HeaderLine(const SimSample& s, PacketChecksum checksum);

}  // namespace tidewell::sim
