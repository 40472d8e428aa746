#include "views/RowActions.h"

// Standard library
#include <cstdint>
#include <string>
#include <string_view>

// Ours
#include "platform/Utf8.h"
#include "scan/SectionMap.h"
#include "store/ResultStore.h"
#include "views/FormatColumn.h"
#include "views/JsonLinesWriter.h"

namespace quillex {

namespace {

// A position as the File pos and Mem pos columns show it.
std::string Hex48(std::uint64_t value) {
  char buffer[kFormatBufferSize];
  return {buffer, FormatHex48(buffer, value)};
}

}  // namespace

std::string RowText(const ResultStore& store, std::uint32_t result) {
  const char* text = store.Text(result);
  std::string utf8;
  AppendCp1252AsUtf8(utf8, std::string_view(text != nullptr ? text : "", store.TextLength(result)));
  return utf8;
}

std::string RowFileOffset(const ResultStore& store, std::uint32_t result) {
  return Hex48(store.Position(result));
}

std::string RowMemoryAddress(const ResultStore& store, const SectionMap& map,
                             std::uint32_t result) {
  return Hex48(map.MemoryPosition(store.Position(result)));
}

std::string RowJsonRecord(const WriterSource& source, std::uint32_t result) {
  return JsonLinesWriter::Record(source, result);
}

}  // namespace quillex
