#include "app/frmSplash.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/ShellResources.h"
#include "ui/Named.h"

namespace harkola {

namespace {

const char* const kCaption =
    "Harkola 5  - the voice announcer, automatic logger and analyser for the NCDXF/IARU HF "
    "propagation beacons";

QFrame* decorativeLine(QWidget* parent, const char* name, QFrame::Shape shape) {
  auto* line = new QFrame(parent);
  line->setObjectName(name);
  line->setFrameShape(shape);
  line->setFrameShadow(QFrame::Plain);
  line->setLineWidth(2);
  line->setStyleSheet("color: rgb(0, 0, 160);");
  return line;
}

QLabel* picture(QWidget* parent, const char* name, const char* resource) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setPixmap(QPixmap(resource));
  label->setFixedSize(170, 170);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

}  // namespace

frmSplash::frmSplash(std::function<void()> showMain, QWidget* parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_showMain(std::move(showMain)) {
  initShellResources();
  setObjectName("frmSplash");
  setWindowTitle(kCaption);
  setAttribute(Qt::WA_DeleteOnClose);
  setStyleSheet("QDialog#frmSplash { background: rgb(255, 255, 230); border: 2px solid rgb(0, 0, 160); }");

  lblCaption = named(new QLabel(kCaption, this), "lblCaption");
  lblCaption->setWordWrap(true);
  lblCaption->setAlignment(Qt::AlignCenter);
  QFont font;
  // The caption's own hand-lettered face where it is installed, else a rounded or
  // plain sans face: setFamilies falls through the list in order.
  font.setFamilies({"Comic Sans MS", "Comic Neue", "Comic Relief", "DejaVu Sans"});
  font.setPointSize(17);
  font.setBold(true);
  lblCaption->setFont(font);
  lblCaption->setStyleSheet("color: rgb(0, 0, 128);");

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(24, 20, 24, 20);
  grid->setHorizontalSpacing(14);
  grid->setVerticalSpacing(14);
  grid->addWidget(decorativeLine(this, "Line1", QFrame::HLine), 0, 0, 1, 5);
  grid->addWidget(picture(this, "imgGlobe", ":/icons/globe.png"), 1, 0);
  grid->addWidget(decorativeLine(this, "Line3", QFrame::VLine), 1, 1);
  grid->addWidget(lblCaption, 1, 2);
  grid->addWidget(decorativeLine(this, "Line4", QFrame::VLine), 1, 3);
  grid->addWidget(picture(this, "imgAntenna", ":/icons/antenna.png"), 1, 4);
  grid->addWidget(decorativeLine(this, "Line2", QFrame::HLine), 2, 0, 1, 5);
  grid->setColumnStretch(2, 1);
  lblCaption->setMinimumWidth(470);

  Timer1 = named(new QTimer(this), "Timer1");
  Timer1->setSingleShot(true);
  Timer1->setInterval(kShowMs);
  connect(Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
  Timer1->start();
}

void frmSplash::Timer1_Timer() {
  Timer1->stop();
  if (m_handedOver) return;
  m_handedOver = true;
  if (m_showMain) m_showMain();
  close();
}

}  // namespace harkola
