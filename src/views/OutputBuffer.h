#pragma once

// Standard library
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace quillex {

class OutputStream;

// Gathers what the writers produce in one fixed block and hands it on a
// chunk at a time: to an output stream, or to a text in memory (tests,
// previews). After the first failed write it writes nothing more and keeps
// the error, so a writer never has to check as it goes.
class OutputBuffer {
 public:
  // One write call per this many bytes: rows are gathered, never written
  // one by one.
  static constexpr std::size_t kChunkSize = 64 * 1024;
  // Room past the chunk, so that a row of any layout fits whole behind the
  // flush mark and is formatted in place.
  static constexpr std::size_t kSlack = 16 * 1024;

  explicit OutputBuffer(OutputStream& stream);
  explicit OutputBuffer(std::string& text);
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;

  // Room for `size` more bytes, flushing first when the chunk is full; the
  // caller writes exactly `size` bytes there. Returns nullptr only for more
  // than the block ever holds, which the caller then hands to Put.
  [[nodiscard]] char* Reserve(std::size_t size) {
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

  // Appends bytes of any length.
  void Put(std::string_view bytes);

  // Hands on what is gathered. Returns false once any write has failed.
  bool Flush();
  // 0, or the errno of the first write that failed.
  [[nodiscard]] int Error() const { return error_; }

 private:
  static constexpr std::size_t kBlockSize = kChunkSize + kSlack;

  void HandOn(const char* data, std::size_t size);

  OutputStream* stream_ = nullptr;
  std::string* text_ = nullptr;
  std::unique_ptr<char[]> block_;
  std::size_t used_ = 0;
  int error_ = 0;
};

}  // namespace quillex
