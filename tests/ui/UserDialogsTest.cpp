// The file dialog keeps itself open while a chosen name breaks the request's rules, so a
// caller only ever gets a name it can use (or a cancel).
#include <gtest/gtest.h>

#include <QApplication>
#include <fstream>

#include "common/FileChoice.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"
#include "ui/UserDialogs.h"
#include "support/Tables.h"

namespace harkola {
namespace {

struct ChoiceCase {
  const char* name;
  bool pathMustExist, fileMustExist, extensionDifferent;
  const char* file;  // below the temp folder; "missing/" is a folder that does not exist
  const char* problemStart;  // "" when the name is accepted
};

class FileChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(FileChoice, FlagsDecideWhichNamesPass) {
  const ChoiceCase& c = GetParam();
  test::TempFolder dir("harkola-choice");
  { std::ofstream((dir / "there.csv").string()) << "x"; }
  FileDialogRequest r;
  r.pathMustExist = c.pathMustExist;
  r.fileMustExist = c.fileMustExist;
  r.extensionDifferent = c.extensionDifferent;
  const std::string problem = fileChoiceProblem(r, (dir / c.file).string());
  EXPECT_EQ(problem.substr(0, std::string(c.problemStart).size()), c.problemStart) << problem;
  EXPECT_EQ(problem.empty(), std::string(c.problemStart).empty()) << problem;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, FileChoice,
    ::testing::Values(ChoiceCase{"NewFileInExistingFolder", true, false, false, "new.csv", ""},
                      ChoiceCase{"FolderMissing", true, false, false, "missing/new.csv", "The folder "},
                      ChoiceCase{"FolderMissingButNotRequired", false, false, false, "missing/new.csv", ""},
                      ChoiceCase{"FileMustExistAndDoes", true, true, false, "there.csv", ""},
                      ChoiceCase{"FileMustExistAndDoesNot", true, true, false, "gone.csv", "The file "},
                      ChoiceCase{"OtherExtensionRefused", false, false, false, "notes.txt", "The file name must end in .csv"},
                      ChoiceCase{"OtherExtensionAccepted", false, false, true, "notes.txt", ""},
                      ChoiceCase{"NoExtensionGetsTheDefault", false, false, false, "plain", ""}),
    test::rowName);

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
