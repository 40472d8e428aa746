#include "platform/InputFile.h"

// Standard library
#include <cerrno>
#include <cstring>

// POSIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillex {

InputFile::~InputFile() {
  Close();
}

bool InputFile::Open(const std::string& path) {
  Close();
  int fd = -1;
  // O_NONBLOCK only for the open itself: without it, opening a named pipe
  // waits for a writer that may never come. Reads block again as usual.
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    lastError_ = errno;
    return false;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags == -1 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1) {
    lastError_ = errno;
    ::close(fd);
    return false;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    lastError_ = errno;
    ::close(fd);
    return false;
  }
  // A directory opens for reading on Linux, but reading it fails; a scan of it
  // would find nothing and look successful, so it is refused like any file
  // that cannot be opened.
  if (S_ISDIR(info.st_mode)) {
    lastError_ = EISDIR;
    ::close(fd);
    return false;
  }
  fd_ = fd;
  position_ = 0;
  size_ = 0;
  if (S_ISREG(info.st_mode)) {
    size_ = static_cast<std::uint64_t>(info.st_size);
  } else if (const off_t end = ::lseek(fd, 0, SEEK_END); end > 0) {
    size_ = static_cast<std::uint64_t>(end);  // a block device: a disk or its image
  }
  identity_ = FileIdentity{size_, static_cast<std::int64_t>(info.st_mtim.tv_sec),
                           static_cast<std::uint32_t>(info.st_mtim.tv_nsec)};
  readError_ = false;
  lastError_ = 0;
  return true;
}

void InputFile::Close() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
  fd_ = -1;
  position_ = 0;
  size_ = 0;
  identity_ = FileIdentity();
}

bool InputFile::Seek(std::uint64_t position) {
  if (fd_ < 0) {
    return false;
  }
  // pread takes a signed offset; positions beyond it cannot exist.
  if (position > static_cast<std::uint64_t>(INT64_MAX)) {
    return false;
  }
  position_ = position;
  return true;
}

std::size_t InputFile::Read(void* buffer, std::size_t size) {
  if (fd_ < 0) {
    return 0;
  }
  auto* out = static_cast<unsigned char*>(buffer);
  std::size_t done = 0;
  // pread keeps the position in our hands, so a Seek never fails half-way and
  // the 64-bit offset is passed as it is.
  while (done < size) {
    const std::uint64_t at = position_ + done;
    if (at > static_cast<std::uint64_t>(INT64_MAX)) {
      break;
    }
    const ssize_t got = ::pread(fd_, out + done, size - done, static_cast<off_t>(at));
    if (got < 0) {
      if (errno == EINTR) {
        continue;
      }
      // A failed read counts as no data at all, as if the file ended here;
      // the caller learns of it through HadReadError().
      readError_ = true;
      lastError_ = errno;
      return 0;
    }
    if (got == 0) {
      break;
    }
    done += static_cast<std::size_t>(got);
  }
  position_ += done;
  return done;
}

std::string ErrorText(int error) {
  char text[256] = {};
  // The GNU strerror_r may return a static text instead of filling ours.
#if defined(__GLIBC__) && defined(_GNU_SOURCE)
  const char* message = ::strerror_r(error, text, sizeof text);
  return message != nullptr ? std::string(message) : std::string();
#else
  if (::strerror_r(error, text, sizeof text) != 0) {
    return "Unknown error " + std::to_string(error);
  }
  return text;
#endif
}

}  // namespace quillex
