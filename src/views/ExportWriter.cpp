#include "views/ExportWriter.h"

// Standard library
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <string>

// System
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Ours
#include "filter/FilterCriteria.h"
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

std::ptrdiff_t SystemWrite(int fd, const void* data, std::size_t size) {
  return ::write(fd, data, size);
}

std::atomic<ExportWriteFunction> writeFunction{&SystemWrite};

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
  explicit ChunkedOutput(int fd) : fd_(fd), block_(new char[kBlockSize]) {}

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
  // Bytes the write function has taken so far.
  [[nodiscard]] std::uint64_t Written() const { return written_; }

 private:
  void WriteAll(const char* data, std::size_t size) {
    const ExportWriteFunction write = writeFunction.load();
    while (size != 0 && error_ == 0) {
      const std::ptrdiff_t written = write(fd_, data, size);
      if (written < 0) {
        if (errno == EINTR) {
          continue;
        }
        error_ = errno != 0 ? errno : EIO;
      } else if (written == 0) {
        error_ = ENOSPC;
      } else {
        data += written;
        size -= static_cast<std::size_t>(written);
        written_ += static_cast<std::uint64_t>(written);
      }
    }
  }

  int fd_;
  std::unique_ptr<char[]> block_;
  std::size_t used_ = 0;
  int error_ = 0;
  std::uint64_t written_ = 0;
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

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// The file `path` names once every symbolic link in its last component has
// been followed, whether that file exists or not, so that saving through a
// link writes the file it names and the link stays. False, with errno ELOOP,
// for a chain longer than the system itself would follow.
bool FollowLinks(const std::string& path, std::string& target) {
  constexpr int kMaxLinks = 40;
  target = path;
  for (int hop = 0; hop <= kMaxLinks; ++hop) {
    struct stat info {};
    if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
      return true;
    }
    std::string link(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
    const ssize_t length = ::readlink(target.c_str(), link.data(), link.size());
    if (length < 0 || static_cast<std::size_t>(length) >= link.size()) {
      return true;  // gone or changed meanwhile: opening says what is wrong
    }
    link.resize(static_cast<std::size_t>(length));
    // A relative link counts from the directory that holds it.
    if (link.front() == '/' || target.find('/') == std::string::npos) {
      target = link;
    } else {
      target = DirectoryOf(target) + "/" + link;
    }
  }
  errno = ELOOP;
  return false;
}

// Creates an unused temporary file in `directory`, readable and writable as
// a normal create would make it (0666 less the umask). Returns the descriptor
// or -1 with errno set.
int CreateTemporary(const std::string& directory, std::string& tempPath) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = directory + "/.quillex-save-" + std::to_string(::getpid()) + "-" +
               std::to_string(counter.fetch_add(1)) + ".tmp";
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) {
      return fd;
    }
  }
  errno = EEXIST;
  return -1;
}

void SetError(int* errorOut, int error) {
  if (errorOut != nullptr) {
    *errorOut = error;
  }
}

// Writes the target itself, as a plain overwrite does: for a device or a
// pipe, and for a file whose directory will not take a temporary one. The
// old bytes are not cut off at the open but only once the new ones are all
// written, so a failure before the first write leaves the file as it was. A
// file this call created is removed again when writing it fails.
SaveResult WriteInPlace(const std::string& target, const OutputWriter& write, int* errorOut) {
  bool created = false;
  int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0 && errno == ENOENT) {
    fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    created = fd >= 0;
  }
  if (fd < 0) {
    SetError(errorOut, errno);
    return SaveResult::OpenFailed;
  }
  struct stat info {};
  const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  int error = write(fd);
  bool written = error == 0;
  // The writer leaves the offset just past the last byte it wrote.
  if (written && regular) {
    const off_t end = ::lseek(fd, 0, SEEK_CUR);
    if (end < 0 || ::ftruncate(fd, end) != 0) {
      written = false;
      error = errno;
    }
  }
  if (::close(fd) != 0 && written) {
    written = false;
    error = errno;
  }
  if (!written) {
    if (created) {
      ::unlink(target.c_str());
    }
    SetError(errorOut, error);
    return SaveResult::WriteFailed;
  }
  return SaveResult::Ok;
}

// The outcome of writing beside the target and renaming over it.
enum class AtomicResult { Ok, Failed, NotPossible };

// Writes the rows to a temporary file beside `target` and renames it over
// the target once every write, the sync and the close have succeeded.
// NotPossible: the temporary file could not be created, or the directory
// would not let it replace the target; nothing has been changed.
AtomicResult WriteBeside(const std::string& target, const struct stat* existing,
                         const OutputWriter& write, int* errorOut) {
  std::string tempPath;
  const int fd = CreateTemporary(DirectoryOf(target), tempPath);
  if (fd < 0) {
    return AtomicResult::NotPossible;
  }
  auto fail = [&](int error) {
    ::unlink(tempPath.c_str());
    SetError(errorOut, error);
    return AtomicResult::Failed;
  };

  // Replacing a file keeps its permissions and, where we may set them, its
  // owner and group; a new file gets 0666 less the umask.
  if (existing != nullptr) {
    if (::fchown(fd, existing->st_uid, existing->st_gid) != 0) {
      // Only a privileged process can give a file away; the mode still holds.
    }
    if (::fchmod(fd, existing->st_mode & 07777) != 0) {
      const int error = errno;
      ::close(fd);
      return fail(error);
    }
  }

  if (const int writeError = write(fd); writeError != 0) {
    ::close(fd);
    return fail(writeError);
  }
  // The data must be on disk before the rename makes it the file.
  if (::fsync(fd) != 0 && errno != EINVAL) {
    const int error = errno;
    ::close(fd);
    return fail(error);
  }
  if (::close(fd) != 0) {
    return fail(errno);
  }
  if (::rename(tempPath.c_str(), target.c_str()) != 0) {
    const int error = errno;
    ::unlink(tempPath.c_str());
    // A sticky directory lets only a file's owner replace it, though others
    // may be allowed to write it.
    if (error == EPERM || error == EACCES) {
      return AtomicResult::NotPossible;
    }
    SetError(errorOut, error);
    return AtomicResult::Failed;
  }
  return AtomicResult::Ok;
}

}  // namespace

ExportWriteFunction InstallExportWriteFunction(ExportWriteFunction function) {
  return writeFunction.exchange(function != nullptr ? function : &SystemWrite);
}

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
  return SaveOutput(
      path,
      [&](int fd) {
        ChunkedOutput output(fd);
        WriteRows(output, rowOrder, layout, store, map);
        return output.Flush() ? 0 : output.Error();
      },
      errorOut);
}

SaveResult SaveOutput(const std::string& path, const OutputWriter& write, int* errorOut) {
  SetError(errorOut, 0);
  std::string target;
  if (!FollowLinks(path, target)) {
    SetError(errorOut, errno);
    return SaveResult::OpenFailed;
  }
  struct stat existing {};
  const bool exists = ::stat(target.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) {
    SetError(errorOut, EISDIR);
    return SaveResult::OpenFailed;
  }
  if (exists && !S_ISREG(existing.st_mode)) {
    // A device or a pipe is written in place: renaming a file over it would
    // replace the device node itself.
    return WriteInPlace(target, write, errorOut);
  }
  switch (WriteBeside(target, exists ? &existing : nullptr, write, errorOut)) {
    case AtomicResult::Ok:
      return SaveResult::Ok;
    case AtomicResult::Failed:
      return SaveResult::WriteFailed;
    case AtomicResult::NotPossible:
      break;
  }
  // A directory that takes no new files, or a path with no room left for the
  // temporary name: write the file as a plain overwrite would.
  return WriteInPlace(target, write, errorOut);
}

bool WriteResults(int fd, std::span<const std::uint32_t> rowOrder, SaveLayout layout,
                  const ResultStore& store, const SectionMap& map, int* errorOut) {
  ChunkedOutput output(fd);
  WriteRows(output, rowOrder, layout, store, map);
  const bool ok = output.Flush();
  SetError(errorOut, output.Error());
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
