#pragma once
// RigPort on a QSerialPort. The port number is turned into a device by
// serialDevicePath (docs/serial-ports.md); a test can name the device directly.
//
// QSerialPort does not close itself when the device vanishes and then reports errors
// in a tight loop; this adapter closes the port at the first resource, read or write
// error, and every write waits (bounded) until its bytes have left, so a sequence
// finishes in order and a closing port does not lose the last command.

#include <QObject>
#include <QSerialPort>
#include <functional>
#include <memory>

#include "ui/UserDialogs.h"
#include "rig/RigCtrl.h"
#include "rig/SerialCommandRig.h"
#include "rig/RigPort.h"

namespace harkola {

class SerialRigPort : public QObject, public RigPort {
  Q_OBJECT

 public:
  // Maps a port number "1".."4" to a device path.
  using DeviceResolver = std::function<std::string(const std::string& portNumber)>;

  explicit SerialRigPort(QObject* parent = nullptr);
  // Every port number opens `resolve(number)` instead of the usual rule.
  void setDeviceResolver(DeviceResolver resolve) { resolve_ = std::move(resolve); }
  // Upper bound for one write to leave the computer, in milliseconds.
  void setWriteTimeout(int ms) { writeTimeoutMs_ = ms; }

  bool open(const PortSettings& settings, PortError& error) override;
  bool write(std::string_view bytes, PortError& error) override;
  void close() override;
  bool isOpen() const override { return port_.isOpen(); }

  // The device the last open used.
  QString deviceName() const { return port_.portName(); }
  // The port itself, for watching its signals (modem lines, errors); not for driving it.
  const QSerialPort& device() const { return port_; }

 private:
  void onError(QSerialPort::SerialPortError e);
  PortError takeError(QSerialPort::SerialPortError fallback, const QString& fallbackText);

  QSerialPort port_;
  DeviceResolver resolve_;
  int writeTimeoutMs_ = 3000;
  QSerialPort::SerialPortError failure_ = QSerialPort::NoError;
  QString failureText_;
};

// The serial command-string rig of the running program: the port, the rig control over
// it reporting through harkola::dialogs(), and the Rig the main window drives. The setup
// window tests the codes through ctrl().
class SerialRig {
 public:
  SerialRig(PublicDecs& d, QWidget* dialogParent);
  RigCtrl& ctrl() { return ctrl_; }
  SerialRigPort& port() { return port_; }
  Rig& rig() { return rig_; }

 private:
  SerialRigPort port_;
  RigCtrl ctrl_;
  SerialCommandRig rig_;
};

}  // namespace harkola
