#include "views/ExportWriter.h"

// Standard library
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>

// Ours
#include "filter/FilterCriteria.h"
#include "platform/OutputStream.h"
#include "scan/SectionMap.h"
#include "store/ResultStore.h"
#include "views/FormatColumn.h"

namespace quillex {

namespace {

// One write call per this many bytes: rows are gathered, never written one
// by one.
constexpr std::size_t kChunkSize = 64 * 1024;
// A row line is at most 12 + 3 + 12 + 2 + 5 + 3 + text + 2 bytes; the chunk
// keeps room for one whole row past its flush mark so a row is never split
// between two appends.
constexpr std::size_t kRowOverhead = 12 + 3 + 12 + 2 + 5 + 3 + 2;
constexpr std::size_t kBlockSize = kChunkSize + kRowOverhead + kMaxTextLength;

// The four columns of one result. The texts are the formatter's own
// (FormatHex48, FormatDecimal and the pool's text), written straight into the
// output: a row costs two table-driven hex conversions and one copy of its
// text, with nothing measured twice.
struct AdvancedRow {
  std::uint64_t filePos = 0;
  std::uint64_t memPos = 0;
  std::uint32_t id = 0;
  std::uint32_t textLength = 0;
  const char* text = "";

  void Load(const ResultStore& store, const SectionMap& map, std::uint32_t index) {
    filePos = store.Position(index);
    memPos = map.MemoryPosition(filePos);
    id = store.Id(index);
    const char* stored = store.Text(index);
    text = stored != nullptr ? stored : "";
    textLength = store.TextLength(index);
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

// Gathers output in one fixed block and hands it to the write function a
// chunk at a time. After the first failure it writes nothing more and keeps
// the error.
class ChunkedOutput {
 public:
  explicit ChunkedOutput(OutputStream& stream) : stream_(stream), block_(new char[kBlockSize]) {}

  // Room for `size` more bytes at the end of the block, flushing first when
  // the chunk is full. Returns nullptr only for a line longer than the block
  // can ever hold, which the caller then writes through Put.
  char* Reserve(std::size_t size) {
    if (used_ >= kChunkSize || used_ + size > kBlockSize) {
      Flush();
    }
    if (size > kBlockSize) {
      return nullptr;
    }
    char* at = block_.get() + used_;
    used_ += size;
    return at;
  }

  void Put(const char* data, std::size_t size) {
    if (char* at = Reserve(size); at != nullptr) {
      std::memcpy(at, data, size);
      return;
    }
    WriteAll(data, size);
  }

  // Writes what is gathered. Returns false once any write has failed.
  bool Flush() {
    if (used_ != 0) {
      WriteAll(block_.get(), used_);
      used_ = 0;
    }
    return error_ == 0;
  }

  [[nodiscard]] int Error() const { return error_; }

 private:
  void WriteAll(const char* data, std::size_t size) {
    if (error_ == 0) {
      error_ = stream_.Write(data, size);
    }
  }

  OutputStream& stream_;
  std::unique_ptr<char[]> block_;
  std::size_t used_ = 0;
  int error_ = 0;
};

void WriteAdvancedRow(ChunkedOutput& output, const ResultStore& store, const SectionMap& map,
                      std::uint32_t index) {
  AdvancedRow row;
  row.Load(store, map, index);
  const std::size_t length = row.Length();
  if (char* at = output.Reserve(length); at != nullptr) {
    row.WriteTo(at);
    return;
  }
  // A text longer than any scan keeps; rare enough to build on the heap.
  std::string line(length, '\0');
  row.WriteTo(line.data());
  output.Put(line.data(), line.size());
}

void WritePlainRow(ChunkedOutput& output, const ResultStore& store, std::uint32_t index) {
  const char* stored = store.Text(index);
  const char* text = stored != nullptr ? stored : "";
  const std::size_t length = store.TextLength(index);
  if (char* at = output.Reserve(length + 1); at != nullptr) {
    std::memcpy(at, text, length);
    at[length] = '\n';
    return;
  }
  output.Put(text, length);
  output.Put("\n", 1);
}

// PERF: one pass over the rows; every line is formatted straight into the
// output block, so nothing is allocated per row.
void WriteRows(ChunkedOutput& output, std::span<const std::uint32_t> rowOrder, SaveLayout layout,
               const ResultStore& store, const SectionMap& map) {
  if (layout == SaveLayout::Plain) {
    for (std::uint32_t index : rowOrder) {
      WritePlainRow(output, store, index);
    }
    return;
  }
  // A header block stands before rows 0, 60, 120 ...
  std::size_t rowCounter = kRowsPerHeader;
  for (std::uint32_t index : rowOrder) {
    if (++rowCounter >= kRowsPerHeader) {
      output.Put(kHeaderBlock, sizeof(kHeaderBlock) - 1);
      rowCounter = 0;
    }
    WriteAdvancedRow(output, store, map, index);
  }
}

}  // namespace

std::size_t AppendAdvancedRowLine(std::string& out, const ResultStore& store, const SectionMap& map,
                                  std::uint32_t index) {
  AdvancedRow row;
  row.Load(store, map, index);
  const std::size_t length = row.Length();
  const std::size_t start = out.size();
  out.resize(start + length);
  row.WriteTo(out.data() + start);
  return length;
}

std::size_t AppendPlainRowLine(std::string& out, const ResultStore& store, std::uint32_t index) {
  const char* text = store.Text(index);
  const std::size_t before = out.size();
  if (text != nullptr) {
    out += text;
  }
  out += '\n';
  return out.size() - before;
}

SaveResult SaveResults(const std::string& path, std::span<const std::uint32_t> rowOrder,
                       SaveLayout layout, const ResultStore& store, const SectionMap& map,
                       int* errorOut) {
  return SaveFile(
      path,
      [&](OutputStream& stream) {
        ChunkedOutput output(stream);
        WriteRows(output, rowOrder, layout, store, map);
        return output.Flush() ? 0 : output.Error();
      },
      errorOut);
}

bool WriteResults(OutputStream& stream, std::span<const std::uint32_t> rowOrder, SaveLayout layout,
                  const ResultStore& store, const SectionMap& map, int* errorOut) {
  ChunkedOutput output(stream);
  WriteRows(output, rowOrder, layout, store, map);
  const bool ok = output.Flush();
  if (errorOut != nullptr) {
    *errorOut = output.Error();
  }
  return ok;
}

std::string BuildCopyText(std::span<const std::uint32_t> rows, const ResultStore& store,
                          const SectionMap& map) {
  // Measure first, so the text is allocated once at its exact size.
  std::size_t total = 0;
  AdvancedRow row;
  for (std::uint32_t index : rows) {
    row.Load(store, map, index);
    total += row.Length();
  }
  std::string text;
  text.reserve(total);
  for (std::uint32_t index : rows) {
    AppendAdvancedRowLine(text, store, map, index);
  }
  return text;
}

}  // namespace quillex
