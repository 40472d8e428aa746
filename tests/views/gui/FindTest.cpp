// Standard library
#include <string>
#include <vector>

// Qt
#include <QTest>

#include <gtest/gtest.h>

// Ours
#include "scan/SectionMap.h"
#include "store/ResultStore.h"
#include "views/gui/Find.h"
#include "views/gui/NormalView.h"
#include "views/gui/ResultList.h"
#include "views/gui/ResultListModel.h"

namespace quillex {
namespace {

class ListFindTest : public ::testing::Test {
 protected:
  void Show(const std::vector<std::string>& texts) {
    std::uint32_t position = 0;
    for (const std::string& text : texts) {
      ASSERT_TRUE(store_.AddResult(position++, 0, 0, text.c_str(), StringKind::Ansi));
    }
    model_.Fill();
    list_.resize(600, 300);
    list_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list_));
  }
  // Makes the viewport hold exactly `rows` whole rows and part of one more.
  void FitRows(int rows) {
    const int rowHeight = list_.visualRect(model_.index(0, 0)).height();
    const int wanted = rows * rowHeight + rowHeight / 2;
    list_.resize(list_.width(), list_.height() + wanted - list_.viewport()->height());
    QCoreApplication::processEvents();
    ASSERT_EQ(list_.CountPerPage(), rows);
  }
  std::vector<int> SelectedRows() const {
    std::vector<int> rows;
    for (int row = 0; row < list_.RowCount(); ++row) {
      if (list_.IsRowSelected(row)) {
        rows.push_back(row);
      }
    }
    return rows;
  }

  ResultStore store_;
  SectionMap map_;
  ResultListModel model_{store_, map_};
  ResultList list_{model_};
};

TEST_F(ListFindTest, SelectsRowsContainingThePatternIgnoringLetterCase) {
  const std::string z1018(1018, 'z');
  Show({"HELLO WORLD", "hello", "say Hello", "help", "caf\xC9 hello-ish", "HELL O",
        z1018 + "hello",   // ends on the 1023rd byte: found
        z1018 + "zhello",  // ends on the 1024th byte: not looked at
        "na\xEFve", "[x]"});
  ListFind("Hello", list_);
  EXPECT_EQ(SelectedRows(), (std::vector<int>{0, 1, 2, 4, 6}));

  // Only A-Z fold: bytes of 0x80 and above, and punctuation, match themselves.
  list_.clearSelection();
  ListFind("NA\xCFVE", list_);
  EXPECT_TRUE(SelectedRows().empty());
  ListFind("NA\xEFVE", list_);
  ListFind("{X}", list_);
  EXPECT_EQ(SelectedRows(), (std::vector<int>{8}));
}

TEST_F(ListFindTest, AddsToTheSelectionAndNeverClearsIt) {
  Show({"apple", "xylophone", "banana", "yellow", "cherry"});
  list_.SetRowSelected(2);
  ListFind("nothing here", list_);
  EXPECT_EQ(SelectedRows(), (std::vector<int>{2}));
  ListFind("x", list_);
  ListFind("Y", list_);
  EXPECT_EQ(SelectedRows(), (std::vector<int>{1, 2, 3, 4}));

  // Rows are found where the list shows them after a sort.
  list_.clearSelection();
  list_.ClickHeader(static_cast<int>(ResultColumn::Text));
  list_.ClickHeader(static_cast<int>(ResultColumn::Text));  // descending
  ListFind("an", list_);
  EXPECT_EQ(SelectedRows(), (std::vector<int>{3}));  // banana, fourth of five
}

TEST_F(ListFindTest, ScrollsOnlyTheFirstMatchBelowThePage) {
  std::vector<std::string> texts;
  for (int i = 0; i < 100; ++i) {
    texts.push_back(i == 3 || i == 25 || i == 60 ? "the match " + std::to_string(i)
                                                 : "row " + std::to_string(i));
  }
  Show(texts);
  FitRows(20);
  ASSERT_EQ(list_.TopVisibleRow(), 0);

  ListFind("MATCH", list_);
  EXPECT_EQ(SelectedRows(), (std::vector<int>{3, 25, 60}));
  EXPECT_EQ(list_.TopVisibleRow(), 6) << "row 25 is the last fully visible row";

  ListFind("match", list_);
  EXPECT_EQ(list_.TopVisibleRow(), 41) << "row 60 is the last fully visible row";

  // Every match is now above or on the page: nothing moves.
  ListFind("match", list_);
  EXPECT_EQ(list_.TopVisibleRow(), 41);
  // A match just below the page, but not one inside it, scrolls.
  list_.EnsureVisible(0, true);
  ASSERT_EQ(list_.TopVisibleRow(), 0);
  ListFind("row 19", list_);
  EXPECT_EQ(list_.TopVisibleRow(), 0);
  ListFind("row 20", list_);
  EXPECT_EQ(list_.TopVisibleRow(), 1);
}

class TextFindTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view_.resize(400, 200);
    view_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view_));
  }
  NormalView view_;
};

TEST_F(TextFindTest, EachFindMovesToTheNextOccurrence) {
  view_.SetText("xaaa ");
  TextFind("aa", view_);
  EXPECT_EQ(view_.Selection(), (TextRange{1, 3}));
  TextFind("AA", view_);
  EXPECT_EQ(view_.Selection(), (TextRange{2, 4})) << "overlapping the previous one";
  TextFind("aa", view_);
  EXPECT_EQ(view_.Selection(), (TextRange{2, 4}));

  // An occurrence at the very start is found from the caret there, and a
  // further Find moves past it instead of selecting it again.
  view_.SetText("abc xabc ABC ");
  TextFind("abc", view_);
  EXPECT_EQ(view_.Selection(), (TextRange{0, 3}));
  TextFind("abc", view_);
  EXPECT_EQ(view_.Selection(), (TextRange{5, 8}));
  TextFind("abc", view_);
  EXPECT_EQ(view_.Selection(), (TextRange{9, 12}));
  TextFind("abc", view_);
  EXPECT_EQ(view_.Selection(), (TextRange{9, 12}));
}

TEST_F(TextFindTest, ScrollsByTheLinesBetweenSelectionAndOccurrence) {
  std::string text;
  for (int i = 0; i < 300; ++i) {
    text += (i == 40 || i == 45 || i == 250 ? "needle " : "line ") + std::to_string(i) + "\r\n";
  }
  view_.SetText(text);
  ASSERT_LT(view_.LinesPerPage(), 40);

  TextFind("NEEDLE", view_);
  EXPECT_EQ(view_.Selection().start, text.find("needle 40"));
  EXPECT_EQ(view_.FirstVisibleLine(), 40u);
  TextFind("needle", view_);
  EXPECT_EQ(view_.Selection().start, text.find("needle 45"));
  EXPECT_EQ(view_.FirstVisibleLine(), 45u);

  // Scrolled away from the selection, the occurrence is still brought into
  // the page rather than left off screen.
  view_.ScrollLines(-45);
  TextFind("needle", view_);
  EXPECT_EQ(view_.Selection().start, text.find("needle 250"));
  const std::size_t first = view_.FirstVisibleLine();
  EXPECT_LE(first, 250u);
  EXPECT_GT(first + static_cast<std::size_t>(view_.LinesPerPage()), 250u);

  // No further occurrence: selection and scroll position stay.
  TextFind("needle", view_);
  EXPECT_EQ(view_.Selection().start, text.find("needle 250"));
  EXPECT_EQ(view_.FirstVisibleLine(), first);
}

TEST(Find, PatternAndStatus) {
  EXPECT_EQ(FindPatternFromText(QString(300, QLatin1Char('a'))), std::string(255, 'a'));
  EXPECT_EQ(FindPatternFromText(QString::fromUtf8("caf\u00E9 \u20AC")), "caf\xE9 \x80");
  EXPECT_EQ(FindPatternFromText(QStringLiteral("ab") + QChar(0) + QStringLiteral("cd")), "ab");
  EXPECT_FALSE(FindPatternFromText(QString::fromUtf8("\u4E00")).has_value());

  ResultStore store;
  SectionMap map;
  ResultListModel model(store, map);
  ResultList list(model);
  NormalView normal;
  ASSERT_TRUE(store.AddResult(0, 0, 0, "find me", StringKind::Ansi));
  model.Fill();
  normal.SetText("find me ");
  std::vector<std::string> statuses;
  auto record = [&](const char* status) { statuses.emplace_back(status); };

  Find(std::string(), true, list, normal, record);
  EXPECT_TRUE(statuses.empty()) << "an empty pattern does nothing at all";
  Find(std::nullopt, true, list, normal, record);
  EXPECT_EQ(statuses, (std::vector<std::string>{"Searching...", "Ready"}));
  EXPECT_FALSE(list.IsRowSelected(0));

  Find(std::string("ME"), false, list, normal, record);
  EXPECT_EQ(normal.Selection(), (TextRange{5, 7}));
  EXPECT_FALSE(list.IsRowSelected(0)) << "the normal view's search leaves the list";
  Find(std::string("ME"), true, list, normal, record);
  EXPECT_TRUE(list.IsRowSelected(0));
  EXPECT_EQ(statuses.size(), 6u);
}

}  // namespace
}  // namespace quillex
