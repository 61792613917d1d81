#include "rig/RigLinkPanel.h"
#include "ui/Named.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QGridLayout>
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
  optLink[kSerial] = named(new QRadioButton("Serial port (command strings)", link), "optLinkSerial");
  optLink[kRigctld] = named(new QRadioButton("Hamlib rigctld (network)", link), "optLinkRigctld");
  optLink[kRigctld]->setToolTip("Reach the rig through a running rigctld, shared with other station programs");
  // What only the rigctld link uses, enabled with it.
  m_rigctldOnly = new QWidget(link);
  txtRigctldHost = named(new QLineEdit(m_rigctldOnly), "txtRigctldHost");
  txtRigctldPort = named(new QSpinBox(m_rigctldOnly), "txtRigctldPort");
  txtRigctldPort->setRange(1, 65535);
  chkSMeter = named(new QCheckBox("S level from the rig's S-meter", m_rigctldOnly), "chkSMeter");
  chkSMeter->setToolTip("Automatic logging reads the rig's S-meter during the beacon's 100 W dash");
  auto* rigctld = new QGridLayout(m_rigctldOnly);
  rigctld->setContentsMargins(20, 0, 0, 0);
  rigctld->addWidget(new QLabel("Host", m_rigctldOnly), 0, 0);
  rigctld->addWidget(txtRigctldHost, 0, 1);
  rigctld->addWidget(new QLabel("Port", m_rigctldOnly), 0, 2);
  rigctld->addWidget(txtRigctldPort, 0, 3);
  rigctld->addWidget(chkSMeter, 1, 0, 1, 4);
  rigctld->setColumnStretch(1, 1);
  auto* box = new QVBoxLayout(link);
  box->addWidget(optLink[kSerial]);
  box->addWidget(optLink[kRigctld]);
  box->addWidget(m_rigctldOnly);
  connect(optLink[kRigctld], &QRadioButton::toggled, m_rigctldOnly, &QWidget::setEnabled);

  auto* top = new QVBoxLayout(this);
  top->setContentsMargins(0, 0, 0, 0);
  top->addWidget(link);
  top->addWidget(devices);
  showSettings(RigLinkSettings{});
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
  optLink[s.kind == RigLinkKind::Rigctld ? kRigctld : kSerial]->setChecked(true);
  txtRigctldHost->setText(QString::fromStdString(s.host));
  txtRigctldPort->setValue(s.port);
  chkSMeter->setChecked(s.sLevelFromMeter);
  m_rigctldOnly->setEnabled(s.kind == RigLinkKind::Rigctld);
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
  s.kind = optLink[kRigctld]->isChecked() ? RigLinkKind::Rigctld : RigLinkKind::Serial;
  const std::string host = txtRigctldHost->text().trimmed().toStdString();
  s.host = validRigctldHost(host) ? host : "localhost";
  s.port = txtRigctldPort->value();
  s.sLevelFromMeter = chkSMeter->isChecked();
  return s;
}

}  // namespace harkola
