#include "instrument/QtSerialPortIo.h"

#include <QString>

namespace tidewell {

QtSerialPortIo::QtSerialPortIo() : port_(std::make_unique<QSerialPort>()) {
    // reported at once from inside the read or write that met the failure
    QObject::connect(port_.get(), &QSerialPort::errorOccurred,
                     [this](QSerialPort::SerialPortError error) {
                         NoteLinkError(error);
                         if (onInput_ && !linkError_.empty()) onInput_();
                     });
    QObject::connect(port_.get(), &QSerialPort::readyRead, [this] {
        if (onInput_) onInput_();
    });
}

void QtSerialPortIo::SetInputHandler(std::function<void()> onInput) {
    onInput_ = std::move(onInput);
}

QtSerialPortIo::~QtSerialPortIo() {
    Close();
}

void QtSerialPortIo::NoteError() {
    errorText_ = port_->errorString().toStdString();
}

void QtSerialPortIo::NoteLinkError(QSerialPort::SerialPortError error) {
    if (!port_->isOpen() || !linkError_.empty()) return;
    switch (error) {
        case QSerialPort::ReadError:
            // a read that ends the input: the other side hung up (the text of the system's
            // error number is stale then)
            linkError_ = "the device hung up";
            break;
        case QSerialPort::ResourceError:
        case QSerialPort::WriteError:
        case QSerialPort::DeviceNotFoundError:
            linkError_ = port_->errorString().toStdString();
            if (linkError_.empty()) linkError_ = "the port failed";
            break;
        default:
            break;
    }
}

bool QtSerialPortIo::Apply(const PortSettings& s) {
    QSerialPort::Parity parity = QSerialPort::NoParity;
    switch (s.parity) {
        case 'E':
            parity = QSerialPort::EvenParity;
            break;
        case 'O':
            parity = QSerialPort::OddParity;
            break;
        case 'M':
            parity = QSerialPort::MarkParity;
            break;
        case 'S':
            parity = QSerialPort::SpaceParity;
            break;
        default:
            break;
    }
    const bool ok =
        port_->setBaudRate(s.baud) &&
        port_->setDataBits(static_cast<QSerialPort::DataBits>(s.dataBits)) &&
        port_->setParity(parity) &&
        port_->setStopBits(s.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) &&
        port_->setFlowControl(QSerialPort::NoFlowControl);
    if (!ok) NoteError();
    return ok;
}

bool QtSerialPortIo::Open(const std::string& device, const std::string& settings) {
    Close();
    device_ = device;
    settings_ = settings;
    errorText_.clear();
    linkError_.clear();
    alreadyOpen_ = false;
    const std::optional<PortSettings> s = ParsePortSettings(settings);
    if (!s) {
        errorText_ = "Invalid port settings " + settings;
        return false;
    }
    // a path is used as it stands; a bare name is looked up among the system's ports
    port_->setPortName(QString::fromStdString(device));
    if (!port_->open(QIODevice::ReadWrite)) {
        alreadyOpen_ = port_->error() == QSerialPort::PermissionError;
        NoteError();
        return false;
    }
    if (!Apply(*s)) {
        port_->close();
        return false;
    }
    return true;
}

void QtSerialPortIo::Close() {
    if (port_->isOpen()) {
        port_->setBreakEnabled(false);
        port_->close();
    }
}

bool QtSerialPortIo::IsOpen() const {
    return port_->isOpen();
}

bool QtSerialPortIo::SetSettings(const std::string& settings) {
    const std::optional<PortSettings> s = ParsePortSettings(settings);
    if (!s) return false;
    settings_ = settings;
    return !port_->isOpen() || Apply(*s);
}

std::string QtSerialPortIo::ReadAll() {
    if (!port_->isOpen()) return std::string();
    // take what the system holds now, without waiting and without an event loop
    port_->waitForReadyRead(0);
    const QByteArray bytes = port_->readAll();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

void QtSerialPortIo::Write(std::string_view text) {
    if (!port_->isOpen() || text.empty()) return;
    port_->write(text.data(), static_cast<qint64>(text.size()));
    port_->flush();
}

int64_t QtSerialPortIo::BytesToWrite() const {
    return port_->isOpen() ? port_->bytesToWrite() : 0;
}

void QtSerialPortIo::ClearReceiveBuffer() {
    if (!port_->isOpen()) return;
    port_->waitForReadyRead(0);
    port_->clear(QSerialPort::Input);
    port_->readAll();
}

void QtSerialPortIo::SetBreak(bool on) {
    if (port_->isOpen()) port_->setBreakEnabled(on);
}

}  // namespace tidewell
