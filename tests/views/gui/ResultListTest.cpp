// Standard library
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

// Qt
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QHeaderView>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>

#include <gtest/gtest.h>

// Ours
#include "scan/SectionMap.h"
#include "store/ResultStore.h"
#include "views/gui/KindIcons.h"
#include "views/gui/ResultList.h"
#include "views/gui/ResultListModel.h"

namespace quillex {
namespace {

class ResultListTest : public ::testing::Test {
 protected:
  void Add(std::uint32_t position, const std::string& text, std::uint16_t id = 0) {
    ASSERT_TRUE(store_.AddResult(position, 0, id, text.c_str(), StringKind::Ansi));
  }
  void Show(int rows) {
    for (int i = 0; i < rows; ++i) {
      Add(static_cast<std::uint32_t>(i), "row " + std::to_string(i));
    }
    model_.Fill();
    list_.resize(600, 300);
    list_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list_));
  }

  ResultStore store_;
  SectionMap map_;
  ResultListModel model_{store_, map_};
  ResultList list_{model_};
};

TEST_F(ResultListTest, ColumnsAndLook) {
  const QHeaderView* header = list_.header();
  // The layout's widths, or wider where the font needs it.
  EXPECT_EQ(header->sectionSize(0), std::max(96, list_.MinimumColumnWidth(0)));
  EXPECT_EQ(header->sectionSize(1), std::max(96, list_.MinimumColumnWidth(1)));
  EXPECT_EQ(header->sectionSize(2), std::max(42, list_.MinimumColumnWidth(2)));
  EXPECT_EQ(header->sectionSize(3), 800);
  EXPECT_EQ(list_.selectionMode(), QAbstractItemView::ExtendedSelection);
  EXPECT_EQ(list_.selectionBehavior(), QAbstractItemView::SelectRows);
  // The theme's colours, not colours of the list's own.
  EXPECT_EQ(list_.palette().color(QPalette::Base), QApplication::palette().color(QPalette::Base));
  EXPECT_EQ(list_.palette().color(QPalette::Text), QApplication::palette().color(QPalette::Text));
}

// The sorted column shows the style's arrow, pointing the way the rows go;
// a new scan's rows are in store order and show none.
TEST_F(ResultListTest, TheSortedColumnShowsItsIndicator) {
  Add(0, "b", 96);
  Add(1, "A", 55992);
  Add(2, "c", 7);
  model_.Fill();
  const QHeaderView& header = *list_.header();
  EXPECT_TRUE(header.isSortIndicatorShown());
  EXPECT_EQ(header.sortIndicatorSection(), -1);

  // A real click on the ID header, twice.
  const int id = static_cast<int>(ResultColumn::Id);
  const QPoint centre(header.sectionViewportPosition(id) + header.sectionSize(id) / 2,
                      header.height() / 2);
  QTest::mouseClick(header.viewport(), Qt::LeftButton, Qt::NoModifier, centre);
  EXPECT_EQ(header.sortIndicatorSection(), id);
  EXPECT_EQ(header.sortIndicatorOrder(), Qt::AscendingOrder);
  EXPECT_EQ(model_.DisplayOrder().front(), 2u);
  QTest::mouseClick(header.viewport(), Qt::LeftButton, Qt::NoModifier, centre);
  EXPECT_EQ(header.sortIndicatorOrder(), Qt::DescendingOrder);
  EXPECT_EQ(model_.SortDirection(), -1);
  EXPECT_EQ(model_.DisplayOrder().front(), 1u) << "descending starts with the largest ID";

  list_.ClickHeader(static_cast<int>(ResultColumn::Text));
  EXPECT_EQ(header.sortIndicatorSection(), static_cast<int>(ResultColumn::Text));
  EXPECT_EQ(header.sortIndicatorOrder(), Qt::AscendingOrder);

  model_.ClearRows();
  model_.Fill();
  EXPECT_EQ(header.sortIndicatorSection(), -1);
  // The remembered click state is the model's: the same column reverses.
  list_.ClickHeader(static_cast<int>(ResultColumn::Text));
  EXPECT_EQ(header.sortIndicatorSection(), static_cast<int>(ResultColumn::Text));
  EXPECT_EQ(header.sortIndicatorOrder(), Qt::DescendingOrder);
}

TEST_F(ResultListTest, HeaderClickSortsBetweenStatusMessages) {
  Add(0, "b");
  Add(1, "A");
  Add(2, "c");
  model_.Fill();
  std::vector<std::string> messages;
  std::vector<std::uint32_t> orderWhenReady;
  list_.SetStatusCallback([&](const char* text) {
    messages.emplace_back(text);
    if (messages.back() == "Ready") {
      const auto order = model_.DisplayOrder();
      orderWhenReady.assign(order.begin(), order.end());
    }
  });
  emit list_.header()->sectionClicked(static_cast<int>(ResultColumn::Text));
  EXPECT_EQ(messages, (std::vector<std::string>{"Sorting...", "Ready"}));
  EXPECT_EQ(orderWhenReady, (std::vector<std::uint32_t>{1, 0, 2}));
  list_.ClickHeader(static_cast<int>(ResultColumn::Text));
  EXPECT_EQ(model_.SortDirection(), -1);
  EXPECT_EQ(messages.size(), 4u);
}

TEST_F(ResultListTest, RightClickShowsCopyMenuOnlyOverRows) {
  Show(3);
  int menusShown = 0;
  QStringList entries;
  list_.SetMenuRunner([&](QMenu& menu, const QPoint&) {
    ++menusShown;
    for (QAction* action : menu.actions()) {
      entries << action->text();
      EXPECT_EQ(action->data().toInt(), kCopyCommand);
    }
    menu.actions().front()->trigger();
  });
  QSignalSpy copies(&list_, &ResultList::copyRequested);

  const QRect lastRow = list_.visualRect(model_.index(2, 0));
  const QPoint below(lastRow.center().x(), lastRow.bottom() + 3 * lastRow.height());
  ASSERT_LT(below.y(), list_.viewport()->height());
  EXPECT_FALSE(list_.RightClickAt(below));
  QContextMenuEvent outside(QContextMenuEvent::Mouse, below, list_.viewport()->mapToGlobal(below));
  QCoreApplication::sendEvent(list_.viewport(), &outside);
  EXPECT_EQ(menusShown, 0);
  EXPECT_EQ(copies.count(), 0);

  EXPECT_TRUE(list_.RightClickAt(list_.visualRect(model_.index(1, 3)).center()));
  EXPECT_EQ(menusShown, 1);
  EXPECT_EQ(entries, QStringList{"&Copy"});
  EXPECT_EQ(copies.count(), 1);
  QContextMenuEvent onRow(QContextMenuEvent::Mouse, lastRow.center(),
                          list_.viewport()->mapToGlobal(lastRow.center()));
  QCoreApplication::sendEvent(list_.viewport(), &onRow);
  EXPECT_EQ(menusShown, 2);
}

TEST_F(ResultListTest, SelectedRowsComeInDisplayOrder) {
  Show(6);
  list_.SetRowSelected(4);
  list_.SetRowSelected(1);
  list_.SelectRows(std::vector<int>{2, 3, 5, 3, -1, 99});
  list_.SetRowSelected(5, false);
  EXPECT_TRUE(list_.IsRowSelected(1));
  EXPECT_FALSE(list_.IsRowSelected(0));
  EXPECT_EQ(list_.SelectedRowsInDisplayOrder(), (std::vector<std::uint32_t>{1, 2, 3, 4}));
  // Rows carry their selection through a sort; the order is the new one.
  list_.ClickHeader(static_cast<int>(ResultColumn::FilePos));
  list_.ClickHeader(static_cast<int>(ResultColumn::FilePos));
  EXPECT_EQ(list_.SelectedRowsInDisplayOrder(), (std::vector<std::uint32_t>{4, 3, 2, 1}));
  EXPECT_TRUE(list_.IsRowSelected(1));  // result 4 now sits in row 1
}

TEST_F(ResultListTest, ScrollingHelpersForFind) {
  Show(500);
  const int perPage = list_.CountPerPage();
  ASSERT_GT(perPage, 3);
  const int rowHeight = list_.visualRect(model_.index(0, 0)).height();
  EXPECT_EQ(perPage, list_.viewport()->height() / rowHeight);
  EXPECT_EQ(list_.TopVisibleRow(), 0);
  EXPECT_EQ(list_.RowCount(), 500);

  list_.EnsureVisible(300, true);
  const int top = list_.TopVisibleRow();
  EXPECT_LE(top, 300);
  EXPECT_GE(top + perPage, 301) << "row 300 must be fully visible";
  const QRect shown = list_.visualRect(model_.index(300, 0));
  EXPECT_TRUE(list_.viewport()->rect().contains(shown.adjusted(1, 0, -1, 0)));

  // A row already in view does not move the list.
  list_.EnsureVisible(top + 1, true);
  EXPECT_EQ(list_.TopVisibleRow(), top);
}

TEST_F(ResultListTest, MovingBetweenRowsNeverScrollsSideways) {
  // One text far wider than the list makes the Text column wide; the others
  // are short, so scrolling to the Text cell's end would show none of them.
  Add(0, std::string(600, 'W'));
  Show(200);
  list_.FitTextColumn();
  QCoreApplication::processEvents();  // the scroll bars follow the new width
  ASSERT_GT(list_.horizontalScrollBar()->maximum(), 0);

  // A click in the Text column, then the keyboard down the list: the rows
  // go by, the columns stay where they were.
  const QRect cell = list_.visualRect(model_.index(2, 3));
  QTest::mouseClick(list_.viewport(), Qt::LeftButton, {}, cell.center());
  for (int i = 0; i < 40; ++i) {
    QTest::keyClick(&list_, Qt::Key_Down, Qt::ShiftModifier);
  }
  QTest::keyClick(&list_, Qt::Key_PageDown);
  EXPECT_GT(list_.TopVisibleRow(), 0) << "the list followed the current row";
  EXPECT_EQ(list_.horizontalScrollBar()->value(), 0);

  // Scrolled sideways by the user, it stays there too.
  // Scrolled all the way, the end of the widest text is in view.
  const int sideways = list_.horizontalScrollBar()->maximum();
  list_.horizontalScrollBar()->setValue(sideways);
  EXPECT_LE(list_.visualRect(model_.index(0, 3)).right(), list_.viewport()->width());
  QTest::keyClick(&list_, Qt::Key_Up);
  list_.EnsureVisible(150, true);
  EXPECT_EQ(list_.horizontalScrollBar()->value(), sideways);
}

TEST_F(ResultListTest, FitTextColumnFollowsTheWidestText) {
  Add(0, "short");
  Add(1, std::string(150, 'W'));
  Add(2, "mid length text");
  model_.Fill();
  list_.FitTextColumn();
  const int fitted = list_.header()->sectionSize(3);
  const int textWidth = list_.fontMetrics().horizontalAdvance(QString(150, QLatin1Char('W')));
  EXPECT_GE(fitted, textWidth);
  EXPECT_LT(fitted, textWidth + 40);

  // A long list measures only its longest texts, and still finds the widest.
  model_.ClearRows();
  store_.Clear();
  for (int i = 0; i < 5000; ++i) {
    Add(static_cast<std::uint32_t>(i), i == 4321 ? std::string(90, 'M') : "abc");
  }
  model_.Fill();
  list_.FitTextColumn();
  const int wide = list_.fontMetrics().horizontalAdvance(QString(90, QLatin1Char('M')));
  EXPECT_GE(list_.header()->sectionSize(3), wide);
  EXPECT_LT(list_.header()->sectionSize(3), wide + 40);
}

// Twelve hex digits and "65535" fit their columns whole in a font much larger
// than the one the layout's widths were drawn for, at any screen scale.
TEST_F(ResultListTest, PositionAndIdColumnsFitTheirTextsInALargeFont) {
  QFont large = list_.font();
  large.setPointSize(22);
  list_.setFont(large);
  ASSERT_TRUE(store_.AddResult(0x888888, 0x8888, 65535, "wide", StringKind::Resource));
  model_.Fill();
  list_.resize(900, 300);
  list_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&list_));
  const QImage shot = list_.grab().toImage();
  ASSERT_FALSE(shot.isNull());
  const QFontMetrics metrics(large);
  for (const ResultColumn column :
       {ResultColumn::FilePos, ResultColumn::MemPos, ResultColumn::Id}) {
    const QModelIndex index = model_.index(0, static_cast<int>(column));
    const QString text = index.data(Qt::DisplayRole).toString();
    ASSERT_EQ(text.size(), column == ResultColumn::Id ? 5 : 12);
    // Where the style puts the text of this very cell, and the margins it
    // keeps inside that rectangle before it cuts a text off.
    QStyleOptionViewItem option;
    option.initFrom(list_.viewport());
    option.font = large;
    option.rect = list_.visualRect(index);
    option.text = text;
    option.features = QStyleOptionViewItem::HasDisplay;
    const QVariant icon = index.data(Qt::DecorationRole);
    if (icon.isValid()) {
      option.features |= QStyleOptionViewItem::HasDecoration;
      option.icon = icon.value<QIcon>();
      option.decorationSize = list_.iconSize();
    }
    option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    const QRect textRect =
        list_.style()->subElementRect(QStyle::SE_ItemViewItemText, &option, &list_);
    const int margin =
        list_.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &list_) + 1;
    EXPECT_LE(metrics.horizontalAdvance(text), textRect.width() - 2 * margin)
        << "column " << static_cast<int>(column) << " cuts " << text.toStdString();
  }
  EXPECT_GT(list_.header()->sectionSize(0), 96);
  EXPECT_EQ(list_.header()->sectionSize(0), list_.MinimumColumnWidth(0));
  // Rows are as tall as the font.
  EXPECT_GE(list_.visualRect(model_.index(0, 0)).height(), metrics.height());
}

// The view's own commands reach the selection: click, Ctrl, Shift, select
// all; a sort keeps the selected results; clearing and a refill empty it.
// Selected rows paint in the highlight colour.
TEST_F(ResultListTest, MouseAndKeyboardSelectAndPaint) {
  Show(20);
  const auto click = [&](int row, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(list_.viewport(), Qt::LeftButton, modifiers,
                      list_.visualRect(model_.index(row, 1)).center());
  };
  click(2);
  click(5, Qt::ShiftModifier);
  click(9, Qt::ControlModifier);
  EXPECT_EQ(list_.SelectedRowsInDisplayOrder(), (std::vector<std::uint32_t>{2, 3, 4, 5, 9}));
  click(4, Qt::ControlModifier);  // Ctrl on a selected row unselects it
  EXPECT_FALSE(list_.IsRowSelected(4));
  EXPECT_EQ(list_.SelectedRowsInDisplayOrder(), (std::vector<std::uint32_t>{2, 3, 5, 9}));
  click(12, Qt::ShiftModifier);  // extends from the last clicked row
  EXPECT_EQ(list_.SelectedRowsInDisplayOrder(),
            (std::vector<std::uint32_t>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  QTest::keyClick(&list_, Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_TRUE(list_.IsRowSelected(4 + 9));

  const QImage shot = list_.grab().toImage();
  const QColor highlight = list_.palette().color(QPalette::Active, QPalette::Highlight);
  const auto painted = [&](int row) {
    const QRect cell = list_.visualRect(model_.index(row, 1));
    const QPoint at = list_.viewport()->mapTo(&list_, QPoint(cell.right() - 2, cell.center().y()));
    return shot.pixelColor(at) == highlight;
  };
  EXPECT_TRUE(painted(2));
  EXPECT_FALSE(painted(1));
  EXPECT_TRUE(painted(11));
  EXPECT_FALSE(painted(19));

  // A Ctrl drag adds the rows it passes over; a plain drag selects them alone.
  const auto drag = [&](int from, int to, Qt::KeyboardModifiers modifiers) {
    QWidget* viewport = list_.viewport();
    QTest::mousePress(viewport, Qt::LeftButton, modifiers,
                      list_.visualRect(model_.index(from, 1)).center());
    QMouseEvent move(QEvent::MouseMove, list_.visualRect(model_.index(to, 1)).center(),
                     viewport->mapToGlobal(list_.visualRect(model_.index(to, 1)).center()),
                     Qt::NoButton, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(viewport, &move);
    QTest::mouseRelease(viewport, Qt::LeftButton, modifiers,
                        list_.visualRect(model_.index(to, 1)).center());
  };
  list_.clearSelection();
  click(1);
  drag(15, 17, Qt::ControlModifier);
  EXPECT_EQ(list_.SelectedRowsInDisplayOrder(), (std::vector<std::uint32_t>{1, 15, 16, 17}));
  drag(5, 7, Qt::NoModifier);
  EXPECT_EQ(list_.SelectedRowsInDisplayOrder(), (std::vector<std::uint32_t>{5, 6, 7}));

  click(0);  // a plain click keeps only its row
  EXPECT_EQ(list_.SelectedRowsInDisplayOrder(), (std::vector<std::uint32_t>{0}));
  QTest::keyClick(&list_, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(list_.SelectedRowsInDisplayOrder().size(), 20u);
  list_.clearSelection();
  click(7);
  click(3, Qt::ControlModifier);
  list_.ClickHeader(static_cast<int>(ResultColumn::FilePos));
  list_.ClickHeader(static_cast<int>(ResultColumn::FilePos));  // descending
  EXPECT_EQ(list_.SelectedRowsInDisplayOrder(), (std::vector<std::uint32_t>{7, 3}));
  EXPECT_TRUE(list_.IsRowSelected(19 - 7));
  model_.ClearRows();
  model_.Fill();
  EXPECT_TRUE(list_.SelectedRowsInDisplayOrder().empty()) << "a new scan starts unselected";
}

TEST(KindIcons, ColouredSlantedLettersWithoutBlack) {
  const QColor colours[3] = {QColor(0, 128, 0), QColor(255, 0, 0), QColor(0, 0, 255)};
  const KindIcons& icons = KindIcons::Shared();
  for (unsigned kind = 0; kind < 3; ++kind) {
    const QImage& image = icons.Image(kind);
    ASSERT_EQ(image.size(), QSize(12, 12));
    int letterPixels = 0;
    for (int y = 0; y < 12; ++y) {
      for (int x = 0; x < 12; ++x) {
        const QColor pixel = image.pixelColor(x, y);
        EXPECT_NE(pixel, QColor(Qt::black)) << kind << " at " << x << "," << y;
        letterPixels += pixel == colours[kind] ? 1 : 0;
      }
    }
    EXPECT_GE(letterPixels, 8) << "kind " << kind;
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::white));
    EXPECT_FALSE(icons.Icon(kind).isNull());
  }
  EXPECT_NE(icons.Image(0), icons.Image(1));
  EXPECT_TRUE(icons.Icon(3).isNull());
}

// On a dark list the letters stand on the list's colour in lighter shades
// of their hues, each far enough from the background to be read.
TEST(KindIcons, DarkBackgroundsGetLighterLetters) {
  const QColor dark(0x2B, 0x2B, 0x2B);
  const KindIcons& icons = KindIcons::For(dark);
  EXPECT_EQ(&icons, &KindIcons::For(dark)) << "one set per colour";
  EXPECT_EQ(&KindIcons::For(Qt::white), &KindIcons::For(QColor(255, 255, 255)));
  for (unsigned kind = 0; kind < 3; ++kind) {
    const QImage& image = icons.Image(kind);
    EXPECT_EQ(image.pixelColor(0, 0), dark) << kind;
    const QColor letter = icons.LetterColour(kind);
    EXPECT_GE(letter.lightness() - dark.lightness(), 80) << kind;
    int letterPixels = 0;
    for (int y = 0; y < 12; ++y) {
      for (int x = 0; x < 12; ++x) {
        letterPixels += image.pixelColor(x, y) == letter ? 1 : 0;
      }
    }
    EXPECT_GE(letterPixels, 8) << kind;
  }
  // The hues stay: green, red and blue lead their letters' colours.
  EXPECT_GT(icons.LetterColour(0).green(), icons.LetterColour(0).red());
  EXPECT_GT(icons.LetterColour(1).red(), icons.LetterColour(1).green());
  EXPECT_GT(icons.LetterColour(2).blue(), icons.LetterColour(2).red());
}

}  // namespace
}  // namespace quillex
