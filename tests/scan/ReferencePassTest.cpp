// The byte passes against a plain transcription of their rules, one byte at a
// time, on seeded random data. The passes take shortcuts for speed (bit masks
// over 64-byte chunks, word skipping); whatever the data, criteria and block
// size, they must find exactly what the plain rules find.

// Standard library
#include <random>
#include <string>
#include <vector>

// Third party
#include <gtest/gtest.h>

// Ours
#include "scan/AnsiScanner.h"
#include "scan/ScannerTestRunner.h"
#include "scan/UnicodeScanner.h"

namespace quillex {
namespace {

using testing::Found;

std::vector<Found> ReferenceAnsi(const std::vector<std::uint8_t>& bytes,
                                 const CharClassTable& table, const FilterCriteria& c) {
  std::vector<Found> out;
  std::uint64_t position = 0;
  std::uint64_t runStart = 0;
  std::string run;
  std::uint32_t repeat = 1;
  std::uint8_t previous = 0;
  auto end = [&] {
    if (run.size() >= c.minLength && run.size() <= c.maxLength &&
        AcceptMustContain(run.c_str(), c)) {
      out.push_back(Found{runStart, run, 0, StringKind::Ansi});
    }
  };
  auto restart = [&] {
    runStart = position;
    run.clear();
    repeat = 1;
  };
  for (const std::uint8_t b : bytes) {
    ++position;
    if (table.Allowed(b)) {
      const std::size_t length = run.size() + 1;
      repeat = b == previous ? repeat + 1 : 1;
      if (length > c.maxLength || repeat >= c.repeatLimit) {
        restart();
      } else {
        run += static_cast<char>(b);
      }
    } else {
      end();
      restart();
    }
    previous = b;
  }
  end();
  return out;
}

std::vector<Found> ReferenceUnicode(const std::vector<std::uint8_t>& bytes,
                                    const CharClassTable& table, const FilterCriteria& c) {
  std::vector<Found> out;
  std::uint64_t position = 0;
  std::uint64_t runStart = 0;
  std::string run;
  std::uint32_t repeat = 1;
  auto at = [&bytes](std::uint64_t offset, std::uint64_t back) -> std::uint8_t {
    return offset >= back ? bytes[offset - back] : 0;
  };
  auto restart = [&] {
    run.clear();
    repeat = 1;
  };
  for (std::uint64_t i = 0; i < bytes.size(); ++i) {
    const std::uint8_t b = bytes[i];
    const std::uint8_t ch = at(i, 1);
    ++position;
    if (b != 0) {
      if (ch != 0)
        restart();
    } else if (ch == 0) {
      if (run.size() >= c.minLength && run.size() <= c.maxLength &&
          AcceptMustContain(run.c_str(), c)) {
        out.push_back(Found{runStart, run, 0, StringKind::Unicode});
      }
      restart();
    } else if (table.Allowed(ch)) {
      if (run.empty())
        runStart = position - 2;
      repeat = (i >= 3 && at(i, 3) == ch && at(i, 2) == 0) ? repeat + 1 : 1;
      if (run.size() + 1 > c.maxLength || repeat >= c.repeatLimit) {
        restart();
      } else {
        run += static_cast<char>(ch);
      }
    } else {
      restart();
    }
  }
  if (!run.empty() && AcceptString(run.c_str(), table, c)) {
    out.push_back(Found{runStart, run, 0, StringKind::Unicode});
  }
  return out;
}

// Data with long and short runs, repeats, zeros and UTF-16 text, so that every
// rule fires often.
std::vector<std::uint8_t> RandomData(std::mt19937& rng, std::size_t size) {
  std::vector<std::uint8_t> out;
  std::uniform_int_distribution<int> kind(0, 5);
  std::uniform_int_distribution<int> length(1, 40);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> letter('a', 'e');
  while (out.size() < size) {
    const int n = length(rng);
    switch (kind(rng)) {
      case 0:  // random bytes
        for (int k = 0; k < n; ++k)
          out.push_back(static_cast<std::uint8_t>(byte(rng)));
        break;
      case 1:  // a few letters, often repeated
        for (int k = 0; k < n; ++k)
          out.push_back(static_cast<std::uint8_t>(letter(rng)));
        break;
      case 2:  // one letter many times
        out.insert(out.end(), static_cast<std::size_t>(n), static_cast<std::uint8_t>(letter(rng)));
        break;
      case 3:  // zeros
        out.insert(out.end(), static_cast<std::size_t>(n % 9), 0);
        break;
      default:  // UTF-16 text, sometimes repeated characters
        for (int k = 0; k < n; ++k) {
          out.push_back(static_cast<std::uint8_t>(k % 3 == 0 ? letter(rng) : out.size() % 7 + 'a'));
          out.push_back(0);
        }
        if (n % 2 == 0)
          out.push_back(0);
        break;
    }
  }
  out.resize(size);
  return out;
}

TEST(PassesAgainstTheRules, RandomDataCriteriaAndBlockSizes) {
  std::mt19937 rng(20240611);
  std::uniform_int_distribution<std::uint32_t> minLength(1, 8);
  std::uniform_int_distribution<std::uint32_t> extra(0, 30);
  std::uniform_int_distribution<int> coin(0, 3);
  const std::size_t blockSizes[] = {1, 3, 7, 63, 64, 65, 200, 16384};
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE(round);
    CharClassTable table;
    table.SetBytes("abcde", 1);
    if (coin(rng) == 0)
      table.SetBytes("fghijklmnopqrstuvwxyz \t", 1);
    if (coin(rng) == 0)
      table.SetBytes("\x01\x02\x03\x80\xff", 1);
    FilterCriteria criteria;
    criteria.minLength = minLength(rng);
    criteria.maxLength = coin(rng) == 0 ? 1024 : criteria.minLength + extra(rng);
    criteria.repeatLimit =
        coin(rng) == 0 ? NoRepeatLimit : 3 + static_cast<std::uint32_t>(coin(rng));
    criteria.repeatDiscard = criteria.repeatLimit != NoRepeatLimit;
    if (coin(rng) == 0) {
      criteria.mustContainEnabled = true;
      criteria.mustContain = "c";
    }
    const auto data = RandomData(rng, 1 + static_cast<std::size_t>(round) * 37);
    const std::size_t blockSize =
        blockSizes[static_cast<std::size_t>(round) % std::size(blockSizes)];

    const auto ansi = testing::RunPass<AnsiScanner>(data, criteria, blockSize, table);
    EXPECT_EQ(ansi.found, ReferenceAnsi(data, table, criteria));
    const auto unicode = testing::RunPass<UnicodeScanner>(data, criteria, blockSize, table);
    EXPECT_EQ(unicode.found, ReferenceUnicode(data, table, criteria));
  }
}

// Runs just shorter and just longer than minLength put across every 64-byte
// chunk edge, with UTF-16 stretches among them, over several blocks: the
// passes skip chunks by looking at the next chunk's first bytes, and blocks
// larger than one batch of chunk masks are cut into batches. Every block size
// from single bytes to several 16 KiB batches, repeat rule off and on, small
// and large maxLength.
TEST(PassesAgainstTheRules, RunsAroundChunkEdgesAndBatches) {
  std::mt19937 rng(5150);
  CharClassTable table;
  table.SetBytes("abcdefghij", 1);
  const std::size_t blockSizes[] = {1,   2,    5,    63,    64,    65,
                                    127, 1000, 4096, 16383, 16384, 3 * 16384 + 17};
  for (std::uint32_t minLength : {1u, 2u, 4u, 5u, 9u, 31u, 33u, 64u}) {
    std::uniform_int_distribution<std::uint32_t> length(1, 2 * minLength + 2);
    std::uniform_int_distribution<int> letter('a', 'j');
    std::uniform_int_distribution<int> kind(0, 9);
    // Sometimes each run is padded so that it ends just before, at or
    // just after a chunk edge.
    std::vector<std::uint8_t> data;
    while (data.size() < 70000) {
      const std::uint32_t n = length(rng);
      const int k = kind(rng);
      if (k == 0) {
        for (std::uint32_t i = 0; i < n; ++i) {
          data.push_back(static_cast<std::uint8_t>(letter(rng)));
          data.push_back(0);
        }
        data.push_back(0);
        continue;
      }
      if (k <= 3) {
        const std::size_t edge = (data.size() / 64 + 1) * 64;
        const std::size_t shift = static_cast<std::size_t>(k - 2);  // -1, 0, +1
        while (data.size() + n + 1 < edge + shift) {
          data.push_back('-');
        }
      }
      const std::uint8_t c = static_cast<std::uint8_t>(letter(rng));
      for (std::uint32_t i = 0; i < n; ++i) {
        data.push_back(k == 4 ? c : static_cast<std::uint8_t>(letter(rng)));
      }
      data.push_back(k == 5 ? 0 : '-');
    }
    for (std::uint32_t maxExtra : {0u, 3u, 1024u}) {
      for (std::uint32_t repeatLimit : {NoRepeatLimit, 3u}) {
        FilterCriteria criteria;
        criteria.minLength = minLength;
        criteria.maxLength = std::min<std::uint32_t>(minLength + maxExtra, 1024);
        criteria.repeatLimit = repeatLimit;
        criteria.repeatDiscard = repeatLimit != NoRepeatLimit;
        const auto ansiExpected = ReferenceAnsi(data, table, criteria);
        const auto unicodeExpected = ReferenceUnicode(data, table, criteria);
        ASSERT_FALSE(ansiExpected.empty());
        for (const std::size_t blockSize : blockSizes) {
          SCOPED_TRACE(::testing::Message() << "min " << minLength << " max " << criteria.maxLength
                                            << " repeat " << repeatLimit << " block " << blockSize);
          EXPECT_EQ(testing::RunPass<AnsiScanner>(data, criteria, blockSize, table).found,
                    ansiExpected);
          EXPECT_EQ(testing::RunPass<UnicodeScanner>(data, criteria, blockSize, table).found,
                    unicodeExpected);
        }
      }
    }
  }
}

// Runs far longer than maxLength, up to several blocks long, with the repeat
// rule off: each is dropped every maxLength + 1 bytes and keeps only its last
// stretch, which may begin in an earlier block than the one that ends it.
TEST(PassesAgainstTheRules, RunsManyTimesLongerThanMaxLength) {
  std::mt19937 rng(77);
  CharClassTable table;
  table.SetBytes("abcdefghij", 1);
  std::uniform_int_distribution<std::uint32_t> length(1, 5000);
  std::uniform_int_distribution<int> letter('a', 'j');
  std::vector<std::uint8_t> data;
  while (data.size() < 200000) {
    const std::uint32_t n = length(rng);
    for (std::uint32_t i = 0; i < n; ++i) {
      data.push_back(static_cast<std::uint8_t>(letter(rng)));
    }
    data.push_back('-');
  }
  for (const std::uint32_t maxLength : {1u, 5u, 63u, 64u, 65u, 200u, 1024u}) {
    for (const std::uint32_t minLength : {1u, 5u}) {
      FilterCriteria criteria;
      criteria.minLength = std::min(minLength, maxLength);
      criteria.maxLength = maxLength;
      const auto expected = ReferenceAnsi(data, table, criteria);
      for (const std::size_t blockSize : {1u, 7u, 64u, 100u, 4096u, 16384u}) {
        SCOPED_TRACE(::testing::Message()
                     << "min " << minLength << " max " << maxLength << " block " << blockSize);
        EXPECT_EQ(testing::RunPass<AnsiScanner>(data, criteria, blockSize, table).found, expected);
      }
    }
  }
}

// UTF-16 text of every length from 1 to 70 characters at every offset of a
// chunk and the next, ended by a NUL, by a refused character, by a unit with a
// non-zero high byte or by the end of the data: the Unicode pass follows a
// run from one character to the next by its masks, and a run that reaches
// the chunk's last pair or the one before it goes on in the next chunk.
TEST(PassesAgainstTheRules, Utf16RunsOfEveryLengthAtEveryOffset) {
  CharClassTable table;
  table.SetBytes("abcdefghij", 1);
  const std::uint8_t enders[][2] = {{0, 0}, {'-', 0}, {'a', 1}, {'x', 'y'}};
  for (const std::uint32_t repeatLimit : {NoRepeatLimit, 3u}) {
    for (const std::uint32_t minLength : {1u, 4u, 33u}) {
      FilterCriteria criteria;
      criteria.minLength = minLength;
      criteria.maxLength = 40;
      criteria.repeatLimit = repeatLimit;
      criteria.repeatDiscard = repeatLimit != NoRepeatLimit;
      std::vector<std::uint8_t> data;
      std::uint32_t pick = 0;
      for (std::size_t length = 1; length <= 70; ++length) {
        for (std::size_t offset = 0; offset < 130; offset += 1 + length % 3) {
          data.resize((data.size() / 64 + 1) * 64 + offset, 0x90);
          for (std::size_t k = 0; k < length; ++k) {
            // Now and then the same character twice or three times in a row.
            data.push_back(static_cast<std::uint8_t>('a' + (++pick % 7 < 2 ? 0 : pick % 10)));
            data.push_back(0);
          }
          const auto* ender = enders[(length + offset) % 4];
          data.insert(data.end(), ender, ender + 2);
        }
      }
      const auto expected = ReferenceUnicode(data, table, criteria);
      for (const std::size_t blockSize : {1u, 2u, 3u, 63u, 64u, 65u, 16384u}) {
        SCOPED_TRACE(::testing::Message()
                     << "min " << minLength << " repeat " << repeatLimit << " block " << blockSize);
        EXPECT_EQ(testing::RunPass<UnicodeScanner>(data, criteria, blockSize, table).found,
                  expected);
        // Cut short: the last run is open at the end of the data.
        const std::span<const std::uint8_t> cut(data.data(), data.size() - 3);
        EXPECT_EQ(
            testing::RunPass<UnicodeScanner>(cut, criteria, blockSize, table).found,
            ReferenceUnicode(std::vector<std::uint8_t>(cut.begin(), cut.end()), table, criteria));
      }
    }
  }
}

}  // namespace
}  // namespace quillex
