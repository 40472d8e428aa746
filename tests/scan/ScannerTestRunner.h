#pragma once

// Standard library
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Ours
#include "scan/ScanTestSupport.h"

namespace quillex::testing {

// Runs one byte pass over `bytes` fed in blocks of `blockSize`, the way the
// driver feeds a file, and keeps what it found.
template <class Scanner>
struct PassRun {
  std::vector<Found> found;
  std::uint32_t count = 0;
  std::uint64_t textSize = 0;
};

template <class Scanner>
PassRun<Scanner> RunPass(std::span<const std::uint8_t> bytes, const FilterCriteria& criteria,
                         std::size_t blockSize, const CharClassTable& table = TestTable()) {
  ResultStore store;
  std::vector<char> text(std::size_t{criteria.maxLength} + 2);
  Scanner scanner(table, criteria, text, store);
  for (std::size_t at = 0; at < bytes.size(); at += blockSize) {
    scanner.Scan(bytes.subspan(at, std::min(blockSize, bytes.size() - at)));
  }
  scanner.Finish();
  PassRun<Scanner> run;
  run.found = Results(store);
  run.count = scanner.Count();
  run.textSize = scanner.TextSize();
  return run;
}

// Block sizes every scanner case runs at: single bytes, odd sizes that cut
// UTF-16 units in half, and the real block.
inline constexpr std::size_t kBlockSizes[] = {1, 2, 3, 7, 64, 16384};

}  // namespace quillex::testing
