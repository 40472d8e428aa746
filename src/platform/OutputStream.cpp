#include "platform/OutputStream.h"

// Standard library
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>

// POSIX
#include <unistd.h>

namespace quillex {

namespace {

std::ptrdiff_t SystemWrite(int descriptor, const void* data, std::size_t size) {
  return ::write(descriptor, data, size);
}

std::atomic<WriteFunction> writeFunction{&SystemWrite};

}  // namespace

OutputStream OutputStream::StandardOutput() {
  return OutputStream(STDOUT_FILENO);
}

int OutputStream::Write(const void* data, std::size_t size) {
  const WriteFunction write = writeFunction.load();
  const auto* at = static_cast<const char*>(data);
  while (size != 0) {
    const std::ptrdiff_t written = write(descriptor_, at, size);
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return errno != 0 ? errno : EIO;
    }
    if (written == 0) {
      return ENOSPC;
    }
    at += written;
    size -= static_cast<std::size_t>(written);
    written_ += static_cast<std::uint64_t>(written);
  }
  return 0;
}

WriteFunction InstallWriteFunction(WriteFunction function) {
  return writeFunction.exchange(function != nullptr ? function : &SystemWrite);
}

}  // namespace quillex
