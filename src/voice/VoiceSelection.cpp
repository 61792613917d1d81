#include "voice/VoiceSelection.h"

#include <algorithm>

namespace harkola {

VoiceIndicator voiceIndicator(int count) {
  count = std::clamp(count, 0, kBeaconCount);
  if (count == kBeaconCount) return {"ON", "All beacon voice announcements enabled"};
  if (count > 0) return {"(ON)", "Only some beacon voice announcements enabled"};
  return {"OFF", "All beacon voice announcements disabled"};
}

int countSelected(const std::array<bool, kBeaconCount>& selected) {
  return static_cast<int>(std::count(selected.begin(), selected.end(), true));
}

Notice VoiceEndMsg(const std::string& titleText) {
  return Notice{kVoiceEndMessage, titleText, NoticeIcon::Exclamation, NoticeButtons::Ok};
}

std::optional<VoiceIndicator> VoiceSelection::boxChanged(int index, bool checked) {
  if (index < 0 || index >= kBeaconCount) return std::nullopt;
  m_selected[static_cast<std::size_t>(index)] = checked;
  if (m_bulk) return std::nullopt;
  return update();
}

VoiceIndicator VoiceSelection::setAll(bool on) {
  beginBulk();
  m_selected.fill(on);
  return update();
}

VoiceIndicator VoiceSelection::update() {
  m_count = countSelected(m_selected);
  m_bulk = false;
  return voiceIndicator(m_count);
}

std::optional<Notice> VoiceSelection::unload(const std::string& titleText) {
  const bool warn = m_count > 0;
  m_count = 0;
  if (!warn) return std::nullopt;
  return VoiceEndMsg(titleText);
}

}  // namespace harkola
