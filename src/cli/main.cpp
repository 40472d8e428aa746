// quillex-scan: runs the engine's scan over one file and prints what the
// desktop program's Save would write for it.

// Standard library
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <numeric>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// System
#include <unistd.h>

// Ours
#include "cli/ProgressLine.h"
#include "filter/FilterCriteria.h"
#include "platform/InputFile.h"
#include "scan/ScanDriver.h"
#include "scan/ScanHost.h"
#include "views/ExportWriter.h"

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

constexpr const char* kUsage =
    "usage: quillex-scan [options] FILE\n"
    "Prints the ANSI, Unicode and resource strings of FILE as Save writes them.\n"
    "\n"
    "  --min N               \"Min text length\" field (default 5)\n"
    "  --max N               \"Max text length\" field (default 1024)\n"
    "  --repeat N            tick \"Discard strings with\" with N in its field\n"
    "  --include CHARS       tick \"Include these characters too\" with CHARS in its field\n"
    "  --must-contain CHARS  tick \"MUST contain these\" with CHARS in its field\n"
    "  --plain               plain layout instead of the advanced layout\n"
    "  -o, --output FILE     write to FILE (as Save creates it) instead of standard output\n"
    "  -q, --quiet           no summary on standard error\n"
    "  --timings             print each pass's time (\"ansi 12.3 ms\") on standard error\n"
    "  --pool-limit BYTES    keep the stored texts (NULs included) below BYTES bytes;\n"
    "                        results beyond that are dropped and reported (exit status 3)\n"
    "  --help, --version\n"
    "\n"
    "Long options also take the form --name=VALUE. Number fields hold digits only;\n"
    "they are normalised as the Filter page does (--min 0 gives 5, --max 0 or\n"
    "above 1024 gives 1024, --repeat below 2 gives 3).\n"
    "\n"
    "Exit status: 0 success; 1 FILE or the output file could not be opened or\n"
    "written; 2 usage error; 3 some results could not be stored and were dropped;\n"
    "4 a read error cut the scan short; 5 no memory for the scan's buffers.\n";

struct CliOptions {
  std::string minText = "5";
  std::string maxText = "1024";
  std::optional<std::string> repeatText;
  std::optional<std::string> includeChars;
  std::optional<std::string> mustContainChars;
  bool plain = false;
  std::optional<std::string> outputPath;
  bool quiet = false;
  bool timings = false;
  std::uint32_t poolLimit = 0;  // 0: the pool's own 4 GiB limit
  std::string inputPath;
};

// The three number fields of the Filter page, holding the option texts.
class OptionFields : public CriteriaFields {
 public:
  explicit OptionFields(const CliOptions& options) {
    texts_[kMinLengthField] = options.minText;
    texts_[kMaxLengthField] = options.maxText;
    texts_[kRepeatField] = options.repeatText.value_or("3");
  }
  std::string FieldText(int fieldId) const override {
    const auto it = texts_.find(fieldId);
    return it == texts_.end() ? std::string() : it->second;
  }
  void SetFieldNumber(int fieldId, std::uint32_t value) override {
    texts_[fieldId] = std::to_string(value);
  }

 private:
  std::map<int, std::string> texts_;
};

// Prints what the desktop program would show: counts (kept to the end, as
// the cells would show their final values), the damaged-resource warning at
// once, and open failures.
class PrintingHost : public ScanHost {
 public:
  using Clock = std::chrono::steady_clock;

  struct Count {
    std::string text;
    Clock::time_point first;
    Clock::time_point last;
  };

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
    std::fprintf(stderr, "%s\n", kDamagedResourceText);
    std::fflush(stderr);
  }
  void ReportOpenFailure(const std::string& path, const std::string& reason) override {
    std::fprintf(stderr, "%s: %s: %s: %s\n", kProgram, kUnableToOpenText, path.c_str(),
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

 private:
  std::map<StringKind, Count> counts_;
  ProgressLine progress_{stderr, false};
};

int UsageError(const std::string& problem) {
  std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", kProgram, problem.c_str(),
               kProgram);
  return kExitUsage;
}

bool AllDigits(std::string_view text) {
  for (char c : text) {
    if (c < '0' || c > '9') {
      return false;
    }
  }
  return true;
}

// Parses the command line into `options`. Returns an exit status when the
// program should end at once (help, version, usage errors), or nullopt.
std::optional<int> ParseArguments(int argc, char** argv, CliOptions& options) {
  std::vector<std::string> inputs;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      inputs.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    // "--name=value" carries its value; otherwise it is the next argument.
    std::optional<std::string> inlineValue;
    if (arg.rfind("--", 0) == 0) {
      if (const std::size_t equals = arg.find('='); equals != std::string::npos) {
        inlineValue = arg.substr(equals + 1);
        arg.resize(equals);
      }
    }
    auto takeValue = [&](std::string& out) -> bool {
      if (inlineValue) {
        out = *inlineValue;
        return true;
      }
      if (i + 1 >= argc) {
        return false;
      }
      out = argv[++i];
      return true;
    };
    auto takeNumber = [&](std::string& out) -> std::optional<int> {
      if (!takeValue(out)) {
        return UsageError("option '" + arg + "' needs a number");
      }
      if (!AllDigits(out)) {
        return UsageError("option '" + arg + "' takes digits only, not '" + out + "'");
      }
      return std::nullopt;
    };
    auto takeText = [&](std::optional<std::string>& out) -> std::optional<int> {
      std::string value;
      if (!takeValue(value)) {
        return UsageError("option '" + arg + "' needs a value");
      }
      out = value;
      return std::nullopt;
    };
    auto noValue = [&]() -> std::optional<int> {
      if (inlineValue) {
        return UsageError("option '" + arg + "' takes no value");
      }
      return std::nullopt;
    };

    std::optional<int> status;
    if (arg == "--min") {
      status = takeNumber(options.minText);
    } else if (arg == "--max") {
      status = takeNumber(options.maxText);
    } else if (arg == "--repeat") {
      std::string value;
      status = takeNumber(value);
      options.repeatText = value;
    } else if (arg == "--include") {
      status = takeText(options.includeChars);
    } else if (arg == "--must-contain") {
      status = takeText(options.mustContainChars);
    } else if (arg == "-o" || arg == "--output") {
      status = takeText(options.outputPath);
    } else if (arg == "--plain") {
      status = noValue();
      options.plain = true;
    } else if (arg == "-q" || arg == "--quiet") {
      status = noValue();
      options.quiet = true;
    } else if (arg == "--timings") {
      status = noValue();
      options.timings = true;
    } else if (arg == "--pool-limit") {
      std::string value;
      status = takeNumber(value);
      if (!status) {
        options.poolLimit = FieldValue(value);
        if (options.poolLimit == 0) {
          status = UsageError("option '--pool-limit' needs a number from 1 to 4294967295");
        }
      }
    } else if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return kExitOk;
    } else if (arg == "--version") {
      std::printf("%s %s\n", kProgram, QUILLEX_VERSION);
      return kExitOk;
    } else {
      return UsageError("unknown option '" + arg + "'");
    }
    if (status) {
      return status;
    }
  }
  if (inputs.size() != 1) {
    return UsageError(inputs.empty() ? "no FILE given" : "only one FILE can be scanned");
  }
  if (options.outputPath && options.outputPath->empty()) {
    return UsageError("the output FILE name is empty");
  }
  options.inputPath = inputs.front();
  return std::nullopt;
}

// The Filter page as the options leave it, normalised as Go does.
void SetCriteria(const CliOptions& options, ScanEngine& engine) {
  engine.table.RestoreDefaults();
  FilterCriteria& criteria = engine.criteria;
  criteria.repeatDiscard = options.repeatText.has_value();
  if (options.includeChars) {
    criteria.customEnabled = true;
    criteria.customChars = CutCharField(*options.includeChars);
    engine.table.SetBytes(criteria.customChars.c_str(), 1);
  }
  if (options.mustContainChars) {
    criteria.mustContainEnabled = true;
    criteria.mustContain = CutCharField(*options.mustContainChars);
    engine.table.SetBytes(criteria.mustContain.c_str(), 1);
  }
  OptionFields fields(options);
  NormaliseLengths(criteria, fields);
  NormaliseRepeatLimit(criteria, fields);
}

void PrintSummary(const PrintingHost& host, const ScanReport& report, bool timings, bool quiet) {
  struct Pass {
    StringKind kind;
    const char* name;
  };
  constexpr Pass kPasses[] = {{StringKind::Ansi, "ansi"},
                              {StringKind::Unicode, "unicode"},
                              {StringKind::Resource, "resource"}};
  if (!quiet) {
    for (const Pass& pass : kPasses) {
      if (const PrintingHost::Count* count = host.Find(pass.kind); count != nullptr) {
        std::fprintf(stderr, "%s\n", count->text.c_str());
      }
    }
    std::fprintf(stderr, "%s\n", FormatScanReport(report.elapsedMs, report.totalTextSize).c_str());
  }
  if (timings) {
    for (const Pass& pass : kPasses) {
      if (const PrintingHost::Count* count = host.Find(pass.kind); count != nullptr) {
        const std::chrono::duration<double, std::milli> spent = count->last - count->first;
        std::fprintf(stderr, "%s %.1f ms\n", pass.name, spent.count());
      }
    }
  }
}

int Run(int argc, char** argv) {
  CliOptions options;
  if (const std::optional<int> status = ParseArguments(argc, argv, options)) {
    return *status;
  }

  // The pool grows in the desktop program's steps: 4 MiB of text and 128 Ki
  // entries at a time, so a large scan moves its texts only a few times.
  ScanEngine engine;
  engine.store.Pool().SetByteStep(4 * 1024 * 1024);
  engine.store.Pool().SetIndexStep(0x20000);
  engine.store.Pool().SetLimits(options.poolLimit, 0);
  SetCriteria(options, engine);

  PrintingHost host;
  host.EnableProgress(options.quiet);
  const ScanReport report = RunScan(options.inputPath, engine, host);
  host.ClearProgress();
  if (!report.opened) {
    return kExitFile;
  }
  if (report.buffersUnavailable) {
    std::fprintf(stderr, "%s: not enough memory to scan %s\n", kProgram, options.inputPath.c_str());
    return kExitNoMemory;
  }

  std::vector<std::uint32_t> rows(engine.store.Count());
  std::iota(rows.begin(), rows.end(), 0u);
  const SaveLayout layout = options.plain ? SaveLayout::Plain : SaveLayout::Advanced;
  int status = kExitOk;
  int error = 0;
  if (options.outputPath) {
    const SaveResult saved =
        SaveResults(*options.outputPath, rows, layout, engine.store, engine.map, &error);
    if (saved != SaveResult::Ok) {
      const char* what =
          saved == SaveResult::OpenFailed ? kUnableToOpenText : "Unable to write that file";
      std::fprintf(stderr, "%s: %s: %s: %s\n", kProgram, what, options.outputPath->c_str(),
                   ErrorText(error).c_str());
      status = kExitFile;
    }
  } else if (!WriteResults(STDOUT_FILENO, rows, layout, engine.store, engine.map, &error)) {
    std::fprintf(stderr, "%s: Unable to write standard output: %s\n", kProgram,
                 ErrorText(error).c_str());
    status = kExitFile;
  }

  PrintSummary(host, report, options.timings, options.quiet);

  if (report.readError) {
    std::fprintf(stderr, "%s: a read error cut the scan of %s short\n", kProgram,
                 options.inputPath.c_str());
    if (status == kExitOk) {
      status = kExitReadError;
    }
  }
  if (report.droppedResults > 0) {
    std::fprintf(stderr, "%s: results were dropped: %llu could not be stored\n", kProgram,
                 static_cast<unsigned long long>(report.droppedResults));
    if (status == kExitOk) {
      status = kExitDropped;
    }
  }
  return status;
}

}  // namespace
}  // namespace quillex

int main(int argc, char** argv) {
  return quillex::Run(argc, argv);
}
