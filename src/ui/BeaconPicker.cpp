#include "ui/BeaconPicker.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>

namespace harkola {

namespace {
constexpr int kRowsPerColumn = 9;  // beacons 1..9 on the left, 10..18 on the right
}

BeaconPicker::BeaconPicker(Choice choice, const QString& buttonName, const QString& toolTip,
                           QWidget* parent)
    : QWidget(parent) {
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(4);
  for (int i = 0; i < kBeaconCount; ++i) {
    const QString n = QString::number(i);
    QAbstractButton* button = choice == Choice::Many ? static_cast<QAbstractButton*>(new QCheckBox(this))
                                                     : new QRadioButton(this);
    button->setObjectName(buttonName + "_" + n);
    button->setToolTip(toolTip);
    auto* call = new QLabel(this);
    call->setObjectName(QStringLiteral("lblVBeID_") + n);
    QFont bold = call->font();
    bold.setBold(true);
    call->setFont(bold);
    // The longest callsign the beacon data allows is 11 characters.
    call->setMinimumWidth(call->fontMetrics().horizontalAdvance(QStringLiteral("MMMMMMMMMMM")));
    auto* country = new QLabel(this);
    country->setObjectName(QStringLiteral("Label2_") + n);
    country->setMinimumWidth(country->fontMetrics().horizontalAdvance(QStringLiteral("New Zealand (x)")));

    const int row = i % kRowsPerColumn;
    const int col = (i / kRowsPerColumn) * 4;
    grid->addWidget(button, row, col);
    grid->addWidget(call, row, col + 1);
    grid->addWidget(country, row, col + 2);
    buttons[static_cast<std::size_t>(i)] = button;
    callsigns[static_cast<std::size_t>(i)] = call;
    countries[static_cast<std::size_t>(i)] = country;
  }
  grid->setColumnMinimumWidth(3, 24);  // gap between the two halves
}

}  // namespace harkola
