#pragma once

// Standard library
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace quillex {

class OutputStream;
class ResultStore;
class SectionMap;

// Machine-readable layouts of the results, one record per result with the
// fields file, kind ("ansi", "unicode", "resource"), offset, address, id,
// text and length. Offsets and addresses are decimal numbers; the text is
// the stored bytes read as Windows-1252 and written as UTF-8.
enum class RecordFormat {
  JsonLines,  // one JSON object per line, LF-ended
  Csv,        // RFC 4180: CRLF-ended rows, fields quoted where needed
};

// The CSV header row, written once before the first record.
inline constexpr char kCsvHeaderRow[] = "file,kind,offset,address,id,text,length\r\n";

// Writes the records of one scanned file. The file's name is given as the
// user gave it, bytes that are not UTF-8 are written as U+FFFD, so every
// record is valid UTF-8.
class RecordWriter {
 public:
  RecordWriter(RecordFormat format, std::string_view fileName);

  // Appends the record of result `index` to `out`; returns its length.
  std::size_t Append(std::string& out, const ResultStore& store, const SectionMap& map,
                     std::uint32_t index) const;

  // Writes the records of `rowOrder` to an open stream a chunk at a time.
  // Returns false when a write fails; `errorOut` then holds its errno.
  bool Write(OutputStream& stream, std::span<const std::uint32_t> rowOrder,
             const ResultStore& store, const SectionMap& map, int* errorOut = nullptr) const;

 private:
  RecordFormat format_;
  // The file field, escaped once for every record of the file.
  std::string fileField_;
};

}  // namespace quillex
