// Precision and recall of every tag over the labelled strings of
// TagSamples.tsv: positives and the look-alikes that must not be tagged.

// Standard library
#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// Ours
#include "tags/SuffixCache.h"
#include "tags/TagTable.h"
#include "tags/Tagger.h"

namespace quillex {
namespace {

struct Sample {
  std::size_t line = 0;
  TagSet expected = 0;
  std::string text;
};

// Reads "tag,tag<TAB>text" lines ("-" for no tag); '#' starts a comment line.
std::vector<Sample> ReadSamples(const std::string& path, std::string& errors) {
  std::ifstream in(path);
  if (!in) {
    errors += "cannot open " + path + "\n";
  }
  std::vector<Sample> samples;
  std::string line;
  for (std::size_t number = 1; std::getline(in, line); ++number) {
    if (line.empty() || line[0] == '#') {
      continue;
    }
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos) {
      errors += "line " + std::to_string(number) + ": no tab\n";
      continue;
    }
    Sample sample{number, 0, line.substr(tab + 1)};
    std::stringstream labels(line.substr(0, tab));
    for (std::string name; std::getline(labels, name, ',');) {
      if (name == "-") {
        continue;
      }
      if (const auto id = FindTag(name)) {
        sample.expected = static_cast<TagSet>(sample.expected | TagBit(*id));
      } else {
        errors += "line " + std::to_string(number) + ": unknown tag " + name + "\n";
      }
    }
    samples.push_back(sample);
  }
  return samples;
}

std::string Names(TagSet tags) {
  std::string names;
  for (const TagInfo& tag : TagTable()) {
    if (HasTag(tags, tag.id)) {
      names += (names.empty() ? "" : ",") + std::string(tag.name);
    }
  }
  return names.empty() ? "-" : names;
}

struct Counts {
  std::size_t truePositives = 0;
  std::size_t falsePositives = 0;
  std::size_t falseNegatives = 0;
};

TEST(TagSamples, EveryTagIsPreciseAndFindsMostOfItsStrings) {
  std::string errors;
  const std::vector<Sample> samples = ReadSamples(QUILLEX_TAG_SAMPLES, errors);
  ASSERT_TRUE(errors.empty()) << errors;
  ASSERT_GE(samples.size(), 300u);

  const Tagger tagger;
  ASSERT_TRUE(tagger.Suffixes().Available());
  SuffixCache cache;
  std::array<Counts, kTagCount> counts{};
  std::string mistakes;
  for (const Sample& sample : samples) {
    const TagSet found = tagger.Tag(sample.text, cache);
    if (found != sample.expected) {
      mistakes += "  line " + std::to_string(sample.line) + ": expected " + Names(sample.expected) +
                  ", found " + Names(found) + ": " + sample.text + "\n";
    }
    for (const TagInfo& tag : TagTable()) {
      Counts& count = counts[static_cast<std::size_t>(tag.id)];
      const bool want = HasTag(sample.expected, tag.id);
      const bool got = HasTag(found, tag.id);
      count.truePositives += want && got ? 1 : 0;
      count.falsePositives += !want && got ? 1 : 0;
      count.falseNegatives += want && !got ? 1 : 0;
    }
  }

  std::printf("%zu labelled strings\n%-13s %9s %9s %6s %6s %6s\n", samples.size(), "tag",
              "precision", "recall", "tp", "fp", "fn");
  for (const TagInfo& tag : TagTable()) {
    const Counts& count = counts[static_cast<std::size_t>(tag.id)];
    const std::size_t positives = count.truePositives + count.falseNegatives;
    const std::size_t found = count.truePositives + count.falsePositives;
    const auto share = [](std::size_t part, std::size_t whole) {
      return whole == 0 ? 0.0 : static_cast<double>(part) / static_cast<double>(whole);
    };
    const double precision = share(count.truePositives, found);
    const double recall = share(count.truePositives, positives);
    std::printf("%-13s %9.3f %9.3f %6zu %6zu %6zu\n", std::string(tag.name).c_str(), precision,
                recall, count.truePositives, count.falsePositives, count.falseNegatives);
    // Ten positives at least, so that one miss cannot pass unseen.
    EXPECT_GE(positives, 10u) << tag.name;
    EXPECT_GE(precision, 0.95) << tag.name;
    EXPECT_GE(recall, 0.90) << tag.name;
  }
  std::printf("Strings tagged otherwise than labelled:\n%s", mistakes.c_str());
}

}  // namespace
}  // namespace quillex
