// Tagging a whole store on several threads, and the suffix list's cache.

// Standard library
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

// Ours
#include "store/ResultStore.h"
#include "tags/PublicSuffixes.h"
#include "tags/SuffixCache.h"
#include "tags/TagResults.h"
#include "tags/TagTable.h"
#include "tags/Tagger.h"

namespace quillex {
namespace {

constexpr TagSet kUntouched = 0xFFFF;

// A store whose results cycle through some indicators and plain text, in all
// three kinds.
void Fill(ResultStore& store, std::uint32_t count) {
  const std::vector<std::string> texts = {
      "http://www.example.com/a", "plain text here", "C:\\Windows\\x.dll", "%s: %d",
      "user@example.org",         "192.168.0.1",     "GetProcAddress",     "/usr/bin/env",
      "HKLM\\Software\\x",        "kernel32.dll"};
  const StringKind kinds[] = {StringKind::Ansi, StringKind::Unicode, StringKind::Resource};
  for (std::uint32_t i = 0; i < count; ++i) {
    ASSERT_TRUE(store.AddResult(i * 8, 0, static_cast<std::uint16_t>(i % 7),
                                texts[i % texts.size()].c_str(), kinds[i % 3]));
  }
}

struct TagResultsTest : public ::testing::Test {
  static const Tagger tagger;
};
const Tagger TagResultsTest::tagger;

TEST_F(TagResultsTest, EveryResultOfEveryKindGetsWhatTheTaggerGivesItsText) {
  ResultStore store;
  Fill(store, 1000);
  std::vector<TagSet> expected(store.Count());
  for (std::uint32_t i = 0; i < store.Count(); ++i) {
    expected[i] = tagger.Tag(store.Text(i));
  }
  EXPECT_EQ(expected[0], TagBit(TagId::Url) | TagBit(TagId::Domain));
  EXPECT_EQ(expected[1], 0);
  EXPECT_EQ(expected[2], TagBit(TagId::WindowsPath));  // a Unicode result

  // Chunks of 7 rows: many chunks, a short last one, threads racing for them.
  for (const unsigned threads : {1u, 2u, 4u}) {
    std::vector<TagSet> tags(store.Count(), kUntouched);
    std::atomic<std::uint32_t> progress{0};
    const std::atomic<bool> cancel{false};
    TagRunOptions options;
    options.threads = threads;
    options.chunkRows = 7;
    options.progress = &progress;
    EXPECT_EQ(TagResults(tagger, store, tags, cancel, options), TagRunStatus::Done);
    EXPECT_EQ(tags, expected) << threads << " threads";
    EXPECT_EQ(progress.load(), store.Count());
  }
}

TEST_F(TagResultsTest, ARaisedFlagOrAShortArrayWritesNothing) {
  ResultStore store;
  Fill(store, 100);
  const std::atomic<bool> raised{true};
  const std::atomic<bool> lowered{false};
  TagRunOptions options;
  options.chunkRows = 10;

  std::vector<TagSet> tags(store.Count(), kUntouched);
  EXPECT_EQ(TagResults(tagger, store, tags, raised, options), TagRunStatus::Cancelled);
  EXPECT_EQ(tags, std::vector<TagSet>(store.Count(), kUntouched));

  std::vector<TagSet> shortArray(store.Count() - 1, kUntouched);
  EXPECT_EQ(TagResults(tagger, store, shortArray, lowered, options), TagRunStatus::ArrayTooSmall);
  EXPECT_EQ(shortArray, std::vector<TagSet>(store.Count() - 1, kUntouched));

  // A longer array is fine; the places past the results stay as they were.
  std::vector<TagSet> longArray(store.Count() + 3, kUntouched);
  EXPECT_EQ(TagResults(tagger, store, longArray, lowered, options), TagRunStatus::Done);
  EXPECT_EQ(longArray[store.Count()], kUntouched);
  EXPECT_NE(longArray[0], kUntouched);

  const ResultStore empty;
  std::vector<TagSet> none;
  EXPECT_EQ(TagResults(tagger, empty, none, lowered), TagRunStatus::Done);
}

// A flag raised while the run goes on stops it at a chunk's end: the chunks
// done are whole and right, the others untouched.
TEST_F(TagResultsTest, AFlagRaisedDuringTheRunStopsItBetweenChunks) {
  ResultStore store;
  Fill(store, 200000);
  std::vector<TagSet> tags(store.Count(), kUntouched);
  std::atomic<bool> cancel{false};
  std::atomic<std::uint32_t> progress{0};
  TagRunOptions options;
  options.threads = 2;
  options.chunkRows = 100;
  options.progress = &progress;
  std::thread canceller([&] {
    while (progress.load() == 0) {
      std::this_thread::yield();
    }
    cancel.store(true);
  });
  const TagRunStatus status = TagResults(tagger, store, tags, cancel, options);
  canceller.join();
  std::uint32_t done = 0;
  for (std::uint32_t chunk = 0; chunk < store.Count() / 100; ++chunk) {
    const bool first = tags[chunk * 100] != kUntouched;
    for (std::uint32_t i = chunk * 100; i < (chunk + 1) * 100; ++i) {
      ASSERT_EQ(tags[i] != kUntouched, first) << "chunk " << chunk << " done in part";
      if (first) {
        ASSERT_EQ(tags[i], tagger.Tag(store.Text(i))) << i;
      }
    }
    done += first ? 100 : 0;
  }
  EXPECT_EQ(done, progress.load());
  // On a machine too fast for the other thread, the run may end first.
  if (status == TagRunStatus::Cancelled) {
    EXPECT_LT(done, store.Count());
  } else {
    EXPECT_EQ(done, store.Count());
  }
}

TEST(SuffixCache, RemembersTheListsAnswersThroughCollisions) {
  const PublicSuffixes suffixes;
  ASSERT_TRUE(suffixes.Available());
  EXPECT_TRUE(suffixes.IsListedTopLevel("com"));
  EXPECT_TRUE(suffixes.IsListedTopLevel("uk"));
  EXPECT_FALSE(suffixes.IsListedTopLevel("dll"));
  EXPECT_FALSE(suffixes.IsListedTopLevel("generic"));
  EXPECT_FALSE(suffixes.IsListedTopLevel(""));
  EXPECT_TRUE(suffixes.IsIcannSuffix("co.uk"));
  EXPECT_FALSE(suffixes.IsIcannSuffix("github.io"));  // private section
  EXPECT_FALSE(suffixes.IsIcannSuffix("example.com"));
  EXPECT_FALSE(suffixes.IsListedTopLevel(std::string(300, 'a')));

  // More labels than the cache has places, each asked twice and in turn
  // with "com": every answer stays the list's.
  SuffixCache cache;
  std::vector<std::string> labels = {"com", "net", "dll",      "exe",
                                     "zip", "so",  "xn--p1ai", std::string(40, 'q')};
  for (int i = 0; i < 2000; ++i) {
    labels.push_back("l" + std::to_string(i));
  }
  for (int pass = 0; pass < 2; ++pass) {
    for (const std::string& label : labels) {
      ASSERT_EQ(cache.IsListedTopLevel(suffixes, label), suffixes.IsListedTopLevel(label)) << label;
      ASSERT_TRUE(cache.IsListedTopLevel(suffixes, "com"));
    }
  }
}

}  // namespace
}  // namespace quillex
