// Standard library
#include <string>

// Qt
#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

// Ours
#include "scan/SectionMap.h"
#include "store/ResultStore.h"
#include "views/gui/NormalView.h"
#include "views/gui/ResultList.h"
#include "views/gui/ResultListModel.h"
#include "views/gui/RunningText.h"
#include "views/gui/ViewSwitch.h"

namespace quillex {
namespace {

void AddTexts(ResultStore& store, std::initializer_list<const char*> texts) {
  std::uint32_t position = 0;
  for (const char* text : texts) {
    ASSERT_TRUE(store.AddResult(position++, 0, 0, text, StringKind::Ansi));
  }
}

TEST(ViewSwitch, FillClearAndSwitchTheTwoViews) {
  ResultStore store;
  SectionMap map;
  ResultListModel model(store, map);
  ResultList list(model);
  NormalView view;

  ShowRunningText(view, store.Pool());
  EXPECT_TRUE(view.Text().empty()) << "no results leave the view empty";

  AddTexts(store, {"ab", "cd", "e"});
  model.Fill();
  ShowRunningText(view, store.Pool());
  EXPECT_EQ(view.Text(), "ab cd e ");

  QWidget page;
  list.setParent(&page);
  view.setParent(&page);
  list.setGeometry(5, 46, 335, 135);
  view.setGeometry(5, 46, 335, 135);
  page.show();
  SwitchView(false, &list, &view);
  EXPECT_TRUE(view.isVisible());
  EXPECT_FALSE(list.isVisible());
  SwitchView(true, &list, &view);
  EXPECT_TRUE(list.isVisible());
  EXPECT_FALSE(view.isVisible());
  EXPECT_EQ(list.geometry(), view.geometry());
  EXPECT_EQ(list.geometry(), QRect(5, 46, 335, 135));

  // The whole running text arrives, however long (no edit-control limit).
  std::string big(70000, 'x');
  big.back() = 'Z';
  store.AddResult(99, 0, 0, big.c_str(), StringKind::Ansi);
  ShowRunningText(view, store.Pool());
  ASSERT_EQ(view.Text().size(), 8 + big.size() + 1);
  EXPECT_EQ(view.FindText("xz ", 0), (TextRange{8 + big.size() - 2, 8 + big.size() + 1}));

  model.ClearRows();
  view.Clear();
  EXPECT_EQ(model.rowCount(), 0);
  EXPECT_TRUE(view.Text().empty());
  list.setParent(nullptr);
  view.setParent(nullptr);
}

class NormalViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view_.resize(400, 200);
    view_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view_));
  }
  // Characters that fit on one display line at the current width.
  std::size_t Columns() const {
    std::string probe(2000, 'x');
    NormalView& view = const_cast<NormalView&>(view_);
    const std::string saved = view.Text();
    view.SetText(probe);
    const std::size_t columns = view.LineStart(1);
    view.SetText(saved);
    return columns;
  }

  NormalView view_;
};

TEST_F(NormalViewTest, LineBreaksAndWrapping) {
  view_.SetText("first\r\nsecond\nthird\rfourth\r\rsixth");
  ASSERT_EQ(view_.LineCount(), 6u);
  EXPECT_EQ(view_.LineStart(1), 7u);   // after CR LF
  EXPECT_EQ(view_.LineStart(2), 14u);  // after LF
  EXPECT_EQ(view_.LineStart(3), 20u);  // after CR
  EXPECT_EQ(view_.LineStart(4), 27u);  // the first of two CRs ends "fourth"
  EXPECT_EQ(view_.LineStart(5), 28u);  // the second ends an empty line
  EXPECT_EQ(view_.LineFromChar(0), 0u);
  EXPECT_EQ(view_.LineFromChar(5), 0u);  // the CR of CR LF stays on its line
  EXPECT_EQ(view_.LineFromChar(7), 1u);
  EXPECT_EQ(view_.LineFromChar(view_.Text().size()), 5u);

  const std::size_t columns = Columns();
  ASSERT_GT(columns, 10u);
  // Words wrap after the space before them; a word wider than the line is cut.
  std::string text(columns - 3, 'a');
  text += " bbbbbb ";
  text += std::string(columns * 2 + 5, 'c');
  view_.SetText(text);
  ASSERT_EQ(view_.LineCount(), 5u);
  EXPECT_EQ(view_.LineStart(1), columns - 2);  // "bbbbbb" moved down whole
  EXPECT_EQ(view_.LineStart(2), columns - 2 + 7);
  EXPECT_EQ(view_.LineStart(3), columns - 2 + 7 + columns);
  EXPECT_EQ(view_.LineStart(4), columns - 2 + 7 + 2 * columns);
  EXPECT_EQ(view_.LineFromChar(columns - 3), 0u);  // the space hangs on line 0

  // A hidden view lays out at the width it has when it is shown.
  NormalView hidden;
  hidden.resize(80, 200);
  hidden.SetText(text);
  hidden.resize(400, 200);
  hidden.show();
  EXPECT_EQ(hidden.LineCount(), 5u);
  EXPECT_EQ(hidden.LineStart(1), columns - 2);

  // Narrower view, more lines; the layout follows the width.
  view_.resize(200, 200);
  EXPECT_GT(view_.LineCount(), 5u);
  view_.SetText("");
  EXPECT_EQ(view_.LineCount(), 1u);
  EXPECT_EQ(view_.LineFromChar(0), 0u);
}

TEST_F(NormalViewTest, FindTextIgnoresCaseAndFindsOverlaps) {
  view_.SetText("xaaa");
  EXPECT_EQ(view_.FindText("aa", 0), (TextRange{1, 3}));
  EXPECT_EQ(view_.FindText("aa", 2), (TextRange{2, 4}));
  EXPECT_FALSE(view_.FindText("aa", 3).has_value());
  EXPECT_FALSE(view_.FindText("", 0).has_value());
  EXPECT_FALSE(view_.FindText("xaaax", 0).has_value());
  EXPECT_FALSE(view_.FindText("a", 5).has_value());

  view_.SetText(
      "Hello hELLO world CAF\xC9 caf\xE9 \x8A"
      "a [x] @");
  EXPECT_EQ(view_.FindText("hello", 0), (TextRange{0, 5}));
  EXPECT_EQ(view_.FindText("HeLLo", 1), (TextRange{6, 11}));
  EXPECT_EQ(view_.FindText("caf\xE9", 0), (TextRange{18, 22}));
  EXPECT_EQ(view_.FindText("CAF\xC9", 19), (TextRange{23, 27}));
  EXPECT_EQ(view_.FindText("\x9A"
                           "A",
                           0),
            (TextRange{28, 30}));
  // Only letters fold: '[' and '{', '@' and '`' stay apart.
  EXPECT_FALSE(view_.FindText("{x}", 0).has_value());
  EXPECT_EQ(view_.FindText("[X]", 0), (TextRange{31, 34}));
  EXPECT_FALSE(view_.FindText("`", 0).has_value());
}

TEST_F(NormalViewTest, SelectionScrollingAndCopy) {
  std::string text;
  for (int i = 0; i < 300; ++i) {
    text += "line" + std::to_string(i) + "\r\n";
  }
  view_.SetText(text);
  EXPECT_EQ(view_.Selection(), (TextRange{0, 0}));
  EXPECT_TRUE(view_.verticalScrollBar()->isEnabled());

  // SetSelection neither scrolls nor cares about the order of its ends.
  view_.SetSelection(text.find("line250"), text.find("line250") + 7);
  EXPECT_EQ(view_.FirstVisibleLine(), 0u);
  view_.SetSelection(20, 10);
  EXPECT_EQ(view_.Selection(), (TextRange{10, 20}));
  view_.SetSelection(5, 1u << 30);
  EXPECT_EQ(view_.Selection(), (TextRange{5, text.size()}));

  view_.ScrollLines(120);
  EXPECT_EQ(view_.FirstVisibleLine(), 120u);
  view_.ScrollLines(-50);
  EXPECT_EQ(view_.FirstVisibleLine(), 70u);
  view_.ScrollLines(-1000);
  EXPECT_EQ(view_.FirstVisibleLine(), 0u);
  view_.ScrollLines(100000);
  EXPECT_EQ(view_.FirstVisibleLine() + static_cast<std::size_t>(view_.LinesPerPage()),
            view_.LineCount());
  QTest::keyClick(&view_, Qt::Key_Home);
  EXPECT_EQ(view_.FirstVisibleLine(), 0u);
  QTest::keyClick(&view_, Qt::Key_PageDown);
  EXPECT_EQ(view_.FirstVisibleLine(), static_cast<std::size_t>(view_.LinesPerPage()));
  QTest::keyClick(&view_, Qt::Key_Down);
  EXPECT_EQ(view_.FirstVisibleLine(), static_cast<std::size_t>(view_.LinesPerPage()) + 1);

  view_.SetText("caf\xE9 \x80 text\r\nnext");
  view_.SetSelection(0, 13);
  EXPECT_EQ(view_.SelectedText(), QString::fromUtf8("caf\u00E9 \u20AC text\r\n"));
  QApplication::clipboard()->setText("before");
  QTest::keyClick(&view_, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("caf\u00E9 \u20AC text\r\n"));
  view_.SetSelection(3, 3);
  view_.Copy();
  EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("caf\u00E9 \u20AC text\r\n"))
      << "an empty selection copies nothing";
  QTest::keyClick(&view_, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(view_.Selection(), (TextRange{0, view_.Text().size()}));
}

TEST_F(NormalViewTest, MouseSelects) {
  view_.SetText("alpha beta\r\ngamma delta");
  ASSERT_EQ(view_.LineCount(), 2u);
  const QFontMetrics metrics(view_.font());
  const int charWidth = metrics.horizontalAdvance(QLatin1Char('x'));
  const int lineHeight = metrics.lineSpacing();
  // Character boundaries sit at 2 + n * charWidth; aim just past each one.
  const auto at = [&](int column, int line) {
    return QPoint(2 + column * charWidth + 1, 2 + line * lineHeight + lineHeight / 2);
  };
  QTest::mousePress(view_.viewport(), Qt::LeftButton, {}, at(6, 0));
  QTest::mouseMove(view_.viewport(), at(5, 1));
  QTest::mouseRelease(view_.viewport(), Qt::LeftButton, {}, at(5, 1));
  EXPECT_EQ(view_.Selection(), (TextRange{6, 17}));
  EXPECT_EQ(view_.SelectedText(), "beta\r\ngamma");

  QTest::mouseDClick(view_.viewport(), Qt::LeftButton, {}, at(8, 1));
  EXPECT_EQ(view_.SelectedText(), "delta");
  // Past the end of a line the boundary is the line's end, before its break.
  QTest::mouseClick(view_.viewport(), Qt::LeftButton, {}, at(40, 0));
  EXPECT_EQ(view_.Selection(), (TextRange{10, 10}));
  QTest::mouseClick(view_.viewport(), Qt::LeftButton, {}, at(2, 7));
  EXPECT_EQ(view_.Selection(), (TextRange{23, 23}));
  // Painting a selection across lines must not trip over the line ends.
  view_.SetSelection(3, 20);
  EXPECT_FALSE(view_.grab().isNull());
}

}  // namespace
}  // namespace quillex
