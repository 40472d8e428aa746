// Standard library
#include <filesystem>
#include <fstream>
#include <string>

// Qt
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <unistd.h>

// Quillex
#include "platform/qt/QtDialogService.h"

namespace quillex {
namespace {

TEST(QtDialogService, FiltersAndSuffixesSuitThisFileSystem) {
  // "All files" must match names without a dot too, as most programs here have.
  EXPECT_EQ(QtNameFilter(FileFilter{"All files (*.*)", "*.*"}), "All files (*.*) (*)");
  EXPECT_EQ(QtNameFilter(FileFilter{"Txt files (*.txt)", "*.txt"}), "Txt files (*.txt) (*.txt)");

  EXPECT_EQ(DefaultSuffix("*.txt"), "txt");
  EXPECT_EQ(DefaultSuffix(".txt"), "txt");
  EXPECT_EQ(DefaultSuffix("*.*"), "");
  EXPECT_EQ(DefaultSuffix("*"), "");
  EXPECT_EQ(DefaultSuffix(""), "");
}

// Browse opens in the folder of the current file, with the file chosen;
// Save offers the suggested name in the folder the dialog would open anyway.
TEST(QtDialogService, DialogsStartAtTheCurrentFile) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("quillex-dialog-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::string file = (folder / "current.exe").string();
  std::ofstream(file) << "x";
  const std::vector<FileFilter> all{{"All files (*.*)", "*.*"}};
  const auto canonical = [](const QString& path) { return QDir(path).canonicalPath(); };

  QFileDialog open;
  open.setOption(QFileDialog::DontUseNativeDialog);
  PrepareFileDialog(open, all, "*.*", file, false);
  EXPECT_EQ(open.acceptMode(), QFileDialog::AcceptOpen);
  EXPECT_EQ(open.directory().canonicalPath(), canonical(QString::fromStdString(folder.string())));
  ASSERT_EQ(open.selectedFiles().size(), 1);
  EXPECT_EQ(open.selectedFiles().front().toStdString(), file);

  // A file that is gone still opens its folder; a folder that is gone leaves
  // the dialog where it was.
  QFileDialog gone;
  gone.setOption(QFileDialog::DontUseNativeDialog);
  const QString start = gone.directory().canonicalPath();
  PrepareFileDialog(gone, all, "*.*", (folder / "deleted.exe").string(), false);
  EXPECT_EQ(gone.directory().canonicalPath(), canonical(QString::fromStdString(folder.string())));
  QFileDialog nowhere;
  nowhere.setOption(QFileDialog::DontUseNativeDialog);
  PrepareFileDialog(nowhere, all, "*.*", "/no/such/folder/x.exe", false);
  EXPECT_EQ(nowhere.directory().canonicalPath(), start);

  QFileDialog save;
  save.setOption(QFileDialog::DontUseNativeDialog);
  PrepareFileDialog(save, {{"Txt files (*.txt)", "*.txt"}}, "*.txt", "current.exe.txt", true);
  EXPECT_EQ(save.acceptMode(), QFileDialog::AcceptSave);
  EXPECT_EQ(save.defaultSuffix(), QStringLiteral("txt"));
  ASSERT_EQ(save.selectedFiles().size(), 1);
  EXPECT_TRUE(save.selectedFiles().front().endsWith(QStringLiteral("/current.exe.txt")))
      << save.selectedFiles().front().toStdString();

  std::filesystem::remove_all(folder);
}

// Choosing another type in a save dialog gives the name typed so far that
// type's extension, and that extension to a name typed without one; the
// chosen entry is found back by its Qt name filter.
TEST(QtDialogService, ASaveDialogFollowsTheChosenType) {
  const std::vector<FileFilter> types{{"Txt files (*.txt)", "*.txt"},
                                      {"Txt files, one string a line (*.txt)", "*.txt"},
                                      {"CSV files (*.csv)", "*.csv"},
                                      {"JSON Lines files (*.jsonl)", "*.jsonl"},
                                      {"All files (*.*)", "*.*"}};
  for (std::size_t i = 0; i < types.size(); ++i) {
    EXPECT_EQ(FilterIndex(types, QString::fromStdString(QtNameFilter(types[i]))), i);
  }
  EXPECT_EQ(FilterIndex(types, QStringLiteral("Something else (*)")), 0u);

  QFileDialog save;
  save.setOption(QFileDialog::DontUseNativeDialog);
  PrepareFileDialog(save, types, "*.txt", "setup.exe.txt", true);
  const auto chosen = [&](std::size_t index) {
    emit save.filterSelected(QString::fromStdString(QtNameFilter(types[index])));
    return QFileInfo(save.selectedFiles().value(0)).fileName().toStdString();
  };
  EXPECT_EQ(chosen(2), "setup.exe.csv");
  EXPECT_EQ(save.defaultSuffix(), QStringLiteral("csv"));
  EXPECT_EQ(chosen(3), "setup.exe.jsonl");
  EXPECT_EQ(chosen(1), "setup.exe.txt");
  // Every file takes the default extension.
  EXPECT_EQ(chosen(2), "setup.exe.csv");
  EXPECT_EQ(chosen(4), "setup.exe.txt");
  EXPECT_EQ(save.defaultSuffix(), QStringLiteral("txt"));
  // A name the user gave another extension keeps it.
  save.selectFile(QStringLiteral("strings.list"));
  EXPECT_EQ(chosen(2), "strings.list");
  EXPECT_EQ(save.defaultSuffix(), QStringLiteral("csv"));
}

}  // namespace
}  // namespace quillex
