// Standard library
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

// Ours
#include "cli/CliOptions.h"
#include "filter/CharGroup.h"
#include "tags/TagId.h"
#include "views/FilterTerms.h"

namespace quillex {
namespace {

struct Parsed {
  std::string problem;
  CliOptions options;
};

Parsed Parse(const std::vector<std::string>& args) {
  std::vector<const char*> argv;
  for (const std::string& arg : args) {
    argv.push_back(arg.c_str());
  }
  Parsed parsed;
  parsed.problem = ParseCommandLine(argv, parsed.options);
  return parsed;
}

TEST(CliOptions, HelpListsEveryOptionOfTheTable) {
  const std::string help = HelpText();
  for (const OptionRow& row : OptionTable()) {
    std::string left = "\n  ";
    if (row.shortName != nullptr) {
      left += std::string(row.shortName) + ", ";
    }
    left += row.longName;
    if (row.valueName != nullptr) {
      left += std::string(" ") + row.valueName;
    }
    const std::size_t at = help.find(left + " ");
    ASSERT_NE(at, std::string::npos) << left;
    const std::string firstLine = std::string(row.help).substr(0, std::string(row.help).find('\n'));
    EXPECT_EQ(help.substr(at + 1, 24 + firstLine.size()).substr(24), firstLine) << left;
    // Every name of the table parses.
    std::vector<std::string> args{row.longName};
    if (row.value != OptionValue::None) {
      const std::string_view name = row.longName;
      args.push_back(name == "--format"                 ? "csv"
                     : name == "--kind"                 ? "ansi"
                     : name == "--tag"                  ? "url"
                     : row.value == OptionValue::Digits ? "7"
                                                        : "A-Z");
    }
    EXPECT_EQ(Parse(args).problem, "") << row.longName;
    if (row.shortName != nullptr) {
      args[0] = row.shortName;
      EXPECT_EQ(Parse(args).problem, "") << row.shortName;
    }
  }
}

TEST(CliOptions, ValuesAndTheirForms) {
  // -n is --min, in every form a value can take.
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"-n", "8"}, {"-n8"}, {"--min", "8"}, {"--min=8"}}) {
    const Parsed parsed = Parse(args);
    EXPECT_EQ(parsed.problem, "");
    EXPECT_EQ(parsed.options.minText, "8") << args[0];
  }
  const Parsed many = Parse({"a", "-", "--max=0", "-oout.txt", "--", "-q", "--plain"});
  EXPECT_EQ(many.problem, "");
  EXPECT_EQ(many.options.inputs, (std::vector<std::string>{"a", "-", "-q", "--plain"}));
  EXPECT_EQ(many.options.maxText, "0");
  EXPECT_EQ(many.options.outputPath, "out.txt");
  EXPECT_FALSE(many.options.quiet);
  EXPECT_EQ(many.options.format->name, "text");

  EXPECT_EQ(Parse({"--plain"}).options.format->name, "plain");
  EXPECT_EQ(Parse({"--format", "plain"}).options.format->name, "plain");
  EXPECT_EQ(Parse({"--format=jsonl"}).options.format->name, "jsonl");
  EXPECT_EQ(Parse({"--plain", "--format", "csv"}).options.format->name, "csv")
      << "the last one counts";
  EXPECT_EQ(Parse({"--format", "xml"}).problem, "unknown format 'xml' (text, plain, jsonl or csv)");
  EXPECT_EQ(Parse({"-o", "-"}).options.outputPath, "-");
  EXPECT_EQ(Parse({"--repeat", "0"}).options.repeatText, "0");
  EXPECT_EQ(Parse({"--pool-limit", "20"}).options.poolLimit, 20u);
  EXPECT_EQ(Parse({"--include", ""}).options.includeChars, "");

  // --help ends the parsing where it stands, whatever follows.
  const Parsed help = Parse({"-q", "--help", "--bogus"});
  EXPECT_EQ(help.problem, "");
  EXPECT_TRUE(help.options.help);
}

TEST(CliOptions, CharacterArgumentsAreWindows1252) {
  // A terminal's UTF-8 becomes the code page's bytes, as on the page.
  EXPECT_EQ(CharsFromArgument("caf\xC3\xA9 \xE2\x82\xAC"), "caf\xE9 \x80");
  EXPECT_EQ(Parse({"--include", "\xC3\xA9"}).options.includeChars, "\xE9");
  EXPECT_EQ(Parse({"--must-contain=\xC3\x9F"}).options.mustContainChars, "\xDF");
  // Characters the code page lacks are left out, not guessed at.
  EXPECT_EQ(CharsFromArgument("a\xE4\xB8\x80"
                              "b\xF0\x9F\x98\x80"),
            "ab");
  // Bytes that are not UTF-8 are taken as they are.
  EXPECT_EQ(CharsFromArgument("\xE9t\xE9"), "\xE9t\xE9");
  EXPECT_EQ(CharsFromArgument("\xC3"), "\xC3");
  EXPECT_EQ(CharsFromArgument("\xC0\xAF"), "\xC0\xAF") << "an overlong form is not UTF-8";
  EXPECT_EQ(CharsFromArgument("plain"), "plain");
}

TEST(CliOptions, UsageErrors) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
      {{"--min", "5x"}, "option '--min' takes digits only, not '5x'"},
      {{"-n", "-3"}, "option '-n' takes digits only, not '-3'"},
      {{"--max="}, "option '--max' takes digits only, not ''"},
      {{"--repeat"}, "option '--repeat' needs a number"},
      {{"--include"}, "option '--include' needs a value"},
      {{"--bogus"}, "unknown option '--bogus'"},
      {{"-x"}, "unknown option '-x'"},
      {{"-qv"}, "unknown option '-qv'"},
      {{"--plain=yes"}, "option '--plain' takes no value"},
      {{"-o", ""}, "the output FILE name is empty"},
      {{"--pool-limit", "0"}, "option '--pool-limit' needs a number from 1 to 4294967295"},
      {{"--format", "xml"}, "unknown format 'xml' (text, plain, jsonl or csv)"},
      {{"--exclude", "comma,"}, "an empty group name in 'comma,' (the group \",\" is named comma)"},
      {{"--kind", "ansi,wide"}, "no kind of string is named 'wide' (ansi, unicode or resource)"},
      {{"--kind", "ANSI"}, "no kind of string is named 'ANSI' (ansi, unicode or resource)"},
      {{"--kind", ""}, "no kind of string is named '' (ansi, unicode or resource)"},
      {{"--min-length", "-1"}, "option '--min-length' takes digits only, not '-1'"},
      {{"--grep"}, "option '--grep' needs a value"},
      {{"-F=x"}, "unknown option '-F=x'"},
  };
  for (const auto& [args, problem] : cases) {
    EXPECT_EQ(Parse(args).problem, problem) << args[0];
  }
  // An unknown group lists the names.
  const std::string unknown = Parse({"--only", "a-z,Bogus"}).problem;
  EXPECT_EQ(unknown.rfind("no character group is named 'Bogus'; the groups are:\n", 0), 0u);
  for (const CharGroup& group : CharGroups()) {
    EXPECT_NE(unknown.find(group.name), std::string::npos) << group.name;
  }
}

// The selection options make the window's filter: the pattern converted as
// typed text is, a regular expression unless -F, matching case unless -i.
TEST(CliOptions, SelectionTerms) {
  const Parsed none = Parse({"-n", "3", "--max", "9"});
  EXPECT_FALSE(SelectionGiven(none.options)) << "the scan's fields select nothing";
  EXPECT_FALSE(SelectionTerms(none.options).FiltersAnything());
  EXPECT_TRUE(SelectionTerms(none.options).regex);
  EXPECT_TRUE(SelectionTerms(none.options).matchCase);

  const Parsed all = Parse({"--grep", "caf\xC3\xA9|\xE4\xB8\xAD", "-F", "-i", "--kind",
                            "unicode,resource", "--kind=ansi", "--min-length", "3",
                            "--max-length=99999999999", "--tag", "url,pdb", "--tag", "hash"});
  ASSERT_EQ(all.problem, "");
  EXPECT_TRUE(SelectionGiven(all.options));
  FilterTerms expected;
  expected.pattern = std::string("caf\xE9|\0", 6);
  expected.regex = false;
  expected.matchCase = false;
  expected.kinds = kAllKinds;
  expected.minLength = 3;
  expected.maxLength = kNoMaxLength;
  expected.wantedTags = TagBit(TagId::Url) | TagBit(TagId::Pdb) | TagBit(TagId::Hash);
  EXPECT_EQ(SelectionTerms(all.options), expected) << "lists add up; a huge length is no bound";

  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--kind", "ansi"},
                                             {"--min-length", "0"},
                                             {"--max-length", "5"},
                                             {"--tag", "guid"},
                                             {"--grep", ""}}) {
    EXPECT_TRUE(SelectionGiven(Parse(args).options)) << args[0];
  }
  EXPECT_EQ(SelectionTerms(Parse({"--kind", "resource"}).options).kinds,
            KindBit(StringKind::Resource));
  EXPECT_EQ(SelectionTerms(Parse({"--max-length", "0"}).options).maxLength, 0u);

  // An unknown tag lists the names, which --list-tags prints with their
  // descriptions.
  const std::string unknown = Parse({"--tag", "url,URL"}).problem;
  EXPECT_EQ(unknown.rfind("no tag is named 'URL'; the tags are:\n  url  domain  ipv4", 0), 0u)
      << unknown;
  const std::string list = TagListText();
  EXPECT_EQ(list.rfind("url           a URL: ", 0), 0u) << list;
  EXPECT_NE(list.find("\nwindows-path  "), std::string::npos) << list;
  EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), static_cast<long>(kTagCount));
}

TEST(CliOptions, GroupSelection) {
  EXPECT_EQ(SelectedGroups(Parse({}).options), GroupSelection::Defaults());
  EXPECT_EQ(SelectedGroups(Parse({"--only", ""}).options), GroupSelection::None());

  GroupSelection expected = GroupSelection::None();
  expected.Tick(27, true);
  expected.Tick(19, true);
  expected.Tick(15, true);
  EXPECT_EQ(SelectedGroups(Parse({"--only", "A-Z,0-9", "--only=comma"}).options), expected)
      << "the lists add up";
  expected.Tick(19, false);
  EXPECT_EQ(SelectedGroups(Parse({"--only", "A-Z,0-9,comma", "--exclude", "0-9"}).options),
            expected);

  expected = GroupSelection::Defaults();
  expected.Tick(2, false);
  expected.Tick(10, false);
  EXPECT_EQ(SelectedGroups(Parse({"--exclude", "SPACE,apostrophe"}).options), expected);

  // Every group is listed once with its default state.
  const std::string list = GroupListText();
  std::size_t at = 0;
  for (int group = 0; group < kGroupCount; ++group) {
    const std::string line =
        std::string(GroupSelection::Defaults().IsTicked(group) ? "yes  " : "no   ") +
        std::string(CharGroupAt(group)->name) + "\n";
    EXPECT_EQ(list.substr(at, line.size()), line);
    at += line.size();
  }
  EXPECT_EQ(at, list.size());
}

}  // namespace
}  // namespace quillex
