#include "analysis/frmDataAnalysis.h"

#include <QKeyEvent>

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <chrono>
#include <climits>

#include "analysis/LogGridModel.h"
#include "analysis/RecordScroller.h"
#include "analysis/LogLoadTask.h"
#include "analysis/frmChart.h"
#include "ui/UserDialogs.h"
#include "data/Beacons.h"
#include "common/LocalTime.h"
#include "ui/Named.h"

namespace harkola {

namespace {

// Records per summary step: a few milliseconds.
constexpr std::size_t kSummaryStep = 200000;
// How often a load's progress is looked at.
constexpr int kPollMs = 50;
constexpr int kProgressSteps = 1000;

const QColor kBlue(0, 0, 255);
const QColor kGrey(128, 128, 128);
const QColor kYellow(255, 255, 0);

const char* kNoFileOpened = "No file opened";
const char* kSelectFile = "Please select a file or click cancel";
const char* kSummaryNotSaved = "Summary Log file NOT saved";
const char* kSaveSummaryTitle = "Save analysis to file";
const char* kNoMonthMessage = "No month is selected. Select one or more months in the list, then press Summarise.";

}  // namespace

frmDataAnalysis::frmDataAnalysis(PublicDecs& shared, AnalysisHost* host, QWidget* parent)
    : QWidget(parent, Qt::Window), m_d(shared), m_host(host) {
  setObjectName("frmDataAnalysis");
  setWindowTitle(qs(m_d.TitleText + " Data analysis"));
  buildUi();
  resize(1180, 680);
  for (int i = 0; i < kBeaconCount; ++i) lblBeID[i]->setText(qs(Beacons(m_d.BeaconTable).callsign(i + 1)));
  if (m_host) m_host->pauseForAnalysis();
  m_paused = true;
}

// The host is not called from here: when the window goes with its owner, the owner is
// being destroyed and must not be called back.
frmDataAnalysis::~frmDataAnalysis() {
  if (m_chart) delete m_chart.data();
}

frmChart* frmDataAnalysis::chart() const { return m_chart; }

void frmDataAnalysis::detachHost() {
  m_host = nullptr;
  m_paused = false;
}

void frmDataAnalysis::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape && loading()) {
    cancelLoad();
    return;
  }
  if (e->key() == Qt::Key_Escape && !busy()) {
    close();
    return;
  }
  QWidget::keyPressEvent(e);
}

void frmDataAnalysis::resume() {
  if (!m_paused) return;
  m_paused = false;
  if (m_host) m_host->resumeAfterAnalysis();
}

void frmDataAnalysis::showEvent(QShowEvent* e) {
  // Shown again after a close: pause the host again.
  if (!m_paused) {
    if (m_host) m_host->pauseForAnalysis();
    m_paused = true;
  }
  QWidget::showEvent(e);
}

void frmDataAnalysis::closeEvent(QCloseEvent* e) {
  if (loading()) cancelLoad();
  m_builder.reset();
  resume();
  e->accept();
}

void frmDataAnalysis::buildUi() {
  auto* root = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  auto* right = new QVBoxLayout;
  root->addLayout(left);
  root->addLayout(right, 1);

  cmdOpenFile = clickButton(this, "Open log file", "cmdOpenFile", this, &frmDataAnalysis::openFileClicked);
  cmdOpenFile->setToolTip("Open log file for analysis");
  left->addWidget(cmdOpenFile);

  auto makeFrame = [this](const char* name, const char* caption) {
    auto* g = new QGroupBox(caption, this);
    g->setObjectName(name);
    setFrame(g, false);
    return g;
  };
  // Check box `i` of a row or column, named NAME_i, disabled until a log is open; a
  // click calls `onClick(i)`.
  auto addCheck = [this](QBoxLayout* box, const QString& caption, const char* name, int i, void (frmDataAnalysis::*onClick)(int)) {
    auto* c = new QCheckBox(caption, box->parentWidget());
    c->setObjectName(QString("%1_%2").arg(name).arg(i));
    c->setEnabled(false);
    box->addWidget(c);
    connect(c, &QCheckBox::clicked, this, [this, i, onClick] { (this->*onClick)(i); });
    return c;
  };
  shpAnalysis = makeFrame("shpAnalysis", "Analysis selection");
  auto* fl = new QVBoxLayout(shpAnalysis);
  const char* functions[] = {"Single beacon, any band", "Any beacon, single band"};
  for (int k = 0; k < 2; ++k)
    chkSelFunction[k] = addCheck(fl, functions[k], "chkSelFunction", k, &frmDataAnalysis::selFunctionClicked);
  left->addWidget(shpAnalysis);

  shpBand = makeFrame("shpBand", "Select band  - MHz");
  auto* bl = new QHBoxLayout(shpBand);
  for (int i = 0; i < kBandCount; ++i)
    chkChartBandSel[i] = addCheck(bl, qs(bandInfo(i).text), "chkChartBandSel", i, &frmDataAnalysis::bandClicked);
  left->addWidget(shpBand);

  shpBeacon = makeFrame("shpBeacon", "Select beacon");
  auto* gl = new QGridLayout(shpBeacon);
  gl->setHorizontalSpacing(6);
  gl->setVerticalSpacing(2);
  for (int i = 0; i < kBeaconCount; ++i) {
    const int row = i % 9, col = (i / 9) * 3;
    beID[i] = new QCheckBox(shpBeacon);
    beID[i]->setObjectName(QString("beID_%1").arg(i));
    beID[i]->setToolTip("Click to select beacon for report");
    beID[i]->setEnabled(false);
    beID[i]->setFixedWidth(22);
    lblBeID[i] = new QLabel(shpBeacon);
    lblBeID[i]->setObjectName(QString("lblBeID_%1").arg(i));
    lblBeID[i]->setMinimumWidth(60);
    shpSorted[i] = new QFrame(shpBeacon);
    shpSorted[i]->setObjectName(QString("shpSorted_%1").arg(i));
    shpSorted[i]->setFixedSize(12, 12);
    setMarker(i, false);
    gl->addWidget(shpSorted[i], row, col);
    gl->addWidget(beID[i], row, col + 1);
    gl->addWidget(lblBeID[i], row, col + 2);
    connect(beID[i], &QCheckBox::clicked, this, [this, i] { beaconClicked(i); });
  }
  auto* allClear = new QHBoxLayout;
  cmdAll = clickButton(shpBeacon, "All", "cmdAll", this, &frmDataAnalysis::allClicked);
  cmdClear = clickButton(shpBeacon, "Clear", "cmdClear", this, &frmDataAnalysis::clearClicked);
  cmdAll->setEnabled(false);
  cmdClear->setEnabled(false);
  allClear->addWidget(cmdAll);
  allClear->addWidget(cmdClear);
  gl->addLayout(allClear, 9, 0, 1, 6);
  left->addWidget(shpBeacon);

  shpMonth = makeFrame("shpMonth", "Select month");
  auto* ml = new QVBoxLayout(shpMonth);
  List1 = named(new QListWidget(shpMonth), "List1");
  List1->setSelectionMode(QAbstractItemView::MultiSelection);
  List1->setEnabled(false);
  List1->setMinimumHeight(90);
  ml->addWidget(List1);
  left->addWidget(shpMonth);
  left->addStretch();

  Label6 = named(new QLabel(this), "Label6");
  right->addWidget(Label6);
  m_model = new LogGridModel(this);
  flex1 = named(new QTableView(this), "flex1");
  flex1->setModel(m_model);
  flex1->verticalHeader()->setVisible(false);
  flex1->verticalHeader()->setDefaultSectionSize(20);
  flex1->horizontalHeader()->setDefaultSectionSize(65);
  flex1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  flex1->setMinimumSize(560, 300);
  flex1->hide();
  auto* records = new QHBoxLayout;
  records->setSpacing(0);
  records->addWidget(flex1, 1);
  records->addWidget((new RecordScroller(flex1, m_model, this))->bar());
  right->addLayout(records, 1);
  auto* progress = new QHBoxLayout;
  prgbFlex = named(new QProgressBar(this), "prgbFlex");
  prgbFlex->hide();
  progress->addWidget(prgbFlex, 1);
  cmdCancelLoad = clickButton(this, "Cancel", "cmdCancelLoad", this, &frmDataAnalysis::cancelLoad);
  cmdCancelLoad->setToolTip("Stop loading the log (Esc)");
  cmdCancelLoad->hide();
  progress->addWidget(cmdCancelLoad);
  right->addLayout(progress);
  m_poll = new QTimer(this);
  m_poll->setInterval(kPollMs);
  auto* buttons = new QHBoxLayout;
  cmdSummarise = clickButton(this, "Summarise", "cmdSummarise", this, &frmDataAnalysis::summariseClicked);
  cmdSummarySave = clickButton(this, "Save analysis to file", "cmdSummarySave", this, &frmDataAnalysis::saveClicked);
  cmdChart = clickButton(this, "Graphic Display", "cmdChart", this, &frmDataAnalysis::chartClicked);
  cmdReset = clickButton(this, "Reset", "cmdReset", this, &frmDataAnalysis::resetClicked);
  for (auto* b : {cmdSummarise, cmdSummarySave, cmdChart, cmdReset}) {
    b->setEnabled(false);
    buttons->addWidget(b);
  }
  right->addLayout(buttons);
  connect(m_poll, &QTimer::timeout, this, &frmDataAnalysis::pollLoad);
}

QColor frmDataAnalysis::frameColour(const QGroupBox* frame) {
  return frame->property("frameColour").value<QColor>();
}

QColor frmDataAnalysis::markerColour(const QFrame* marker) {
  return marker->property("markerColour").value<QColor>();
}

void frmDataAnalysis::setFrame(QGroupBox* frame, bool awaiting) {
  const QColor c = awaiting ? kBlue : kGrey;
  frame->setProperty("frameColour", c);
  frame->setStyleSheet(QString("QGroupBox#%1 { border: 2px solid %2; border-radius: 3px; margin-top: 1.1em; "
                               "padding-top: 4px; } QGroupBox#%1::title { subcontrol-origin: margin; left: 8px; }")
                           .arg(frame->objectName(), c.name()));
}

void frmDataAnalysis::setMarker(int i, bool yellow) {
  const QColor c = yellow ? kYellow : palette().color(QPalette::Button);
  shpSorted[i]->setStyleSheet(QString("background-color: %1; border: 1px solid #808080;").arg(c.name()));
  shpSorted[i]->setProperty("markerColour", c);
}

void frmDataAnalysis::setBeaconBlue(bool blue) {
  for (auto* b : beID) {
    b->setProperty("blue", blue);
    b->setStyleSheet(blue ? "QCheckBox { background-color: rgb(0,0,255); }" : QString());
  }
}

std::string frmDataAnalysis::notifyTitle(const char* suffix) const { return m_d.TitleText + suffix; }

// ---- choosing and loading a file -------------------------------------------------

bool frmDataAnalysis::chooseFile(QString& path) {
  FileDialogRequest req;
  req.kind = FileDialogRequest::Kind::Open;
  req.title = notifyTitle("Open data file for analysis");
  req.initialFolder = m_d.LogFolder;
  req.fileName = m_d.TitleText + "Heard Log";
  req.fileMustExist = true;
  req.pathMustExist = true;
  req.hideReadOnly = true;
  const FileDialogResult r = dialogs().file(this, req);
  if (r.cancelled) {
    dialogs().message(this, {kNoFileOpened, notifyTitle("Open data file for analysis"), NoticeIcon::Information});
    return false;
  }
  if (r.path.empty()) {
    dialogs().message(this, {kSelectFile, m_d.TitleText, NoticeIcon::Exclamation});
    return false;
  }
  path = qs(r.path);
  return true;
}

void frmDataAnalysis::openFileClicked() {
  if (busy()) return;
  takeSnapshot();
  for (auto* c : chkSelFunction) c->setEnabled(false);
  QString path;
  if (!chooseFile(path)) {
    m_log.reset();
    m_model->setUpRecords();
    flex1->show();  // the empty grid
    return;
  }
  m_fileName = path;
  startLoad(AfterLoad::OpenFile);
}

std::vector<QWidget*> frmDataAnalysis::inputControls() const {
  std::vector<QWidget*> list;
  for (QWidget* w : findChildren<QWidget*>())
    if (w != cmdCancelLoad && (qobject_cast<QAbstractButton*>(w) || w == List1)) list.push_back(w);
  return list;
}

void frmDataAnalysis::takeSnapshot() {
  m_before = Snapshot{};
  for (QWidget* w : inputControls()) {
    const auto* b = qobject_cast<QAbstractButton*>(w);
    m_before.controls.push_back({w, w->isEnabled(), b && b->isChecked()});
  }
  m_before.gridShown = !flex1->isHidden();
  m_before.label = Label6->text();
  m_before.fileName = m_fileName;
  m_before.resetting = m_resetting;
}

void frmDataAnalysis::restoreSnapshot() {
  for (const auto& c : m_before.controls) {
    if (!c.widget) continue;
    c.widget->setEnabled(c.enabled);
    if (auto* b = qobject_cast<QAbstractButton*>(c.widget.data()); b && b->isCheckable()) b->setChecked(c.checked);
  }
  flex1->setVisible(m_before.gridShown);
  Label6->setText(m_before.label);
  m_fileName = m_before.fileName;
  m_resetting = m_before.resetting;
}

// The grid keeps what it shows until the new log has loaded, so that Cancel can leave
// the window as it was.
void frmDataAnalysis::startLoad(AfterLoad after) {
  m_after = after;
  cmdReset->setEnabled(false);
  cmdOpenFile->setEnabled(false);
  // Nothing else can be clicked while the log loads; afterwards the controls are as
  // they were.
  m_duringLoad.clear();
  for (QWidget* w : inputControls()) {
    m_duringLoad.push_back({w, w->isEnabled(), false});
    w->setEnabled(false);
  }
  flex1->hide();
  Label6->setText("Reading " + QDir::toNativeSeparators(m_fileName) + " ...");
  prgbFlex->setRange(0, kProgressSteps);
  prgbFlex->setValue(0);
  prgbFlex->show();
  cmdCancelLoad->show();
  cmdCancelLoad->setEnabled(true);
  m_task = std::make_unique<LogLoadTask>(m_fileName.toStdString());
  m_poll->start();
}

void frmDataAnalysis::pollLoad() {
  if (!m_task) return;
  if (!m_task->finished()) {
    prgbFlex->setValue(static_cast<int>(m_task->progress() * kProgressSteps));
    return;
  }
  m_poll->stop();
  cmdCancelLoad->hide();
  for (const auto& c : m_duringLoad)
    if (c.widget) c.widget->setEnabled(c.enabled);
  Label6->setText(QString("Total records in file %1").arg(m_task->loader().lineCount()));
  if (m_task->loader().state() == LogLoader::State::Done)
    loadDone();
  else
    loadFailed();
}

void frmDataAnalysis::cancelLoad() {
  if (!m_task) return;
  m_poll->stop();
  m_task.reset();  // stops the loading thread and waits for it
  prgbFlex->hide();
  cmdCancelLoad->hide();
  restoreSnapshot();
  emit workFinished();
}

void frmDataAnalysis::loadFailed() {
  const std::string why = m_task ? m_task->loader().failureMessage() : std::string(kFormatUnsuitableMessage);
  m_task.reset();
  flex1->hide();
  prgbFlex->hide();
  repaint();
  dialogs().message(this, {why, notifyTitle("Open data file for analysis"),
                           NoticeIcon::Information});
  // Unless another file loads, the load ends here with an empty grid (nothing of the
  // rejected file or of the one before remains) and a new file can be opened.
  m_log.reset();
  m_fileName.clear();
  m_model->setUpRecords();
  m_resetting = false;
  for (auto* c : chkSelFunction) {
    c->setChecked(false);
    c->setEnabled(false);
  }
  for (auto* b : {cmdSummarise, cmdSummarySave, cmdChart, cmdReset, cmdAll, cmdClear})
    b->setEnabled(false);
  List1->clear();
  List1->setEnabled(false);
  for (auto* g : {shpAnalysis, shpBand, shpBeacon, shpMonth}) setFrame(g, false);
  cmdOpenFile->setEnabled(true);
  QString path;
  if (chooseFile(path)) {
    takeSnapshot();  // a cancelled load comes back to the empty grid
    m_fileName = path;
    startLoad(m_after);
    return;
  }
  flex1->show();
  emit workFinished();
}

void frmDataAnalysis::loadDone() {
  auto task = std::move(m_task);
  prgbFlex->hide();
  m_log = std::make_shared<const LogData>(task->loader().take());
  m_model->showRecords(m_log);
  for (int c = 0; c < 5; ++c) flex1->setColumnWidth(c, 65);
  cmdReset->setEnabled(true);
  fillMonths();
  flex1->show();
  if (m_after == AfterLoad::OpenFile) {
    cmdSummarise->setEnabled(false);
    cmdReset->setEnabled(false);
    cmdOpenFile->setEnabled(false);
    for (auto* c : chkSelFunction) c->setEnabled(true);
    setFrame(shpAnalysis, true);
  } else {
    for (auto* b : {cmdSummarySave, cmdChart, cmdReset, cmdAll, cmdClear}) b->setEnabled(false);
    List1->setEnabled(false);
    setFrame(shpMonth, false);
    cmdOpenFile->setEnabled(true);
    for (auto* c : chkSelFunction) c->setEnabled(true);
    setFrame(shpAnalysis, true);
    cmdSummarise->setEnabled(false);
    for (int i = 0; i < kBeaconCount; ++i) {
      beID[i]->setChecked(false);
      beID[i]->setEnabled(false);
    beID[i]->setFixedWidth(22);
      setMarker(i, false);
    }
    setBeaconBlue(false);
    setFrame(shpBeacon, false);
    for (auto* b : chkChartBandSel) {
      b->setChecked(false);
      b->setEnabled(false);
    }
    setFrame(shpBand, false);
    m_resetting = false;
  }
  emit workFinished();
}

void frmDataAnalysis::fillMonths() {
  List1->clear();
  if (!m_log) return;
  for (int m : m_log->months()) {
    auto* item = new QListWidgetItem(monthName(m), List1);
    item->setData(Qt::UserRole, m);
    item->setSelected(true);
  }
  setFrame(shpMonth, false);
}

// ---- selection sequence -----------------------------------------------------------

void frmDataAnalysis::selFunctionClicked(int k) {
  if (m_resetting || busy()) return;
  for (auto* c : chkSelFunction) c->setEnabled(false);
  cmdOpenFile->setEnabled(false);
  cmdReset->setEnabled(true);
  setFrame(shpAnalysis, false);
  if (k == 0) {
    m_modeByBeacon = false;
    for (auto* b : beID) b->setEnabled(true);
    setFrame(shpBeacon, true);
  } else {
    m_modeByBeacon = true;
    for (auto* b : chkChartBandSel) b->setEnabled(true);
    setFrame(shpBand, true);
  }
}

void frmDataAnalysis::bandClicked(int i) {
  if (m_resetting || busy()) return;
  if (!m_modeByBeacon) {
    cmdSummarise->setEnabled(true);
  } else {
    for (auto* b : chkChartBandSel) b->setEnabled(false);
    m_selectedBand = i;
    setFrame(shpBand, false);
    setBeaconBlue(true);
    for (auto* b : beID) b->setEnabled(true);
    cmdAll->setEnabled(true);
    cmdClear->setEnabled(true);
    setFrame(shpBeacon, true);
  }
  setFrame(shpMonth, true);
  List1->setEnabled(true);
}

void frmDataAnalysis::beaconClicked(int i) {
  if (m_resetting || busy()) return;
  if (m_modeByBeacon) {
    cmdSummarise->setEnabled(true);
    return;
  }
  m_selectedCallsign = lblBeID[i]->text().toStdString();
  for (auto* b : beID) b->setEnabled(false);
  for (auto* b : chkChartBandSel) b->setEnabled(true);
  setFrame(shpBand, true);
  setFrame(shpBeacon, false);
}

void frmDataAnalysis::allClicked() {
  for (auto* b : beID) b->setChecked(true);
  cmdSummarise->setEnabled(true);
}

void frmDataAnalysis::clearClicked() {
  for (int i = 0; i < kBeaconCount; ++i) {
    beID[i]->setChecked(false);
    setMarker(i, false);
  }
}

// ---- summary ----------------------------------------------------------------------

void frmDataAnalysis::summariseClicked() {
  if (busy() || !m_log) return;
  // Without a month every figure would be 0: a table that looks like silence on the air.
  bool anyMonth = false;
  for (int row = 0; row < List1->count(); ++row) anyMonth = anyMonth || List1->item(row)->isSelected();
  if (!anyMonth) {
    dialogs().message(this, {kNoMonthMessage, notifyTitle("Summarise"), NoticeIcon::Information});
    return;
  }
  for (auto* b : {cmdSummarise, cmdAll, cmdClear, cmdReset}) b->setEnabled(false);
  List1->setEnabled(false);
  prgbFlex->hide();
  prgbFlex->setValue(0);
  flex1->hide();
  setFrame(shpMonth, false);
  for (int i = 0; i < kBeaconCount; ++i) setMarker(i, false);
  setFrame(shpBeacon, false);
  prgbFlex->setMaximum(static_cast<int>(std::min<std::size_t>(m_log->size(), INT_MAX)));
  prgbFlex->show();

  m_request = SummaryRequest{};
  for (int row = 0; row < List1->count(); ++row) {
    const auto* item = List1->item(row);
    if (item->isSelected()) m_request.months[static_cast<std::size_t>(item->data(Qt::UserRole).toInt())] = true;
  }
  if (m_modeByBeacon) {
    m_request.mode = SummaryMode::ByBeacon;
    m_request.band = m_selectedBand;
    for (int i = 0; i < kBeaconCount; ++i) {
      if (!beID[i]->isChecked()) continue;
      m_request.beacons.push_back(lblBeID[i]->text().toStdString());
      setMarker(i, true);  // every ticked beacon's row is computed in the one pass
    }
  } else {
    setFrame(shpBand, false);
    m_request.mode = SummaryMode::ByBand;
    m_request.callsign = m_selectedCallsign;
    for (int b = 0; b < kBandCount; ++b)
      if (chkChartBandSel[b]->isChecked()) m_request.bands.push_back(b);
  }
  m_builder = std::make_unique<SummaryBuilder>(*m_log, m_request);
  QTimer::singleShot(0, this, &frmDataAnalysis::summariseStep);
}

void frmDataAnalysis::summariseStep() {
  if (!m_builder) return;
  const bool done = m_builder->step(kSummaryStep);
  prgbFlex->setValue(static_cast<int>(std::min<std::size_t>(m_builder->recordsDone(), INT_MAX)));
  if (done)
    summaryDone();
  else
    QTimer::singleShot(0, this, &frmDataAnalysis::summariseStep);
}

void frmDataAnalysis::summaryDone() {
  m_result = m_builder->table();
  m_builder.reset();
  m_model->showSummary(m_result);
  flex1->resizeColumnsToContents();

  std::vector<int> listMonths;
  for (int row = 0; row < List1->count(); ++row) listMonths.push_back(List1->item(row)->data(Qt::UserRole).toInt());
  ChartInput input;
  input.table = m_result;
  input.footnote = summaryFootnote(m_fileName.toStdString(), m_request, monthsText(listMonths, m_request.months));
  input.depthTitle = m_modeByBeacon ? "Beacon" : "Band";
  input.plotSpacing = m_modeByBeacon ? 4 : 20;
  if (m_chart) delete m_chart.data();
  m_chart = new frmChart(m_d.TitleText, std::move(input), this);

  flex1->show();
  for (auto* b : {cmdChart, cmdReset, cmdSummarySave}) b->setEnabled(true);
  prgbFlex->hide();
  for (auto* b : beID) b->setEnabled(false);
  setFrame(shpBeacon, false);
  cmdChart->setFocus();
  emit workFinished();
}

void frmDataAnalysis::chartClicked() {
  if (!m_chart) return;
  m_chart->show();
  m_chart->raise();
  cmdChart->setEnabled(false);
}

void frmDataAnalysis::saveClicked() {
  cmdReset->setEnabled(false);
  FileDialogRequest req;
  req.kind = FileDialogRequest::Kind::Save;
  req.title = notifyTitle(kSaveSummaryTitle);
  req.initialFolder = m_d.LogFolder;
  req.fileName = m_d.TitleText + "Summary Log " + mediumDate(localTimeAt(std::chrono::system_clock::now())) + ".csv";
  req.overwritePrompt = true;
  req.hideReadOnly = true;
  req.extensionDifferent = true;
  const FileDialogResult r = dialogs().file(this, req);
  const Notice notSaved{kSummaryNotSaved, notifyTitle(kSaveSummaryTitle), NoticeIcon::Information};
  if (r.cancelled) {
    dialogs().message(this, notSaved);
  } else if (r.path.empty()) {
    dialogs().message(this, {kSelectFile, m_d.TitleText, NoticeIcon::Exclamation});
  } else {
    std::string refusal;
    const SummaryGuard guard{m_fileName.toStdString(), m_d.LogFilePath};
    switch (writeSummaryFile(r.path, m_result, guard, &refusal)) {
      case SummarySave::Saved: break;
      case SummarySave::Refused:
        dialogs().message(this, {refusal, notifyTitle(kSaveSummaryTitle), NoticeIcon::Exclamation});
        break;
      case SummarySave::Failed: dialogs().message(this, notSaved); break;
    }
  }
  cmdReset->setEnabled(true);
}

void frmDataAnalysis::resetClicked() {
  if (busy() || m_fileName.isEmpty()) return;
  takeSnapshot();
  m_resetting = true;
  for (auto* c : chkSelFunction) {
    c->setChecked(false);
    c->setEnabled(false);
  }
  prgbFlex->hide();
  flex1->hide();
  startLoad(AfterLoad::Reset);
}

}  // namespace harkola
