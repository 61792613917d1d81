#include "rig/SerialRigPort.h"

#include "rig/RigLinkSettings.h"
#include "rig/SerialDevices.h"

namespace harkola {

namespace {

QSerialPort::Parity parityOf(char p) {
  switch (p) {
    case 'O': return QSerialPort::OddParity;
    case 'E': return QSerialPort::EvenParity;
    case 'M': return QSerialPort::MarkParity;
    case 'S': return QSerialPort::SpaceParity;
    default: return QSerialPort::NoParity;
  }
}

// QSerialPort offers one flow control at a time. With RTS/CTS the driver raises RTS
// itself and Qt refuses a manual setRequestToSend, so "RTS" is hardware flow control;
// "RTS and XON/XOFF" is XON/XOFF with RTS raised by hand.
QSerialPort::FlowControl flowOf(FlowControl f) {
  switch (f) {
    case FlowControl::XonXoff:
    case FlowControl::RtsXonXoff: return QSerialPort::SoftwareControl;
    case FlowControl::Rts: return QSerialPort::HardwareControl;
    case FlowControl::None: break;
  }
  return QSerialPort::NoFlowControl;
}

bool isFatal(QSerialPort::SerialPortError e) {
  return e == QSerialPort::ResourceError || e == QSerialPort::WriteError ||
         e == QSerialPort::ReadError;
}

// Qt reports a missing device as DeviceNotFoundError, and a device that is locked or
// busy as well as one the user may not open as PermissionError; the text tells them
// apart ("Permission error while locking the device", "Device or resource busy").
PortFault faultOf(QSerialPort::SerialPortError e, const QString& text) {
  if (e == QSerialPort::DeviceNotFoundError) return PortFault::NoDevice;
  if (e == QSerialPort::PermissionError) {
    if (text.contains("lock", Qt::CaseInsensitive) || text.contains("busy", Qt::CaseInsensitive))
      return PortFault::Busy;
    return PortFault::NoPermission;
  }
  return PortFault::Other;
}

}  // namespace

SerialRigPort::SerialRigPort(QObject* parent) : QObject(parent) {
  connect(&port_, &QSerialPort::errorOccurred, this, &SerialRigPort::onError);
}

void SerialRigPort::onError(QSerialPort::SerialPortError e) {
  if (!isFatal(e)) return;
  if (failure_ == QSerialPort::NoError) {
    failure_ = e;
    failureText_ = port_.errorString();
  }
  // Closed at the first fatal error: otherwise the port keeps signalling it.
  if (port_.isOpen()) port_.close();
}

PortError SerialRigPort::takeError(QSerialPort::SerialPortError fallback, const QString& text) {
  PortError pe;
  if (failure_ != QSerialPort::NoError) {
    pe.number = static_cast<int>(failure_);
    pe.description = failureText_.toStdString();
  } else {
    pe.number = static_cast<int>(fallback);
    pe.description = text.toStdString();
  }
  failure_ = QSerialPort::NoError;
  failureText_.clear();
  return pe;
}

bool SerialRigPort::open(const PortSettings& s, PortError& error) {
  close();
  failure_ = QSerialPort::NoError;
  const std::string device = resolve_ ? resolve_(s.portNumber) : serialDevicePath(s.portNumber);
  if (device.empty()) {
    error = PortError{static_cast<int>(QSerialPort::DeviceNotFoundError),
                      "There is no serial port " + s.portNumber, PortFault::NoDevice};
    return false;
  }
  port_.setPortName(QString::fromStdString(device));
  port_.clearError();
  if (!port_.open(QIODevice::WriteOnly)) {
    const PortFault kind = faultOf(port_.error(), port_.errorString());
    error = takeError(port_.error(), port_.errorString());
    error.kind = kind;
    error.description = device + ": " + error.description;
    port_.clearError();
    return false;
  }
  const char* step = nullptr;
  if (!port_.setBaudRate(s.line.baud)) step = "speed";
  else if (!port_.setParity(parityOf(s.line.parity))) step = "parity";
  else if (!port_.setDataBits(static_cast<QSerialPort::DataBits>(s.line.dataBits))) step = "data bits";
  else if (!port_.setStopBits(s.line.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop)) step = "stop bits";
  else if (!port_.setFlowControl(flowOf(s.flow))) step = "flow control";
  else if (s.raiseRts && s.flow != FlowControl::Rts && !port_.setRequestToSend(true)) step = "RTS line";
  if (step) {
    error = takeError(port_.error(), port_.errorString());
    error.description = device + ": setting the " + step + ": " + error.description;
    port_.clearError();
    if (port_.isOpen()) port_.close();
    return false;
  }
  return true;
}

bool SerialRigPort::write(std::string_view bytes, PortError& error) {
  if (!port_.isOpen()) {
    error = takeError(QSerialPort::NotOpenError, QStringLiteral("The serial port is not open"));
    return false;
  }
  const qint64 n = port_.write(bytes.data(), static_cast<qint64>(bytes.size()));
  bool ok = n == static_cast<qint64>(bytes.size());
  // Wait until the bytes are with the driver, so that writes leave one by one, in order.
  while (ok && port_.isOpen() && port_.bytesToWrite() > 0) {
    if (!port_.waitForBytesWritten(writeTimeoutMs_)) ok = false;
  }
  if (ok && port_.isOpen() && failure_ == QSerialPort::NoError) return true;
  const bool timedOut = port_.isOpen() && failure_ == QSerialPort::NoError;
  error = takeError(timedOut ? QSerialPort::TimeoutError : QSerialPort::WriteError,
                    timedOut ? QStringLiteral("The rig did not take the data in time")
                             : port_.errorString());
  if (port_.isOpen()) {
    // What is stuck stays behind: a closing tty otherwise waits for it to drain.
    port_.clear(QSerialPort::Output);
    port_.close();
  }
  return false;
}

void SerialRigPort::close() {
  if (!port_.isOpen()) return;
  if (port_.bytesToWrite() > 0) port_.waitForBytesWritten(writeTimeoutMs_);
  port_.close();
}

SerialRig::SerialRig(PublicDecs& d, QWidget* dialogParent)
    : ctrl_(d, port_, dialogNotifierFor(dialogParent)), rig_(d, ctrl_) {
  // The device chosen in Rig setup (RigLink.dat, read at every opening so a change
  // there counts at once), else the usual rule.
  port_.setDeviceResolver([&d](const std::string& number) {
    const std::string chosen = kRigLinkFile.load(d.DataFolder).deviceFor(number);
    return chosen.empty() ? serialDevicePath(number) : chosen;
  });
}

}  // namespace harkola
