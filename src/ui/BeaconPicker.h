#pragma once
// The 18 beacons laid out for choosing: a check box (choose any) or an option button
// (choose one) per beacon with its callsign in bold and its country, beacons 1..9 in the
// left half and 10..18 in the right. The owner names the buttons, has the texts shown
// and connects the buttons; index = beacon number - 1.

#include <QLabel>
#include <QWidget>
#include <array>

#include "common/PublicDecs.h"

class QAbstractButton;

namespace harkola {

class BeaconPicker : public QWidget {
  Q_OBJECT

 public:
  enum class Choice { Many, One };  // QCheckBox / QRadioButton

  // Buttons are named `buttonName` + "_<index>", the labels "lblVBeID_<index>" and
  // "Label2_<index>"; every button carries `toolTip`.
  BeaconPicker(Choice choice, const QString& buttonName, const QString& toolTip, QWidget* parent);

  // The callsigns and countries of the 18 beacons (`beacons` answers callsign(n) and
  // country(n) for beacon numbers n = 1..18).
  template <class BeaconData>
  void showBeacons(const BeaconData& beacons) {
    for (int n = 1; n <= kBeaconCount; ++n) {
      callsigns[static_cast<std::size_t>(n - 1)]->setText(QString::fromStdString(beacons.callsign(n)));
      countries[static_cast<std::size_t>(n - 1)]->setText(QString::fromStdString(beacons.country(n)));
    }
  }

  std::array<QAbstractButton*, kBeaconCount> buttons{};
  std::array<QLabel*, kBeaconCount> callsigns{};
  std::array<QLabel*, kBeaconCount> countries{};
};

}  // namespace harkola
