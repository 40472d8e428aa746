// Standard library
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Qt
#include <QAbstractItemModelTester>
#include <QIcon>
#include <QImage>
#include <QItemSelectionModel>
#include <QPersistentModelIndex>

#include <gtest/gtest.h>

// Ours
#include "scan/SectionMap.h"
#include "store/ResultStore.h"
#include "views/ResultRows.h"
#include "views/gui/KindIcons.h"
#include "views/gui/ResultListModel.h"

namespace quillex {
namespace {

using testing::AddRows;
using testing::Row;

std::vector<std::uint32_t> Order(const ResultListModel& model) {
  const auto order = model.DisplayOrder();
  return {order.begin(), order.end()};
}

QString Cell(const ResultListModel& model, int row, ResultColumn column) {
  return model.index(row, static_cast<int>(column)).data(Qt::DisplayRole).toString();
}

TEST(ResultListModel, FilledRowsCarryResultIndexTextsAndKindIcons) {
  ResultStore store;
  SectionMap map;
  AddRows(store, {{0x10, 0, "one", StringKind::Ansi},
                  {0x20, 0, "two", StringKind::Ansi},
                  {0x123456789ABC, 0, "three", StringKind::Ansi},
                  {0x400, 7, "res seven", StringKind::Resource},
                  {0x410, 65535, "res max", StringKind::Resource}});
  ResultListModel model(store, map);
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);

  EXPECT_EQ(model.rowCount(), 0);
  model.Fill();
  ASSERT_EQ(model.rowCount(), 5);
  EXPECT_EQ(model.columnCount(), static_cast<int>(ResultColumn::ColumnCount));
  for (int row = 0; row < 5; ++row) {
    EXPECT_EQ(model.index(row, 3).data(ResultIndexRole).toUInt(), static_cast<unsigned>(row));
    EXPECT_EQ(model.ResultIndexAt(row), static_cast<std::uint32_t>(row));
  }
  EXPECT_EQ(Cell(model, 2, ResultColumn::FilePos), "123456789ABC");
  EXPECT_EQ(Cell(model, 2, ResultColumn::MemPos), "123456789ABC");
  EXPECT_EQ(Cell(model, 4, ResultColumn::Id), "65535");
  EXPECT_EQ(Cell(model, 0, ResultColumn::Id), "0");
  EXPECT_EQ(Cell(model, 3, ResultColumn::Text), "res seven");

  const QImage green = KindIcons::Shared().Image(0);
  const QImage blue = KindIcons::Shared().Image(2);
  for (int row = 0; row < 5; ++row) {
    const QVariant decoration = model.index(row, 0).data(Qt::DecorationRole);
    ASSERT_TRUE(decoration.canConvert<QIcon>());
    const QImage shown =
        decoration.value<QIcon>().pixmap(12, 12).toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, row < 3 ? green : blue) << "row " << row;
    EXPECT_FALSE(model.index(row, 3).data(Qt::DecorationRole).isValid());
  }
  EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "File pos");
  EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Mem pos");
  EXPECT_EQ(model.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "ID");
  EXPECT_EQ(model.headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(), "Text");

  // Fill appends; the Go command empties the list before every scan.
  model.Fill();
  EXPECT_EQ(model.rowCount(), 10);
  EXPECT_EQ(model.ResultIndexAt(7), 2u);
  model.ClearRows();
  EXPECT_EQ(model.rowCount(), 0);
  EXPECT_TRUE(model.DisplayOrder().empty());
}

// A screen reader cannot see the kind's letter: the first cell names the kind
// before the position, the others read as they show.
TEST(ResultListModel, TheKindIsReadAsText) {
  ResultStore store;
  SectionMap map;
  AddRows(store, {{0x400, 0, "ansi", StringKind::Ansi},
                  {0x500, 0, "wide", StringKind::Unicode},
                  {0x600, 42, "table", StringKind::Resource}});
  ResultListModel model(store, map);
  model.Fill();
  const auto spoken = [&](int row, ResultColumn column) {
    return model.index(row, static_cast<int>(column)).data(Qt::AccessibleTextRole).toString();
  };
  EXPECT_EQ(spoken(0, ResultColumn::FilePos), "ANSI, 000000000400");
  EXPECT_EQ(spoken(1, ResultColumn::FilePos), "Unicode, 000000000500");
  EXPECT_EQ(spoken(2, ResultColumn::FilePos), "Resource, 000000000600");
  EXPECT_EQ(spoken(2, ResultColumn::Id), "42");
  EXPECT_EQ(spoken(1, ResultColumn::Text), "wide");
  EXPECT_EQ(std::string(KindName(3)), "");
}

TEST(ResultListModel, TextsShowAsWindows1252) {
  ResultStore store;
  SectionMap map;
  AddRows(store, {{0, 0, "\x80 \x93quoted\x94 caf\xE9 \x81", StringKind::Ansi},
                  {0, 0, "one\r\ntwo\tthree", StringKind::Ansi}});
  ResultListModel model(store, map);
  model.Fill();
  EXPECT_EQ(Cell(model, 0, ResultColumn::Text),
            QString::fromUtf8("\u20AC \u201Cquoted\u201D caf\u00E9 \u0081"));
  // A row is one line: line breaks show as spaces so no part of the text hides.
  EXPECT_EQ(Cell(model, 1, ResultColumn::Text), "one  two\tthree");
}

TEST(ResultListModel, ClicksAlternateDirectionAndSurviveRefill) {
  ResultStore store;
  SectionMap map;
  AddRows(store, {{0x30, 9, "banana", StringKind::Resource},
                  {0x10, 10, "apple", StringKind::Resource},
                  {0x20, 100, "Apple", StringKind::Resource},
                  {0x40, 2, "cherry", StringKind::Resource}});
  ResultListModel model(store, map);
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  model.Fill();
  EXPECT_EQ(model.SortColumn(), -1);
  EXPECT_EQ(model.SortDirection(), 1);

  model.SortByColumn(ResultColumn::Id);
  EXPECT_EQ(model.SortDirection(), 1);
  // IDs sort as numbers: 2 9 10 100, and descending starts at the largest.
  EXPECT_EQ(Order(model), (std::vector<std::uint32_t>{3, 0, 1, 2}));
  model.SortByColumn(ResultColumn::Id);
  EXPECT_EQ(model.SortDirection(), -1);
  EXPECT_EQ(Order(model), (std::vector<std::uint32_t>{2, 1, 0, 3}));

  // Another column starts ascending; apple and Apple are equal and keep the
  // order they had (from the descending ID sort: Apple, then apple).
  model.SortByColumn(ResultColumn::Text);
  EXPECT_EQ(model.SortColumn(), static_cast<int>(ResultColumn::Text));
  EXPECT_EQ(model.SortDirection(), 1);
  EXPECT_EQ(Order(model), (std::vector<std::uint32_t>{2, 1, 0, 3}));
  model.SortByColumn(ResultColumn::Text);
  EXPECT_EQ(Order(model), (std::vector<std::uint32_t>{3, 0, 2, 1}));

  model.SortByColumn(ResultColumn::FilePos);
  EXPECT_EQ(Order(model), (std::vector<std::uint32_t>{1, 2, 0, 3}));

  // A new scan: rows come back in store order, the remembered column and
  // direction stay, so the same column is reversed.
  model.ClearRows();
  model.Fill();
  EXPECT_EQ(Order(model), (std::vector<std::uint32_t>{0, 1, 2, 3}));
  EXPECT_EQ(model.SortColumn(), static_cast<int>(ResultColumn::FilePos));
  model.SortByColumn(ResultColumn::FilePos);
  EXPECT_EQ(model.SortDirection(), -1);
  EXPECT_EQ(Order(model), (std::vector<std::uint32_t>{3, 0, 2, 1}));

  // A click on an empty list only changes the state.
  model.ClearRows();
  model.SortByColumn(ResultColumn::FilePos);
  EXPECT_EQ(model.SortDirection(), 1);
  EXPECT_EQ(model.rowCount(), 0);
}

TEST(ResultListModel, SelectionFollowsRowsThroughSort) {
  ResultStore store;
  SectionMap map;
  AddRows(store, {{3, 0, "c", StringKind::Ansi},
                  {1, 0, "a", StringKind::Ansi},
                  {2, 0, "b", StringKind::Unicode}});
  ResultListModel model(store, map);
  model.Fill();
  QItemSelectionModel selection(&model);
  selection.select(model.index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  const QPersistentModelIndex current(model.index(2, 1));
  model.SortByColumn(ResultColumn::Text);
  EXPECT_EQ(Order(model), (std::vector<std::uint32_t>{1, 2, 0}));
  EXPECT_TRUE(selection.isRowSelected(2, {}));
  EXPECT_FALSE(selection.isRowSelected(0, {}));
  EXPECT_EQ(current.row(), 1);
  EXPECT_EQ(current.column(), 1);
}

// Under a filter the model shows some rows and keeps the whole order; sorts
// of the shown rows wait as pending sorts, one per column, until the filter
// ends, and rows filtered from an order that has changed since are refused.
TEST(ResultListModel, AFilterKeepsTheWholeOrderAndItsPendingSorts) {
  ResultStore store;
  SectionMap map;
  AddRows(store, {{0x10, 0, "delta", StringKind::Ansi},
                  {0x20, 0, "alpha", StringKind::Ansi},
                  {0x30, 0, "charlie", StringKind::Ansi},
                  {0x40, 0, "bravo", StringKind::Ansi}});
  ResultListModel model(store, map);
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  model.Fill();
  const RowOrderPtr whole = model.AllOrder();
  EXPECT_EQ(whole, model.Order());
  EXPECT_FALSE(model.Filtered());

  ASSERT_TRUE(model.ShowFiltered(
      std::make_shared<const std::vector<std::uint32_t>>(std::vector<std::uint32_t>{0, 2}), whole));
  EXPECT_TRUE(model.Filtered());
  EXPECT_EQ(Order(model), (std::vector<std::uint32_t>{0, 2}));
  EXPECT_EQ(model.AllOrder(), whole);
  model.SortByColumn(ResultColumn::Text);
  model.SortByColumn(ResultColumn::Length);
  model.SortByColumn(ResultColumn::Text);
  // The third click sorts by Text ascending: charlie before delta.
  EXPECT_EQ(Order(model), (std::vector<std::uint32_t>{2, 0}));
  EXPECT_EQ(model.Pending(), (PendingSorts{{static_cast<int>(ResultColumn::Length), 1},
                                           {static_cast<int>(ResultColumn::Text), 1}}));
  // The whole order is untouched until the filter ends.
  EXPECT_EQ(*model.AllOrder(), (std::vector<std::uint32_t>{0, 1, 2, 3}));

  // Replayed, the pending sorts give what sorting every row would have.
  const std::optional<std::vector<std::uint32_t>> all =
      ReplaySorts(store, map, *whole, model.Pending(), nullptr);
  ASSERT_TRUE(all.has_value());
  EXPECT_EQ(*all, (std::vector<std::uint32_t>{1, 3, 2, 0}));
  // Rows made from another order are refused.
  const auto other = std::make_shared<const std::vector<std::uint32_t>>(*all);
  EXPECT_FALSE(model.ShowAll(other, other));
  EXPECT_TRUE(model.Filtered());
  ASSERT_TRUE(model.ShowAll(other, whole));
  EXPECT_FALSE(model.Filtered());
  EXPECT_TRUE(model.Pending().empty());
  EXPECT_EQ(Order(model), (std::vector<std::uint32_t>{1, 3, 2, 0}));
  EXPECT_EQ(model.AllOrder(), model.Order());
  EXPECT_FALSE(model.ShowFiltered(
      std::make_shared<const std::vector<std::uint32_t>>(std::vector<std::uint32_t>{1}), whole));

  // Without a filter a sort is the whole order's at once.
  model.SortByColumn(ResultColumn::Text);
  EXPECT_EQ(model.AllOrder(), model.Order());
  EXPECT_TRUE(model.Pending().empty());
  model.ClearRows();
  EXPECT_EQ(model.rowCount(), 0);
  EXPECT_EQ(model.AllOrder(), model.Order());
}

// A sort made on a worker of a filter's one or no rows moves nothing, but is
// still pending for when the filter ends; a cancelled one is not.
TEST(ResultListModel, ASortOfFewerThanTwoShownRowsIsStillPending) {
  ResultStore store;
  SectionMap map;
  AddRows(store, {{0x10, 0, "delta", StringKind::Ansi}, {0x20, 0, "alpha", StringKind::Ansi}});
  ResultListModel model(store, map);
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  model.Fill();
  ASSERT_TRUE(model.ShowFiltered(
      std::make_shared<const std::vector<std::uint32_t>>(std::vector<std::uint32_t>{0}),
      model.AllOrder()));
  CancelFlag cancelled;
  cancelled.store(true);
  EXPECT_FALSE(ResultListModel::Sorted(store, map, model.Order(), ResultColumn::Text, 1, &cancelled)
                   .has_value());
  std::optional<SortedRows> sorted =
      ResultListModel::Sorted(store, map, model.Order(), ResultColumn::Text, -1, nullptr);
  ASSERT_TRUE(sorted.has_value());
  ASSERT_TRUE(model.ApplySorted(std::move(*sorted)));
  EXPECT_EQ(Order(model), std::vector<std::uint32_t>{0});
  EXPECT_EQ(model.Pending(), (PendingSorts{{static_cast<int>(ResultColumn::Text), -1}}));
}

}  // namespace
}  // namespace quillex
