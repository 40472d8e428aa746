// The stores the benchmarks share: a million results (or ten million), built
// once per run of a benchmark program.
#pragma once

// Standard library
#include <cstdint>
#include <memory>
#include <random>
#include <string>

// Ours
#include "scan/SectionMap.h"
#include "store/ResultStore.h"

namespace quillex::bench {

inline constexpr std::uint32_t kResults = 1'000'000;

// Texts of 4 to 60 bytes from a mix of words, numbers and punctuation, as a
// scan of an executable yields them; file positions increase, one result in
// 25 is a resource with an ID. "NeedLe" is planted in one text of 1000, so a
// Find for "needle" matches about a thousand scattered rows per million; "e"
// matches a little over half the rows, in runs as short as a scan of shared
// libraries gives them.
struct MillionResults {
  explicit MillionResults(std::uint32_t count = kResults) {
    store.Pool().SetByteStep(16 * 1024 * 1024);
    store.Pool().SetIndexStep(0x100000);
    std::mt19937 random(42);
    const std::string letters =
        "etaoinshrdlucmfwypvbgkqjxzETAOINSHRDLUCMFWYPVBGKQJXZ0123456789 .,:;_-/\\()%";
    std::string text;
    std::uint64_t position = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::size_t length = 4 + random() % 57;
      text.clear();
      for (std::size_t k = 0; k < length; ++k) {
        text.push_back(letters[random() % letters.size()]);
      }
      if (i % 1000 == 999) {
        text.insert(text.size() / 2, "NeedLe");
      }
      position += length + 1 + random() % 200;
      const bool resource = i % 25 == 0;
      store.AddResult(static_cast<std::uint32_t>(position),
                      static_cast<std::uint32_t>(position >> 32),
                      resource ? static_cast<std::uint16_t>(random() % 5000) : 0, text.c_str(),
                      resource ? StringKind::Resource : StringKind::Ansi);
    }
  }

  ResultStore store;
  SectionMap map;
};

// The store of `count` results, built at the first request for that count.
inline MillionResults& SharedResults(std::uint32_t count = kResults) {
  // One store at a time: ten million results take about a gigabyte.
  static std::unique_ptr<MillionResults> results;
  if (!results || results->store.Count() != count) {
    results.reset();
    results = std::make_unique<MillionResults>(count);
  }
  return *results;
}

}  // namespace quillex::bench
