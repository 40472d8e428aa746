#include "scan/SectionMap.h"

// Standard library
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

// Third party
#include <gtest/gtest.h>

// Ours
#include "platform/InputFile.h"
#include "scan/ScanTestSupport.h"
#include "support/PeBuilder.h"

namespace quillex {
namespace {

using testing::Bytes;
using testing::PeBuilder;

std::vector<std::string> Names(const SectionMap& map) {
  std::vector<std::string> out;
  for (const SectionRecord& r : map.Records())
    out.emplace_back(r.name);
  return out;
}

// The map read through a file and from memory must agree; tests use both.
SectionMap FromFile(const Bytes& bytes) {
  testing::TempFile file(bytes);
  InputFile input;
  EXPECT_TRUE(input.Open(file.Path()));
  SectionMap map;
  map.Read(input);
  return map;
}

SectionMap FromBytes(const Bytes& bytes) {
  SectionMap map;
  map.ReadFromBytes(bytes);
  return map;
}

TEST(SectionMap, FilesThatAreNotImagesMapPositionsToThemselves) {
  Bytes text(300, 'a');
  Bytes shortMz = {'M', 'Z', 0, 0};
  // "MZ" with e_lfanew beyond the end of the file.
  Bytes farLfanew(64, 0);
  farLfanew[0] = 'M';
  farLfanew[1] = 'Z';
  testing::Put32(farLfanew, 60, 0x1000);
  // A valid image with its signature spoiled.
  PeBuilder pe;
  pe.AddSection(".text", 0x1000, Bytes(0x200, 1));
  Bytes noSignature = pe.Build();
  noSignature[PeBuilder::kDefaultLfanew + 1] = 'X';
  // NT headers cut short: 247 of the 248 bytes present.
  Bytes cutHeaders = pe.Build();
  cutHeaders.resize(PeBuilder::kDefaultLfanew + 247);

  for (const Bytes* bytes : {&text, &shortMz, &farLfanew, &noSignature, &cutHeaders}) {
    for (const SectionMap& map : {FromFile(*bytes), FromBytes(*bytes)}) {
      EXPECT_TRUE(map.Records().empty());
      EXPECT_EQ(map.ImageBase(), 0u);
      EXPECT_EQ(map.MemoryPosition(0), 0u);
      EXPECT_EQ(map.MemoryPosition(0x1234), 0x1234u);
      EXPECT_EQ(map.MemoryPosition(0x123456789ull), 0x123456789ull);
      EXPECT_EQ(map.SectionIndex(0), std::nullopt);
      EXPECT_EQ(map.SectionAt(0x1234), nullptr);
    }
  }
}

TEST(SectionMap, TranslatesInsideAndOutsideSections) {
  PeBuilder pe;
  pe.ImageBase(0x10000000);
  const auto text = pe.AddSection(".text", 0x1000, Bytes(0x2000, 0xCC));
  pe.At(text).rawStart = 0x600;
  const Bytes image = pe.Build();
  for (const SectionMap& map : {FromFile(image), FromBytes(image)}) {
    ASSERT_EQ(map.Records().size(), 1u);
    const SectionRecord& r = map.Records()[0];
    EXPECT_EQ(r.rawStart, 0x600u);
    EXPECT_EQ(r.rawEnd, 0x2600u);
    EXPECT_EQ(r.virtualAddress, 0x1000u);
    EXPECT_EQ(r.memoryStart, 0x10001000u);
    EXPECT_EQ(map.MemoryPosition(0x600), 0x10001000u);
    EXPECT_EQ(map.MemoryPosition(0x25FF), 0x10002FFFu);
    EXPECT_EQ(map.MemoryPosition(0x2600), 0x10002600u);  // the raw end is outside
    EXPECT_EQ(map.MemoryPosition(0x1FF), 0x100001FFu);   // headers
    EXPECT_EQ(map.SectionIndex(0x600), 0u);
    ASSERT_NE(map.SectionAt(0x25FF), nullptr);
    EXPECT_STREQ(map.SectionAt(0x25FF)->name, ".text");
    EXPECT_EQ(map.SectionAt(0x2600), nullptr);
    EXPECT_EQ(map.SectionAt(0x1FF), nullptr);
  }
}

TEST(SectionMap, SectionCountZeroAndEmptyOrWrappingSections) {
  PeBuilder empty;
  empty.ImageBase(0x400000);
  const SectionMap none = FromBytes(empty.Build());
  EXPECT_TRUE(none.Records().empty());
  EXPECT_EQ(none.ImageBase(), 0x400000u);
  EXPECT_EQ(none.MemoryPosition(0x10), 0x400010u);

  PeBuilder pe;
  pe.ImageBase(0x400000);
  const auto zero = pe.AddSection("zero", 0x1000, {});
  pe.At(zero).rawStart = 0x400;
  const auto wraps = pe.AddSection("wraps", 0x2000, {});
  pe.At(wraps).rawStart = 0xFFFFF000;
  pe.At(wraps).rawSize = 0x2000;  // raw end 0x1000, below the raw start
  const SectionMap map = FromBytes(pe.Build());
  ASSERT_EQ(map.Records().size(), 2u);
  EXPECT_EQ(map.Records()[1].rawEnd, 0x1000u);
  EXPECT_EQ(map.MemoryPosition(0x400), 0x400400u);
  EXPECT_EQ(map.MemoryPosition(0xFFFFF800), 0xFFFFF800ull + 0x400000u);
  EXPECT_EQ(map.MemoryPosition(0x800), 0x400800u);
  EXPECT_EQ(map.SectionIndex(0x400), std::nullopt);
  EXPECT_EQ(map.SectionIndex(0xFFFFF800), std::nullopt);
  EXPECT_EQ(map.SectionIndex(0x800), std::nullopt);
  EXPECT_EQ(none.SectionAt(0x10), nullptr);
}

TEST(SectionMap, FirstOfOverlappingSectionsDecidesAndSumsKeep64Bits) {
  PeBuilder pe;
  pe.ImageBase(0xFFFF0000);
  const auto a = pe.AddSection("a", 0x20000, Bytes(0x100, 1));
  pe.At(a).rawStart = 0x400;
  const auto b = pe.AddSection("b", 0x9000, Bytes(0x400, 2));
  pe.At(b).rawStart = 0x300;
  const auto c = pe.AddSection("c", 0xF000, Bytes(0x3000, 3));
  pe.At(c).rawStart = 0x1000;
  const SectionMap map = FromBytes(pe.Build());
  ASSERT_EQ(map.Records().size(), 3u);
  // Memory starts wrap at 32 bits: 0xFFFF0000 + 0x20000 = 0x10000.
  EXPECT_EQ(map.Records()[0].memoryStart, 0x10000u);
  EXPECT_EQ(map.Records()[2].memoryStart, 0xFFFFF000u);
  EXPECT_EQ(map.MemoryPosition(0x410), 0x10010u);         // a comes first
  EXPECT_EQ(map.MemoryPosition(0x300), 0xFFFF9000u);      // only b
  EXPECT_EQ(map.MemoryPosition(0x500), 0xFFFF9200u);      // b after a's end
  EXPECT_EQ(map.MemoryPosition(0x3000), 0x100001000ull);  // the sum is not cut
  EXPECT_EQ(map.MemoryPosition(0x5000), 0x5000u + 0xFFFF0000ull);
  auto name = [&map](std::uint64_t position) {
    const SectionRecord* record = map.SectionAt(position);
    return record != nullptr ? std::string(record->name) : std::string("(none)");
  };
  EXPECT_EQ(name(0x410), "a");
  EXPECT_EQ(name(0x300), "b");
  EXPECT_EQ(name(0x500), "b");
  EXPECT_EQ(name(0x3000), "c");
  EXPECT_EQ(name(0x5000), "(none)");
  EXPECT_EQ(name(0x2FF), "(none)");
}

// Images with section tables placed at random, overlapping and nested, with
// empty and wrapped ranges: every memory position and section at and beside
// each bound is the one a search of the table in its order gives.
TEST(SectionMap, MemoryPositionsOfRandomTablesFollowTableOrder) {
  std::mt19937 random(1904);
  for (int image = 0; image < 200; ++image) {
    PeBuilder pe;
    pe.ImageBase(random() % 2 == 0 ? 0x400000 : 0xFFFF0000);
    const std::size_t count = random() % 30;
    for (std::size_t i = 0; i < count; ++i) {
      const auto section =
          pe.AddSection("s" + std::to_string(i), static_cast<std::uint32_t>(random()), {});
      const std::uint32_t start = static_cast<std::uint32_t>(random() % 0x40) * 0x10;
      pe.At(section).rawStart = random() % 8 == 0 ? 0xFFFFFF00 : start;
      pe.At(section).rawSize = static_cast<std::uint32_t>(random() % 0x30) * 0x10;
    }
    const SectionMap map = FromBytes(pe.Build());
    ASSERT_EQ(map.Records().size(), count);
    std::vector<std::uint64_t> probes = {0, 0x100000000ull};
    for (const SectionRecord& r : map.Records()) {
      for (const std::uint64_t bound : {std::uint64_t{r.rawStart}, std::uint64_t{r.rawEnd}}) {
        probes.insert(probes.end(), {bound - 1, bound, bound + 1});
      }
    }
    for (const std::uint64_t p : probes) {
      std::optional<std::uint32_t> index;
      std::uint64_t expected = p + map.ImageBase();
      for (std::uint32_t i = 0; i < count; ++i) {
        const SectionRecord& r = map.Records()[i];
        if (r.rawStart <= p && p < r.rawEnd) {
          index = i;
          expected = p - r.rawStart + r.memoryStart;
          break;
        }
      }
      ASSERT_EQ(map.SectionIndex(p), index) << "image " << image << ", position " << p;
      ASSERT_EQ(map.MemoryPosition(p), expected) << "image " << image << ", position " << p;
      ASSERT_EQ(map.SectionAt(p), index ? &map.Records()[*index] : nullptr);
    }
  }
}

TEST(SectionMap, SectionNames) {
  PeBuilder pe;
  auto raw = [&pe](std::initializer_list<std::uint8_t> name) {
    pe.At(pe.AddSection("", 0x1000, {})).name = Bytes(name);
  };
  raw({'.', 'r', 's', 'r', 'c', 0, 0, 0});
  raw({'.', 'r', 's', 'r', 'c', ' ', ' ', ' '});
  raw({' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '});
  raw({0x61, 0x62, 0x20, 0x00, 0x63, 0x64, 0x20, 0x20});
  raw({'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'});
  raw({' ', 'x', 0, ' ', 0, ' ', 0, 0});
  const SectionMap map = FromBytes(pe.Build());
  EXPECT_EQ(Names(map), (std::vector<std::string>{".rsrc", ".rsrc", "", "ab ", "abcdefgh", " x"}));
}

TEST(SectionMap, TableCutShortKeepsWholeRecordsAndImageBase) {
  PeBuilder pe;
  pe.ImageBase(0x1000000);
  pe.StatedSectionCount(5);
  pe.AddSection("one", 0x1000, {});
  pe.AddSection("two", 0x2000, {});
  Bytes image = pe.Build();
  // Headers of "one" and "two" whole, 39 bytes of a third, then the end.
  image.resize(pe.SectionTable() + 2 * 40 + 39);
  for (const SectionMap& map : {FromFile(image), FromBytes(image)}) {
    EXPECT_EQ(Names(map), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(map.ImageBase(), 0x1000000u);
  }
}

TEST(SectionMap, Pe32PlusAndOptionalHeaderSizes) {
  // PE32+: the 64-bit image base, and positions far above 4 GiB.
  PeBuilder plus;
  plus.Pe32Plus().ImageBase(0x140000000ull);
  const auto text = plus.AddSection(".text", 0x1000, Bytes(0x200, 0x90));
  plus.At(text).rawStart = 0x400;
  Bytes image = plus.Build();
  for (const SectionMap& map : {FromFile(image), FromBytes(image)}) {
    ASSERT_EQ(map.Records().size(), 1u);
    EXPECT_EQ(map.ImageBase(), 0x140000000ull);
    EXPECT_EQ(map.Records()[0].memoryStart, 0x140001000ull);
    EXPECT_EQ(map.MemoryPosition(0x410), 0x140001010ull);
    EXPECT_EQ(map.MemoryPosition(0x10), 0x140000010ull);
  }

  // A PE32 optional header of another size moves the section table with it;
  // the image base stays at its PE32 place.
  PeBuilder wide;
  wide.ImageBase(0x800000).OptionalHeaderSize(256);
  wide.AddSection("moved", 0x3000, Bytes(0x10, 1));
  SectionMap map = FromBytes(wide.Build());
  EXPECT_EQ(Names(map), (std::vector<std::string>{"moved"}));
  EXPECT_EQ(map.ImageBase(), 0x800000u);

  // An optional header longer than the file: not an image.
  PeBuilder huge;
  huge.OptionalHeaderSize(0xFFFF);
  Bytes cut = huge.Build();
  cut.resize(PeBuilder::kDefaultLfanew + 24 + 0x1000);
  map = FromBytes(cut);
  EXPECT_TRUE(map.Records().empty());
  EXPECT_EQ(map.ImageBase(), 0u);

  // A second read replaces the first map entirely.
  map = FromBytes(image);
  map.ReadFromBytes(Bytes(10, 'x'));
  EXPECT_TRUE(map.Records().empty());
  EXPECT_EQ(map.ImageBase(), 0u);
  EXPECT_EQ(map.SectionIndex(0x410), std::nullopt);
}

}  // namespace
}  // namespace quillex
