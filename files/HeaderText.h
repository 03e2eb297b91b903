#pragma once
// The opening lines shared by the raw and the calibrated data file headers: the optional user
// header, "[Header]", the program version, the creation date, the file type and the
// identification of instrument, data source and calibration.

#include <string>
#include <string_view>

namespace tidewell {

// The version number written into every data file header.
inline constexpr const char* kFileProgramVersion = "2.82";

// Month, day, two-digit year, then the time: "07/04/05 14:03:09" for 4 July 2005, 14:03:09.
std::string CreationDateText(double dateValue);

struct HeaderStart {
    std::string userHeader;  // the UserHeader setting; no section when empty
    double creationDate = 0;
    std::string fileType;    // "raw", "rmu" or "dat"
    std::string deviceType;  // model name
    std::string dataSource;
    std::string calSource;
    std::string serial;
    std::string config;
};

// Appends the lines from the user header through "Config=", each ending in CR LF. Line breaks
// inside the user header become CR LF as well.
void AppendHeaderStart(std::string& out, const HeaderStart& header);

// Appends the text and CR LF.
inline void AppendLine(std::string& out, std::string_view text) {
    out.append(text);
    out.append("\r\n");
}

}  // namespace tidewell
