#pragma once
// A message for the user, produced by core code and shown by the window as a modal
// message box (tests read the texts instead).

#include <string>
#include <utility>
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

// Sentences for the user that a component gathers as things happen, until its owner
// takes them to show (in a status line or a log).
class NoticeTexts {
 public:
  void add(std::string text) { m_texts.push_back(std::move(text)); }
  // Takes over what another component gathered, after what is here.
  void add(std::vector<std::string> more) {
    for (auto& t : more) m_texts.push_back(std::move(t));
  }
  // Everything gathered, oldest first; nothing is kept.
  std::vector<std::string> take() { return std::exchange(m_texts, {}); }

 private:
  std::vector<std::string> m_texts;
};

}  // namespace harkola

namespace harkola {

// The button a message box was closed with.
enum class Answer { Ok, Cancel, Yes, No };

// A file dialog request: the inputs every caller passes (initial folder, preset file
// name, "Comma delimited file *.csv|*.csv", default extension "csv", flags).
struct FileDialogRequest {
  enum class Kind { Open, Save } kind = Kind::Save;
  std::string title;
  std::string initialFolder;
  std::string fileName;
  std::string filter = "Comma delimited file *.csv|*.csv";
  std::string defaultExtension = "csv";
  bool overwritePrompt = false;
  bool hideReadOnly = true;
  bool pathMustExist = false;
  bool fileMustExist = false;
  bool extensionDifferent = false;
};

// Cancel is not a normal return: callers treat it as a failure of their operation.
// A normal return may carry an empty path.
struct FileDialogResult {
  bool cancelled = true;
  std::string path;
};

}  // namespace harkola
