#pragma once

#include <cstdint>

#include "store/ResultColumn.h"

namespace quillex {

class ResultStore;
class SectionMap;

// The one place that turns a result into the text of a column. `buffer` is
// the caller's and holds at least kFormatBufferSize bytes. Returns the buffer,
// or for the Text column the pool's own text (valid until the store changes).
// When `lengthOut` is not null it receives the returned text's length.
// Allocates nothing: it runs for every visible cell and twice per comparison.
const char* FormatColumn(const ResultStore& store, const SectionMap& map, char* buffer,
                         std::uint32_t* lengthOut, std::uint32_t index, ResultColumn column);

}  // namespace quillex
