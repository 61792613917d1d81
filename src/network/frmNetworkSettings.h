#pragma once
// The "Network" window: whether the station shares its slot results and whether it
// shows other stations', the broker and login, the station's callsign and locator (4
// characters, or 6 when chosen; the home coordinates are never sent), and a collector's
// store for the last day. Save checks the settings, writes Network.dat and hands them
// to `apply` (the main window restarts its network link). Below, live: the link's
// state, what waits in the spool, what came in and what was refused.

#include <QWidget>
#include <filesystem>
#include <functional>

#include "network/NetworkSettings.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace harkola {

class NetworkStation;

class frmNetworkSettings : public QWidget {
  Q_OBJECT
 public:
  // Returns false with a message when the settings were saved but could not be used.
  using Apply = std::function<bool(const NetworkSettings&, std::string& error)>;
  // `station` is read for the live part (borrowed). `suggestedLocator` fills an empty
  // locator field (the home's).
  frmNetworkSettings(const NetworkStation& station, std::filesystem::path dataFolder, std::string suggestedLocator,
                     Apply apply, QWidget* parent = nullptr);

  void show(const NetworkSettings& s);
  using QWidget::show;
  NetworkSettings settings() const;
  void cmdSave_Click();
  void refresh();

  QCheckBox* chkPublish;
  QCheckBox* chkShowNetwork;
  QLineEdit *txtBroker, *txtUser, *txtPassword, *txtStation, *txtLocator, *txtHistory;
  QCheckBox* chkFullLocator;
  QPushButton* cmdSave;
  QLabel* lblProblem;
  QLabel* lblLink;

 private:
  const NetworkStation& m_station;
  std::filesystem::path m_dataFolder;
  std::string m_suggestedLocator;
  Apply m_apply;
  QTimer* m_timer;
};

}  // namespace harkola
