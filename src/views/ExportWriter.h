#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/SaveFile.h"

namespace quillex {

class OutputStream;
class ResultStore;
class SectionMap;

// The 90-byte header block written before every 60 rows of an advanced save.
inline constexpr char kHeaderBlock[] =
    "\r\nFile pos       Mem pos          ID   Text\r\n"
    "========       =======          ==   ====\r\n\r\n";
inline constexpr std::size_t kRowsPerHeader = 60;

enum class SaveLayout { Advanced, Plain };

// "%s   %s  %5s   %s\r\n" over the four columns of result `index`, appended to
// `out`. Returns the number of bytes appended.
std::size_t AppendAdvancedRowLine(std::string& out, const ResultStore& store, const SectionMap& map,
                                  std::uint32_t index);
// "%s\n" over the text of result `index`.
std::size_t AppendPlainRowLine(std::string& out, const ResultStore& store, std::uint32_t index);

// Writes the rows named by `rowOrder` (result indices in display order) to
// `path` in the given layout, through Save's file handling (SaveFile).
SaveResult SaveResults(const std::string& path, std::span<const std::uint32_t> rowOrder,
                       SaveLayout layout, const ResultStore& store, const SectionMap& map,
                       int* errorOut = nullptr);

// Writes the same bytes SaveResults would to an open stream (the command
// line's standard output). Returns false when a write fails.
bool WriteResults(OutputStream& stream, std::span<const std::uint32_t> rowOrder, SaveLayout layout,
                  const ResultStore& store, const SectionMap& map, int* errorOut = nullptr);

// The advanced row lines of the given rows, back to back, without headers:
// what Copy puts on the clipboard.
[[nodiscard]] std::string BuildCopyText(std::span<const std::uint32_t> rows,
                                        const ResultStore& store, const SectionMap& map);

}  // namespace quillex
