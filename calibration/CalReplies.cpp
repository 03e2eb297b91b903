#include "calibration/CalReplies.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "calibration/BinaryImage.h"
#include "calibration/CalFile.h"
#include "stream/Models.h"
#include "stream/NumberText.h"
#include "stream/TextHelpers.h"

namespace tidewell {

namespace {

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

void ParseAll(const std::vector<std::string>& lines, CalibrationDataClass& cal) {
    std::string section;
    for (const std::string& line : lines) cal.ParseLineIntoCalClass(line, section);
}

// The text from two characters after the first ":", as received.
std::string AfterColon(std::string_view line) {
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon + 2 > line.size()) return std::string();
    return std::string(line.substr(colon + 2));
}

// The number after the first ":"; 0 without one.
double ValueAfterColon(std::string_view line) {
    const size_t colon = line.find(':');
    return colon == std::string_view::npos ? 0 : ReadDecimal(line.substr(colon + 1));
}

// The type code of the model on a "model:" line: the instruments call the Vantor models "vn2",
// "vn4" and "vn6"; other names are the program's own in any case. Unknown names are type 7.
int ModelOnLine(std::string_view line) {
    const std::string lower = LowerCase(line);
    const size_t at = lower.find("model:");
    std::string_view name = std::string_view(lower).substr(at + 6);
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
    if (name == "vn6") return kVantor6;
    if (name == "vn4") return kVantor4;
    if (name == "vn2") return kVantor2;
    const int code = ModelCode(name);
    return code <= kUnknownType ? code : kUnknownType;
}

bool ValidChannel(int chan) {
    return chan >= 0 && chan < kCalChannelSlots;
}

// "' G2:10.02:3:0:0": gain setting 2 with its gain and its dark, nominal and fluorescence
// offsets. Fields that are missing leave their values as they are.
void ParseGainLine(std::string_view line, size_t at, int chan, CalibrationDataClass& cal) {
    const double g = ReadDecimal(line.substr(at + 3));
    if (g < 1 || g > 5 || g != static_cast<int>(g)) return;
    const int setting = static_cast<int>(g);
    std::vector<std::string_view> fields;
    size_t start = line.find(':');
    while (start != std::string_view::npos) {
        const size_t next = line.find(':', start + 1);
        fields.push_back(line.substr(
            start + 1, next == std::string_view::npos ? std::string_view::npos : next - start - 1));
        start = next;
    }
    if (fields.size() > 0) cal.SetGain(chan, setting, ReadDecimal(fields[0]));
    if (fields.size() > 1) cal.SetDarkOffset(chan, setting, RoundToInt16(ReadDecimal(fields[1])));
    if (fields.size() > 2) cal.SetNomOffset(chan, setting, RoundToInt16(ReadDecimal(fields[2])));
    if (fields.size() > 3) cal.SetFlOffset(chan, setting, RoundToInt16(ReadDecimal(fields[3])));
}

// Whether a prompt comes after the first line for which `starts` holds.
template <typename Starts>
bool PromptAfter(const std::vector<std::string>& lines, Starts starts) {
    bool started = false;
    for (const std::string& line : lines) {
        if (started && IsPromptLine(line)) return true;
        if (!started && starts(line)) started = true;
    }
    return false;
}

}  // namespace

bool CompleteMultiCal(const std::vector<std::string>& lines, CalibrationDataClass& cal) {
    bool complete = false;
    for (size_t i = 0; i < lines.size() && !complete; ++i) {
        if (Contains(lines[i], "[End]") && lines.size() >= kMultiCalMinLines) complete = true;
        if (Contains(lines[i], "[Channel8]") && lines.size() >= i + kLinesAfterChannel8)
            complete = true;
    }
    if (complete) ParseAll(lines, cal);
    return complete;
}

bool CompleteCalText(const std::vector<std::string>& lines, CalibrationDataClass& cal) {
    for (const std::string& line : lines) {
        if (Contains(line, "[End]")) {
            ParseAll(lines, cal);
            return true;
        }
    }
    return false;
}

bool IsPromptLine(std::string_view line) {
    while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    return !line.empty() && line.front() == '>';
}

GlobalField GlobalDumpField(std::string_view line) {
    const std::string l = LowerCase(line);
    static const struct {
        const char* label;
        GlobalField field;
    } kLabels[] = {
        {"maximum depth:", GlobalField::kMaxDepth},
        {"s/n: ", GlobalField::kSerial},
        {"config:", GlobalField::kConfig},
        {"cal time:", GlobalField::kCalTime},
        {"firmware", GlobalField::kFirmware},
        {"cal temp", GlobalField::kCalTemp},
        {"model:", GlobalField::kModel},
        {"depth offset:", GlobalField::kDepthOffset},
        {"depth coefficient", GlobalField::kDepthCoefficient},
        {"id:", GlobalField::kLabel},
    };
    for (const auto& label : kLabels)
        if (Contains(l, label.label)) return label.field;
    return GlobalField::kNone;
}

void ParseGlobalDump(const std::vector<std::string>& lines, CalibrationDataClass& cal,
                     std::string& firmware) {
    for (const std::string& line : lines) {
        const double number = LeadingNumber(line);
        switch (GlobalDumpField(line)) {
            case GlobalField::kNone:
                break;
            case GlobalField::kMaxDepth: {
                const size_t at = LowerCase(line).find("maximum depth:");
                cal.MaxDepth = static_cast<float>(LeadingNumber(line.substr(at + 14)));
                break;
            }
            case GlobalField::kSerial:
                cal.Serial = AfterColon(line);
                break;
            case GlobalField::kConfig:
                cal.Config = AfterColon(line);
                break;
            case GlobalField::kCalTime: {
                const size_t colon = line.find(':');
                cal.CalTime =
                    ParseCalTime(std::string_view(line).substr(colon + 1), cal.DeviceType);
                break;
            }
            case GlobalField::kFirmware:
                firmware = PlainDouble(number);
                break;
            case GlobalField::kCalTemp:
                cal.CalTemp = static_cast<float>(number);
                break;
            case GlobalField::kModel:
                cal.DeviceType = ModelOnLine(line);
                break;
            case GlobalField::kDepthOffset:
                cal.DepthOff = static_cast<float>(number);
                break;
            case GlobalField::kDepthCoefficient:
                cal.DepthCal = static_cast<float>(number);
                break;
            case GlobalField::kLabel:
                cal.Label = AfterColon(line);
                break;
        }
    }
}

bool GlobalDumpComplete(const std::vector<std::string>& lines) {
    return PromptAfter(
        lines, [](const std::string& l) { return GlobalDumpField(l) != GlobalField::kNone; });
}

void ParseChannelDump(const std::vector<std::string>& lines, CalibrationDataClass& cal,
                      int channel) {
    for (const std::string& line : lines) {
        if (Contains(line, "Channel")) {
            const size_t blank = line.find(' ');
            const double n =
                blank == std::string::npos ? 0 : ReadDecimal(std::string_view(line).substr(blank));
            channel = n >= 1 && n <= kCalChannelSlots ? static_cast<int>(RoundHalfEven(n)) - 1 : -1;
            const size_t open = line.find('(');
            const size_t close = line.rfind(')');
            if (ValidChannel(channel) && open != std::string::npos && close != std::string::npos &&
                close > open) {
                cal.SetName(channel, line.substr(open + 1, close - open - 1));
            }
            continue;
        }
        if (!ValidChannel(channel)) continue;
        if (Contains(line, "deltaLambda")) {
            cal.SetBDeltaLambda(channel, RoundToInt16(LeadingNumber(line)));
        } else if (Contains(line, "ChEx")) {
            cal.SetChEx(channel, RoundToInt16(LeadingNumber(line)));
        } else if (Contains(line, "ChRep")) {
            cal.SetChRep(channel, RoundToInt16(LeadingNumber(line)));
        } else {
            ParseChannelValueLine(line, channel, cal);
        }
    }
}

void ParseChannelValueLine(std::string_view line, int chan, CalibrationDataClass& cal) {
    if (!ValidChannel(chan)) return;
    const size_t gain = line.find("' G");
    if (gain != std::string_view::npos) {
        ParseGainLine(line, gain, chan, cal);
        return;
    }
    const double v = ValueAfterColon(line);
    SilentPrompter quiet;  // the sigma indexes below are always in range
    if (Contains(line, "muRho")) {
        cal.SetMuRho(chan, v);
    } else if (Contains(line, "mu")) {
        cal.SetMu(chan, 0, v);
    } else if (Contains(line, "Rnom")) {
        cal.SetRNominal(chan, v);
    } else if (Contains(line, "Roo")) {
        cal.SetROutOff(chan, v);
    } else if (Contains(line, "kbb")) {
        cal.SetBeta2bb(chan, v);
    } else if (Contains(line, "kc")) {
        cal.SetBb2c(chan, v);
    } else if (Contains(line, "kSigmaExp")) {
        cal.SetSigmaExp(chan, v);
    } else if (Contains(line, "kSigma0")) {
        cal.SetSigma(chan, 0, v, quiet);
    } else if (Contains(line, "kSigma1")) {
        cal.SetSigma(chan, 1, v, quiet);
    } else if (Contains(line, "kSigma2")) {
        cal.SetSigma(chan, 2, v, quiet);
    } else if (Contains(line, "Kt")) {
        cal.SetBTempCoeff(chan, v);
    }
}

bool ChannelDumpComplete(const std::vector<std::string>& lines) {
    return PromptAfter(lines, [](const std::string& l) { return Contains(l, "Channel"); });
}

std::string BinaryCalibrationOpenError(const std::string& path, int errorNumber) {
    return "Error opening calibration file '" + path + "': " + std::to_string(errorNumber) + " (" +
           std::strerror(errorNumber) + ").  Calibration data not valid.";
}

bool LoadBinaryCalibration(const std::string& path, CalibrationDataClass& cal, Prompter& prompter) {
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    errno = 0;
    std::unique_ptr<std::FILE, Closer> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        prompter.ShowMessage(BinaryCalibrationOpenError(path, errno ? errno : ENOENT));
        return false;
    }
    std::string image(kBinaryImageBytes, '\0');
    // a short file reads as zero bytes from where it ends
    const size_t got = std::fread(image.data(), 1, image.size(), file.get());
    if (got < image.size() && std::ferror(file.get())) {
        prompter.ShowMessage(BinaryCalibrationOpenError(path, errno ? errno : EIO));
        return false;
    }
    LoadBinaryImage(image, cal);
    return true;
}

}  // namespace tidewell
