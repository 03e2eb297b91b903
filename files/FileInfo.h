#pragma once
// What a data file's header says (or, for files without a header, what its first data lines
// tell): the instrument, its serial number and the kind of file. Used before loading a file,
// when choosing files and by the batch conversion.

#include <string>
#include <string_view>

namespace tidewell {

struct DataFileInfo {
    int instrumentType = 7;  // type code; 7 while unknown
    std::string deviceType;  // the DeviceType value as written
    std::string serial;      // "unknown" when the file gives none
    std::string config;
    std::string id;
    std::string fileType;  // "raw", "rmu", "dat", or empty when unknown
};

// Reads the header (at most 301 lines) into `info`, which is reset first. True when the file
// names a device type or its data lines yield an instrument type. A file that cannot be opened
// gives false and instrument type 7.
bool ReadFileInfo(const std::string& path, DataFileInfo& info);

// The quick variant: stops as soon as file type, instrument type and serial number are all
// known. Returns the instrument type (7 when unknown); a serial the file does not give is
// "unknown", a file type it does not tell is empty.
int DetectFileKind(const std::string& path, std::string& fileType, std::string& serial);

// Whether two serial numbers name the same instrument: either one empty or "unknown", or the
// same two letters (ignoring case) followed by the same number (from the third character of a
// serial shorter than seven characters, else from the seventh).
bool SerialsMatch(std::string_view serial1, std::string_view serial2);

}  // namespace tidewell
