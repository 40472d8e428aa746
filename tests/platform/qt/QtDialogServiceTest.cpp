// Standard library
#include <filesystem>
#include <fstream>
#include <string>

// Qt
#include <QComboBox>
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

// Choosing another type in a save dialog, as the user does in its type
// list, gives the name typed so far that type's extension, makes it the one
// added to a name typed without one, and is found back when the dialog
// closes.
TEST(QtDialogService, ASaveDialogFollowsTheChosenType) {
  const std::vector<FileFilter> types{{"Txt files (*.txt)", "*.txt"},
                                      {"Txt files, one string a line (*.txt)", "*.txt"},
                                      {"CSV files (*.csv)", "*.csv"},
                                      {"JSON Lines files (*.jsonl)", "*.jsonl"},
                                      {"All files (*.*)", "*.*"}};
  for (std::size_t i = 0; i < types.size(); ++i) {
    EXPECT_EQ(FilterIndex(types, QString::fromStdString(QtNameFilter(types[i]))), i);
    EXPECT_EQ(FilterIndex(types, QString::fromStdString(types[i].description)), i);
  }
  EXPECT_EQ(FilterIndex(types, QStringLiteral("Something else (*)")), 0u);

  QFileDialog save;
  save.setOption(QFileDialog::DontUseNativeDialog);
  PrepareFileDialog(save, types, "*.txt", "setup.exe.txt", true);
  auto* typeList = save.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
  ASSERT_NE(typeList, nullptr);
  ASSERT_EQ(typeList->count(), 5);
  const auto choose = [&](int index) {
    typeList->setCurrentIndex(index);
    emit typeList->activated(index);
    emit typeList->textActivated(typeList->itemText(index));
    EXPECT_EQ(FilterIndex(types, save.selectedNameFilter()), static_cast<std::size_t>(index));
    return QFileInfo(save.selectedFiles().value(0)).fileName().toStdString();
  };
  EXPECT_EQ(typeList->itemText(2), QStringLiteral("CSV files (*.csv)"));
  EXPECT_EQ(choose(2), "setup.exe.csv");
  EXPECT_EQ(save.defaultSuffix(), QStringLiteral("csv"));
  EXPECT_EQ(choose(3), "setup.exe.jsonl");
  EXPECT_EQ(save.defaultSuffix(), QStringLiteral("jsonl"));
  EXPECT_EQ(choose(1), "setup.exe.txt");
  // Every file keeps the name and adds the default extension to a bare one.
  EXPECT_EQ(choose(2), "setup.exe.csv");
  EXPECT_EQ(choose(4), "setup.exe.csv");
  EXPECT_EQ(save.defaultSuffix(), QStringLiteral("txt"));
}

}  // namespace
}  // namespace quillex
