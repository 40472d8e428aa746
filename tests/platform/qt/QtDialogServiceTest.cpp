// Standard library
#include <filesystem>
#include <fstream>
#include <string>

// Qt
#include <QDir>
#include <QFileDialog>

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

}  // namespace
}  // namespace quillex
