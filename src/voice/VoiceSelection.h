#pragma once
// Which beacons are announced: the logic behind the selection window frmVoiceSel and
// the main window's indicator, kept free of widgets so that it can be tested alone.

#include <array>
#include <optional>
#include <string>

#include "common/Notice.h"
#include "common/PublicDecs.h"

namespace harkola {

// What the main window's voice indicator label shows.
struct VoiceIndicator {
  std::string caption;
  std::string tooltip;
  bool operator==(const VoiceIndicator&) const = default;
};

// count = selected beacons 0..18: 0 "OFF", 1..17 "(ON)", 18 "ON". Counts outside
// 0..18 are clamped into that range.
VoiceIndicator voiceIndicator(int count);

int countSelected(const std::array<bool, kBeaconCount>& selected);

// The tooltip the indicator label carries before the first update.
inline constexpr const char* kVoiceIndicatorInitialTooltip =
    "(ON) means only some beacons are selected for voice announcements";

inline constexpr const char* kVoiceEndMessage =
    "Please check your radio does not have voice activated switching (vox) active, to avoid "
    "transmitting the beacon announcements!  Thanks.";

// The transmit warning shown when the window closes with announcements enabled:
// exclamation icon, OK, title `titleText`.
Notice VoiceEndMsg(const std::string& titleText);

// The state of one open selection window over the shared VoiceSelected array (which
// it does not own; it must outlive this object).
//
// The window reports every check-box change with boxChanged(); the All buttons wrap
// their changes in beginBulk() ... update() so the indicator is computed once. The
// count of the last update is what unload() tests for the warning.
class VoiceSelection {
 public:
  explicit VoiceSelection(std::array<bool, kBeaconCount>& selected) : m_selected(selected) {}

  // Box `index` (0..17) now shows `checked`. Returns the new indicator when the update
  // ran (not during a bulk change). Indexes outside 0..17 are ignored.
  std::optional<VoiceIndicator> boxChanged(int index, bool checked);

  // Start a bulk change: box changes update the selection but not the indicator.
  void beginBulk() { m_bulk = true; }
  bool bulk() const { return m_bulk; }

  // Set every entry to `on`, for the All ON / All OFF buttons (bulk change included).
  VoiceIndicator setAll(bool on);

  // Recount, end any bulk change and give the indicator for the count.
  VoiceIndicator update();

  // The window is closing: the warning when the last update counted any selected
  // beacon (once; the count is then cleared), else nothing.
  std::optional<Notice> unload(const std::string& titleText);

  int count() const { return m_count; }

 private:
  std::array<bool, kBeaconCount>& m_selected;
  int m_count = 0;
  bool m_bulk = false;
};

}  // namespace harkola
