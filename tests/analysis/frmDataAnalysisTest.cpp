#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <fstream>

#include "LogTestData.h"
#include "analysis/LogGridModel.h"
#include "analysis/frmChart.h"
#include "analysis/frmDataAnalysis.h"
#include "data/DefaultData.h"
#include "data/StartupChecks.h"
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

const QColor kBlue(0, 0, 255), kGrey(128, 128, 128), kYellow(255, 255, 0);
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
    const auto p = (dir / name).string();
    std::ofstream(p, std::ios::binary) << text;
    return p;
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
  EXPECT_EQ(w->windowTitle(), "Harkola 5  Data analysis");
  EXPECT_EQ(w->lblBeID[4]->text(), "ZL6B");
  w->show();
  w->close();
  w->show();  // opened again
  EXPECT_EQ(std::pair(host.pauses, host.resumes), std::pair(2, 1));

  open(sample);
  ASSERT_EQ(dialogs.fileRequests.size(), 1u);
  const auto& req = dialogs.fileRequests[0];
  EXPECT_EQ(std::tuple(req.kind, req.fileName, req.initialFolder),
            std::tuple(FileDialogRequest::Kind::Open, std::string("Harkola 5 Heard Log"), d.LogFolder));
  EXPECT_TRUE(req.fileMustExist && req.pathMustExist && req.hideReadOnly);
  EXPECT_EQ(w->grid().rowCount(), 5);
  EXPECT_EQ(cell(0, 1) + cell(4, 0), "722/08/01");  // sorted
  EXPECT_EQ(w->Label6->text(), "Total records in file 5");
  ASSERT_EQ(w->List1->count(), 1);
  EXPECT_TRUE(w->List1->item(0)->text() == "August" && w->List1->item(0)->isSelected());
  EXPECT_TRUE(w->chkSelFunction[0]->isEnabled() && !w->cmdOpenFile->isEnabled() && !w->cmdReset->isEnabled());
  EXPECT_EQ(std::pair(frame(w->shpAnalysis), frame(w->shpMonth)), std::pair(kBlue, kGrey));
  EXPECT_TRUE(!w->flex1->isHidden() && w->prgbFlex->isHidden());

  w->chkSelFunction[1]->click();
  EXPECT_EQ(frame(w->shpBand), kBlue);
  for (QAbstractButton* b : {w->chkChartBandSel[0], w->beID[13], w->beID[4]}) b->click();  // 14 MHz, OH2B, ZL6B
  EXPECT_EQ(std::pair(frame(w->shpBand), frame(w->shpBeacon)), std::pair(kGrey, kBlue));
  click(w->cmdSummarise);
  ASSERT_EQ(w->grid().rowCount(), 2);
  EXPECT_EQ(w->grid().headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "Callsign");
  EXPECT_EQ(cell(0, 0) + cell(1, 0), "ZL6BOH2B");  // beacon order
  EXPECT_EQ(cell(1, 7), "5");
  EXPECT_TRUE(frmDataAnalysis::markerColour(w->shpSorted[4]) == kYellow &&
              frmDataAnalysis::markerColour(w->shpSorted[0]) != kYellow);
  EXPECT_TRUE(w->cmdChart->isEnabled() && w->cmdSummarySave->isEnabled() && !w->beID[4]->isEnabled());
  ASSERT_NE(w->chart(), nullptr);
  EXPECT_EQ(w->chart()->footnote().toStdString(), "FILE - " + sample + "     BAND - 14MHz    MONTHS - August");

  const auto out = (dir / "summary.csv").string();
  dialogs.files.push_back({false, out});
  w->cmdSummarySave->click();
  ASSERT_EQ(dialogs.fileRequests.size(), 2u);
  const auto& save = dialogs.fileRequests[1];
  EXPECT_TRUE(save.overwritePrompt && save.extensionDifferent && save.fileName.rfind("Harkola 5 Summary Log ", 0) == 0);
  std::ifstream in(out, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(text.rfind("\"Callsign\",\"1 hrs\",\"2 hrs\",\"3 hrs\"", 0), 0u);
  // (1 + 4) / 2 = 2.5 shows as 2 at 9 hrs
  EXPECT_NE(text.find("\r\n\"ZL6B\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"2\",\"3\",\"0\""), std::string::npos);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);

  w->cmdSummarySave->click();  // cancelled
  EXPECT_EQ(dialogs.messages.back(), (Notice{"Summary Log file NOT saved", "Harkola 5 Archiving", NoticeIcon::Information}));

  // After Reset: one beacon on any band (18 MHz), then the same with no month gives zeros.
  for (bool noMonth : {false, true}) {
    click(w->cmdReset);
    EXPECT_EQ(w->grid().rowCount(), 5);
    EXPECT_TRUE(w->cmdOpenFile->isEnabled() && !w->beID[4]->isChecked() && !w->cmdChart->isEnabled());
    EXPECT_EQ(frame(w->shpAnalysis), kBlue);
    for (QAbstractButton* b : {w->chkSelFunction[0], w->beID[4], w->chkChartBandSel[1]}) b->click();
    EXPECT_FALSE(w->beID[0]->isEnabled());
    if (noMonth) w->List1->clearSelection();
    click(w->cmdSummarise);
    EXPECT_EQ(w->grid().rowCount(), 1);
    EXPECT_EQ(cell(0, 0) + cell(0, 9), noMonth ? "18MHz0" : "18MHz6");
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
  EXPECT_EQ(dialogs.messages[0], (Notice{"No file opened", "Harkola 5 Open data file for analysis",
                                         NoticeIcon::Information}));
  EXPECT_EQ(dialogs.messages[1], (Notice{"Please select a file or click cancel", "Harkola 5 ", NoticeIcon::Exclamation}));
  EXPECT_EQ(dialogs.messages[2], (Notice{"The input data file format is unsuitable.",
                                         "Harkola 5 Open data file for analysis", NoticeIcon::Information}));
  EXPECT_TRUE(w->grid().rowCount() == 1 && cell(0, 0) == "");  // the empty set-up grid
  EXPECT_TRUE(w->cmdOpenFile->isEnabled() && !w->chkSelFunction[0]->isEnabled());

  dialogs.files.push_back({false, sample});  // this time the dialog after the error picks a good file
  open(bad);
  EXPECT_EQ(cell(0, 3), "OH2B");
  EXPECT_EQ(w->fileName().toStdString(), sample);
}

ChartInput oneRow() {
  ChartInput in;
  in.table = {{"Callsign"}, {"ZL6B"}};
  for (int h = 1; h < 24; ++h) {
    in.table[0].push_back(std::to_string(h) + " hrs");
    in.table[1].push_back(std::to_string(h % 10));
  }
  in.footnote = "FILE - x.csv     BAND - 14MHz    MONTHS - August";
  in.depthTitle = "Beacon";
  return in;
}

TEST(SummaryChart, OneRowIsOneSeriesOf23PointsWithTooltipsTitleAnd3DBar) {
  test::ScriptedDialogs dialogs;
  frmChart c("Harkola 5 ", oneRow());
  EXPECT_EQ(c.windowTitle(), "Harkola 5 Summary data chart");
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
  c.chartActivated();
  EXPECT_EQ(c.MSChart1->toolTip(),
            "Press CTRL and use mouse left button to rotate.  Press mouse right button for options");
  dialogs.inputs.push_back(QString("Evening paths"));
  c.mnuPopUpEditTitle->trigger();
  EXPECT_EQ(c.chartTitle() + dialogs.inputPrompts.back(), "Evening pathsEnter your title text");
  c.mnuPopUpEditTitle->trigger();  // cancel
  EXPECT_EQ(c.chartTitle(), "");

  // 3-D bar keeps the depth gap and width ratio of the 3-D line.
  c.show();
  c.mnuPopUp3DBar->trigger();
  QApplication::processEvents();
  EXPECT_EQ(std::tuple(c.display(), c.depthGap(), c.widthToHeight()), std::tuple(frmChart::Display::Bar3D, 50, 2.0));
  // Without OpenGL (offscreen) the 3-D displays fall back to 2-D with a note.
  EXPECT_EQ(c.lblNote->isHidden(), c.has3D());
  EXPECT_EQ(c.MSChart1->currentWidget()->inherits("QChartView"), !c.has3D());
}

}  // namespace
}  // namespace harkola
