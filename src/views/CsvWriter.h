#pragma once

// Standard library
#include <cstdint>
#include <string>

// Ours
#include "views/ResultWriter.h"

namespace quillex {

// CSV as RFC 4180 has it: a header row naming the columns file, kind,
// offset, address, id, text, length, section and tags once per output, then
// one CRLF-ended row per result, cells quoted only where they need it. The
// cells hold what the JSON Lines members hold, the tag names joined by ";",
// except that a file, text or section cell that would start like a formula
// is guarded (CsvText.h) unless the options say not to.
class CsvWriter : public ResultWriter {
 public:
  explicit CsvWriter(const WriterOptions& options = {}) : guard_(options.guardFormulas) {}

  void Start(OutputBuffer& out) override;
  void BeginFile(const WriterSource& source, OutputBuffer& out) override;
  void Row(const WriterSource& source, std::uint32_t result, OutputBuffer& out) override;

  // "file,kind,offset,address,id,text,length,section,tags\r\n"
  [[nodiscard]] static std::string HeaderRow();

 private:
  bool guard_;
  // The file cell, made once per file.
  std::string fileCell_;
  // The row being built, kept to reuse its room.
  std::string record_;
};

}  // namespace quillex
