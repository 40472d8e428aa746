#include "platform/StandardInputCopy.h"

// Standard library
#include <cerrno>
#include <string>

// POSIX
#include <unistd.h>

// Ours
#include "platform/OutputStream.h"
#include "platform/UnnamedFile.h"

namespace quillex {

StandardInputCopy::~StandardInputCopy() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
}

int StandardInputCopy::CopyStandardInput() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
  fd_ = CreateUnnamedFile();
  if (fd_ < 0) {
    return errno;
  }
  OutputStream copy(fd_);
  return CopyToEnd(STDIN_FILENO, copy);
}

std::string StandardInputCopy::Path() const {
  return "/proc/self/fd/" + std::to_string(fd_);
}

}  // namespace quillex
