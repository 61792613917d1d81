#pragma once
// The about box: program title and version, a short description, the legal notice and
// a button that starts the system-information tool where the platform has one.

#include <QDialog>
#include <functional>
#include <string>

#include "app/RegistryReader.h"

class QLabel;
class QPushButton;

namespace harkola {

// The legal notice shown after "© " in the about box.
extern const char* const kLegalNotice;

class frmAbout : public QDialog {
  Q_OBJECT

 public:
  // Starts the tool at `path` as a normal window; false when it cannot be started.
  using Launcher = std::function<bool(const QString& path)>;

  // `titleText` is the shared TitleText ("Harkola 5 "); the box only reads it. The box
  // deletes itself when closed (WA_DeleteOnClose): make it with new.
  explicit frmAbout(const std::string& titleText, QWidget* parent = nullptr);

  // Seams for tests; by default the box has no registry and starts processes detached.
  void setRegistry(RegistryApi* registry) { m_registry = registry ? registry : &m_noRegistry; }
  void setLauncher(Launcher launcher) { m_launcher = std::move(launcher); }
  void setFileExists(std::function<bool(const std::string&)> exists) {
    m_fileExists = std::move(exists);
  }

  QLabel* lblTitle = nullptr;
  QLabel* lblVersion = nullptr;
  QLabel* lblDescription = nullptr;
  QLabel* lblCopyright = nullptr;
  QLabel* picIcon = nullptr;
  QPushButton* cmdOK = nullptr;
  QPushButton* cmdSysInfo = nullptr;

 private slots:
  void cmdOK_Click();
  void cmdSysInfo_Click();

 private:
  NoRegistry m_noRegistry;
  RegistryApi* m_registry = &m_noRegistry;
  Launcher m_launcher;
  std::function<bool(const std::string&)> m_fileExists;
};

// Shows the about box modally (the Help menu's About) and returns when it is closed.
// The box deletes itself on closing.
void showAboutBox(const std::string& titleText, QWidget* parent);

}  // namespace harkola
