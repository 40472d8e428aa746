#pragma once

// Standard library
#include <cstdint>
#include <span>
#include <string_view>

// Ours
#include "tags/TagId.h"

namespace quillex {

class OutputBuffer;
class ResultStore;
class SectionMap;

// What a writer reads for one scanned file. Callers name the members
// (WriterSource{.store = ..., .map = ...}), so that a member added later
// with a default needs no change anywhere else.
struct WriterSource {
  const ResultStore& store;
  // Turns a file position into the memory position the outputs show.
  const SectionMap& map;
  // The results to write, by number, in the order they are written: the
  // list's display order for Save, the order found for the command line.
  std::span<const std::uint32_t> rows = {};
  // The scanned file as the user named it; the record formats write it in
  // every record, the text layouts in the heading of each file's rows.
  std::string_view fileName = {};
  // Per-result extras that only some formats write come here as spans
  // indexed by result number, empty when the host has none.
  //
  // The indicator tags of each result (TagResults fills such an array); a
  // result past its end is written with no tags.
  std::span<const TagSet> tags = {};
};

// Choices that hold for a whole output.
struct WriterOptions {
  // Several files go into one output: the text layouts put a line
  // "==> FILE <==" before each file's rows.
  bool fileHeadings = false;
  // CSV: a cell that a spreadsheet would run as a formula gets a leading
  // "'" (see CsvText.h); off for programs that read the cells as they are.
  bool guardFormulas = true;
};

// One output format. The host calls Start once, then for each scanned file
// BeginFile, Row for every row and EndFile (WriteFile does those three),
// then Finish once. Everything goes into the output buffer, which keeps the
// first write error; writers have none of their own.
class ResultWriter {
 public:
  virtual ~ResultWriter() = default;

  // Before the first file: a header the format has once per output.
  virtual void Start(OutputBuffer& out);
  // Before a file's rows; the writer may keep what the file's rows share.
  virtual void BeginFile(const WriterSource& source, OutputBuffer& out);
  // The line or record of result `result` of the source.
  virtual void Row(const WriterSource& source, std::uint32_t result, OutputBuffer& out) = 0;
  virtual void EndFile(const WriterSource& source, OutputBuffer& out);
  // After the last file.
  virtual void Finish(OutputBuffer& out);

  // BeginFile, Row for each of source.rows in order, EndFile.
  void WriteFile(const WriterSource& source, OutputBuffer& out);
};

}  // namespace quillex
