#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTableView>
#include <QWheelEvent>
#include <QtCharts/QChartView>
#include <QtCharts/QLegend>
#include <QtCharts/QLineSeries>

#include "LogTestData.h"
#include "analysis/LogGridModel.h"
#include "analysis/frmChart.h"
#include "analysis/frmDataAnalysis.h"
#include "data/DefaultData.h"
#include "data/StartupChecks.h"
#include "support/Files.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"
#include "support/WaitFor.h"

namespace harkola {
namespace {

using test::logImage;

struct FakeHost : AnalysisHost {
  int pauses = 0, resumes = 0;
  void pauseForAnalysis() override { ++pauses; }
  void resumeAfterAnalysis() override { ++resumes; }
};

const QColor kBlue(0, 0, 255), kGrey(128, 128, 128);
QColor frame(const QGroupBox* f) { return frmDataAnalysis::frameColour(f); }

class DataAnalysisWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    d.LogFolder = dir.path.string();
    d.BeaconTable = *parseBeacons(defaultBeaconData());
    sample = write("sample.csv", logImage({{"22/08/01", "10", "14", "ZL6B", "3"},
                                           {"20/08/01", "9", "14", "ZL6B", "1"},
                                           {"20/08/01", "9", "14", "ZL6B", "4"},
                                           {"20/08/01", "7", "14", "OH2B", "5"},
                                           {"21/08/01", "9", "18", "ZL6B", "6"}}));
    w = std::make_unique<frmDataAnalysis>(d, &host);
  }
  std::string write(const char* name, const std::string& text) {
    test::appendFile(dir / name, text);
    return (dir / name).string();
  }
  void settle() {
    ASSERT_TRUE(test::waitFor([this] { return !w->busy(); })) << "the analysis window is still busy after 10 s";
    QApplication::processEvents();
  }
  void open(const std::string& path) {
    dialogs.files.push_back({false, path});
    w->cmdOpenFile->click();
    settle();
  }
  void click(QAbstractButton* b) {
    b->click();
    settle();
  }
  QString cell(int row, int col) const { return w->grid().text(row, col); }

  test::TempFolder dir{"harkola-analysis-ui"};
  PublicDecs d;
  FakeHost host;
  test::ScriptedDialogs dialogs;
  std::string sample;
  std::unique_ptr<frmDataAnalysis> w;
};

TEST_F(DataAnalysisWindow, LoadsSortedSummarisesSavesAndResetsWhileTheHostIsPaused) {
  w->show();
  w->close();
  w->show();  // opened again
  EXPECT_EQ(std::pair(host.pauses, host.resumes), std::pair(2, 1));

  open(sample);
  EXPECT_EQ(cell(0, 1) + cell(4, 0), "722/08/01");  // the sorted records
  ASSERT_EQ(w->List1->count(), 1);
  EXPECT_TRUE(w->List1->item(0)->isSelected());
  EXPECT_TRUE(w->chkSelFunction[0]->isEnabled() && !w->cmdOpenFile->isEnabled() && !w->cmdReset->isEnabled());
  EXPECT_EQ(std::pair(frame(w->shpAnalysis), frame(w->shpMonth)), std::pair(kBlue, kGrey));

  w->chkSelFunction[1]->click();
  EXPECT_EQ(frame(w->shpBand), kBlue);
  for (QAbstractButton* b : {w->chkChartBandSel[0], w->beID[13], w->beID[4]}) b->click();  // 14 MHz, OH2B, ZL6B
  EXPECT_EQ(std::pair(frame(w->shpBand), frame(w->shpBeacon)), std::pair(kGrey, kBlue));
  click(w->cmdSummarise);
  ASSERT_EQ(w->grid().rowCount(), 2);
  EXPECT_EQ(cell(1, 0) + cell(1, 7), "OH2B5");
  EXPECT_TRUE(w->cmdChart->isEnabled() && w->cmdSummarySave->isEnabled() && !w->beID[4]->isEnabled());

  const auto out = (dir / "summary.csv").string();
  dialogs.files.push_back({false, out});
  w->cmdSummarySave->click();
  // The summary shown, as the core writes it: (1 + 4) / 2 = 2.5 shows as 2 at 9 hrs.
  EXPECT_NE(test::fileText(out).find("\r\n" R"("ZL6B","0","0","0","0","0","0","0","0","2","3","0")"),
            std::string::npos);

  w->cmdSummarySave->click();  // cancelled
  EXPECT_EQ(dialogs.messages.back().text, "Summary Log file NOT saved");

  // After Reset: one beacon on any band (18 MHz); the same with no month is refused with
  // a message instead of a table of zeros.
  for (bool noMonth : {false, true}) {
    click(w->cmdReset);
    EXPECT_EQ(w->grid().rowCount(), 5);
    EXPECT_TRUE(w->cmdOpenFile->isEnabled() && !w->beID[4]->isChecked() && !w->cmdChart->isEnabled());
    EXPECT_EQ(frame(w->shpAnalysis), kBlue);
    for (QAbstractButton* b : {w->chkSelFunction[0], w->beID[4], w->chkChartBandSel[1]}) b->click();
    EXPECT_FALSE(w->beID[0]->isEnabled());
    if (noMonth) w->List1->clearSelection();
    click(w->cmdSummarise);
    if (noMonth) {
      EXPECT_EQ(dialogs.messages.back().text,
                "No month is selected. Select one or more months in the list, then press Summarise.");
      EXPECT_EQ(w->grid().rowCount(), 5);  // the records stay; nothing was summarised
      EXPECT_TRUE(w->cmdSummarise->isEnabled() && !w->cmdSummarySave->isEnabled());
    } else {
      EXPECT_EQ(w->grid().rowCount(), 1);
      EXPECT_EQ(cell(0, 0) + cell(0, 9), "18MHz6");
    }
  }
  w->close();
  EXPECT_EQ(host.resumes, 2);
  w.reset();  // going away with its owner calls nobody back
  EXPECT_EQ(host.resumes, 2);
}

TEST_F(DataAnalysisWindow, CancelEmptyNameAndFormatErrorLoadNothing) {
  w->cmdOpenFile->click();  // no scripted file: cancel
  dialogs.files.push_back({false, ""});
  w->cmdOpenFile->click();
  const auto bad = write("bad.csv", logImage({{"20/08/01", "9", "14", "A", "1"}, {"x", "9", "14", "B", "1"}}));
  open(bad);  // the dialog after the error is cancelled
  ASSERT_GE(dialogs.messages.size(), 3u);
  EXPECT_EQ(dialogs.messages[0].text, "No file opened");
  EXPECT_EQ(dialogs.messages[1].text, "Please select a file or click cancel");
  EXPECT_NE(dialogs.messages[2].text.find("Line 2 could not be read"), std::string::npos);  // the loader's words
  EXPECT_TRUE(w->grid().rowCount() == 1 && cell(0, 0) == "");  // the empty set-up grid
  EXPECT_TRUE(w->cmdOpenFile->isEnabled() && !w->chkSelFunction[0]->isEnabled());

  dialogs.files.push_back({false, sample});  // this time the dialog after the error picks a good file
  open(bad);
  EXPECT_EQ(cell(0, 3), "OH2B");
  EXPECT_EQ(w->fileName().toStdString(), sample);
}

void summariseByBeacon(frmDataAnalysis& w) {
  w.chkSelFunction[1]->click();
  for (QAbstractButton* b : {w.chkChartBandSel[0], w.beID[4]}) b->click();  // 14 MHz, ZL6B
  w.cmdSummarise->click();
}

// A load runs on while the window answers; Cancel (or Esc) leaves the window as it was.
TEST_F(DataAnalysisWindow, ACancelledLoadLeavesTheWindowAsItWas) {
  open(sample);
  summariseByBeacon(*w);
  settle();
  w->cmdReset->click();
  EXPECT_TRUE(w->loading() && !w->prgbFlex->isHidden() && !w->cmdCancelLoad->isHidden() && w->flex1->isHidden());
  EXPECT_FALSE(w->cmdChart->isEnabled() || w->cmdReset->isEnabled());
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(w.get(), &esc);
  EXPECT_FALSE(w->busy());
  EXPECT_EQ(cell(0, 0), "ZL6B");  // the summary, not the records
  EXPECT_TRUE(w->chkSelFunction[1]->isChecked() && w->cmdChart->isEnabled() && w->cmdReset->isEnabled());
  EXPECT_TRUE(!w->flex1->isHidden() && w->prgbFlex->isHidden() && w->cmdCancelLoad->isHidden());

  click(w->cmdReset);
  dialogs.files.push_back({false, write("other.csv", logImage({{"01/09/01", "9", "14", "OH2B", "2"}}))});
  w->cmdOpenFile->click();
  EXPECT_TRUE(w->loading() && !w->chkSelFunction[0]->isEnabled());
  w->cmdCancelLoad->click();
  EXPECT_EQ(std::pair(w->grid().rowCount(), w->fileName().toStdString()), std::pair(5, sample));
  EXPECT_EQ(w->Label6->text(), "Total records in file 5");
  EXPECT_TRUE(w->chkSelFunction[0]->isEnabled() && w->cmdOpenFile->isEnabled());
}

// A log of more records than the view should keep rows for scrolls through a window of
// rows, by its own bar, the wheel and the page keys.
TEST_F(DataAnalysisWindow, ALongLogScrollsThroughAWindowOfRows) {
  std::string text = "\"19/08/01\",\"1\",\"14\",\"OH2B\",\"2\"\r\n";
  for (std::size_t i = 0; i < LogGridModel::kAllRowsUpTo; ++i) text += "\"20/08/01\",\"9\",\"14\",\"ZL6B\",\"4\"\r\n";
  text += "\"21/08/01\",\"23\",\"28\",\"CS3B\",\"7\"\r\n";
  w->resize(1200, 700);
  w->show();
  open(write("long.csv", text));
  auto* bar = w->findChild<QScrollBar*>("vsbRecords");
  ASSERT_TRUE(bar && !bar->isHidden());
  EXPECT_EQ(w->Label6->text(), "Total records in file 100002");
  EXPECT_LT(w->grid().rowCount(), 100);
  EXPECT_EQ(cell(0, 3), "OH2B");
  QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::NoModifier);
  QApplication::sendEvent(w->flex1, &end);
  EXPECT_EQ(cell(w->grid().rowCount() - 1, 3), "CS3B");
  QWheelEvent up(QPointF(10, 10), w->flex1->viewport()->mapToGlobal(QPoint(10, 10)), {}, QPoint(0, 120 * 50),
                 Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(w->flex1->viewport(), &up);
  EXPECT_TRUE(bar->value() < bar->maximum() && cell(0, 3) == "ZL6B");
}

TEST_F(DataAnalysisWindow, ASummaryIsNeverSavedOverTheAnalysedOrTheLiveLog) {
  d.LogFilePath = write("Harkola 5 Heard Log.csv", "\"20/08/01\",\"9\",\"14\",\"ZL6B\",\"1\"\r\n");
  open(sample);
  summariseByBeacon(*w);
  settle();
  for (const std::string& target : {sample, d.LogFilePath}) {
    const std::string before = test::fileText(target);
    dialogs.files.push_back({false, target});
    w->cmdSummarySave->click();
    EXPECT_EQ(dialogs.messages.back().text, summaryRefusal(target, {sample, d.LogFilePath}));
    EXPECT_EQ(test::fileText(target), before);
  }
}

ChartInput oneRow() {
  ChartInput in;
  in.table = {{"Callsign"}, {"ZL6B"}};
  for (int h = 1; h < 24; ++h) {
    in.table[0].push_back(std::to_string(h) + " hrs");
    in.table[1].push_back(std::to_string(h % 10));
  }
  return in;
}

TEST(SummaryChart, OneRowIsOneSeriesOf23PointsWithTooltipsTitleAnd3DBar) {
  test::ScriptedDialogs dialogs;
  frmChart c("Harkola 5 ", oneRow());
  EXPECT_TRUE(c.display() == frmChart::Display::Line3D && c.seriesCount() == 1);
  c.setDisplay(frmChart::Display::Line2D);
  auto series = c.findChild<QChartView*>()->chart()->series();
  ASSERT_EQ(series.size(), 1);
  EXPECT_TRUE(static_cast<QLineSeries*>(series[0])->count() == 23 && series[0]->name() == "ZL6B");
  c.setDisplay(frmChart::Display::Step2D);  // a step holds each level up to the next hour
  series = c.findChild<QChartView*>()->chart()->series();
  EXPECT_EQ(static_cast<QLineSeries*>(series[0])->count(), 45);

  c.pointSelected(1, 7);
  EXPECT_EQ(c.MSChart1->toolTip(), "Signal strength: 7, Time: 7hrs");
  dialogs.inputs.push_back(QString("Evening paths"));
  c.mnuPopUpEditTitle->trigger();
  EXPECT_EQ(c.chartTitle(), "Evening paths");
  c.mnuPopUpEditTitle->trigger();  // cancel
  EXPECT_EQ(c.chartTitle(), "");

  c.show();
  c.displayAction(frmChart::Display::Bar3D)->trigger();
  QApplication::processEvents();
  EXPECT_EQ(c.display(), frmChart::Display::Bar3D);
  // Without OpenGL (offscreen) the 3-D displays fall back to 2-D with a note.
  EXPECT_EQ(c.lblNote->isHidden(), c.has3D());
  EXPECT_EQ(c.MSChart1->currentWidget()->inherits("QChartView"), !c.has3D());
}

// All eighteen beacons on one 2-D chart (their colours are the palette's, checked there):
// the legend stays beside the plot instead of over it.
TEST(SummaryChart, TheLegendOfEighteenBeaconsStaysOffThePlot) {
  ChartInput in = oneRow();
  in.table.resize(19, in.table[1]);
  const BeaconGrid beacons = *parseBeacons(defaultBeaconData());
  for (std::size_t s = 1; s <= 18; ++s) in.table[s][0] = beacons[s][3];
  for (auto display : {frmChart::Display::Line2D, frmChart::Display::Bar2D}) {
    frmChart c("Harkola 5 ", in);
    c.setDisplay(display);
    c.show();
    QApplication::processEvents();
    QChart* chart = c.findChild<QChartView*>()->chart();
    EXPECT_FALSE(chart->legend()->geometry().intersects(chart->plotArea()));
  }
}

}  // namespace
}  // namespace harkola
