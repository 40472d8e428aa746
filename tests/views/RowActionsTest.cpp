#include "views/RowActions.h"

// Standard library
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// Ours
#include "scan/SectionMap.h"
#include "store/PeHeaders.h"
#include "store/ResultStore.h"
#include "tags/TagId.h"
#include "views/JsonLinesWriter.h"
#include "views/OutputBuffer.h"
#include "views/ResultWriter.h"

namespace quillex {
namespace {

// What the row actions copy: the text as UTF-8, the two positions as their
// columns show them, and the row's JSON Lines record.
TEST(RowActions, ClipboardTexts) {
  ResultStore store;
  SectionMap map;
  map.ReadFromBytes(testing::MakePeHeaders(0x400000, {{".rdata", 0x3000, 0x200, 0x600}}));
  ASSERT_TRUE(store.AddResult(0x610, 0, 0, "caf\xe9 \x80 \"q\"", StringKind::Ansi));
  ASSERT_TRUE(store.AddResult(0x2345, 0x1, 7, "http://x.example", StringKind::Resource));

  EXPECT_EQ(RowText(store, 0), "caf\xC3\xA9 \xE2\x82\xAC \"q\"");
  EXPECT_EQ(RowFileOffset(store, 0), "000000000610");
  EXPECT_EQ(RowMemoryAddress(store, map, 0), "000000403010") << "translated by .rdata";
  EXPECT_EQ(RowFileOffset(store, 1), "000100002345");
  EXPECT_EQ(RowMemoryAddress(store, map, 1), "000100402345") << "outside every section";

  const std::vector<TagSet> tags{0, TagBit(TagId::Url) | TagBit(TagId::Domain)};
  const std::vector<std::uint32_t> rows{1, 0};
  const WriterSource source{
      .store = store, .map = map, .rows = rows, .fileName = "C:\\a.exe", .tags = tags};
  EXPECT_EQ(RowJsonRecord(source, 0),
            "{\"file\":\"C:\\\\a.exe\",\"kind\":\"ansi\",\"offset\":1552,\"address\":4206608,"
            "\"id\":0,\"text\":\"caf\xC3\xA9 \xE2\x82\xAC \\\"q\\\"\",\"length\":10,"
            "\"section\":\".rdata\",\"tags\":[]}\n");
  EXPECT_EQ(RowJsonRecord(source, 1),
            "{\"file\":\"C:\\\\a.exe\",\"kind\":\"resource\",\"offset\":4294976325,"
            "\"address\":4299170629,\"id\":7,\"text\":\"http://x.example\",\"length\":16,"
            "\"section\":\"\",\"tags\":[\"url\",\"domain\"]}\n");
  // The same bytes as the writer's lines for those rows.
  std::string written;
  OutputBuffer out(written);
  JsonLinesWriter writer;
  writer.WriteFile(source, out);
  out.Flush();
  EXPECT_EQ(written, RowJsonRecord(source, 1) + RowJsonRecord(source, 0));
}

}  // namespace
}  // namespace quillex
