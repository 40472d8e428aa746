// Standard library
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

// Qt
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

// Quillex
#include "platform/InputFile.h"
#include "platform/OutputStream.h"
#include "shell/ShellFixture.h"
#include "shell/TabContainer.h"
#include "support/FileBytes.h"
#include "views/AdvancedWriter.h"
#include "views/OutputFormats.h"
#include "views/SaveResults.h"
#include "views/gui/NormalView.h"
#include "views/gui/ResultList.h"
#include "views/gui/ResultListModel.h"

namespace quillex::testing {
namespace {

// "entry NNN" lines of 10 bytes each: result k lies at file position 10 k.
std::string EntryLines(int count) {
  std::string lines;
  for (int i = 0; i < count; ++i) {
    char line[32];
    std::snprintf(line, sizeof line, "entry %03d\n", i);
    lines += line;
  }
  return lines;
}

// The advanced row line of entry k of a file that is not a PE image, where
// the memory position is the file position.
std::string EntryRow(int k) {
  char line[64];
  std::snprintf(line, sizeof line, "%012X   %012X      0   entry %03d\r\n", 10 * k, 10 * k, k);
  return line;
}

std::string EntryRows(int from, int to) {
  std::string rows;
  for (int k = from; k < to; ++k) {
    rows += EntryRow(k);
  }
  return rows;
}

const std::string kHeader(kHeaderBlock, sizeof(kHeaderBlock) - 1);

// Writes that fail.
std::ptrdiff_t FailingWrite(int /*fd*/, const void* /*data*/, std::size_t /*size*/) {
  errno = ENOSPC;
  return -1;
}

class FindSaveCopy : public ShellFixture {
 protected:
  void ScanText(const std::string& bytes) { ScanFile(dir_.Write("input.bin", bytes)); }
  // A Save of the list to `path`, waited for.
  bool Save(const std::string& path) {
    dialogs_.saveAnswer = path;
    const bool handled = Search().Command(kSaveButton);
    WaitForTasks();
    return handled;
  }
  bool Command(int controlId) {
    const bool handled = Search().Command(controlId);
    WaitForTasks();
    return handled;
  }
  void UseAdvancedView(bool advanced) {
    Search().SetChecked(kAdvancedViewBox, advanced);
    ASSERT_TRUE(Search().Command(kAdvancedViewBox));
  }
  ResultList& List() const { return *Search().List(); }
};

TEST_F(FindSaveCopy, SaveWritesTheShownLayoutInDisplayOrder) {
  ScanText(EntryLines(61));
  ASSERT_EQ(engine_.store.Count(), 61u);
  const std::string out = (dir_.Path() / "out.txt").string();
  // While the file is written the window is free: the status says so and
  // the list shows the busy cursor.
  {
    HeldWrites writes;
    writes.Hold();
    dialogs_.saveAnswer = out;
    ASSERT_TRUE(Search().Command(kSaveButton));
    ASSERT_TRUE(QTest::qWaitFor([&] { return writes.Started(); }, 10000));
    EXPECT_EQ(Text(kStatusText), "Saving...");
    EXPECT_EQ(List().viewport()->cursor().shape(), Qt::BusyCursor);
    writes.Release();
    WaitForTasks();
  }
  EXPECT_NE(List().viewport()->cursor().shape(), Qt::BusyCursor);

  ASSERT_EQ(dialogs_.saveRequests.size(), 1u);
  const auto& request = dialogs_.saveRequests[0];
  EXPECT_EQ(request.title, "Save text to file");
  EXPECT_EQ(request.defaultExtension, "*.txt");
  // The scanned file's name with ".txt" added is offered.
  EXPECT_EQ(request.initialPath, "input.bin.txt");
  EXPECT_EQ(Text(kStatusText), "Ready");
  EXPECT_TRUE(dialogs_.boxes.empty());
  EXPECT_EQ(ReadFile(out), kHeader + EntryRows(0, 60) + kHeader + EntryRows(60, 61));

  // Sorted by text descending, in the normal view: the plain layout over the
  // sorted rows, replacing the longer file entirely.
  List().ClickHeader(static_cast<int>(ResultColumn::Text));
  WaitForTasks();
  List().ClickHeader(static_cast<int>(ResultColumn::Text));
  UseAdvancedView(false);
  ASSERT_TRUE(Save(out));
  std::string plain;
  for (int k = 60; k >= 0; --k) {
    plain += EntryRow(k).substr(37, 9) + "\n";
  }
  EXPECT_EQ(ReadFile(out), plain);

  UseAdvancedView(true);
  ASSERT_TRUE(Save(out));
  const std::string advanced = ReadFile(out);
  EXPECT_EQ(advanced.substr(0, kHeader.size() + 2 * EntryRow(0).size()),
            kHeader + EntryRow(60) + EntryRow(59));
}

// The chosen type picks the writer: each writes what the command line's
// format of that name writes for the list's rows.
TEST_F(FindSaveCopy, TheChosenTypePicksTheFormat) {
  const std::string input = dir_.Write("input.bin", EntryLines(3));
  ScanFile(input);
  List().ClickHeader(static_cast<int>(ResultColumn::Text));
  List().ClickHeader(static_cast<int>(ResultColumn::Text));
  WaitForTasks();
  const auto expected = [&](std::string_view name) {
    const std::string path = (dir_.Path() / "expected").string();
    const WriterSource source{.store = engine_.store,
                              .map = engine_.map,
                              .rows = List().Model().DisplayOrder(),
                              .fileName = input};
    EXPECT_EQ(SaveResults(path, *FindOutputFormat(name), source), SaveResult::Ok);
    return ReadFile(path);
  };
  const std::string out = (dir_.Path() / "out").string();
  ASSERT_TRUE(Save(out));
  // The view's text layout first and chosen, then the other layout, the
  // record formats, and every file last.
  const std::vector<std::pair<std::string, std::string>> types{
      {"Txt files (*.txt)", "*.txt"},
      {"Txt files, one string a line (*.txt)", "*.txt"},
      {"JSON Lines files (*.jsonl)", "*.jsonl"},
      {"CSV files (*.csv)", "*.csv"},
      {"All files (*.*)", "*.*"}};
  ASSERT_EQ(dialogs_.saveRequests.back().filters.size(), types.size());
  for (std::size_t i = 0; i < types.size(); ++i) {
    EXPECT_EQ(dialogs_.saveRequests.back().filters[i].description, types[i].first) << i;
    EXPECT_EQ(dialogs_.saveRequests.back().filters[i].pattern, types[i].second) << i;
  }
  const std::vector<std::pair<std::size_t, std::string_view>> advanced{
      {0, "text"}, {1, "plain"}, {2, "jsonl"}, {3, "csv"}, {4, "text"}};
  for (const auto& [filter, name] : advanced) {
    dialogs_.saveFilter = filter;
    ASSERT_TRUE(Save(out));
    EXPECT_EQ(ReadFile(out), expected(name)) << name;
  }
  // In the normal view the plain layout comes first, the table second, and
  // every file is written as the view shows them.
  UseAdvancedView(false);
  dialogs_.saveFilter = 0;
  ASSERT_TRUE(Save(out));
  EXPECT_EQ(dialogs_.saveRequests.back().filters[0].description, "Txt files (*.txt)");
  EXPECT_EQ(dialogs_.saveRequests.back().filters[1].description,
            "Txt files, a table like the list (*.txt)");
  EXPECT_EQ(ReadFile(out), "entry 002\nentry 001\nentry 000\n");
  for (const auto& [filter, name] : std::vector<std::pair<std::size_t, std::string_view>>{
           {1, "text"}, {3, "csv"}, {4, "plain"}}) {
    dialogs_.saveFilter = filter;
    ASSERT_TRUE(Save(out));
    EXPECT_EQ(ReadFile(out), expected(name)) << name;
  }
  EXPECT_TRUE(dialogs_.boxes.empty());
}

TEST_F(FindSaveCopy, SaveOfSixtyRowsAndOfNone) {
  ScanText(EntryLines(60));
  const std::string out = (dir_.Path() / "sixty.txt").string();
  ASSERT_TRUE(Save(out));
  EXPECT_EQ(ReadFile(out), kHeader + EntryRows(0, 60));

  // No rows: no dialog and no empty file, but a box that says why.
  ScanText(std::string("\x01\x02", 2));
  ASSERT_EQ(engine_.store.Count(), 0u);
  const std::string none = (dir_.Path() / "none.txt").string();
  ASSERT_TRUE(Save(none));
  EXPECT_EQ(dialogs_.saveRequests.size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(none));
  ASSERT_EQ(dialogs_.boxes.size(), 1u);
  EXPECT_EQ(dialogs_.boxes[0].text, "There is nothing to save: the list is empty.");
  EXPECT_EQ(dialogs_.boxes[0].title, "Quillex " QUILLEX_VERSION);
  EXPECT_EQ(dialogs_.boxes[0].style, MB_ICONINFORMATION);
  EXPECT_EQ(dialogs_.boxes[0].owner, static_cast<void*>(window_.get()));
  EXPECT_EQ(Text(kStatusText), "Ready");

  // A file that could not be opened leaves the views empty although the store
  // keeps the earlier results: the list is what Save writes, so again nothing.
  ScanText(EntryLines(2));
  dialogs_.boxes.clear();
  ScanFile((dir_.Path() / "missing.bin").string());
  ASSERT_EQ(engine_.store.Count(), 2u);
  ASSERT_TRUE(Save(none));
  EXPECT_EQ(dialogs_.saveRequests.size(), 1u);
  ASSERT_EQ(dialogs_.boxes.size(), 2u);
  EXPECT_EQ(dialogs_.boxes[1].text, "There is nothing to save: the list is empty.");
  EXPECT_FALSE(std::filesystem::exists(none));
}

TEST_F(FindSaveCopy, SaveFailuresAreShownAndKeepTheOldFile) {
  ScanText(EntryLines(3));
  const std::string out = dir_.Write("old.txt", "old contents");

  InstallWriteFunction(&FailingWrite);
  ASSERT_TRUE(Save(out));
  InstallWriteFunction(nullptr);
  // Which file and why follow the first line.
  ASSERT_EQ(dialogs_.boxes.size(), 1u);
  EXPECT_EQ(dialogs_.boxes[0].text,
            "Unable to write that file\r\n\r\n" + out + "\r\n" + ErrorText(ENOSPC));
  EXPECT_EQ(dialogs_.boxes[0].title, "Quillex " QUILLEX_VERSION);
  EXPECT_EQ(dialogs_.boxes[0].style, MB_ICONERROR);
  EXPECT_EQ(dialogs_.boxes[0].owner, static_cast<void*>(window_.get()));
  EXPECT_EQ(ReadFile(out), "old contents");
  EXPECT_EQ(Text(kStatusText), "Ready");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.Path()),
                          std::filesystem::directory_iterator()),
            2)
      << "no temporary file is left behind";

  if (std::filesystem::exists("/dev/full")) {
    ASSERT_TRUE(Save("/dev/full"));
    ASSERT_EQ(dialogs_.boxes.size(), 2u);
    EXPECT_EQ(dialogs_.boxes[1].text,
              "Unable to write that file\r\n\r\n/dev/full\r\n" + ErrorText(ENOSPC));
  }

  const std::size_t boxes = dialogs_.boxes.size();
  const std::string missing = (dir_.Path() / "missing" / "x.txt").string();
  ASSERT_TRUE(Save(missing));
  ASSERT_EQ(dialogs_.boxes.size(), boxes + 1);
  EXPECT_EQ(dialogs_.boxes.back().text,
            "Unable to open that file\r\n\r\n" + missing + "\r\n" + ErrorText(ENOENT));
  EXPECT_EQ(dialogs_.boxes.back().style, MB_ICONERROR);
  EXPECT_EQ(Text(kStatusText), "Ready");
  // A folder where a file is expected, and a file where a folder is.
  ASSERT_TRUE(Save(dir_.Path().string()));
  EXPECT_EQ(dialogs_.boxes.back().text,
            "Unable to open that file\r\n\r\n" + dir_.Path().string() + "\r\n" + ErrorText(EISDIR));
  const std::string underFile = out + "/x.txt";
  ASSERT_TRUE(Save(underFile));
  EXPECT_EQ(dialogs_.boxes.back().text,
            "Unable to open that file\r\n\r\n" + underFile + "\r\n" + ErrorText(ENOTDIR));
  const std::size_t before = dialogs_.boxes.size();

  // A cancelled dialog does nothing further.
  Search().SetControlText(kStatusText, QStringLiteral("untouched"));
  dialogs_.saveAnswer.reset();
  EXPECT_TRUE(Command(kSaveButton));
  EXPECT_EQ(Text(kStatusText), "untouched");
  EXPECT_EQ(dialogs_.boxes.size(), before);
}

TEST_F(FindSaveCopy, CopyPutsTheSelectedRowsOnTheClipboard) {
  ScanText(EntryLines(200));
  window_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  QClipboard& clipboard = *QApplication::clipboard();

  clipboard.setText(QStringLiteral("kept"));
  EXPECT_TRUE(Command(kCopyCommand));
  EXPECT_EQ(clipboard.text(), "kept") << "nothing selected leaves the clipboard";

  List().SetRowSelected(150);
  List().SetRowSelected(5);
  List().SetRowSelected(2);
  ASSERT_FALSE(
      List().visualRect(List().Model().index(150, 0)).intersects(List().viewport()->rect()));
  EXPECT_TRUE(Command(kCopyCommand));
  EXPECT_EQ(clipboard.text().toStdString(), EntryRow(2) + EntryRow(5) + EntryRow(150));

  // Ctrl+C on the list and the popup menu's Copy do the same.
  List().clearSelection();
  List().SetRowSelected(7);
  QTest::keyClick(&List(), Qt::Key_C, Qt::ControlModifier);
  WaitForTasks();
  EXPECT_EQ(clipboard.text().toStdString(), EntryRow(7));
  List().SetRowSelected(8);
  List().SetMenuRunner([](QMenu& menu, const QPoint&) { menu.actions().front()->trigger(); });
  ASSERT_TRUE(List().RightClickAt(List().visualRect(List().Model().index(8, 3)).center()));
  WaitForTasks();
  EXPECT_EQ(clipboard.text().toStdString(), EntryRow(7) + EntryRow(8));
}

TEST_F(FindSaveCopy, FindSearchesTheShownView) {
  ScanText(std::string("HELLO WORLD\nhello\nsay Hello\nother text\n"));
  ASSERT_EQ(engine_.store.Count(), 4u);
  Search().SetControlText(kFindEdit, QStringLiteral("Hello"));
  EXPECT_TRUE(Command(kFindButton));
  for (int row = 0; row < 4; ++row) {
    EXPECT_EQ(List().IsRowSelected(row), row < 3) << row;
  }
  EXPECT_EQ(Text(kStatusText), "Ready");

  UseAdvancedView(false);
  EXPECT_TRUE(Command(kFindButton));
  EXPECT_EQ(Search().Normal()->Selection(), (TextRange{0, 5}));
  EXPECT_TRUE(Command(kFindButton));
  EXPECT_EQ(Search().Normal()->Selection(), (TextRange{12, 17}));

  Search().SetControlText(kStatusText, QStringLiteral("untouched"));
  Search().SetControlText(kFindEdit, QString());
  EXPECT_TRUE(Command(kFindButton));
  EXPECT_EQ(Text(kStatusText), "untouched") << "an empty pattern does nothing at all";
}

TEST_F(FindSaveCopy, CommandsAreIgnoredOnAnotherPage) {
  ScanText(std::string("HELLO WORLD\nhello\n"));
  List().SetRowSelected(1);
  QApplication::clipboard()->setText(QStringLiteral("kept"));
  Search().SetControlText(kFindEdit, QStringLiteral("world"));
  dialogs_.saveAnswer = (dir_.Path() / "never.txt").string();

  window_->Container()->SelectPage(1, true);
  EXPECT_FALSE(Search().Command(kFindButton));
  EXPECT_FALSE(Search().Command(kSaveButton));
  EXPECT_FALSE(Search().Command(kCopyCommand));
  EXPECT_FALSE(List().IsRowSelected(0));
  EXPECT_TRUE(dialogs_.saveRequests.empty());
  EXPECT_EQ(QApplication::clipboard()->text(), "kept");

  window_->Container()->SelectPage(0, true);
  EXPECT_TRUE(Command(kFindButton));
  EXPECT_TRUE(List().IsRowSelected(0));
}

}  // namespace
}  // namespace quillex::testing
