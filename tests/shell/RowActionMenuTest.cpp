// The list's row actions: their places in the popup menu, their keys, and
// what each puts on the clipboard for one row and for several.

// Standard library
#include <string>
#include <vector>

// Qt
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

// Quillex
#include "shell/SampleImage.h"
#include "shell/ShellFixture.h"
#include "views/JsonLinesWriter.h"
#include "views/ResultWriter.h"
#include "views/gui/ResultList.h"
#include "views/gui/ResultListModel.h"
#include "views/gui/RowActionMenu.h"

namespace quillex::testing {
namespace {

class RowActionMenuTest : public ShellFixture {
 protected:
  void SetUp() override {
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    path_ = dir_.Write("sample.exe", image_.bytes);
    ScanFile(path_);
  }
  ResultList& List() const { return *Search().List(); }
  int RowOf(const std::string& text, StringKind kind) const {
    const ResultListModel& model = Search().Model();
    for (int row = 0; row < model.rowCount(); ++row) {
      const std::uint32_t result = model.ResultIndexAt(row);
      if (engine_.store.Kind(result) == kind && engine_.store.Text(result) == text) {
        return row;
      }
    }
    return -1;
  }
  // Selects the rows and presses the key with the focus in the list.
  std::string Press(const std::vector<int>& rows, Qt::Key key) {
    List().clearSelection();
    for (const int row : rows) {
      List().SetRowSelected(row);
    }
    List().setFocus();
    QTest::keyClick(&List(), key, Qt::ControlModifier | Qt::ShiftModifier);
    return QApplication::clipboard()->text().toStdString();
  }

  SampleImage image_;
  std::string path_;
};

TEST_F(RowActionMenuTest, ThePopupMenuOffersTheRowActionsAfterCopy) {
  QStringList entries;
  QStringList keys;
  List().SetMenuRunner([&](QMenu& menu, const QPoint&) {
    for (QAction* action : menu.actions()) {
      entries << action->text();
      keys << action->shortcut().toString(QKeySequence::PortableText);
    }
  });
  ASSERT_TRUE(List().RightClickAt(List().visualRect(Search().Model().index(0, 3)).center()));
  EXPECT_EQ(entries, (QStringList{"&Copy", "", "Copy &text", "Copy file &offset",
                                  "Copy &memory address", "Copy as &JSON"}));
  EXPECT_EQ(keys,
            (QStringList{"", "", "Ctrl+Shift+C", "Ctrl+Shift+O", "Ctrl+Shift+M", "Ctrl+Shift+J"}));
}

TEST_F(RowActionMenuTest, EachActionCopiesItsTextOfTheSelectedRows) {
  const int ansi = RowOf("An ansi string", StringKind::Ansi);
  const int wide = RowOf("A wide string", StringKind::Unicode);
  const int entry = RowOf("From the table", StringKind::Resource);
  ASSERT_TRUE(ansi >= 0 && wide >= 0 && entry >= 0);
  const std::uint64_t ansiAt = image_.textStart + SampleImage::kAnsiAt;
  const std::uint64_t wideAt = image_.dataStart + SampleImage::kUnicodeAt;
  char expected[64];

  EXPECT_EQ(Press({wide}, Qt::Key_C), "A wide string");
  std::snprintf(expected, sizeof expected, "%012llX", static_cast<unsigned long long>(ansiAt));
  EXPECT_EQ(Press({ansi}, Qt::Key_O), expected);
  // The address in the loaded image: the section's RVA past the image base.
  const std::uint64_t address = SampleImage::kImageBase + 0x3000 + (wideAt - image_.dataStart);
  std::snprintf(expected, sizeof expected, "%012llX", static_cast<unsigned long long>(address));
  EXPECT_EQ(Press({wide}, Qt::Key_M), expected);
  EXPECT_EQ(Press({wide}, Qt::Key_M).size(), 12u);

  // The row's JSON Lines record, file name and section included, and an
  // empty tag array while the window computes no tags.
  const std::string json = Press({entry}, Qt::Key_J);
  const WriterSource source{.store = engine_.store, .map = engine_.map, .fileName = path_};
  EXPECT_EQ(json, JsonLinesWriter::Record(source, Search().Model().ResultIndexAt(entry)));
  EXPECT_NE(json.find("\"kind\":\"resource\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"section\":\".rsrc\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"tags\":[]"), std::string::npos) << json;
  EXPECT_NE(json.find("sample.exe"), std::string::npos) << json;
  EXPECT_EQ(json.back(), '\n');
}

// Several rows: one line each, in the order the list shows them, with no
// break after the last; JSON records one after another.
TEST_F(RowActionMenuTest, SeveralRowsGoInDisplayOrder) {
  const int ansi = RowOf("An ansi string", StringKind::Ansi);
  const int words = RowOf("Read-only words", StringKind::Ansi);
  EXPECT_EQ(Press({words, ansi}, Qt::Key_C), "An ansi string\nRead-only words");
  // Sorted by Text descending, Read-only words comes first.
  List().ClickHeader(static_cast<int>(ResultColumn::Text));
  WaitForTasks();
  List().ClickHeader(static_cast<int>(ResultColumn::Text));
  WaitForTasks();
  const int wordsNow = RowOf("Read-only words", StringKind::Ansi);
  const int ansiNow = RowOf("An ansi string", StringKind::Ansi);
  ASSERT_LT(wordsNow, ansiNow);
  EXPECT_EQ(Press({ansiNow, wordsNow}, Qt::Key_C), "Read-only words\nAn ansi string");
  const std::string json = Press({ansiNow, wordsNow}, Qt::Key_J);
  EXPECT_EQ(std::count(json.begin(), json.end(), '\n'), 2);
  EXPECT_LT(json.find("Read-only words"), json.find("An ansi string"));

  // Nothing selected: the clipboard keeps what it held, as with Copy.
  QApplication::clipboard()->setText(QStringLiteral("kept"));
  EXPECT_EQ(Press({}, Qt::Key_O), "kept");
  // The keys belong to the list: with the focus in the Find field they do
  // nothing here.
  List().SetRowSelected(ansiNow);
  Search().FocusFind();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), "kept");
}

}  // namespace
}  // namespace quillex::testing
