#include "scan/ResourceScanner.h"

// Standard library
#include <algorithm>
#include <string>
#include <string_view>
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
using testing::Criteria;
using testing::Found;
using testing::kNamed;
using testing::kSubdirectory;
using testing::PeBuilder;
using testing::ResourceTree;

constexpr StringKind R = StringKind::Resource;
constexpr std::uint32_t kVa = 0x3000;
constexpr std::uint32_t kRawStart = 0x800;

class ResourceWalk : public ::testing::Test {
 protected:
  bool Walk(const Bytes& section, std::uint32_t rawStart = kRawStart,
            std::uint32_t virtualAddress = kVa) {
    SectionRecord record;
    std::snprintf(record.name, sizeof record.name, ".rsrc");
    record.rawStart = rawStart;
    record.rawEnd = rawStart + static_cast<std::uint32_t>(section.size());
    record.virtualAddress = virtualAddress;
    text.assign(std::size_t{criteria.maxLength} + 2, '\0');
    ResourceScanner scanner(table, criteria, text, store, host);
    const bool whole = scanner.WalkSection(section, record);
    count = scanner.Count();
    found = testing::Results(store);
    return whole;
  }
  std::vector<std::string> Shown() const { return host.ShownIn(StringKind::Resource); }

  CharClassTable table = testing::TestTable();
  FilterCriteria criteria = Criteria(1);
  std::vector<char> text;
  ResultStore store;
  testing::FakeHost host;
  std::vector<Found> found;
  std::uint32_t count = 0;
};

std::vector<std::u16string> Numbered(std::u16string_view prefix) {
  std::vector<std::u16string> out;
  for (char16_t j = 0; j < 16; ++j) {
    out.push_back(std::u16string(prefix) + static_cast<char16_t>(u'a' + j));
  }
  return out;
}

TEST_F(ResourceWalk, StringIdsFollowTheBlockNumber) {
  ResourceTree tree;
  tree.AddStrings(1, Numbered(u"one"));
  tree.AddStrings(2, {u"first", u"", u"third"});
  tree.AddStrings(4096, Numbered(u"last"));
  const auto layout = tree.Build(kVa);
  ASSERT_TRUE(Walk(layout.bytes));
  ASSERT_EQ(found.size(), 34u);
  for (std::uint16_t j = 0; j < 16; ++j) {
    EXPECT_EQ(found[j].id, j);
    EXPECT_EQ(found[j].text, "one" + std::string(1, static_cast<char>('a' + j)));
    EXPECT_EQ(found[j].kind, R);
    EXPECT_EQ(found[18 + j].id, 65520 + j);
  }
  // The empty string is tested like any other and fails minLength 1.
  EXPECT_EQ(found[16], (Found{kRawStart + layout.data[1], "first", 16, R}));
  EXPECT_EQ(found[17].id, 18);
  EXPECT_EQ(count, 34u);
  EXPECT_EQ(host.warnings, 0);
}

TEST_F(ResourceWalk, PositionsAndTheCountCell) {
  // Raw start 0x1200, virtual address 0x4000; block 3's data at RVA 0x4230.
  Bytes s;
  testing::PutDirectory(s, 0x00, 0, 1);
  testing::PutEntry(s, 0x00, 0, 6, kSubdirectory | 0x18);
  testing::PutDirectory(s, 0x18, 0, 1);
  testing::PutEntry(s, 0x18, 0, 3, kSubdirectory | 0x30);
  testing::PutDirectory(s, 0x30, 0, 1);
  testing::PutEntry(s, 0x30, 0, 0x409, 0x48);
  testing::PutDataEntry(s, 0x48, 0x4230, 8);  // a size far below the block's
  std::size_t at = testing::PutCountedString(s, 0x230, u"abc");
  at = testing::PutCountedString(s, at, u"defg");
  for (int j = 2; j < 16; ++j)
    at = testing::PutCountedString(s, at, u"");
  ASSERT_TRUE(Walk(s, 0x1200, 0x4000));
  const std::vector<Found> expected = {{0x1430, "abc", 32, R}, {0x1438, "defg", 33, R}};
  EXPECT_EQ(found, expected);
  // 0 at the start, then once after each directory, innermost first.
  EXPECT_EQ(Shown(), (std::vector<std::string>{"RS: 0", "RS: 2", "RS: 2", "RS: 2"}));
}

TEST_F(ResourceWalk, TextsAreLowBytesCutToMaxLength) {
  criteria = Criteria(1, 255, 3);  // the repeat limit does not apply here
  table.SetBytes("\xe9", 1);
  ResourceTree tree;
  tree.AddStrings(1, {std::u16string(300, u'x'), u"next", u"caf\u00e9", u"\u0141BC", u"ab\u0100cd",
                      u"aaaaaaaa"});
  const auto layout = tree.Build(kVa);
  ASSERT_TRUE(Walk(layout.bytes));
  const std::uint64_t block = kRawStart + layout.data[0];
  const std::vector<Found> expected = {{block, std::string(255, 'x'), 0, R},
                                       {block + 602, "next", 1, R},  // 2 + 2 x 300 bytes after
                                                                     // the long string's count
                                       {block + 612, "caf\xe9", 2, R},
                                       {block + 622, "ABC", 3, R},
                                       {block + 630, "ab", 4, R},
                                       {block + 642, "aaaaaaaa", 5, R}};
  EXPECT_EQ(found, expected);
}

TEST_F(ResourceWalk, NamedTypesAreListedNamedResourcesAreNot) {
  ResourceTree tree;
  tree.Add(ResourceTree::Name(u"ABC"), ResourceTree::Id(1), 0x409, {1, 2, 3});
  tree.Add(ResourceTree::Id(5), ResourceTree::Name(u"DIALOGNAME"), 0x409, {4, 5});
  tree.Add(ResourceTree::Id(3), ResourceTree::Id(1), 0x409, testing::StringBlock({u"icon"}));
  const auto layout = tree.Build(kVa);
  ASSERT_TRUE(Walk(layout.bytes));
  ASSERT_EQ(layout.typeNames.size(), 1u);
  const std::uint32_t name = layout.typeNames[0];
  const std::vector<Found> expected = {
      {kRawStart + name + 2, "ABC", static_cast<std::uint16_t>(name), R}};
  EXPECT_EQ(found, expected);
}

TEST_F(ResourceWalk, EveryLanguageAndEverySharedSubdirectoryIsRead) {
  ResourceTree tree;
  tree.AddStrings(1, {u"hello"}, 0x409);
  tree.AddStrings(1, {u"hallo"}, 0x407);
  auto layout = tree.Build(kVa);
  ASSERT_TRUE(Walk(layout.bytes));
  EXPECT_EQ(found, (std::vector<Found>{{kRawStart + layout.data[0], "hello", 0, R},
                                       {kRawStart + layout.data[1], "hallo", 0, R}}));

  // A root whose two entries share one type directory: walked twice, no loop.
  ResourceTree single;
  single.AddStrings(2, {u"shared"});
  layout = single.Build(kVa);
  Bytes& b = layout.bytes;
  testing::PutDirectory(b, 0, 0, 2);
  // The root's second entry overlays the first name-directory header, which
  // is moved out of the way to the end of the section.
  const std::uint32_t moved = static_cast<std::uint32_t>(b.size());
  const std::uint32_t typeDir = layout.directories[1];
  for (std::uint32_t k = 0; k < 24; ++k)
    testing::Put8(b, moved + k, b[typeDir + k]);
  testing::PutEntry(b, 0, 0, 6, kSubdirectory | moved);
  testing::PutEntry(b, 0, 1, 6, kSubdirectory | moved);
  store.Clear();
  host = {};
  ASSERT_TRUE(Walk(b));
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0], found[1]);
  EXPECT_EQ(found[0].id, 16);
}

// Damaged trees end the walk at the damage with one warning; what was found
// before stays, and the cell keeps the count of the last finished directory.
TEST_F(ResourceWalk, DamageEndsTheWalkAfterWhatCameBefore) {
  ResourceTree tree;
  tree.AddStrings(1, {u"kept", u"also"});
  tree.AddStrings(2, {u"lost"});
  const auto layout = tree.Build(kVa);

  struct Case {
    const char* what;
    void (*damage)(Bytes&, const ResourceTree::Layout&);
  };
  const Case cases[] = {
      {"block RVA outside the section",
       [](Bytes& b, const ResourceTree::Layout& l) {
         testing::Put32(b, l.dataEntries[1], kVa + static_cast<std::uint32_t>(b.size()));
       }},
      {"block RVA below the section",
       [](Bytes& b, const ResourceTree::Layout& l) { testing::Put32(b, l.dataEntries[1], 0x10); }},
      {"subdirectory back to the root",
       [](Bytes& b, const ResourceTree::Layout& l) {
         testing::Put32(b, l.directories.back() + 16 + 4, kSubdirectory | 0);
       }},
      {"subdirectory back to itself",
       [](Bytes& b, const ResourceTree::Layout& l) {
         testing::Put32(b, l.directories.back() + 16 + 4, kSubdirectory | l.directories.back());
       }},
      {"subdirectory outside the section",
       [](Bytes& b, const ResourceTree::Layout& l) {
         testing::Put32(b, l.directories.back() + 16 + 4, kSubdirectory | 0x7FFFFFF0);
       }},
      {"data entry outside the section",
       [](Bytes& b, const ResourceTree::Layout& l) {
         testing::Put32(b, l.directories.back() + 16 + 4, static_cast<std::uint32_t>(b.size()) - 2);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes damaged = layout.bytes;
    c.damage(damaged, layout);
    store.Clear();
    host = {};
    EXPECT_FALSE(Walk(damaged));
    EXPECT_EQ(host.warnings, 1);
    const std::vector<Found> expected = {{kRawStart + layout.data[0], "kept", 0, R},
                                         {kRawStart + layout.data[0] + 10, "also", 1, R}};
    EXPECT_EQ(found, expected);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"RS: 0", "RS: 2"}));
  }
}

TEST_F(ResourceWalk, TruncatedAndEmptySections) {
  EXPECT_FALSE(Walk({}));
  EXPECT_EQ(host.warnings, 1);
  EXPECT_EQ(Shown(), (std::vector<std::string>{"RS: 0"}));

  ResourceTree tree;
  tree.Add(ResourceTree::Name(u"TYPENAME"), ResourceTree::Id(1), 0x409, {});
  tree.AddStrings(1, {u"string"});
  auto layout = tree.Build(kVa);
  // Cut inside the type's name: the name's units are not all there.
  Bytes cut(layout.bytes.begin(), layout.bytes.begin() + layout.typeNames[0] + 6);
  host = {};
  EXPECT_FALSE(Walk(cut));
  EXPECT_TRUE(found.empty());
  EXPECT_EQ(host.warnings, 1);

  // A root that claims four entries in a section that ends after three; the
  // first leads to an empty directory that overlaps the other two.
  Bytes root;
  testing::PutDirectory(root, 0, 0, 4);
  testing::PutEntry(root, 0, 0, 1, kSubdirectory | 24);
  testing::PutDirectory(root, 24, 0, 0);
  ASSERT_EQ(root.size(), 40u);
  host = {};
  EXPECT_FALSE(Walk(root));
  EXPECT_EQ(host.warnings, 1);
  EXPECT_EQ(Shown(), (std::vector<std::string>{"RS: 0", "RS: 0"}));

  // Cut inside a string: the strings before it in the block stay.
  ResourceTree strings;
  strings.AddStrings(1, {u"whole", u"broken"});
  layout = strings.Build(kVa);
  cut.assign(layout.bytes.begin(), layout.bytes.begin() + layout.data[0] + 12 + 4);
  host = {};
  EXPECT_FALSE(Walk(cut));
  EXPECT_EQ(found, (std::vector<Found>{{kRawStart + layout.data[0], "whole", 0, R}}));
}

// A chain of directories, each with one entry leading to the next.
Bytes Chain(std::uint32_t depth) {
  Bytes b;
  for (std::uint32_t d = 0; d < depth; ++d) {
    testing::PutDirectory(b, 24 * d, 0, 1);
    testing::PutEntry(b, 24 * d, 0, 6, kSubdirectory | (24 * (d + 1)));
  }
  testing::PutDirectory(b, 24 * depth, 0, 0);
  return b;
}

TEST_F(ResourceWalk, DeepWideAndMultipliedTreesAreBounded) {
  // Depths up to the limit are walked; deeper chains are damage.
  EXPECT_TRUE(Walk(Chain(ResourceScanner::kMaxDepth)));
  EXPECT_EQ(host.warnings, 0);
  EXPECT_FALSE(Walk(Chain(ResourceScanner::kMaxDepth + 1)));
  EXPECT_FALSE(Walk(Chain(100000)));
  EXPECT_EQ(host.warnings, 2);

  // Thirty levels of two entries sharing the next level: 2^31 directory
  // visits if nothing stopped them.
  Bytes shared;
  for (std::uint32_t d = 0; d < 30; ++d) {
    testing::PutDirectory(shared, 32 * d, 0, 2);
    testing::PutEntry(shared, 32 * d, 0, 1, kSubdirectory | (32 * (d + 1)));
    testing::PutEntry(shared, 32 * d, 1, 1, kSubdirectory | (32 * (d + 1)));
  }
  testing::PutDirectory(shared, 32 * 30, 0, 0);
  host = {};
  EXPECT_FALSE(Walk(shared));
  EXPECT_EQ(host.warnings, 1);

  // One language directory whose 20000 entries all name the same block of
  // sixteen 1000-character strings: listing them all would take 320000
  // results and 640 MB of reading from a 200 KB section.
  Bytes bomb;
  testing::PutDirectory(bomb, 0, 0, 1);
  testing::PutEntry(bomb, 0, 0, 6, kSubdirectory | 0x18);
  testing::PutDirectory(bomb, 0x18, 0, 1);
  testing::PutEntry(bomb, 0x18, 0, 1, kSubdirectory | 0x30);
  testing::PutDirectory(bomb, 0x30, 0, 20000);
  const std::uint32_t dataEntry = 0x30 + 16 + 8 * 20000;
  for (std::uint32_t k = 0; k < 20000; ++k)
    testing::PutEntry(bomb, 0x30, k, 0x409, dataEntry);
  testing::PutDataEntry(bomb, dataEntry, kVa + dataEntry + 16, 0);
  std::size_t at = dataEntry + 16;
  for (int j = 0; j < 16; ++j)
    at = testing::PutCountedString(bomb, at, std::u16string(1000, u'b'));
  host = {};
  store.Clear();
  EXPECT_FALSE(Walk(bomb));
  EXPECT_EQ(host.warnings, 1);
  EXPECT_GT(found.size(), 16u);
  EXPECT_LT(found.size(), 16u * 400);
}

// The walk consults the pump at least once per 1,024 entries, even where
// they cost fewer than 16 KiB of reading, and once per 16 KiB read, even
// where a few entries read much more.
TEST_F(ResourceWalk, ThePumpIsConsultedAsTheWalkGoesOn) {
  // 20000 data entries of a type that is not a string table: 8 bytes each,
  // so 160 KB of reading, ten times 16 KiB, but nineteen times 1,024 entries.
  Bytes wide;
  testing::PutDirectory(wide, 0, 0, 1);
  testing::PutEntry(wide, 0, 0, 3, kSubdirectory | 0x18);
  testing::PutDirectory(wide, 0x18, 0, 20000);
  for (std::uint32_t k = 0; k < 20000; ++k)
    testing::PutEntry(wide, 0x18, k, k, 0);
  EXPECT_TRUE(Walk(wide));
  EXPECT_GE(host.pumps, 20001 / 1024);
  EXPECT_LE(host.pumps, 20001 / 1024 + 20001 * 8 / 16384 + 1);

  // A few hundred entries that all name one block of long strings: each reads
  // 32 KB, so the pump comes up at least every 16 KiB the walk reads.
  Bytes bomb;
  testing::PutDirectory(bomb, 0, 0, 1);
  testing::PutEntry(bomb, 0, 0, 6, kSubdirectory | 0x18);
  testing::PutDirectory(bomb, 0x18, 0, 1);
  testing::PutEntry(bomb, 0x18, 0, 1, kSubdirectory | 0x30);
  testing::PutDirectory(bomb, 0x30, 0, 300);
  const std::uint32_t dataEntry = 0x30 + 16 + 8 * 300;
  for (std::uint32_t k = 0; k < 300; ++k)
    testing::PutEntry(bomb, 0x30, k, 0x409, dataEntry);
  testing::PutDataEntry(bomb, dataEntry, kVa + dataEntry + 16, 0);
  std::size_t at = dataEntry + 16;
  for (int j = 0; j < 16; ++j)
    at = testing::PutCountedString(bomb, at, std::u16string(1000, u'b'));
  host = {};
  store.Clear();
  Walk(bomb);
  const std::uint64_t stringBytes = found.size() * 2002u;
  ASSERT_GT(found.size(), 16u);
  EXPECT_GE(static_cast<std::uint64_t>(host.pumps), stringBytes / 16384);
  EXPECT_LE(static_cast<std::uint64_t>(host.pumps), 2 * (stringBytes / 16384) + 2);
}

// A stop reported while the walk runs ends it where it stands: what was
// found stays, nothing is damaged, the cell shows the count so far.
TEST_F(ResourceWalk, AStopEndsTheWalkKeepingWhatWasFound) {
  ResourceTree tree;
  for (std::uint16_t block = 1; block <= 3000; ++block)
    tree.AddStrings(block, {u"text"});
  const auto layout = tree.Build(kVa);
  ASSERT_TRUE(Walk(layout.bytes));
  const std::vector<Found> all = found;
  const int pumps = host.pumps;
  ASSERT_GE(pumps, 4);

  store.Clear();
  host = {};
  host.stopAtPump = 2;
  text.assign(std::size_t{criteria.maxLength} + 2, '\0');
  SectionRecord record;
  std::snprintf(record.name, sizeof record.name, ".rsrc");
  record.rawStart = kRawStart;
  record.rawEnd = kRawStart + static_cast<std::uint32_t>(layout.bytes.size());
  record.virtualAddress = kVa;
  ResourceScanner scanner(table, criteria, text, store, host);
  EXPECT_TRUE(scanner.WalkSection(layout.bytes, record));
  EXPECT_TRUE(scanner.Stopped());
  found = testing::Results(store);
  EXPECT_EQ(host.pumps, 2) << "nothing more is done after the stop";
  ASSERT_FALSE(found.empty());
  ASSERT_LT(found.size(), all.size());
  EXPECT_TRUE(std::equal(found.begin(), found.end(), all.begin()));
  EXPECT_EQ(host.warnings, 0);
  EXPECT_EQ(Shown().back(), "RS: " + std::to_string(found.size()));
}

// The whole pass over a file's ".rsrc" sections.
class ResourcePass : public ::testing::Test {
 protected:
  void Run(const Bytes& image,
           ResourceScanner::StopRule rule = ResourceScanner::StopRule::EndAtStop) {
    testing::TempFile file(image);
    InputFile input;
    ASSERT_TRUE(input.Open(file.Path()));
    SectionMap map;
    map.Read(input);
    std::vector<char> text(std::size_t{criteria.maxLength} + 2);
    ResourceScanner scanner(table, criteria, text, store, host);
    scanner.Run(input, map, rule);
    count = scanner.Count();
    found = testing::Results(store);
    budget = ResourceScanner::PassBudget::ForFile(image.size());
    left = scanner.BudgetLeft();
    spent = scanner.BudgetSpent();
    stopped = scanner.Stopped();
  }
  void Reset() {
    store.Clear();
    host = {};
  }

  CharClassTable table = testing::TestTable();
  FilterCriteria criteria = Criteria(1);
  ResultStore store;
  testing::FakeHost host;
  std::vector<Found> found;
  std::uint32_t count = 0;
  // The pass's budget for the image, what was left of it, and how it ended.
  ResourceScanner::PassBudget budget;
  ResourceScanner::PassBudget left;
  bool spent = false;
  bool stopped = false;
};

// What one section gives when walked on its own, with only its own bounds.
struct Alone {
  std::vector<Found> found;
  int warnings = 0;
};
Alone WalkAlone(const Bytes& section, std::uint32_t rawStart, std::uint32_t virtualAddress,
                const FilterCriteria& criteria) {
  const CharClassTable table = testing::TestTable();
  SectionRecord record;
  std::snprintf(record.name, sizeof record.name, ".rsrc");
  record.rawStart = rawStart;
  record.rawEnd = rawStart + static_cast<std::uint32_t>(section.size());
  record.virtualAddress = virtualAddress;
  std::vector<char> text(std::size_t{criteria.maxLength} + 2);
  ResultStore store;
  testing::FakeHost host;
  ResourceScanner scanner(table, criteria, text, store, host);
  scanner.WalkSection(section, record);
  return Alone{testing::Results(store), host.warnings};
}

// True when `found` is the start of `one` listed again and again.
bool RepeatsFromTheStart(const std::vector<Found>& found, const std::vector<Found>& one) {
  for (std::size_t k = 0; k < found.size(); ++k) {
    if (one.empty() || found[k] != one[k % one.size()])
      return false;
  }
  return true;
}

TEST_F(ResourcePass, EveryRsrcSectionIsWalkedWithItsOwnCount) {
  ResourceTree first;
  first.AddStrings(1, {u"one", u"two", u"three"});
  ResourceTree second;
  second.AddStrings(1, {u"four"});
  ResourceTree ignored;
  ignored.AddStrings(1, {u"wrongname"});
  PeBuilder pe;
  const auto a = pe.AddSection(".rsrc", 0x1000, first.Build(0x1000).bytes);
  pe.AddSection(".RSRC", 0x2000, ignored.Build(0x2000).bytes);
  pe.AddSection(".rsrc", 0x3000, second.Build(0x3000).bytes);
  Run(pe.Build());
  ASSERT_EQ(found.size(), 4u);
  EXPECT_EQ(found[0].text, "one");
  EXPECT_EQ(found[0].position, pe.RawStart(a) + first.Build(0x1000).data[0]);
  EXPECT_EQ(found[3].text, "four");
  EXPECT_EQ(count, 1u);
  const auto shown = host.ShownIn(StringKind::Resource);
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.front(), "RS: 0");
  EXPECT_EQ(shown.back(), "RS: 1");
  EXPECT_EQ(std::count(shown.begin(), shown.end(), "RS: 0"), 3);
  EXPECT_EQ(host.warnings, 0);
}

TEST_F(ResourcePass, SectionSizesAreCheckedAgainstTheFile) {
  // A stated raw size far beyond the file: only what the file holds is read,
  // and the tree inside it is walked as usual.
  ResourceTree tree;
  tree.AddStrings(1, {u"present"});
  PeBuilder pe;
  const auto rsrc = pe.AddSection(".rsrc", 0x1000, tree.Build(0x1000).bytes);
  pe.At(rsrc).rawSize = 0xFFFFF000;
  Run(pe.Build());
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].text, "present");
  EXPECT_EQ(host.warnings, 0);

  // Raw data beyond the end of the file: a warning and nothing listed.
  PeBuilder beyond;
  const auto far = beyond.AddSection(".rsrc", 0x1000, tree.Build(0x1000).bytes);
  beyond.At(far).rawStart = 0x100000;
  Bytes image = beyond.Build();
  image.resize(0x1000);
  store.Clear();
  host = {};
  Run(image);
  EXPECT_TRUE(found.empty());
  EXPECT_EQ(host.warnings, 1);
}

// Sections that share their bytes: each is walked with its own record as
// if read alone, giving the same rows and warnings, but a file range is read
// only once.
TEST_F(ResourcePass, SectionsOnOneRangeAreReadOnceAndWalkedEach) {
  ResourceTree first;
  first.AddStrings(1, {u"alpha", u"beta"});
  first.AddStrings(7, {u"gamma"});
  ResourceTree second;
  second.AddStrings(2, {u"other"});
  Bytes a = first.Build(0x10000).bytes;
  Bytes b = second.Build(0x20000).bytes;
  a.resize(0x20000);  // 128 KiB each, so reading them again would show
  b.resize(0x20000);
  PeBuilder pe;
  const std::size_t kSections = 60;
  const std::size_t ha = pe.AddSection(".text", 0x10000, a);
  const std::size_t hb = pe.AddSection(".data", 0x20000, b);
  for (std::size_t i = 0; i < kSections; ++i)
    pe.AddSection(".rsrc", 0x10000, {});
  // Where the table, now whole, puts the two ranges.
  const std::uint32_t rawA = pe.RawStart(ha);
  const std::uint32_t rawB = pe.RawStart(hb);
  for (std::size_t i = 0; i < kSections; ++i) {
    PeBuilder::Section& s = pe.At(hb + 1 + i);
    s.rawStart = i % 7 == 3 ? rawB : rawA;
    s.rawSize = 0x20000;
    if (i % 7 == 3)
      s.virtualAddress = 0x20000;
    if (i == 20)
      s.virtualAddress = 0x10100;  // same bytes, other addresses: damaged
    if (i == 30)
      s.rawSize = 0x60;  // the same start, fewer bytes: cut inside the tree
  }
  const Bytes image = pe.Build();

  // The reference: every ".rsrc" section read on its own and walked.
  SectionMap map;
  map.ReadFromBytes(image);
  ResultStore expectedStore;
  testing::FakeHost expectedHost;
  std::vector<char> text(std::size_t{criteria.maxLength} + 2);
  ResourceScanner reference(table, criteria, text, expectedStore, expectedHost);
  for (const SectionRecord& record : map.Records()) {
    if (std::string_view(record.name) != ".rsrc")
      continue;
    const std::size_t size =
        std::min<std::size_t>(record.rawEnd - record.rawStart, image.size() - record.rawStart);
    const Bytes own(image.begin() + record.rawStart, image.begin() + record.rawStart + size);
    reference.WalkSection(own, record);
  }
  const std::vector<Found> expected = testing::Results(expectedStore);
  ASSERT_GT(expected.size(), kSections * 2);
  ASSERT_GE(expectedHost.warnings, 1);

  const std::uint64_t readBefore = testing::BytesReadByProcess();
  Run(image);
  const std::uint64_t read = testing::BytesReadByProcess() - readBefore;
  EXPECT_EQ(found, expected);
  EXPECT_EQ(host.warnings, expectedHost.warnings);
  EXPECT_EQ(count, reference.Count());
  // Three ranges of at most 128 KiB, plus the headers; sixty reads would be
  // 7.5 MiB.
  EXPECT_LT(read, 4u * 0x20000) << "a range already read is not read again";
}

// The pass pumps while it reads a section as well as while it walks one;
// a stop reported during the pass ends it unless the pass was told that the
// stop came before it began.
TEST_F(ResourcePass, ReadingPumpsAndAStopEndsThePass) {
  // Three sections of 1 MiB on their own bytes, each with 200 rows.
  PeBuilder pe;
  for (std::uint32_t k = 0; k < 3; ++k) {
    ResourceTree tree;
    for (std::uint16_t block = 1; block <= 100; ++block)
      tree.AddStrings(block, {u"first", u"second"});
    Bytes section = tree.Build(0x1000).bytes;
    section.resize(std::size_t{1} << 20);
    pe.AddSection(".rsrc", 0x1000, section);
  }
  const Bytes image = pe.Build();
  Run(image);
  const std::vector<Found> all = found;
  ASSERT_EQ(all.size(), 3u * 200);
  // Once per 16 KiB read at least: 3 MiB of reading.
  EXPECT_GE(host.pumps, 3 * 64);
  EXPECT_LE(host.pumps, 3 * 64 + 3);
  const int pumps = host.pumps;

  // A stop at the first pump, in the second section's read, in the last
  // section's read: the rows found before it stay, nothing after it is read.
  for (int stopAt : {1, pumps / 2, pumps}) {
    SCOPED_TRACE(stopAt);
    store.Clear();
    host = {};
    host.stopAtPump = stopAt;
    Run(image);
    EXPECT_EQ(host.pumps, stopAt);
    EXPECT_EQ(found.size(), stopAt == 1 ? 0u : stopAt == pumps ? 400u : 200u);
    EXPECT_TRUE(std::equal(found.begin(), found.end(), all.begin()));
    EXPECT_EQ(host.warnings, 0);

    store.Clear();
    host = {};
    host.stopAtPump = stopAt;
    Run(image, ResourceScanner::StopRule::RunWhole);
    EXPECT_EQ(found, all) << "a stop from before the pass leaves it whole";
    EXPECT_EQ(host.pumps, pumps) << "and the pump is still consulted";
  }
}

TEST(ResourcePassBudget, FollowsTheFileSize) {
  using Budget = ResourceScanner::PassBudget;
  const Budget small = Budget::ForFile(1000);
  EXPECT_EQ(small.bytes, 5000u + (4u << 20));
  EXPECT_EQ(small.visits, 65536u);
  EXPECT_EQ(small.results, 65536u);
  const Budget large = Budget::ForFile(std::uint64_t{1} << 30);
  EXPECT_EQ(large.bytes, (std::uint64_t{5} << 30) + (4u << 20));
  EXPECT_EQ(large.visits, std::uint64_t{1} << 26);
  EXPECT_EQ(large.results, std::uint64_t{1} << 28);
}

// A table that lists one section many times: every header is walked and
// listed as if it stood alone, until the pass has stored as many results as
// the file's size allows; then the pass ends with one warning.
TEST_F(ResourcePass, ARepeatedSectionIsListedForEachHeaderUntilTheBudget) {
  std::vector<std::u16string> strings;
  for (char16_t j = 0; j < 15; ++j)
    strings.push_back(u"text" + std::u16string(1, static_cast<char16_t>(u'a' + j)));
  ResourceTree tree;
  tree.AddStrings(3, strings);
  const Bytes section = tree.Build(0x1000).bytes;

  // The raw start that every header of an image states.
  const auto rawStartOf = [](const Bytes& image) {
    return testing::Get32(image, PeBuilder().SectionTable() + 20);
  };
  const Bytes few = testing::RepeatedSectionImage(section, 0x1000, 1000);
  const Alone one = WalkAlone(section, rawStartOf(few), 0x1000, criteria);
  ASSERT_EQ(one.found.size(), 15u);
  Run(few);
  EXPECT_EQ(found.size(), 15u * 1000);
  EXPECT_TRUE(RepeatsFromTheStart(found, one.found));
  EXPECT_EQ(count, 15u);
  EXPECT_EQ(host.warnings, 0);
  EXPECT_FALSE(spent);

  // 6,000 headers would list 90,000 rows from a file of 240 KB; 65,536 is
  // what it allows. The section that meets the bound keeps its first row.
  Reset();
  const Bytes many = testing::RepeatedSectionImage(section, 0x1000, 6000);
  Run(many);
  ASSERT_EQ(budget.results, 65536u);
  EXPECT_EQ(found.size(), budget.results);
  EXPECT_TRUE(
      RepeatsFromTheStart(found, WalkAlone(section, rawStartOf(many), 0x1000, criteria).found));
  EXPECT_EQ(count, 65536u % 15);
  EXPECT_EQ(host.warnings, 1);
  EXPECT_TRUE(spent);
  EXPECT_EQ(left.results, 0u);
  // The cell showed 0 as the last section began and is not refreshed after
  // the warning.
  EXPECT_EQ(host.ShownIn(StringKind::Resource).back(), "RS: 0");
}

// Twenty levels of directories whose two entries lead to the same next one,
// under type 6, in one small section that the table lists thousands of times:
// without a bound over the whole pass each header would cost the walk its own
// visit bound. The pass ends once the file's visits are spent.
TEST_F(ResourcePass, ARepeatedDiamondEndsAtTheFilesVisits) {
  const Bytes section = testing::DiamondTree(20, 0, 0x1000);
  ASSERT_LT(section.size() / 16, ResourceScanner::kMinDirectoryVisits);

  // 2,000 headers, 81 KB: the first section's own bound of 65,536 visits is
  // also the whole file's, so it ends the pass with one warning.
  Run(testing::RepeatedSectionImage(section, 0x1000, 2000));
  ASSERT_EQ(budget.visits, 65536u);
  EXPECT_EQ(left.visits, 0u);
  EXPECT_TRUE(spent);
  EXPECT_EQ(host.warnings, 1);
  EXPECT_TRUE(found.empty());

  // 65,535 headers, 2.6 MB: 163,914 visits. Two sections meet their own
  // bound, the third the pass's.
  Reset();
  const Bytes image = testing::RepeatedSectionImage(section, 0x1000, 65535);
  Run(image);
  ASSERT_EQ(budget.visits, image.size() / 16);
  ASSERT_EQ(budget.visits / 65536, 2u);
  EXPECT_EQ(left.visits, 0u);
  EXPECT_TRUE(spent);
  EXPECT_EQ(host.warnings, 3);
  EXPECT_LT(budget.bytes - left.bytes, 64 * budget.visits)
      << "a visit reads a header and two entries";

  // The same tree listed once ends where its own bound ends it, as before.
  Reset();
  Run(testing::RepeatedSectionImage(section, 0x1000, 1));
  EXPECT_EQ(host.warnings, 1);
  EXPECT_EQ(budget.visits - left.visits, ResourceScanner::kMinDirectoryVisits);
}

// The same tree ending in a block of sixteen strings of 1,024 characters:
// each header would list some 2,100 rows of 1 KiB read from four times its
// section plus 4 MiB. The pass reads and lists no more than the file's
// budget allows, each row as its section alone would give it.
TEST_F(ResourcePass, ARepeatedBlockOfLongStringsEndsAtTheFilesBytes) {
  const Bytes section = testing::DiamondTree(20, 1024, 0x1000);
  const std::uint64_t perString = 2 + 2 * 1024;
  for (std::uint32_t headers : {1000u, 65535u}) {
    SCOPED_TRACE(headers);
    Reset();
    const Bytes image = testing::RepeatedSectionImage(section, 0x1000, headers);
    Run(image);
    const std::uint32_t rawStart = testing::Get32(image, PeBuilder().SectionTable() + 20);
    const Alone alone = WalkAlone(section, rawStart, 0x1000, criteria);
    ASSERT_EQ(alone.warnings, 1);
    EXPECT_TRUE(RepeatsFromTheStart(found, alone.found));
    EXPECT_TRUE(spent);
    // The section was read from the file once; the walks spent the rest up
    // to less than one string's characters.
    EXPECT_LT(left.bytes, 2 * 1024u);
    const std::uint64_t walked = budget.bytes - section.size();
    EXPECT_LE(found.size() * perString, walked);
    EXPECT_GT(found.size() * perString, walked * 9 / 10);
    EXPECT_LE(found.size(), budget.results);
    // Each section's own budget is 4.3 MB: the first one, or the first four,
    // met it before the last met the pass's (4.6 MB at 75 KB, 17.5 MB at
    // 2.6 MB).
    EXPECT_EQ(host.warnings, headers == 1000 ? 2 : 5);
  }
}

// Headers on overlapping ranges that all start at a different place: each
// range must be read from the file, and the pass reads no more of it than
// its budget allows, though every range is a sound, empty tree.
TEST_F(ResourcePass, SectionsOnManyRangesAreReadWithinTheBudget) {
  constexpr std::uint32_t kHeaders = 300;
  PeBuilder pe;
  for (std::uint32_t i = 0; i < kHeaders; ++i)
    pe.AddSection(".rsrc", 0x1000, {});
  const std::uint32_t base = pe.RawStart(0);
  const std::uint32_t fileSize = base + (1u << 20);
  for (std::uint32_t i = 0; i < kHeaders; ++i) {
    pe.At(i).rawStart = base + 0x200 * i;
    pe.At(i).rawSize = fileSize - (base + 0x200 * i);
  }
  Bytes image = pe.Build();
  image.resize(fileSize);  // zeros: each range starts with a root of no entries

  const std::uint64_t readBefore = testing::BytesReadByProcess();
  Run(image);
  const std::uint64_t read = testing::BytesReadByProcess() - readBefore;
  EXPECT_TRUE(found.empty());
  EXPECT_TRUE(spent);
  EXPECT_EQ(host.warnings, 1);
  // About 1 MiB a range: the budget of some 9.5 MB covers the first ranges
  // and their walks' 16 bytes each, until the next range would pass it.
  std::uint64_t walked = 0;
  std::uint64_t spend = 0;
  while (walked < kHeaders && spend + pe.At(walked).rawSize.value() + 16 <= budget.bytes) {
    spend += *pe.At(walked).rawSize + 16;
    ++walked;
  }
  ASSERT_EQ(walked, 9u);
  EXPECT_EQ(left.bytes, budget.bytes - spend);
  EXPECT_LE(read, budget.bytes + image.size());
  const std::vector<std::string> shown = host.ShownIn(StringKind::Resource);
  EXPECT_EQ(std::count(shown.begin(), shown.end(), "RS: 0"),
            static_cast<std::ptrdiff_t>(1 + 2 * walked + 1))
      << "the pass's start, the start and root of each section walked, the next one's start";
}

// The pump is consulted throughout a repeated tree's pass, and a stop ends
// it there; a stop from before the pass lets it run to its bound.
TEST_F(ResourcePass, AStopEndsARepeatedTreeAnywhere) {
  const Bytes image =
      testing::RepeatedSectionImage(testing::DiamondTree(20, 0, 0x1000), 0x1000, 2000);
  Run(image);
  const int pumps = host.pumps;
  // 65,536 directories, each reached by an entry: a pump every 1,024 entries
  // at least.
  EXPECT_GE(pumps, 65536 / 1024);
  for (int stopAt : {1, pumps / 2, pumps}) {
    SCOPED_TRACE(stopAt);
    Reset();
    host.stopAtPump = stopAt;
    Run(image);
    EXPECT_TRUE(stopped);
    EXPECT_EQ(host.pumps, stopAt);
    EXPECT_EQ(host.warnings, 0);

    Reset();
    host.stopAtPump = stopAt;
    Run(image, ResourceScanner::StopRule::RunWhole);
    EXPECT_FALSE(stopped);
    EXPECT_EQ(host.pumps, pumps);
    EXPECT_EQ(host.warnings, 1);
  }
}

TEST_F(ResourcePass, FilesWithoutResourcesShowZeroQuietly) {
  Run(Bytes(5000, 'q'));
  EXPECT_TRUE(found.empty());
  EXPECT_EQ(host.ShownIn(StringKind::Resource), (std::vector<std::string>{"RS: 0"}));
  EXPECT_EQ(host.warnings, 0);

  PeBuilder pe;
  pe.AddSection(".text", 0x1000, Bytes(0x100, 0x90));
  Run(pe.Build());
  EXPECT_TRUE(found.empty());
  EXPECT_EQ(host.warnings, 0);
}

}  // namespace
}  // namespace quillex
