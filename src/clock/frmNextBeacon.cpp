#include "clock/frmNextBeacon.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>

namespace harkola {

frmNextBeacon::frmNextBeacon(QWidget* parent, const std::string& titleText)
    : QWidget(parent, Qt::Window) {
  setObjectName("frmNextBeacon");
  setWindowTitle(QString::fromStdString(titleName(titleText) + " - Next Beacon"));
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(16, 12, 16, 12);
  // Fixed to its contents: nothing to gain from resizing, and a window manager then
  // draws no resize handle (an empty strip that looked like a squashed status bar).
  grid->setSizeConstraint(QLayout::SetFixedSize);
  auto add = [&](const char* title, const char* name, int row, int pointSize) {
    auto* t = new QLabel(title, this);
    auto* v = new QLabel(this);
    v->setObjectName(name);
    QFont f = v->font();
    f.setPointSize(pointSize);
    f.setBold(row == 1);
    v->setFont(f);
    v->setMinimumWidth(220);
    grid->addWidget(t, row, 0, Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(v, row, 1);
    return v;
  };
  lblNextCountry = add("Country:", "lblNextCountry", 0, 14);
  lblNextCallsign = add("Callsign:", "lblNextCallsign", 1, 18);
  lblNextStatus = add("Status:", "lblNextStatus", 2, 12);
}

void frmNextBeacon::setNext(const QString& country, const QString& callsign, const QString& status) {
  lblNextCountry->setText(country);
  lblNextCallsign->setText(callsign);
  lblNextStatus->setText(status);
}

void frmNextBeacon::closeEvent(QCloseEvent* e) {
  e->accept();
  if (onClosed) onClosed();
}

}  // namespace harkola
