// Writes the fuzzer's starting corpus: PE images of the kinds the tests build,
// sound and damaged, into the directory given as the only argument.

// Standard library
#include <cstdio>
#include <string>
#include <vector>

// Ours
#include "support/PeBuilder.h"

namespace {

using quillex::testing::Bytes;
using quillex::testing::PeBuilder;
using quillex::testing::ResourceTree;

ResourceTree Strings() {
  ResourceTree tree;
  tree.AddStrings(1, {u"Open", u"Close", u"", u"caf\u00e9 \u0141"});
  tree.AddStrings(1, {u"Offnen", u"Schliessen"}, 0x407);
  tree.AddStrings(4096, {u"last block"});
  tree.Add(ResourceTree::Name(u"TYPENAME"), ResourceTree::Id(1), 0x409, {1, 2, 3, 4});
  tree.Add(ResourceTree::Id(5), ResourceTree::Name(u"DIALOG"), 0x409, {5, 6});
  return tree;
}

Bytes Image(bool pe32Plus, const ResourceTree::Layout& rsrc) {
  Bytes text(0x200, 0);
  const std::string ansi = "Plain ANSI text in the code section";
  for (std::size_t k = 0; k < ansi.size(); ++k)
    text[0x10 + k] = static_cast<std::uint8_t>(ansi[k]);
  const Bytes wide = quillex::testing::Utf16(u"Wide text, too");
  std::copy(wide.begin(), wide.end(), text.begin() + 0x80);
  PeBuilder pe;
  pe.Pe32Plus(pe32Plus).ImageBase(pe32Plus ? 0x140000000ull : 0x400000);
  pe.AddSection(".text", 0x1000, text);
  pe.AddSection(".rsrc", 0x2000, rsrc.bytes);
  return pe.Build();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  std::vector<std::pair<std::string, Bytes>> seeds;

  const auto layout = Strings().Build(0x2000);
  seeds.emplace_back("pe32", Image(false, layout));
  seeds.emplace_back("pe32plus", Image(true, layout));
  // The resource section alone, for the walk over raw bytes.
  seeds.emplace_back("rsrc-section", Strings().Build(0x1000).bytes);

  auto damaged = layout;
  quillex::testing::Put32(damaged.bytes, damaged.directories.back() + 20,
                          quillex::testing::kSubdirectory);
  seeds.emplace_back("rsrc-loop", Image(false, damaged));
  damaged = layout;
  quillex::testing::Put32(damaged.bytes, damaged.dataEntries[0], 0xFFFFFF00u);
  seeds.emplace_back("rsrc-rva-outside", Image(false, damaged));

  // One small section listed 64 times, whose tree is a diamond of 12 levels
  // ending in a block of strings too short to list: a few headers are walked
  // whole, then the bound over the whole pass ends it. (Strings that are
  // listed would fill the store with 65,536 rows, slow under the sanitizers.)
  seeds.emplace_back("rsrc-repeated-diamond",
                     quillex::testing::RepeatedSectionImage(
                         quillex::testing::DiamondTree(12, 2, 0x2000), 0x2000, 64));

  Bytes cut = Image(false, layout);
  cut.resize(PeBuilder().SectionTable() + 60);
  seeds.emplace_back("table-cut", cut);
  seeds.emplace_back("text", Bytes(300, 'a'));

  for (const auto& [name, bytes] : seeds) {
    if (!quillex::testing::WriteBytes(dir + "/" + name, bytes)) {
      std::fprintf(stderr, "cannot write %s/%s\n", dir.c_str(), name.c_str());
      return 1;
    }
  }
  return 0;
}
