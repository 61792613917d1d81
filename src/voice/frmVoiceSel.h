#pragma once
// The voice selection window: one check box per beacon chooses which beacons are
// announced at the start of their slot. Not modal; the main window shows it and may
// show it again at any time.
//
// The window edits PublicDecs::VoiceSelected in place and reports every new state of
// the summary indicator through `onIndicator` (the main window's lblVInd shows it).
// Each time it is shown after being closed it reloads callsigns, countries and boxes
// from PublicDecs. Closing it (close box or an All button) with any beacon counted by
// the last update shows the vox warning through harkola::dialogs().

#include <QWidget>
#include <array>
#include <functional>

#include "common/PublicDecs.h"
#include "ui/BeaconChoiceWindow.h"
#include "voice/VoiceSelection.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace harkola {

class frmVoiceSel : public BeaconChoiceWindow {
  Q_OBJECT

 public:
  using IndicatorCallback = std::function<void(const VoiceIndicator&)>;

  // `shared` must outlive the window; `onIndicator` may be empty.
  frmVoiceSel(PublicDecs& shared, IndicatorCallback onIndicator, QWidget* parent = nullptr);

  // Control arrays, index = beacon number - 1. objectNames "chkVoiceBeID_0" .. "_17",
  // likewise "lblVBeID_i" and "Label2_i".
  std::array<QCheckBox*, kBeaconCount> chkVoiceBeID{};
  std::array<QLabel*, kBeaconCount> lblVBeID{};
  std::array<QLabel*, kBeaconCount> Label2{};
  QPushButton* cmdAllOn = nullptr;
  QPushButton* cmdAllOff = nullptr;

  const VoiceSelection& selection() const { return m_selection; }

 protected:
  void fill() override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void boxClicked(int index, bool checked);
  void allClicked(bool on);
  void report(const VoiceIndicator& indicator);

  IndicatorCallback m_onIndicator;
  VoiceSelection m_selection;
};

}  // namespace harkola
