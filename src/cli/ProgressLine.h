#pragma once

// Standard library
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace quillex {

// The one-line progress quillex-scan shows on standard error while a long
// scan runs: "Scanning... 37%  AN: 1234  UN: 56", redrawn in place. A scan
// that ends within half a second never shows it, and it is redrawn at most
// ten times a second, so short scans and the output after the line look
// exactly as without it.
class ProgressLine {
 public:
  using Clock = std::chrono::steady_clock;

  static constexpr Clock::duration kQuietStart = std::chrono::milliseconds(500);
  static constexpr Clock::duration kInterval = std::chrono::milliseconds(100);

  // Draws on `out` only when `enabled` (standard error is a terminal and the
  // user did not ask for quiet); the scan's time counts from `start`.
  ProgressLine(std::FILE* out, bool enabled, Clock::time_point start = Clock::now());

  // Redraws the line when the scan has run long enough and the last drawing
  // is old enough.
  void Update(std::uint64_t bytesDone, std::uint64_t bytesTotal, std::uint32_t ansiSoFar,
              std::uint32_t unicodeSoFar, Clock::time_point now = Clock::now());
  // Erases the line if one was drawn, so that what is printed next starts at
  // the left margin. Later updates may draw it again.
  void Clear();

  // The line's text, with the percent of ProgressPercent.
  [[nodiscard]] static std::string Text(std::uint64_t bytesDone, std::uint64_t bytesTotal,
                                        std::uint32_t ansiSoFar, std::uint32_t unicodeSoFar);

 private:
  std::FILE* out_;
  bool enabled_;
  bool drawn_ = false;
  Clock::time_point start_;
  Clock::time_point lastDrawn_{};
};

}  // namespace quillex
