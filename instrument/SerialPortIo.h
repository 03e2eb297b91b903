#pragma once
// The serial port of one connection, as the program uses it: read by the tick, which takes all
// the text that has arrived (the port only says when there is some); writes go out in the
// order given. The desktop
// program uses QtSerialPortIo; tests use a fake that records what was written and hands out
// scripted input.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tidewell {

// "9600,N,8,1": rate, parity (N, E, O, M or S), data bits, stop bits. No handshaking.
struct PortSettings {
    int32_t baud = 9600;
    char parity = 'N';
    int dataBits = 8;
    int stopBits = 1;
    bool operator==(const PortSettings&) const = default;
};

// Reads a settings text; nothing when it is not of that form (blanks around fields are allowed,
// the parity letter in either case).
std::optional<PortSettings> ParsePortSettings(std::string_view text);
// The settings text of a rate: the rate without blanks followed by ",N,8,1".
std::string PortSettingsText(int32_t baud);

class SerialPortIo {
  public:
    virtual ~SerialPortIo() = default;

    // Opens the device (a system name such as "/dev/ttyUSB0" or "COM3", or any device path)
    // with a settings text. On failure ErrorText tells why and AlreadyOpen whether the device
    // is held by someone else.
    virtual bool Open(const std::string& device, const std::string& settings) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // New settings for the open port (a rate change); false when they cannot be applied.
    virtual bool SetSettings(const std::string& settings) = 0;

    // Everything that arrived since the last read; "" when nothing did. Bytes as received.
    virtual std::string ReadAll() = 0;
    virtual void Write(std::string_view text) = 0;
    // Characters written but not yet sent on the line.
    virtual int64_t BytesToWrite() const = 0;
    // Throws away whatever has arrived and not been read.
    virtual void ClearReceiveBuffer() = 0;
    // Raises or clears the break condition on the line.
    virtual void SetBreak(bool on) = 0;

    // The device and settings text of the last Open (or SetSettings).
    virtual std::string DeviceName() const = 0;
    virtual std::string Settings() const = 0;
    // The system's description of the last failure.
    virtual std::string ErrorText() const = 0;
    // The last Open failed because the device is in use.
    virtual bool AlreadyOpen() const = 0;
    // Why the open link broke (the device vanished, the line hung up, a read or write failed);
    // "" while it holds. Open starts afresh. A broken port stays open until it is closed.
    virtual std::string LinkError() const = 0;
    // Called from the event loop when input has arrived or the link failed, so that a program
    // that sleeps while the line is quiet knows when to read. Ports without an event loop
    // never call it.
    virtual void SetInputHandler(std::function<void()> /*onInput*/) {}
};

}  // namespace tidewell
