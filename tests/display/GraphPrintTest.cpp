#include "display/GraphPrint.h"

#include <gtest/gtest.h>

#include "stream/DateValue.h"

namespace tidewell {
namespace {

TEST(GraphPrint, HeaderLines) {
    const double when = DateTimeValue({2024, 3, 5, 14, 3, 9});
    struct Case {
        PrintHeaderInfo info;
        std::vector<std::string> lines;
    } cases[] = {
        {{"Cast 3",
          true,
          {"/data/d/Cast3.raw", "/data/Cast3.dat"},
          "/cal/V6-123.cal",
          0,
          "123",
          true,
          when},
         {"Print Cast 3", "File: 'Cast3.raw' / 'Cast3.dat'", "Cal: 'V6-123.cal'", "Vantor-6 123",
          "05 Mar 2024 14:03:09"}},
        {{"My title", false, {"a.dat"}, "", 7, "55", false, when},
         {"My title", "File: 'a.dat'", "55"}},
        {{"", false, {}, "", 7, "", false, 0}, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(PrintHeaderLines(c.info), c.lines);
}

TEST(GraphPrint, ExportFormatsKeepTheirIndex) {
    struct Case {
        int index;
        PictureKind kind;
        const char* extension;
    } cases[] = {
        {0, PictureKind::Jpeg, "jpg"},  {1, PictureKind::Jpeg, "jpg"},
        {2, PictureKind::Jpeg, "jpg"},  {3, PictureKind::Svg, "svg"},
        {4, PictureKind::Pdf, "pdf"},   {5, PictureKind::Bmp, "bmp"},
        {6, PictureKind::Png, "png"},   {7, PictureKind::Jpeg, "jpg"},
        {-1, PictureKind::Jpeg, "jpg"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExportFormatFor(c.index).kind, c.kind) << c.index;
        EXPECT_STREQ(ExportFormatFor(c.index).extension, c.extension) << c.index;
    }
    EXPECT_LT(ExportFormatFor(0).jpegQuality, ExportFormatFor(1).jpegQuality);
    EXPECT_LT(ExportFormatFor(1).jpegQuality, ExportFormatFor(2).jpegQuality);
}

}  // namespace
}  // namespace tidewell
