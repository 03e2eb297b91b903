#include "files/HeaderText.h"

#include <cmath>

#include "stream/DateValue.h"

namespace tidewell {

namespace {
void AppendTwoDigits(std::string& out, int value) {
    value = ((value % 100) + 100) % 100;
    out += static_cast<char>('0' + value / 10);
    out += static_cast<char>('0' + value % 10);
}

// The user's text with each line break (CR LF, CR or LF) written as CR LF.
void AppendWithCrLf(std::string& out, std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            out.append("\r\n");
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += c;
        }
    }
}
}  // namespace

std::string CreationDateText(double dateValue) {
    // The clock may carry milliseconds; the file shows the second that has begun, allowing ten
    // microseconds for a value that falls just short of a whole second in binary.
    double seconds = std::floor(dateValue * 86400.0 + 1e-5);
    CalendarTime t = ToCalendar(seconds / 86400.0);
    std::string s;
    AppendTwoDigits(s, t.month);
    s += '/';
    AppendTwoDigits(s, t.day);
    s += '/';
    AppendTwoDigits(s, t.year);
    s += ' ';
    AppendTwoDigits(s, t.hour);
    s += ':';
    AppendTwoDigits(s, t.minute);
    s += ':';
    AppendTwoDigits(s, t.second);
    return s;
}

void AppendHeaderStart(std::string& out, const HeaderStart& h) {
    if (!h.userHeader.empty()) {
        AppendLine(out, "[UserHeader]");
        AppendWithCrLf(out, h.userHeader);
        out.append("\r\n");
    }
    AppendLine(out, "[Header]");
    AppendLine(out, std::string("TidewellVersion=") + kFileProgramVersion);
    AppendLine(out, "CreationDate=" + CreationDateText(h.creationDate));
    AppendLine(out, "FileType=" + h.fileType);
    AppendLine(out, "DeviceType=" + h.deviceType);
    AppendLine(out, "DataSource=" + h.dataSource);
    AppendLine(out, "CalSource=" + h.calSource);
    AppendLine(out, "Serial=" + h.serial);
    AppendLine(out, "Config=" + h.config);
}

}  // namespace tidewell
