#pragma once

// A small PE32 image with one string of each kind in sections of their own,
// for the tests of the columns, the pane of bytes and the row actions.

// Standard library
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Quillex
#include "support/PeBuilder.h"

namespace quillex::testing {

struct SampleImage {
  static constexpr std::uint64_t kImageBase = 0x400000;
  // Where each string starts inside its section's raw data.
  static constexpr std::uint32_t kAnsiAt = 0x1D;
  static constexpr std::uint32_t kUnicodeAt = 0x30;

  // `moreReadOnly`: more ANSI strings for the ".rdata" section, each ended
  // by its NUL, after the one it always holds.
  explicit SampleImage(std::string_view moreReadOnly = {}) {
    PeBuilder pe;
    pe.ImageBase(kImageBase);
    Bytes code(kAnsiAt, 0);
    for (const char c : std::string_view("An ansi string\0", 15)) {
      code.push_back(static_cast<std::uint8_t>(c));
    }
    code.resize(0x60, 0);
    pe.AddSection(".text", 0x1000, code);
    Bytes read(0x40, 0);
    for (const char c : std::string_view("Read-only words\0", 16)) {
      read.push_back(static_cast<std::uint8_t>(c));
    }
    for (const char c : moreReadOnly) {
      read.push_back(static_cast<std::uint8_t>(c));
    }
    read.resize(std::max<std::size_t>(0x80, (read.size() + 0x1F) & ~std::size_t{0x1F}), 0);
    pe.AddSection(".rdata", 0x2000, read);
    Bytes data(kUnicodeAt, 0);
    for (const std::uint8_t byte : Utf16(u"A wide string")) {
      data.push_back(byte);
    }
    data.resize(0x60, 0);
    pe.AddSection(".data", 0x3000, data);
    ResourceTree tree;
    tree.AddStrings(1, {u"From the table"});
    pe.AddSection(".rsrc", 0x4000, tree.Build(0x4000).bytes);
    const Bytes image = pe.Build();
    bytes.assign(image.begin(), image.end());
    textStart = pe.RawStart(0);
    rdataStart = pe.RawStart(1);
    dataStart = pe.RawStart(2);
    rsrcStart = pe.RawStart(3);
  }

  std::string bytes;
  std::uint32_t textStart = 0;
  std::uint32_t rdataStart = 0;
  std::uint32_t dataStart = 0;
  std::uint32_t rsrcStart = 0;
};

}  // namespace quillex::testing
