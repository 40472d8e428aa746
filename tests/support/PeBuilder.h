#pragma once

// Small builders of PE images and resource trees for tests, benchmarks and
// fuzz seeds. Header-only so that any test program can include it.
//
//   quillex::testing::ResourceTree tree;
//   tree.AddStrings(1, {u"Open", u"Close"});           // IDs 0 and 1
//   tree.Add(ResourceTree::Name(u"ABC"), ResourceTree::Id(1), 0x409, {1, 2});
//   PeBuilder pe;
//   pe.ImageBase(0x400000);
//   pe.AddSection(".text", 0x1000, std::vector<std::uint8_t>(0x200, 0x90));
//   const auto rsrc = tree.Build(0x2000);
//   pe.AddSection(".rsrc", 0x2000, rsrc.bytes);
//   std::vector<std::uint8_t> image = pe.Build();

// Standard library
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quillex::testing {

using Bytes = std::vector<std::uint8_t>;

// Little-endian stores that grow the buffer as needed.
inline void Put8(Bytes& b, std::size_t at, std::uint8_t v) {
  if (b.size() < at + 1)
    b.resize(at + 1);
  b[at] = v;
}
inline void Put16(Bytes& b, std::size_t at, std::uint16_t v) {
  Put8(b, at, static_cast<std::uint8_t>(v));
  Put8(b, at + 1, static_cast<std::uint8_t>(v >> 8));
}
inline void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, static_cast<std::uint16_t>(v));
  Put16(b, at + 2, static_cast<std::uint16_t>(v >> 16));
}
inline void Put64(Bytes& b, std::size_t at, std::uint64_t v) {
  Put32(b, at, static_cast<std::uint32_t>(v));
  Put32(b, at + 4, static_cast<std::uint32_t>(v >> 32));
}
inline std::uint32_t Get32(const Bytes& b, std::size_t at) {
  return static_cast<std::uint32_t>(b.at(at) | (b.at(at + 1) << 8) | (b.at(at + 2) << 16)) |
         (static_cast<std::uint32_t>(b.at(at + 3)) << 24);
}

// UTF-16LE bytes of a text, without terminator.
inline Bytes Utf16(std::u16string_view text) {
  Bytes out;
  for (char16_t unit : text) {
    out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    out.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return out;
}

// A counted string: 16-bit count, then the units. Returns the offset after it.
inline std::size_t PutCountedString(Bytes& b, std::size_t at, std::u16string_view text) {
  Put16(b, at, static_cast<std::uint16_t>(text.size()));
  for (std::size_t k = 0; k < text.size(); ++k) {
    Put16(b, at + 2 + 2 * k, text[k]);
  }
  return at + 2 + 2 * text.size();
}

// The data of a string table block: 16 counted strings, missing ones empty.
inline Bytes StringBlock(const std::vector<std::u16string>& strings) {
  Bytes out;
  std::size_t at = 0;
  for (std::size_t j = 0; j < 16; ++j) {
    at = PutCountedString(out, at, j < strings.size() ? std::u16string_view(strings[j]) : u"");
  }
  return out;
}

// Raw pieces of a resource directory, for hand-made (and damaged) trees.
inline void PutDirectory(Bytes& b, std::size_t at, std::uint16_t namedEntries,
                         std::uint16_t idEntries) {
  for (std::size_t k = 0; k < 12; ++k)
    Put8(b, at + k, 0);
  Put16(b, at + 12, namedEntries);
  Put16(b, at + 14, idEntries);
}
// Entry k of the directory at `directory`. Set bit 31 of `name` for a named
// entry and of `offsetToData` for a subdirectory.
inline void PutEntry(Bytes& b, std::size_t directory, std::size_t k, std::uint32_t name,
                     std::uint32_t offsetToData) {
  Put32(b, directory + 16 + 8 * k, name);
  Put32(b, directory + 16 + 8 * k + 4, offsetToData);
}
inline void PutDataEntry(Bytes& b, std::size_t at, std::uint32_t rva, std::uint32_t size) {
  Put32(b, at, rva);
  Put32(b, at + 4, size);
  Put32(b, at + 8, 0);
  Put32(b, at + 12, 0);
}
inline constexpr std::uint32_t kSubdirectory = 0x80000000u;
inline constexpr std::uint32_t kNamed = 0x80000000u;

// A three-level resource tree (type, name, language) laid out as linkers do:
// all directory tables, then the data entries, then the names, then the data.
class ResourceTree {
 public:
  struct Key {
    std::uint16_t id = 0;
    std::u16string name;
    bool named = false;
  };
  static Key Id(std::uint16_t id) { return Key{id, {}, false}; }
  static Key Name(std::u16string name) { return Key{0, std::move(name), true}; }

  // Where Build put things, so tests can point at them or damage them.
  struct Layout {
    Bytes bytes;
    // Root first, then the type directories, then the name directories, each
    // in the order their first resource was added.
    std::vector<std::uint32_t> directories;
    // Per added resource, in the order of Add: its data entry and its data.
    std::vector<std::uint32_t> dataEntries;
    std::vector<std::uint32_t> data;
    // Per named type, in order: the offset of its counted name.
    std::vector<std::uint32_t> typeNames;
  };

  // Adds one resource; entries keep the order of their first Add.
  void Add(const Key& type, const Key& name, std::uint16_t language, Bytes data) {
    TypeNode& t = Find(types_, type);
    NameNode& n = Find(t.names, name);
    n.languages.push_back(LanguageNode{language, resources_.size()});
    resources_.push_back(std::move(data));
  }
  // A string table block in one language: IDs (block - 1) * 16 + j.
  void AddStrings(std::uint16_t block, const std::vector<std::u16string>& strings,
                  std::uint16_t language = 0x409) {
    Add(Id(6), Id(block), language, StringBlock(strings));
  }

  Layout Build(std::uint32_t sectionVirtualAddress) const {
    Layout layout;
    layout.dataEntries.resize(resources_.size());
    layout.data.resize(resources_.size());
    // Offsets of every directory table.
    std::size_t at = 0;
    auto table = [](std::size_t entries) { return 16 + 8 * entries; };
    const std::size_t root = at;
    at += table(types_.size());
    std::vector<std::size_t> typeDirs;
    for (const TypeNode& t : types_) {
      typeDirs.push_back(at);
      at += table(t.names.size());
    }
    std::vector<std::vector<std::size_t>> nameDirs(types_.size());
    for (std::size_t i = 0; i < types_.size(); ++i) {
      for (const NameNode& n : types_[i].names) {
        nameDirs[i].push_back(at);
        at += table(n.languages.size());
      }
    }
    std::size_t dataEntry = at;
    at += 16 * resources_.size();
    // Names of types and of resources.
    Bytes& b = layout.bytes;
    std::vector<std::size_t> typeNameAt(types_.size());
    std::vector<std::vector<std::size_t>> nameAt(types_.size());
    for (std::size_t i = 0; i < types_.size(); ++i) {
      if (types_[i].key.named) {
        typeNameAt[i] = at;
        layout.typeNames.push_back(static_cast<std::uint32_t>(at));
        at = PutCountedString(b, at, types_[i].key.name);
      }
      for (const NameNode& n : types_[i].names) {
        nameAt[i].push_back(at);
        if (n.key.named)
          at = PutCountedString(b, at, n.key.name);
      }
    }
    // The data, 4-aligned.
    for (std::size_t r = 0; r < resources_.size(); ++r) {
      at = (at + 3) & ~std::size_t{3};
      layout.data[r] = static_cast<std::uint32_t>(at);
      for (std::size_t k = 0; k < resources_[r].size(); ++k)
        Put8(b, at + k, resources_[r][k]);
      at += resources_[r].size();
    }
    // The tables.
    auto field = [](const Key& key, std::size_t nameOffset) {
      return key.named ? (kNamed | static_cast<std::uint32_t>(nameOffset)) : key.id;
    };
    auto count = [](const auto& list, bool named) {
      return static_cast<std::uint16_t>(std::count_if(
          list.begin(), list.end(), [named](const auto& e) { return e.key.named == named; }));
    };
    PutDirectory(b, root, count(types_, true), count(types_, false));
    layout.directories.push_back(static_cast<std::uint32_t>(root));
    for (std::size_t i = 0; i < types_.size(); ++i) {
      PutEntry(b, root, i, field(types_[i].key, typeNameAt[i]),
               kSubdirectory | static_cast<std::uint32_t>(typeDirs[i]));
      PutDirectory(b, typeDirs[i], count(types_[i].names, true), count(types_[i].names, false));
      layout.directories.push_back(static_cast<std::uint32_t>(typeDirs[i]));
    }
    for (std::size_t i = 0; i < types_.size(); ++i) {
      for (std::size_t k = 0; k < types_[i].names.size(); ++k) {
        const NameNode& n = types_[i].names[k];
        const std::size_t dir = nameDirs[i][k];
        PutEntry(b, typeDirs[i], k, field(n.key, nameAt[i][k]),
                 kSubdirectory | static_cast<std::uint32_t>(dir));
        PutDirectory(b, dir, 0, static_cast<std::uint16_t>(n.languages.size()));
        layout.directories.push_back(static_cast<std::uint32_t>(dir));
        for (std::size_t l = 0; l < n.languages.size(); ++l) {
          const std::size_t r = n.languages[l].resource;
          layout.dataEntries[r] = static_cast<std::uint32_t>(dataEntry);
          PutEntry(b, dir, l, n.languages[l].id, static_cast<std::uint32_t>(dataEntry));
          PutDataEntry(b, dataEntry, sectionVirtualAddress + layout.data[r],
                       static_cast<std::uint32_t>(resources_[r].size()));
          dataEntry += 16;
        }
      }
    }
    if (b.size() < at)
      b.resize(at);
    return layout;
  }

 private:
  struct LanguageNode {
    std::uint16_t id;
    std::size_t resource;
  };
  struct NameNode {
    Key key;
    std::vector<LanguageNode> languages;
  };
  struct TypeNode {
    Key key;
    std::vector<NameNode> names;
  };
  template <class T>
  static T& Find(std::vector<T>& list, const Key& key) {
    for (T& e : list) {
      if (e.key.named == key.named && e.key.id == key.id && e.key.name == key.name)
        return e;
    }
    list.push_back(T{key, {}});
    return list.back();
  }

  std::vector<TypeNode> types_;
  std::vector<Bytes> resources_;
};

// A PE32 (or PE32+) image: DOS header, NT headers, section table and the raw
// data of each section, 0x200-aligned in the order added unless placed.
class PeBuilder {
 public:
  struct Section {
    Bytes name;  // the eight name bytes exactly as written
    std::uint32_t virtualAddress = 0;
    Bytes data;
    std::optional<std::uint32_t> rawStart;     // default: next free aligned place
    std::optional<std::uint32_t> rawSize;      // default: data.size()
    std::optional<std::uint32_t> virtualSize;  // default: data.size()
  };

  static constexpr std::uint32_t kDefaultLfanew = 0x80;

  PeBuilder& ImageBase(std::uint64_t value) {
    imageBase_ = value;
    return *this;
  }
  PeBuilder& Pe32Plus(bool value = true) {
    pe32Plus_ = value;
    return *this;
  }
  PeBuilder& Lfanew(std::uint32_t value) {
    lfanew_ = value;
    return *this;
  }
  // SizeOfOptionalHeader as written; default 224 (PE32) or 240 (PE32+).
  PeBuilder& OptionalHeaderSize(std::uint16_t value) {
    optionalSize_ = value;
    return *this;
  }
  // NumberOfSections as written, if it should differ from the sections added.
  PeBuilder& StatedSectionCount(std::uint16_t value) {
    statedCount_ = value;
    return *this;
  }

  // Adds a section named `name` (cut or NUL-padded to 8 bytes); returns its index.
  std::size_t AddSection(std::string_view name, std::uint32_t virtualAddress, Bytes data) {
    Section s;
    s.name.assign(8, 0);
    std::memcpy(s.name.data(), name.data(), std::min<std::size_t>(name.size(), 8));
    s.virtualAddress = virtualAddress;
    s.data = std::move(data);
    sections_.push_back(std::move(s));
    return sections_.size() - 1;
  }
  Section& At(std::size_t index) { return sections_.at(index); }

  [[nodiscard]] std::uint16_t OptionalSize() const {
    return optionalSize_.value_or(pe32Plus_ ? 240 : 224);
  }
  [[nodiscard]] std::size_t SectionTable() const { return lfanew_ + 24 + OptionalSize(); }
  // File position Build gives section i's raw data.
  [[nodiscard]] std::uint32_t RawStart(std::size_t index) const { return RawStarts().at(index); }
  // The same for every section at once, for tables of many thousands.
  [[nodiscard]] std::vector<std::uint32_t> RawStarts() const {
    std::vector<std::uint32_t> starts;
    starts.reserve(sections_.size());
    std::size_t at = (SectionTable() + 40 * sections_.size() + 0x1FF) & ~std::size_t{0x1FF};
    for (const Section& s : sections_) {
      starts.push_back(s.rawStart.value_or(static_cast<std::uint32_t>(at)));
      if (!s.rawStart) {
        at = (at + s.data.size() + 0x1FF) & ~std::size_t{0x1FF};
      }
    }
    return starts;
  }

  [[nodiscard]] Bytes Build() const {
    const std::vector<std::uint32_t> starts = RawStarts();
    Bytes b(64, 0);
    b[0] = 'M';
    b[1] = 'Z';
    Put32(b, 60, lfanew_);
    const std::size_t nt = lfanew_;
    Put32(b, nt, 0x4550);
    Put16(b, nt + 4, pe32Plus_ ? 0x8664 : 0x14C);
    Put16(b, nt + 6, statedCount_.value_or(static_cast<std::uint16_t>(sections_.size())));
    Put16(b, nt + 20, OptionalSize());
    Put16(b, nt + 22, 0x0102);
    const std::size_t opt = nt + 24;
    for (std::size_t k = 0; k < OptionalSize(); ++k)
      Put8(b, opt + k, 0);
    Put16(b, opt, pe32Plus_ ? 0x20B : 0x10B);
    if (pe32Plus_) {
      Put64(b, opt + 24, imageBase_);
    } else if (OptionalSize() >= 32) {
      Put32(b, opt + 28, static_cast<std::uint32_t>(imageBase_));
    }
    for (std::size_t i = 0; i < sections_.size(); ++i) {
      const Section& s = sections_[i];
      const std::size_t h = SectionTable() + 40 * i;
      for (std::size_t k = 0; k < 8; ++k)
        Put8(b, h + k, s.name[k]);
      Put32(b, h + 8, s.virtualSize.value_or(static_cast<std::uint32_t>(s.data.size())));
      Put32(b, h + 12, s.virtualAddress);
      Put32(b, h + 16, s.rawSize.value_or(static_cast<std::uint32_t>(s.data.size())));
      Put32(b, h + 20, starts[i]);
      Put32(b, h + 36, 0x40000040);
    }
    for (std::size_t i = 0; i < sections_.size(); ++i) {
      const std::size_t start = starts[i];
      for (std::size_t k = 0; k < sections_[i].data.size(); ++k) {
        Put8(b, start + k, sections_[i].data[k]);
      }
    }
    return b;
  }

 private:
  std::uint64_t imageBase_ = 0x400000;
  bool pe32Plus_ = false;
  std::uint32_t lfanew_ = kDefaultLfanew;
  std::optional<std::uint16_t> optionalSize_;
  std::optional<std::uint16_t> statedCount_;
  std::vector<Section> sections_;
};

// A resource section whose tree multiplies the walk: under type 6, `levels`
// directories each hold two entries (IDs 1 and 2) that both lead to the next
// one, so 2^levels paths run through a few hundred bytes. With `units` 0 the
// paths end in an empty directory; otherwise the last level's two entries are
// data entries naming one string block of 16 strings of `units` letters.
inline Bytes DiamondTree(std::uint32_t levels, std::uint32_t units,
                         std::uint32_t sectionVirtualAddress) {
  Bytes b;
  PutDirectory(b, 0, 0, 1);
  PutEntry(b, 0, 0, 6, kSubdirectory | 24);
  std::uint32_t at = 24;
  for (std::uint32_t d = 0; d < levels; ++d) {
    const std::uint32_t next = at + 32;
    const std::uint32_t target = d + 1 == levels && units != 0 ? next : kSubdirectory | next;
    PutDirectory(b, at, 0, 2);
    PutEntry(b, at, 0, 1, target);
    PutEntry(b, at, 1, 2, target);
    at = next;
  }
  if (units == 0) {
    PutDirectory(b, at, 0, 0);
    return b;
  }
  const Bytes block = StringBlock(std::vector<std::u16string>(16, std::u16string(units, u'x')));
  PutDataEntry(b, at, sectionVirtualAddress + at + 16, static_cast<std::uint32_t>(block.size()));
  b.insert(b.end(), block.begin(), block.end());
  return b;
}

// A PE32 image whose section table lists one ".rsrc" section `headers` times,
// every header alike: the same raw range and the same virtual address.
inline Bytes RepeatedSectionImage(const Bytes& section, std::uint32_t virtualAddress,
                                  std::uint32_t headers) {
  PeBuilder pe;
  pe.AddSection(".rsrc", virtualAddress, section);
  for (std::uint32_t i = 1; i < headers; ++i) {
    pe.AddSection(".rsrc", virtualAddress, {});
  }
  const std::uint32_t start = pe.RawStart(0);
  for (std::uint32_t i = 1; i < headers; ++i) {
    PeBuilder::Section& copy = pe.At(i);
    copy.rawStart = start;
    copy.rawSize = static_cast<std::uint32_t>(section.size());
    copy.virtualSize = static_cast<std::uint32_t>(section.size());
  }
  return pe.Build();
}

// Writes `bytes` to `path`, replacing it. Returns false when that failed.
inline bool WriteBytes(const std::string& path, std::span<const std::uint8_t> bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace quillex::testing
