#include "app/frmAbout.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/frmSystemInfo.h"
#include "common/PublicDecs.h"
#include "ui/ShellResources.h"
#include "ui/UserDialogs.h"
#include "ui/Named.h"

namespace harkola {

const char* const kLegalNotice =
    "2001-2026 The Harkola authors. Free for amateur radio use; no warranty of any kind.";

frmAbout::frmAbout(const std::string& titleText, QWidget* parent) : QDialog(parent) {
  initShellResources();
  setObjectName("frmAbout");
  setWindowTitle(qs("About " + titleName(titleText)));
  setAttribute(Qt::WA_DeleteOnClose);

  auto* picIcon = named(new QLabel(this), "picIcon");
  picIcon->setPixmap(QPixmap(":/icons/harkola-48.png"));
  picIcon->setFixedSize(56, 56);
  picIcon->setAlignment(Qt::AlignCenter);

  lblTitle = named(new QLabel(qs(titleText), this), "lblTitle");
  QFont titleFont = lblTitle->font();
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.8);
  titleFont.setBold(true);
  lblTitle->setFont(titleFont);

  lblVersion = new QLabel(QStringLiteral("Version %1.%2.%3")
                              .arg(HARKOLA_VERSION_MAJOR)
                              .arg(HARKOLA_VERSION_MINOR)
                              .arg(HARKOLA_VERSION_PATCH),
                          this);
  lblVersion->setObjectName("lblVersion");

  lblDescription = new QLabel(
      "A program to track the timing of the NCDXF/IARU HF Beacon chain, with voice "
      "announcement of the currently transmitting beacon and automatic logging.",
      this);
  lblDescription->setObjectName("lblDescription");
  lblDescription->setWordWrap(true);

  auto* rule = new QFrame(this);
  rule->setFrameShape(QFrame::HLine);
  rule->setFrameShadow(QFrame::Sunken);

  lblCopyright = named(new QLabel(QString::fromUtf8("© ") + QString::fromUtf8(kLegalNotice), this), "lblCopyright");
  lblCopyright->setWordWrap(true);

  cmdOK = named(new QPushButton("OK", this), "cmdOK");
  cmdOK->setDefault(true);
  cmdSysInfo = named(new QPushButton("&System Info...", this), "cmdSysInfo");

  auto* heading = new QVBoxLayout;
  heading->addWidget(lblTitle);
  heading->addWidget(lblVersion);
  auto* top = new QHBoxLayout;
  top->addWidget(picIcon, 0, Qt::AlignTop);
  top->addSpacing(8);
  top->addLayout(heading, 1);

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(cmdOK);
  buttons->addWidget(cmdSysInfo);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(lblCopyright, 1);
  bottom->addSpacing(12);
  bottom->addLayout(buttons);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 16, 16, 16);
  layout->addLayout(top);
  layout->addSpacing(6);
  layout->addWidget(lblDescription);
  layout->addSpacing(6);
  layout->addWidget(rule);
  layout->addLayout(bottom);
  setMinimumWidth(460);

  setFolders({}, {});

  connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
  connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
}

void frmAbout::cmdOK_Click() { close(); }

void frmAbout::setFolders(std::string dataFolder, std::string logFolder) {
  m_report = [dataFolder = std::move(dataFolder), logFolder = std::move(logFolder)] {
    return gatherSystemReport(dataFolder, logFolder);
  };
}

void frmAbout::cmdSysInfo_Click() {
  auto* info = new frmSystemInfo(m_report(), this);
  info->setAttribute(Qt::WA_DeleteOnClose);
  info->open();
}

void showAboutBox(const std::string& titleText, const std::string& dataFolder, const std::string& logFolder,
                  QWidget* parent) {
  auto* about = new frmAbout(titleText, parent);
  about->setFolders(dataFolder, logFolder);
  about->exec();
}

}  // namespace harkola
