// Standard library
#include <cstdint>
#include <numeric>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

// Ours
#include "store/PeHeaders.h"
#include "support/RecordParsers.h"
#include "views/JsonLinesWriter.h"
#include "views/RecordFixture.h"
#include "views/WrittenText.h"

namespace quillex {
namespace {

using testing::JsonLineReader;
using testing::JsonObject;
using testing::JsonValue;
using testing::RecordFixture;
using testing::Written;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "every record ends with LF";
  return lines;
}

TEST(JsonLinesWriter, RecordsParseBackToTheStoredResults) {
  RecordFixture f;
  // A file name that is not UTF-8 still gives valid JSON.
  JsonLinesWriter writer;
  const std::vector<std::string> lines = Lines(Written(writer, f.Source("dir/\"odd\"\xff.exe")));
  ASSERT_EQ(lines.size(), f.rows.size()) << "one line per record";

  for (std::uint32_t row = 0; row < f.rows.size(); ++row) {
    const std::optional<JsonObject> object = JsonLineReader::Parse(lines[row]);
    ASSERT_TRUE(object.has_value()) << row;
    const std::uint64_t offset = f.store.Position(row);
    const JsonObject expected{
        {"file", JsonValue(std::string("dir/\"odd\"\xEF\xBF\xBD.exe"))},
        {"kind", JsonValue(std::string(testing::kKindNames[row % 3]))},
        {"offset", JsonValue(offset)},
        {"address", JsonValue(f.map.MemoryPosition(offset))},
        {"id", JsonValue(std::uint64_t{f.Id(row)})},
        {"text", JsonValue(testing::Utf8Of(f.texts[row]))},
        {"length", JsonValue(std::uint64_t{f.texts[row].size()})},
        {"section", JsonValue(std::string())},
        {"tags", JsonValue(f.tagNames[row])},
    };
    EXPECT_EQ(*object, expected) << row;
  }
  // The escapes are the short ones where JSON has them.
  EXPECT_EQ(lines[1].substr(lines[1].find("\"length\"")), R"("length":18,"section":"","tags":[]})");
  EXPECT_NE(lines[2].find(R"("text":"comma, then\r\n","length":13,)"), std::string::npos);
  EXPECT_EQ(lines[0].substr(lines[0].find("\"tags\"")), R"("tags":["url","domain"]})");
}

TEST(JsonLinesWriter, FilesOneAfterAnother) {
  RecordFixture f;
  JsonLinesWriter writer;
  const std::vector<std::string> lines =
      Lines(Written(writer, f.Source("first.exe"), f.Source("second.dll")));
  ASSERT_EQ(lines.size(), 2 * f.rows.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::optional<JsonObject> object = JsonLineReader::Parse(lines[i]);
    ASSERT_TRUE(object.has_value()) << lines[i];
    EXPECT_EQ(std::get<std::string>(object->front().second),
              i < f.rows.size() ? "first.exe" : "second.dll");
  }
  // No records, no output: JSON Lines has no header.
  EXPECT_EQ(Written(writer, WriterSource{.store = f.store, .map = f.map, .fileName = "x"}), "");
}

// The section member names the section whose raw data holds the offset: the
// first in table order where sections overlap, "" outside them all, its name
// read as Windows-1252 like the texts.
TEST(JsonLinesWriter, SectionOfTheOffset) {
  ResultStore store;
  SectionMap map;
  map.ReadFromBytes(testing::MakePeHeaders(0x400000, {{".text", 0x1000, 0x200, 0x400},
                                                      {".rdata", 0x2000, 0x200, 0x600},
                                                      {"late", 0x3000, 0x380, 0x500},
                                                      {"\xe9t\xe9\"", 0x4000, 0x100, 0x900}}));
  const std::vector<std::pair<std::uint32_t, std::string>> expected{
      {0x410, ".text"}, {0x5FF, ".text"}, {0x600, ".rdata"}, {0x7FF, ".rdata"},
      {0x800, "late"},  {0x8F0, ""},      {0x3F0, ""},       {0x950, "\xC3\xA9t\xC3\xA9\""}};
  for (const auto& [position, name] : expected) {
    ASSERT_TRUE(store.AddResult(position, 0, 0, "some text", StringKind::Ansi));
  }
  std::vector<std::uint32_t> rows(store.Count());
  std::iota(rows.begin(), rows.end(), 0u);
  JsonLinesWriter writer;
  const WriterSource source{.store = store, .map = map, .rows = rows, .fileName = "a.exe"};
  const std::vector<std::string> lines = Lines(Written(writer, source));
  ASSERT_EQ(lines.size(), expected.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::optional<JsonObject> object = JsonLineReader::Parse(lines[i]);
    ASSERT_TRUE(object.has_value()) << lines[i];
    ASSERT_EQ(object->size(), 9u);
    EXPECT_EQ((*object)[7].first, "section");
    EXPECT_EQ(std::get<std::string>((*object)[7].second), expected[i].second) << lines[i];
    EXPECT_EQ((*object)[8], (std::pair<std::string, JsonValue>("tags", testing::JsonStrings{})))
        << "a source without tags writes none";
  }
  EXPECT_NE(lines[7].find("\"section\":\"\xC3\xA9t\xC3\xA9\\\"\""), std::string::npos)
      << "the name is escaped like any text: " << lines[7];
}

// Copy as JSON: one result's record, the same bytes as the writer's line.
TEST(JsonLinesWriter, RecordOfOneResult) {
  RecordFixture f;
  JsonLinesWriter writer;
  const WriterSource source = f.Source("dir/\xff.exe");
  const std::string all = Written(writer, source);
  std::string joined;
  for (std::uint32_t row = 0; row < f.rows.size(); ++row) {
    joined += JsonLinesWriter::Record(source, row);
  }
  EXPECT_EQ(joined, all);
}

}  // namespace
}  // namespace quillex
