#include "cli/ProgressLine.h"

// Standard library
#include <cstdio>
#include <string>

// Ours
#include "scan/ScanHost.h"

namespace quillex {

ProgressLine::ProgressLine(std::FILE* out, bool enabled, Clock::time_point start)
    : out_(out), enabled_(enabled), start_(start) {}

std::string ProgressLine::Text(std::uint64_t bytesDone, std::uint64_t bytesTotal,
                               std::uint32_t ansiSoFar, std::uint32_t unicodeSoFar) {
  char text[96];
  std::snprintf(text, sizeof text, "Scanning... %u%%  AN: %u  UN: %u",
                ProgressPercent(bytesDone, bytesTotal), ansiSoFar, unicodeSoFar);
  return text;
}

void ProgressLine::Update(std::uint64_t bytesDone, std::uint64_t bytesTotal,
                          std::uint32_t ansiSoFar, std::uint32_t unicodeSoFar,
                          Clock::time_point now) {
  if (!enabled_ || now - start_ <= kQuietStart || (drawn_ && now - lastDrawn_ < kInterval)) {
    return;
  }
  // Carriage return, the text, then erase whatever a longer text left.
  std::fprintf(out_, "\r%s\x1b[K", Text(bytesDone, bytesTotal, ansiSoFar, unicodeSoFar).c_str());
  std::fflush(out_);
  drawn_ = true;
  lastDrawn_ = now;
}

void ProgressLine::Clear() {
  if (drawn_) {
    std::fputs("\r\x1b[K", out_);
    std::fflush(out_);
    drawn_ = false;
  }
}

}  // namespace quillex
