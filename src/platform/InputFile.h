#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quillex {

// What tells one version of a file from another without reading it: its size
// and the time its contents last changed, as the system reported them when
// the file was opened. A view that reads the file again after a scan
// compares them to learn whether the bytes can still be the scanned ones.
struct FileIdentity {
  std::uint64_t size = 0;
  std::int64_t modifiedSeconds = 0;
  std::uint32_t modifiedNanoseconds = 0;

  bool operator==(const FileIdentity&) const = default;
};

// A file opened for reading with 64-bit positions, as the scan opens it:
// read only, sequential reads from a position the caller sets. Directories
// and other non-regular files that cannot be read as a byte stream fail to
// open, so a scan never "succeeds" on something it could not read.
class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Returns false on failure; LastError() then holds the errno value.
  [[nodiscard]] bool Open(const std::string& path);
  void Close();
  [[nodiscard]] bool IsOpen() const { return fd_ >= 0; }

  // Sets the position of the next Read. Returns false on failure.
  bool Seek(std::uint64_t position);
  // Reads up to `size` bytes (retrying short reads until `size` bytes, end of
  // file or an error). Returns the number of bytes read; 0 at end of file and
  // after an error, which HadReadError() then reports.
  std::size_t Read(void* buffer, std::size_t size);

  [[nodiscard]] bool HadReadError() const { return readError_; }
  [[nodiscard]] int LastError() const { return lastError_; }
  // Size of the file when it was opened.
  [[nodiscard]] std::uint64_t Size() const { return size_; }
  // Its size and modification time when it was opened.
  [[nodiscard]] const FileIdentity& Identity() const { return identity_; }

 private:
  int fd_ = -1;
  std::uint64_t position_ = 0;
  std::uint64_t size_ = 0;
  FileIdentity identity_;
  bool readError_ = false;
  int lastError_ = 0;
};

// The system's text for an errno value.
[[nodiscard]] std::string ErrorText(int error);

}  // namespace quillex
