#pragma once
// The one decoder every caller uses: the live loop, the terminal, the file loaders and the batch
// conversion. A line is taken without its terminator, as Latin-1 bytes; any text is safe.

#include <string_view>

#include "stream/DecimalLines.h"
#include "stream/SampleRecord.h"
#include "stream/StarPackets.h"

namespace tidewell {

// The kind of a line: a star packet by its letter when its checksum is good, otherwise a
// decimal line by its number of commas.
LineKind ClassifyLine(std::string_view line);
// A short name of each kind ("D packet", "ratio decimal", ...) for people reading output.
const char* LineKindName(LineKind kind);
// A star packet of a known letter whose checksum fails: a packet damaged on its way.
bool IsDamagedPacket(std::string_view line);

// Sets record.instrumentType to `instrumentType` and decodes the line into the record by its
// kind, writing only the fields the line carries. True when the record now holds a sample.
// Numeric lines of no known kind are decoded as single-channel decimal lines when the
// instrument is a single-channel model. H packets are never samples: see DecodeHeaderPacket.
bool DecodeLine(std::string_view line, int instrumentType, SampleRecord& record);

// The instrument type a line most likely came from, for lines whose instrument is not known:
// the packet kind where it tells, otherwise the highest channel in use; 7 when nothing tells.
int GuessInstrumentType(std::string_view line);

}  // namespace tidewell
