#pragma once
// A serial port for tests: keeps everything written, hands out text fed to it, and can answer
// writes like an instrument would.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "instrument/SerialPortIo.h"

namespace tidewell::test {

class FakeSerialPort : public SerialPortIo {
  public:
    std::string incoming;  // what the next ReadAll returns
    std::string written;   // everything written while open, in order
    std::vector<std::string> settingsHistory;
    int receiveClears = 0;
    bool breakOn = false;
    bool failOpen = false;
    int64_t pendingBytes = 0;  // what BytesToWrite reports
    std::string linkError;     // what LinkError reports: the link broke
    // Called with each write: an instrument's answer is fed from here.
    std::function<void(std::string_view)> onWrite;
    // Called before each read: an instrument that answers in time puts its bytes here.
    std::function<void()> beforeRead;

    void Feed(std::string_view text) { incoming.append(text); }

    bool Open(const std::string& device, const std::string& settings) override {
        device_ = device;
        settings_ = settings;
        if (failOpen) return false;
        open_ = true;
        settingsHistory.push_back(settings);
        return true;
    }
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    bool SetSettings(const std::string& settings) override {
        settings_ = settings;
        settingsHistory.push_back(settings);
        return true;
    }
    std::string ReadAll() override {
        if (!open_) return std::string();
        if (beforeRead) beforeRead();
        std::string out;
        out.swap(incoming);
        return out;
    }
    void Write(std::string_view text) override {
        if (!open_) return;
        written.append(text);
        if (onWrite) onWrite(text);
    }
    int64_t BytesToWrite() const override { return pendingBytes; }
    void ClearReceiveBuffer() override {
        incoming.clear();
        ++receiveClears;
    }
    void SetBreak(bool on) override { breakOn = on; }
    std::string DeviceName() const override { return device_; }
    std::string Settings() const override { return settings_; }
    std::string ErrorText() const override { return failOpen ? "No such device" : ""; }
    bool AlreadyOpen() const override { return false; }
    std::string LinkError() const override { return linkError; }

  private:
    bool open_ = false;
    std::string device_;
    std::string settings_;
};

}  // namespace tidewell::test
