#include "calibration/CalFile.h"

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>

#include "calibration/CalibrationData.h"
#include "stream/DateValue.h"
#include "stream/Models.h"
#include "stream/NumberText.h"
#include "stream/TextHelpers.h"

namespace tidewell {

// Reads text line by line from `read` (which fills a buffer and says how many bytes it gave, 0
// at the end). CR LF, LF and a lone CR each end a line. A line longer than kMaxLine keeps its
// first kMaxLine bytes: no calibration line comes near that, and a file that is not text must
// not take all memory.
class CalLineReader {
  public:
    static constexpr size_t kMaxLine = 1 << 20;
    using Read = std::function<size_t(char* to, size_t most)>;

    explicit CalLineReader(Read read) : read_(std::move(read)) {}
    explicit CalLineReader(std::FILE* file)
        : CalLineReader([file](char* to, size_t most) { return std::fread(to, 1, most, file); }) {}
    bool Next(std::string& line) {
        line.clear();
        bool any = false;
        for (;;) {
            if (pos_ == size_) {
                size_ = read_(buffer_, sizeof buffer_);
                pos_ = 0;
                if (size_ == 0) return any;
            }
            const char c = buffer_[pos_++];
            if (afterCR_) {
                afterCR_ = false;
                if (c == '\n') continue;
            }
            if (c == '\r' || c == '\n') {
                afterCR_ = c == '\r';
                return true;
            }
            any = true;
            if (line.size() < kMaxLine) line += c;
        }
    }

  private:
    Read read_;
    char buffer_[65536];
    size_t pos_ = 0;
    size_t size_ = 0;
    bool afterCR_ = false;
};

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens a file for reading; on failure `error` holds the system's description.
FilePtr OpenForReading(const std::string& path, std::string& error) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        error = std::strerror(EISDIR);
        return nullptr;
    }
    FilePtr f(std::fopen(path.c_str(), "rb"));
    if (!f) error = std::strerror(errno);
    return f;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The digit of a key made of `prefix` and one digit from `first` to `last`; -1 otherwise.
int KeyIndex(std::string_view key, std::string_view prefix, int first, int last) {
    if (key.size() != prefix.size() + 1 || !StartsWith(key, prefix)) return -1;
    const int d = key.back() - '0';
    return d >= first && d <= last ? d : -1;
}

// A number read into a single-precision field: beyond its range it becomes an infinity.
float Single(double v) {
    if (std::isnan(v)) return static_cast<float>(v);
    if (v > FLT_MAX) return INFINITY;
    if (v < -FLT_MAX) return -INFINITY;
    return static_cast<float>(v);
}

// Date values the program can show: the years 100 to 9999.
bool InDateRange(double v) {
    return v >= -657434.0 && v < 2958466.0;
}

int ClampedInt(double v) {
    if (std::isnan(v)) return 0;
    return static_cast<int>(std::fmax(-1e6, std::fmin(1e6, RoundHalfEven(v))));
}

std::string TwoDigits(int v) {
    v = ((v % 100) + 100) % 100;
    return {static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)};
}

// "MM/D/YY hh:mm:ss", or with `twoDigitDay` "MM/DD/YY hh:mm:ss".
std::string DateText(double dateValue, bool twoDigitDay) {
    if (!InDateRange(dateValue)) dateValue = 0;
    const CalendarTime t = ToCalendar(dateValue);
    std::string s = TwoDigits(t.month) + "/";
    s += twoDigitDay ? TwoDigits(t.day) : std::to_string(t.day);
    s += "/" + TwoDigits(t.year) + " " + TwoDigits(t.hour) + ":" + TwoDigits(t.minute) + ":" +
         TwoDigits(t.second);
    return s;
}

// The CalTime value: whole seconds since the layout's epoch, then the date in parentheses.
std::string CalTimeText(double calTime, double epoch, bool twoDigitDay) {
    if (!InDateRange(calTime)) calTime = 0;
    return PlainInt(RoundToInt64((calTime - epoch) * 86400.0)) + " (" +
           DateText(calTime, twoDigitDay) + ")";
}

double ClockEpoch(int deviceType) {
    return IsVantorFamily(deviceType) ? kEpoch1970 : kEpoch1980;
}

// The channel a section names: [Channel n] by its last character, [Attenuation n] by its last
// two; 0 for any other section and for a number below 1. -1 for a channel beyond the records.
int SectionChannel(std::string_view section) {
    double n = 0;
    if (StartsWith(section, "Channel") && !section.empty())
        n = ReadDecimal(section.substr(section.size() - 1));
    else if (StartsWith(section, "Attenuation") && section.size() >= 2)
        n = ReadDecimal(section.substr(section.size() - 2));
    const int chan = ClampedInt(n) - 1;
    if (chan < 0) return 0;
    return chan < kCalChannelSlots ? chan : -1;
}

// The type code of a model name; a name of no model is the unknown type, like "unknown" itself.
int KnownModelCode(std::string_view name) {
    const int code = ModelCode(name);
    return code <= kUnknownType ? code : kUnknownType;
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

}  // namespace

CalLineKind SplitCalLine(std::string_view line, std::string& section, std::string& key,
                         std::string& value) {
    const size_t open = line.find('[');
    if (open != std::string_view::npos) {
        const size_t close = line.find(']', open + 1);
        if (close != std::string_view::npos) {
            section.assign(line.substr(open + 1, close - open - 1));
            return CalLineKind::Section;
        }
    }
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return CalLineKind::Other;
    key.assign(line.substr(0, eq));
    std::string_view rest = line.substr(eq + 1);
    size_t end = 0;
    while (end < rest.size()) {
        const auto c = static_cast<unsigned char>(rest[end]);
        if (c < ' ' || c == ',' || (c == '/' && end + 1 < rest.size() && rest[end + 1] == '/'))
            break;
        ++end;
    }
    value.assign(TrimBlanks(rest.substr(0, end)));
    return CalLineKind::Key;
}

double ParseCalTime(std::string_view text, int deviceType) {
    const size_t npos = std::string_view::npos;
    const size_t p1 = text.find('/');
    const size_t p2 = p1 == npos ? npos : text.find('/', p1 + 1);
    double result = 0;
    if (p2 != npos && p2 > p1 + 1 && p1 >= 1) {
        const int month = ClampedInt(ReadDecimal(text.substr(p1 < 2 ? p1 - 1 : p1 - 2)));
        const int day = ClampedInt(ReadDecimal(text.substr(p1 + 1)));
        int year = ClampedInt(ReadDecimal(text.substr(p2 + 1)));
        if (year < 70)
            year += 2000;
        else if (year < 199)
            year += 1900;
        int hour = 0, minute = 0, second = 0;
        const size_t c1 = text.find(':');
        if (c1 != npos) {
            const size_t c2 = text.find(':', c1 + 1);
            hour = ClampedInt(ReadDecimal(text.substr(c1 >= 2 ? c1 - 2 : 0)));
            minute = ClampedInt(ReadDecimal(text.substr(c1 + 1)));
            if (c2 != npos) second = ClampedInt(ReadDecimal(text.substr(c2 + 1)));
        }
        result = DateValue(year, month, day) + (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
    } else {
        result = LeadingNumber(text) / 86400.0 + ClockEpoch(deviceType);
    }
    return InDateRange(result) ? result : 0;
}

int BinaryImageType(std::string_view image) {
    if (image.empty()) return kUnknownType;
    switch (static_cast<unsigned char>(image[0]) >> 4) {
        case 0xA:
            return kALumo;
        case 0xC:
            return kCLumo;
        default:
            return kUnknownType;
    }
}

std::string BinaryImageSerial(std::string_view image) {
    auto byte = [&](size_t position) {
        return position <= image.size() ? static_cast<unsigned char>(image[position - 1]) : 0u;
    };
    const unsigned number = ((byte(1) & 0x0Fu) << 8) | byte(2);
    static const char* hex = "0123456789ABCDEF";
    std::string serial = "B";
    for (int shift = 12; shift >= 0; shift -= 4) serial += hex[(number >> shift) & 0xF];
    const unsigned months = byte(4);
    serial += TwoDigits(static_cast<int>((months + 11) / 12 + 98));
    serial += TwoDigits(static_cast<int>((months + 11) % 12 + 1));
    return serial;
}

int PeekCalFile(const std::string& path, std::string& serial, Prompter& prompter) {
    serial.clear();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return kUnknownType;
    std::string error;
    FilePtr file = OpenForReading(path, error);
    if (!file) {
        prompter.ShowMessage("Error opening cal file: " + error + ".");
        return kUnknownType;
    }
    if (std::filesystem::is_regular_file(path, ec) && std::filesystem::file_size(path, ec) == 128) {
        char image[128];
        const size_t got = std::fread(image, 1, sizeof image, file.get());
        const std::string_view bytes(image, got);
        serial = BinaryImageSerial(bytes);
        return BinaryImageType(bytes);
    }
    int type = kVantor6;
    CalLineReader lines(file.get());
    std::string line, section, key, value;
    while (lines.Next(line)) {
        if (SplitCalLine(line, section, key, value) != CalLineKind::Key) continue;
        if (key == "DeviceType") {
            type = KnownModelCode(value);
        } else if (key == "Serial") {
            serial = value;
            static const struct {
                const char* prefix;
                int type;
            } kPrefixes[] = {{"C2", kTrevan2}, {"VN", kVantor6}, {"V2", kVantor2},
                             {"V4", kVantor4}, {"AL", kALumo},   {"CL", kCLumo}};
            for (const auto& p : kPrefixes)
                if (StartsWith(value, p.prefix)) type = p.type;
            break;
        }
    }
    return type;
}

// --- Reading into the calibration object.

bool CalibrationDataClass::ParseLineIntoCalClass(std::string_view line, std::string& section) {
    if (section == "Comment" && (line.empty() || line.front() != '[')) {
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
        Comment.append(line);
        return false;
    }
    std::string key, value;
    if (SplitCalLine(line, section, key, value) != CalLineKind::Key) return false;
    const int chan = SectionChannel(section);
    if (chan < 0) return false;  // a section naming a channel beyond the records
    const bool attenuation = StartsWith(section, "Attenuation");
    const double v = ReadDecimal(value);
    const int16_t v16 = RoundToInt16(v);
    const int32_t v32 = RoundToInt32(v);
    int i = -1;

    // The identification: any data file's header names these too, so they alone make no
    // calibration.
    if (key == "Label") {
        Label = value;
        return false;
    } else if (key == "DeviceType") {
        DeviceType = KnownModelCode(value);
        return false;
    } else if (key == "Serial") {
        Serial = value;
        // the serial tells the model; the last match wins
        static const struct {
            const char* code;
            int type;
        } kCodes[] = {{"VN", kVantor6}, {"V4", kVantor4}, {"V2", kVantor2},
                      {"AL", kALumo},   {"CL", kCLumo},   {"C2", kTrevan2}};
        for (const auto& c : kCodes)
            if (value.find(c.code) != std::string::npos) DeviceType = c.type;
        return false;
    } else if (key == "Config") {
        Config = value;
        return false;
    } else if (key == "CalTime") {
        CalTime = ParseCalTime(value, DeviceType);
        return false;
    } else if (key == "ModificationTime") {
        // the time of this reading decides, not the file's
        return false;
    }
    // Instrument-wide values.
    else if (key == "MaxDepth") {
        MaxDepth = Single(v);
    } else if (key == "DepthCal") {
        DepthCal = Single(v);
    } else if (key == "DepthOff") {
        DepthOff = Single(v);
    } else if (key == "CalTemp") {
        if (section == "Attenuation")
            SetKCalTemp(0, Single(v));
        else if (section == "Scattering" || section == "General")
            CalTemp = Single(v);
    } else if (key == "kp1") {
        kp1 = Single(v);
    } else if (key == "kp2") {
        kp2 = Single(v);
    } else if (key == "P0") {
        P0 = Single(v);
    } else if (key == "TP0") {
        TP0 = v32;
    } else if (key == "kD1") {
        kD1 = Single(v);
    } else if (key == "kD2") {
        kD2 = Single(v);
    }
    // Scattering and fluorescence channels.
    else if (key == "Name") {
        SetName(chan, value);
    } else if (key == "Lambda") {
        if (attenuation) {
            SetKLambda(chan, v16);
            SetLambda(1, v16);
            SetLambda(2, v16);
        } else {
            SetLambda(chan, v16);
        }
    } else if (key == "DeltaLambda") {
        if (attenuation)
            SetKDeltaLambda(chan, v16);
        else
            SetBDeltaLambda(chan, v16);
    } else if ((i = KeyIndex(key, "Gain", 1, 5)) >= 0) {
        SetGain(chan, i, v);
    } else if (key == "Mu") {
        SetMu(chan, 0, v);
    } else if (key == "MuRho") {
        SetMuRho(chan, v);
    } else if ((i = KeyIndex(key, "Sigma", 1, 3)) >= 0) {
        channels_[chan].Sigma[i - 1] = v;
    } else if (key == "SigmaExp") {
        SetSigmaExp(chan, v);
    } else if (key == "ROutOff") {
        SetROutOff(chan, v);
    } else if (key == "RNominal") {
        SetRNominal(chan, v);
    } else if (key == "ChiBb" || key == "Beta2Bb") {
        SetBeta2bb(chan, v);
    } else if (key == "Bb2c") {
        SetBb2c(chan, v);
    } else if (key == "TempCoeff") {
        SetBTempCoeff(chan, v);
    } else if ((i = KeyIndex(key, "Offset", 1, 5)) >= 0) {
        SetDarkOffset(chan, i, v16);
    } else if ((i = KeyIndex(key, "NomOffset", 1, 5)) >= 0) {
        SetNomOffset(chan, i, v16);
    } else if ((i = KeyIndex(key, "FlOffset", 1, 5)) >= 0) {
        SetFlOffset(chan, i, v16);
    }
    // Attenuation channels.
    else if ((i = KeyIndex(key, "TempCoeff", 0, 5)) >= 0) {
        SetKTempCoeff(chan, i, Single(v));
    } else if (key == "TrNought") {
        SetTrNought(chan, v32);
    } else if (key == "TrPure") {
        SetTrPure(chan, v32);
    } else if (key == "TrAir") {
        SetTrAir(chan, v32);
    } else if (key == "Path") {
        SetKPath(chan, Single(v));
    } else if (key == "aPure") {
        SetAPure(chan, Single(v));
    } else if (key == "BetaPure") {
        SetBetaPure(chan, Single(v));
    } else if ((i = KeyIndex(key, "Chi", 0, 3)) >= 0) {
        SetKChi(chan, i, Single(v));
    } else if ((i = KeyIndex(key, "KDepthCoeff", 0, 1)) >= 0) {
        SetKDepthCoeff(chan, i, Single(v));
    } else if (key == "KDepthThreshold") {
        SetKDepthThresh(chan, 0, v32);
    } else if (key == "L") {
        SetKL(chan, Single(v));
    } else if (key == "S0") {
        SetKS0(chan, v32);
    } else if (key == "R0") {
        SetKR0(chan, v32);
    } else if ((i = KeyIndex(key, "kT", 0, 5)) >= 0) {
        SetKkT(chan, i, v);
    } else if ((i = KeyIndex(key, "P", 1, 2)) >= 0) {
        SetKP(chan, i, v);
    } else if (key == "kTauPX") {
        SetKkTauPX(chan, Single(v));
    } else if ((i = KeyIndex(key, "kTauP", 0, 5)) >= 0) {
        SetKkTauP(chan, i, v);
    } else if (key == "Tau0") {
        SetKTau0(chan, v);
    } else if (key == "TPW") {
        SetKTPW(chan, Single(v));
    } else {
        return false;  // a key of no calibration
    }
    return true;
}

bool CalibrationDataClass::SetSourceFile(const std::string& path, const SigmaParams& params,
                                         const SigmaTables& tables, Prompter& prompter) {
    return ReadSourceFile(path, params, tables, prompter) != FileRead::kNotRead;
}

CalibrationDataClass::FileRead CalibrationDataClass::ReadSourceFile(const std::string& path,
                                                                    const SigmaParams& params,
                                                                    const SigmaTables& tables,
                                                                    Prompter& prompter) {
    const FileRead read = ReadCalFile(path, params, tables, prompter);
    if (read != FileRead::kNotRead) sourceFile_ = path;
    return read;
}

CalibrationDataClass::FileRead CalibrationDataClass::ReadCalFile(const std::string& path,
                                                                 const SigmaParams& params,
                                                                 const SigmaTables& tables,
                                                                 Prompter& prompter) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return FileRead::kNotRead;
    std::string error;
    FilePtr file = OpenForReading(path, error);
    if (!file) {
        // a file that cannot be opened leaves a cleared Vantor-6
        StartReading();
        prompter.ShowMessage("Error opening file: " + error + ".\r" + path);
        return FileRead::kNotRead;
    }
    return ReadCalLines(CalLineReader(file.get()), params, tables, prompter);
}

CalibrationDataClass::FileRead CalibrationDataClass::ReadCalText(std::string_view text,
                                                                 const SigmaParams& params,
                                                                 const SigmaTables& tables,
                                                                 Prompter& prompter) {
    return ReadCalLines(CalLineReader([text](char* to, size_t most) mutable {
                            const size_t n = text.copy(to, most);
                            text.remove_prefix(n);
                            return n;
                        }),
                        params, tables, prompter);
}

void CalibrationDataClass::StartReading() {
    Clear();
    Comment.clear();
    // a file that names no type is a Vantor-6
    DeviceType = kVantor6;
}

CalibrationDataClass::FileRead CalibrationDataClass::ReadCalLines(CalLineReader&& lines,
                                                                  const SigmaParams& params,
                                                                  const SigmaTables& tables,
                                                                  Prompter& prompter) {
    StartReading();
    std::string line, section;
    bool values = false;
    while (lines.Next(line)) values |= ParseLineIntoCalClass(line, section);
    Changed = 0;
    NameAttenuationChannels();
    if (DeviceType == kVantor6) ApplyDefaultChannelMap();
    CheckAndUpdateAll(params, tables, prompter);
    return values ? FileRead::kValues : FileRead::kNoValues;
}

void CalibrationDataClass::NameAttenuationChannels() {
    // The single-channel files carry no names; the wavelengths make them. The names leave the
    // wavelengths as they are.
    if (DeviceType != kALumo && DeviceType != kCLumo) return;
    const std::string k = std::to_string(attenuation_[0].KLambda);
    channels_[0].name = "bb(" + std::to_string(channels_[0].lambda) + ")";
    channels_[1].name = (DeviceType == kALumo ? "a(" : "c(") + k + ")";
    channels_[2].name = "k(" + k + ")";
}

// --- Writing.

std::string CalibrationDataClass::CalFileText() const {
    std::string out;
    auto line = [&](std::string_view text) {
        out += text;
        out += "\r\n";
    };
    auto put = [&](std::string_view key, std::string_view value) {
        out += key;
        out += '=';
        out += value;
        out += "\r\n";
    };
    auto six = [](double v) { return SixDigitText(v); };
    auto indexed = [](const char* key, int i) { return key + std::to_string(i); };
    auto comment = [&] {
        if (Comment.empty()) return;
        line("[Comment]");
        line(Comment);
    };
    auto identification = [&] {
        line(std::string("[General]          //Saved by Tidewell ") + kCalFileWriterVersion);
        put("DeviceType", ModelName(DeviceType));
        put("Serial", Serial);
        put("Label", Label);
        put("Config", Config);
    };
    auto sigma1 = [&](int c) {
        put("Sigma1", six(OldSigmaK1(c)) + "\t//not used by v2.7 and later");
    };

    if (IsVantorFamily(DeviceType)) {
        comment();
        identification();
        if (MaxDepth != 0) put("MaxDepth", PlainSingle(MaxDepth));
        put("CalTime", CalTimeText(CalTime, kEpoch1970, false));
        if (ModificationTime != 0) put("ModificationTime", DateText(ModificationTime, true));
        put("DepthCal", six(DepthCal));
        put("DepthOff", six(DepthOff));
        put("CalTemp", six(CalTemp));
        const bool offsets = HasOffsets();
        for (int n = 1; n <= ChannelCount(); ++n) {
            const ChannelCalibration& ch = channels_[n - 1];
            line("");
            line("[Channel " + std::to_string(n) + "]");
            put("Name", ch.name);
            for (int g = 1; g <= 5; ++g) put(indexed("Gain", g), six(ch.gain[g - 1]));
            put("Mu", six(ch.Mu));
            sigma1(n - 1);
            put("Sigma2", six(ch.Sigma[1]));
            put("Sigma3", six(ch.Sigma[2]));
            put("SigmaExp", six(ch.SigmaExp));
            put("RNominal", six(ch.RNominal));
            put("Beta2Bb", six(ch.beta2bb));
            put("MuRho", six(ch.MuRho));
            put("TempCoeff", six(ch.bTempCoeff));
            if (!offsets) continue;
            for (int g = 1; g <= 5; ++g) put(indexed("Offset", g), PlainInt(ch.DarkOffset[g]));
            for (int g = 1; g <= 5; ++g) put(indexed("NomOffset", g), PlainInt(ch.NomOffset[g]));
            if (DeviceType == kVantor6)
                for (int g = 1; g <= 5; ++g) put(indexed("FlOffset", g), PlainInt(ch.FlOffset[g]));
        }
    } else if (IsTrevan(DeviceType)) {
        identification();
        put("MaxDepth", PlainSingle(MaxDepth));
        put("CalTime", CalTimeText(CalTime, kEpoch1970, false));
        line("");
        line("[Depth]");
        put("kp1", PlainSingle(kp1));
        put("kp2", PlainSingle(kp2));
        put("P0", PlainSingle(P0));
        put("TP0", PlainInt(TP0));
        put("kD1", PlainSingle(kD1));
        put("kD2", PlainSingle(kD2));
        line("");
        for (int n = 1; n <= 2; ++n) {
            const int c = n - 1;
            const AttenuationCalibration& k = attenuation_[c];
            line("[Attenuation " + std::to_string(n) + "]");
            put("Name", channels_[c].name);
            put("Lambda", PlainInt(channels_[c].lambda));
            put("DeltaLambda", PlainInt(k.KDeltaLambda));
            put("L", PlainSingle(k.KL));
            put("S0", PlainInt(k.KS0));
            put("R0", PlainInt(k.KR0));
            for (int i = 0; i <= 5; ++i) put(indexed("kT", i), PlainDouble(KkT(c, i)));
            put("P1", PlainDouble(k.KP[0]));
            put("P2", PlainDouble(k.KP[1]));
            put("kTauPX", PlainSingle(k.KkTauPX));
            for (int i = 0; i <= 5; ++i) put(indexed("kTauP", i), PlainDouble(KkTauP(c, i)));
            put("Tau0", PlainDouble(k.KTau0));
            put("TPW", PlainSingle(k.KTPW));
            line("");
        }
    } else if (IsSingleChannel(DeviceType)) {
        const ChannelCalibration& ch = channels_[0];
        const AttenuationCalibration& k = attenuation_[0];
        comment();
        identification();
        if (MaxDepth != 0) put("MaxDepth", PlainSingle(MaxDepth));
        put("CalTime", CalTimeText(CalTime, kEpoch1980, true));
        if (ModificationTime != 0) put("ModificationTime", DateText(ModificationTime, true));
        put("DepthCal", six(DepthCal));
        put("DepthOff", six(DepthOff));
        line("");
        line("[Scattering]");
        put("Lambda", PlainInt(ch.lambda));
        put("DeltaLambda", PlainInt(ch.bDeltaLambda));
        for (int g = 1; g <= 5; ++g) put(indexed("Gain", g), six(ch.gain[g - 1]));
        for (int g = 1; g <= 5; ++g) put(indexed("Offset", g), PlainInt(ch.DarkOffset[g]));
        put("Mu", six(ch.Mu));
        sigma1(0);
        put("Sigma2", six(ch.Sigma[1]));
        put("Sigma3", six(ch.Sigma[2]));
        put("SigmaExp", six(ch.SigmaExp));
        put("ChiBb", six(ch.beta2bb));
        put("TempCoeff", six(ch.bTempCoeff));
        put("CalTemp", six(CalTemp));
        put("MuRho", six(ch.MuRho));
        line("");
        line("[Attenuation]");
        put("Lambda", PlainInt(k.KLambda));
        put("DeltaLambda", PlainInt(k.KDeltaLambda));
        put("TrNought", PlainInt(k.TrNought));
        put("TrPure", PlainInt(k.TrPure));
        put("TrAir", PlainInt(k.TrAir));
        put("CalTemp", PlainSingle(k.KCalTemp));
        put("Path", PlainSingle(k.KPath));
        for (int i = 0; i <= 3; ++i) put(indexed("Chi", i), PlainSingle(k.KChi[i]));
        put("BetaPure", PlainSingle(k.betaPure));
        for (int i = 0; i <= 5; ++i) put(indexed("TempCoeff", i), PlainSingle(k.KTempCoeff[i]));
        put("KDepthCoeff0", PlainSingle(k.KDepthCoeff[0]));
        put("KDepthThreshold", PlainInt(k.KDepthThresh[0]));
        put("KDepthCoeff1", PlainSingle(k.KDepthCoeff[1]));
    }
    line("[End]");
    return out;
}

bool CalibrationDataClass::SaveCopyToFile(const std::string& calFile) {
    const std::string text = CalFileText();
    // written beside the file and renamed onto it when complete, so that a failed write leaves
    // the file as it was
    const std::string partial = calFile + ".tmp";
    FilePtr file(std::fopen(partial.c_str(), "wb"));
    if (!file) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
    const int writeError = errno;
    const bool closed = std::fclose(file.release()) == 0;
    const int closeError = errno;
    std::error_code ec;
    if (written && closed) std::filesystem::rename(partial, calFile, ec);
    if (!written || !closed || ec) {
        const int error = !written ? writeError : !closed ? closeError : ec.value();
        std::filesystem::remove(partial, ec);
        errno = error;
        return false;
    }
    savedCopy_ = calFile;
    return true;
}

bool CalibrationDataClass::SaveAsFile(const std::string& calFile) {
    if (!SaveCopyToFile(calFile)) return false;
    sourceFile_ = calFile;
    return true;
}

std::string UnusableCalibrationText(const std::string& path, const std::string& why) {
    return "The calibration file " + path + " cannot be used: " + why + ".";
}

std::string LoadUsableCalibration(const std::string& path, const SigmaParams& params,
                                  const SigmaTables& tables, Prompter& prompter,
                                  CalibrationDataClass& calibration) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return "no such file";
    // A single-channel instrument's binary image would read as text with nothing in it.
    if (std::filesystem::is_regular_file(path, ec) && std::filesystem::file_size(path, ec) == 128) {
        std::string serial;
        const int type = PeekCalFile(path, serial, prompter);
        if (type != kUnknownType)
            return "a binary calibration image of an " + ModelName(type) + " (serial " + serial +
                   "), not a calibration text file";
    }
    const auto read = calibration.ReadSourceFile(path, params, tables, prompter);
    if (read == CalibrationDataClass::FileRead::kNotRead) return "the file could not be read";
    if (calibration.ChannelCount() < 0) return "unknown instrument type";
    // Any text file reads as an empty Vantor-6 calibration, and a data file's header names a
    // model and a serial too; converting with either would give rows of zeros.
    if (read == CalibrationDataClass::FileRead::kNoValues)
        return "not a calibration file (no calibration values in it)";
    return "";
}

}  // namespace tidewell
