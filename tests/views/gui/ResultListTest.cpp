// Standard library
#include <cstdint>
#include <string>
#include <vector>

// Qt
#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QSignalSpy>
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
  EXPECT_EQ(header->sectionSize(0), 96);
  EXPECT_EQ(header->sectionSize(1), 96);
  EXPECT_EQ(header->sectionSize(2), 42);
  EXPECT_EQ(header->sectionSize(3), 800);
  EXPECT_EQ(list_.selectionMode(), QAbstractItemView::ExtendedSelection);
  EXPECT_EQ(list_.selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(list_.palette().color(QPalette::Base), QColor(Qt::white));
  EXPECT_EQ(list_.palette().color(QPalette::Text), QColor(Qt::black));
  EXPECT_EQ(list_.palette().color(QPalette::Inactive, QPalette::Highlight),
            list_.palette().color(QPalette::Active, QPalette::Highlight));
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

}  // namespace
}  // namespace quillex
