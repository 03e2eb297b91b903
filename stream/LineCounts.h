#pragma once
// What became of the lines of a stream or a file: how many were read, how many gave samples, and
// the losses (packets damaged on their way, lines of no known kind, lines cut for their length),
// so that nothing is dropped unseen. Counting costs an increment per line; the reason for a loss
// is looked for only on lines that gave no sample.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tidewell {

// No instrument line comes near this; a longer one is binary garbage without line ends.
inline constexpr size_t kLongestLineBytes = 1 << 20;

struct LineCounts {
    int64_t lines = 0;         // lines read
    int64_t samples = 0;       // lines that gave a sample
    int64_t badChecksums = 0;  // star packets whose checksum failed
    int64_t unknownKind = 0;   // lines of no known kind (messages, prompts, damaged text)
    int64_t overLong = 0;      // lines cut for their length
    // Inside the header block of a stored file ("[Header]" to "[EndHeader]"), whose lines are
    // the file's own and no loss.
    bool inFileHeader = false;

    // A line that gave no sample: counted as a bad checksum or as of no known kind when it is a
    // loss. Known kinds that are no sample (H and I packets) and a stored file's header block
    // are not.
    void CountNonSample(std::string_view line);
    // Lines lost one way or another.
    int64_t Losses() const { return badChecksums + unknownKind + overLong; }
};

}  // namespace tidewell
