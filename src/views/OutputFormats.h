#pragma once

// Standard library
#include <memory>
#include <span>
#include <string_view>

// Ours
#include "views/ResultWriter.h"

namespace quillex {

// One way of writing the results out. The table of them is the one list of
// formats: the command line's --format takes their names and its --help
// lists them, the manual page and the shell completion are checked against
// it, and Save writes the two text layouts from it.
struct OutputFormat {
  std::string_view name;  // as --format takes it
  std::string_view help;  // one line for --help, at most 56 characters
  std::unique_ptr<ResultWriter> (*make)(const WriterOptions& options);
  // What a save dialog's type list calls files of this format ("CSV files")
  // and the extension it gives their names, without the dot.
  std::string_view fileType;
  std::string_view extension;
  // The records carry each result's indicator tags, so a host computes them
  // (WriterSource::tags) before writing; the text layouts never show them.
  bool writesTags = false;
};

// The formats; the first is the default.
[[nodiscard]] std::span<const OutputFormat> OutputFormats();
// The format of that name, or nullptr.
[[nodiscard]] const OutputFormat* FindOutputFormat(std::string_view name);

// The two layouts Save writes, by the view shown: the advanced layout from
// the list, the plain one from the running text.
inline constexpr std::string_view kAdvancedLayoutName = "text";
inline constexpr std::string_view kPlainLayoutName = "plain";

}  // namespace quillex
