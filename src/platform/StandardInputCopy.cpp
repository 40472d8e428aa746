#include "platform/StandardInputCopy.h"

// Standard library
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string>

// POSIX
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace quillex {

namespace {

constexpr std::size_t kCopyBlock = 256 * 1024;

int CreateUnnamedFile() {
  const int fd = ::memfd_create("quillex-stdin", MFD_CLOEXEC);
  if (fd >= 0 || (errno != ENOSYS && errno != EINVAL)) {
    return fd;
  }
  const char* directory = std::getenv("TMPDIR");
  if (directory == nullptr || *directory == '\0') {
    directory = "/tmp";
  }
  return ::open(directory, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size != 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    if (written == 0) {
      errno = ENOSPC;
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

StandardInputCopy::~StandardInputCopy() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
}

int StandardInputCopy::CopyStandardInput() {
  const int fd = STDIN_FILENO;
  if (fd_ >= 0) {
    ::close(fd_);
  }
  fd_ = CreateUnnamedFile();
  if (fd_ < 0) {
    return errno;
  }
  const std::unique_ptr<char[]> block(new char[kCopyBlock]);
  for (;;) {
    const ssize_t got = ::read(fd, block.get(), kCopyBlock);
    if (got < 0) {
      if (errno == EINTR) {
        continue;
      }
      return errno;
    }
    if (got == 0) {
      return 0;
    }
    if (!WriteAll(fd_, block.get(), static_cast<std::size_t>(got))) {
      return errno;
    }
  }
}

std::string StandardInputCopy::Path() const {
  return "/proc/self/fd/" + std::to_string(fd_);
}

}  // namespace quillex
