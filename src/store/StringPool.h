#pragma once

// Standard library
#include <cstdint>

namespace quillex {

// NUL-terminated texts packed back to back in one zero-filled byte buffer,
// with an index of where each starts. The buffer grows in large fixed steps so
// that a scan moves its texts only a few times, and keeping them in one block
// lets the normal view take every text in one pass.
//
// Invariants after every operation: text i starts at Text(i) and ends at its
// NUL; the texts lie in append order with no gap; once anything is allocated
// the byte capacity is strictly greater than the used bytes, and every byte
// past the used part is zero. The used bytes, capacities and count are 32-bit:
// a text that would take them past their limit is refused like a failed
// growth, never wrapped.
class StringPool {
 public:
  static constexpr std::uint32_t kDefaultByteStep = 256;
  static constexpr std::uint32_t kDefaultIndexStep = 32;
  // The byte capacity never exceeds this, so used bytes stay below it.
  static constexpr std::uint32_t kMaxBytes = 0xFFFFFFFFu;
  // Append returns a signed 32-bit index, so the count stops below 2^31.
  static constexpr std::uint32_t kMaxCount = 0x7FFFFFFFu;

  StringPool() = default;
  virtual ~StringPool() { Release(); }

  StringPool(const StringPool&) = delete;
  StringPool& operator=(const StringPool&) = delete;

  // Extra bytes added at every allocation of the byte buffer; 0 is ignored.
  void SetByteStep(std::uint32_t value);
  // Entries added at every allocation of the index; 0 is ignored.
  void SetIndexStep(std::uint32_t value);

  // Copies the text in. Returns its index, or -1 when the memory for a growth
  // is not available or a 32-bit limit would be passed; the pool is then
  // unchanged apart from capacity it may already have gained.
  std::int32_t Append(const char* text);
  // The same for a text whose length is known: its first `length` bytes, none
  // of them 0, are copied and a NUL is put after them.
  std::int32_t Append(const char* text, std::uint32_t length);

  // Text `index`, or nullptr past the end. Valid until the next Append or
  // Release.
  [[nodiscard]] const char* Text(std::uint32_t index) const {
    return index < count_ ? bytes_ + offsets_[index] : nullptr;
  }
  // Length of text `index` without its NUL, found from where the next text
  // starts; 0 past the end.
  [[nodiscard]] std::uint32_t TextLength(std::uint32_t index) const {
    if (index >= count_) {
      return 0;
    }
    const std::uint32_t end = index + 1 < count_ ? offsets_[index + 1] : usedBytes_;
    return end - offsets_[index] - 1;
  }
  [[nodiscard]] std::uint32_t Count() const { return count_; }
  // The sum over all texts of length + 1.
  [[nodiscard]] std::uint32_t UsedBytes() const { return usedBytes_; }
  [[nodiscard]] std::uint32_t ByteCapacity() const { return byteCapacity_; }
  [[nodiscard]] std::uint32_t IndexCapacity() const { return indexCapacity_; }
  [[nodiscard]] std::uint32_t ByteStep() const { return byteStep_; }
  [[nodiscard]] std::uint32_t IndexStep() const { return indexStep_; }
  // Start of the byte buffer: all texts with their NULs, UsedBytes() long.
  // nullptr before the first append.
  [[nodiscard]] const char* Bytes() const { return bytes_; }

  // Frees both blocks and zeroes the counters; the steps keep their values.
  void Release();

  // Lowers the byte and count limits (0 keeps the default) so that tests can
  // reach them without gigabytes of text. They survive Release like the steps.
  void SetLimits(std::uint32_t maxBytes, std::uint32_t maxCount);

 private:
  // Grows the byte buffer to `capacity` bytes; the new part comes zeroed.
  bool GrowBytes(std::uint32_t capacity);
  bool GrowIndex(std::uint32_t capacity);

  // Offsets rather than addresses: they stay valid when the buffer moves, so
  // a growth never has to walk the index.
  char* bytes_ = nullptr;
  std::uint32_t* offsets_ = nullptr;
  std::uint32_t byteStep_ = kDefaultByteStep;
  std::uint32_t indexStep_ = kDefaultIndexStep;
  std::uint32_t usedBytes_ = 0;
  std::uint32_t byteCapacity_ = 0;
  std::uint32_t indexCapacity_ = 0;
  std::uint32_t count_ = 0;
  std::uint32_t byteLimit_ = kMaxBytes;
  std::uint32_t countLimit_ = kMaxCount;
};

}  // namespace quillex
