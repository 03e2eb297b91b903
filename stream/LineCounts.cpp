#include "stream/LineCounts.h"

#include "stream/Decoder.h"

namespace tidewell {

void LineCounts::CountNonSample(std::string_view line) {
    if (line.empty()) return;  // the gap of a doubled line end
    if (line == "[Header]") inFileHeader = true;
    if (inFileHeader) {
        if (line == "[EndHeader]") inFileHeader = false;
        return;
    }
    if (IsDamagedPacket(line))
        ++badChecksums;
    else if (ClassifyLine(line) == kOtherLine)
        ++unknownKind;
}

}  // namespace tidewell
