#pragma once
// The analyser's setup wizard: five stages, each revealed by the OK of the one before,
// that walk the operator through audio level, noise filter, morse discriminator and
// S-meter calibration while the analyser runs in test mode.

#include <QWidget>
#include <array>

#include "common/PublicDecs.h"

class QLabel;
class QPushButton;

namespace harkola {

class frmAnalyserSetUp : public QWidget {
  Q_OBJECT
 public:
  frmAnalyserSetUp(const PublicDecs& d, QWidget* parent = nullptr);

  // Back to stage 1 (run whenever the wizard is opened).
  void load();
  // How many stages are on show (1..5).
  int stagesShown() const;

  // Label1..Label5 and Command1..Command5 (index 0 = stage 1).
  std::array<QLabel*, 5> Label{};
  std::array<QPushButton*, 5> Command{};

 private:
  void showStage(int stage);  // 2..5

  const PublicDecs& d;
};

}  // namespace harkola
