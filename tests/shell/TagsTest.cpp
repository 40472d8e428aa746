// The window's indicator tags: the tagging after a scan, the Tags column and
// its sort, a new scan, Escape, Copy as JSON, and Save in every format.

// Standard library
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Qt
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QTest>

#include <gtest/gtest.h>

// Quillex
#include "shell/SampleImage.h"
#include "shell/ShellFixture.h"
#include "support/FileBytes.h"
#include "tags/TagCategory.h"
#include "tags/TagResults.h"
#include "tags/Tagger.h"
#include "views/AdvancedWriter.h"
#include "views/JsonLinesWriter.h"
#include "views/OutputFormats.h"
#include "views/SaveResults.h"
#include "views/TagsText.h"
#include "views/gui/ResultList.h"
#include "views/gui/ResultListModel.h"

namespace quillex::testing {
namespace {

constexpr int kTags = static_cast<int>(ResultColumn::Tags);
constexpr std::string_view kUrl = "https://update.example.com/check";
constexpr std::string_view kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// Indicators beside the sample image's plain strings, each ended by its NUL.
std::string Indicators() {
  std::string more;
  for (const std::string_view text :
       {kUrl, kRunKey, std::string_view("C:\\Users\\Public\\payload.exe"),
        std::string_view("{6B29FC40-CA47-1067-B31D-00DD010662DA}")}) {
    more += text;
    more += '\0';
  }
  return more;
}

class TagsTest : public ShellFixture {
 protected:
  void SetUp() override { path_ = dir_.Write("sample.exe", image_.bytes); }
  ResultList& List() const { return *Search().List(); }
  ResultListModel& Model() const { return Search().Model(); }
  QString Cell(int row, int column) const { return Model().index(row, column).data().toString(); }
  int RowOf(std::string_view text) const {
    for (int row = 0; row < Model().rowCount(); ++row) {
      if (engine_.store.Text(Model().ResultIndexAt(row)) == text) {
        return row;
      }
    }
    return -1;
  }
  // What the tagger gives every result, as quillex-scan computes them.
  std::vector<TagSet> TagsOfStore() const {
    std::vector<TagSet> tags(engine_.store.Count());
    const std::atomic<bool> never{false};
    EXPECT_EQ(TagResults(tagger_, engine_.store, tags, never), TagRunStatus::Done);
    return tags;
  }
  // What SaveResults writes in the named format for the list's rows.
  std::string Expected(std::string_view format, std::span<const TagSet> tags) {
    const std::string path = (dir_.Path() / "expected").string();
    const WriterSource source{.store = engine_.store,
                              .map = engine_.map,
                              .rows = Model().DisplayOrder(),
                              .fileName = path_,
                              .tags = tags};
    EXPECT_EQ(SaveResults(path, *FindOutputFormat(format), source), SaveResult::Ok);
    return ReadFile(path);
  }

  SampleImage image_{Indicators()};
  std::string path_;
  Tagger tagger_;
};

// The list shows as soon as the scan ends, without tags; they fill in once
// the tagging is done, cell by cell what the tagger gives each text.
TEST_F(TagsTest, TheColumnFillsInAfterTheScan) {
  ScanFile(path_);
  ASSERT_GE(Model().rowCount(), 8);
  EXPECT_TRUE(Search().TagSets().empty());
  for (int row = 0; row < Model().rowCount(); ++row) {
    EXPECT_EQ(Cell(row, kTags), "") << row;
  }
  EXPECT_FALSE(List().header()->isSectionHidden(kTags));
  EXPECT_LT(List().header()->visualIndex(kTags),
            List().header()->visualIndex(static_cast<int>(ResultColumn::Text)));
  WaitForTasks();
  ASSERT_EQ(Search().TagSets().size(), engine_.store.Count());
  int tagged = 0;
  for (int row = 0; row < Model().rowCount(); ++row) {
    const char* text = engine_.store.Text(Model().ResultIndexAt(row));
    const TagSet tags = tagger_.Tag(text);
    EXPECT_EQ(Cell(row, kTags).toStdString(), TagsText(tags)) << text;
    EXPECT_EQ(Model().index(row, 0).data(TagCategoryRole).toInt(),
              static_cast<int>(CategoryOf(tags)));
    tagged += tags != 0 ? 1 : 0;
  }
  EXPECT_EQ(tagged, 4);
  EXPECT_EQ(Cell(RowOf(kUrl), kTags), "url, domain");
  EXPECT_EQ(Cell(RowOf(kRunKey), kTags), "registry");
  EXPECT_EQ(Cell(RowOf("Read-only words"), kTags), "");
  EXPECT_EQ(Text(kStatusText), "Ready");
}

// A sort by Tags groups the rows by their tags' text, untagged ones first;
// one asked for before the tags came is made again when they come.
TEST_F(TagsTest, SortingByTagsGroupsTheRows) {
  ScanFile(path_);
  List().ClickHeader(kTags);
  WaitForTasks();
  const auto cellsInOrder = [&] {
    std::vector<std::string> cells;
    for (int row = 0; row < Model().rowCount(); ++row) {
      cells.push_back(Cell(row, kTags).toStdString());
    }
    return cells;
  };
  std::vector<std::string> cells = cellsInOrder();
  EXPECT_TRUE(std::is_sorted(cells.begin(), cells.end())) << cells.back();
  EXPECT_EQ(cells.front(), "");
  EXPECT_EQ(cells.back(), "windows-path");
  EXPECT_EQ(List().header()->sortIndicatorSection(), kTags);

  List().ClickHeader(kTags);
  WaitForTasks();
  cells = cellsInOrder();
  EXPECT_TRUE(std::is_sorted(cells.rbegin(), cells.rend()));
  EXPECT_EQ(cells.front(), "windows-path");
  EXPECT_EQ(List().header()->sortIndicatorOrder(), Qt::DescendingOrder);
}

// A new scan drops the old tags as it starts and tags its own results.
TEST_F(TagsTest, ANewScanClearsAndTagsAgain) {
  ScanFile(path_);
  WaitForTasks();
  ASSERT_FALSE(Search().TagSets().empty());
  constexpr char kOther[] = "mail admin@example.org now\0plain text here";
  const std::string other = dir_.Write("other.bin", std::string(kOther, sizeof kOther));
  ScanFile(other);
  ASSERT_EQ(Model().rowCount(), 2);
  EXPECT_TRUE(Search().TagSets().empty());
  EXPECT_EQ(Cell(0, kTags), "");
  WaitForTasks();
  EXPECT_EQ(Cell(0, kTags), "domain, email");
  EXPECT_EQ(Cell(1, kTags), "");
  ASSERT_EQ(Search().TagSets().size(), 2u);
}

// Escape takes back what the user asked for; the tagging was not asked for
// and goes on, so the column still fills in.
TEST_F(TagsTest, EscapeLeavesTheTagging) {
  ScanFile(path_);
  EXPECT_TRUE(Search().Tasks().Busy(TaskKind::Tag));
  EXPECT_FALSE(Search().Escape()) << "nothing that Escape stops was running";
  WaitForTasks();
  EXPECT_EQ(Cell(RowOf(kUrl), kTags), "url, domain");
}

// Copy as JSON carries the row's tags; Copy keeps Save's table layout, which
// has no tags.
TEST_F(TagsTest, CopyAsJsonCarriesTheTagsAndCopyDoesNot) {
  window_->show();
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  ScanFile(path_);
  const int url = RowOf(kUrl);
  List().clearSelection();
  List().SetRowSelected(url);
  List().setFocus();
  // Before the tags are known the record has an empty array, as before.
  QTest::keyClick(&List(), Qt::Key_J, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_NE(QApplication::clipboard()->text().toStdString().find("\"tags\":[]"), std::string::npos);
  WaitForTasks();
  QTest::keyClick(&List(), Qt::Key_J, Qt::ControlModifier | Qt::ShiftModifier);
  const std::string json = QApplication::clipboard()->text().toStdString();
  const std::vector<TagSet> tags = TagsOfStore();
  const WriterSource source{
      .store = engine_.store, .map = engine_.map, .fileName = path_, .tags = tags};
  EXPECT_EQ(json, JsonLinesWriter::Record(source, Model().ResultIndexAt(url)));
  EXPECT_NE(json.find("\"tags\":[\"url\",\"domain\"]"), std::string::npos) << json;

  ASSERT_TRUE(Search().Command(kCopyCommand));
  WaitForTasks();
  const std::vector<std::uint32_t> selected{Model().ResultIndexAt(url)};
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
            AdvancedWriter::CopyText(selected, engine_.store, engine_.map));
}

// Save writes the tags in the record formats, the same as the command line
// with the same tags, also when the tagging has not finished yet; the two
// text layouts have none.
TEST_F(TagsTest, SaveWritesTheTagsOnlyInTheRecordFormats) {
  ScanFile(path_);
  const std::string out = (dir_.Path() / "out").string();
  dialogs_.saveAnswer = out;
  // The type list: the table, one string a line, JSON Lines, CSV.
  dialogs_.saveFilter = 2;
  ASSERT_TRUE(Search().TagSets().empty());
  ASSERT_TRUE(Search().Command(kSaveButton));
  WaitForTasks();
  const std::vector<TagSet> tags = TagsOfStore();
  const std::string jsonl = ReadFile(out);
  EXPECT_EQ(jsonl, Expected("jsonl", tags));
  EXPECT_NE(jsonl.find("\"tags\":[\"registry\"]"), std::string::npos);
  // The rows are in store order still: quillex-scan writes the same file.
  const std::string cli = (dir_.Path() / "cli.jsonl").string();
  const std::string command = std::string(QUILLEX_SCAN_PATH) + " --format jsonl '" + path_ +
                              "' > '" + cli + "' 2> /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  EXPECT_EQ(jsonl, ReadFile(cli));

  List().ClickHeader(kTags);
  WaitForTasks();
  dialogs_.saveFilter = 3;
  ASSERT_TRUE(Search().Command(kSaveButton));
  WaitForTasks();
  const std::string csv = ReadFile(out);
  EXPECT_EQ(csv, Expected("csv", tags));
  EXPECT_NE(csv.find(",url;domain"), std::string::npos) << csv;

  for (const auto& [filter, format] :
       std::vector<std::pair<std::size_t, std::string_view>>{{0, "text"}, {1, "plain"}}) {
    dialogs_.saveFilter = filter;
    ASSERT_TRUE(Search().Command(kSaveButton));
    WaitForTasks();
    const std::string saved = ReadFile(out);
    EXPECT_EQ(saved, Expected(format, {})) << format;
    EXPECT_EQ(saved.find("url, domain"), std::string::npos) << format;
    EXPECT_EQ(saved.find("registry"), std::string::npos) << format;
  }
  EXPECT_TRUE(dialogs_.boxes.empty());
}

}  // namespace
}  // namespace quillex::testing
