// Standard library
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// Ours
#include "support/RecordParsers.h"
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

}  // namespace
}  // namespace quillex
