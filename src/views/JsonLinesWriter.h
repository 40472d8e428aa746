#pragma once

// Standard library
#include <cstdint>
#include <string>

// Ours
#include "views/ResultWriter.h"

namespace quillex {

// JSON Lines: one object per result, LF-ended, with the members file, kind
// ("ansi", "unicode", "resource"), offset, address, id, text and length.
// Numbers are decimal; texts are the stored bytes read as Windows-1252 and
// written as UTF-8, and the file's name has every byte that is not UTF-8
// written as U+FFFD, so every record is valid UTF-8.
class JsonLinesWriter : public ResultWriter {
 public:
  void BeginFile(const WriterSource& source, OutputBuffer& out) override;
  void Row(const WriterSource& source, std::uint32_t result, OutputBuffer& out) override;

 private:
  // The file member's value, made once per file.
  std::string fileField_;
  // The record being built, kept to reuse its room.
  std::string record_;
};

}  // namespace quillex
