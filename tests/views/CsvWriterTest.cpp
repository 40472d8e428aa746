// Standard library
#include <cstddef>
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// Ours
#include "store/PeHeaders.h"
#include "support/RecordParsers.h"
#include "tags/TagTable.h"
#include "views/CsvText.h"
#include "views/CsvWriter.h"
#include "views/RecordFixture.h"
#include "views/WrittenText.h"

namespace quillex {
namespace {

using testing::RecordFixture;
using testing::Written;

const std::vector<std::string> kHeader{"file", "kind",   "offset",  "address", "id",
                                       "text", "length", "section", "tags"};

std::string Joined(const std::vector<std::string>& names) {
  std::string joined;
  for (const std::string& name : names) {
    joined += (joined.empty() ? "" : ";") + name;
  }
  return joined;
}

TEST(CsvWriter, RowsParseBackToTheStoredResults) {
  RecordFixture f;
  CsvWriter writer;
  const std::string out = Written(writer, f.Source("a,b.exe"));
  const auto rows = testing::ParseCsv(out);
  ASSERT_TRUE(rows.has_value()) << out;
  ASSERT_EQ(rows->size(), f.rows.size() + 1);
  EXPECT_EQ((*rows)[0], kHeader);
  EXPECT_EQ(out.substr(0, out.find('\n') + 1), CsvWriter::HeaderRow());
  EXPECT_EQ(CsvWriter::HeaderRow(), "file,kind,offset,address,id,text,length,section,tags\r\n");
  for (std::uint32_t row = 0; row < f.rows.size(); ++row) {
    const std::uint64_t offset = f.store.Position(row);
    EXPECT_EQ((*rows)[row + 1],
              (std::vector<std::string>{
                  "a,b.exe", testing::kKindNames[row % 3], std::to_string(offset),
                  std::to_string(f.map.MemoryPosition(offset)), std::to_string(f.Id(row)),
                  testing::Utf8Of(f.texts[row]), std::to_string(f.texts[row].size()), "",
                  Joined(f.tagNames[row])}))
        << row;
  }
  // Plain fields stay unquoted, so simple tools read them too.
  EXPECT_NE(out.find("\r\n\"a,b.exe\",ansi,0,65536,0,plain text,10,,url;domain\r\n"),
            std::string::npos)
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

// The section cell holds a name read from the file, so it is guarded like the
// texts; the tag cell holds the table's names, which never need it.
TEST(CsvWriter, SectionAndTagCells) {
  ResultStore store;
  SectionMap map;
  map.ReadFromBytes(testing::MakePeHeaders(
      0x400000, {{"=cmd", 0x1000, 0x100, 0x400}, {".rd,ata", 0x2000, 0x100, 0x500}}));
  for (const std::uint32_t position : {0x410u, 0x510u, 0x610u}) {
    ASSERT_TRUE(store.AddResult(position, 0, 0, "some text", StringKind::Ansi));
  }
  const std::vector<std::uint32_t> rows{0, 1, 2};
  const std::vector<TagSet> tags{TagBit(TagId::WindowsPath) | TagBit(TagId::Registry),
                                 TagBit(TagId::UserAgent)};
  const WriterSource source{
      .store = store, .map = map, .rows = rows, .fileName = "a.exe", .tags = tags};
  CsvWriter guarded;
  const auto cells = testing::ParseCsv(Written(guarded, source));
  ASSERT_TRUE(cells.has_value());
  ASSERT_EQ(cells->size(), 4u);
  EXPECT_EQ((*cells)[1][7], "'=cmd");
  EXPECT_EQ((*cells)[2][7], ".rd,ata") << "quoted where it needs it";
  EXPECT_EQ((*cells)[3][7], "") << "a position in no section";
  EXPECT_EQ((*cells)[1][8], "windows-path;registry");
  EXPECT_EQ((*cells)[2][8], "user-agent");
  EXPECT_EQ((*cells)[3][8], "") << "past the tag array's end";
  CsvWriter raw({.guardFormulas = false});
  const auto rawCells = testing::ParseCsv(Written(raw, source));
  ASSERT_TRUE(rawCells.has_value());
  EXPECT_EQ((*rawCells)[1][7], "=cmd");
  // No tag name needs quoting or the guard, whatever the table holds.
  for (const TagInfo& tag : TagTable()) {
    EXPECT_FALSE(StartsLikeFormula(tag.name)) << tag.name;
    EXPECT_EQ(tag.name.find_first_of(",;\"\r\n "), std::string_view::npos) << tag.name;
  }
}

}  // namespace
}  // namespace quillex
