#include "calibration/BinaryImage.h"

#include <cmath>

#include "calibration/CalFile.h"
#include "stream/DateValue.h"
#include "stream/Models.h"
#include "stream/NumberText.h"
#include "stream/TextHelpers.h"

namespace tidewell {

namespace {

constexpr size_t kLabelBytes = 16;

// Writes into the image at 1-based positions; each writer notes a value that did not fit.
class ImageWriter {
  public:
    explicit ImageWriter(std::string& image) : image_(image) {}
    bool ok = true;

    void Byte(size_t position, int64_t v) {
        image_[position - 1] = static_cast<char>(static_cast<uint8_t>(v & 0xFF));
    }
    // A whole number that must lie in [lo, hi]; stored clamped.
    int64_t Fit(double v, int64_t lo, int64_t hi) {
        if (!std::isfinite(v)) {
            ok = false;
            return 0;
        }
        const int64_t r = RoundToInt64(v);
        if (r < lo || r > hi) {
            ok = false;
            return r < lo ? lo : hi;
        }
        return r;
    }
    void Int16(size_t position, double v) {
        const int64_t r = Fit(v, -32768, 32767);
        Byte(position, r);
        Byte(position + 1, r >> 8);
    }
    void UInt16(size_t position, double v) {
        const int64_t r = Fit(v, 0, 65535);
        Byte(position, r);
        Byte(position + 1, r >> 8);
    }
    void Int24(size_t position, double v) {
        const int64_t r = Fit(v, -(1 << 23), (1 << 23) - 1);
        for (int i = 0; i < 3; ++i) Byte(position + i, r >> (8 * i));
    }
    void Decimal(size_t position, double v) {
        uint16_t d = 0;
        if (!EncodeDecimalFloat(v, d)) ok = false;
        UInt16(position, d);
    }
    // Wavelength in the low ten bits, bandwidth in the high six.
    void Band(size_t position, int lambda, int delta) {
        const int64_t l = Fit(lambda, 0, 1023);
        const int64_t d = Fit(delta, 0, 63);
        UInt16(position, static_cast<double>((d << 10) | l));
    }

  private:
    std::string& image_;
};

class ImageReader {
  public:
    explicit ImageReader(std::string_view image) : image_(image) {}
    unsigned Byte(size_t position) const {
        return position <= image_.size() ? static_cast<uint8_t>(image_[position - 1]) : 0u;
    }
    unsigned UInt16(size_t position) const { return Byte(position) | (Byte(position + 1) << 8); }
    int Int16(size_t position) const { return static_cast<int16_t>(UInt16(position)); }
    int32_t Int24(size_t position) const {
        int32_t v = static_cast<int32_t>(Byte(position) | (Byte(position + 1) << 8) |
                                         (Byte(position + 2) << 16));
        return v >= (1 << 23) ? v - (1 << 24) : v;
    }
    double Decimal(size_t position) const {
        return DecodeDecimalFloat(static_cast<uint16_t>(UInt16(position)));
    }

  private:
    std::string_view image_;
};

// The serial number and the date code of a serial written as "B", four hexadecimal digits and
// the year and month ("B012F0001"); other serials give their trailing digits and no date.
void SerialParts(const std::string& serial, unsigned& number, unsigned& months) {
    number = 0;
    months = 1;
    if (serial.size() == 9 && serial[0] == 'B') {
        bool hex = true;
        for (size_t i = 1; i < 5; ++i) hex = hex && HexDigitValue(serial[i]) >= 0;
        if (hex) {
            number = static_cast<unsigned>(HexField(serial, 2, 4)) & 0xFFF;
            const int yy = static_cast<int>(ReadDecimal(serial.substr(5, 2)));
            const int mm = static_cast<int>(ReadDecimal(serial.substr(7, 2)));
            // year part Int((v + 11) / 12) + 98, month (v + 11) mod 12 + 1, years from 1999
            const int v = ((yy + 100 - 99) % 100) * 12 + mm;
            if (mm >= 1 && mm <= 12 && v >= 1 && v <= 255) months = static_cast<unsigned>(v);
            return;
        }
    }
    size_t end = serial.size();
    while (end > 0 && IsDigitChar(serial[end - 1])) --end;
    for (size_t i = end; i < serial.size(); ++i)
        number = (number * 10 + static_cast<unsigned>(serial[i] - '0')) % 4096;
}

}  // namespace

double DecodeDecimalFloat(uint16_t v) {
    const int e = v >> 12;
    const int m = v & 0x0FFF;
    return m * std::pow(10.0, 3 - e);
}

bool EncodeDecimalFloat(double value, uint16_t& out) {
    out = 0;
    if (!std::isfinite(value) || value < 0) return false;
    if (value > 4095000.0) {
        out = 0x0FFF;
        return false;
    }
    // the largest exponent whose mantissa still fits keeps the most digits
    for (int e = 15; e >= 0; --e) {
        const double m = RoundHalfEven(value * std::pow(10.0, e - 3));
        if (m <= 4095) {
            out = static_cast<uint16_t>((e << 12) | static_cast<int>(m));
            return true;
        }
    }
    return false;
}

bool BuildBinaryImage(const CalibrationDataClass& cal, std::string& image) {
    image.assign(kBinaryImageBytes, '\0');
    ImageWriter w(image);
    const int typeNibble = cal.DeviceType == kALumo ? 0xA : cal.DeviceType == kCLumo ? 0xC : 0;
    unsigned number = 0, months = 1;
    SerialParts(cal.Serial, number, months);
    w.Byte(1, (typeNibble << 4) | (number >> 8));
    w.Byte(2, number & 0xFF);
    w.Byte(3, w.Fit(cal.MaxDepth / 20.0, 0, 255));
    w.Byte(4, months);
    for (size_t i = 0; i < kLabelBytes; ++i)
        w.Byte(5 + i, i < cal.Label.size() ? cal.Label[i] : ' ');
    const double seconds = cal.CalTime > 0 ? (cal.CalTime - kEpoch1980) * 86400.0 : 0;
    const int64_t s = w.Fit(seconds, 0, 0xFFFFFFFFLL);
    for (int i = 0; i < 4; ++i) w.Byte(21 + i, s >> (8 * i));
    const int64_t t = w.Fit(cal.CalTemp * 100.0, -32768, 32767);
    w.Byte(25, t >> 8);
    w.Byte(26, t);
    w.Decimal(27, cal.DepthCal);
    w.Int16(29, cal.DepthOff * 100.0);
    w.Int16(31, cal.KDepthCoeff(0, 0) * 20000.0);
    w.UInt16(33, cal.KDepthThresh(0, 0));
    w.Int16(35, cal.KDepthCoeff(0, 1) * 20000.0);
    w.Band(39, cal.lambda(0), cal.bDeltaLambda(0));
    for (int g = 1; g <= 5; ++g) w.Decimal(41 + 2 * (g - 1), cal.gain(0, g));
    w.Byte(51, w.Fit(cal.DarkOffset(0, 1), -128, 127));
    w.Byte(52, w.Fit(cal.DarkOffset(0, 2), -128, 127));
    for (int g = 3; g <= 5; ++g) w.Int16(53 + 2 * (g - 3), cal.DarkOffset(0, g));
    w.Decimal(59, cal.Mu(0));
    for (int i = 0; i <= 2; ++i) w.Decimal(61 + 2 * i, cal.Sigma(0, i));
    w.Decimal(67, cal.beta2bb(0));
    w.Int16(69, cal.bTempCoeff(0) * 1e6);
    w.Decimal(71, cal.SigmaExp(0));
    w.Band(73, cal.KLambda(0), cal.KDeltaLambda(0));
    w.Int24(75, cal.TrNought(0));
    w.Int24(78, cal.TrPure(0));
    return w.ok;
}

void LoadBinaryImage(std::string_view image, CalibrationDataClass& cal) {
    const ImageReader r(image);
    const int type = BinaryImageType(image);
    if (type != kUnknownType) cal.DeviceType = type;
    cal.Serial = BinaryImageSerial(image);
    cal.MaxDepth = static_cast<float>(r.Byte(3) * 20);
    std::string label;
    for (size_t i = 0; i < kLabelBytes; ++i) label += static_cast<char>(r.Byte(5 + i));
    while (!label.empty() && (label.back() == ' ' || label.back() == '\0')) label.pop_back();
    cal.Label = label;
    const uint32_t seconds = r.Byte(21) | (r.Byte(22) << 8) | (r.Byte(23) << 16) |
                             (static_cast<uint32_t>(r.Byte(24)) << 24);
    cal.CalTime = seconds == 0 ? 0 : kEpoch1980 + seconds / 86400.0;
    cal.CalTemp = static_cast<float>(static_cast<int16_t>((r.Byte(25) << 8) | r.Byte(26)) / 100.0);
    cal.DepthCal = static_cast<float>(r.Decimal(27));
    cal.DepthOff = static_cast<float>(r.Int16(29) / 100.0);
    cal.SetKDepthCoeff(0, 0, static_cast<float>(r.Int16(31) / 20000.0));
    cal.SetKDepthThresh(0, 0, static_cast<int32_t>(r.UInt16(33)));
    cal.SetKDepthCoeff(0, 1, static_cast<float>(r.Int16(35) / 20000.0));
    const unsigned band = r.UInt16(39);
    cal.SetLambda(0, static_cast<int16_t>(band & 0x3FF));
    cal.SetBDeltaLambda(0, static_cast<int16_t>(band >> 10));
    for (int g = 1; g <= 5; ++g) cal.SetGain(0, g, r.Decimal(41 + 2 * (g - 1)));
    cal.SetDarkOffset(0, 1, static_cast<int8_t>(r.Byte(51)));
    cal.SetDarkOffset(0, 2, static_cast<int8_t>(r.Byte(52)));
    for (int g = 3; g <= 5; ++g)
        cal.SetDarkOffset(0, g, static_cast<int16_t>(r.Int16(53 + 2 * (g - 3))));
    cal.SetMu(0, 0, r.Decimal(59));
    SilentPrompter quiet;
    for (int i = 0; i <= 2; ++i) cal.SetSigma(0, i, r.Decimal(61 + 2 * i), quiet);
    cal.SetBeta2bb(0, r.Decimal(67));
    cal.SetBTempCoeff(0, r.Int16(69) / 1e6);
    cal.SetSigmaExp(0, r.Decimal(71));
    const unsigned kband = r.UInt16(73);
    cal.SetKLambda(0, static_cast<int16_t>(kband & 0x3FF));
    cal.SetKDeltaLambda(0, static_cast<int16_t>(kband >> 10));
    cal.SetTrNought(0, r.Int24(75));
    cal.SetTrPure(0, r.Int24(78));
    // the names a file load gives the single-channel records
    const std::string k = std::to_string(cal.KLambda(0));
    cal.SetName(0, "bb(" + std::to_string(cal.lambda(0)) + ")");
    cal.SetName(1, (cal.DeviceType == kCLumo ? "c(" : "a(") + k + ")");
    cal.SetName(2, "k(" + k + ")");
}

}  // namespace tidewell
