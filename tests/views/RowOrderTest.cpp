// Standard library
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// Ours
#include "scan/SectionMap.h"
#include "store/PeHeaders.h"
#include "store/ResultStore.h"
#include "support/PeBuilder.h"
#include "views/ResultRows.h"
#include "views/RowOrder.h"
#include "views/TagsText.h"

namespace quillex {
namespace {

using testing::AddRows;
using testing::Row;

// Sorts `before` by the column and checks the result against CompareRows:
// in order, with tied rows in their order before. Returns the rows sorted.
std::vector<std::uint32_t> SortAndCheck(const ResultStore& store, const SectionMap& map,
                                        const std::vector<std::uint32_t>& before,
                                        ResultColumn column, int direction) {
  std::vector<std::size_t> placeBefore(store.Count());
  for (std::size_t k = 0; k < before.size(); ++k) {
    placeBefore[before[k]] = k;
  }
  const std::vector<std::uint32_t> places = SortedRowOrder(store, map, before, column, direction);
  std::vector<std::uint32_t> after(places.size());
  for (std::size_t k = 0; k < places.size(); ++k) {
    after[k] = before[places[k]];
  }
  EXPECT_EQ(after.size(), before.size());
  for (std::size_t k = 1; k < after.size(); ++k) {
    const int r = CompareRows(store, map, after[k - 1], after[k], column, direction);
    EXPECT_LE(r, 0) << "column " << static_cast<int>(column) << " direction " << direction
                    << " at row " << k;
    if (r == 0) {
      EXPECT_LT(placeBefore[after[k - 1]], placeBefore[after[k]]) << "unstable at row " << k;
    }
    if (r > 0 || (r == 0 && placeBefore[after[k - 1]] > placeBefore[after[k]])) {
      break;  // one report is enough
    }
  }
  return after;
}

TEST(CompareRows, CaseInsensitiveBytewiseWithPrefixFirst) {
  ResultStore store;
  SectionMap map;
  AddRows(store, {{0, 10, "apple", StringKind::Ansi},     // 0
                  {0, 9, "Apple", StringKind::Ansi},      // 1
                  {0, 0, "apples", StringKind::Ansi},     // 2
                  {0, 0, "_under", StringKind::Ansi},     // 3
                  {0, 0, "\xE9t\xE9", StringKind::Ansi},  // 4
                  {0, 0, "zebra", StringKind::Ansi}});    // 5
  const auto text = [&](std::uint32_t a, std::uint32_t b, int direction = 1) {
    return CompareRows(store, map, a, b, ResultColumn::Text, direction);
  };
  EXPECT_EQ(text(0, 1), 0);
  EXPECT_LT(text(0, 2), 0);  // prefix first
  EXPECT_GT(text(2, 1), 0);
  // '_' (0x5F) sorts before the letters because they compare in lower case.
  EXPECT_LT(text(3, 1), 0);
  // Bytes from 0x80 compare unsigned, after all ASCII letters.
  EXPECT_GT(text(4, 5), 0);
  EXPECT_GT(text(0, 2, -1), 0);
  EXPECT_EQ(text(0, 1, -1), 0);
}

// IDs are numbers to the user: 9 before 10, and descending puts 55992 above
// 96, which their decimal texts would not.
TEST(CompareRows, IdsCompareAsNumbers) {
  ResultStore store;
  SectionMap map;
  AddRows(store, {{0, 10, "a", StringKind::Resource},     // 0
                  {0, 9, "b", StringKind::Resource},      // 1
                  {0, 96, "c", StringKind::Resource},     // 2
                  {0, 55992, "d", StringKind::Resource},  // 3
                  {0, 65535, "e", StringKind::Resource},  // 4
                  {0, 0, "f", StringKind::Ansi},          // 5
                  {0, 9, "g", StringKind::Resource}});    // 6
  const auto id = [&](std::uint32_t a, std::uint32_t b, int direction = 1) {
    return CompareRows(store, map, a, b, ResultColumn::Id, direction);
  };
  EXPECT_GT(id(0, 1), 0);
  EXPECT_LT(id(2, 3), 0);
  EXPECT_GT(id(2, 3, -1), 0);
  EXPECT_LT(id(5, 1), 0);
  EXPECT_LT(id(3, 4), 0);
  EXPECT_EQ(id(1, 6), 0);
  EXPECT_EQ(id(1, 6, -1), 0);

  const std::vector<std::uint32_t> rows = {0, 1, 2, 3, 4, 5, 6};
  EXPECT_EQ(SortedRowOrder(store, map, rows, ResultColumn::Id, 1),
            (std::vector<std::uint32_t>{5, 1, 6, 0, 2, 3, 4}));
  // Descending keeps equal IDs in their order too.
  EXPECT_EQ(SortedRowOrder(store, map, rows, ResultColumn::Id, -1),
            (std::vector<std::uint32_t>{4, 3, 2, 0, 1, 6, 5}));
}

// The precomputed keys must order rows exactly as CompareRows does, for every
// column and both directions, with ties kept in their previous order.
TEST(RowOrder, SortAgreesWithCompareRowsAndIsStable) {
  ResultStore store;
  SectionMap map;
  // A PE image whose sections move memory positions away from file
  // positions, and out of their order.
  testing::PeBuilder pe;
  pe.ImageBase(0x10000000);
  pe.AddSection(".text", 0x9000, testing::Bytes(0x400, 0x90));
  pe.AddSection(".data", 0x1000, testing::Bytes(0x400, 0x00));
  const testing::Bytes image = pe.Build();
  map.ReadFromBytes(image);
  ASSERT_EQ(map.Records().size(), 2u);
  std::mt19937 random(1234);
  const std::string alphabet = "aAbB_zZ\xE9\xC9 19[`";
  std::vector<Row> rows;
  for (int i = 0; i < 3000; ++i) {
    // Short alphabets and shared prefixes give many ties and long common
    // prefixes, beyond the eight bytes a key holds.
    std::string text = (i % 3 == 0) ? "commonprefix" : "";
    const int length = static_cast<int>(random() % 12);
    for (int k = 0; k < length; ++k) {
      text.push_back(alphabet[random() % alphabet.size()]);
    }
    if (text.empty()) {
      text = "x";
    }
    // Positions beyond 48 bits show (and sort) by their low 48 bits only.
    const std::uint64_t position =
        (std::uint64_t{random() % 4} << 48) | (random() % (image.size() + 0x100));
    // IDs from one to five digits, so that number and text orders differ.
    const auto id = static_cast<std::uint16_t>(random() % (i % 2 == 0 ? 200 : 65536));
    rows.push_back({position, id, text, StringKind::Ansi});
  }
  AddRows(store, rows);
  std::vector<std::uint32_t> order(store.Count());
  for (std::uint32_t i = 0; i < store.Count(); ++i) {
    order[i] = i;
  }
  int moved = 0;
  for (std::uint32_t i = 0; i < store.Count(); ++i) {
    moved += store.Position(i) != map.MemoryPosition(store.Position(i));
  }
  ASSERT_GT(moved, 100) << "the section map must move some positions";
  for (const ResultColumn column :
       {ResultColumn::Text, ResultColumn::FilePos, ResultColumn::MemPos, ResultColumn::Id,
        ResultColumn::Length, ResultColumn::Section}) {
    for (const int direction : {1, -1}) {
      order = SortAndCheck(store, map, order, column, direction);
    }
  }
}

// Thousands of texts that agree in their first eight bytes are one run of
// tied keys: it is put in order by the rest of the texts in passes that can
// be cancelled, with the same order a single stable sort gives.
TEST(RowOrder, LongRunsOfTiedKeys) {
  ResultStore store;
  SectionMap map;
  std::mt19937 random(99);
  std::vector<Row> rows;
  for (int i = 0; i < 20000; ++i) {
    std::string text = i % 2 == 0 ? "GetProcAddress" : "getprocaddress";
    text.resize(static_cast<std::size_t>(8 + random() % 4));
    for (int k = static_cast<int>(random() % 4); k > 0; --k) {
      text.push_back("aAbB"[random() % 4]);
    }
    rows.push_back({static_cast<std::uint64_t>(i), 0, text, StringKind::Ansi});
  }
  AddRows(store, rows);
  std::vector<std::uint32_t> order(store.Count());
  for (std::uint32_t i = 0; i < store.Count(); ++i) {
    order[i] = store.Count() - 1 - i;
  }
  for (const int direction : {1, -1, 1}) {
    order = SortAndCheck(store, map, order, ResultColumn::Text, direction);
  }
}

// A raised flag stops a sort wherever it is; the order it returns is empty
// and is thrown away. A flag that stays down changes nothing.
TEST(RowOrder, CancelledSortsStop) {
  ResultStore store;
  SectionMap map;
  std::vector<Row> rows;
  for (int i = 0; i < 100000; ++i) {
    rows.push_back({static_cast<std::uint64_t>(100000 - i), static_cast<std::uint16_t>(i % 7),
                    "text " + std::to_string(i % 977), StringKind::Ansi});
  }
  AddRows(store, rows);
  std::vector<std::uint32_t> order(store.Count());
  for (std::uint32_t i = 0; i < store.Count(); ++i) {
    order[i] = i;
  }
  CancelFlag raised{true};
  CancelFlag down{false};
  for (const ResultColumn column :
       {ResultColumn::Text, ResultColumn::FilePos, ResultColumn::MemPos, ResultColumn::Id}) {
    EXPECT_TRUE(SortedRowOrder(store, map, order, column, 1, &raised).empty());
    EXPECT_EQ(SortedRowOrder(store, map, order, column, -1, &down),
              SortedRowOrder(store, map, order, column, -1))
        << static_cast<int>(column);
  }
}

// Lengths sort as numbers; sections by their names as the column shows them,
// case folded, with rows in no section first; ties keep their order both ways.
TEST(RowOrder, LengthAndSectionColumns) {
  ResultStore store;
  SectionMap map;
  // Out of name order, overlapping (.DATA owns 0x850 to 0x900, being first),
  // and two names that differ only in case.
  map.ReadFromBytes(testing::MakePeHeaders(0x400000, {{".rsrc", 0x5000, 0x100, 0x1000},
                                                      {".DATA", 0x2000, 0x100, 0x800},
                                                      {".text", 0x1000, 0x400, 0x400},
                                                      {".data", 0x3000, 0x100, 0x850},
                                                      {"_init", 0x4000, 0x10, 0x950}}));
  AddRows(store, {{0x1050, 0, "a", StringKind::Ansi},      // 0 .rsrc
                  {0x200, 0, "bb", StringKind::Ansi},      // 1 none
                  {0x880, 0, "ccc", StringKind::Unicode},  // 2 .DATA
                  {0x420, 0, "dddd", StringKind::Ansi},    // 3 .text
                  {0x920, 0, "e", StringKind::Ansi},       // 4 .data
                  {0x955, 0, "ff", StringKind::Ansi},      // 5 _init
                  {0x300, 0, "ggg", StringKind::Ansi},     // 6 none
                  {0x860, 0, "h", StringKind::Ansi}});     // 7 .DATA
  const std::vector<std::uint32_t> rows = {0, 1, 2, 3, 4, 5, 6, 7};
  EXPECT_EQ(SortedRowOrder(store, map, rows, ResultColumn::Section, 1),
            (std::vector<std::uint32_t>{1, 6, 2, 4, 7, 0, 3, 5}));
  EXPECT_EQ(SortedRowOrder(store, map, rows, ResultColumn::Section, -1),
            (std::vector<std::uint32_t>{5, 3, 0, 2, 4, 7, 1, 6}));
  EXPECT_EQ(SortedRowOrder(store, map, rows, ResultColumn::Length, 1),
            (std::vector<std::uint32_t>{0, 4, 7, 1, 5, 2, 6, 3}));
  EXPECT_EQ(SortedRowOrder(store, map, rows, ResultColumn::Length, -1),
            (std::vector<std::uint32_t>{3, 2, 6, 1, 5, 0, 4, 7}));
  EXPECT_EQ(CompareRows(store, map, 2, 4, ResultColumn::Section, 1), 0);
  EXPECT_LT(CompareRows(store, map, 1, 0, ResultColumn::Section, 1), 0);
  EXPECT_GT(CompareRows(store, map, 1, 0, ResultColumn::Section, -1), 0);

  // Not as their decimal texts: 9 before 10.
  AddRows(store, {{0, 0, "0123456789", StringKind::Ansi},   // 8
                  {0, 0, "012345678", StringKind::Ansi}});  // 9
  EXPECT_GT(CompareRows(store, map, 8, 9, ResultColumn::Length, 1), 0);
  EXPECT_LT(CompareRows(store, map, 8, 9, ResultColumn::Length, -1), 0);
  EXPECT_EQ(SortedRowOrder(store, map, std::vector<std::uint32_t>{8, 9}, ResultColumn::Length, 1),
            (std::vector<std::uint32_t>{1, 0}));
  // A file that is not a PE image: every row ties and keeps its place.
  const SectionMap plain;
  EXPECT_EQ(SortedRowOrder(store, plain, rows, ResultColumn::Section, -1), rows);
}

// The Tags column sorts as its texts do ("url, domain" after "url", before
// "windows-path"), untagged rows first, ties in their order; rows whose tags
// are not known yet sort as untagged.
TEST(RowOrder, TagsSortByTheirTextsStably) {
  ResultStore store;
  SectionMap map;
  std::mt19937 random(18);
  std::vector<TagSet> tags;
  constexpr std::uint32_t kRows = 3000;
  for (std::uint32_t i = 0; i < kRows; ++i) {
    AddRows(store, {{i, 0, "row " + std::to_string(i), StringKind::Ansi}});
    // Few distinct sets, many ties; a third untagged.
    const auto pick = random() % 12;
    tags.push_back(pick < 4 ? TagSet{0} : static_cast<TagSet>(random() % 40 + 1));
  }
  std::vector<std::uint32_t> rows(kRows);
  for (std::uint32_t k = 0; k < kRows; ++k) {
    rows[k] = (k * 7919u) % kRows;  // a permutation
  }
  for (const int direction : {1, -1}) {
    const std::vector<std::uint32_t> places =
        SortedRowOrder(store, map, rows, ResultColumn::Tags, direction, nullptr, tags);
    ASSERT_EQ(places.size(), rows.size());
    for (std::size_t k = 1; k < places.size(); ++k) {
      const std::uint32_t a = rows[places[k - 1]];
      const std::uint32_t b = rows[places[k]];
      const std::string ta = TagsText(tags[a]);
      const std::string tb = TagsText(tags[b]);
      ASSERT_TRUE(direction > 0 ? ta <= tb : ta >= tb) << ta << " | " << tb;
      const int r = CompareRows(store, map, a, b, ResultColumn::Tags, direction, tags);
      ASSERT_LE(r, 0);
      if (ta == tb) {
        ASSERT_EQ(r, 0);
        ASSERT_LT(places[k - 1], places[k]) << "ties keep their order";
      }
    }
  }
  // Without tags (before the tagging has finished) every row ties.
  const std::vector<std::uint32_t> kept =
      SortedRowOrder(store, map, rows, ResultColumn::Tags, -1, nullptr, {});
  for (std::uint32_t k = 0; k < kRows; ++k) {
    ASSERT_EQ(kept[k], k);
  }
  // A result past the array's end has no tags.
  const std::vector<TagSet> two{TagBit(TagId::Url), 0};
  EXPECT_EQ(SortedRowOrder(store, map, std::vector<std::uint32_t>{0, 5, 1}, ResultColumn::Tags, 1,
                           nullptr, two),
            (std::vector<std::uint32_t>{1, 2, 0}));
  EXPECT_GT(CompareRows(store, map, 0, 5, ResultColumn::Tags, 1, two), 0);
}

TEST(RowOrder, TiesBeyondTheKeyAndEdgeCases) {
  ResultStore store;
  SectionMap map;
  // Texts that agree in their first eight folded bytes are put in order by
  // the rest; texts of exactly eight bytes come before their extensions.
  AddRows(store, {{5, 0, "ABCDEFGHz", StringKind::Ansi},  // 0
                  {4, 0, "abcdefgh", StringKind::Ansi},   // 1
                  {3, 0, "abcdefghA", StringKind::Ansi},  // 2
                  {2, 0, "ABCDEFGH", StringKind::Ansi},   // 3
                  {1, 0, "abcdefg", StringKind::Ansi}});  // 4
  const std::vector<std::uint32_t> rows = {0, 1, 2, 3, 4};
  EXPECT_EQ(SortedRowOrder(store, map, rows, ResultColumn::Text, 1),
            (std::vector<std::uint32_t>{4, 1, 3, 2, 0}));
  EXPECT_EQ(SortedRowOrder(store, map, rows, ResultColumn::Text, -1),
            (std::vector<std::uint32_t>{0, 2, 1, 3, 4}));
  // The rows hold result indices: the answer names rows, not results.
  const std::vector<std::uint32_t> shuffled = {4, 0, 3};
  EXPECT_EQ(SortedRowOrder(store, map, shuffled, ResultColumn::FilePos, 1),
            (std::vector<std::uint32_t>{0, 2, 1}));
  // A row past the store's end sorts as the empty text and position 0.
  const std::vector<std::uint32_t> pastEnd = {0, 99};
  EXPECT_EQ(SortedRowOrder(store, map, pastEnd, ResultColumn::Text, 1),
            (std::vector<std::uint32_t>{1, 0}));
  EXPECT_EQ(SortedRowOrder(store, map, pastEnd, ResultColumn::FilePos, 1),
            (std::vector<std::uint32_t>{1, 0}));
  EXPECT_TRUE(SortedRowOrder(store, map, {}, ResultColumn::Text, 1).empty());
  EXPECT_EQ(SortedRowOrder(store, map, rows, ResultColumn::ColumnCount, 1), rows);
}

}  // namespace
}  // namespace quillex
