#include "store/FormatColumn.h"

// Standard library
#include <cstdint>
#include <cstring>

// Ours
#include "scan/SectionMap.h"
#include "store/ResultStore.h"

namespace quillex {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr std::uint32_t kHexWidth = 12;

// Twelve upper-case hex digits of the low 48 bits; fixed width, so that the
// texts sort as the numbers do. Higher bits are dropped.
std::uint32_t WriteHex48(char* buffer, std::uint64_t value) {
  for (std::uint32_t k = 0; k < kHexWidth; ++k) {
    buffer[kHexWidth - 1 - k] = kHexDigits[(value >> (4 * k)) & 0xF];
  }
  buffer[kHexWidth] = '\0';
  return kHexWidth;
}

std::uint32_t WriteDecimal(char* buffer, std::uint32_t value) {
  char digits[10];
  std::uint32_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (std::uint32_t i = 0; i < count; ++i) {
    buffer[i] = digits[count - 1 - i];
  }
  buffer[count] = '\0';
  return count;
}

}  // namespace

const char* FormatColumn(const ResultStore& store, const SectionMap& map, char* buffer,
                         std::uint32_t* lengthOut, std::uint32_t index, ResultColumn column) {
  const char* result = buffer;
  std::uint32_t length = 0;
  switch (column) {
    case ResultColumn::FilePos:
      length = WriteHex48(buffer, store.Position(index));
      break;
    case ResultColumn::MemPos:
      length = WriteHex48(buffer, map.MemoryPosition(store.Position(index)));
      break;
    case ResultColumn::Id:
      length = WriteDecimal(buffer, store.Tag(index) & 0xFFFFu);
      break;
    case ResultColumn::Text:
      if (const char* text = store.Text(index); text != nullptr) {
        result = text;
        if (lengthOut != nullptr) {
          length = static_cast<std::uint32_t>(std::strlen(text));
        }
        break;
      }
      buffer[0] = '\0';
      break;
    default:
      buffer[0] = '\0';
      break;
  }
  if (lengthOut != nullptr) {
    *lengthOut = length;
  }
  return result;
}

}  // namespace quillex
