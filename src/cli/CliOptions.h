#pragma once

// Standard library
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Ours
#include "filter/GroupSelection.h"
#include "tags/TagId.h"
#include "views/FilterTerms.h"
#include "views/OutputFormats.h"

namespace quillex {

enum class OptionValue {
  None,
  Digits,  // a number field: digits only
  Text,
};

struct CliOptions;

// One command-line option. The table of them drives both the parsing and
// --help, so an option cannot exist without its help line or the reverse.
struct OptionRow {
  const char* shortName;  // "-n", or nullptr
  const char* longName;   // "--min"
  OptionValue value;
  const char* valueName;  // "N", "FILE"; nullptr without a value
  // Help text; a '\n' continues it on the next line, under the first.
  const char* help;
  // Puts the option's value (empty for an option without one) into the
  // options. Returns a usage error, or an empty text.
  std::string (*apply)(const std::string& value, CliOptions& options);
};

[[nodiscard]] std::span<const OptionRow> OptionTable();

// The path that names standard input.
inline constexpr const char* kStandardInputName = "-";

struct CliOptions {
  std::string minText = "5";
  std::string maxText = "1024";
  std::optional<std::string> repeatText;
  std::optional<std::string> includeChars;
  std::optional<std::string> mustContainChars;
  // --only was given: start from no group ticked.
  bool onlyGiven = false;
  std::vector<int> onlyGroups;  // group indexes
  std::vector<int> excludedGroups;
  // Which of the strings found are written, as the window's filter row
  // chooses the rows it shows; SelectionTerms puts them together.
  std::optional<std::string> grepPattern;  // UTF-8, as given
  bool fixedStrings = false;               // the pattern is plain text
  bool ignoreCase = false;
  KindMask kinds = 0;  // 0: every kind
  std::optional<std::uint32_t> minLength;
  std::optional<std::uint32_t> maxLength;
  TagSet wantedTags = 0;
  // A row of OutputFormats(); the first, the advanced layout, by default.
  const OutputFormat* format = &OutputFormats().front();
  // csv: cells that start like a formula are written unguarded.
  bool csvRaw = false;
  std::optional<std::string> outputPath;  // nullopt or "-": standard output
  bool quiet = false;
  bool timings = false;
  std::uint32_t poolLimit = 0;  // 0: the pool's own 4 GiB limit
  bool listGroups = false;
  bool listTags = false;
  bool help = false;
  bool version = false;
  std::vector<std::string> inputs;  // "-" is standard input
};

// Parses the arguments after the program's name. Returns an empty text on
// success, else what is wrong with them (a usage error). --help and
// --version end the parsing where they stand.
[[nodiscard]] std::string ParseCommandLine(std::span<const char* const> args, CliOptions& options);

// The bytes of a character argument (--include, --must-contain). Text that
// is well-formed UTF-8, as a terminal sends it, is taken as characters and
// converted to Windows-1252 as the Filter page converts what is typed into
// it, leaving out characters the code page has no byte for; anything else is
// taken as the bytes themselves.
[[nodiscard]] std::string CharsFromArgument(std::string_view argument);

// The group boxes the options leave ticked.
[[nodiscard]] GroupSelection SelectedGroups(const CliOptions& options);

// Whether any option that selects the strings written was given: the
// summary then tells how many were written of how many found.
[[nodiscard]] bool SelectionGiven(const CliOptions& options);
// The row filter the selection options describe. The pattern is converted
// from UTF-8 as the window's filter field converts typed text; it is a
// regular expression unless -F was given, and matches case unless -i was.
[[nodiscard]] FilterTerms SelectionTerms(const CliOptions& options);

// The --help text, built from the option table.
[[nodiscard]] std::string HelpText();
// The --list-groups text: each group's name and whether it is ticked by
// default.
[[nodiscard]] std::string GroupListText();
// The --list-tags text: each tag's name and its one-line description.
[[nodiscard]] std::string TagListText();

}  // namespace quillex
