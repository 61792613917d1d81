#pragma once
// Message boxes, input boxes and file dialogs behind one small interface, so that every
// window can be driven headless: tests install ScriptedDialogs (tests/support), which
// records what was shown and answers from a script.

#include <QFileDialog>
#include <QString>
#include <functional>
#include <optional>

#include "common/Notice.h"

class QWidget;

namespace harkola {

class UserDialogs {
 public:
  virtual ~UserDialogs() = default;
  // A modal message box; returns the button pressed.
  virtual Answer message(QWidget* parent, const Notice& notice) = 0;
  // An input box; nullopt on Cancel.
  virtual std::optional<QString> input(QWidget* parent, const QString& prompt,
                                       const QString& title, const QString& defaultText) = 0;
  virtual FileDialogResult file(QWidget* parent, const FileDialogRequest& request) = 0;
  // The system beep.
  virtual void beep() = 0;
};

// The real thing: QMessageBox, QInputDialog, QFileDialog, QApplication::beep.
class QtUserDialogs : public UserDialogs {
 public:
  Answer message(QWidget* parent, const Notice& notice) override;
  std::optional<QString> input(QWidget* parent, const QString& prompt, const QString& title,
                               const QString& defaultText) override;
  FileDialogResult file(QWidget* parent, const FileDialogRequest& request) override;
  void beep() override;
};

// The file dialog of QtUserDialogs: it keeps itself open, with a message, while the chosen
// name breaks the request's rules (folder or file must exist, the extension).
class CheckedFileDialog : public QFileDialog {
  Q_OBJECT
 public:
  CheckedFileDialog(QWidget* parent, const FileDialogRequest& request);
  void accept() override;
  // What was said about the last refused name (empty when none was refused).
  QString lastProblem;

 private:
  FileDialogRequest m_request;
};

// The dialogs of the running program (QtUserDialogs unless a test installed others).
UserDialogs& dialogs();

// Shows core notices through dialogs() over `parent` (may be null).
inline std::function<Answer(const Notice&)> dialogNotifierFor(QWidget* parent) {
  return [parent](const Notice& n) { return dialogs().message(parent, n); };
}
void setDialogs(UserDialogs* d);  // nullptr restores the real ones

inline QString qs(const std::string& s) { return QString::fromStdString(s); }
inline QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
inline QString qs(const char* s) { return QString::fromUtf8(s); }

}  // namespace harkola
