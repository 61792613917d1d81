#include "ui/UserDialogs.h"

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

FileDialogResult QtUserDialogs::file(QWidget* parent, const FileDialogRequest& r) {
  // "Description *.csv|*.csv" becomes Qt's "Description (*.csv)".
  QString filter = qs(r.filter);
  const int bar = filter.indexOf('|');
  if (bar >= 0) filter = filter.left(bar) + " (" + filter.mid(bar + 1) + ")";
  QFileDialog dlg(parent, qs(r.title), qs(r.initialFolder), filter);
  dlg.setAcceptMode(r.kind == FileDialogRequest::Kind::Open ? QFileDialog::AcceptOpen
                                                            : QFileDialog::AcceptSave);
  dlg.setFileMode(r.kind == FileDialogRequest::Kind::Open ? QFileDialog::ExistingFile
                                                          : QFileDialog::AnyFile);
  dlg.setDefaultSuffix(qs(r.defaultExtension));
  dlg.setOption(QFileDialog::DontConfirmOverwrite, !r.overwritePrompt);
  dlg.setOption(QFileDialog::ReadOnly, false);
  if (!r.fileName.empty()) dlg.selectFile(qs(r.fileName));
  FileDialogResult result;
  if (dlg.exec() != QDialog::Accepted) return result;
  result.cancelled = false;
  const QStringList files = dlg.selectedFiles();
  if (!files.isEmpty()) result.path = files.first().toStdString();
  return result;
}

void QtUserDialogs::beep() { QApplication::beep(); }

}  // namespace harkola
