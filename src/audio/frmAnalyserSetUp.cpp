#include "audio/frmAnalyserSetUp.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "ui/UserDialogs.h"
#include "ui/WindowFrame.h"

namespace harkola {

namespace {

const char* const kStageText[5] = {
    "STAGE 1 - Read the Help Files which contain a full description of these controls.  This "
    "Wizard guides you through the adjustments in an abbreviated form.  Assuming the radio is "
    "connected and set to CW with 800Hz tone, click the \"Test\" button (no logging to file).",
    "STAGE 2 - adjust the audio levels from the radio so that the signal level indicated in "
    "yellow on the screen does not go above the black line.  Set the level at the radio where you "
    "can; the input volume of the sound server's volume control (pavucontrol, tab \"Input "
    "Devices\") changes it as well, so keep that at 100%.",
    "STAGE 3 - adjust the noise filter.  Move the Noise Filter slider until, in the absence of "
    "beacon signals, there are no or very few red lines appearing in the centre of the display.",
    "STAGE 4 - adjust the morse discriminator.  This needs careful adjustment to ensure proper "
    "recognition.  It sets the \"caution level\" of the recognition algorithm.  If set too high "
    "the analyser will recognise only strong morse signals. If set too low it will incorrectly "
    "recognise noise spikes as valid morse.  If weak beacons will not resolve easily due to noise "
    "spikes which the general noise filter cannot eliminate then reduce the Listening Time using "
    "its slider.",
    "STAGE 5 - adjust the S levels to match your radio.  The logged S readings are audio derived "
    "and therefore subject to your audio level settings.  adjust the slider until recorded values "
    "match those on your radio S-meter or your judgement of signal strength.  This completes "
    "setting up.\r\n\r\nClick \"STOP\" and then \"Start logging\" to record data to file."};

const char* const kDesignText[5] = {"1 - intro and click test", "2 - audio levels",
                                    "3 - noise filter", "4 - morse and listen time",
                                    "5 - S levels"};

constexpr int kTextWidth = 470;

// A wrapped label in a grid gets no more height than its one-line hint unless told.
void setWrapped(QLabel* l, const QString& text) {
  l->setText(text);
  l->setMinimumHeight(l->heightForWidth(kTextWidth));
}

}  // namespace

frmAnalyserSetUp::frmAnalyserSetUp(const PublicDecs& shared, QWidget* parent)
    : QWidget(parent, Qt::Window), d(shared) {
  setObjectName("frmAnalyserSetUp");
  setWindowTitle("Analyser Set Up - full title in code");
  // Fixed to its contents as each stage makes it taller: no resize strip under it.
  fixToContents(this);
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(12, 10, 12, 10);
  grid->setVerticalSpacing(10);
  for (int i = 0; i < 5; ++i) {
    Label[i] = new QLabel(kDesignText[i], this);
    Label[i]->setObjectName(QString("Label%1").arg(i + 1));
    Label[i]->setWordWrap(true);
    Label[i]->setTextFormat(Qt::PlainText);
    Label[i]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label[i]->setFixedWidth(kTextWidth);
    Command[i] = new QPushButton(i == 4 ? "Close" : "OK", this);
    Command[i]->setObjectName(QString("Command%1").arg(i + 1));
    grid->addWidget(Label[i], i, 0);
    grid->addWidget(Command[i], i, 1, Qt::AlignTop);
    if (i < 4)
      connect(Command[i], &QPushButton::clicked, this, [this, i] { showStage(i + 2); });
  }
  connect(Command[4], &QPushButton::clicked, this, &QWidget::close);
  grid->setRowStretch(5, 1);
  load();
}

void frmAnalyserSetUp::load() {
  setWindowTitle(qs(d.TitleText) + "Auto Log Setup Wizard");
  for (int i = 0; i < 5; ++i) {
    Label[i]->setVisible(i == 0);
    Command[i]->setVisible(i == 0);
  }
  setWrapped(Label[0], kStageText[0]);
  adjustSize();
}

void frmAnalyserSetUp::showStage(int stage) {
  const int i = stage - 1;
  // Qt shows a plain CR LF as two line breaks; the text itself keeps the CR LF pairs.
  setWrapped(Label[i], QString(kStageText[i]).replace("\r\n", "\n"));
  Label[i]->show();
  Command[i]->show();
  Command[i]->setFocus();
  adjustSize();
}

int frmAnalyserSetUp::stagesShown() const {
  int n = 0;
  for (auto* l : Label) n += l->isHidden() ? 0 : 1;
  return n;
}

}  // namespace harkola
