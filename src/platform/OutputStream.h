#pragma once

// Standard library
#include <cstddef>
#include <cstdint>

namespace quillex {

// Where written results go: standard output, or the file Save is writing.
// A write goes whole or reports why it could not.
class OutputStream {
 public:
  // The process's standard output.
  [[nodiscard]] static OutputStream StandardOutput();
  // An open descriptor that stays the caller's: the file Save has opened,
  // or one a test made.
  explicit OutputStream(int descriptor) : descriptor_(descriptor) {}

  // Writes all `size` bytes, going on after short and interrupted writes.
  // Returns 0, or the errno of the write that failed (ENOSPC for one that
  // took nothing).
  [[nodiscard]] int Write(const void* data, std::size_t size);

  // Bytes written so far.
  [[nodiscard]] std::uint64_t Written() const { return written_; }

 private:
  int descriptor_;
  std::uint64_t written_ = 0;
};

// The write call every stream hands its bytes to: POSIX write semantics
// (bytes written, or -1 with errno set). Tests install one that fails or
// trickles on cue; InstallWriteFunction returns the one it replaces, and
// nullptr puts the system's back.
using WriteFunction = std::ptrdiff_t (*)(int descriptor, const void* data, std::size_t size);
WriteFunction InstallWriteFunction(WriteFunction function);

}  // namespace quillex
