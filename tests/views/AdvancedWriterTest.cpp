// Standard library
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <numeric>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// Ours
#include "scan/SectionMap.h"
#include "store/PeHeaders.h"
#include "store/ResultStore.h"
#include "views/AdvancedWriter.h"
#include "views/FormatColumn.h"
#include "views/WrittenText.h"

namespace quillex {
namespace {

using testing::Written;

const std::string kHeader(kHeaderBlock, sizeof(kHeaderBlock) - 1);

std::vector<std::uint32_t> Rows(std::uint32_t count) {
  std::vector<std::uint32_t> rows(count);
  std::iota(rows.begin(), rows.end(), 0u);
  return rows;
}

void AddRows(ResultStore& store, std::uint32_t count) {
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::string text = "row" + std::to_string(i);
    ASSERT_TRUE(
        store.AddResult(i * 16, 0, static_cast<std::uint16_t>(i), text.c_str(), StringKind::Ansi));
  }
}

std::string ExpectedRow(std::uint32_t i) {
  char line[128];
  std::snprintf(line, sizeof line, "%012X   %012X  %5u   row%u\r\n", i * 16, i * 16, i, i);
  return line;
}

TEST(AdvancedWriter, AHeaderBlockEverySixtyRows) {
  ResultStore store;
  SectionMap map;
  AddRows(store, 121);

  auto expected = [](std::uint32_t rows) {
    std::string out;
    for (std::uint32_t i = 0; i < rows; ++i) {
      if (i % 60 == 0) {
        out += kHeader;
      }
      out += ExpectedRow(i);
    }
    return out;
  };
  for (std::uint32_t rows : {0u, 1u, 60u, 61u, 120u, 121u}) {
    const std::vector<std::uint32_t> order = Rows(rows);
    AdvancedWriter writer;
    EXPECT_EQ(Written(writer, WriterSource{.store = store, .map = map, .rows = order}),
              expected(rows))
        << rows << " rows";
  }
  EXPECT_EQ(kHeader.size(), 90u);

  // Each file's rows start their own blocks, after the file's heading when
  // several files share the output.
  const std::vector<std::uint32_t> first = Rows(61);
  const std::vector<std::uint32_t> second = Rows(2);
  AdvancedWriter headed({.fileHeadings = true});
  EXPECT_EQ(
      Written(headed, WriterSource{.store = store, .map = map, .rows = first, .fileName = "a"},
              WriterSource{.store = store, .map = map, .rows = second, .fileName = "b c"}),
      "==> a <==\r\n" + expected(61) + "==> b c <==\r\n" + expected(2));
}

TEST(AdvancedWriter, RowLineBytes) {
  ResultStore store;
  ASSERT_TRUE(store.AddResult(0x400, 0, 0, "abc", StringKind::Ansi));
  ASSERT_TRUE(store.AddResult(0x400, 0, 65535, "id", StringKind::Resource));
  ASSERT_TRUE(store.AddResult(0x400, 0, 7, "seven", StringKind::Resource));
  const std::string longText(1024, 'L');
  ASSERT_TRUE(store.AddResult(0x10, 0, 0, longText.c_str(), StringKind::Unicode));
  SectionMap map;
  map.ReadFromBytes(testing::MakePeHeaders(0x10000, {}));

  std::string line = "kept";
  EXPECT_EQ(AdvancedWriter::AppendRowLine(line, store, map, 0), 42u);
  EXPECT_EQ(line, "kept000000000400   000000010400      0   abc\r\n") << "appends";
  line.clear();
  AdvancedWriter::AppendRowLine(line, store, map, 1);
  EXPECT_EQ(line, "000000000400   000000010400  65535   id\r\n");
  line.clear();
  AdvancedWriter::AppendRowLine(line, store, map, 2);
  EXPECT_EQ(line, "000000000400   000000010400      7   seven\r\n");

  // Long texts are written whole.
  AdvancedWriter writer;
  const std::vector<std::uint32_t> longRow{3};
  EXPECT_EQ(Written(writer, WriterSource{.store = store, .map = map, .rows = longRow}),
            kHeader + "000000000010   000000010010      0   " + longText + "\r\n");

  // A row past the end is an empty text at position 0, as the list shows it.
  line.clear();
  AdvancedWriter::AppendRowLine(line, store, map, 99);
  EXPECT_EQ(line, "000000000000   000000010000      0   \r\n");

  // Copy: the rows' lines in the given order, no header.
  EXPECT_EQ(AdvancedWriter::CopyText(std::vector<std::uint32_t>{2, 0}, store, map),
            "000000000400   000000010400      7   seven\r\n"
            "000000000400   000000010400      0   abc\r\n");
  EXPECT_EQ(AdvancedWriter::CopyText({}, store, map), "");
}

// The row writer formats positions and IDs itself; its lines must be exactly
// "%s   %s  %5s   %s\r\n" over the formatter's cells, for every hex digit in
// every place, positions past 48 bits, memory positions inside and outside
// sections, IDs of every width and texts of many lengths.
TEST(AdvancedWriter, RowLinesAreTheFormattersCells) {
  ResultStore store;
  SectionMap map;
  map.ReadFromBytes(testing::MakePeHeaders(0x10000, {}));
  std::vector<std::uint32_t> rows;
  std::uint64_t position = 0x0123456789ABCDEFull;
  for (std::uint32_t i = 0; i < 400; ++i) {
    position = position * 6364136223846793005ull + 1442695040888963407ull;
    const std::uint64_t shown = i < 16 ? 0x111111111111ull * i : position >> (i % 40);
    const auto id = static_cast<std::uint16_t>(i < 200 ? (i * 331u) % 65536u : 65535u >> (i % 17));
    const std::string text(i % 70, static_cast<char>('a' + i % 26));
    ASSERT_TRUE(store.AddResult(static_cast<std::uint32_t>(shown),
                                static_cast<std::uint32_t>(shown >> 32), id, text.c_str(),
                                StringKind::Resource));
    rows.push_back(i);
  }
  std::string expected;
  std::string lines;
  for (std::uint32_t i = 0; i < store.Count(); ++i) {
    char cells[3][kFormatBufferSize];
    FormatColumn(store, map, cells[0], nullptr, i, ResultColumn::FilePos);
    FormatColumn(store, map, cells[1], nullptr, i, ResultColumn::MemPos);
    FormatColumn(store, map, cells[2], nullptr, i, ResultColumn::Id);
    char buffer[80];
    std::snprintf(buffer, sizeof buffer, "%s   %s  %5s   ", cells[0], cells[1], cells[2]);
    expected += std::string(buffer) + store.Text(i) + "\r\n";
    AdvancedWriter::AppendRowLine(lines, store, map, i);
  }
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(AdvancedWriter::CopyText(rows, store, map), expected);
}

TEST(AdvancedWriter, RowOrderOverManyChunks) {
  // Enough rows for several 64 KiB chunks, written in reverse order.
  ResultStore store;
  SectionMap map;
  AddRows(store, 5000);
  std::vector<std::uint32_t> order = Rows(5000);
  std::reverse(order.begin(), order.end());

  std::string expected;
  for (std::size_t r = 0; r < order.size(); ++r) {
    if (r % 60 == 0) {
      expected += kHeader;
    }
    expected += ExpectedRow(order[r]);
  }
  ASSERT_GT(expected.size(), 3u * 64 * 1024);
  AdvancedWriter writer;
  EXPECT_EQ(Written(writer, WriterSource{.store = store, .map = map, .rows = order}), expected);
}

}  // namespace
}  // namespace quillex
