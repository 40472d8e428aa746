#include "platform/UnnamedFile.h"

// Standard library
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <memory>

// POSIX
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

// Ours
#include "platform/OutputStream.h"

namespace quillex {

int CreateUnnamedFile(const char* directory) {
  if (directory != nullptr) {
    const int fd = ::open(directory, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) {
      return fd;
    }
  }
  const int fd = ::memfd_create("quillex", MFD_CLOEXEC);
  if (fd >= 0 || (errno != ENOSYS && errno != EINVAL)) {
    return fd;
  }
  const char* temporary = std::getenv("TMPDIR");
  if (temporary == nullptr || *temporary == '\0') {
    temporary = "/tmp";
  }
  return ::open(temporary, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
}

int CopyToEnd(int from, OutputStream& to) {
  constexpr std::size_t kBlock = 256 * 1024;
  const std::unique_ptr<char[]> block(new char[kBlock]);
  for (;;) {
    const ssize_t got = ::read(from, block.get(), kBlock);
    if (got < 0) {
      if (errno == EINTR) {
        continue;
      }
      return errno;
    }
    if (got == 0) {
      return 0;
    }
    if (const int error = to.Write(block.get(), static_cast<std::size_t>(got)); error != 0) {
      return error;
    }
  }
}

}  // namespace quillex
