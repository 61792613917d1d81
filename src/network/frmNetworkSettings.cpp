#include "network/frmNetworkSettings.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "network/NetworkStation.h"

namespace harkola {

namespace {
QString qs(const std::string& s) { return QString::fromStdString(s); }
std::string ss(const QLineEdit* e) { return e->text().trimmed().toStdString(); }

QLineEdit* field(const char* name, const QString& hint, QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setPlaceholderText(hint);
  e->setMinimumWidth(320);
  return e;
}
}  // namespace

frmNetworkSettings::frmNetworkSettings(const NetworkStation& station, std::filesystem::path dataFolder,
                                       std::string suggestedLocator, Apply apply, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_station(station),
      m_dataFolder(std::move(dataFolder)),
      m_suggestedLocator(std::move(suggestedLocator)),
      m_apply(std::move(apply)) {
  setObjectName("frmNetworkSettings");
  setWindowTitle("Harkola 5 - Network");
  chkPublish = new QCheckBox("Share my slot results with the network (every slot, heard or not)", this);
  chkPublish->setObjectName("chkPublish");
  chkShowNetwork = new QCheckBox("Show other stations' results in the propagation window", this);
  chkShowNetwork->setObjectName("chkShowNetwork");
  txtBroker = field("txtBroker", "mqtt://broker.example.org or mqtts://broker.example.org:8883", this);
  txtUser = field("txtUser", "empty when the broker takes anyone", this);
  txtPassword = field("txtPassword", "", this);
  txtPassword->setEchoMode(QLineEdit::Password);
  txtStation = field("txtStation", "your callsign, such as OH2XYZ", this);
  txtLocator = field("txtLocator", "such as KP20 or KP20lb", this);
  chkFullLocator = new QCheckBox("Send all 6 characters of the locator (otherwise 4: about 100 x 200 km)", this);
  chkFullLocator->setObjectName("chkFullLocator");
  txtHistory = field("txtHistory", "optional: a collector's store, FILE.sqlite or postgresql://...", this);
  lblProblem = new QLabel(this);
  lblProblem->setObjectName("lblProblem");
  lblProblem->setStyleSheet("color: rgb(200,0,0);");
  lblProblem->setWordWrap(true);
  lblLink = new QLabel(this);
  lblLink->setObjectName("lblLink");
  lblLink->setWordWrap(true);
  lblLink->setTextInteractionFlags(Qt::TextSelectableByMouse);
  cmdSave = new QPushButton("&Save and connect", this);
  cmdSave->setObjectName("cmdSave");
  auto* cmdClose = new QPushButton("&Close", this);

  auto* form = new QFormLayout;
  form->addRow("Broker:", txtBroker);
  form->addRow("User:", txtUser);
  form->addRow("Password:", txtPassword);
  form->addRow("Station callsign:", txtStation);
  form->addRow("Locator:", txtLocator);
  form->addRow("", chkFullLocator);
  form->addRow("History:", txtHistory);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cmdSave);
  buttons->addWidget(cmdClose);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(chkPublish);
  layout->addWidget(chkShowNetwork);
  layout->addLayout(form);
  layout->addWidget(lblProblem);
  layout->addWidget(lblLink);
  layout->addLayout(buttons);

  connect(cmdSave, &QPushButton::clicked, this, &frmNetworkSettings::cmdSave_Click);
  connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
  m_timer = new QTimer(this);
  m_timer->setInterval(500);
  connect(m_timer, &QTimer::timeout, this, &frmNetworkSettings::refresh);
  m_timer->start();
  show(kNetworkSettingsFile.load(m_dataFolder));
}

void frmNetworkSettings::show(const NetworkSettings& s) {
  chkPublish->setChecked(s.publish);
  chkShowNetwork->setChecked(s.showNetwork);
  txtBroker->setText(qs(s.broker));
  txtUser->setText(qs(s.user));
  txtPassword->setText(qs(s.password));
  txtStation->setText(qs(s.station));
  txtLocator->setText(qs(s.locator.empty() ? m_suggestedLocator : s.locator));
  chkFullLocator->setChecked(s.fullLocator);
  txtHistory->setText(qs(s.history));
  lblProblem->clear();
  refresh();
}

NetworkSettings frmNetworkSettings::settings() const {
  NetworkSettings s;
  s.publish = chkPublish->isChecked();
  s.showNetwork = chkShowNetwork->isChecked();
  s.broker = ss(txtBroker);
  s.user = ss(txtUser);
  s.password = txtPassword->text().toStdString();  // blanks may belong to it
  s.station = ss(txtStation);
  s.locator = ss(txtLocator);
  s.fullLocator = chkFullLocator->isChecked();
  s.history = ss(txtHistory);
  return s;
}

void frmNetworkSettings::cmdSave_Click() {
  const NetworkSettings s = settings();
  if (const std::string problem = networkSettingsProblem(s); !problem.empty()) {
    lblProblem->setText(qs(problem));
    return;
  }
  if (!kNetworkSettingsFile.save(m_dataFolder, s)) {
    lblProblem->setText(qs("The settings could not be written to " + kNetworkSettingsFile.path(m_dataFolder).string() + "."));
    return;
  }
  std::string error;
  lblProblem->setText(m_apply && !m_apply(s, error) ? qs(error) : QString());
  refresh();
}

void frmNetworkSettings::refresh() {
  QString text = qs(m_station.statusLine());
  if (m_station.running()) {
    text += QString("\nReports received: %1, from %2 stations held for the last 24 hours")
                .arg(m_station.received())
                .arg(m_station.picture().stationCount());
    if (const auto n = m_station.refusedTotal()) {
      text += QString("\nRefused: %1 (").arg(n);
      QStringList kinds;
      for (int k = 1; k < kRefusalKinds; ++k)
        if (const auto c = m_station.refused()[static_cast<std::size_t>(k)])
          kinds << QString("%1 %2").arg(refusalText(static_cast<Refusal>(k))).arg(c);
      text += kinds.join(", ") + ")";
    }
    if (!m_station.historyText().empty()) text += "\n" + qs(m_station.historyText());
  }
  lblLink->setText(text);
}

}  // namespace harkola
