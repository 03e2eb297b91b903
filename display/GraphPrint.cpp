#include "display/GraphPrint.h"

#include "files/FilePaths.h"

#include <cstdio>

#include "stream/DateValue.h"
#include "stream/Models.h"

namespace tidewell {

namespace {

constexpr ExportFormat kFormats[kExportFormatCount] = {
    {PictureKind::Jpeg, 30, "Low Quality/Compact JPEG (*.jpg)", "jpg"},
    {PictureKind::Jpeg, 70, "Med Quality JPEG (*.jpg)", "jpg"},
    {PictureKind::Jpeg, 95, "High Quality JPEG (*.jpg)", "jpg"},
    {PictureKind::Svg, 0, "Scalable Vector Graphics (*.svg)", "svg"},
    {PictureKind::Pdf, 0, "PDF Document (*.pdf)", "pdf"},
    {PictureKind::Bmp, 0, "Bitmap (*.bmp)", "bmp"},
    {PictureKind::Png, 0, "PNG Image (*.png)", "png"},
};

constexpr const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

std::vector<std::string> PrintHeaderLines(const PrintHeaderInfo& info) {
    std::vector<std::string> lines;
    if (!info.title.empty())
        lines.push_back(info.titleNamesWindow ? "Print " + info.title : info.title);
    std::string files;
    for (const std::string& path : info.dataFiles) {
        if (path.empty()) continue;
        files += (files.empty() ? "File: '" : " / '") + FileNamePart(path) + "'";
    }
    if (!files.empty()) lines.push_back(files);
    if (!info.calFile.empty()) lines.push_back("Cal: '" + FileNamePart(info.calFile) + "'");
    std::string model = ModelName(info.instrumentType);
    std::string instrument = model == "unknown"          ? info.serialNumber
                             : info.serialNumber.empty() ? model
                                                         : model + " " + info.serialNumber;
    if (!instrument.empty()) lines.push_back(instrument);
    if (info.includeDate) {
        CalendarTime t = ToCalendar(info.printTime);
        char text[32];
        std::snprintf(text, sizeof text, "%02d %s %04d %02d:%02d:%02d", t.day,
                      kMonths[(t.month - 1 + 12) % 12], t.year, t.hour, t.minute, t.second);
        lines.push_back(text);
    }
    return lines;
}

const ExportFormat& ExportFormatFor(int graphicsExportType) {
    if (graphicsExportType < 0 || graphicsExportType >= kExportFormatCount) return kFormats[0];
    return kFormats[graphicsExportType];
}

std::string ExportFilterList() {
    std::string list;
    for (const ExportFormat& f : kFormats)
        list += (list.empty() ? "" : ";;") + std::string(f.filter);
    return list;
}

}  // namespace tidewell
