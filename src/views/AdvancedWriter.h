#pragma once

// Standard library
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// Ours
#include "views/ResultWriter.h"

namespace quillex {

// The 90-byte header block written before every 60 rows of the advanced
// layout.
inline constexpr char kHeaderBlock[] =
    "\r\nFile pos       Mem pos          ID   Text\r\n"
    "========       =======          ==   ====\r\n\r\n";
inline constexpr std::size_t kRowsPerHeader = 60;

// The advanced layout, Save's table of the list: a row line
// "%s   %s  %5s   %s\r\n" over the file position, the memory position, the
// ID and the text of each result, with a header block before rows 0, 60,
// 120 ... of each file.
class AdvancedWriter : public ResultWriter {
 public:
  explicit AdvancedWriter(const WriterOptions& options = {}) : options_(options) {}

  void BeginFile(const WriterSource& source, OutputBuffer& out) override;
  void Row(const WriterSource& source, std::uint32_t result, OutputBuffer& out) override;

  // The row line of result `result`, appended to `out`. Returns its length.
  static std::size_t AppendRowLine(std::string& out, const ResultStore& store,
                                   const SectionMap& map, std::uint32_t result);
  // The row lines of the given results, back to back, without headers: what
  // Copy puts on the clipboard.
  [[nodiscard]] static std::string CopyText(std::span<const std::uint32_t> rows,
                                            const ResultStore& store, const SectionMap& map);

 private:
  WriterOptions options_;
  // Rows since the last header block; a full count puts one before the next.
  std::size_t rowsSinceHeader_ = kRowsPerHeader;
};

}  // namespace quillex
