#pragma once

// Standard library
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace quillex::testing {

struct TestSection {
  std::string name;
  std::uint32_t virtualAddress;
  std::uint32_t rawSize;
  std::uint32_t rawStart;
};

// The headers of a PE32 image as the section map reads them: a DOS header
// pointing at NT headers at 64, the image base, and the section table.
inline std::vector<std::uint8_t> MakePeHeaders(std::uint32_t imageBase,
                                               const std::vector<TestSection>& sections) {
  std::vector<std::uint8_t> bytes(64 + 248 + 40 * sections.size(), 0);
  auto put32 = [&bytes](std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
      bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
    }
  };
  bytes[0] = 'M';
  bytes[1] = 'Z';
  put32(60, 64);
  bytes[64] = 'P';
  bytes[65] = 'E';
  bytes[64 + 6] = static_cast<std::uint8_t>(sections.size());
  bytes[64 + 7] = static_cast<std::uint8_t>(sections.size() >> 8);
  bytes[64 + 20] = 224;   // SizeOfOptionalHeader of a standard PE32 image
  bytes[64 + 24] = 0x0B;  // PE32 optional-header magic 0x10B
  bytes[64 + 25] = 0x01;
  put32(64 + 52, imageBase);
  for (std::size_t i = 0; i < sections.size(); ++i) {
    const std::size_t at = 64 + 248 + 40 * i;
    std::memcpy(&bytes[at], sections[i].name.data(),
                std::min<std::size_t>(8, sections[i].name.size()));
    put32(at + 12, sections[i].virtualAddress);
    put32(at + 16, sections[i].rawSize);
    put32(at + 20, sections[i].rawStart);
  }
  return bytes;
}

}  // namespace quillex::testing
