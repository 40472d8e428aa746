// Results whose texts hold every character JSON and CSV must escape, for the
// record writers' tests.
#pragma once

// Standard library
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// Ours
#include "platform/Utf8.h"
#include "scan/SectionMap.h"
#include "store/PeHeaders.h"
#include "store/ResultStore.h"
#include "tags/TagId.h"
#include "views/ResultWriter.h"

namespace quillex::testing {

// Every byte value but 0 in one text, so every Windows-1252 character and
// every character JSON and CSV must escape goes through the writers.
inline std::string AllBytes() {
  std::string text;
  for (int b = 1; b < 256; ++b) {
    text += static_cast<char>(b);
  }
  return text;
}

inline std::string Utf8Of(const std::string& bytes) {
  std::string out;
  AppendCp1252AsUtf8(out, bytes);
  return out;
}

inline const char* const kKindNames[] = {"ansi", "unicode", "resource"};

struct RecordFixture {
  ResultStore store;
  SectionMap map;
  std::vector<std::string> texts{"plain text",       "quote \" and \\ back",
                                 "comma, then\r\n",  " leading and trailing ",
                                 "caf\xe9 \x80\x81", AllBytes()};
  std::vector<std::uint32_t> rows;
  // Tags for the first results only: the others lie past the array's end
  // and are written with none.
  std::vector<TagSet> tags{TagBit(TagId::Url) | TagBit(TagId::Domain), 0,
                           static_cast<TagSet>((1u << kTagCount) - 1), TagBit(TagId::Pdb)};
  // The names each result is written with, in the tag table's order.
  std::vector<std::vector<std::string>> tagNames{
      {"url", "domain"},
      {},
      {"url", "domain", "ipv4", "ipv6", "email", "windows-path", "unix-path", "registry", "guid",
       "base64", "hash", "format", "user-agent", "pdb"},
      {"pdb"},
      {},
      {}};

  RecordFixture() {
    map.ReadFromBytes(MakePeHeaders(0x10000, {}));
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

  [[nodiscard]] WriterSource Source(std::string_view fileName) const {
    return {.store = store, .map = map, .rows = rows, .fileName = fileName, .tags = tags};
  }
  [[nodiscard]] std::uint32_t Id(std::uint32_t row) const { return row == 5 ? 65535 : row; }
};

}  // namespace quillex::testing
