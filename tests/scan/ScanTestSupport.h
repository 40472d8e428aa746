#pragma once

// Standard library
#include <unistd.h>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

// Ours
#include "filter/CharClassTable.h"
#include "filter/FilterCriteria.h"
#include "scan/ScanHost.h"
#include "store/ResultStore.h"

namespace quillex::testing {

// One result as the tests compare it.
struct Found {
  std::uint64_t position = 0;
  std::string text;
  std::uint16_t id = 0;
  StringKind kind = StringKind::Ansi;
  bool operator==(const Found&) const = default;
};

inline std::vector<Found> Results(const ResultStore& store) {
  std::vector<Found> out;
  for (std::uint32_t i = 0; i < store.Count(); ++i) {
    out.push_back(Found{store.Position(i), store.Text(i), store.Id(i), store.Kind(i)});
  }
  return out;
}

inline std::vector<Found> OfKind(const std::vector<Found>& all, StringKind kind) {
  std::vector<Found> out;
  std::copy_if(all.begin(), all.end(), std::back_inserter(out),
               [kind](const Found& f) { return f.kind == kind; });
  return out;
}

// Letters, digits and the blank: enough for every test text, and leaves the
// line feed, '.', '-' and the high bytes out so tests can break runs with them.
inline CharClassTable TestTable() {
  CharClassTable table;
  table.SetBytes("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 ", 1);
  return table;
}

inline FilterCriteria Criteria(std::uint32_t minLength, std::uint32_t maxLength = kMaxTextLength,
                               std::uint32_t repeatLimit = NoRepeatLimit) {
  FilterCriteria criteria;
  criteria.minLength = minLength;
  criteria.maxLength = maxLength;
  criteria.repeatDiscard = repeatLimit != NoRepeatLimit;
  criteria.repeatLimit = repeatLimit;
  return criteria;
}

inline std::vector<std::uint8_t> AsBytes(std::string_view text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

// A host that records what the engine shows and stops on cue.
class FakeHost : public ScanHost {
 public:
  struct Shown {
    StringKind kind;
    std::string text;
    bool operator==(const Shown&) const = default;
  };

  void ShowCount(StringKind kind, std::uint32_t count) override {
    shown.push_back(Shown{kind, CountText(kind, count)});
  }
  bool ScanPump() override {
    ++pumps;
    if (stopAtPump != 0 && pumps >= stopAtPump) {
      stopped = true;
    }
    return !stopped;
  }
  void WarnDamagedResources() override { ++warnings; }
  void ReportOpenFailure(const std::string& path, const std::string& reason) override {
    openFailures.push_back(path + ": " + reason);
  }
  void FillViews() override { ++fills; }

  // The counts shown for one kind of string, in order.
  [[nodiscard]] std::vector<std::string> ShownIn(StringKind kind) const {
    std::vector<std::string> out;
    for (const Shown& s : shown) {
      if (s.kind == kind)
        out.push_back(s.text);
    }
    return out;
  }

  std::vector<Shown> shown;
  int pumps = 0;
  int stopAtPump = 0;  // the pump call (1-based) from which on a stop is requested
  bool stopped = false;
  int warnings = 0;
  int fills = 0;
  std::vector<std::string> openFailures;
};

// The bytes this process has read through read calls so far (Linux
// /proc/self/io), to tell whether data was read again; 0 when unknown.
inline std::uint64_t BytesReadByProcess() {
  std::FILE* io = std::fopen("/proc/self/io", "r");
  unsigned long long rchar = 0;
  if (io != nullptr) {
    if (std::fscanf(io, "rchar: %llu", &rchar) != 1)
      rchar = 0;
    std::fclose(io);
  }
  return rchar;
}

// A file in the temporary directory, removed when the object goes.
class TempFile {
 public:
  TempFile() {
    const char* dir = std::getenv("TMPDIR");
    std::string pattern = std::string(dir != nullptr ? dir : "/tmp") + "/quillex-scan-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd >= 0)
      ::close(fd);
    path_ = name.data();
  }
  explicit TempFile(std::span<const std::uint8_t> bytes) : TempFile() { Write(bytes); }
  ~TempFile() { std::remove(path_.c_str()); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  void Write(std::span<const std::uint8_t> bytes) const {
    std::FILE* f = std::fopen(path_.c_str(), "wb");
    if (f == nullptr)
      return;
    if (!bytes.empty())
      std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  [[nodiscard]] const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace quillex::testing
