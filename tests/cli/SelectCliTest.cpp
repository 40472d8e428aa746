// quillex-scan's selection options (--grep, -F, -i, --kind, --min-length,
// --max-length, --tag) and the section and tags fields of its records: the
// rows written in every format are the text layout's rows that match.

// Standard library
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// Ours
#include "cli/CliOptions.h"
#include "cli/ScanCliFixture.h"
#include "support/PeBuilder.h"
#include "support/RecordParsers.h"

namespace quillex {
namespace {

using testing::Bytes;
using testing::JsonLineReader;
using testing::JsonObject;
using testing::JsonStrings;
using testing::Lines;
using testing::Outcome;
using testing::TextRow;
using testing::TextRows;
using testing::Utf8;

// One row of the unfiltered output: the text layout's row with the kind and
// tags its JSON Lines record gives.
struct Found {
  TextRow row;
  std::string kind;
  JsonStrings tags;
};

using Wanted = std::function<bool(const Found&)>;

// Windows-1252 text with its letters in lower case, as -i folds them.
std::string Folded(std::string text) {
  for (char& c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7)) {
      c = static_cast<char>(byte + 0x20);
    }
  }
  return text;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

bool Matches(const std::string& text, const char* regex) {
  return std::regex_search(text, std::regex(regex));
}

bool Tagged(const Found& found, const std::string& tag) {
  return std::find(found.tags.begin(), found.tags.end(), tag) != found.tags.end();
}

// ANSI, Unicode and resource strings with Windows-1252 letters in both cases,
// a URL, paths and a registry key.
Bytes SelectImage() {
  Bytes image = testing::RecordsImage();
  using namespace std::string_literals;
  const std::string extra =
      "http://example.com/setup.exe\0C:\\Windows\\System32\\drivers\0CAF\xC9 CR\xC8ME\0"
      "Wordy words here\0a{e}c and ebc\0"s;
  image.insert(image.end(), extra.begin(), extra.end());
  for (const char c : std::string("HKEY_LOCAL_MACHINE\\Software\\Wide")) {
    image.push_back(static_cast<std::uint8_t>(c));
    image.push_back(0);
  }
  image.insert(image.end(), {0, 0});
  return image;
}

// The written rows of one format, each as "offset|text" (the text as
// Windows-1252 bytes in the text layouts, UTF-8 in the records; plain has no
// offset).
std::vector<std::string> WrittenRows(const std::string& format, const std::string& out) {
  std::vector<std::string> rows;
  if (format == "text") {
    for (const TextRow& row : TextRows(out)) {
      rows.push_back(std::to_string(row.offset) + "|" + row.text);
    }
  } else if (format == "plain") {
    rows = Lines(out);
  } else if (format == "jsonl") {
    for (const std::string& line : Lines(out)) {
      const std::optional<JsonObject> object = JsonLineReader::Parse(line);
      EXPECT_TRUE(object.has_value()) << line;
      rows.push_back(std::to_string(std::get<std::uint64_t>((*object)[2].second)) + "|" +
                     std::get<std::string>((*object)[5].second));
    }
  } else {
    const auto cells = testing::ParseCsv(out);
    EXPECT_TRUE(cells.has_value()) << out;
    EXPECT_FALSE(cells->empty()) << "csv always has its header";
    for (std::size_t i = 1; i < cells->size(); ++i) {
      rows.push_back((*cells)[i][2] + "|" + (*cells)[i][5]);
    }
  }
  return rows;
}

std::vector<std::string> ExpectedRows(const std::string& format, const std::vector<Found>& all,
                                      const Wanted& wanted) {
  std::vector<std::string> rows;
  for (const Found& found : all) {
    if (!wanted(found)) {
      continue;
    }
    const std::string offset = std::to_string(found.row.offset) + "|";
    if (format == "plain") {
      rows.push_back(found.row.text);
    } else if (format == "text") {
      rows.push_back(offset + found.row.text);
    } else {
      rows.push_back(offset + Utf8(found.row.text));
    }
  }
  return rows;
}

class SelectCliTest : public testing::ScanCliTest {
 protected:
  // Every row of the scan: the text layout, with kinds and tags from jsonl.
  std::vector<Found> AllRows(const std::vector<std::string>& scan) {
    std::vector<std::string> args = scan;
    args.insert(args.begin(), "-q");
    const Outcome text = Run(args);
    args.insert(args.begin(), {"--format", "jsonl"});
    const Outcome jsonl = Run(args);
    const std::vector<TextRow> rows = TextRows(text.out);
    const std::vector<std::string> records = Lines(jsonl.out);
    EXPECT_EQ(rows.size(), records.size());
    std::vector<Found> all;
    for (std::size_t i = 0; i < std::min(rows.size(), records.size()); ++i) {
      const std::optional<JsonObject> object = JsonLineReader::Parse(records[i]);
      EXPECT_TRUE(object.has_value()) << records[i];
      EXPECT_EQ(std::get<std::uint64_t>((*object)[2].second), rows[i].offset);
      all.push_back(Found{rows[i], std::get<std::string>((*object)[1].second),
                          std::get<JsonStrings>((*object)[8].second)});
    }
    return all;
  }
};

TEST_F(SelectCliTest, EveryFormatWritesTheTextLayoutsMatchingRows) {
  ASSERT_TRUE(testing::WriteBytes(Path("image.exe"), SelectImage()));
  const std::vector<std::string> scan{"--include", "\xe9\x80\xc9\xc8", Path("image.exe")};
  const std::vector<Found> all = AllRows(scan);
  ASSERT_GE(all.size(), 12u);

  const std::vector<std::pair<std::vector<std::string>, Wanted>> cases{
      {{"--grep", "wor"}, [](const Found& f) { return Contains(f.row.text, "wor"); }},
      {{"--grep", "^[A-Z][a-z]+ "},
       [](const Found& f) { return Matches(f.row.text, "^[A-Z][a-z]+ "); }},
      {{"-i", "--grep", "WOR"}, [](const Found& f) { return Contains(Folded(f.row.text), "wor"); }},
      {{"--grep", "e.c"}, [](const Found& f) { return Matches(f.row.text, "e.c"); }},
      {{"-F", "--grep", "e.c"}, [](const Found& f) { return Contains(f.row.text, "e.c"); }},
      {{"--fixed-strings", "--grep", "a{e}c"},
       [](const Found& f) { return Contains(f.row.text, "a{e}c"); }},
      {{"-F", "-i", "--grep", "caf\xC3\xA9"},
       [](const Found& f) { return Contains(Folded(f.row.text), "caf\xe9"); }},
      {{"-F", "--grep", "caf\xC3\xA9"},
       [](const Found& f) { return Contains(f.row.text, "caf\xe9"); }},
      {{"--ignore-case", "--grep", "CR\xC3\xA8ME$"},
       [](const Found& f) { return Matches(Folded(f.row.text), "cr\xe8me$"); }},
      {{"-F", "--grep", "5\xE2\x82\xAC"},
       [](const Found& f) { return Contains(f.row.text, "5\x80"); }},
      {{"--kind", "unicode,resource"}, [](const Found& f) { return f.kind != "ansi"; }},
      {{"--kind", "resource"}, [](const Found& f) { return f.kind == "resource"; }},
      {{"--min-length", "9", "--max-length", "12"},
       [](const Found& f) { return f.row.text.size() >= 9 && f.row.text.size() <= 12; }},
      {{"--kind", "ansi", "--grep", "o[a-z]", "--max-length", "17"},
       [](const Found& f) {
         return f.kind == "ansi" && Matches(f.row.text, "o[a-z]") && f.row.text.size() <= 17;
       }},
      {{"--tag", "url"}, [](const Found& f) { return Tagged(f, "url"); }},
      {{"--tag", "windows-path,registry"},
       [](const Found& f) { return Tagged(f, "windows-path") || Tagged(f, "registry"); }},
  };
  for (const auto& [options, wanted] : cases) {
    const std::string name = ::testing::PrintToString(options);
    const std::size_t shown = ExpectedRows("plain", all, wanted).size();
    EXPECT_GT(shown, 0u) << name;
    EXPECT_LT(shown, all.size()) << name;
    for (const std::string format : {"text", "plain", "jsonl", "csv"}) {
      std::vector<std::string> args = options;
      args.insert(args.end(), {"--format", format});
      args.insert(args.end(), scan.begin(), scan.end());
      const Outcome outcome = Run(args);
      EXPECT_EQ(outcome.status, 0) << name << outcome.err;
      EXPECT_EQ(WrittenRows(format, outcome.out), ExpectedRows(format, all, wanted))
          << name << " " << format;
      const std::vector<std::string> err = Lines(outcome.err);
      ASSERT_EQ(err.size(), 5u) << outcome.err;
      EXPECT_EQ(err[4], std::to_string(shown) + " of " + std::to_string(all.size()) + " shown");
    }
  }
}

TEST_F(SelectCliTest, NothingShownAndBadPatterns) {
  ASSERT_TRUE(testing::WriteBytes(Path("image.exe"), SelectImage()));
  const std::string file = Path("image.exe");
  const std::vector<std::string> err = Lines(Run({file}).err);
  ASSERT_EQ(err.size(), 4u);
  for (const std::string format : {"text", "plain", "jsonl", "csv"}) {
    const Outcome none = Run({"--grep", "zzzz", "--format", format, file});
    EXPECT_EQ(none.status, 0) << "nothing matching is no failure";
    EXPECT_EQ(none.out,
              format == "csv" ? "file,kind,offset,address,id,text,length,section,tags\r\n" : "")
        << format;
    const std::vector<std::string> lines = Lines(none.err);
    ASSERT_EQ(lines.size(), 5u) << none.err;
    EXPECT_EQ(lines[0], err[0]) << "the counts are the scan's";
    EXPECT_EQ(lines[4],
              "0 of " +
                  std::to_string(std::stoul(err[0].substr(4)) + std::stoul(err[1].substr(4)) +
                                 std::stoul(err[2].substr(4))) +
                  " shown");
  }
  // -q keeps the summary out; several files name theirs.
  EXPECT_EQ(Run({"-q", "--grep", "zzzz", file}).err, "");
  const Outcome two = Run({"--kind", "resource", file, file});
  const std::vector<std::string> twoLines = Lines(two.err);
  ASSERT_EQ(twoLines.size(), 10u) << two.err;
  EXPECT_EQ(twoLines[4].rfind(file + ": 2 of ", 0), 0u) << twoLines[4];
  EXPECT_EQ(twoLines[9], twoLines[4]);
  // Without a selection option there is no such line.
  EXPECT_EQ(Run({"-i", "-F", file}).err.find(" shown"), std::string::npos);

  for (const std::string bad : {"(abc", "a{2,1}", "[z-a]", "x**", "\\"}) {
    const Outcome outcome = Run({"--grep", bad, file});
    EXPECT_EQ(outcome.status, 2) << bad;
    EXPECT_EQ(outcome.out, "") << bad;
    EXPECT_EQ(outcome.err.rfind("quillex-scan: the --grep PATTERN does not compile: ", 0), 0u)
        << outcome.err;
    // As plain text it is no expression at all.
    EXPECT_EQ(Run({"-q", "-F", "--grep", bad, file}).status, 0) << bad;
  }
  EXPECT_NE(Run({"--grep", "(abc", file}).err.find("missing ): (abc"), std::string::npos)
      << "RE2's own words";

  const Outcome unknownTag = Run({"--tag", "url,nope", file});
  EXPECT_EQ(unknownTag.status, 2);
  EXPECT_NE(unknownTag.err.find("no tag is named 'nope'; the tags are:\n  url  domain"),
            std::string::npos)
      << unknownTag.err;
  const Outcome list = Run({"--list-tags"});
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(list.out, TagListText());
}

const std::string kUrl = "http://example.com/a";
const std::string kPath = "C:\\Temp\\file.txt";
const std::string kWords = "plain calc words";
const std::string kTail = "trailing text here";

// A URL (ANSI) and a path (Unicode) in ".text", words in a section named
// like a formula, a string table in ".rsrc", and text past every section.
Bytes SectionsImage() {
  testing::PeBuilder pe;
  pe.ImageBase(0x400000);
  Bytes text(0x200, 0);
  std::copy(kUrl.begin(), kUrl.end(), text.begin() + 0x10);
  for (std::size_t k = 0; k < kPath.size(); ++k) {
    testing::Put16(text, 0x80 + 2 * k, static_cast<std::uint8_t>(kPath[k]));
  }
  pe.AddSection(".text", 0x1000, text);
  Bytes data(0x200, 0);
  std::copy(kWords.begin(), kWords.end(), data.begin() + 0x20);
  pe.AddSection("=calc", 0x2000, data);
  testing::ResourceTree tree;
  tree.AddStrings(1, {u"Open file"});
  pe.AddSection(".rsrc", 0x3000, tree.Build(0x3000).bytes);
  Bytes image = pe.Build();
  image.insert(image.end(), kTail.begin(), kTail.end());
  return image;
}

// The records' section and tags: the section whose raw data holds the
// string, none outside every section, and the string's tags; a section name
// that starts like a formula is guarded in csv.
TEST_F(SelectCliTest, SectionAndTagsFields) {
  ASSERT_TRUE(testing::WriteBytes(Path("image.exe"), SectionsImage()));
  struct Expected {
    std::string kind;
    std::string section;
    JsonStrings tags;
  };
  const std::map<std::string, Expected> expected{
      {kUrl, {"ansi", ".text", {"url", "domain"}}},
      {kPath, {"unicode", ".text", {"windows-path"}}},
      {kWords, {"ansi", "=calc", {}}},
      {"Open file", {"resource", ".rsrc", {}}},
      {kTail, {"ansi", "", {}}},
  };
  const Outcome jsonl = Run({"-q", "--format", "jsonl", Path("image.exe")});
  ASSERT_EQ(jsonl.status, 0) << jsonl.err;
  std::size_t seen = 0;
  for (const std::string& line : Lines(jsonl.out)) {
    const std::optional<JsonObject> object = JsonLineReader::Parse(line);
    ASSERT_TRUE(object.has_value()) << line;
    ASSERT_EQ(object->size(), 9u);
    const auto it = expected.find(std::get<std::string>((*object)[5].second));
    if (it == expected.end() || std::get<std::string>((*object)[1].second) != it->second.kind) {
      continue;
    }
    ++seen;
    EXPECT_EQ(std::get<std::string>((*object)[7].second), it->second.section) << line;
    EXPECT_EQ(std::get<JsonStrings>((*object)[8].second), it->second.tags) << line;
  }
  EXPECT_EQ(seen, expected.size()) << jsonl.out;

  for (const bool raw : {false, true}) {
    std::vector<std::string> args{"-q", "--format", "csv", Path("image.exe")};
    if (raw) {
      args.push_back("--csv-raw");
    }
    const auto cells = testing::ParseCsv(Run(args).out);
    ASSERT_TRUE(cells.has_value());
    seen = 0;
    for (const std::vector<std::string>& row : *cells) {
      ASSERT_EQ(row.size(), 9u);
      const auto it = expected.find(row[5]);
      if (it == expected.end() || row[1] != it->second.kind) {
        continue;
      }
      ++seen;
      const std::string& section = it->second.section;
      EXPECT_EQ(row[7], !raw && section == "=calc" ? "'=calc" : section);
      std::string tags;
      for (const std::string& tag : it->second.tags) {
        tags += (tags.empty() ? "" : ";") + tag;
      }
      EXPECT_EQ(row[8], tags);
    }
    EXPECT_EQ(seen, expected.size());
  }
}

// The text layouts gain no column; --tag selects their rows all the same.
TEST_F(SelectCliTest, TextLayoutsKeepTheirColumns) {
  ASSERT_TRUE(testing::WriteBytes(Path("image.exe"), SectionsImage()));
  const Outcome plain = Run({"-q", "--plain", "--tag", "url", Path("image.exe")});
  EXPECT_EQ(plain.out, kUrl + "\n");
  const Outcome layout = Run({"-q", "--tag", "windows-path", Path("image.exe")});
  const std::vector<TextRow> rows = TextRows(layout.out);
  ASSERT_EQ(rows.size(), 1u) << layout.out;
  EXPECT_EQ(rows[0].text, kPath);
}

}  // namespace
}  // namespace quillex
