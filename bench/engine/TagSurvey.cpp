// Runs the tagger over real files and prints what it found: how many strings
// carry each tag, and a sample of them per tag, for reading through for
// false positives.
//
//   build/bench/tag_survey [--samples N] [--only TAG] FILE|FOLDER...
//
// Folders are walked for regular files. Every file is scanned as the program
// scans it, with the default criteria.

// Standard library
#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

// Ours
#include "scan/ScanDriver.h"
#include "scan/ScanHost.h"
#include "tags/TagResults.h"
#include "tags/TagTable.h"
#include "tags/Tagger.h"

namespace quillex {
namespace {

class QuietHost : public ScanHost {
 public:
  void ShowCount(StringKind, std::uint32_t) override {}
  bool ScanPump() override { return true; }
  void WarnDamagedResources() override {}
  void ReportOpenFailure(const std::string&, const std::string&) override {}
};

struct TagFindings {
  std::uint64_t count = 0;
  // A uniform sample of the texts: reservoir sampling over all files.
  std::vector<std::string> sample;
};

struct Survey {
  std::size_t samples = 20;
  int only = -1;
  std::array<TagFindings, kTagCount> findings;
  std::uint64_t strings = 0;
  std::uint64_t tagged = 0;
  std::uint64_t files = 0;
  std::mt19937_64 random{18};
};

void Record(Survey& survey, TagId id, const std::string& file, std::string_view text) {
  TagFindings& findings = survey.findings[static_cast<std::size_t>(id)];
  ++findings.count;
  std::string line = file + ": " + std::string(text.substr(0, 200));
  if (survey.only == static_cast<int>(id)) {
    std::printf("%s\n", line.c_str());
  }
  if (findings.sample.size() < survey.samples) {
    findings.sample.push_back(std::move(line));
  } else if (const std::uint64_t slot = survey.random() % findings.count; slot < survey.samples) {
    findings.sample[slot] = std::move(line);
  }
}

void SurveyFile(Survey& survey, const Tagger& tagger, ScanEngine& engine,
                const std::filesystem::path& path) {
  QuietHost host;
  const ScanReport report = RunScan(path.string(), engine, host);
  if (!report.opened) {
    return;
  }
  ++survey.files;
  const ResultStore& store = engine.store;
  std::vector<TagSet> tags(store.Count());
  const std::atomic<bool> cancel{false};
  if (TagResults(tagger, store, tags, cancel) != TagRunStatus::Done) {
    std::fprintf(stderr, "%s: tagging failed\n", path.c_str());
    return;
  }
  survey.strings += store.Count();
  for (std::uint32_t i = 0; i < store.Count(); ++i) {
    if (tags[i] == 0) {
      continue;
    }
    ++survey.tagged;
    const std::string_view text(store.Text(i), store.TextLength(i));
    for (const TagInfo& tag : TagTable()) {
      if (HasTag(tags[i], tag.id)) {
        Record(survey, tag.id, path.filename().string(), text);
      }
    }
  }
}

void Print(const Survey& survey) {
  std::printf("%llu files, %llu strings, %llu tagged\n",
              static_cast<unsigned long long>(survey.files),
              static_cast<unsigned long long>(survey.strings),
              static_cast<unsigned long long>(survey.tagged));
  std::vector<const TagInfo*> order;
  for (const TagInfo& tag : TagTable()) {
    order.push_back(&tag);
  }
  const auto countOf = [&](const TagInfo* tag) {
    return survey.findings[static_cast<std::size_t>(tag->id)].count;
  };
  std::stable_sort(order.begin(), order.end(),
                   [&](const TagInfo* a, const TagInfo* b) { return countOf(a) > countOf(b); });
  for (const TagInfo* tag : order) {
    std::printf("%-13s %llu\n", std::string(tag->name).c_str(),
                static_cast<unsigned long long>(countOf(tag)));
  }
  for (const TagInfo* tag : order) {
    std::printf("\n== %s\n", std::string(tag->name).c_str());
    for (const std::string& line : survey.findings[static_cast<std::size_t>(tag->id)].sample) {
      std::printf("  %s\n", line.c_str());
    }
  }
}

}  // namespace
}  // namespace quillex

int main(int argc, char** argv) {
  using namespace quillex;
  Survey survey;
  std::vector<std::filesystem::path> paths;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--samples" && i + 1 < argc) {
      survey.samples = static_cast<std::size_t>(std::strtoul(argv[++i], nullptr, 10));
    } else if (argument == "--only" && i + 1 < argc) {
      const auto id = FindTag(argv[++i]);
      survey.only = id ? static_cast<int>(*id) : -1;
    } else {
      paths.emplace_back(argument);
    }
  }
  const Tagger tagger;
  ScanEngine engine;
  engine.table.RestoreDefaults();
  std::error_code error;
  for (const std::filesystem::path& path : paths) {
    if (!std::filesystem::is_directory(path, error)) {
      SurveyFile(survey, tagger, engine, path);
      continue;
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(
             path, std::filesystem::directory_options::skip_permission_denied, error)) {
      if (entry.is_regular_file(error) && !entry.is_symlink(error)) {
        SurveyFile(survey, tagger, engine, entry.path());
      }
    }
  }
  Print(survey);
  return 0;
}
