#pragma once
// What a printed graph page says above the chart, and the picture formats of the graph export.

#include <string>
#include <vector>

namespace tidewell {

struct PrintHeaderInfo {
    std::string title;              // the title given in the print dialog
    bool titleNamesWindow = false;  // the title is the window's name: it reads "Print " + title
    std::vector<std::string> dataFiles;  // paths of the window's data files (one or two)
    std::string calFile;                 // path of the window's calibration file
    int instrumentType = 7;
    std::string serialNumber;
    bool includeDate = false;
    double printTime = 0;  // days since 1899-12-30
};

// The header lines, top to bottom: the title, "File: 'D.raw'" (two files as
// "File: 'D.raw' / 'D.dat'"), "Cal: 'C.cal'", the model and serial number ("Vantor-6 1234",
// the model left out when it is unknown), and with the date option "05 Mar 2024 14:03:09".
// A line with nothing to say is left out.
std::vector<std::string> PrintHeaderLines(const PrintHeaderInfo& info);

// The export formats by their GraphicsExportType index. The two metafile choices become SVG
// and PDF; PNG comes after the original six.
enum class PictureKind { Jpeg, Svg, Pdf, Bmp, Png };
struct ExportFormat {
    PictureKind kind;
    int jpegQuality;  // 0-100, for JPEG
    const char* filter;
    const char* extension;
};
inline constexpr int kExportFormatCount = 7;
// The format of an index; an index outside 0-6 reads as 0.
const ExportFormat& ExportFormatFor(int graphicsExportType);
// The save dialog's list of file types, in index order, joined by ";;".
std::string ExportFilterList();

}  // namespace tidewell
