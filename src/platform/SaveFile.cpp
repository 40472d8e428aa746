#include "platform/SaveFile.h"

// Standard library
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <string>

// POSIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Ours
#include "platform/OutputStream.h"
#include "platform/UnnamedFile.h"

namespace quillex {

namespace {

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// The file `path` names once every symbolic link in its last component has
// been followed, whether that file exists or not, so that saving through a
// link writes the file it names and the link stays. False, with errno ELOOP,
// for a chain longer than the system itself would follow.
bool FollowLinks(const std::string& path, std::string& target) {
  constexpr int kMaxLinks = 40;
  target = path;
  for (int hop = 0; hop <= kMaxLinks; ++hop) {
    struct stat info {};
    if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
      return true;
    }
    std::string link(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
    const ssize_t length = ::readlink(target.c_str(), link.data(), link.size());
    if (length < 0 || static_cast<std::size_t>(length) >= link.size()) {
      return true;  // gone or changed meanwhile: opening says what is wrong
    }
    link.resize(static_cast<std::size_t>(length));
    // A relative link counts from the directory that holds it.
    if (link.front() == '/' || target.find('/') == std::string::npos) {
      target = link;
    } else {
      target = DirectoryOf(target) + "/" + link;
    }
  }
  errno = ELOOP;
  return false;
}

// Creates an unused temporary file in `directory`, readable and writable as
// a normal create would make it (0666 less the umask). Returns the descriptor
// or -1 with errno set.
int CreateTemporary(const std::string& directory, std::string& tempPath) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = directory + "/.quillex-save-" + std::to_string(::getpid()) + "-" +
               std::to_string(counter.fetch_add(1)) + ".tmp";
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) {
      return fd;
    }
  }
  errno = EEXIST;
  return -1;
}

void SetError(int* errorOut, int error) {
  if (errorOut != nullptr) {
    *errorOut = error;
  }
}

// Writes the content to the open target `fd`: straight, or with `staged`
// first whole into an unnamed file near `directory` and only then over the
// target's bytes, so that the target is touched only once all the new bytes
// are ready. Where no unnamed file can be made the content goes straight.
// Returns 0 or the errno of what failed; `stream` counts the bytes written
// to the target.
int WriteContent(OutputStream& stream, const std::string& directory, bool staged,
                 const ContentWriter& write) {
  const int staging = staged ? CreateUnnamedFile(directory.c_str()) : -1;
  if (staging < 0) {
    return write(stream);
  }
  OutputStream stagingStream(staging);
  int error = write(stagingStream);
  if (error == 0) {
    error = ::lseek(staging, 0, SEEK_SET) == 0 ? CopyToEnd(staging, stream) : errno;
  }
  ::close(staging);
  return error;
}

// Writes the target itself, as a plain overwrite does: for a device or a
// pipe, for a file whose directory will not take a temporary one, and
// (`staged`) for a file with more than one name. The old bytes are not cut
// off at the open but only once the new ones are all written, so a failure
// before the first write leaves the file as it was. A file this call created
// is removed again when writing it fails.
SaveResult WriteInPlace(const std::string& target, const ContentWriter& write, int* errorOut,
                        bool staged = false) {
  bool created = false;
  int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0 && errno == ENOENT) {
    fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    created = fd >= 0;
  }
  if (fd < 0) {
    SetError(errorOut, errno);
    return SaveResult::OpenFailed;
  }
  struct stat info {};
  const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  OutputStream stream(fd);
  int error = WriteContent(stream, DirectoryOf(target), staged && regular, write);
  bool written = error == 0;
  if (written && regular && ::ftruncate(fd, static_cast<off_t>(stream.Written())) != 0) {
    written = false;
    error = errno;
  }
  if (::close(fd) != 0 && written) {
    written = false;
    error = errno;
  }
  if (!written) {
    if (created) {
      ::unlink(target.c_str());
    }
    SetError(errorOut, error);
    return SaveResult::WriteFailed;
  }
  return SaveResult::Ok;
}

// The outcome of writing beside the target and renaming over it.
enum class AtomicResult { Ok, Failed, NotPossible };

// Writes the content to a temporary file beside `target` and renames it over
// the target once every write, the sync and the close have succeeded.
// NotPossible: the temporary file could not be created, or the directory
// would not let it replace the target; nothing has been changed.
AtomicResult WriteBeside(const std::string& target, const struct stat* existing,
                         const ContentWriter& write, int* errorOut) {
  std::string tempPath;
  const int fd = CreateTemporary(DirectoryOf(target), tempPath);
  if (fd < 0) {
    return AtomicResult::NotPossible;
  }
  auto fail = [&](int error) {
    ::unlink(tempPath.c_str());
    SetError(errorOut, error);
    return AtomicResult::Failed;
  };

  // Replacing a file keeps its permissions and, where we may set them, its
  // owner and group; a new file gets 0666 less the umask.
  if (existing != nullptr) {
    if (::fchown(fd, existing->st_uid, existing->st_gid) != 0) {
      // Only a privileged process can give a file away; the mode still holds.
    }
    if (::fchmod(fd, existing->st_mode & 07777) != 0) {
      const int error = errno;
      ::close(fd);
      return fail(error);
    }
  }

  OutputStream stream(fd);
  if (const int writeError = write(stream); writeError != 0) {
    ::close(fd);
    return fail(writeError);
  }
  // The data must be on disk before the rename makes it the file.
  if (::fsync(fd) != 0 && errno != EINVAL) {
    const int error = errno;
    ::close(fd);
    return fail(error);
  }
  if (::close(fd) != 0) {
    return fail(errno);
  }
  if (::rename(tempPath.c_str(), target.c_str()) != 0) {
    const int error = errno;
    ::unlink(tempPath.c_str());
    // A sticky directory lets only a file's owner replace it, though others
    // may be allowed to write it.
    if (error == EPERM || error == EACCES) {
      return AtomicResult::NotPossible;
    }
    SetError(errorOut, error);
    return AtomicResult::Failed;
  }
  return AtomicResult::Ok;
}

}  // namespace

SaveResult SaveFile(const std::string& path, const ContentWriter& write, int* errorOut) {
  SetError(errorOut, 0);
  std::string target;
  if (!FollowLinks(path, target)) {
    SetError(errorOut, errno);
    return SaveResult::OpenFailed;
  }
  struct stat existing {};
  const bool exists = ::stat(target.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) {
    SetError(errorOut, EISDIR);
    return SaveResult::OpenFailed;
  }
  if (exists && !S_ISREG(existing.st_mode)) {
    // A device or a pipe is written in place: renaming a file over it would
    // replace the device node itself.
    return WriteInPlace(target, write, errorOut);
  }
  if (exists && existing.st_nlink > 1) {
    // A file with several names (hard links) is written in place, so that
    // every name sees the new list: a file renamed over this name would leave
    // the others on the old bytes.
    return WriteInPlace(target, write, errorOut, true);
  }
  switch (WriteBeside(target, exists ? &existing : nullptr, write, errorOut)) {
    case AtomicResult::Ok:
      return SaveResult::Ok;
    case AtomicResult::Failed:
      return SaveResult::WriteFailed;
    case AtomicResult::NotPossible:
      break;
  }
  // A directory that takes no new files, or a path with no room left for the
  // temporary name: write the file as a plain overwrite would.
  return WriteInPlace(target, write, errorOut);
}

}  // namespace quillex
