// The list's columns: their order in the header, which show at start, the
// header's menu that shows and hides them, and sorts by the list's own ones.

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
#include "store/PeHeaders.h"
#include "store/ResultStore.h"
#include "tags/TagCategory.h"
#include "views/ResultRows.h"
#include "views/gui/ListColumns.h"
#include "views/gui/ResultList.h"
#include "views/gui/ResultListModel.h"

namespace quillex {
namespace {

using testing::AddRows;

constexpr int kLength = static_cast<int>(ResultColumn::Length);
constexpr int kSection = static_cast<int>(ResultColumn::Section);
constexpr int kTags = static_cast<int>(ResultColumn::Tags);

class ListColumnsTest : public ::testing::Test {
 protected:
  ListColumnsTest() {
    list_.resize(700, 300);
    list_.show();
    // The menu runner only records the items and may pick one.
    list_.SetMenuRunner([this](QMenu& menu, const QPoint&) {
      ++menus_;
      items_.clear();
      for (QAction* action : menu.actions()) {
        items_.push_back({action->text().toStdString(), action->isChecked(), action->isEnabled()});
      }
      for (QAction* action : menu.actions()) {
        if (action->text() == pick_) {
          action->trigger();
        }
      }
    });
  }
  // The header's menu, as a right click on the header opens it.
  void OpenHeaderMenu(const QString& pick = {}) {
    pick_ = pick;
    emit list_.header()->customContextMenuRequested(QPoint(5, 5));
  }
  // The titles of the shown columns, left to right.
  std::vector<std::string> ShownTitles() const {
    const QHeaderView& header = *list_.header();
    std::vector<std::string> titles;
    for (int place = 0; place < header.count(); ++place) {
      const int column = header.logicalIndex(place);
      if (!header.isSectionHidden(column)) {
        titles.push_back(
            model_.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString().toStdString());
      }
    }
    return titles;
  }
  std::vector<std::uint32_t> Order() const {
    const auto order = model_.DisplayOrder();
    return {order.begin(), order.end()};
  }

  struct Item {
    std::string text;
    bool checked;
    bool enabled;
    friend bool operator==(const Item&, const Item&) = default;
  };
  ResultStore store_;
  SectionMap map_;
  ResultListModel model_{store_, map_};
  ResultList list_{model_};
  int menus_ = 0;
  std::vector<Item> items_;
  QString pick_;
};

// What a user first sees is the four columns Save and Copy know and the
// tags; the list's other columns wait in the header's menu. All of them stand
// before the wide Text column.
TEST_F(ListColumnsTest, LengthAndSectionStartHiddenBeforeText) {
  EXPECT_EQ(model_.columnCount(), 7);
  EXPECT_EQ(ShownTitles(), (std::vector<std::string>{"File pos", "Mem pos", "ID", "Tags", "Text"}));
  const QHeaderView& header = *list_.header();
  EXPECT_EQ(header.visualIndex(kLength), 3);
  EXPECT_EQ(header.visualIndex(kSection), 4);
  EXPECT_EQ(header.visualIndex(kTags), 5);
  EXPECT_EQ(header.visualIndex(static_cast<int>(ResultColumn::Text)), 6);
  // Wide enough for the longest name and the tag that comes with it most.
  EXPECT_GE(header.sectionSize(kTags),
            QFontMetrics(list_.font()).horizontalAdvance("windows-path, pdb"));

  OpenHeaderMenu();
  EXPECT_EQ(menus_, 1);
  EXPECT_EQ(items_, (std::vector<Item>{{"File pos", true, true},
                                       {"Mem pos", true, true},
                                       {"ID", true, true},
                                       {"Length", false, true},
                                       {"Section", false, true},
                                       {"Tags", true, true},
                                       {"Text", true, true}}));
  // The table and the header agree, so that a new column is one row.
  std::vector<int> fromTable;
  for (const ListColumnRow& row : ListColumnRows()) {
    fromTable.push_back(static_cast<int>(row.column));
  }
  EXPECT_EQ(fromTable, (std::vector<int>{0, 1, 2, kLength, kSection, kTags, 3}));
}

TEST_F(ListColumnsTest, TheHeaderMenuShowsAndHidesEachColumn) {
  OpenHeaderMenu(QStringLiteral("Section"));
  EXPECT_EQ(ShownTitles(),
            (std::vector<std::string>{"File pos", "Mem pos", "ID", "Section", "Tags", "Text"}));
  const QHeaderView& header = *list_.header();
  EXPECT_GE(header.sectionSize(kSection), QFontMetrics(list_.font()).horizontalAdvance(".textbss"));
  OpenHeaderMenu(QStringLiteral("Length"));
  OpenHeaderMenu(QStringLiteral("Mem pos"));
  OpenHeaderMenu(QStringLiteral("Tags"));
  EXPECT_EQ(ShownTitles(),
            (std::vector<std::string>{"File pos", "ID", "Length", "Section", "Text"}));

  // A new scan's rows keep the columns as the user left them.
  AddRows(store_, {{0x10, 0, "one", StringKind::Ansi}});
  model_.Fill();
  model_.ClearRows();
  model_.Fill();
  EXPECT_EQ(ShownTitles(),
            (std::vector<std::string>{"File pos", "ID", "Length", "Section", "Text"}));

  // Down to one column, which cannot go: a list without columns would show
  // nothing to click to bring them back.
  OpenHeaderMenu(QStringLiteral("Tags"));
  EXPECT_EQ(ShownTitles(),
            (std::vector<std::string>{"File pos", "ID", "Length", "Section", "Tags", "Text"}));
  for (const char* title : {"File pos", "ID", "Length", "Section", "Tags"}) {
    OpenHeaderMenu(QString::fromLatin1(title));
  }
  EXPECT_EQ(ShownTitles(), (std::vector<std::string>{"Text"}));
  OpenHeaderMenu(QStringLiteral("Text"));
  EXPECT_EQ(ShownTitles(), (std::vector<std::string>{"Text"}));
  EXPECT_EQ(items_.back(), (Item{"Text", true, false}));
}

// The hidden columns sort through the same path as the others, once shown:
// stable, both directions, by header clicks.
TEST_F(ListColumnsTest, HiddenColumnsSortWhenShown) {
  map_.ReadFromBytes(testing::MakePeHeaders(
      0x400000, {{".text", 0x1000, 0x200, 0x400}, {".data", 0x2000, 0x200, 0x600}}));
  AddRows(store_, {{0x610, 0, "bbb", StringKind::Ansi},           // 0 .data
                   {0x410, 0, "a", StringKind::Ansi},             // 1 .text
                   {0x100, 0, "cc", StringKind::Ansi},            // 2 none
                   {0x620, 0, "dd", StringKind::Unicode},         // 3 .data
                   {0x420, 0, "eeeeeeeeee", StringKind::Ansi}});  // 4 .text
  model_.Fill();
  EXPECT_EQ(model_.index(0, kSection).data().toString(), ".data");
  EXPECT_EQ(model_.index(2, kSection).data().toString(), "");
  EXPECT_EQ(model_.index(4, kLength).data().toString(), "10");

  OpenHeaderMenu(QStringLiteral("Length"));
  OpenHeaderMenu(QStringLiteral("Section"));
  list_.ClickHeader(kSection);
  EXPECT_EQ(Order(), (std::vector<std::uint32_t>{2, 0, 3, 1, 4}));
  EXPECT_EQ(list_.header()->sortIndicatorSection(), kSection);
  list_.ClickHeader(kSection);
  EXPECT_EQ(Order(), (std::vector<std::uint32_t>{1, 4, 0, 3, 2}));
  EXPECT_EQ(list_.header()->sortIndicatorOrder(), Qt::DescendingOrder);
  list_.ClickHeader(kLength);
  EXPECT_EQ(Order(), (std::vector<std::uint32_t>{1, 3, 2, 0, 4})) << "ties keep the last order";
  list_.ClickHeader(kLength);
  EXPECT_EQ(Order(), (std::vector<std::uint32_t>{4, 0, 3, 2, 1}));
}

// The Tags column shows the sets the window hands over, sorts by their texts,
// and a sort asked for before they came is made again when they come.
TEST_F(ListColumnsTest, TheTagsColumnShowsAndSortsTheSetsHandedOver) {
  AddRows(store_, {{0x10, 0, "https://example.com/", StringKind::Ansi},   // 0
                   {0x20, 0, "plain words", StringKind::Ansi},            // 1
                   {0x30, 0, "HKLM\\Software", StringKind::Ansi},         // 2
                   {0x40, 0, "http://example.org", StringKind::Unicode},  // 3
                   {0x50, 0, "C:\\x\\y.pdb", StringKind::Ansi}});         // 4
  model_.Fill();
  // Before the tags are known: empty cells, no tint, and a sort keeps the order.
  EXPECT_EQ(model_.index(0, kTags).data().toString(), "");
  EXPECT_EQ(model_.index(0, 0).data(TagCategoryRole).toInt(), 0);
  list_.ClickHeader(kTags);
  EXPECT_EQ(Order(), (std::vector<std::uint32_t>{0, 1, 2, 3, 4}));

  const std::vector<TagSet> tags{TagBit(TagId::Url) | TagBit(TagId::Domain), 0,
                                 TagBit(TagId::Registry), TagBit(TagId::Url),
                                 TagBit(TagId::WindowsPath) | TagBit(TagId::Pdb)};
  QSignalSpy changed(&model_, &QAbstractItemModel::dataChanged);
  model_.SetTags(tags);
  ASSERT_EQ(changed.count(), 1);
  EXPECT_EQ(changed[0][0].toModelIndex(), model_.index(0, 0));
  EXPECT_EQ(changed[0][1].toModelIndex(), model_.index(4, 6));
  list_.SortAgainIfBy(ResultColumn::Tags);
  // "" < "registry" < "url" < "url, domain" < "windows-path, pdb".
  EXPECT_EQ(Order(), (std::vector<std::uint32_t>{1, 2, 3, 0, 4}));
  EXPECT_EQ(model_.index(3, kTags).data().toString(), "url, domain");
  EXPECT_EQ(model_.index(4, kTags).data().toString(), "windows-path, pdb");
  EXPECT_EQ(model_.index(0, kTags).data().toString(), "");
  EXPECT_EQ(model_.index(3, 0).data(TagCategoryRole).toInt(),
            static_cast<int>(TagCategory::Network));
  EXPECT_EQ(model_.index(1, 3).data(TagCategoryRole).toInt(),
            static_cast<int>(TagCategory::Registry));
  // Another column's sort order is not redone.
  list_.ClickHeader(kTags);
  EXPECT_EQ(Order(), (std::vector<std::uint32_t>{4, 0, 3, 2, 1}));
  list_.ClickHeader(kLength);
  const std::vector<std::uint32_t> byLength = Order();
  list_.SortAgainIfBy(ResultColumn::Tags);
  EXPECT_EQ(Order(), byLength);
  // Handed back empty (a new scan): no tags again.
  model_.SetTags({});
  EXPECT_EQ(model_.index(0, kTags).data().toString(), "");
}

// A section's name is bytes of the file, shown as the list shows texts:
// Windows-1252 characters, a line break as a space.
TEST_F(ListColumnsTest, SectionNamesShowAsTexts) {
  const std::string name = std::string("\x80") + "a\nb\xE9";
  map_.ReadFromBytes(testing::MakePeHeaders(0x400000, {{name, 0x1000, 0x200, 0x400}}));
  AddRows(store_, {{0x410, 0, "inside", StringKind::Ansi}});
  model_.Fill();
  const QString shown = QString(QChar(0x20AC)) + QStringLiteral("a b") + QChar(0xE9);
  EXPECT_EQ(model_.index(0, kSection).data().toString(), shown);
}

}  // namespace
}  // namespace quillex
