#pragma once
// The follow window: the user picks the one beacon whose five band slots the main
// window should track, and may have only that beacon announced. Not modal.
//
// The window edits PublicDecs::FollowMode and FollowedBeacon; everything it asks of
// the main window (a band change, the voice selection, the menu mark) goes through the
// callbacks below, each of which may be empty.
//
// Loading happens on the first show, or on selectEntry() while the window is not
// loaded; closing unloads it, so the next show loads it again. Every load selects
// 14 MHz in the main window and the "no beacon" entry.

#include <QWidget>
#include <array>
#include <functional>

#include "common/PublicDecs.h"
#include "ui/BeaconChoiceWindow.h"
#include "rig/FollowChoice.h"

class QButtonGroup;
class QLabel;
class QPushButton;
class QRadioButton;

namespace harkola {

class frmFollow : public BeaconChoiceWindow {
  Q_OBJECT

 public:
  // `shared` must outlive the window.
  explicit frmFollow(PublicDecs& shared, QWidget* parent = nullptr);

  std::function<void(int band)> onSelectBand;     // a band change in the main window, 0..4
  std::function<void()> onAllVoiceOff;            // every announcement off
  std::function<void(int beaconIndex)> onVoiceOn; // one announcement on, index 0..17
  std::function<void()> onUncheckMenu;            // "Clear" ends the menu's follow mark
  std::function<void()> onFollowChanged;          // FollowMode may have changed
  std::function<void()> onClosed;                 // the window was closed (unloaded)

  // Choose entry 0..18 as a click would (loading the window first if need be). Entries
  // outside 0..18 are ignored.
  void selectEntry(int entry);
  int chosenEntry() const { return m_entry; }

  void cmdActivate_Click();
  void cmdClear_Click();
  void cmdVoiceFollow_Click();

  // Control arrays: index k = beacon k + 1; opgFollowBeID has the hidden entry 18 too.
  // objectNames "opgFollowBeID_0" .. "_18", "lblVBeID_0" .. "_17", "Label2_0" .. "_17".
  std::array<QRadioButton*, kBeaconCount + 1> opgFollowBeID{};
  std::array<QLabel*, kBeaconCount> lblVBeID{};
  std::array<QLabel*, kBeaconCount> Label2{};
  QPushButton* cmdActivate = nullptr;
  QPushButton* cmdClear = nullptr;
  QPushButton* cmdVoiceFollow = nullptr;

 protected:
  void fill() override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void entryChosen(int entry);

  QButtonGroup* m_group = nullptr;
  int m_entry = kNoBeaconEntry;
};

}  // namespace harkola
