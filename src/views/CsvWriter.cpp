#include "views/CsvWriter.h"

// Standard library
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// Ours
#include "platform/Utf8.h"
#include "views/CsvText.h"
#include "views/OutputBuffer.h"
#include "views/RecordRow.h"

namespace quillex {

namespace {

struct CsvColumn {
  std::string_view name;  // its header cell
  RecordField write;      // the cell, quoted where it needs it
};

// The columns of every row, in order: a new field is one more line here.
// Columns added later go at the end, so that readers that take the cells by
// their place find the older ones where they were.
constexpr std::array<CsvColumn, 9> kColumns{{
    {"file", [](const RecordRow& row, std::string& out) { out += row.fileField; }},
    {"kind", [](const RecordRow& row, std::string& out) { out += KindName(row.Kind()); }},
    {"offset", [](const RecordRow& row, std::string& out) { AppendDecimal(out, row.Offset()); }},
    {"address", [](const RecordRow& row, std::string& out) { AppendDecimal(out, row.Address()); }},
    {"id", [](const RecordRow& row, std::string& out) { AppendDecimal(out, row.Id()); }},
    {"text", [](const RecordRow& row,
                std::string& out) { AppendCsvCellCp1252(out, row.Text(), row.guardFormulas); }},
    {"length",
     [](const RecordRow& row, std::string& out) { AppendDecimal(out, row.Text().size()); }},
    // A section's name is read from the file like the texts, so it is
    // guarded like them.
    {"section",
     [](const RecordRow& row, std::string& out) {
       AppendCsvCellCp1252(out, row.Section(), row.guardFormulas);
     }},
    {"tags",
     [](const RecordRow& row, std::string& out) {
       std::string names;
       AppendTagNames(names, row.Tags(), ";");
       AppendCsvCell(out, names, row.guardFormulas);
     }},
}};

}  // namespace

std::string CsvWriter::HeaderRow() {
  std::string row;
  for (const CsvColumn& column : kColumns) {
    if (!row.empty()) {
      row += ',';
    }
    row += column.name;
  }
  return row + "\r\n";
}

void CsvWriter::Start(OutputBuffer& out) {
  out.Put(HeaderRow());
}

void CsvWriter::BeginFile(const WriterSource& source, OutputBuffer& /*out*/) {
  fileCell_.clear();
  AppendCsvCell(fileCell_, ValidUtf8(source.fileName), guard_);
}

void CsvWriter::Row(const WriterSource& source, std::uint32_t result, OutputBuffer& out) {
  const RecordRow row{source, result, fileCell_, guard_};
  record_.clear();
  for (const CsvColumn& column : kColumns) {
    if (&column != kColumns.data()) {
      record_ += ',';
    }
    column.write(row, record_);
  }
  record_ += "\r\n";
  out.Put(record_);
}

}  // namespace quillex
