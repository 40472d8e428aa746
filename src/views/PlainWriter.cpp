#include "views/PlainWriter.h"

// Standard library
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

// Ours
#include "store/ResultStore.h"
#include "views/OutputBuffer.h"

namespace quillex {

void PlainWriter::BeginFile(const WriterSource& source, OutputBuffer& out) {
  if (options_.fileHeadings) {
    out.Put("==> ");
    out.Put(source.fileName);
    out.Put(" <==\n");
  }
}

void PlainWriter::Row(const WriterSource& source, std::uint32_t result, OutputBuffer& out) {
  const char* stored = source.store.Text(result);
  const std::string_view text(stored != nullptr ? stored : "", source.store.TextLength(result));
  if (char* at = out.Reserve(text.size() + 1); at != nullptr) {
    std::memcpy(at, text.data(), text.size());
    at[text.size()] = '\n';
    return;
  }
  out.Put(text);
  out.Put("\n");
}

}  // namespace quillex
