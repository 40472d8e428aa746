#pragma once

// Standard library
#include <string>

namespace quillex {

// Standard input read to its end into an unnamed temporary file, so that a
// pipe, a socket or a terminal can be scanned like a file: the scan reads by
// position and more than once. The copy lives in memory (memfd_create) or,
// where that is missing, in an unnamed file of the temporary directory
// (O_TMPFILE); it disappears when closed, whatever ends the program.
class StandardInputCopy {
 public:
  StandardInputCopy() = default;
  ~StandardInputCopy();
  StandardInputCopy(const StandardInputCopy&) = delete;
  StandardInputCopy& operator=(const StandardInputCopy&) = delete;

  // Reads standard input from where it stands to its end. Returns 0, or the
  // errno of what failed (creating the copy, reading or writing it).
  [[nodiscard]] int CopyStandardInput();
  // A path that opens the copy: /proc/self/fd/N.
  [[nodiscard]] std::string Path() const;

 private:
  int fd_ = -1;
};

}  // namespace quillex
