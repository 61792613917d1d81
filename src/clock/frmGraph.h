#pragma once
// The session graphs: frmGraph shows, per beacon on the selected band, the S level
// logged in this cycle and whether its slot has been processed; frmGraphFollow shows
// the followed beacon's level per band. Both draw the models of the beacon clock and
// hand their buttons back to the main window through callbacks.

#include <QWidget>
#include <array>
#include <functional>

#include "common/PublicDecs.h"
#include "clock/SessionGraphs.h"

class QGridLayout;
class QLabel;
class QProgressBar;
class QPushButton;

namespace harkola {

// A rounded slot indicator (button face or yellow).
class IndicatorShape : public QWidget {
  Q_OBJECT
 public:
  explicit IndicatorShape(QWidget* parent = nullptr);
  void setIndicator(Indicator i);
  Indicator indicator() const { return m_indicator; }
  QSize sizeHint() const override { return {22, 14}; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  Indicator m_indicator = Indicator::ButtonFace;
};

// What both session graph windows share: a callsign and a slot indicator per beacon,
// the reset button, and the callbacks to the main window.
class SessionGraphWindow : public QWidget {
  Q_OBJECT
 public:
  void refreshCallsigns();

  std::function<void()> onReset;   // the reset button
  std::function<void()> onClosed;  // the window was closed

  std::array<QLabel*, kBeaconCount> Label1{};
  std::array<IndicatorShape*, kBeaconCount> Shape1{};
  QPushButton* Command1 = nullptr;

 protected:
  SessionGraphWindow(const PublicDecs& d, const char* name, const QString& caption, QWidget* parent);
  void closeEvent(QCloseEvent* e) override;
  QGridLayout* makeGrid();
  // Makes Label1[i] and Shape1[i].
  void makeBeaconRow(int i);
  // Makes Command1 with `text`.
  QPushButton* makeResetButton(const QString& text);

  const PublicDecs& d;
};

class frmGraph : public SessionGraphWindow {
  Q_OBJECT
 public:
  frmGraph(const PublicDecs& d, QWidget* parent = nullptr);
  void render(const SessionGraph& g);

  std::array<QProgressBar*, kBeaconCount> ProgressBar1{};
};

class frmGraphFollow : public SessionGraphWindow {
  Q_OBJECT
 public:
  frmGraphFollow(const PublicDecs& d, QWidget* parent = nullptr);
  void render(const FollowGraph& g);
  // Marks the followed beacon's name (index 0..17) red, -1 for none.
  void markFollowed(int beaconIndex);

  std::array<QProgressBar*, kBandCount> ProgressBar1{};
};

}  // namespace harkola
