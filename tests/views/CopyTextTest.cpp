// Standard library
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

// Ours
#include "scan/SectionMap.h"
#include "store/ResultStore.h"
#include "views/AdvancedWriter.h"
#include "views/CopyText.h"

namespace quillex {
namespace {

// The pieces joined are Copy's text, whole lines each; a raised flag stops
// before the next piece.
TEST(CopyText, PiecesOfWholeLinesMakeCopysText) {
  ResultStore store;
  SectionMap map;
  std::vector<std::uint32_t> rows;
  for (std::uint32_t i = 0; i < 40000; ++i) {
    const std::string text = "text number " + std::to_string(i);
    ASSERT_TRUE(store.AddResult(i * 16, 0, static_cast<std::uint16_t>(i % 9), text.c_str(),
                                StringKind::Ansi));
    rows.push_back(40000 - 1 - i);
  }
  std::string joined;
  int pieces = 0;
  EXPECT_TRUE(CopyTextInPieces(rows, store, map, nullptr, [&](std::string_view piece) {
    EXPECT_TRUE(piece.ends_with("\r\n"));
    joined += piece;
    ++pieces;
  }));
  EXPECT_EQ(joined, AdvancedWriter::CopyText(rows, store, map));
  EXPECT_GT(pieces, 1);

  CancelFlag raised{true};
  pieces = 0;
  EXPECT_FALSE(CopyTextInPieces(rows, store, map, &raised, [&](std::string_view) { ++pieces; }));
  EXPECT_EQ(pieces, 0);
  EXPECT_TRUE(CopyTextInPieces({}, store, map, nullptr, [&](std::string_view) { ++pieces; }));
  EXPECT_EQ(pieces, 0);
}

}  // namespace
}  // namespace quillex
