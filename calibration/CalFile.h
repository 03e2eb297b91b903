#pragma once
// The calibration file (".cal", and the older ".ini"): sections in square brackets and lines of a
// key, "=" and a value, Latin-1 text with CR LF line ends. The object's own reading and writing
// (ParseLineIntoCalClass, SetSourceFile, SaveCopyToFile) live with CalibrationDataClass; this
// header has the free functions around them, which the data-file loaders use too.

#include <string>
#include <string_view>

#include "stream/Prompter.h"

namespace tidewell {

// The version the writer puts on a file's [General] line.
inline constexpr const char* kCalFileWriterVersion = "2.82";

enum class CalLineKind {
    Other,    // nothing to take from the line
    Section,  // "[" and a later "]": `section` is now the text between them
    Key,      // a "=": `key` and `value` are set
};

// Splits one line. A key is the text before the first "=", exactly as it stands (a blank before
// the "=" is part of the key). Its value is the text after it up to the first control
// character (tab, CR, LF), "//" or ",", trimmed of blanks: so a tab or "//" starts a comment.
CalLineKind SplitCalLine(std::string_view line, std::string& section, std::string& key,
                         std::string& value);

// A calibration time: a date "M/D/YY h:mm:ss" anywhere in the text (the one in parentheses of a
// written CalTime line), else the leading number as seconds since the clock epoch of the type
// (1970-01-01 for the Vantor types, 1980-01-01 for the others). Days since 1899-12-30; 0 when the
// text gives a time outside the years 100-9999.
double ParseCalTime(std::string_view text, int deviceType);

// The instrument type code and serial number of a calibration file, without loading it: 7 when
// the file is missing or cannot be opened (with "Error opening cal file: ..." shown). A file of
// exactly 128 bytes is the binary image of a single-channel instrument.
int PeekCalFile(const std::string& path, std::string& serial, Prompter& prompter);

// The type and serial number a 128-byte single-channel calibration image carries. Its first byte's
// high four bits give the type (hexadecimal A a-Lumo, C c-Lumo; anything else 7). We build the
// serial as "B", the remaining twelve bits of the first two bytes (low four bits of byte 1, then
// byte 2) as four hexadecimal digits, and the date code of byte 4 (a month count v) as two-digit
// year Int((v + 11) / 12) + 98 and two-digit month (v + 11) mod 12 + 1: byte 1 A1, byte 2 2F,
// byte 4 13 give "B012F0001".
int BinaryImageType(std::string_view image);
std::string BinaryImageSerial(std::string_view image);

}  // namespace tidewell
