#include "rig/frmTxRx.h"

#include "ui/HelpWindow.h"

#include <QEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/UserDialogs.h"
#include "rig/RigCommands.h"
#include "rig/RigData.h"
#include "rig/RigLinkPanel.h"
#include "rig/RigLinkSettings.h"
#include "ui/Named.h"

namespace harkola {

namespace {

constexpr const char* kPortHeadings[6] = {"Com", "Baud", "Parity", "Data", "Stop", "H'shake"};
const QColor kYellow(255, 255, 0);
const QColor kWhite(255, 255, 255);

QListWidget* makeList(const QString& name, const std::vector<std::string>& items, const QString& tip,
                      QWidget* parent) {
  auto* list = new QListWidget(parent);
  list->setObjectName(name);
  list->setToolTip(tip);
  for (const auto& s : items) list->addItem(qs(s));
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Tall enough for every entry, so that no list needs a scroll bar.
  const int rowHeight = list->sizeHintForRow(0);
  list->setFixedHeight(rowHeight * static_cast<int>(items.size()) + 2 * list->frameWidth() + 2);
  list->setFixedWidth(std::max(list->sizeHintForColumn(0) + 2 * list->frameWidth() + 16, 48));
  return list;
}

}  // namespace

frmTxRx::frmTxRx(PublicDecs& d, RigCtrl& rig, RigDefaultWriter writeDefault, QWidget* parent)
    : QDialog(parent), d_(d), rig_(rig), writeDefault_(std::move(writeDefault)) {
  installHelpKey(this);
  setObjectName("frmTxRx");
  setModal(true);

  // Serial port lists, each under its heading, side by side.
  lblPortSetup = named(new QLabel("Serial port setup", this), "lblPortSetup");
  QFont bold = lblPortSetup->font();
  bold.setBold(true);
  lblPortSetup->setFont(bold);
  auto* portGrid = new QGridLayout;
  for (int k = 0; k < 6; ++k) {
    auto* heading = new QLabel(kPortHeadings[k], this);
    lstPortSet[k] = makeList(QString("lstPortSet_%1").arg(k), portSetChoices()[k],
                             "Click on new setting required", this);
    portGrid->addWidget(heading, 0, k, Qt::AlignLeft | Qt::AlignBottom);
    portGrid->addWidget(lstPortSet[k], 1, k, Qt::AlignTop);
    connect(lstPortSet[k], &QListWidget::currentTextChanged, this,
            [this, k](const QString& t) { portSetClicked(k, t); });
  }
  portGrid->setColumnStretch(6, 1);

  lblStrings = named(new QLabel("Radio command codes for :", this), "lblStrings");
  lblStrings->setFont(bold);
  lstRigCtrlString = makeList("lstRigCtrlString", makerChoices(), "Select rig manufacturer", this);
  connect(lstRigCtrlString, &QListWidget::currentTextChanged, this, &frmTxRx::makerClicked);

  auto* left = new QVBoxLayout;
  left->addWidget(lblPortSetup);
  left->addLayout(portGrid);
  left->addSpacing(8);
  linkPanel = new RigLinkPanel(systemSerialPorts(), this);
  left->addWidget(linkPanel);
  left->addSpacing(12);
  auto* makerRow = new QHBoxLayout;
  makerRow->addWidget(lblStrings, 0, Qt::AlignTop);
  makerRow->addWidget(lstRigCtrlString, 0, Qt::AlignTop);
  makerRow->addStretch(1);
  left->addLayout(makerRow);
  left->addSpacing(12);
  auto* hint = new QLabel(
      "Double click a label or a code to change it.  Kenwood codes are sent as written; "
      "Icom and Yaesu codes are pairs of hexadecimal digits, one byte each.\n\n"
      "Over the serial port, rig control stays off until every line has been tested with the rig.",
      this);
  hint->setWordWrap(true);
  hint->setMaximumWidth(430);
  left->addWidget(hint);
  left->addStretch(1);

  // The 14 code lines in three groups.
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  struct Group {
    const char* title;
    const char* tip;
    int first, last;
  };
  const Group groups[3] = {
      {"Start of Harkola session",
       "These codes set the rig to use CW mode etc for beacon reception.  Blank entries are ignored", 1, 4},
      {"End of Harkola session",
       "These codes are used to put your rig into the mode you require after a Harkola session.  "
       "Blank entries are ignored",
       5, 8},
      {"Codes to control frequencies (MHz)", "", 9, 14},
  };
  auto* right = new QVBoxLayout;
  for (const Group& g : groups) {
    auto* box = new QGroupBox(g.title, this);
    if (*g.tip) box->setToolTip(g.tip);
    auto* grid = new QGridLayout(box);
    grid->setColumnStretch(1, 1);
    for (int i = g.first; i <= g.last; ++i) {
      lblRig[i] = new QLabel(box);
      lblRig[i]->setObjectName(QString("lblRig_%1").arg(i));
      lblRig[i]->setMinimumWidth(110);
      lblRigCtrlString[i] = new QLabel(box);
      lblRigCtrlString[i]->setObjectName(QString("lblRigCtrlString_%1").arg(i));
      lblRigCtrlString[i]->setFont(fixed);
      lblRigCtrlString[i]->setFrameShape(QFrame::Panel);
      lblRigCtrlString[i]->setFrameShadow(QFrame::Sunken);
      lblRigCtrlString[i]->setAutoFillBackground(true);
      lblRigCtrlString[i]->setMinimumWidth(QFontMetrics(fixed).horizontalAdvance(QString(24, 'F')));
      lblRigCtrlString[i]->setMargin(2);
      for (QLabel* l : {lblRig[i], lblRigCtrlString[i]}) {
        l->setToolTip("Double click to change");
        l->installEventFilter(this);
      }
      paintCode(i, kWhite);
      grid->addWidget(lblRig[i], i - g.first, 0);
      grid->addWidget(lblRigCtrlString[i], i - g.first, 1);
    }
    right->addWidget(box);
  }

  cmdDefault = named(new QPushButton("Default settings", this), "cmdDefault");
  cmdDefault->setToolTip("Click to load default settings");
  cmdTest = named(new QPushButton("Test settings (note completion of this test is compulsory)", this), "cmdTest");
  cmdTest->setToolTip("Click to test all settings with rig. COMPULSORY!");
  cmdSave = named(new QPushButton("Save settings", this), "cmdSave");
  cmdSave->setToolTip("Click to save settings and exit");
  for (QPushButton* b : {cmdDefault, cmdTest, cmdSave}) b->setAutoDefault(false);
  connect(cmdDefault, &QPushButton::clicked, this, &frmTxRx::defaultSettings);
  connect(cmdTest, &QPushButton::clicked, this, &frmTxRx::runTest);
  connect(cmdSave, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cmdDefault);
  buttons->addWidget(cmdTest, 1);
  buttons->addWidget(cmdSave);

  auto* columns = new QHBoxLayout;
  columns->addLayout(left);
  columns->addSpacing(16);
  columns->addLayout(right, 1);
  auto* top = new QVBoxLayout(this);
  // Fixed to its contents, so a window manager draws no empty resize strip below it.
  top->setSizeConstraint(QLayout::SetFixedSize);
  top->addLayout(columns);
  top->addSpacing(8);
  top->addLayout(buttons);
}

Answer frmTxRx::ask(const std::string& text, NoticeIcon icon, NoticeButtons buttons,
                    const std::string& title) {
  return dialogs().message(this, Notice{text, title, icon, buttons});
}

bool frmTxRx::load() {
  setWindowTitle(qs(d_.TitleText + "  Rig Control"));
  d_.RigTested = false;
  d_.RigStartPending = false;
  linkPanel->showSettings(kRigLinkFile.load(d_.DataFolder));
  return showData();
}

bool frmTxRx::showData() {
  if (firstUnlistedRigRow(d_.RigTable)) {
    reportCorrupt();
    return false;
  }
  filling_ = true;
  for (int k = 0; k < 6; ++k) {
    const auto& items = portSetChoices()[k];
    const auto it = std::find(items.begin(), items.end(), d_.RigTable[k][1]);
    lstPortSet[k]->setCurrentRow(static_cast<int>(it - items.begin()));
  }
  const auto& makers = makerChoices();
  lstRigCtrlString->setCurrentRow(
      static_cast<int>(std::find(makers.begin(), makers.end(), d_.RigTable[kRigRowMaker][1]) - makers.begin()));
  for (int i = 1; i <= kLines; ++i) {
    lblRig[i]->setText(qs(d_.RigTable[rigRowOfLine(i)][0]));
    lblRigCtrlString[i]->setText(qs(d_.RigTable[rigRowOfLine(i)][1]));
  }
  filling_ = false;
  return true;
}

void frmTxRx::reportCorrupt() {
  corrupt_ = true;
  ask(kRigCorruptMessage, NoticeIcon::Critical, NoticeButtons::Ok);
  emit corruptDataFile();
  if (isVisible()) QDialog::done(QDialog::Rejected);
}

void frmTxRx::portSetClicked(int list, const QString& text) {
  if (filling_ || text.isEmpty()) return;
  d_.RigTable[list][1] = text.toStdString();
}

void frmTxRx::makerClicked(const QString& text) {
  if (filling_ || text.isEmpty()) return;
  const std::string maker = text.toStdString();
  if (maker == d_.RigTable[kRigRowMaker][1]) {
    d_.RigMakerCode = makerCodeFor(maker);
    return;
  }
  d_.RigTable[kRigRowMaker][1] = maker;
  d_.RigMakerCode = makerCodeFor(maker);
  defaultSettings();
}

void frmTxRx::defaultSettings() {
  if (ask("This will delete your current settings and substitute default settings.  Do you want to proceed?",
          NoticeIcon::Question, NoticeButtons::YesNo) != Answer::Yes)
    return;
  const Notice written = writeDefault_ ? writeDefault_(d_.DataFolder, d_.RigMakerCode)
                                       : Notice{"Default rig control data could not be written",
                                                kAppTitle, NoticeIcon::Critical, NoticeButtons::Ok};
  dialogs().message(this, written);
  // A file that could not be written is not read back: the settings in the window stay.
  if (written.icon == NoticeIcon::Critical) return;
  if (!LoadRigData(d_)) {
    ask("The file RigData.dat could not be read", NoticeIcon::Critical, NoticeButtons::Ok);
    return;
  }
  showData();
}

void frmTxRx::editCode(int line, bool fromLabelEdit) { editLine(line, 1, !fromLabelEdit); }

void frmTxRx::editLabel(int line, bool fromCodeEdit) { editLine(line, 0, !fromCodeEdit); }

// Asks for the code (column 1) or the label (column 0) of a line, then, when `thenOther`
// and the answer was taken, for the other half. A half left blank blanks the line on screen.
void frmTxRx::editLine(int line, int column, bool thenOther) {
  if (line < 1 || line > kLines) return;
  dialogs().beep();
  const QString prompt = column == 1 ? "Enter new control code" : "Enter new control code label";
  const auto answer = dialogs().input(this, prompt + "\n\n" + qs(rigLineDetail(d_, line)), qs(d_.TitleText),
                                      kRigLeaveBlank);
  std::optional<std::string> text;
  if (answer) text = answer->toStdString();
  const RigLineEdit edit = editRigLine(d_, rig_, line, column, text);
  if (edit == RigLineEdit::Blanked) {
    lblRig[line]->clear();
    lblRigCtrlString[line]->clear();
  }
  if (edit != RigLineEdit::Set) return;
  (column == 1 ? lblRigCtrlString : lblRig)[line]->setText(*answer);
  if (thenOther) editLine(line, 1 - column, false);
}

bool frmTxRx::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick) {
    for (int i = 1; i <= kLines; ++i) {
      if (watched == lblRigCtrlString[i]) {
        editCode(i);
        return true;
      }
      if (watched == lblRig[i]) {
        editLabel(i);
        return true;
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

void frmTxRx::paintCode(int line, const QColor& colour) {
  QPalette p = lblRigCtrlString[line]->palette();
  p.setColor(QPalette::Window, colour);
  p.setColor(QPalette::WindowText, Qt::black);
  lblRigCtrlString[line]->setPalette(p);
}

void frmTxRx::runTest() {
  RigCodeTest test(d_, rig_);
  if (!test.start()) return;
  for (;;) {
    paintCode(test.line(), kYellow);
    if (test.sendLine(lblRigCtrlString[test.line()]->text().isEmpty()) != RigCodeTest::Step::Sent) break;
    if (ask("Continue ?", NoticeIcon::Question, NoticeButtons::YesNo) != Answer::Yes) break;
  }
  ask("Testing complete", NoticeIcon::Information, NoticeButtons::Ok);
  for (int i = 1; i <= kLines; ++i) paintCode(i, kWhite);
  test.finish();
}

void frmTxRx::done(int result) {
  if (closed_) return;
  if (corrupt_) {
    closed_ = true;
    rig_.CloseRigPort();
    QDialog::done(QDialog::Rejected);
    return;
  }
  // The test is of the serial command codes: with rigctld chosen it is no condition.
  const bool serialLink = linkPanel->settings().kind == RigLinkKind::Serial;
  if (!d_.RigTested && serialLink &&
      ask("You have not tested all of your settings, rig control will not work until you do.  Continue to quit?",
          NoticeIcon::Question, NoticeButtons::YesNo) != Answer::Yes)
    return;
  closed_ = true;
  d_.RigTable[kRigRowTested][1] = d_.RigTested ? "True" : "False";
  if (SaveRigData(d_)) {
    ask("Rig control data file updated", NoticeIcon::None, NoticeButtons::Ok);
  } else {
    ask("The file RigData.dat could not be written in " + d_.DataFolder +
            ".  Your settings are kept for this session only.",
        NoticeIcon::Critical, NoticeButtons::Ok);
  }
  if (!kRigLinkFile.save(d_.DataFolder, linkPanel->settings())) {
    ask("The file RigLink.dat could not be written in " + d_.DataFolder +
            ".  The rig link and port devices stay as they were.",
        NoticeIcon::Critical, NoticeButtons::Ok);
  }
  rig_.CloseRigPort();
  if (d_.RigTested) d_.RigStartPending = true;
  QDialog::done(result);
}

}  // namespace harkola
