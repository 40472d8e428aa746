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

}  // namespace quillex
