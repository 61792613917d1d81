#pragma once
// The start-up window: shown for four seconds, then it hands over to the main window
// through a callback and closes itself for good.

#include <QDialog>
#include <functional>

class QLabel;
class QTimer;

namespace harkola {

class frmSplash : public QDialog {
  Q_OBJECT

 public:
  // `showMain` creates the main window if needed and shows it modeless. It is called
  // exactly once, when Timer1 fires; the splash then closes and deletes itself, so make
  // it with new and show() it (not exec()) before entering the event loop.
  explicit frmSplash(std::function<void()> showMain, QWidget* parent = nullptr);

  static constexpr int kShowMs = 4000;

  // The pictures and the decorative lines around the caption (imgGlobe, imgAntenna,
  // Line1..Line4) are found by their object names.
  QLabel* lblCaption = nullptr;
  QTimer* Timer1 = nullptr;

 private slots:
  void Timer1_Timer();

 private:
  std::function<void()> m_showMain;
  bool m_handedOver = false;
};

}  // namespace harkola
