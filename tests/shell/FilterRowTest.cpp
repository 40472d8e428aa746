// The filter row above the results: typing narrows the rows after a pause,
// and every command of the list and the running text acts on what it shows.

// Standard library
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

// Qt
#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

// Quillex
#include "shell/FilterRow.h"
#include "shell/ShellFixture.h"
#include "shell/TabContainer.h"
#include "support/FileBytes.h"
#include "tags/TagTable.h"
#include "views/AdvancedWriter.h"
#include "views/gui/NormalView.h"
#include "views/gui/ResultList.h"
#include "views/gui/ResultListModel.h"

namespace quillex::testing {
namespace {

// "entry NNN" lines: result k is the text "entry k" with k in three digits.
std::string EntryLines(int count) {
  std::string lines;
  for (int i = 0; i < count; ++i) {
    char line[32];
    std::snprintf(line, sizeof line, "entry %03d\n", i);
    lines += line;
  }
  return lines;
}

std::string Entry(int k) {
  char text[16];
  std::snprintf(text, sizeof text, "entry %03d", k);
  return text;
}

std::vector<std::string> Entries(std::initializer_list<int> numbers) {
  std::vector<std::string> texts;
  for (const int k : numbers) {
    texts.push_back(Entry(k));
  }
  return texts;
}

// A string as UTF-16LE bytes, which the Unicode pass finds.
std::string Utf16(const std::string& text) {
  std::string bytes;
  for (const char c : text) {
    bytes += c;
    bytes += '\0';
  }
  return bytes;
}

class FilterRowTest : public ShellFixture {
 protected:
  FilterRow& Row() const { return Search().Filter(); }
  QLineEdit& Field() const { return *Search().ControlAs<QLineEdit>(kFilterEdit); }
  ResultList& List() const { return *Search().List(); }
  ResultListModel& Model() const { return Search().Model(); }

  // Types into the filter field as a user would, quickly: the filter runs
  // once typing pauses.
  void Type(const QString& text) {
    Field().setFocus();
    // Key by key with the character as the key's text, as a keyboard
    // layout with accented letters sends them.
    for (const QChar c : text) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
      QApplication::sendEvent(&Field(), &press);
      QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
      QApplication::sendEvent(&Field(), &release);
    }
  }
  void SetField(int controlId, const QString& text) {
    Search().ControlAs<QLineEdit>(controlId)->setText(text);
  }
  void Toggle(int controlId) { Search().ControlAs<QAbstractButton>(controlId)->click(); }
  // Waits for the pause and for the filter run it starts.
  void Settle() {
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return !Row().Pending() && !Search().Tasks().Busy(); }, 60000));
  }
  std::vector<std::string> ShownTexts() const {
    std::vector<std::string> texts;
    for (int row = 0; row < Model().rowCount(); ++row) {
      texts.emplace_back(engine_.store.Text(Model().ResultIndexAt(row)));
    }
    return texts;
  }
  void Command(int controlId) {
    ASSERT_TRUE(Search().Command(controlId));
    WaitForTasks();
  }
  void UseAdvancedView(bool advanced) {
    Search().SetChecked(kAdvancedViewBox, advanced);
    Command(kAdvancedViewBox);
    Settle();
  }
  void SortByText() {
    List().ClickHeader(static_cast<int>(ResultColumn::Text));
    WaitForTasks();
  }
};

TEST_F(FilterRowTest, TheRowSitsAboveTheViewsWithNamesTipsAndEverythingShown) {
  const std::vector<std::pair<int, const char*>> names{
      {kFilterEdit, "Filter"},
      {kFilterRegexToggle, "Regular expression"},
      {kFilterCaseToggle, "Match case"},
      {kFilterAnsiToggle, "Show ANSI strings"},
      {kFilterUnicodeToggle, "Show Unicode strings"},
      {kFilterResourceToggle, "Show resource strings"},
      {kFilterMinLength, "Minimum length"},
      {kFilterMaxLength, "Maximum length"},
      {kFilterTagChoice, "Tag"},
      {kFilterShownText, "Strings shown"}};
  const QRect views = List().geometry();
  for (const auto& [id, name] : names) {
    const QWidget& control = *Search().Control(id);
    EXPECT_EQ(control.accessibleName(), QString::fromLatin1(name)) << id;
    EXPECT_FALSE(control.toolTip().isEmpty()) << id;
    EXPECT_LE(control.geometry().bottom(), views.top()) << id;
    EXPECT_GE(control.geometry().top(), Search().Control(kAdvancedViewBox)->geometry().bottom())
        << id;
  }
  EXPECT_EQ(Field().placeholderText(), QStringLiteral("Filter"));
  // The kinds are all shown, no bound and no tag condition: nothing is
  // filtered, and the label says nothing.
  for (const int id : {kFilterAnsiToggle, kFilterUnicodeToggle, kFilterResourceToggle}) {
    EXPECT_TRUE(Search().IsChecked(id)) << id;
  }
  EXPECT_FALSE(Search().IsChecked(kFilterRegexToggle));
  EXPECT_FALSE(Search().IsChecked(kFilterCaseToggle));
  EXPECT_FALSE(Row().TermsFromControls().FiltersAnything());
  EXPECT_EQ(Row().Applied(), nullptr);
  EXPECT_TRUE(Text(kFilterShownText).isEmpty());
  const QComboBox& tags = *Search().ControlAs<QComboBox>(kFilterTagChoice);
  ASSERT_EQ(tags.count(), static_cast<int>(2 + TagTable().size()));
  EXPECT_EQ(tags.itemText(0), QStringLiteral("All strings"));
  EXPECT_EQ(tags.itemText(1), QStringLiteral("Any indicator"));
  EXPECT_EQ(tags.itemText(2), QStringLiteral("url"));
  EXPECT_EQ(tags.currentIndex(), 0);
}

TEST_F(FilterRowTest, TypingFiltersOnceAfterAPauseAndCountsTheRows) {
  ScanFile(dir_.Write("entries.bin", EntryLines(30)));
  ASSERT_EQ(engine_.store.Count(), 30u);
  QSignalSpy resets(&Model(), &QAbstractItemModel::modelReset);
  Type(QStringLiteral("entry 01"));
  // Nothing is filtered while the keys come.
  EXPECT_TRUE(Row().Pending());
  EXPECT_EQ(Model().rowCount(), 30);
  Settle();
  // Eight keys, one filter run.
  EXPECT_EQ(resets.count(), 1);
  EXPECT_EQ(ShownTexts(), Entries({10, 11, 12, 13, 14, 15, 16, 17, 18, 19}));
  EXPECT_EQ(Text(kFilterShownText), QStringLiteral("Showing 10 of 30"));
  // The counts stay the scan's.
  EXPECT_EQ(Text(kAnsiCountControl), QStringLiteral("AN: 30"));

  // A text nothing holds shows nothing.
  Type(QStringLiteral("x"));
  Settle();
  EXPECT_EQ(Model().rowCount(), 0);
  EXPECT_EQ(Text(kFilterShownText), QStringLiteral("Showing 0 of 30"));

  // Escape in the field empties it and shows every row again at once.
  Field().setFocus();
  QTest::keyClick(&Field(), Qt::Key_Escape);
  EXPECT_TRUE(Field().text().isEmpty());
  EXPECT_FALSE(Row().Pending());
  Settle();
  EXPECT_EQ(Model().rowCount(), 30);
  EXPECT_FALSE(Model().Filtered());
  EXPECT_TRUE(Text(kFilterShownText).isEmpty());
  EXPECT_EQ(quits_, 0);
}

TEST_F(FilterRowTest, ABadPatternMarksTheFieldAndKeepsTheLastFilter) {
  ScanFile(dir_.Write("entries.bin", EntryLines(30)));
  Type(QStringLiteral("entry 02"));
  Settle();
  ASSERT_EQ(Model().rowCount(), 10);
  const QColor base = Field().palette().color(QPalette::Base);
  const QString tip = Field().toolTip();

  Toggle(kFilterRegexToggle);
  Type(QStringLiteral("(5"));
  Settle();
  EXPECT_TRUE(Row().Marked());
  EXPECT_NE(Field().palette().color(QPalette::Base), base);
  EXPECT_GT(Field().palette().color(QPalette::Base).red(),
            Field().palette().color(QPalette::Base).green());
  EXPECT_TRUE(Field().toolTip().contains(QStringLiteral("missing )")))
      << Field().toolTip().toStdString();
  // The last good filter stays, and no box was shown.
  EXPECT_EQ(ShownTexts(), Entries({20, 21, 22, 23, 24, 25, 26, 27, 28, 29}));
  EXPECT_EQ(Row().Applied()->Terms().pattern, "entry 02");
  EXPECT_TRUE(dialogs_.boxes.empty());

  // Mended, the expression filters and the field looks as before.
  Type(QStringLiteral("|7)$"));
  Settle();
  EXPECT_FALSE(Row().Marked());
  EXPECT_EQ(Field().palette().color(QPalette::Base), base);
  EXPECT_EQ(Field().toolTip(), tip);
  EXPECT_EQ(ShownTexts(), Entries({25, 27}));
}

TEST_F(FilterRowTest, SortFindSelectionCopyAndSaveActOnTheShownRows) {
  ScanFile(dir_.Write("entries.bin", EntryLines(30)));
  Type(QStringLiteral("entry 01"));
  Settle();
  // Sorted by text twice: descending, the shown rows only.
  SortByText();
  SortByText();
  EXPECT_EQ(ShownTexts(), Entries({19, 18, 17, 16, 15, 14, 13, 12, 11, 10}));

  // Find selects among the shown rows: "entry 0" is in every one of them,
  // "entry 005" in none.
  Search().SetControlText(kFindEdit, QStringLiteral("entry 005"));
  Command(kFindButton);
  EXPECT_TRUE(List().SelectedRowsInDisplayOrder().empty());
  Search().SetControlText(kFindEdit, QStringLiteral("5"));
  Command(kFindButton);
  EXPECT_EQ(List().SelectedRowsInDisplayOrder(), std::vector<std::uint32_t>{15});

  // Select all, Copy and Save take the shown rows in display order.
  List().selectAll();
  Command(kCopyCommand);
  std::string rows;
  for (int k = 19; k >= 10; --k) {
    char line[64];
    std::snprintf(line, sizeof line, "%012X   %012X      0   entry %03d\r\n", 10 * k, 10 * k, k);
    rows += line;
  }
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), rows);
  const std::string out = (dir_.Path() / "shown.txt").string();
  dialogs_.saveAnswer = out;
  Command(kSaveButton);
  EXPECT_EQ(ReadFile(out), std::string(kHeaderBlock) + rows);

  // Cleared, every row comes back in the sort the list shows.
  Field().clear();
  Settle();
  std::vector<std::string> all;
  for (int k = 29; k >= 0; --k) {
    all.push_back(Entry(k));
  }
  EXPECT_EQ(ShownTexts(), all);
  EXPECT_TRUE(Text(kFilterShownText).isEmpty());
}

// Sorts under a filter reach the whole order when the filter is cleared,
// ties kept as they would have been: a sort by Length (all equal here) after
// one by Text keeps the Text order, and a later filter is sorted the same
// way.
TEST_F(FilterRowTest, SortsUnderAFilterReachEveryRowWhenCleared) {
  ScanFile(dir_.Write("entries.bin", EntryLines(12) + "a much longer entry 005\n"));
  ASSERT_EQ(engine_.store.Count(), 13u);
  Type(QStringLiteral("5"));
  Settle();
  ASSERT_EQ(ShownTexts(), (std::vector<std::string>{"entry 005", "a much longer entry 005"}));
  SortByText();
  List().ClickHeader(static_cast<int>(ResultColumn::Length));
  WaitForTasks();
  List().ClickHeader(static_cast<int>(ResultColumn::Length));
  WaitForTasks();
  EXPECT_EQ(ShownTexts(), (std::vector<std::string>{"a much longer entry 005", "entry 005"}));
  EXPECT_EQ(Model().Pending().size(), 2u);

  // Another filter over the whole order, then sorted as the list is.
  Field().setText(QStringLiteral("entry 01"));
  Settle();
  EXPECT_EQ(ShownTexts(), Entries({10, 11}));
  Field().clear();
  Settle();
  std::vector<std::string> expected{"a much longer entry 005"};
  for (int k = 0; k < 12; ++k) {
    expected.push_back(Entry(k));
  }
  EXPECT_EQ(ShownTexts(), expected);
  EXPECT_TRUE(Model().Pending().empty());
  EXPECT_EQ(Model().AllOrder(), Model().Order());

  // A filter that leaves one row has nothing to move, yet the click still
  // sorts every row once the filter is cleared.
  Field().setText(QStringLiteral("entry 003"));
  Settle();
  ASSERT_EQ(Model().rowCount(), 1);
  SortByText();
  SortByText();
  EXPECT_EQ(List().header()->sortIndicatorOrder(), Qt::DescendingOrder);
  Field().clear();
  Settle();
  std::reverse(expected.begin(), expected.end());
  EXPECT_EQ(ShownTexts(), expected);
}

TEST_F(FilterRowTest, SaveWithoutAFilterIsUnchanged) {
  ScanFile(dir_.Write("entries.bin", EntryLines(70)));
  const std::string before = (dir_.Path() / "before.txt").string();
  const std::string after = (dir_.Path() / "after.txt").string();
  dialogs_.saveAnswer = before;
  Command(kSaveButton);
  Type(QStringLiteral("entry 06"));
  Settle();
  Field().clear();
  Settle();
  dialogs_.saveAnswer = after;
  Command(kSaveButton);
  const std::string saved = ReadFile(before);
  EXPECT_FALSE(saved.empty());
  EXPECT_EQ(ReadFile(after), saved);
}

TEST_F(FilterRowTest, TheNormalViewRunsThroughTheShownStringsOnly) {
  ScanFile(dir_.Write("entries.bin", EntryLines(20)));
  const std::string whole = Search().Normal()->Text();
  // Filtered in the advanced view, then shown in the normal one.
  Type(QStringLiteral("entry 01"));
  Settle();
  UseAdvancedView(false);
  std::string shown;
  for (int k = 10; k < 20; ++k) {
    shown += Entry(k) + " ";
  }
  EXPECT_EQ(Search().Normal()->Text(), shown);
  // Find searches what is shown.
  EXPECT_FALSE(Search().Normal()->FindText("entry 005", 0).has_value());
  ASSERT_TRUE(Search().Normal()->FindText("entry 013", 0).has_value());
  // The string at the caret is a shown one: the bytes pane names it.
  Search().Normal()->SetSelection(Entry(0).size() * 3 + 3, Entry(0).size() * 3 + 3);
  EXPECT_EQ(Search().CurrentResult(), std::optional<std::uint32_t>(13));

  // A filter changed in the normal view changes its text at once.
  Field().setText(QStringLiteral("entry 012"));
  Settle();
  EXPECT_EQ(Search().Normal()->Text(), Entry(12) + " ");
  Field().clear();
  Settle();
  EXPECT_EQ(Search().Normal()->Text(), whole);
}

TEST_F(FilterRowTest, ANewScanKeepsTheFilterAndAppliesIt) {
  ScanFile(dir_.Write("first.bin", EntryLines(30)));
  Type(QStringLiteral("entry 02"));
  Settle();
  ASSERT_EQ(Model().rowCount(), 10);
  ScanFile(dir_.Write("second.bin", EntryLines(25)));
  Settle();
  EXPECT_EQ(Field().text(), QStringLiteral("entry 02"));
  EXPECT_EQ(ShownTexts(), Entries({20, 21, 22, 23, 24}));
  EXPECT_EQ(Text(kFilterShownText), QStringLiteral("Showing 5 of 25"));
  EXPECT_EQ(Text(kAnsiCountControl), QStringLiteral("AN: 25"));
}

TEST_F(FilterRowTest, WindowsLettersFoldThroughTheField) {
  // "CAF\xC9 CR\xC8ME" holds E acute and E grave capitals; the small ones
  // typed in the field find them unless the case must match.
  engine_.table.SetBytes("\xC8\xC9\x8A", 1);
  ScanFile(dir_.Write("letters.bin",
                      "CAF\xC9 CR\xC8ME\ncafe creme\n\x8A"
                      "ASHLIK\n"));
  ASSERT_EQ(engine_.store.Count(), 3u);
  Type(QStringLiteral("caf\u00E9 cr\u00E8me"));
  Settle();
  EXPECT_EQ(ShownTexts(), std::vector<std::string>{"CAF\xC9 CR\xC8ME"});
  Toggle(kFilterCaseToggle);
  Settle();
  EXPECT_EQ(Model().rowCount(), 0);
  EXPECT_EQ(Text(kFilterShownText), QStringLiteral("Showing 0 of 3"));
  // S caron, which Latin-1 lacks, folds in a regular expression too.
  Toggle(kFilterCaseToggle);
  Toggle(kFilterRegexToggle);
  Field().setText(QStringLiteral("^\u0161ash"));
  Settle();
  EXPECT_EQ(ShownTexts(), std::vector<std::string>{"\x8A"
                                                   "ASHLIK"});
}

TEST_F(FilterRowTest, KindsLengthsAndTagsNarrowTheRows) {
  ScanFile(dir_.Write("kinds.bin",
                      "short\nan ansi string here\n" + Utf16("wide text") + std::string(4, '\0')));
  ASSERT_EQ(Results(StringKind::Unicode), std::vector<std::string>{"wide text"});
  Toggle(kFilterAnsiToggle);
  Settle();
  EXPECT_EQ(ShownTexts(), std::vector<std::string>{"wide text"});
  Toggle(kFilterAnsiToggle);
  Toggle(kFilterUnicodeToggle);
  Settle();
  EXPECT_EQ(ShownTexts(), (std::vector<std::string>{"short", "an ansi string here"}));
  Toggle(kFilterUnicodeToggle);

  // Lengths in characters: empty is no bound.
  SetField(kFilterMinLength, QStringLiteral("6"));
  Settle();
  EXPECT_EQ(ShownTexts(), (std::vector<std::string>{"an ansi string here", "wide text"}));
  SetField(kFilterMaxLength, QStringLiteral("9"));
  Settle();
  EXPECT_EQ(ShownTexts(), std::vector<std::string>{"wide text"});
  SetField(kFilterMinLength, QStringLiteral("10"));
  Settle();
  EXPECT_EQ(Model().rowCount(), 0);
  SetField(kFilterMinLength, {});
  SetField(kFilterMaxLength, {});
  Settle();
  EXPECT_FALSE(Model().Filtered());
  EXPECT_EQ(Model().rowCount(), 3);

  // None of these strings has a tag.
  Search().ControlAs<QComboBox>(kFilterTagChoice)->setCurrentIndex(kAnyTagChoice);
  Settle();
  EXPECT_EQ(Model().rowCount(), 0);
  EXPECT_FALSE(Text(kFilterShownText).contains(QStringLiteral("no tags yet")));
  Search().ControlAs<QComboBox>(kFilterTagChoice)->setCurrentIndex(kAllStringsChoice);
  Settle();
  EXPECT_EQ(Model().rowCount(), 3);
}

// A tag condition chosen while the tagging after a scan still runs is
// applied again once the tags are known: the rows are those the tags keep,
// whichever of the two ends first, and the label no longer says the tags are
// missing. The same holds for a sort by Tags made meanwhile, which the
// cleared filter's whole order then has.
TEST_F(FilterRowTest, ATagConditionFromBeforeTheTagsIsAppliedWhenTheyCome) {
  ScanFile(dir_.Write("tagged.bin",
                      "plain words\nsee https://example.com/a\nmore plain words\n"
                      "https://example.org/b\n"));
  QComboBox& tags = *Search().ControlAs<QComboBox>(kFilterTagChoice);
  const int url = tags.findText(QStringLiteral("url"));
  ASSERT_GT(url, kAnyTagChoice);
  tags.setCurrentIndex(url);
  List().ClickHeader(static_cast<int>(ResultColumn::Tags));
  Settle();
  ASSERT_EQ(Search().TagSets().size(), engine_.store.Count());
  EXPECT_EQ(ShownTexts(),
            (std::vector<std::string>{"see https://example.com/a", "https://example.org/b"}));
  EXPECT_FALSE(Text(kFilterShownText).contains(QStringLiteral("no tags yet")));
  tags.setCurrentIndex(kAllStringsChoice);
  Settle();
  EXPECT_EQ(ShownTexts(),
            (std::vector<std::string>{"plain words", "more plain words",
                                      "see https://example.com/a", "https://example.org/b"}));
}

TEST_F(FilterRowTest, CtrlLGoesToTheFieldFromAnyPage) {
  window_->show();
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  Field().setText(QStringLiteral("old"));
  Settle();
  window_->Container()->SelectPage(2, true);
  QTest::keyClick(window_.get(), Qt::Key_L, Qt::ControlModifier);
  EXPECT_EQ(window_->Container()->CurrentPage(), 0);
  EXPECT_EQ(QApplication::focusWidget(), &Field());
  EXPECT_EQ(Field().selectedText(), QStringLiteral("old"));
  // Escape in the field with text empties it; it stops nothing else.
  QTest::keyClick(&Field(), Qt::Key_Escape);
  EXPECT_TRUE(Field().text().isEmpty());
  EXPECT_EQ(QApplication::focusWidget(), &Field());
}

}  // namespace
}  // namespace quillex::testing
