#pragma once
// A message for the user, produced by core code and shown by the window as a modal
// message box (tests read the texts instead).

#include <string>
#include <vector>

namespace harkola {

enum class NoticeIcon { None, Information, Exclamation, Critical, Question };
enum class NoticeButtons { Ok, OkCancel, YesNo };

struct Notice {
  std::string text;
  std::string title;
  NoticeIcon icon = NoticeIcon::None;
  NoticeButtons buttons = NoticeButtons::Ok;
  bool operator==(const Notice&) const = default;
};

using Notices = std::vector<Notice>;

}  // namespace harkola
