#include "views/OutputBuffer.h"

// Standard library
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

// Ours
#include "platform/OutputStream.h"

namespace quillex {

OutputBuffer::OutputBuffer(OutputStream& stream) : stream_(&stream), block_(new char[kBlockSize]) {}

OutputBuffer::OutputBuffer(std::string& text) : text_(&text), block_(new char[kBlockSize]) {}

void OutputBuffer::Put(std::string_view bytes) {
  if (char* at = Reserve(bytes.size()); at != nullptr) {
    std::memcpy(at, bytes.data(), bytes.size());
    return;
  }
  HandOn(bytes.data(), bytes.size());
}

bool OutputBuffer::Flush() {
  if (used_ != 0) {
    HandOn(block_.get(), used_);
    used_ = 0;
  }
  return error_ == 0;
}

void OutputBuffer::HandOn(const char* data, std::size_t size) {
  if (error_ != 0) {
    return;
  }
  if (text_ != nullptr) {
    text_->append(data, size);
    return;
  }
  error_ = stream_->Write(data, size);
}

}  // namespace quillex
