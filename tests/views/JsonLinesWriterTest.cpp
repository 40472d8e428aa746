// Standard library
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

// Ours
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
    };
    EXPECT_EQ(*object, expected) << row;
  }
  // The escapes are the short ones where JSON has them.
  EXPECT_EQ(lines[2].substr(lines[2].find("\"text\"")), R"("text":"comma, then\r\n","length":13})");
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

}  // namespace
}  // namespace quillex
