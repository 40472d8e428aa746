#include "scan/ScanHost.h"

// Standard library
#include <string>

namespace quillex {

std::string CountText(StringKind kind, std::uint32_t count) {
  const char* prefix = "AN: ";
  if (kind == StringKind::Unicode) {
    prefix = "UN: ";
  } else if (kind == StringKind::Resource) {
    prefix = "RS: ";
  }
  return prefix + std::to_string(count);
}

std::uint32_t ProgressPercent(std::uint64_t bytesDone, std::uint64_t bytesTotal) {
  if (bytesTotal == 0 || bytesDone > bytesTotal) {
    return 0;
  }
  // Done times 99 stays below 2^64 for any size below 2^57 bytes; above
  // that the total is divided first.
  const std::uint64_t percent = bytesTotal < (std::uint64_t{1} << 57)
                                    ? bytesDone * 99 / bytesTotal
                                    : bytesDone / (bytesTotal / 99 + 1);
  return static_cast<std::uint32_t>(percent);
}

}  // namespace quillex
