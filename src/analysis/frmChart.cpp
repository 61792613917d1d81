#include "analysis/frmChart.h"

#include "analysis/ChartPalette.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QOpenGLContext>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <QtDataVisualization/q3dbars.h>
#include <QtDataVisualization/q3dcamera.h>
#include <QtDataVisualization/q3dinputhandler.h>
#include <QtDataVisualization/q3dscene.h>
#include <QtDataVisualization/q3dsurface.h>
#include <QtDataVisualization/q3dtheme.h>
#include <QtDataVisualization/qbar3dseries.h>
#include <QtDataVisualization/qbardataproxy.h>
#include <QtDataVisualization/qcategory3daxis.h>
#include <QtDataVisualization/qsurface3dseries.h>
#include <QtDataVisualization/qsurfacedataproxy.h>
#include <QtDataVisualization/qvalue3daxis.h>
#include <QtDataVisualization/qvalue3daxisformatter.h>
#include <cmath>

#include "ui/UserDialogs.h"
#include "ui/Named.h"

namespace harkola {

namespace {

bool isThreeD(frmChart::Display d) { return d == frmChart::Display::Line3D || d == frmChart::Display::Bar3D; }

const char* kActivatedTip = "Press CTRL and use mouse left button to rotate.  Press mouse right button for options";

// CTRL with the left button rotates the camera; the right button opens the menu.
class ChartInputHandler : public Q3DInputHandler {
 public:
  explicit ChartInputHandler(std::function<void()> onMenu, std::function<void()> onPress)
      : m_onMenu(std::move(onMenu)), m_onPress(std::move(onPress)) {}
  void mousePressEvent(QMouseEvent* e, const QPoint& pos) override {
    if (e->button() == Qt::RightButton) {
      m_onMenu();
      return;
    }
    m_onPress();
    if (e->button() == Qt::LeftButton && (e->modifiers() & Qt::ControlModifier)) {
      QMouseEvent rotate(e->type(), e->position(), e->globalPosition(), Qt::RightButton, Qt::RightButton,
                         Qt::NoModifier);
      Q3DInputHandler::mousePressEvent(&rotate, pos);
      return;
    }
    Q3DInputHandler::mousePressEvent(e, pos);
  }
  void mouseReleaseEvent(QMouseEvent* e, const QPoint& pos) override {
    if (e->button() == Qt::LeftButton) {
      QMouseEvent rotate(e->type(), e->position(), e->globalPosition(), Qt::RightButton, Qt::NoButton,
                         Qt::NoModifier);
      Q3DInputHandler::mouseReleaseEvent(&rotate, pos);
    }
    Q3DInputHandler::mouseReleaseEvent(e, pos);
  }

 private:
  std::function<void()> m_onMenu, m_onPress;
};

// Depth-axis labels of the 3-D line display: the series' row labels at 1..rows.
class RowLabelFormatter : public QValue3DAxisFormatter {
 public:
  explicit RowLabelFormatter(QStringList labels = {}) : m_labels(std::move(labels)) {}
  QValue3DAxisFormatter* createNewInstance() const override { return new RowLabelFormatter(m_labels); }
  void populateCopy(QValue3DAxisFormatter& copy) const override {
    QValue3DAxisFormatter::populateCopy(copy);
    static_cast<RowLabelFormatter&>(copy).m_labels = m_labels;
  }
  QString stringForValue(qreal value, const QString&) const override {
    const long i = std::lround(value) - 1;
    return i >= 0 && i < m_labels.size() && std::fabs(value - std::round(value)) < 0.01 ? m_labels[i] : QString();
  }

 private:
  QStringList m_labels;
};

QColor colourOf(int series) {
  const ChartColour c = seriesColour(series);
  return QColor(c.red, c.green, c.blue);
}

// The 3-D graphs need a window system with OpenGL. Under the offscreen and minimal
// platforms even constructing one can crash, so those are ruled out before any probe.
bool canDraw3D() {
  static const bool ok = [] {
    const QString platform = QGuiApplication::platformName();
    if (platform == "offscreen" || platform == "minimal" || platform == "vnc") return false;
    QOpenGLContext context;
    if (!context.create()) return false;
    Q3DBars probe;
    return probe.hasContext();
  }();
  return ok;
}


}  // namespace

frmChart::frmChart(const std::string& titleText, ChartInput input, QWidget* parent)
    : QWidget(parent, Qt::Window), m_titleText(titleText), m_input(std::move(input)) {
  setObjectName("frmChart");
  setWindowTitle(qs(titleText + "Summary data chart"));
  resize(1000, 680);
  if (m_input.table.size() < 2) m_input.table.resize(2);
  for (auto& row : m_input.table) row.resize(24);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  m_titleLabel = named(new QLabel(this), "lblTitle");
  m_titleLabel->setAlignment(Qt::AlignCenter);
  m_titleLabel->setFont(QFont("Arial", 14, QFont::Bold));
  m_titleLabel->hide();
  layout->addWidget(m_titleLabel);
  lblNote = named(new QLabel(this), "lblNote");
  lblNote->setAlignment(Qt::AlignCenter);
  lblNote->hide();
  layout->addWidget(lblNote);
  MSChart1 = named(new QStackedWidget(this), "MSChart1");
  layout->addWidget(MSChart1, 1);
  m_footnoteLabel = named(new QLabel(qs(m_input.footnote), this), "lblFootnote");
  m_footnoteLabel->setFont(QFont("Arial", 10));
  m_footnoteLabel->setWordWrap(true);
  m_footnoteLabel->setContentsMargins(8, 2, 8, 6);
  layout->addWidget(m_footnoteLabel);

  m_view2D = new QChartView(MSChart1);
  m_view2D->setRenderHint(QPainter::Antialiasing);
  m_view2D->viewport()->installEventFilter(this);
  MSChart1->addWidget(m_view2D);

  mnuPopUpTop = named(new QMenu("Chart Options", this), "mnuPopUpTop");
  QMenu* mnu2d = mnuPopUpTop->addMenu("2-D displays");
  mnu2d->setObjectName("mnu2d");
  QMenu* mnu3d = mnuPopUpTop->addMenu("3-D displays");
  mnu3d->setObjectName("mnu3d");
  const struct {
    Display display;
    const char* name;
    const char* caption;
  } entries[] = {{Display::Line2D, "mnuPopUp2D", "2-D line display"},
                 {Display::Bar2D, "mnuPopUp2DBar", "2-D bar display"},
                 {Display::Step2D, "mnu2DStep", "2-D step display"},
                 {Display::Line3D, "mnuPopUp3D", "3-D line display (default)"},
                 {Display::Bar3D, "mnuPopUp3DBar", "3-D bar display"}};
  for (const auto& e : entries) {
    QAction* a = (isThreeD(e.display) ? mnu3d : mnu2d)->addAction(e.caption);
    a->setObjectName(e.name);
    const Display d = e.display;
    connect(a, &QAction::triggered, this, [this, d] { setDisplay(d); });
    m_displayActions.emplace_back(d, a);
  }
  mnuPopUpEditTitle = mnuPopUpTop->addAction("Edit Title");
  mnuPopUpEditTitle->setObjectName("mnuPopUpEditTitle");
  connect(mnuPopUpEditTitle, &QAction::triggered, this, &frmChart::editTitle);
  mnuPopUpExit = mnuPopUpTop->addAction("Exit ");
  mnuPopUpExit->setObjectName("mnuPopUpExit");
  connect(mnuPopUpExit, &QAction::triggered, this, &QWidget::close);

  setDisplay(Display::Line3D);
}

frmChart::~frmChart() = default;

QAction* frmChart::displayAction(Display d) const {
  for (const auto& [display, action] : m_displayActions)
    if (display == d) return action;
  return nullptr;
}

bool frmChart::has3D() const { return canDraw3D(); }

QString frmChart::value(int series, int point) const {
  if (series < 1 || series >= static_cast<int>(m_input.table.size()) || point < 1 || point > 23) return {};
  return qs(m_input.table[static_cast<std::size_t>(series)][static_cast<std::size_t>(point)]);
}

QString frmChart::seriesLegend(int series) const {
  if (series < 1 || series >= static_cast<int>(m_input.table.size())) return {};
  return qs(m_input.table[static_cast<std::size_t>(series)][0]);
}

QString frmChart::footnote() const { return m_footnoteLabel->text(); }

void frmChart::pointSelected(int series, int point) {
  MSChart1->setToolTip(qs(pointTooltip(value(series, point).toStdString(), point)));
}

void frmChart::seriesSelected(int series) { MSChart1->setToolTip(seriesLegend(series)); }

void frmChart::chartActivated() { MSChart1->setToolTip(kActivatedTip); }

void frmChart::editTitle() {
  const auto answer = dialogs().input(this, "Enter your title text", qs(m_titleText + " Chart"), QString());
  m_title = answer.value_or(QString());
  applyTitle();
}

void frmChart::applyTitle() {
  m_titleLabel->setText(m_title);
  m_titleLabel->setVisible(!m_title.isEmpty());
}

void frmChart::contextMenuEvent(QContextMenuEvent* e) { mnuPopUpTop->popup(e->globalPos()); }

bool frmChart::eventFilter(QObject* watched, QEvent* e) {
  if (watched == m_view2D->viewport() && e->type() == QEvent::MouseButtonPress) {
    auto* me = static_cast<QMouseEvent*>(e);
    if (me->button() == Qt::RightButton) {
      mnuPopUpTop->popup(me->globalPosition().toPoint());
      return true;
    }
    chartActivated();  // a point or series under the mouse then sets its own tooltip
  }
  return QWidget::eventFilter(watched, e);
}

void frmChart::setDisplay(Display d) {
  m_display = d;
  if (d == Display::Line3D) {
    m_depthGap = 50;
    m_widthToHeight = 2.0;
  }
  const bool is3D = isThreeD(d);
  if (is3D && has3D()) {
    lblNote->hide();
    build3D(d);
    return;
  }
  if (is3D) {
    lblNote->setText("3-D displays need OpenGL, which is not available here: the 2-D form is shown.");
    lblNote->show();
  } else {
    lblNote->hide();
  }
  build2D(d == Display::Line3D ? Display::Line2D : d == Display::Bar3D ? Display::Bar2D : d);
}

double frmChart::topValue() const {
  double top = 1;
  for (int s = 1; s <= seriesCount(); ++s)
    for (int p = 1; p <= 23; ++p) top = std::max(top, value(s, p).toDouble());
  return std::ceil(top);
}

void frmChart::build2D(Display d) {
  auto* chart = new QChart;
  chart->setTheme(QChart::ChartThemeLight);
  chart->setBackgroundBrush(Qt::white);
  chart->setPlotAreaBackgroundVisible(false);
  // The legend sits beside the plot, never over it: one column on the right.
  chart->legend()->setFont(QFont("Arial", 9));
  chart->legend()->setAlignment(Qt::AlignRight);
  chart->legend()->attachToChart();
  chart->legend()->setShowToolTips(true);
  const int rows = seriesCount();
  auto* yAxis = new QValueAxis;
  yAxis->setTitleText("Signal Strength");
  yAxis->setLabelFormat("%d");
  yAxis->setLabelsFont(QFont("Arial", 9));
  const double top = topValue();
  yAxis->setRange(0, top);
  yAxis->setTickCount(static_cast<int>(std::min(top, 10.0)) + 1);
  chart->addAxis(yAxis, Qt::AlignLeft);
  const QFont categoryFont("Arial", 11);

  if (d == Display::Bar2D) {
    auto* bars = new QBarSeries;
    QStringList cats;
    for (int p = 1; p <= 23; ++p) cats << qs(m_input.table[0][static_cast<std::size_t>(p)]);
    for (int s = 1; s <= rows; ++s) {
      auto* set = new QBarSet(seriesLegend(s));
      set->setColor(colourOf(s));
      set->setBorderColor(colourOf(s));
      for (int p = 1; p <= 23; ++p) *set << value(s, p).toDouble();
      connect(set, &QBarSet::clicked, this, [this, s](int index) { pointSelected(s, index + 1); });
      bars->append(set);
    }
    bars->setBarWidth(1.0 - m_input.plotSpacing / 100.0);
    chart->addSeries(bars);
    auto* xAxis = new QBarCategoryAxis;
    xAxis->append(cats);
    xAxis->setLabelsFont(categoryFont);
    xAxis->setLabelsAngle(-90);
    chart->addAxis(xAxis, Qt::AlignBottom);
    bars->attachAxis(xAxis);
    bars->attachAxis(yAxis);
  } else {
    auto* xAxis = new QValueAxis;
    xAxis->setRange(1, 23);
    xAxis->setTickCount(23);
    xAxis->setLabelFormat("%d hrs");
    xAxis->setLabelsFont(categoryFont);
    xAxis->setLabelsAngle(-90);
    xAxis->setTitleText("Time");
    chart->addAxis(xAxis, Qt::AlignBottom);
    for (int s = 1; s <= rows; ++s) {
      auto* line = new QLineSeries;
      line->setName(seriesLegend(s));
      QPen pen(colourOf(s));
      pen.setWidthF(2.0);
      line->setPen(pen);
      for (int p = 1; p <= 23; ++p) {
        if (d == Display::Step2D && p > 1) line->append(p, value(s, p - 1).toDouble());
        line->append(p, value(s, p).toDouble());
      }
      line->setPointsVisible(d == Display::Line2D);
      connect(line, &QLineSeries::clicked, this,
              [this, s](const QPointF& at) { pointSelected(s, std::clamp(static_cast<int>(std::lround(at.x())), 1, 23)); });
      chart->addSeries(line);
      line->attachAxis(xAxis);
      line->attachAxis(yAxis);
    }
  }
  const auto markers = chart->legend()->markers();
  for (int i = 0; i < markers.size(); ++i)
    connect(markers[i], &QLegendMarker::clicked, this, [this, i] { seriesSelected(i + 1); });
  QChart* old = m_view2D->chart();
  m_view2D->setChart(chart);
  delete old;
  MSChart1->setCurrentWidget(m_view2D);
}

void frmChart::build3D(Display d) {
  if (m_container3D) {
    MSChart1->removeWidget(m_container3D);
    delete m_container3D;  // owns the graph window
    m_container3D = nullptr;
    m_graph3D = nullptr;
  }
  const int rows = seriesCount();
  auto* handler = new ChartInputHandler([this] { mnuPopUpTop->popup(QCursor::pos()); }, [this] { chartActivated(); });
  QAbstract3DGraph* graph = d == Display::Bar3D ? static_cast<QAbstract3DGraph*>(makeBars3D(handler))
                                                 : makeSurface3D(handler);
  // Labels stay readable with many rows: a smaller font, labels turned towards the
  // viewer, and a deeper graph so each row's label has room beside its neighbours.
  const bool manyRows = rows > 6;
  Q3DTheme* theme = graph->activeTheme();
  theme->setFont(QFont("Arial", manyRows ? 18 : 30));
  theme->setLabelBackgroundEnabled(false);
  theme->setBackgroundColor(Qt::white);
  theme->setWindowColor(Qt::white);
  graph->setAspectRatio(m_widthToHeight);
  graph->setHorizontalAspectRatio(manyRows ? 1.0 : 2.5);  // hours along, series across
  graph->scene()->activeCamera()->setCameraPosition(manyRows ? -42.0f : -30.0f, manyRows ? 32.0f : 28.0f,
                                                    manyRows ? 72.0f : 105.0f);
  graph->setShadowQuality(QAbstract3DGraph::ShadowQualityNone);
  m_graph3D = graph;
  m_container3D = QWidget::createWindowContainer(graph, MSChart1);
  MSChart1->addWidget(m_container3D);
  MSChart1->setCurrentWidget(m_container3D);
}

// Hours along, signal strength up, series in depth. Axis titles fixed in the graph's
// space read mirrored when the camera looks from behind them: turned with their labels
// towards the viewer they read the right way round.
void frmChart::setUpAxes3D(QAbstract3DAxis* time, QValue3DAxis* value, QAbstract3DAxis* depth) {
  time->setTitle("Time");
  value->setTitle("Signal Strength");
  value->setTitleVisible(true);
  value->setLabelFormat("%.0f");
  value->setRange(0, static_cast<float>(topValue()));
  value->setSegmentCount(static_cast<int>(std::min(topValue(), 10.0)));
  depth->setTitle(qs(m_input.depthTitle));
  depth->setTitleVisible(true);
  for (QAbstract3DAxis* a : {time, static_cast<QAbstract3DAxis*>(value), depth}) {
    a->setLabelAutoRotation(90.0f);
    a->setTitleFixed(false);
  }
}

// One bar per hour and series, coloured weak to strong.
Q3DBars* frmChart::makeBars3D(QAbstract3DInputHandler* handler) {
  const int rows = seriesCount();
  auto* bars = new Q3DBars;
  auto* series = new QBar3DSeries;
  auto* data = new QBarDataArray;
  QStringList rowLabels, colLabels;
  for (int p = 1; p <= 23; ++p) colLabels << qs(m_input.table[0][static_cast<std::size_t>(p)]);
  for (int s = 1; s <= rows; ++s) {
    auto* row = new QBarDataRow(23);
    for (int p = 1; p <= 23; ++p) (*row)[p - 1].setValue(static_cast<float>(value(s, p).toDouble()));
    data->append(row);
    rowLabels << seriesLegend(s);
  }
  series->dataProxy()->resetArray(data, rowLabels, colLabels);
  series->setItemLabelFormat("@rowLabel, @colLabel: @valueLabel");
  connect(series, &QBar3DSeries::selectedBarChanged, this, [this](const QPoint& at) {
    if (at.x() >= 0) pointSelected(at.x() + 1, at.y() + 1);
  });
  bars->setBarSpacingRelative(true);
  bars->setBarSpacing(QSizeF(m_input.plotSpacing / 100.0, m_depthGap / 100.0));
  setUpAxes3D(bars->columnAxis(), bars->valueAxis(), bars->rowAxis());
  // One colour scale for all rows: weak signals blue, strong ones red.
  QLinearGradient scale;
  scale.setColorAt(0.0, QColor(40, 90, 220));
  scale.setColorAt(0.5, QColor(60, 180, 80));
  scale.setColorAt(1.0, QColor(220, 40, 40));
  series->setBaseGradient(scale);
  series->setColorStyle(Q3DTheme::ColorStyleRangeGradient);
  bars->setActiveInputHandler(handler);
  bars->addSeries(series);
  return bars;
}

// Each series is a ribbon across its depth slot; the depth gap separates ribbons.
Q3DSurface* frmChart::makeSurface3D(QAbstract3DInputHandler* handler) {
  const int rows = seriesCount();
  auto* surface = new Q3DSurface;
  const double half = 0.5 / (1.0 + m_depthGap / 100.0);
  for (int s = 1; s <= rows; ++s) {
    auto* series = new QSurface3DSeries;
    series->setName(seriesLegend(s));
    auto* data = new QSurfaceDataArray;
    for (double z : {s - half, s + half}) {
      auto* row = new QSurfaceDataRow(23);
      for (int p = 1; p <= 23; ++p)
        (*row)[p - 1].setPosition(QVector3D(p, static_cast<float>(value(s, p).toDouble()), static_cast<float>(z)));
      data->append(row);
    }
    series->dataProxy()->resetArray(data);
    series->setDrawMode(QSurface3DSeries::DrawSurface);
    series->setBaseColor(colourOf(s));
    series->setItemLabelFormat("@seriesName, @xLabel hrs: @yLabel");
    connect(series, &QSurface3DSeries::selectedPointChanged, this, [this, s](const QPoint& at) {
      if (at.y() >= 0) pointSelected(s, at.y() + 1);
    });
    surface->addSeries(series);
  }
  surface->axisX()->setRange(1, 23);
  surface->axisX()->setSegmentCount(22);
  surface->axisX()->setLabelFormat("%d hrs");
  setUpAxes3D(surface->axisX(), surface->axisY(), surface->axisZ());
  // Grid lines at 0..rows+1, labelled with the row labels at 1..rows.
  surface->axisZ()->setRange(0.0f, static_cast<float>(rows + 1));
  surface->axisZ()->setSegmentCount(rows + 1);
  QStringList labels;
  for (int s = 1; s <= rows; ++s) labels << seriesLegend(s);
  auto* formatter = new RowLabelFormatter(labels);
  surface->axisZ()->setFormatter(formatter);
  surface->setActiveInputHandler(handler);
  return surface;
}

}  // namespace harkola
