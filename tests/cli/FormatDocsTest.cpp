// The manual page and the shell completion are written by hand; these tests
// hold them to the option table and the table of output formats, so that a
// new option or format cannot ship undocumented or uncompleted.

// Standard library
#include <algorithm>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// Ours
#include "cli/CliOptions.h"
#include "tags/TagTable.h"
#include "views/OutputFormats.h"

namespace quillex {
namespace {

std::string ReadData(const std::string& name) {
  std::ifstream in(std::string(QUILLEX_DATA_DIR) + "/" + name, std::ios::binary);
  EXPECT_TRUE(in.good()) << name;
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

// The manual page with roff's "\-" read as "-".
std::string ManualPage() {
  return std::regex_replace(ReadData("man/quillex-scan.1.in"), std::regex(R"(\\-)"), "-");
}

// The text of the page's item (".TP" paragraph) that documents `option`.
std::string ManualItem(const std::string& page, const std::string& option) {
  const std::size_t at = page.find("\n.TP\n.BI " + option + " ");
  if (at == std::string::npos) {
    return {};
  }
  const std::size_t end = page.find("\n.TP\n", at + 1);
  return page.substr(at, end - at);
}

// The words the completion offers at the first "compgen -W '...'" after
// `context`.
std::vector<std::string> Offered(const std::string& context) {
  const std::string completion = ReadData("quillex-scan.bash");
  const std::size_t at = completion.find(context);
  EXPECT_NE(at, std::string::npos) << context;
  const std::string rest = at == std::string::npos ? std::string() : completion.substr(at);
  std::smatch match;
  if (!std::regex_search(rest, match, std::regex("compgen -W '([^']*)'"))) {
    ADD_FAILURE() << "no word list after " << context;
    return {};
  }
  return Words(match[1].str());
}

TEST(FormatDocs, CompletionOffersExactlyTheFormats) {
  std::vector<std::string> names;
  for (const OutputFormat& format : OutputFormats()) {
    names.emplace_back(format.name);
  }
  EXPECT_EQ(Offered("    --format)\n"), names);
}

TEST(FormatDocs, ManualPageNamesEveryFormat) {
  const std::string item = ManualItem(ManualPage(), "--format");
  ASSERT_FALSE(item.empty()) << "the manual page documents --format";
  for (const OutputFormat& format : OutputFormats()) {
    const std::regex named("\n\\.BR? " + std::string(format.name) + "( |\n)");
    EXPECT_TRUE(std::regex_search(item, named)) << format.name << " in:\n" << item;
  }
}

// The tag names are the tag table's, in the manual page and the completion.
TEST(FormatDocs, TagsAreDocumentedAndCompleted) {
  std::vector<std::string> names;
  for (const TagInfo& tag : TagTable()) {
    names.emplace_back(tag.name);
  }
  EXPECT_EQ(Offered("    --tag)\n"), names);
  EXPECT_EQ(Offered("    --kind)\n"), (std::vector<std::string>{"ansi", "unicode", "resource"}));
  const std::string item = ManualItem(ManualPage(), "--tag");
  ASSERT_FALSE(item.empty()) << "the manual page documents --tag";
  for (const std::string& name : names) {
    EXPECT_TRUE(std::regex_search(item, std::regex("\n\\.[BR]+ (\\( )?" + name + "[ ,)\n]")))
        << name << " in:\n"
        << item;
  }
}

TEST(FormatDocs, EveryOptionIsDocumentedAndCompleted) {
  const std::string page = ManualPage();
  const std::vector<std::string> offered = Offered("if [[ \"$cur\" == -* ]]");
  for (const OptionRow& row : OptionTable()) {
    for (const char* name : {row.shortName, row.longName}) {
      if (name == nullptr) {
        continue;
      }
      EXPECT_NE(page.find(name), std::string::npos) << name << " in the manual page";
      EXPECT_NE(std::find(offered.begin(), offered.end(), name), offered.end())
          << name << " in the completion";
    }
  }
}

}  // namespace
}  // namespace quillex
