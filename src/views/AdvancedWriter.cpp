#include "views/AdvancedWriter.h"

// Standard library
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

// Ours
#include "scan/SectionMap.h"
#include "store/ResultStore.h"
#include "views/FormatColumn.h"
#include "views/OutputBuffer.h"

namespace quillex {

namespace {

// The four columns of one result. The texts are the formatter's own
// (FormatHex48, FormatDecimal and the pool's text), written straight into the
// output: a row costs two table-driven hex conversions and one copy of its
// text, with nothing measured twice.
struct RowLine {
  std::uint64_t filePos = 0;
  std::uint64_t memPos = 0;
  std::uint32_t id = 0;
  std::uint32_t textLength = 0;
  const char* text = "";

  RowLine(const ResultStore& store, const SectionMap& map, std::uint32_t result)
      : filePos(store.Position(result)),
        memPos(map.MemoryPosition(filePos)),
        id(store.Id(result)),
        textLength(store.TextLength(result)) {
    const char* stored = store.Text(result);
    text = stored != nullptr ? stored : "";
  }

  // "%s   %s  %5s   %s\r\n": an ID has at most five digits, so the part
  // before the text always has the same width.
  static constexpr std::size_t kPrefix = 12 + 3 + 12 + 2 + 5 + 3;
  [[nodiscard]] std::size_t Length() const { return kPrefix + textLength + 2; }

  // Writes exactly Length() bytes to `out`.
  void WriteTo(char* out) const {
    char hex[kFormatBufferSize];
    FormatHex48(hex, filePos);
    std::memcpy(out, hex, 12);
    std::memset(out + 12, ' ', 3);
    FormatHex48(hex, memPos);
    std::memcpy(out + 15, hex, 12);
    std::memset(out + 27, ' ', 2 + 5 + 3);
    char digits[kFormatBufferSize];
    const std::uint32_t idLength = FormatDecimal(digits, id);
    std::memcpy(out + 29 + 5 - idLength, digits, idLength);
    std::memcpy(out + kPrefix, text, textLength);
    std::memcpy(out + kPrefix + textLength, "\r\n", 2);
  }
};

}  // namespace

void AdvancedWriter::BeginFile(const WriterSource& source, OutputBuffer& out) {
  if (options_.fileHeadings) {
    // The layout's own line end, so the heading reads as one more line of
    // the same text.
    out.Put("==> ");
    out.Put(source.fileName);
    out.Put(" <==\r\n");
  }
  rowsSinceHeader_ = kRowsPerHeader;
}

void AdvancedWriter::Row(const WriterSource& source, std::uint32_t result, OutputBuffer& out) {
  // PERF: the line is formatted straight into the output block, so nothing
  // is allocated per row.
  if (++rowsSinceHeader_ >= kRowsPerHeader) {
    out.Put(std::string_view(kHeaderBlock, sizeof kHeaderBlock - 1));
    rowsSinceHeader_ = 0;
  }
  const RowLine line(source.store, source.map, result);
  if (char* at = out.Reserve(line.Length()); at != nullptr) {
    line.WriteTo(at);
    return;
  }
  // A text longer than any scan keeps; rare enough to build on the heap.
  std::string text(line.Length(), '\0');
  line.WriteTo(text.data());
  out.Put(text);
}

std::size_t AdvancedWriter::AppendRowLine(std::string& out, const ResultStore& store,
                                          const SectionMap& map, std::uint32_t result) {
  const RowLine line(store, map, result);
  const std::size_t start = out.size();
  out.resize(start + line.Length());
  line.WriteTo(out.data() + start);
  return line.Length();
}

std::string AdvancedWriter::CopyText(std::span<const std::uint32_t> rows, const ResultStore& store,
                                     const SectionMap& map) {
  // Measure first, so the text is allocated once at its exact size.
  std::size_t total = 0;
  for (const std::uint32_t result : rows) {
    total += RowLine(store, map, result).Length();
  }
  std::string text;
  text.reserve(total);
  for (const std::uint32_t result : rows) {
    AppendRowLine(text, store, map, result);
  }
  return text;
}

}  // namespace quillex
