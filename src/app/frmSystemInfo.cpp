#include "app/frmSystemInfo.h"

#include <QAudioDevice>
#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMediaDevices>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QSysInfo>
#include <QVBoxLayout>

#include "clock/ClockSync.h"
#include "common/PublicDecs.h"
#include "rig/SerialDevices.h"
#include "ui/UserDialogs.h"
#include "ui/Named.h"

namespace harkola {

namespace {

std::vector<std::string> audioDevices(const QList<QAudioDevice>& devices, const QAudioDevice& preferred) {
  std::vector<std::string> out;
  for (const auto& dev : devices)
    out.push_back(dev.description().toStdString() + (dev == preferred ? "  (default)" : ""));
  return out;
}

}  // namespace

SystemReport gatherSystemReport(const std::string& dataFolder, const std::string& logFolder) {
  SystemReport r;
  r.programVersion = HARKOLA_VERSION;
  r.qtVersion = qVersion();
  r.operatingSystem = QSysInfo::prettyProductName().toStdString();
  r.kernel = (QSysInfo::kernelType() + " " + QSysInfo::kernelVersion()).toStdString();
  r.architecture = QSysInfo::currentCpuArchitecture().toStdString();
  r.soundInputs = audioDevices(QMediaDevices::audioInputs(), QMediaDevices::defaultAudioInput());
  r.soundOutputs = audioDevices(QMediaDevices::audioOutputs(), QMediaDevices::defaultAudioOutput());
  for (const auto& port : QSerialPortInfo::availablePorts()) {
    std::string line = port.systemLocation().toStdString();
    if (!port.description().isEmpty()) line += "  " + port.description().toStdString();
    if (!port.manufacturer().isEmpty()) line += " (" + port.manufacturer().toStdString() + ")";
    r.serialPorts.push_back(line);
  }
  for (const char* n : {"1", "2", "3", "4"}) r.rigPorts.push_back(std::string(n) + " = " + serialDevicePath(n));
  r.clockSync = clockSyncText(readClockSync());
  r.dataFolder = dataFolder;
  r.logFolder = logFolder;
  return r;
}

frmSystemInfo::frmSystemInfo(const SystemReport& report, QWidget* parent) : QDialog(parent) {
  setObjectName("frmSystemInfo");
  setWindowTitle(QString::fromLatin1(kAppTitle) + " System Information");
  txtReport = named(new QPlainTextEdit(qs(systemReportText(report)), this), "txtReport");
  txtReport->setReadOnly(true);
  txtReport->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  txtReport->setLineWrapMode(QPlainTextEdit::NoWrap);
  cmdCopy = named(new QPushButton("&Copy", this), "cmdCopy");
  cmdCopy->setToolTip("Copy the report to the clipboard, to paste into a bug report");
  cmdClose = named(new QPushButton("Close", this), "cmdClose");
  cmdClose->setDefault(true);
  connect(cmdCopy, &QPushButton::clicked, this,
          [this] { QGuiApplication::clipboard()->setText(txtReport->toPlainText()); });
  connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdCopy);
  buttons->addWidget(cmdClose);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(txtReport);
  layout->addLayout(buttons);
  const QFontMetrics fm(txtReport->font());
  resize(fm.horizontalAdvance(QString(72, 'M')) / 1.2, fm.lineSpacing() * 24);
}

}  // namespace harkola
