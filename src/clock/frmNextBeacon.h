#pragma once
// The next-beacon window: country, callsign and status of the beacon that comes next
// on the selected band, refreshed by every clock tick.

#include <QWidget>
#include <functional>
#include <string>

#include "common/PublicDecs.h"

class QLabel;

namespace harkola {

class frmNextBeacon : public QWidget {
  Q_OBJECT
 public:
  // `titleText` is the program's title text (PublicDecs::TitleText); the caption is built
  // from it.
  explicit frmNextBeacon(QWidget* parent = nullptr, const std::string& titleText = PublicDecs{}.TitleText);
  void setNext(const QString& country, const QString& callsign, const QString& status);

  std::function<void()> onClosed;  // the main window unchecks its menu item

  QLabel* lblNextCountry = nullptr;
  QLabel* lblNextCallsign = nullptr;
  QLabel* lblNextStatus = nullptr;


 protected:
  void closeEvent(QCloseEvent* e) override;
};

}  // namespace harkola
