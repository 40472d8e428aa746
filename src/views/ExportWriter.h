#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace quillex {

class ResultStore;
class SectionMap;

// The 90-byte header block written before every 60 rows of an advanced save.
inline constexpr char kHeaderBlock[] =
    "\r\nFile pos       Mem pos          ID   Text\r\n"
    "========       =======          ==   ====\r\n\r\n";
inline constexpr std::size_t kRowsPerHeader = 60;

enum class SaveLayout { Advanced, Plain };

enum class [[nodiscard]] SaveResult{
    Ok,
    OpenFailed,   // the file could not be created or opened for writing
    WriteFailed,  // a write or the close failed; an old file is left as it was
                  // unless it had to be written in place and part was written
};

// "%s   %s  %5s   %s\r\n" over the four columns of result `index`, appended to
// `out`. Returns the number of bytes appended.
std::size_t AppendAdvancedRowLine(std::string& out, const ResultStore& store, const SectionMap& map,
                                  std::uint32_t index);
// "%s\n" over the text of result `index`.
std::size_t AppendPlainRowLine(std::string& out, const ResultStore& store, std::uint32_t index);

// Writes the rows named by `rowOrder` (result indices in display order) to
// `path` in the given layout. The file is written beside the target under a
// temporary name and put in place only when every write and the close have
// succeeded, so a failure there never loses an existing file. Where no temporary
// file can be made there (a directory that takes no new files, a path too
// long for the temporary name) the target is written in place, as a plain
// overwrite does; it keeps its old bytes when the first write fails. A
// symbolic link is followed, even to a file that does not exist yet, and
// stays a link. Devices and pipes are written in place.
SaveResult SaveResults(const std::string& path, std::span<const std::uint32_t> rowOrder,
                       SaveLayout layout, const ResultStore& store, const SectionMap& map,
                       int* errorOut = nullptr);

// The file handling of SaveResults around any writer: `write` gets the open
// descriptor and returns 0, or the errno of the write that failed. The
// command line saves a whole run of several files through it.
using OutputWriter = std::function<int(int fd)>;
SaveResult SaveOutput(const std::string& path, const OutputWriter& write, int* errorOut = nullptr);

// Writes the same bytes SaveResults would to an already open stream (the
// command line's standard output). Returns false when a write fails.
bool WriteResults(int fd, std::span<const std::uint32_t> rowOrder, SaveLayout layout,
                  const ResultStore& store, const SectionMap& map, int* errorOut = nullptr);

// The write call SaveResults and WriteResults hand their chunks to: POSIX
// write semantics (bytes written, or -1 with errno set). Tests install one
// that fails on cue; InstallExportWriteFunction returns the one it replaces,
// and nullptr puts the system's back.
using ExportWriteFunction = std::ptrdiff_t (*)(int fd, const void* data, std::size_t size);
ExportWriteFunction InstallExportWriteFunction(ExportWriteFunction function);

// The advanced row lines of the given rows, back to back, without headers:
// what Copy puts on the clipboard.
[[nodiscard]] std::string BuildCopyText(std::span<const std::uint32_t> rows,
                                        const ResultStore& store, const SectionMap& map);

}  // namespace quillex
