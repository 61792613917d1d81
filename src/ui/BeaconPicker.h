#pragma once
// The 18 beacons laid out for choosing: a check box (choose any) or an option button
// (choose one) per beacon with its callsign in bold and its country, beacons 1..9 in the
// left half and 10..18 in the right. The owner names the buttons, fills the texts and
// connects the buttons; index = beacon number - 1.

#include <QWidget>
#include <array>

#include "common/PublicDecs.h"

class QAbstractButton;
class QLabel;

namespace harkola {

class BeaconPicker : public QWidget {
  Q_OBJECT

 public:
  enum class Choice { Many, One };  // QCheckBox / QRadioButton

  // Buttons are named `buttonName` + "_<index>", the labels "lblVBeID_<index>" and
  // "Label2_<index>"; every button carries `toolTip`.
  BeaconPicker(Choice choice, const QString& buttonName, const QString& toolTip, QWidget* parent);

  void setBeacon(int index, const QString& callsign, const QString& country);

  std::array<QAbstractButton*, kBeaconCount> buttons{};
  std::array<QLabel*, kBeaconCount> callsigns{};
  std::array<QLabel*, kBeaconCount> countries{};
};

}  // namespace harkola
