// Standard library
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// Ours
#include "scan/SectionMap.h"
#include "store/ResultStore.h"
#include "views/PlainWriter.h"
#include "views/WrittenText.h"

namespace quillex {
namespace {

using testing::Written;

TEST(PlainWriter, OneTextALineEndedByLfAlone) {
  ResultStore store;
  SectionMap map;
  ASSERT_TRUE(store.AddResult(0x400, 0, 0, "abc", StringKind::Ansi));
  ASSERT_TRUE(store.AddResult(0x10, 0, 3, "a\rb\tc", StringKind::Resource));
  const std::string longText(1024, 'L');
  ASSERT_TRUE(store.AddResult(0x10, 0, 0, longText.c_str(), StringKind::Unicode));

  // In the order given, bytes as stored, long texts whole; a row past the
  // end is an empty line.
  const std::vector<std::uint32_t> rows{2, 0, 1, 99};
  PlainWriter writer;
  EXPECT_EQ(Written(writer, WriterSource{.store = store, .map = map, .rows = rows}),
            longText + "\nabc\na\rb\tc\n\n");
  EXPECT_EQ(Written(writer, WriterSource{.store = store, .map = map}), "")
      << "no rows, an empty output";

  // Several files: a heading line before each file's texts.
  const std::vector<std::uint32_t> one{0};
  PlainWriter headed({.fileHeadings = true});
  EXPECT_EQ(Written(headed, WriterSource{.store = store, .map = map, .rows = one, .fileName = "x"},
                    WriterSource{.store = store, .map = map, .fileName = "y"}),
            "==> x <==\nabc\n==> y <==\n");

  // Enough lines for several chunks.
  std::vector<std::uint32_t> many(30000, 0);
  std::string expected;
  for (std::size_t i = 0; i < many.size(); ++i) {
    expected += "abc\n";
  }
  EXPECT_EQ(Written(writer, WriterSource{.store = store, .map = map, .rows = many}), expected);
}

}  // namespace
}  // namespace quillex
