// Standard library
#include <cstddef>
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// Ours
#include "support/RecordParsers.h"
#include "views/CsvText.h"
#include "views/CsvWriter.h"
#include "views/RecordFixture.h"
#include "views/WrittenText.h"

namespace quillex {
namespace {

using testing::RecordFixture;
using testing::Written;

const std::vector<std::string> kHeader{"file", "kind", "offset", "address", "id", "text", "length"};

TEST(CsvWriter, RowsParseBackToTheStoredResults) {
  RecordFixture f;
  CsvWriter writer;
  const std::string out = Written(writer, f.Source("a,b.exe"));
  const auto rows = testing::ParseCsv(out);
  ASSERT_TRUE(rows.has_value()) << out;
  ASSERT_EQ(rows->size(), f.rows.size() + 1);
  EXPECT_EQ((*rows)[0], kHeader);
  EXPECT_EQ(out.substr(0, out.find('\n') + 1), CsvWriter::HeaderRow());
  EXPECT_EQ(CsvWriter::HeaderRow(), "file,kind,offset,address,id,text,length\r\n");
  for (std::uint32_t row = 0; row < f.rows.size(); ++row) {
    const std::uint64_t offset = f.store.Position(row);
    EXPECT_EQ((*rows)[row + 1],
              (std::vector<std::string>{
                  "a,b.exe", testing::kKindNames[row % 3], std::to_string(offset),
                  std::to_string(f.map.MemoryPosition(offset)), std::to_string(f.Id(row)),
                  testing::Utf8Of(f.texts[row]), std::to_string(f.texts[row].size())}))
        << row;
  }
  // Plain fields stay unquoted, so simple tools read them too.
  EXPECT_NE(out.find("\r\n\"a,b.exe\",ansi,0,65536,0,plain text,10\r\n"), std::string::npos)
      << out.substr(0, 120);
}

TEST(CsvWriter, OneHeaderRowForTheWholeOutput) {
  RecordFixture f;
  CsvWriter writer;
  const std::string out = Written(writer, f.Source("one"), f.Source("two\xff"));
  const auto rows = testing::ParseCsv(out);
  ASSERT_TRUE(rows.has_value()) << out;
  ASSERT_EQ(rows->size(), 2 * f.rows.size() + 1);
  EXPECT_EQ(rows->front(), kHeader);
  EXPECT_EQ((*rows)[1][0], "one");
  EXPECT_EQ(rows->back()[0], "two\xEF\xBF\xBD") << "a name that is not UTF-8 is made valid";

  // With nothing found, the header alone.
  EXPECT_EQ(Written(writer, WriterSource{.store = f.store, .map = f.map, .fileName = "x"}),
            CsvWriter::HeaderRow());
  EXPECT_EQ(Written(writer), CsvWriter::HeaderRow()) << "nor any file";
}

// Cells a spreadsheet would run as formulas get a leading quote; with the
// guard off, and in every other cell, the text is as stored.
TEST(CsvWriter, FormulaCellsAreGuarded) {
  ResultStore store;
  SectionMap map;
  const std::vector<std::string> texts{"=cmd|' /C calc'!A0",
                                       "+1+1",
                                       "-2",
                                       "@SUM(A1:A9)",
                                       "\tTAB",
                                       "\rCR then",
                                       "=a,b",
                                       "a=b",
                                       " =x",
                                       "'=x",
                                       "\x96"
                                       "dash",
                                       "==",
                                       "\nLF"};
  for (const std::string& text : texts) {
    ASSERT_TRUE(store.AddResult(0, 0, 0, text.c_str(), StringKind::Ansi));
  }
  std::vector<std::uint32_t> rows(texts.size());
  std::iota(rows.begin(), rows.end(), 0u);
  const WriterSource source{.store = store, .map = map, .rows = rows, .fileName = "-dash.bin"};

  CsvWriter guarded;
  const std::string out = Written(guarded, source);
  const auto cells = testing::ParseCsv(out);
  ASSERT_TRUE(cells.has_value()) << out;
  ASSERT_EQ(cells->size(), texts.size() + 1);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const std::vector<std::string>& row = (*cells)[i + 1];
    const bool formula = i < 7 || texts[i] == "==";
    EXPECT_EQ(StartsLikeFormula(texts[i]), formula) << texts[i];
    EXPECT_EQ(row[5], (formula ? "'" : "") + testing::Utf8Of(texts[i])) << texts[i];
    EXPECT_EQ(row[6], std::to_string(texts[i].size())) << "the length is the stored text's";
    EXPECT_EQ(row[0], "'-dash.bin") << "the file cell is guarded too";
  }
  // The guard sits inside the quotes of a cell that needs them.
  EXPECT_NE(out.find(",\"'\rCR then\","), std::string::npos) << out;
  EXPECT_NE(out.find(",\"'=a,b\","), std::string::npos) << out;
  EXPECT_NE(out.find(",'=cmd|' /C calc'!A0,"), std::string::npos) << out;
  EXPECT_NE(out.find(",'\tTAB,"), std::string::npos) << out;

  CsvWriter raw({.guardFormulas = false});
  const auto rawCells = testing::ParseCsv(Written(raw, source));
  ASSERT_TRUE(rawCells.has_value());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    EXPECT_EQ((*rawCells)[i + 1][5], testing::Utf8Of(texts[i])) << texts[i];
    EXPECT_EQ((*rawCells)[i + 1][0], "-dash.bin");
  }
}

}  // namespace
}  // namespace quillex
