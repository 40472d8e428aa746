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
#include "store/StringKind.h"
#include "tags/TagTable.h"
#include "views/FilterPattern.h"
#include "views/RecordRow.h"

namespace quillex {

namespace {

std::string ReadGroups(const std::string& list, std::vector<int>& groups);
std::string ReadFormat(const std::string& name, CliOptions& options);
std::string ReadKinds(const std::string& list, CliOptions& options);
std::string ReadTags(const std::string& list, CliOptions& options);

// A length the selection compares with: digits, a number too large for 32
// bits taken as the largest, which no text reaches.
std::uint32_t LengthValue(std::string_view digits) {
  std::uint64_t value = 0;
  for (const char c : digits) {
    value = std::min<std::uint64_t>(value * 10 + static_cast<std::uint64_t>(c - '0'), kNoMaxLength);
  }
  return static_cast<std::uint32_t>(value);
}

// An option whose digits go into a length field.
template <auto field>
std::string StoreLength(const std::string& value, CliOptions& options) {
  options.*field = LengthValue(value);
  return {};
}

// An option whose value goes into a field as it is.
template <auto field>
std::string Store(const std::string& value, CliOptions& options) {
  options.*field = value;
  return {};
}

// An option without a value that switches a flag on.
template <auto flag>
std::string Raise(const std::string& /*value*/, CliOptions& options) {
  options.*flag = true;
  return {};
}

// The options a run takes; each row's function puts its value in place.
constexpr std::array<OptionRow, 25> kOptions{{
    {"-n", "--min", OptionValue::Digits, "N", "\"Min text length\" field (default 5)",
     &Store<&CliOptions::minText>},
    {nullptr, "--max", OptionValue::Digits, "N", "\"Max text length\" field (default 1024)",
     &Store<&CliOptions::maxText>},
    {nullptr, "--repeat", OptionValue::Digits, "N",
     "tick \"Discard strings with\" with N in its field", &Store<&CliOptions::repeatText>},
    {nullptr, "--include", OptionValue::Text, "CHARS",
     "tick \"Include these characters too\" with CHARS in its field",
     [](const std::string& value, CliOptions& options) {
       options.includeChars = CharsFromArgument(value);
       return std::string();
     }},
    {nullptr, "--must-contain", OptionValue::Text, "CHARS",
     "tick \"MUST contain these\" with CHARS in its field",
     [](const std::string& value, CliOptions& options) {
       options.mustContainChars = CharsFromArgument(value);
       return std::string();
     }},
    {nullptr, "--only", OptionValue::Text, "GROUPS", "tick only these character groups",
     [](const std::string& value, CliOptions& options) {
       options.onlyGiven = true;
       return ReadGroups(value, options.onlyGroups);
     }},
    {nullptr, "--exclude", OptionValue::Text, "GROUPS",
     "untick these groups, leaving the other default ones ticked",
     [](const std::string& value, CliOptions& options) {
       return ReadGroups(value, options.excludedGroups);
     }},
    {nullptr, "--list-groups", OptionValue::None, nullptr,
     "print each group's name and whether it is ticked by default",
     &Raise<&CliOptions::listGroups>},
    {nullptr, "--grep", OptionValue::Text, "PATTERN",
     "write only the strings that PATTERN, an RE2 regular\n"
     "expression, matches in part",
     [](const std::string& value, CliOptions& options) {
       options.grepPattern = value;
       return std::string();
     }},
    {"-F", "--fixed-strings", OptionValue::None, nullptr,
     "--grep's PATTERN is plain text, not an expression", &Raise<&CliOptions::fixedStrings>},
    {"-i", "--ignore-case", OptionValue::None, nullptr, "--grep matches letters in either case",
     &Raise<&CliOptions::ignoreCase>},
    {nullptr, "--kind", OptionValue::Text, "KINDS",
     "write only the strings of these kinds, a comma-separated\n"
     "list of ansi, unicode and resource",
     &ReadKinds},
    {nullptr, "--min-length", OptionValue::Digits, "N",
     "write only the strings at least N characters long;\n"
     "-n is the scan's own minimum",
     &StoreLength<&CliOptions::minLength>},
    {nullptr, "--max-length", OptionValue::Digits, "N",
     "write only the strings at most N characters long;\n"
     "--max is the scan's own maximum",
     &StoreLength<&CliOptions::maxLength>},
    {nullptr, "--tag", OptionValue::Text, "TAGS",
     "write only the strings with one of these tags, a\n"
     "comma-separated list of the names --list-tags prints",
     &ReadTags},
    {nullptr, "--list-tags", OptionValue::None, nullptr, "print each tag's name and what it marks",
     &Raise<&CliOptions::listTags>},
    {nullptr, "--format", OptionValue::Text, "FORMAT",
     "write the results in FORMAT, one of those below\n(default text)", &ReadFormat},
    {nullptr, "--plain", OptionValue::None, nullptr, "the same as --format plain",
     [](const std::string&, CliOptions& options) { return ReadFormat("plain", options); }},
    {nullptr, "--csv-raw", OptionValue::None, nullptr,
     "csv: write a cell that starts like a spreadsheet formula\n"
     "as it is, without the guarding '",
     &Raise<&CliOptions::csvRaw>},
    {"-o", "--output", OptionValue::Text, "FILE",
     "write to FILE (as Save creates it) instead of standard output;\n"
     "FILE - is standard output",
     [](const std::string& value, CliOptions& options) {
       if (value.empty()) {
         return std::string("the output FILE name is empty");
       }
       options.outputPath = value;
       return std::string();
     }},
    {"-q", "--quiet", OptionValue::None, nullptr, "no summary on standard error",
     &Raise<&CliOptions::quiet>},
    {nullptr, "--timings", OptionValue::None, nullptr,
     "print the passes' times (\"ansi+unicode 12.3 ms\",\n"
     "\"resource 0.4 ms\") on standard error",
     &Raise<&CliOptions::timings>},
    {nullptr, "--pool-limit", OptionValue::Digits, "BYTES",
     "keep the stored texts (NULs included) below BYTES bytes;\n"
     "results beyond that are dropped and reported (exit status 3)",
     [](const std::string& value, CliOptions& options) {
       options.poolLimit = FieldValue(value);
       if (options.poolLimit == 0) {
         return std::string("option '--pool-limit' needs a number from 1 to 4294967295");
       }
       return std::string();
     }},
    {"-h", "--help", OptionValue::None, nullptr, "print this help and exit",
     &Raise<&CliOptions::help>},
    {nullptr, "--version", OptionValue::None, nullptr, "print the version and exit",
     &Raise<&CliOptions::version>},
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
    "The options from -n to --exclude are the Filter page's fields: they decide\n"
    "which strings the scan finds, and so the counts AN, UN and RS. --grep, -F,\n"
    "-i, --kind, --min-length, --max-length and --tag then choose which of the\n"
    "strings found are written, as the window's filter row chooses the rows it\n"
    "shows; a string is written when it meets all of them. The summary then adds\n"
    "a line \"N of M shown\"; when nothing matches, nothing is written and the\n"
    "exit status is still 0. PATTERN is read as UTF-8 and matched against the\n"
    "strings' Windows-1252 characters; -i folds their letters as the window's\n"
    "filter does. A PATTERN that does not compile is a usage error.\n"
    "\n"
    "text and plain are the two layouts Save writes; with several files a line\n"
    "\"==> FILE <==\" stands before each file's strings. jsonl and csv have the\n"
    "fields file, kind, offset, address, id, text, length, section (the PE\n"
    "section holding the offset, or empty) and tags (the string's tags: a JSON\n"
    "array, or names joined by ; in csv); texts are Windows-1252 written as\n"
    "UTF-8. In csv a file, text or section cell that starts with =, +, -, @, a\n"
    "tab or a carriage return gets a ' before it, so that a spreadsheet shows it\n"
    "rather than running it as a formula (length still counts the text alone);\n"
    "--csv-raw leaves it out, jsonl never has it. The summary goes to standard\n"
    "error, its lines starting with \"FILE: \" when there are several files.\n"
    "\n"
    "-o replaces FILE only once the whole output is written. A FILE with more\n"
    "than one hard link is then written over in place, so that all its names\n"
    "see the new output; a symbolic link is followed and stays a link.\n"
    "\n"
    "A FILE that cannot be opened is reported and skipped. The exit status is the\n"
    "most serious one met, in this order: 2 usage error; 1 a FILE or the output\n"
    "could not be opened or written; 5 no memory for a scan's buffers or its\n"
    "tags; 4 a read error cut a scan short; 3 some results could not be stored and\n"
    "were dropped; 0 success. Output into a closed pipe ends the program quietly.\n";

// One line of the help's lists: the left part, padded to the help column,
// then the help, whose '\n' continue it under its start.
void AppendHelpLine(std::string& text, std::string left, const char* help) {
  left.resize(std::max(left.size() + 2, kHelpColumn), ' ');
  text += left;
  for (const char* c = help; *c != '\0'; ++c) {
    text += *c;
    if (*c == '\n') {
      text.append(kHelpColumn, ' ');
    }
  }
  text += '\n';
}

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

// "text, plain, jsonl or csv"
std::string FormatNames() {
  std::string names;
  const std::span<const OutputFormat> formats = OutputFormats();
  for (std::size_t i = 0; i < formats.size(); ++i) {
    if (i != 0) {
      names += i + 1 == formats.size() ? " or " : ", ";
    }
    names += formats[i].name;
  }
  return names;
}

std::string ReadFormat(const std::string& name, CliOptions& options) {
  const OutputFormat* format = FindOutputFormat(name);
  if (format == nullptr) {
    return "unknown format '" + name + "' (" + FormatNames() + ")";
  }
  options.format = format;
  return {};
}

// Calls take(item) for each item of a comma-separated list; stops at the
// first problem it returns.
template <class Take>
std::string ForEachListItem(std::string_view list, const Take& take) {
  for (;;) {
    const std::size_t comma = list.find(',');
    if (std::string problem = take(list.substr(0, comma)); !problem.empty()) {
      return problem;
    }
    if (comma == std::string_view::npos) {
      return {};
    }
    list.remove_prefix(comma + 1);
  }
}

std::string ReadKinds(const std::string& list, CliOptions& options) {
  return ForEachListItem(list, [&](std::string_view name) {
    for (const StringKind kind : {StringKind::Ansi, StringKind::Unicode, StringKind::Resource}) {
      if (name == KindName(kind)) {
        options.kinds = static_cast<KindMask>(options.kinds | KindBit(kind));
        return std::string();
      }
    }
    return "no kind of string is named '" + std::string(name) + "' (ansi, unicode or resource)";
  });
}

std::string ReadTags(const std::string& list, CliOptions& options) {
  return ForEachListItem(list, [&](std::string_view name) {
    if (const std::optional<TagId> tag = FindTag(name)) {
      options.wantedTags = static_cast<TagSet>(options.wantedTags | TagBit(*tag));
      return std::string();
    }
    std::string names;
    for (const TagInfo& tag : TagTable()) {
      names += names.empty() ? "" : "  ";
      names += tag.name;
    }
    return "no tag is named '" + std::string(name) + "'; the tags are:\n  " + names;
  });
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

// An option as an argument writes it: its row (nullptr for none), the name
// it was given by, and a value written into the same argument.
struct Spelling {
  const OptionRow* row = nullptr;
  std::string name;
  std::optional<std::string> inlineValue;
};

// "--name=VALUE" and "-nVALUE" carry their value; "-qx" is no option.
Spelling ReadSpelling(const std::string& arg) {
  Spelling spelling{nullptr, arg, std::nullopt};
  if (arg[1] == '-') {
    if (const std::size_t equals = arg.find('='); equals != std::string::npos) {
      spelling.inlineValue = arg.substr(equals + 1);
      spelling.name.resize(equals);
    }
    spelling.row = FindLong(spelling.name);
    return spelling;
  }
  spelling.name = arg.substr(0, 2);
  spelling.row = FindShort(spelling.name);
  if (spelling.row != nullptr && arg.size() > 2) {
    if (spelling.row->value == OptionValue::None) {
      spelling.row = nullptr;
      spelling.name = arg;
    } else {
      spelling.inlineValue = arg.substr(2);
    }
  }
  return spelling;
}

// The option's value: the one in its own argument, else the next argument,
// which `i` then moves past. Returns a usage error, or an empty text.
std::string TakeValue(const Spelling& spelling, std::span<const char* const> args, std::size_t& i,
                      std::string& value) {
  const OptionValue kind = spelling.row->value;
  if (kind == OptionValue::None) {
    return spelling.inlineValue ? "option '" + spelling.name + "' takes no value" : std::string();
  }
  if (spelling.inlineValue) {
    value = *spelling.inlineValue;
  } else if (i + 1 < args.size()) {
    value = args[++i];
  } else {
    return "option '" + spelling.name + "' needs " +
           (kind == OptionValue::Digits ? "a number" : "a value");
  }
  if (kind == OptionValue::Digits && (value.empty() || !AllDigits(value))) {
    return "option '" + spelling.name + "' takes digits only, not '" + value + "'";
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
    const Spelling spelling = ReadSpelling(arg);
    if (spelling.row == nullptr) {
      return "unknown option '" + spelling.name + "'";
    }
    std::string value;
    if (std::string problem = TakeValue(spelling, args, i, value); !problem.empty()) {
      return problem;
    }
    if (std::string problem = spelling.row->apply(value, options); !problem.empty()) {
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

bool SelectionGiven(const CliOptions& options) {
  return options.grepPattern || options.kinds != 0 || options.minLength || options.maxLength ||
         options.wantedTags != 0;
}

FilterTerms SelectionTerms(const CliOptions& options) {
  FilterTerms terms;
  terms.pattern = PatternFromUtf8(options.grepPattern.value_or(""));
  terms.regex = !options.fixedStrings;
  terms.matchCase = !options.ignoreCase;
  terms.kinds = options.kinds != 0 ? options.kinds : kAllKinds;
  terms.minLength = options.minLength.value_or(0);
  terms.maxLength = options.maxLength.value_or(kNoMaxLength);
  terms.wantedTags = options.wantedTags;
  return terms;
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
    AppendHelpLine(text, left, row.help);
  }
  text += "\nFORMAT is one of:\n";
  for (const OutputFormat& format : OutputFormats()) {
    const std::string help(format.help);
    AppendHelpLine(text, "  " + std::string(format.name), help.c_str());
  }
  return text + kHelpTail;
}

std::string TagListText() {
  std::size_t column = 0;
  for (const TagInfo& tag : TagTable()) {
    column = std::max(column, tag.name.size() + 2);
  }
  std::string text;
  for (const TagInfo& tag : TagTable()) {
    text += tag.name;
    text.append(column - tag.name.size(), ' ');
    text += tag.description;
    text += '\n';
  }
  return text;
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
