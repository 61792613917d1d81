#pragma once
// The about box: program title and version, a short description, the legal notice and
// a button that shows the system information (versions, devices, folders) for a bug
// report.

#include <QDialog>
#include <functional>
#include <string>

#include "app/SystemReport.h"

class QLabel;
class QPushButton;

namespace harkola {

// The legal notice shown after "© " in the about box.
extern const char* const kLegalNotice;

class frmAbout : public QDialog {
  Q_OBJECT

 public:
  // `titleText` is the shared TitleText ("Harkola 5 "); the box only reads it. The box
  // deletes itself when closed (WA_DeleteOnClose): make it with new.
  explicit frmAbout(const std::string& titleText, QWidget* parent = nullptr);

  // What System Info shows (by default the report of this machine, gathered when the
  // button is pressed, with the folders given here).
  void setFolders(std::string dataFolder, std::string logFolder);
  void setReportSource(std::function<SystemReport()> source) { m_report = std::move(source); }

  QLabel* lblTitle = nullptr;
  QLabel* lblVersion = nullptr;
  QLabel* lblDescription = nullptr;
  QLabel* lblCopyright = nullptr;
  QPushButton* cmdOK = nullptr;
  QPushButton* cmdSysInfo = nullptr;

 private slots:
  void cmdOK_Click();
  void cmdSysInfo_Click();

 private:
  std::function<SystemReport()> m_report;
};

// Shows the about box modally (the Help menu's About) and returns when it is closed.
// The box deletes itself on closing.
void showAboutBox(const std::string& titleText, const std::string& dataFolder, const std::string& logFolder,
                  QWidget* parent);

}  // namespace harkola
