#include "cli/CliOptions.h"

// Standard library
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Ours
#include "filter/CharGroup.h"
#include "filter/FilterCriteria.h"
#include "platform/Utf8.h"

namespace quillex {

namespace {

constexpr std::array<OptionRow, 16> kOptions{{
    {OptionId::Min, "-n", "--min", OptionValue::Digits, "N",
     "\"Min text length\" field (default 5)"},
    {OptionId::Max, nullptr, "--max", OptionValue::Digits, "N",
     "\"Max text length\" field (default 1024)"},
    {OptionId::Repeat, nullptr, "--repeat", OptionValue::Digits, "N",
     "tick \"Discard strings with\" with N in its field"},
    {OptionId::Include, nullptr, "--include", OptionValue::Text, "CHARS",
     "tick \"Include these characters too\" with CHARS in its field"},
    {OptionId::MustContain, nullptr, "--must-contain", OptionValue::Text, "CHARS",
     "tick \"MUST contain these\" with CHARS in its field"},
    {OptionId::Only, nullptr, "--only", OptionValue::Text, "GROUPS",
     "tick only these character groups"},
    {OptionId::Exclude, nullptr, "--exclude", OptionValue::Text, "GROUPS",
     "untick these groups, leaving the other default ones ticked"},
    {OptionId::ListGroups, nullptr, "--list-groups", OptionValue::None, nullptr,
     "print each group's name and whether it is ticked by default"},
    {OptionId::Format, nullptr, "--format", OptionValue::Text, "FORMAT",
     "text (the advanced layout, the default), plain, jsonl or csv"},
    {OptionId::Plain, nullptr, "--plain", OptionValue::None, nullptr, "the same as --format plain"},
    {OptionId::Output, "-o", "--output", OptionValue::Text, "FILE",
     "write to FILE (as Save creates it) instead of standard output;\n"
     "FILE - is standard output"},
    {OptionId::Quiet, "-q", "--quiet", OptionValue::None, nullptr, "no summary on standard error"},
    {OptionId::Timings, nullptr, "--timings", OptionValue::None, nullptr,
     "print the passes' times (\"ansi+unicode 12.3 ms\",\n"
     "\"resource 0.4 ms\") on standard error"},
    {OptionId::PoolLimit, nullptr, "--pool-limit", OptionValue::Digits, "BYTES",
     "keep the stored texts (NULs included) below BYTES bytes;\n"
     "results beyond that are dropped and reported (exit status 3)"},
    {OptionId::Help, "-h", "--help", OptionValue::None, nullptr, "print this help and exit"},
    {OptionId::Version, nullptr, "--version", OptionValue::None, nullptr,
     "print the version and exit"},
}};

// Help lines start their text in this column.
constexpr std::size_t kHelpColumn = 24;

constexpr const char* kHelpHead =
    "usage: quillex-scan [options] [FILE...]\n"
    "Prints the ANSI, Unicode and resource strings of each FILE as Save writes them.\n"
    "FILE - (or no FILE, when standard input is not a terminal) reads standard input.\n"
    "\n";

constexpr const char* kHelpTail =
    "\n"
    "Long options also take the form --name=VALUE, short ones -nVALUE. Number\n"
    "fields hold digits only; they are normalised as the Filter page does (--min 0\n"
    "gives 5, --max 0 or above 1024 gives 1024, --repeat below 2 gives 3).\n"
    "\n"
    "GROUPS is a comma-separated list of the names --list-groups prints, matched\n"
    "without regard to case; the words in parentheses (apostrophe, comma, minus,\n"
    "period, underscore, backtick, tilde) name their groups on their own. The\n"
    "groups are ticked first, then --include and --must-contain add their\n"
    "characters.\n"
    "\n"
    "Formats: text and plain are the two layouts Save writes; with several files\n"
    "a line \"==> FILE <==\" stands before each file's strings. jsonl writes one\n"
    "JSON object per string, csv one RFC 4180 row under a header row, both with\n"
    "the fields file, kind, offset, address, id, text and length; texts are\n"
    "Windows-1252 written as UTF-8. The summary goes to standard error, its\n"
    "lines starting with \"FILE: \" when there are several files.\n"
    "\n"
    "A FILE that cannot be opened is reported and skipped. The exit status is the\n"
    "most serious one met, in this order: 2 usage error; 1 a FILE or the output\n"
    "could not be opened or written; 5 no memory for a scan's buffers; 4 a read\n"
    "error cut a scan short; 3 some results could not be stored and were dropped;\n"
    "0 success. Output into a closed pipe ends the program quietly.\n";

bool AllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string GroupNamesText() {
  std::string text;
  for (const CharGroup& group : CharGroups()) {
    if (!text.empty()) {
      text += "  ";
    }
    text += group.name;
  }
  return text;
}

std::string ReadGroups(const std::string& list, std::vector<int>& groups) {
  std::vector<int> parsed;
  std::string badName;
  if (!ParseGroupList(list, parsed, badName)) {
    if (badName.empty()) {
      return "an empty group name in '" + list + "' (the group \",\" is named comma)";
    }
    return "no character group is named '" + badName + "'; the groups are:\n  " + GroupNamesText();
  }
  groups.insert(groups.end(), parsed.begin(), parsed.end());
  return {};
}

const OptionRow* FindLong(std::string_view name) {
  for (const OptionRow& row : kOptions) {
    if (name == row.longName) {
      return &row;
    }
  }
  return nullptr;
}

const OptionRow* FindShort(std::string_view name) {
  for (const OptionRow& row : kOptions) {
    if (row.shortName != nullptr && name == row.shortName) {
      return &row;
    }
  }
  return nullptr;
}

// Puts one option's value into the options. Returns a usage error or "".
std::string Apply(const OptionRow& row, const std::string& value, CliOptions& options) {
  switch (row.id) {
    case OptionId::Min:
      options.minText = value;
      break;
    case OptionId::Max:
      options.maxText = value;
      break;
    case OptionId::Repeat:
      options.repeatText = value;
      break;
    case OptionId::Include:
      options.includeChars = CharsFromArgument(value);
      break;
    case OptionId::MustContain:
      options.mustContainChars = CharsFromArgument(value);
      break;
    case OptionId::Only:
      options.onlyGiven = true;
      return ReadGroups(value, options.onlyGroups);
    case OptionId::Exclude:
      return ReadGroups(value, options.excludedGroups);
    case OptionId::ListGroups:
      options.listGroups = true;
      break;
    case OptionId::Format:
      if (value == "text") {
        options.format = OutputFormat::Text;
      } else if (value == "plain") {
        options.format = OutputFormat::Plain;
      } else if (value == "jsonl") {
        options.format = OutputFormat::JsonLines;
      } else if (value == "csv") {
        options.format = OutputFormat::Csv;
      } else {
        return "unknown format '" + value + "' (text, plain, jsonl or csv)";
      }
      break;
    case OptionId::Plain:
      options.format = OutputFormat::Plain;
      break;
    case OptionId::Output:
      if (value.empty()) {
        return "the output FILE name is empty";
      }
      options.outputPath = value;
      break;
    case OptionId::Quiet:
      options.quiet = true;
      break;
    case OptionId::Timings:
      options.timings = true;
      break;
    case OptionId::PoolLimit:
      options.poolLimit = FieldValue(value);
      if (options.poolLimit == 0) {
        return "option '--pool-limit' needs a number from 1 to 4294967295";
      }
      break;
    case OptionId::Help:
      options.help = true;
      break;
    case OptionId::Version:
      options.version = true;
      break;
  }
  return {};
}

}  // namespace

std::string CharsFromArgument(std::string_view argument) {
  return Utf8ToCp1252(argument).value_or(std::string(argument));
}

std::span<const OptionRow> OptionTable() {
  return kOptions;
}

std::string ParseCommandLine(std::span<const char* const> args, CliOptions& options) {
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      options.inputs.push_back(arg);  // "-" included: standard input
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    // "--name=VALUE" and "-nVALUE" carry their value; otherwise it is the
    // next argument.
    const OptionRow* row = nullptr;
    std::optional<std::string> inlineValue;
    std::string name = arg;
    if (arg[1] == '-') {
      if (const std::size_t equals = arg.find('='); equals != std::string::npos) {
        inlineValue = arg.substr(equals + 1);
        name.resize(equals);
      }
      row = FindLong(name);
    } else {
      name = arg.substr(0, 2);
      row = FindShort(name);
      if (row != nullptr && arg.size() > 2) {
        if (row->value == OptionValue::None) {
          row = nullptr;
          name = arg;
        } else {
          inlineValue = arg.substr(2);
        }
      }
    }
    if (row == nullptr) {
      return "unknown option '" + name + "'";
    }

    std::string value;
    if (row->value == OptionValue::None) {
      if (inlineValue) {
        return "option '" + name + "' takes no value";
      }
    } else if (inlineValue) {
      value = *inlineValue;
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      return "option '" + name + "' needs " +
             (row->value == OptionValue::Digits ? "a number" : "a value");
    }
    if (row->value == OptionValue::Digits && (value.empty() || !AllDigits(value))) {
      return "option '" + name + "' takes digits only, not '" + value + "'";
    }
    if (std::string problem = Apply(*row, value, options); !problem.empty()) {
      return problem;
    }
    if (options.help || options.version) {
      return {};
    }
  }
  return {};
}

GroupSelection SelectedGroups(const CliOptions& options) {
  GroupSelection selection =
      options.onlyGiven ? GroupSelection::None() : GroupSelection::Defaults();
  for (const int group : options.onlyGroups) {
    selection.Tick(group, true);
  }
  for (const int group : options.excludedGroups) {
    selection.Tick(group, false);
  }
  return selection;
}

std::string HelpText() {
  std::string text = kHelpHead;
  for (const OptionRow& row : kOptions) {
    std::string left = "  ";
    if (row.shortName != nullptr) {
      left += row.shortName;
      left += ", ";
    }
    left += row.longName;
    if (row.valueName != nullptr) {
      left += ' ';
      left += row.valueName;
    }
    left.resize(std::max(left.size() + 2, kHelpColumn), ' ');
    text += left;
    for (const char* c = row.help; *c != '\0'; ++c) {
      text += *c;
      if (*c == '\n') {
        text.append(kHelpColumn, ' ');
      }
    }
    text += '\n';
  }
  return text + kHelpTail;
}

std::string GroupListText() {
  const GroupSelection defaults = GroupSelection::Defaults();
  std::string text;
  for (int group = 0; group < kGroupCount; ++group) {
    text += defaults.IsTicked(group) ? "yes  " : "no   ";
    text += CharGroups()[static_cast<std::size_t>(group)].name;
    text += '\n';
  }
  return text;
}

}  // namespace quillex
