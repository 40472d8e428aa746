// quillex-scan: runs the engine's scan over each file named on the command
// line (or standard input) and prints what the desktop program's Save would
// write for it, or the same results in another of the output formats.

// Standard library
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <numeric>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// System
#include <unistd.h>

// Ours
#include "cli/CliOptions.h"
#include "cli/ProgressLine.h"
#include "filter/FilterCriteria.h"
#include "filter/GroupSelection.h"
#include "platform/InputFile.h"
#include "platform/OutputStream.h"
#include "platform/SaveFile.h"
#include "platform/StandardInputCopy.h"
#include "scan/ScanDriver.h"
#include "scan/ScanHost.h"
#include "store/PoolSteps.h"
#include "tags/TagResults.h"
#include "tags/Tagger.h"
#include "views/OutputBuffer.h"
#include "views/OutputFormats.h"
#include "views/ResultWriter.h"
#include "views/RowFilter.h"

namespace quillex {
namespace {

constexpr const char* kProgram = "quillex-scan";

// Exit statuses, as documented in --help.
constexpr int kExitOk = 0;
constexpr int kExitFile = 1;
constexpr int kExitUsage = 2;
constexpr int kExitDropped = 3;
constexpr int kExitReadError = 4;
constexpr int kExitNoMemory = 5;

// The more serious of two exit statuses: a usage error, then a file or the
// output that could not be used, no memory, a read error, dropped results.
int MoreSerious(int a, int b) {
  auto rank = [](int status) {
    switch (status) {
      case kExitUsage:
        return 5;
      case kExitFile:
        return 4;
      case kExitNoMemory:
        return 3;
      case kExitReadError:
        return 2;
      case kExitDropped:
        return 1;
      default:
        return 0;
    }
  };
  return rank(b) > rank(a) ? b : a;
}

// Prints what the desktop program would show: counts (kept to the end, as
// the cells would show their final values), the damaged-resource warning at
// once, and open failures. With several files every line it prints starts
// with the file's name.
class PrintingHost : public ScanHost {
 public:
  using Clock = std::chrono::steady_clock;

  struct Count {
    std::string text;
    Clock::time_point first;
    Clock::time_point last;
  };

  PrintingHost(std::string displayName, std::string linePrefix)
      : displayName_(std::move(displayName)), linePrefix_(std::move(linePrefix)) {}

  void ShowCount(StringKind kind, std::uint32_t value) override {
    const std::string text = CountText(kind, value);
    const Clock::time_point now = Clock::now();
    auto [it, inserted] = counts_.try_emplace(kind, Count{text, now, now});
    if (!inserted) {
      it->second.text = text;
      it->second.last = now;
    }
  }
  bool ScanPump() override { return true; }
  void ShowProgress(std::uint64_t bytesDone, std::uint64_t bytesTotal, std::uint32_t ansiSoFar,
                    std::uint32_t unicodeSoFar) override {
    progress_.Update(bytesDone, bytesTotal, ansiSoFar, unicodeSoFar);
  }
  void WarnDamagedResources() override {
    progress_.Clear();
    std::fprintf(stderr, "%s%s\n", linePrefix_.c_str(), kDamagedResourceText);
    std::fflush(stderr);
  }
  // The scan opens standard input's copy by a /proc path; the user knows it
  // by the name given on the command line.
  void ReportOpenFailure(const std::string& /*path*/, const std::string& reason) override {
    std::fprintf(stderr, "%s: %s: %s: %s\n", kProgram, kUnableToOpenText, displayName_.c_str(),
                 reason.c_str());
  }

  // Shows the progress line on standard error when it is a terminal.
  void EnableProgress(bool quiet) {
    progress_ = ProgressLine(stderr, !quiet && isatty(STDERR_FILENO) != 0);
  }
  void ClearProgress() { progress_.Clear(); }

  const Count* Find(StringKind kind) const {
    const auto it = counts_.find(kind);
    return it == counts_.end() ? nullptr : &it->second;
  }
  const std::string& LinePrefix() const { return linePrefix_; }

 private:
  std::string displayName_;
  std::string linePrefix_;
  std::map<StringKind, Count> counts_;
  ProgressLine progress_{stderr, false};
};

int UsageError(const std::string& problem) {
  std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", kProgram, problem.c_str(),
               kProgram);
  return kExitUsage;
}

// The Filter page as the options leave it, normalised as Go does: the group
// boxes first, then the custom and must-contain characters.
void SetCriteria(const CliOptions& options, ScanEngine& engine) {
  SelectedGroups(options).BuildTable(engine.table);
  FilterCriteria& criteria = engine.criteria;
  if (options.includeChars) {
    criteria.customEnabled = true;
    ReplaceCustomChars(engine.table, criteria, *options.includeChars, true);
  }
  if (options.mustContainChars) {
    criteria.mustContainEnabled = true;
    ReplaceMustContain(engine.table, criteria, *options.mustContainChars);
  }
  const bool repeatTicked = options.repeatText.has_value();
  SetCriteriaNumbers(criteria,
                     NormaliseCriteriaFields(options.minText, options.maxText,
                                             options.repeatText.value_or(""), repeatTicked),
                     repeatTicked);
}

// How many of a file's results the selection options let through.
struct Shown {
  std::size_t written = 0;
  std::uint32_t found = 0;
};

void PrintSummary(const PrintingHost& host, const ScanReport& report, std::optional<Shown> shown,
                  bool timings, bool quiet) {
  const char* prefix = host.LinePrefix().c_str();
  if (!quiet) {
    for (const StringKind kind : {StringKind::Ansi, StringKind::Unicode, StringKind::Resource}) {
      if (const PrintingHost::Count* count = host.Find(kind); count != nullptr) {
        std::fprintf(stderr, "%s%s\n", prefix, count->text.c_str());
      }
    }
    std::fprintf(stderr, "%s%s\n", prefix,
                 FormatScanReport(report.elapsedMs, report.totalTextSize).c_str());
    if (shown) {
      std::fprintf(stderr, "%s%zu of %u shown\n", prefix, shown->written, shown->found);
    }
  }
  if (timings) {
    // The ANSI and Unicode passes share the file's one read, so they are
    // timed together: from the ANSI count's first showing to the Unicode
    // count's last.
    const PrintingHost::Count* ansi = host.Find(StringKind::Ansi);
    const PrintingHost::Count* unicode = host.Find(StringKind::Unicode);
    const PrintingHost::Count* resource = host.Find(StringKind::Resource);
    using Milliseconds = std::chrono::duration<double, std::milli>;
    if (ansi != nullptr && unicode != nullptr) {
      std::fprintf(stderr, "%sansi+unicode %.1f ms\n", prefix,
                   Milliseconds(unicode->last - ansi->first).count());
    }
    if (resource != nullptr) {
      std::fprintf(stderr, "%sresource %.1f ms\n", prefix,
                   Milliseconds(resource->last - resource->first).count());
    }
  }
}

// One run over all the files into one output.
class ScanRun {
 public:
  // `filter` chooses the results written; it must be Ok().
  ScanRun(const CliOptions& options, ScanEngine& engine, const RowFilter& filter)
      : options_(options),
        engine_(engine),
        filter_(filter),
        writer_(options.format->make(
            {.fileHeadings = options.inputs.size() > 1, .guardFormulas = !options.csvRaw})),
        needsTags_(options.format->writesTags || filter.Terms().wantedTags != 0) {}

  // Scans every file, writing to `stream`. Returns 0, or the errno of the
  // write that failed; after a failed write nothing more is scanned.
  int ScanAll(OutputStream& stream) {
    OutputBuffer out(stream);
    writer_->Start(out);
    // What stands before the first file (CSV's header row) goes out before
    // any scan, and each file's results as soon as they are written.
    if (!out.Flush()) {
      return out.Error();
    }
    for (const std::string& input : options_.inputs) {
      if (const int error = ScanOne(out, input); error != 0) {
        return error;
      }
    }
    writer_->Finish(out);
    return out.Flush() ? 0 : out.Error();
  }

  [[nodiscard]] int Status() const { return status_; }
  void Worsen(int status) { status_ = MoreSerious(status_, status); }

 private:
  int ScanOne(OutputBuffer& out, const std::string& input) {
    const bool several = options_.inputs.size() > 1;
    std::string scanPath = input;
    StandardInputCopy copy;
    if (input == kStandardInputName) {
      if (const int error = copy.CopyStandardInput(); error != 0) {
        std::fprintf(stderr, "%s: Unable to read standard input: %s\n", kProgram,
                     ErrorText(error).c_str());
        Worsen(kExitFile);
        return 0;
      }
      scanPath = copy.Path();
    }

    PrintingHost host(input, several ? input + ": " : std::string());
    host.EnableProgress(options_.quiet);
    const ScanReport report = RunScan(scanPath, engine_, host);
    host.ClearProgress();
    if (!report.opened) {
      Worsen(kExitFile);
      return 0;
    }
    if (report.buffersUnavailable) {
      std::fprintf(stderr, "%s: not enough memory to scan %s\n", kProgram, input.c_str());
      Worsen(kExitNoMemory);
      return 0;
    }

    if (needsTags_ && !TagResultsOfFile()) {
      std::fprintf(stderr, "%s: not enough memory to tag the strings of %s\n", kProgram,
                   input.c_str());
      Worsen(kExitNoMemory);
      return 0;
    }
    SelectRows();
    if (const int error = WriteFileResults(out, input); error != 0) {
      return error;
    }
    std::optional<Shown> shown;
    if (SelectionGiven(options_)) {
      shown = Shown{rows_.size(), engine_.store.Count()};
    }
    PrintSummary(host, report, shown, options_.timings, options_.quiet);
    if (report.readError) {
      std::fprintf(stderr, "%s: a read error cut the scan of %s short\n", kProgram, input.c_str());
      Worsen(kExitReadError);
    }
    if (report.droppedResults > 0) {
      std::fprintf(stderr, "%s: %sresults were dropped: %llu could not be stored\n", kProgram,
                   host.LinePrefix().c_str(),
                   static_cast<unsigned long long>(report.droppedResults));
      Worsen(kExitDropped);
    }
    return 0;
  }

  // The tags of every result of the file just scanned, on two threads. The
  // tagger opens the suffix list once, for the first file that needs it.
  // False when there was no memory for the threads' caches.
  bool TagResultsOfFile() {
    if (!tagger_) {
      tagger_.emplace();
    }
    tags_.assign(engine_.store.Count(), 0);
    const std::atomic<bool> never{false};
    return TagResults(*tagger_, engine_.store, tags_, never, {.threads = 2}) == TagRunStatus::Done;
  }

  // The results of the file just scanned that are written, in store order.
  void SelectRows() {
    rows_.resize(engine_.store.Count());
    std::iota(rows_.begin(), rows_.end(), 0u);
    if (filter_.Terms().FiltersAnything()) {
      FilteredRows filtered =
          filter_.Apply(engine_.store, rows_, {.tagSets = TagsOfFile(), .threads = 2});
      rows_ = std::move(filtered.shown);
    }
  }

  [[nodiscard]] std::span<const TagSet> TagsOfFile() const {
    return needsTags_ ? std::span<const TagSet>(tags_) : std::span<const TagSet>();
  }

  int WriteFileResults(OutputBuffer& out, const std::string& input) {
    const WriterSource source{.store = engine_.store,
                              .map = engine_.map,
                              .rows = rows_,
                              .fileName = input,
                              .tags = TagsOfFile()};
    writer_->WriteFile(source, out);
    return out.Flush() ? 0 : out.Error();
  }

  const CliOptions& options_;
  ScanEngine& engine_;
  const RowFilter& filter_;
  std::unique_ptr<ResultWriter> writer_;
  // The format or the selection reads each result's tags.
  bool needsTags_;
  std::optional<Tagger> tagger_;
  std::vector<TagSet> tags_;
  std::vector<std::uint32_t> rows_;
  int status_ = kExitOk;
};

// Prints the text of --help, --version, --list-groups or --list-tags. A full
// disk or a closed file must not pass for success.
int PrintText(const std::string& text) {
  if (std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
    std::fprintf(stderr, "%s: Unable to write standard output: %s\n", kProgram,
                 std::strerror(errno));
    return kExitFile;
  }
  return kExitOk;
}

// Runs the scans into -o's file or standard output; returns the exit status.
int ScanInto(ScanRun& run, const CliOptions& options) {
  const bool toFile = options.outputPath && *options.outputPath != "-";
  if (toFile) {
    int error = 0;
    const SaveResult saved = SaveFile(
        *options.outputPath, [&](OutputStream& out) { return run.ScanAll(out); }, &error);
    if (saved != SaveResult::Ok) {
      const char* what =
          saved == SaveResult::OpenFailed ? kUnableToOpenText : "Unable to write that file";
      std::fprintf(stderr, "%s: %s: %s: %s\n", kProgram, what, options.outputPath->c_str(),
                   ErrorText(error).c_str());
      run.Worsen(kExitFile);
    }
    return run.Status();
  }
  OutputStream standardOutput = OutputStream::StandardOutput();
  if (const int error = run.ScanAll(standardOutput); error != 0) {
    // Whoever read the output has gone (`quillex-scan big | head`): nothing
    // is wrong that the user needs telling about.
    if (error == EPIPE) {
      return run.Status();
    }
    std::fprintf(stderr, "%s: Unable to write standard output: %s\n", kProgram,
                 ErrorText(error).c_str());
    run.Worsen(kExitFile);
  }
  return run.Status();
}

int Run(int argc, char** argv) {
  CliOptions options;
  const std::span<const char* const> args(argv + 1, static_cast<std::size_t>(argc - 1));
  if (const std::string problem = ParseCommandLine(args, options); !problem.empty()) {
    return UsageError(problem);
  }
  if (options.help) {
    return PrintText(HelpText());
  }
  if (options.version) {
    return PrintText(std::string(kProgram) + " " + QUILLEX_VERSION + "\n");
  }
  if (options.listGroups) {
    return PrintText(GroupListText());
  }
  if (options.listTags) {
    return PrintText(TagListText());
  }
  const RowFilter filter(SelectionTerms(options));
  if (!filter.Ok()) {
    return UsageError("the --grep PATTERN does not compile: " + filter.Error());
  }
  if (options.inputs.empty()) {
    // A terminal on standard input means nobody is feeding it.
    if (::isatty(STDIN_FILENO) == 1) {
      return UsageError("no FILE given");
    }
    options.inputs.push_back(kStandardInputName);
  }

  ScanEngine engine;
  UseScanPoolSteps(engine.store.Pool());
  engine.store.Pool().SetLimits(options.poolLimit, 0);
  SetCriteria(options, engine);

  ScanRun run(options, engine, filter);
  return ScanInto(run, options);
}

}  // namespace
}  // namespace quillex

int main(int argc, char** argv) {
  return quillex::Run(argc, argv);
}
