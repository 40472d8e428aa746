#pragma once

namespace quillex {

class OutputStream;

// Creates a file with no name, open for reading and writing, that
// disappears when closed, whatever ends the program: in `directory` when it
// is given and its file system allows (the same disk as the file it stands
// in for), else in memory (memfd_create), else in the temporary directory
// (TMPDIR or /tmp). Returns the descriptor, or -1 with errno set.
[[nodiscard]] int CreateUnnamedFile(const char* directory = nullptr);

// Reads the descriptor `from` from where it stands to its end and writes
// what it reads to `to`: standard input into its copy, a staged save into
// its file. Returns 0, or the errno of the read or write that failed.
[[nodiscard]] int CopyToEnd(int from, OutputStream& to);

}  // namespace quillex
