// The file dialog keeps itself open while a chosen name breaks the request's rules, so a
// caller only ever gets a name it can use (or a cancel).
#include <gtest/gtest.h>

#include <QApplication>
#include <fstream>

#include "common/FileChoice.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"
#include "ui/UserDialogs.h"

namespace harkola {
namespace {

// The request's flags decide which names pass ("missing/" is a folder that does not exist).
TEST(FileChoice, FlagsDecideWhichNamesPass) {
  test::TempFolder dir("harkola-choice");
  std::ofstream((dir / "there.csv").string()) << "x";
  const struct {
    bool pathMustExist, fileMustExist, extensionDifferent;
    const char* file;
    const char* problemStart;  // "" when the name is accepted
  } rows[] = {{true, false, false, "new.csv", ""},
              {true, false, false, "missing/new.csv", "The folder "},
              {false, false, false, "missing/new.csv", ""},
              {true, true, false, "there.csv", ""},
              {true, true, false, "gone.csv", "The file "},
              {false, false, false, "notes.txt", "The file name must end in .csv"},
              {false, false, true, "notes.txt", ""},
              {false, false, false, "plain", ""}};  // no extension: the default one is added
  for (const auto& r : rows) {
    FileDialogRequest req;
    req.pathMustExist = r.pathMustExist;
    req.fileMustExist = r.fileMustExist;
    req.extensionDifferent = r.extensionDifferent;
    const std::string problem = fileChoiceProblem(req, (dir / r.file).string());
    EXPECT_EQ(problem.substr(0, std::string(r.problemStart).size()), r.problemStart) << r.file << ": " << problem;
    EXPECT_EQ(problem.empty(), std::string(r.problemStart).empty()) << r.file << ": " << problem;
  }
}

// A backup into a folder that does not exist is refused inside the dialog, which stays
// open; a good name then closes it.
TEST(CheckedFileDialog, RefusesAMissingFolderAndStaysOpen) {
  test::ScriptedDialogs scripted;
  test::TempFolder dir("harkola-dialog");
  FileDialogRequest r;
  r.kind = FileDialogRequest::Kind::Save;
  r.title = "Harkola 5 Backup";
  r.initialFolder = dir.path.string();
  r.pathMustExist = true;
  CheckedFileDialog dlg(nullptr, r);
  dlg.selectFile(QString::fromStdString((dir / "missing" / "backup.csv").string()));
  dlg.accept();
  EXPECT_NE(dlg.result(), QDialog::Accepted);
  EXPECT_TRUE(dlg.lastProblem.startsWith("The folder ")) << dlg.lastProblem.toStdString();
  ASSERT_EQ(scripted.messages.size(), 1u);
  EXPECT_EQ(scripted.messages[0].title, "Harkola 5 Backup");
  dlg.selectFile(QString::fromStdString((dir / "backup.csv").string()));
  dlg.accept();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace harkola
