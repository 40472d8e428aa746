// Whole files read and written as bytes, for tests that check what a program
// or a save left on disk.
#pragma once

// Standard library
#include <fstream>
#include <iterator>
#include <string>

namespace quillex::testing {

// The file's bytes; empty when it cannot be read.
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Creates or replaces the file with exactly `bytes`.
inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace quillex::testing
