#pragma once
// The System Info window of the about box: the system report as text to read or copy
// into a bug report.

#include <QDialog>

#include "app/SystemReport.h"

class QPlainTextEdit;
class QPushButton;

namespace harkola {

// The report of this machine as the program sees it now.
SystemReport gatherSystemReport(const std::string& dataFolder, const std::string& logFolder);

class frmSystemInfo : public QDialog {
  Q_OBJECT

 public:
  frmSystemInfo(const SystemReport& report, QWidget* parent = nullptr);

  QPlainTextEdit* txtReport = nullptr;
  QPushButton* cmdCopy = nullptr;
  QPushButton* cmdClose = nullptr;
};

}  // namespace harkola
