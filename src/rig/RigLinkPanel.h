#pragma once
// The part of the rig setup window that says how the rig is reached: the device of each
// serial port 1..4 (picked from the ports the system lists, with their descriptions, or
// typed), the link ("Serial port (command strings)" or "Hamlib rigctld (network)") with
// rigctld's host and port, and whether automatic logging reads the rig's S-meter.
//
// Controls (member name = objectName): cboPortDevice_1..4, optLinkSerial,
// optLinkRigctld, txtRigctldHost, txtRigctldPort, chkSMeter.

#include <QWidget>
#include <array>

#include "rig/RigLinkSettings.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace harkola {

// One serial port the system offers: its device path and what it is.
struct SerialPortChoice {
  QString device;       // "/dev/ttyUSB0"
  QString description;  // "FT232R USB UART"; may be empty
};

// The serial ports of the system (QSerialPortInfo::availablePorts()).
std::vector<SerialPortChoice> systemSerialPorts();

class RigLinkPanel : public QWidget {
  Q_OBJECT

 public:
  explicit RigLinkPanel(const std::vector<SerialPortChoice>& ports, QWidget* parent = nullptr);

  void showSettings(const RigLinkSettings& s);
  // What the controls say. A typed device without a leading '/' is taken as a name in
  // /dev ("ttyUSB1" -> "/dev/ttyUSB1"); an unusable host falls back to "localhost".
  RigLinkSettings settings() const;

  std::array<QComboBox*, 5> cboPortDevice{};  // [1..4]
  static constexpr std::size_t kSerial = 0, kRigctld = 1;
  std::array<QRadioButton*, 2> optLink{};  // [kSerial] optLinkSerial, [kRigctld] optLinkRigctld
  QLineEdit* txtRigctldHost = nullptr;
  QSpinBox* txtRigctldPort = nullptr;
  QCheckBox* chkSMeter = nullptr;

 private:
  QWidget* m_rigctldOnly = nullptr;  // host, port and S-meter: enabled with the rigctld link
  RigLinkSettings shown_;            // keeps what the controls cannot show
};

}  // namespace harkola
