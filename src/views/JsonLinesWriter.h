#pragma once

// Standard library
#include <cstdint>
#include <string>

// Ours
#include "views/ResultWriter.h"

namespace quillex {

struct RecordRow;

// JSON Lines: one object per result, LF-ended, with the members file, kind
// ("ansi", "unicode", "resource"), offset, address, id, text, length,
// section (the PE section holding the offset, or "") and tags (an array of
// tag names, empty for none or when the source has no tags). Numbers are
// decimal; texts and section names are the stored bytes read as
// Windows-1252 and written as UTF-8, and the file's name has every byte that
// is not UTF-8 written as U+FFFD, so every record is valid UTF-8.
class JsonLinesWriter : public ResultWriter {
 public:
  void BeginFile(const WriterSource& source, OutputBuffer& out) override;
  void Row(const WriterSource& source, std::uint32_t result, OutputBuffer& out) override;

  // The record of one result, LF included: the bytes Row writes for it, for
  // a window's "Copy as JSON".
  [[nodiscard]] static std::string Record(const WriterSource& source, std::uint32_t result);

 private:
  static void AppendRecord(const RecordRow& row, std::string& out);

  // The file member's value, made once per file.
  std::string fileField_;
  // The record being built, kept to reuse its room.
  std::string record_;
};

}  // namespace quillex
