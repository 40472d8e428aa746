// Standard library
#include <cstdint>
#include <cstdio>
#include <numeric>
#include <string>
#include <vector>

// System
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

// Ours
#include "platform/OutputStream.h"
#include "platform/Utf8.h"
#include "scan/SectionMap.h"
#include "store/PeHeaders.h"
#include "store/ResultStore.h"
#include "support/RecordParsers.h"
#include "views/RecordWriter.h"

namespace quillex {
namespace {

using testing::JsonLineReader;
using testing::JsonObject;
using testing::JsonValue;

// Every byte value but 0 in one text, so every Windows-1252 character and
// every character JSON and CSV must escape goes through both writers.
std::string AllBytes() {
  std::string text;
  for (int b = 1; b < 256; ++b) {
    text += static_cast<char>(b);
  }
  return text;
}

std::string Utf8Of(const std::string& bytes) {
  std::string out;
  AppendCp1252AsUtf8(out, bytes);
  return out;
}

struct Fixture {
  ResultStore store;
  SectionMap map;
  std::vector<std::string> texts{"plain text",       "quote \" and \\ back",
                                 "comma, then\r\n",  " leading and trailing ",
                                 "caf\xe9 \x80\x81", AllBytes()};
  std::vector<std::uint32_t> rows;

  Fixture() {
    map.ReadFromBytes(testing::MakePeHeaders(0x10000, {}));
    const StringKind kinds[] = {StringKind::Ansi, StringKind::Unicode, StringKind::Resource};
    for (std::size_t i = 0; i < texts.size(); ++i) {
      const auto position = static_cast<std::uint64_t>(0x1'0000'0400ull * i + i);
      EXPECT_TRUE(store.AddResult(
          static_cast<std::uint32_t>(position), static_cast<std::uint32_t>(position >> 32),
          static_cast<std::uint16_t>(i == 5 ? 65535 : i), texts[i].c_str(), kinds[i % 3]));
    }
    rows.resize(store.Count());
    std::iota(rows.begin(), rows.end(), 0u);
  }
};

const char* const kKinds[] = {"ansi", "unicode", "resource"};

TEST(RecordWriter, JsonLinesParseBackToTheStoredResults) {
  Fixture f;
  // A file name that is not UTF-8 still gives valid JSON.
  const RecordWriter writer(RecordFormat::JsonLines, "dir/\"odd\"\xff.exe");
  std::string out;
  for (const std::uint32_t row : f.rows) {
    const std::size_t before = out.size();
    const std::size_t appended = writer.Append(out, f.store, f.map, row);
    EXPECT_EQ(appended, out.size() - before);
    EXPECT_EQ(out.back(), '\n');
    EXPECT_EQ(out.find('\n', before), out.size() - 1) << "one line per record";
  }

  std::size_t start = 0;
  for (std::uint32_t row = 0; row < f.rows.size(); ++row) {
    const std::size_t end = out.find('\n', start);
    const std::optional<JsonObject> object =
        JsonLineReader::Parse(std::string_view(out).substr(start, end - start));
    start = end + 1;
    ASSERT_TRUE(object.has_value()) << row;
    const std::uint64_t offset = f.store.Position(row);
    const JsonObject expected{
        {"file", JsonValue(std::string("dir/\"odd\"\xEF\xBF\xBD.exe"))},
        {"kind", JsonValue(std::string(kKinds[row % 3]))},
        {"offset", JsonValue(offset)},
        {"address", JsonValue(f.map.MemoryPosition(offset))},
        {"id", JsonValue(std::uint64_t{row == 5 ? 65535u : row})},
        {"text", JsonValue(Utf8Of(f.texts[row]))},
        {"length", JsonValue(std::uint64_t{f.texts[row].size()})},
    };
    EXPECT_EQ(*object, expected) << row;
  }
}

TEST(RecordWriter, CsvRowsParseBackToTheStoredResults) {
  Fixture f;
  const RecordWriter writer(RecordFormat::Csv, "a,b.exe");
  std::string out = kCsvHeaderRow;
  for (const std::uint32_t row : f.rows) {
    writer.Append(out, f.store, f.map, row);
  }
  const auto rows = testing::ParseCsv(out);
  ASSERT_TRUE(rows.has_value()) << out;
  ASSERT_EQ(rows->size(), f.rows.size() + 1);
  EXPECT_EQ((*rows)[0], (std::vector<std::string>{"file", "kind", "offset", "address", "id", "text",
                                                  "length"}));
  for (std::uint32_t row = 0; row < f.rows.size(); ++row) {
    const std::uint64_t offset = f.store.Position(row);
    EXPECT_EQ((*rows)[row + 1],
              (std::vector<std::string>{"a,b.exe", kKinds[row % 3], std::to_string(offset),
                                        std::to_string(f.map.MemoryPosition(offset)),
                                        std::to_string(row == 5 ? 65535u : row),
                                        Utf8Of(f.texts[row]), std::to_string(f.texts[row].size())}))
        << row;
  }
  // Plain fields stay unquoted, so simple tools read them too.
  EXPECT_NE(out.find("\r\n\"a,b.exe\",ansi,0,65536,0,plain text,10\r\n"), std::string::npos)
      << out.substr(0, 120);
}

TEST(RecordWriter, WriteGathersRecordsAndReportsFailures) {
  Fixture f;
  // Enough records to need several chunks.
  std::vector<std::uint32_t> many;
  for (int i = 0; i < 400; ++i) {
    many.insert(many.end(), f.rows.begin(), f.rows.end());
  }
  const RecordWriter writer(RecordFormat::JsonLines, "f");
  std::string expected;
  for (const std::uint32_t row : many) {
    writer.Append(expected, f.store, f.map, row);
  }
  ASSERT_GT(expected.size(), 3u * 64 * 1024);

  FILE* sink = std::tmpfile();
  ASSERT_NE(sink, nullptr);
  int error = 0;
  OutputStream stream(::fileno(sink));
  EXPECT_TRUE(writer.Write(stream, many, f.store, f.map, &error));
  EXPECT_EQ(error, 0);
  std::string written(expected.size() + 1, '\0');
  std::rewind(sink);
  written.resize(std::fread(written.data(), 1, written.size(), sink));
  std::fclose(sink);
  EXPECT_EQ(written, expected);

  if (::access("/dev/full", W_OK) == 0) {
    const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(full, 0);
    OutputStream fullStream(full);
    EXPECT_FALSE(writer.Write(fullStream, many, f.store, f.map, &error));
    EXPECT_EQ(error, ENOSPC);
    ::close(full);
  }
}

}  // namespace
}  // namespace quillex
