#pragma once
// The serial port on QSerialPort. Reads and writes are done on demand, so the port works the
// same whether or not an event loop runs between calls: a read first takes whatever the system
// holds, a write is pushed to the system at once.

#include <QSerialPort>
#include <memory>

#include "instrument/SerialPortIo.h"

namespace tidewell {

class QtSerialPortIo : public SerialPortIo {
  public:
    QtSerialPortIo();
    ~QtSerialPortIo() override;

    bool Open(const std::string& device, const std::string& settings) override;
    void Close() override;
    bool IsOpen() const override;
    bool SetSettings(const std::string& settings) override;
    std::string ReadAll() override;
    void Write(std::string_view text) override;
    int64_t BytesToWrite() const override;
    void ClearReceiveBuffer() override;
    void SetBreak(bool on) override;
    std::string DeviceName() const override { return device_; }
    std::string Settings() const override { return settings_; }
    std::string ErrorText() const override { return errorText_; }
    bool AlreadyOpen() const override { return alreadyOpen_; }
    std::string LinkError() const override { return linkError_; }
    void SetInputHandler(std::function<void()> onInput) override;

  private:
    bool Apply(const PortSettings& s);
    void NoteError();
    void NoteLinkError(QSerialPort::SerialPortError error);

    std::unique_ptr<QSerialPort> port_;
    std::string device_;
    std::string settings_;
    std::string errorText_;
    bool alreadyOpen_ = false;
    std::string linkError_;
    std::function<void()> onInput_;
};

}  // namespace tidewell
