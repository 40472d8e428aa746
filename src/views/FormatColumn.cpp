#include "views/FormatColumn.h"

// Standard library
#include <cstdint>
#include <cstring>

// Ours
#include "scan/SectionMap.h"
#include "store/ResultStore.h"

namespace quillex {

const char* FormatColumn(const ResultStore& store, const SectionMap& map, char* buffer,
                         std::uint32_t* lengthOut, std::uint32_t index, ResultColumn column) {
  const char* result = buffer;
  std::uint32_t length = 0;
  switch (column) {
    case ResultColumn::FilePos:
      length = FormatHex48(buffer, store.Position(index));
      break;
    case ResultColumn::MemPos:
      length = FormatHex48(buffer, map.MemoryPosition(store.Position(index)));
      break;
    case ResultColumn::Id:
      length = FormatDecimal(buffer, store.Id(index));
      break;
    case ResultColumn::Text:
      if (const char* text = store.Text(index); text != nullptr) {
        result = text;
        length = store.TextLength(index);
        break;
      }
      buffer[0] = '\0';
      break;
    case ResultColumn::Length:
      length = FormatDecimal(buffer, store.TextLength(index));
      break;
    case ResultColumn::Section:
      // A name has at most eight bytes: it fits the buffer with its NUL.
      if (const SectionRecord* section = map.SectionAt(store.Position(index))) {
        length = static_cast<std::uint32_t>(std::strlen(section->name));
        std::memcpy(buffer, section->name, length + 1);
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
