#include "ui/UserDialogs.h"

#include "common/FileChoice.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace harkola {

namespace {
UserDialogs* g_override = nullptr;

QMessageBox::Icon iconOf(NoticeIcon i) {
  switch (i) {
    case NoticeIcon::Information: return QMessageBox::Information;
    case NoticeIcon::Exclamation: return QMessageBox::Warning;
    case NoticeIcon::Critical: return QMessageBox::Critical;
    case NoticeIcon::Question: return QMessageBox::Question;
    case NoticeIcon::None: break;
  }
  return QMessageBox::NoIcon;
}
}  // namespace

UserDialogs& dialogs() {
  static QtUserDialogs real;
  return g_override ? *g_override : real;
}

void setDialogs(UserDialogs* d) { g_override = d; }

Answer QtUserDialogs::message(QWidget* parent, const Notice& n) {
  QMessageBox box(iconOf(n.icon), qs(n.title.empty() ? std::string("Harkola") : n.title),
                  qs(n.text), QMessageBox::NoButton, parent);
  switch (n.buttons) {
    case NoticeButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case NoticeButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case NoticeButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
  }
  switch (box.exec()) {
    case QMessageBox::Cancel: return Answer::Cancel;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Ok;
  }
}

std::optional<QString> QtUserDialogs::input(QWidget* parent, const QString& prompt,
                                            const QString& title, const QString& defaultText) {
  bool ok = false;
  QString text = QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, defaultText, &ok);
  if (!ok) return std::nullopt;
  return text;
}

namespace {
// "Description *.csv|*.csv" becomes Qt's "Description (*.csv)".
QString qtFilter(const std::string& filter) {
  QString f = qs(filter);
  const int bar = f.indexOf('|');
  return bar >= 0 ? f.left(bar) + " (" + f.mid(bar + 1) + ")" : f;
}
}  // namespace

CheckedFileDialog::CheckedFileDialog(QWidget* parent, const FileDialogRequest& r)
    : QFileDialog(parent, qs(r.title), qs(r.initialFolder), qtFilter(r.filter)), m_request(r) {
  // The checks live in accept(), which only the widget dialog calls.
  setOption(QFileDialog::DontUseNativeDialog, true);
  setAcceptMode(r.kind == FileDialogRequest::Kind::Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  setFileMode(r.kind == FileDialogRequest::Kind::Open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  setDefaultSuffix(qs(r.defaultExtension));
  setOption(QFileDialog::DontConfirmOverwrite, !r.overwritePrompt);
  // No read-only choice is offered (the widget dialog has no read-only box to hide).
  setOption(QFileDialog::ReadOnly, false);
  if (!r.fileName.empty()) selectFile(qs(r.fileName));
}

void CheckedFileDialog::accept() {
  const QStringList files = selectedFiles();
  const std::string problem = files.isEmpty() ? std::string() : fileChoiceProblem(m_request, files.first().toStdString());
  if (!problem.empty()) {
    lastProblem = qs(problem);
    dialogs().message(this, Notice{problem, windowTitle().toStdString(), NoticeIcon::Exclamation, NoticeButtons::Ok});
    return;  // the dialog stays open for another choice
  }
  QFileDialog::accept();
}

FileDialogResult QtUserDialogs::file(QWidget* parent, const FileDialogRequest& r) {
  CheckedFileDialog dlg(parent, r);
  FileDialogResult result;
  if (dlg.exec() != QDialog::Accepted) return result;
  result.cancelled = false;
  const QStringList files = dlg.selectedFiles();
  if (!files.isEmpty()) result.path = files.first().toStdString();
  return result;
}

void QtUserDialogs::beep() { QApplication::beep(); }

}  // namespace harkola
