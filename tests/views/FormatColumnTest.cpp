// Standard library
#include <cstdint>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

// Ours
#include "scan/SectionMap.h"
#include "store/PeHeaders.h"
#include "store/ResultStore.h"
#include "views/FormatColumn.h"

namespace quillex {
namespace {

struct Cell {
  std::string text;
  std::uint32_t length;
  bool inBuffer;
};

Cell Format(const ResultStore& store, const SectionMap& map, std::uint32_t index,
            ResultColumn column) {
  char buffer[kFormatBufferSize];
  std::memset(buffer, '#', sizeof buffer);
  std::uint32_t length = 0xDEAD;
  const char* text = FormatColumn(store, map, buffer, &length, index, column);
  return {text, length, text == buffer};
}

TEST(FormatColumn, PositionsAndIds) {
  ResultStore store;
  SectionMap map;  // not a PE image: memory positions equal file positions
  ASSERT_TRUE(store.AddResult(0x56789ABC, 0x1234, 0, "abc", StringKind::Ansi));
  ASSERT_TRUE(store.AddResult(4096, 0, 7, "x", StringKind::Resource));
  ASSERT_TRUE(store.AddResult(0, 1u << 16, 65535, "top", StringKind::Resource));
  ASSERT_TRUE(store.AddResult(0xFFFFFFFFu, 0xFFFFFFFFu, 10, "max", StringKind::Resource));

  const Cell pos = Format(store, map, 0, ResultColumn::FilePos);
  EXPECT_EQ(pos.text, "123456789ABC");
  EXPECT_EQ(pos.length, 12u);
  EXPECT_TRUE(pos.inBuffer);
  EXPECT_EQ(Format(store, map, 0, ResultColumn::MemPos).text, "123456789ABC");
  EXPECT_EQ(Format(store, map, 1, ResultColumn::FilePos).text, "000000001000");
  EXPECT_EQ(Format(store, map, 2, ResultColumn::FilePos).text, "000000000000")
      << "bit 48 and above are not shown";
  EXPECT_EQ(Format(store, map, 3, ResultColumn::FilePos).text, "FFFFFFFFFFFF");

  const Cell id0 = Format(store, map, 0, ResultColumn::Id);
  EXPECT_EQ(id0.text, "0");
  EXPECT_EQ(id0.length, 1u);
  const Cell id7 = Format(store, map, 1, ResultColumn::Id);
  EXPECT_EQ(id7.text, "7");
  EXPECT_EQ(id7.length, 1u);
  EXPECT_EQ(Format(store, map, 2, ResultColumn::Id).text, "65535");
  EXPECT_EQ(Format(store, map, 2, ResultColumn::Id).length, 5u);
  EXPECT_EQ(Format(store, map, 3, ResultColumn::Id).text, "10");

  // Without a length out nothing is written through it.
  char buffer[kFormatBufferSize];
  EXPECT_STREQ(FormatColumn(store, map, buffer, nullptr, 1, ResultColumn::Id), "7");
}

TEST(FormatColumn, TextComesFromThePool) {
  ResultStore store;
  SectionMap map;
  ASSERT_TRUE(store.AddResult(1, 0, 0, "zero", StringKind::Ansi));
  ASSERT_TRUE(store.AddResult(2, 0, 0, "the second text", StringKind::Unicode));
  ASSERT_TRUE(store.AddResult(3, 0, 0, "two", StringKind::Ansi));

  char buffer[kFormatBufferSize];
  std::memset(buffer, '#', sizeof buffer);
  std::uint32_t length = 0;
  const char* text = FormatColumn(store, map, buffer, &length, 1, ResultColumn::Text);
  EXPECT_EQ(text, store.Text(1)) << "the pool's own storage, not a copy";
  EXPECT_STREQ(text, "the second text");
  EXPECT_EQ(length, 15u);
  for (char c : buffer) {
    EXPECT_EQ(c, '#') << "the buffer is left untouched";
  }
}

TEST(FormatColumn, PastTheEndAndUnknownColumns) {
  ResultStore store;
  ASSERT_TRUE(store.AddResult(0x500, 0, 9, "only", StringKind::Resource));
  SectionMap map;
  map.ReadFromBytes(testing::MakePeHeaders(0x400000, {}));

  const std::uint32_t end = store.Count();
  EXPECT_EQ(Format(store, map, end, ResultColumn::FilePos).text, "000000000000");
  EXPECT_EQ(Format(store, map, end, ResultColumn::MemPos).text, "000000400000")
      << "the memory position of file position 0";
  EXPECT_EQ(Format(store, map, end, ResultColumn::Id).text, "0");
  const Cell text = Format(store, map, end, ResultColumn::Text);
  EXPECT_EQ(text.text, "");
  EXPECT_EQ(text.length, 0u);
  EXPECT_TRUE(text.inBuffer);
  EXPECT_EQ(Format(store, map, 0xFFFFFFFFu, ResultColumn::Text).text, "");

  for (int column : {-1, 6, 99}) {
    const Cell cell = Format(store, map, 0, static_cast<ResultColumn>(column));
    EXPECT_EQ(cell.text, "") << column;
    EXPECT_EQ(cell.length, 0u) << column;
    EXPECT_TRUE(cell.inBuffer) << column;
  }
}

// The list's own columns: the length in characters, and the section whose
// raw data holds the file position, the first in table order where sections
// overlap, none outside them.
TEST(FormatColumn, LengthAndSection) {
  ResultStore store;
  ASSERT_TRUE(store.AddResult(0x450, 0, 0, "in .text", StringKind::Ansi));
  ASSERT_TRUE(store.AddResult(0x6F0, 0, 0, "in both", StringKind::Unicode));
  ASSERT_TRUE(store.AddResult(0x900, 0, 0, "in .rdata only", StringKind::Ansi));
  ASSERT_TRUE(store.AddResult(0x100, 0, 0, "in the headers", StringKind::Ansi));
  ASSERT_TRUE(store.AddResult(0xC00, 0, 0, "", StringKind::Ansi));
  ASSERT_TRUE(store.AddResult(0x500, 1, 0, "past 4 GiB", StringKind::Ansi));
  ASSERT_TRUE(store.AddResult(0xB00, 0, 7, "named", StringKind::Resource));
  SectionMap map;
  map.ReadFromBytes(testing::MakePeHeaders(0x400000, {{".text", 0x1000, 0x400, 0x400},
                                                      {".rdata", 0x2000, 0x400, 0x600},
                                                      {"\xC9t\xE9 longer", 0x3000, 0x100, 0xB00},
                                                      {".data", 0x4000, 0x100, 0xC00}}));
  const auto section = [&](std::uint32_t index) {
    return Format(store, map, index, ResultColumn::Section).text;
  };
  EXPECT_EQ(section(0), ".text");
  EXPECT_EQ(section(1), ".text") << ".text comes first in the table";
  EXPECT_EQ(section(2), ".rdata");
  EXPECT_EQ(section(3), "") << "the headers are in no section";
  EXPECT_EQ(section(4), ".data");
  EXPECT_EQ(section(5), "") << "beyond every section's 32-bit range";
  EXPECT_EQ(section(6), "\xC9t\xE9 long") << "eight bytes, as the table holds them";
  EXPECT_EQ(Format(store, map, 6, ResultColumn::Section).length, 8u);
  EXPECT_TRUE(Format(store, map, 6, ResultColumn::Section).inBuffer);

  const Cell length = Format(store, map, 2, ResultColumn::Length);
  EXPECT_EQ(length.text, "14");
  EXPECT_EQ(length.length, 2u);
  EXPECT_EQ(Format(store, map, 4, ResultColumn::Length).text, "0");
  EXPECT_EQ(Format(store, map, store.Count(), ResultColumn::Length).text, "0");
  EXPECT_EQ(Format(store, map, store.Count(), ResultColumn::Section).text, "");

  // A file that is not a PE image has no sections.
  const SectionMap plain;
  EXPECT_EQ(Format(store, plain, 0, ResultColumn::Section).text, "");
}

TEST(FormatColumn, MemoryPositionsOfAnImage) {
  ResultStore store;
  ASSERT_TRUE(store.AddResult(0x600, 0, 0, "a", StringKind::Ansi));
  ASSERT_TRUE(store.AddResult(0x25FF, 0, 0, "b", StringKind::Ansi));
  ASSERT_TRUE(store.AddResult(0x2600, 0, 0, "c", StringKind::Ansi));
  ASSERT_TRUE(store.AddResult(0x1FF, 0, 0, "d", StringKind::Ansi));
  SectionMap map;
  map.ReadFromBytes(testing::MakePeHeaders(0x10000000, {{".text", 0x1000, 0x2000, 0x600}}));

  EXPECT_EQ(Format(store, map, 0, ResultColumn::MemPos).text, "000010001000");
  EXPECT_EQ(Format(store, map, 1, ResultColumn::MemPos).text, "000010002FFF");
  EXPECT_EQ(Format(store, map, 2, ResultColumn::MemPos).text, "000010002600");
  EXPECT_EQ(Format(store, map, 3, ResultColumn::MemPos).text, "0000100001FF");
  EXPECT_EQ(Format(store, map, 3, ResultColumn::FilePos).text, "0000000001FF");
}

}  // namespace
}  // namespace quillex
