#include "rig/RigLinkPanel.h"
#include "ui/Named.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSerialPortInfo>
#include <QSpinBox>
#include <QVBoxLayout>

namespace harkola {

namespace {
const char* const kAutomatic = "Automatic";
}

std::vector<SerialPortChoice> systemSerialPorts() {
  std::vector<SerialPortChoice> out;
  for (const QSerialPortInfo& p : QSerialPortInfo::availablePorts())
    out.push_back({p.systemLocation(), p.description()});
  return out;
}

RigLinkPanel::RigLinkPanel(const std::vector<SerialPortChoice>& ports, QWidget* parent) : QWidget(parent) {
  auto* devices = new QGroupBox("Serial port devices", this);
  devices->setToolTip("The device each port number opens: pick one the system lists, or type its path");
  auto* form = new QFormLayout(devices);
  for (int n = 1; n <= 4; ++n) {
    auto* c = new QComboBox(devices);
    c->setObjectName(QString("cboPortDevice_%1").arg(n));
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->addItem(kAutomatic, QString());
    for (const SerialPortChoice& p : ports)
      c->addItem(p.description.isEmpty() ? p.device : p.device + "  (" + p.description + ")", p.device);
    c->setMinimumContentsLength(24);
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cboPortDevice[static_cast<std::size_t>(n)] = c;
    form->addRow(QString("Port %1").arg(n), c);
  }

  auto* link = new QGroupBox("Link to the rig", this);
  optLinkSerial = named(new QRadioButton("Serial port (command strings)", link), "optLinkSerial");
  optLinkRigctld = named(new QRadioButton("Hamlib rigctld (network)", link), "optLinkRigctld");
  optLinkRigctld->setToolTip("Reach the rig through a running rigctld, shared with other station programs");
  txtRigctldHost = named(new QLineEdit(link), "txtRigctldHost");
  txtRigctldPort = named(new QSpinBox(link), "txtRigctldPort");
  txtRigctldPort->setRange(1, 65535);
  chkSMeter = named(new QCheckBox("S level from the rig's S-meter", link), "chkSMeter");
  chkSMeter->setToolTip("Automatic logging reads the rig's S-meter during the beacon's 100 W dash");
  auto* address = new QHBoxLayout;
  address->addSpacing(20);
  address->addWidget(new QLabel("Host", link));
  address->addWidget(txtRigctldHost, 1);
  address->addWidget(new QLabel("Port", link));
  address->addWidget(txtRigctldPort);
  auto* meter = new QHBoxLayout;
  meter->addSpacing(20);
  meter->addWidget(chkSMeter);
  auto* box = new QVBoxLayout(link);
  box->addWidget(optLinkSerial);
  box->addWidget(optLinkRigctld);
  box->addLayout(address);
  box->addLayout(meter);
  connect(optLinkRigctld, &QRadioButton::toggled, this, &RigLinkPanel::linkChanged);

  auto* top = new QVBoxLayout(this);
  top->setContentsMargins(0, 0, 0, 0);
  top->addWidget(link);
  top->addWidget(devices);
  showSettings(RigLinkSettings{});
}

void RigLinkPanel::linkChanged() {
  const bool rigctld = optLinkRigctld->isChecked();
  txtRigctldHost->setEnabled(rigctld);
  txtRigctldPort->setEnabled(rigctld);
  chkSMeter->setEnabled(rigctld);
}

void RigLinkPanel::showSettings(const RigLinkSettings& s) {
  shown_ = s;
  for (int n = 1; n <= 4; ++n) {
    QComboBox* c = cboPortDevice[static_cast<std::size_t>(n)];
    const QString device = QString::fromStdString(s.devices[static_cast<std::size_t>(n - 1)]);
    const int i = c->findData(device);
    if (i >= 0) {
      c->setCurrentIndex(i);
    } else {
      c->setCurrentIndex(0);
      c->setEditText(device);
    }
  }
  (s.kind == RigLinkKind::Rigctld ? optLinkRigctld : optLinkSerial)->setChecked(true);
  txtRigctldHost->setText(QString::fromStdString(s.host));
  txtRigctldPort->setValue(s.port);
  chkSMeter->setChecked(s.sLevelFromMeter);
  linkChanged();
}

RigLinkSettings RigLinkPanel::settings() const {
  RigLinkSettings s = shown_;
  for (int n = 1; n <= 4; ++n) {
    const QComboBox* c = cboPortDevice[static_cast<std::size_t>(n)];
    const QString text = c->currentText().trimmed();
    QString device;
    if (c->currentIndex() >= 0 && text == c->itemText(c->currentIndex())) {
      device = c->currentData().toString();
    } else if (!text.isEmpty() && text != kAutomatic) {
      device = text.startsWith('/') ? text : "/dev/" + text;
    }
    s.devices[static_cast<std::size_t>(n - 1)] = device.toStdString();
  }
  s.kind = optLinkRigctld->isChecked() ? RigLinkKind::Rigctld : RigLinkKind::Serial;
  const std::string host = txtRigctldHost->text().trimmed().toStdString();
  s.host = validRigctldHost(host) ? host : "localhost";
  s.port = txtRigctldPort->value();
  s.sLevelFromMeter = chkSMeter->isChecked();
  return s;
}

}  // namespace harkola
