#include "views/OutputFormats.h"

// Standard library
#include <array>
#include <memory>
#include <span>
#include <string_view>
#include <type_traits>

// Ours
#include "views/AdvancedWriter.h"
#include "views/CsvWriter.h"
#include "views/JsonLinesWriter.h"
#include "views/PlainWriter.h"

namespace quillex {

namespace {

template <class Writer>
std::unique_ptr<ResultWriter> Make(const WriterOptions& options) {
  if constexpr (std::is_constructible_v<Writer, const WriterOptions&>) {
    return std::make_unique<Writer>(options);
  } else {
    return std::make_unique<Writer>();
  }
}

// A new format is a writer class and one more row here.
constexpr std::array<OutputFormat, 4> kFormats{{
    {kAdvancedLayoutName, "Save's advanced layout, headed every 60 rows", &Make<AdvancedWriter>,
     "Txt files", "txt"},
    {kPlainLayoutName, "Save's plain layout: one text a line", &Make<PlainWriter>, "Txt files",
     "txt"},
    {"jsonl", "JSON Lines: one object a string", &Make<JsonLinesWriter>, "JSON Lines files",
     "jsonl", true},
    {"csv", "RFC 4180 CSV: a header row, then one row a string", &Make<CsvWriter>, "CSV files",
     "csv", true},
}};

}  // namespace

std::span<const OutputFormat> OutputFormats() {
  return kFormats;
}

const OutputFormat* FindOutputFormat(std::string_view name) {
  for (const OutputFormat& format : kFormats) {
    if (format.name == name) {
      return &format;
    }
  }
  return nullptr;
}

}  // namespace quillex
