#pragma once
// The summary chart: average S level against hour of day, one series per table row
// (per beacon or per band). A pop-up menu switches between 2-D line, bar and step
// displays (Qt Charts) and 3-D line and bar displays (Qt DataVisualization, rotated
// with the mouse). Without an OpenGL context the 3-D displays fall back to their 2-D
// form with a note, since the 3-D graphs cannot run there.

#include <QPointer>
#include <QWidget>
#include <string>
#include <utility>
#include <vector>

#include "analysis/LogSummary.h"

class Q3DBars;
class Q3DSurface;
class QAbstract3DAxis;
class QAbstract3DInputHandler;
class QValue3DAxis;
class QAction;
class QLabel;
class QMenu;
class QStackedWidget;
class QChart;
class QChartView;

namespace harkola {

// What a summary hands to the chart.
struct ChartInput {
  SummaryTable table;      // row 0 headings, column 0 row labels, cells 1..23 averages
  std::string footnote;
  std::string depthTitle;  // "Beacon" or "Band"
  int plotSpacing = 4;     // gap between series, in percent of a series' depth
};

class frmChart : public QWidget {
  Q_OBJECT

 public:
  // The chart types by their classic codes.
  enum class Display { Bar3D = 0, Bar2D = 1, Line3D = 2, Line2D = 3, Step2D = 7 };

  frmChart(const std::string& titleText, ChartInput input, QWidget* parent = nullptr);
  ~frmChart() override;

  void setDisplay(Display d);
  Display display() const { return m_display; }
  // True when the 3-D graphs are drawn (else 3-D displays show their 2-D form).
  bool has3D() const;

  int seriesCount() const { return static_cast<int>(m_input.table.size()) - 1; }
  int pointCount() const { return 23; }
  // The value of data point `point` (1..23) of series `series` (1..rows), as text.
  QString value(int series, int point) const;
  QString seriesLegend(int series) const;
  QString chartTitle() const { return m_title; }
  QString footnote() const;
  int depthGap() const { return m_depthGap; }
  double widthToHeight() const { return m_widthToHeight; }

  // Events of the chart: tooltip texts.
  void pointSelected(int series, int point);
  void seriesSelected(int series);
  void chartActivated();
  void editTitle();

  // The pop-up menu: the displays in the sub-menus mnu2d and mnu3d (mnuPopUp2D,
  // mnuPopUp2DBar, mnu2DStep, mnuPopUp3D, mnuPopUp3DBar), then its own entries.
  QMenu* mnuPopUpTop = nullptr;
  QAction* displayAction(Display d) const;
  QAction* mnuPopUpEditTitle = nullptr;
  QAction* mnuPopUpExit = nullptr;

  // The drawing area; `MSChart1` is its object name.
  QStackedWidget* MSChart1 = nullptr;
  QLabel* lblNote = nullptr;

 protected:
  void contextMenuEvent(QContextMenuEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void build2D(Display d);
  void build3D(Display d);
  Q3DBars* makeBars3D(QAbstract3DInputHandler* handler);
  Q3DSurface* makeSurface3D(QAbstract3DInputHandler* handler);
  void setUpAxes3D(QAbstract3DAxis* time, QValue3DAxis* value, QAbstract3DAxis* depth);
  void applyTitle();
  double topValue() const;  // top of the value axis: the largest value, at least 1

  std::string m_titleText;
  ChartInput m_input;
  Display m_display = Display::Line3D;
  QString m_title;
  int m_depthGap = 0;
  double m_widthToHeight = 1.0;
  QChartView* m_view2D = nullptr;
  QWidget* m_container3D = nullptr;
  QObject* m_graph3D = nullptr;  // the Q3DBars or Q3DSurface behind m_container3D
  QLabel* m_titleLabel = nullptr;
  QLabel* m_footnoteLabel = nullptr;
  std::vector<std::pair<Display, QAction*>> m_displayActions;
};

}  // namespace harkola
