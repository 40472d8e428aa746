// Standard library
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

// System
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

// Ours
#include "cli/CliOptions.h"
#include "cli/ScanCliFixture.h"
#include "support/FileBytes.h"
#include "support/PeBuilder.h"
#include "support/RecordParsers.h"

namespace quillex {
namespace {

using testing::ClosedStdout;
using testing::kHeader;
using testing::Launch;
using testing::Lines;
using testing::Outcome;
using testing::ReadFile;
using testing::RecordsImage;
using testing::Row;
using testing::SampleFile;
using testing::ScanCliTest;
using testing::StdinFrom;
using testing::StdinPipe;
using testing::StdinTerminal;
using testing::StdoutTo;
using testing::TextRow;
using testing::TextRows;
using testing::Utf8;
using testing::WriteFile;

TEST_F(ScanCliTest, PrintsWhatSaveWrites) {
  WriteFile(Path("sample.bin"), SampleFile());
  const Outcome advanced = Run({Path("sample.bin")});
  EXPECT_EQ(advanced.status, 0) << advanced.err;
  EXPECT_EQ(advanced.out, kHeader + Row(0x0, 0x0, 0, "hello world") +
                              Row(0x15, 0x15, 0, " au lait") + Row(0x1E, 0x1E, 0, "baaad") +
                              Row(0x24, 0x24, 0, "baad z") + Row(0x30, 0x30, 0, "wide text"));
  const std::vector<std::string> err = Lines(advanced.err);
  ASSERT_EQ(err.size(), 4u) << advanced.err;
  EXPECT_EQ(err[0], "AN: 4");
  EXPECT_EQ(err[1], "UN: 1");
  EXPECT_EQ(err[2], "RS: 0");
  EXPECT_EQ(err[3].rfind("Time taken : ", 0), 0u) << err[3];
  EXPECT_NE(err[3].find("    Text size: 39 bytes (0.04K)"), std::string::npos) << err[3];

  const Outcome plain = Run({"--plain", "-q", Path("sample.bin")});
  EXPECT_EQ(plain.status, 0);
  EXPECT_EQ(plain.out, "hello world\n au lait\nbaaad\nbaad z\nwide text\n");
  EXPECT_EQ(plain.err, "") << "-q leaves standard error quiet";

  // --timings adds a line for the byte passes, which share one read, and
  // one for the resource pass, even with -q.
  const Outcome timed = Run({"-q", "--timings", Path("sample.bin")});
  EXPECT_EQ(timed.out, advanced.out);
  const std::vector<std::string> timings = Lines(timed.err);
  ASSERT_EQ(timings.size(), 2u) << timed.err;
  EXPECT_EQ(timings[0].rfind("ansi+unicode ", 0), 0u);
  EXPECT_EQ(timings[1].rfind("resource ", 0), 0u);
  for (const std::string& line : timings) {
    EXPECT_EQ(line.substr(line.size() - 3), " ms") << line;
  }

  // A file without strings: empty output, no header.
  WriteFile(Path("empty.bin"), "");
  const Outcome empty = Run({"--quiet", Path("empty.bin")});
  EXPECT_EQ(empty.status, 0);
  EXPECT_EQ(empty.out, "");
}

TEST_F(ScanCliTest, CriteriaOptionsActLikeTheFilterPage) {
  WriteFile(Path("sample.bin"), SampleFile());
  const std::string file = Path("sample.bin");
  auto plain = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--plain", "-q"});
    args.push_back(file);
    const Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    return outcome.out;
  };
  EXPECT_EQ(plain({"--include", "\xe9"}),
            "hello world\ncaf\xe9 au lait\nbaaad\nbaad z\nwide text\n");
  EXPECT_EQ(plain({"--repeat", "3"}), "hello world\n au lait\nbaad z\nwide text\n");
  EXPECT_EQ(plain({"--repeat=1"}), "hello world\n au lait\nbaad z\nwide text\n")
      << "a repeat field below 2 becomes 3";
  EXPECT_EQ(plain({"--must-contain", "z"}), "baad z\n");
  EXPECT_EQ(plain({"--must-contain", "zl"}), "");
  EXPECT_EQ(plain({"--min", "4"}), "hello world\nabcd\n au lait\nbaaad\nbaad z\nwide text\n");
  EXPECT_EQ(plain({"--min", "0"}), plain({})) << "--min 0 gives 5";
  EXPECT_EQ(plain({"--min", "9", "--max", "8"}), " au lait\n")
      << "min is cut down to max: only 8-byte strings";
  EXPECT_EQ(plain({"--min", "6", "--max", "0"}), "hello world\n au lait\nbaad z\nwide text\n");
  // The must-contain characters are allowed bytes too, and come after --include.
  EXPECT_EQ(plain({"--must-contain", "\xe9"}), "caf\xe9 au lait\n");
  EXPECT_EQ(plain({"--include", "\xe9", "--must-contain", "x"}), "wide text\n");
}

TEST_F(ScanCliTest, ResourceStringsAndDamagedSections) {
  testing::ResourceTree tree;
  tree.AddStrings(2, {u"Open file", u"Close all"});
  testing::PeBuilder pe;
  pe.ImageBase(0x400000);
  const testing::ResourceTree::Layout layout = tree.Build(0x3000);
  const std::size_t rsrc = pe.AddSection(".rsrc", 0x3000, layout.bytes);
  const testing::Bytes image = pe.Build();
  ASSERT_TRUE(testing::WriteBytes(Path("image.exe"), image));

  const Outcome good = Run({Path("image.exe")});
  EXPECT_EQ(good.status, 0) << good.err;
  const std::uint64_t first = pe.RawStart(rsrc) + layout.data[0];
  const std::uint64_t firstMem = 0x400000 + 0x3000 + layout.data[0];
  const std::string resourceRows =
      Row(first, firstMem, 16, "Open file") + Row(first + 20, firstMem + 20, 17, "Close all");
  ASSERT_GE(good.out.size(), resourceRows.size());
  EXPECT_EQ(good.out.substr(good.out.size() - resourceRows.size()), resourceRows)
      << "the resource pass runs last";
  const std::vector<std::string> err = Lines(good.err);
  ASSERT_GE(err.size(), 3u);
  EXPECT_EQ(err[2], "RS: 2");
  EXPECT_EQ(good.err.find("There was a problem"), std::string::npos);

  // Two damaged ".rsrc" sections: one warning each, even with -q; the scan
  // still succeeds.
  testing::PeBuilder damaged;
  damaged.AddSection(".rsrc", 0x1000, testing::Bytes(32, 0xFF));
  damaged.AddSection(".rsrc", 0x2000, testing::Bytes(32, 0xFF));
  ASSERT_TRUE(testing::WriteBytes(Path("damaged.exe"), damaged.Build()));
  const Outcome bad = Run({"-q", Path("damaged.exe")});
  EXPECT_EQ(bad.status, 0) << bad.err;
  const std::string warning =
      "There was a problem trying to read the string resources in this file.\r\n"
      "The file may be compressed or in a non-standard format.\n";
  EXPECT_EQ(bad.err, warning + warning);
}

TEST_F(ScanCliTest, OutputFileIsWrittenAsSaveWrites) {
  WriteFile(Path("sample.bin"), SampleFile());
  const Outcome toStdout = Run({"-q", Path("sample.bin")});
  ASSERT_EQ(toStdout.status, 0);

  WriteFile(Path("out.txt"), std::string(100000, 'x'));
  ASSERT_EQ(::chmod(Path("out.txt").c_str(), 0600), 0);
  const Outcome toFile = Run({"-q", "-o", Path("out.txt"), Path("sample.bin")});
  EXPECT_EQ(toFile.status, 0) << toFile.err;
  EXPECT_EQ(toFile.out, "");
  EXPECT_EQ(ReadFile(Path("out.txt")), toStdout.out) << "the old file is replaced entirely";
  struct stat info {};
  ASSERT_EQ(::stat(Path("out.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);

  const Outcome plain = Run({"-q", "--plain", "--output=" + Path("plain.txt"), Path("sample.bin")});
  EXPECT_EQ(plain.status, 0);
  EXPECT_EQ(ReadFile(Path("plain.txt")), "hello world\n au lait\nbaaad\nbaad z\nwide text\n");

  // Onto a link whose file does not exist yet: the file is made, the link
  // stays.
  ASSERT_EQ(::symlink(Path("made.txt").c_str(), Path("link.txt").c_str()), 0);
  const Outcome linked = Run({"-q", "-o", Path("link.txt"), Path("sample.bin")});
  EXPECT_EQ(linked.status, 0) << linked.err;
  EXPECT_EQ(ReadFile(Path("made.txt")), toStdout.out);
  ASSERT_EQ(::lstat(Path("link.txt").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));

  const Outcome noDir = Run({"-q", "-o", Path("no/such/dir.txt"), Path("sample.bin")});
  EXPECT_EQ(noDir.status, 1);
  EXPECT_NE(noDir.err.find("Unable to open that file"), std::string::npos) << noDir.err;
  EXPECT_NE(noDir.err.find(Path("no/such/dir.txt")), std::string::npos);
  EXPECT_NE(noDir.err.find("No such file or directory"), std::string::npos);

  if (::access("/dev/full", W_OK) == 0) {
    const Outcome full = Run({"-q", Path("sample.bin")}, StdoutTo("/dev/full"));
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("No space left on device"), std::string::npos) << full.err;
  }
}

TEST_F(ScanCliTest, FailuresAndTheirExitStatuses) {
  auto expectOpenFailure = [&](const std::string& path, const std::string& reason) {
    const Outcome outcome = Run({path});
    EXPECT_EQ(outcome.status, 1) << path;
    EXPECT_EQ(outcome.out, "") << path;
    EXPECT_EQ(outcome.err,
              "quillex-scan: Unable to open that file: " + path + ": " + reason + "\n");
  };
  expectOpenFailure(Path("missing.bin"), "No such file or directory");
  expectOpenFailure(dir_, "Is a directory");

  // A file that opens but cannot be read.
  const Outcome unreadable = Run({"-q", "/proc/self/mem"});
  EXPECT_EQ(unreadable.status, 4);
  EXPECT_NE(unreadable.err.find("read error"), std::string::npos) << unreadable.err;

  // Results the store cannot take are reported, the rest still printed: 20
  // bytes of pool hold "hello world" (12 bytes) and then only "baaad" (6).
  WriteFile(Path("sample.bin"), SampleFile());
  const Outcome dropped = Run({"-q", "--plain", "--pool-limit", "20", Path("sample.bin")});
  EXPECT_EQ(dropped.status, 3);
  EXPECT_EQ(dropped.out, "hello world\nbaaad\n");
  EXPECT_NE(dropped.err.find("results were dropped: 3"), std::string::npos) << dropped.err;
}

TEST_F(ScanCliTest, UsageErrors) {
  WriteFile(Path("sample.bin"), "some text\n");
  const std::string file = Path("sample.bin");
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--format", "xml", file},
           {"--only", "A-Z,bogus", file},
           {"--min", "5x", file},
           {"--max", "-3", file},
           {"--repeat", file},
           {"--min"},
           {"--bogus", file},
           {"--plain=yes", file},
           {"-o", "", file},
           {"--pool-limit", "0", file},
       }) {
    const Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, 2) << ::testing::PrintToString(args);
    EXPECT_EQ(outcome.out, "") << ::testing::PrintToString(args);
    EXPECT_EQ(outcome.err.rfind("quillex-scan: ", 0), 0u) << outcome.err;
  }

  const Outcome version = Run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "quillex-scan " QUILLEX_VERSION "\n");
  const Outcome help = Run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out, HelpText()) << "--help prints the table's help";
  // A full disk is no success, not even for the texts that need no file.
  for (const char* option : {"--version", "--help", "--list-groups"}) {
    const Outcome full = Run({option}, StdoutTo("/dev/full"));
    EXPECT_EQ(full.status, 1) << option;
    EXPECT_NE(full.err.find("No space left on device"), std::string::npos) << full.err;
  }

  // "--" ends the options, so a file may start with a dash.
  WriteFile(Path("-dash"), "dashing text\n");
  const Outcome dashed = Run({"-q", "--plain", "--", Path("-dash")});
  EXPECT_EQ(dashed.status, 0);
  EXPECT_EQ(dashed.out, "dashing text\n");
}

TEST_F(ScanCliTest, ManyFilesWithOneMissing) {
  WriteFile(Path("a.bin"), SampleFile());
  WriteFile(Path("b.bin"), std::string("second file text\0", 18));
  const Outcome a = Run({Path("a.bin")});
  const Outcome b = Run({Path("b.bin")});
  ASSERT_EQ(a.status, 0);
  ASSERT_EQ(b.status, 0);

  const std::string missing = Path("missing.bin");
  const Outcome both = Run({Path("a.bin"), missing, Path("b.bin")});
  EXPECT_EQ(both.status, 1) << "the missing file decides the status";
  EXPECT_EQ(both.out, "==> " + Path("a.bin") + " <==\r\n" + a.out + "==> " + Path("b.bin") +
                          " <==\r\n" + b.out);
  // The summary names each file; the missing one is reported in its turn.
  const std::vector<std::string> err = Lines(both.err);
  ASSERT_EQ(err.size(), 9u) << both.err;
  EXPECT_EQ(err[0], Path("a.bin") + ": AN: 4");
  EXPECT_EQ(err[3].rfind(Path("a.bin") + ": Time taken : ", 0), 0u);
  EXPECT_EQ(err[4],
            "quillex-scan: Unable to open that file: " + missing + ": No such file or directory");
  EXPECT_EQ(err[5], Path("b.bin") + ": AN: 1");

  const Outcome plain = Run({"-q", "--plain", Path("b.bin"), Path("a.bin")});
  EXPECT_EQ(plain.status, 0);
  EXPECT_EQ(plain.out, "==> " + Path("b.bin") + " <==\nsecond file text\n==> " + Path("a.bin") +
                           " <==\nhello world\n au lait\nbaaad\nbaad z\nwide text\n");
  EXPECT_EQ(plain.err, "");

  // The most serious status wins, whichever file met it.
  const Outcome dropped = Run({"-q", "--pool-limit", "20", Path("a.bin"), Path("b.bin")});
  EXPECT_EQ(dropped.status, 3) << dropped.err;
  EXPECT_NE(dropped.err.find("quillex-scan: " + Path("a.bin") + ": results were dropped: 3"),
            std::string::npos)
      << dropped.err;
  EXPECT_EQ(Run({"-q", "--pool-limit", "20", Path("a.bin"), "/proc/self/mem"}).status, 4);
  EXPECT_EQ(Run({"-q", "--pool-limit", "20", missing, Path("a.bin"), "/proc/self/mem"}).status, 1);

  // The whole run goes to -o through Save, in any format.
  const Outcome saved = Run({"-q", "-o", Path("all.txt"), Path("a.bin"), missing, Path("b.bin")});
  EXPECT_EQ(saved.status, 1);
  EXPECT_EQ(saved.out, "");
  EXPECT_EQ(ReadFile(Path("all.txt")), both.out);
  const Outcome dash = Run({"-q", "--output=-", Path("a.bin"), Path("b.bin")});
  EXPECT_EQ(dash.status, 0);
  EXPECT_EQ(dash.out, both.out) << "-o - is standard output";
}

TEST_F(ScanCliTest, StandardInputScansLikeTheFileByName) {
  const testing::Bytes image = RecordsImage();
  ASSERT_TRUE(testing::WriteBytes(Path("image.exe"), image));
  // Large enough to cross the copy's and the scan's read blocks.
  std::string big;
  while (big.size() < 3 * 1024 * 1024) {
    big += SampleFile();
    big.append(image.begin(), image.end());
  }
  WriteFile(Path("big.bin"), big);

  for (const std::string& name : {std::string("image.exe"), std::string("big.bin")}) {
    const Outcome byName = Run({"-q", Path(name)});
    ASSERT_EQ(byName.status, 0) << byName.err;
    const std::string bytes = ReadFile(Path(name));
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"-q", "-"}, {"-q"}}) {
      const Outcome piped = Run(args, StdinPipe(bytes));
      EXPECT_EQ(piped.status, 0) << piped.err;
      EXPECT_EQ(piped.out, byName.out) << name << " through a pipe";
    }
    const Outcome redirected = Run({"-q"}, StdinFrom(Path(name)));
    EXPECT_EQ(redirected.out, byName.out) << name << " redirected";
  }

  // Standard input among files, named "-" in the separators and records.
  WriteFile(Path("a.bin"), SampleFile());
  const Outcome mixed = Run({"--plain", Path("a.bin"), "-"}, StdinPipe("piped text\n"));
  EXPECT_EQ(mixed.status, 0);
  EXPECT_NE(mixed.out.find("==> - <==\npiped text\n"), std::string::npos) << mixed.out;
  EXPECT_NE(mixed.err.find("-: AN: 1"), std::string::npos) << mixed.err;
  const Outcome json = Run({"-q", "--format", "jsonl"}, StdinPipe("piped text\n"));
  EXPECT_EQ(json.out,
            "{\"file\":\"-\",\"kind\":\"ansi\",\"offset\":0,\"address\":0,\"id\":0,"
            "\"text\":\"piped text\",\"length\":10,\"section\":\"\",\"tags\":[]}\n");

  // A character device, and nothing at all.
  const Outcome device = Run({"-"}, StdinFrom("/dev/null"));
  EXPECT_EQ(device.status, 0) << device.err;
  EXPECT_EQ(device.out, "");
  EXPECT_NE(device.err.find("AN: 0"), std::string::npos);

  // No FILE with a terminal on standard input: nobody is feeding it.
  const Outcome terminal = Run({}, StdinTerminal());
  EXPECT_EQ(terminal.status, 2);
  EXPECT_EQ(terminal.err.rfind("quillex-scan: no FILE given\n", 0), 0u) << terminal.err;
}

TEST_F(ScanCliTest, RecordsMatchTheTextLayout) {
  ASSERT_TRUE(testing::WriteBytes(Path("image.exe"), RecordsImage()));
  WriteFile(Path("a,b.bin"), SampleFile());
  const std::vector<std::string> files{Path("image.exe"), Path("a,b.bin")};
  const std::vector<std::string> criteria{"-q", "--include", "\xe9\x80"};
  auto run = [&](const std::vector<std::string>& extra, const std::vector<std::string>& inputs) {
    std::vector<std::string> args = criteria;
    args.insert(args.end(), extra.begin(), extra.end());
    args.insert(args.end(), inputs.begin(), inputs.end());
    const Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    return outcome.out;
  };

  std::vector<std::pair<std::string, TextRow>> expected;
  for (const std::string& file : files) {
    for (const TextRow& row : TextRows(run({}, {file}))) {
      expected.emplace_back(file, row);
    }
  }
  ASSERT_GE(expected.size(), 8u);
  std::set<std::string> kinds;

  const std::string jsonl = run({"--format", "jsonl"}, files);
  const std::vector<std::string> lines = Lines(jsonl);
  ASSERT_EQ(lines.size(), expected.size()) << jsonl;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::optional<testing::JsonObject> object = testing::JsonLineReader::Parse(lines[i]);
    ASSERT_TRUE(object.has_value()) << lines[i];
    ASSERT_EQ(object->size(), 9u) << lines[i];
    const auto& [file, row] = expected[i];
    const std::vector<std::string> keys{"file", "kind",   "offset",  "address", "id",
                                        "text", "length", "section", "tags"};
    for (std::size_t k = 0; k < keys.size(); ++k) {
      EXPECT_EQ((*object)[k].first, keys[k]);
    }
    EXPECT_EQ(std::get<std::string>((*object)[0].second), file);
    kinds.insert(std::get<std::string>((*object)[1].second));
    EXPECT_EQ(std::get<std::uint64_t>((*object)[2].second), row.offset) << lines[i];
    EXPECT_EQ(std::get<std::uint64_t>((*object)[3].second), row.address) << lines[i];
    EXPECT_EQ(std::get<std::uint64_t>((*object)[4].second), row.id) << lines[i];
    EXPECT_EQ(std::get<std::string>((*object)[5].second), Utf8(row.text)) << lines[i];
    EXPECT_EQ(std::get<std::uint64_t>((*object)[6].second), row.text.size()) << lines[i];
  }
  EXPECT_EQ(kinds, (std::set<std::string>{"ansi", "unicode", "resource"}));

  const std::string csv = run({"--format=csv"}, files);
  const auto rows = testing::ParseCsv(csv);
  ASSERT_TRUE(rows.has_value()) << csv;
  ASSERT_EQ(rows->size(), expected.size() + 1);
  EXPECT_EQ(rows->front(), (std::vector<std::string>{"file", "kind", "offset", "address", "id",
                                                     "text", "length", "section", "tags"}));
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const auto& [file, row] = expected[i];
    const std::vector<std::string>& fields = (*rows)[i + 1];
    ASSERT_EQ(fields.size(), 9u);
    EXPECT_EQ(fields[0], file);
    EXPECT_EQ(fields[2], std::to_string(row.offset));
    EXPECT_EQ(fields[3], std::to_string(row.address));
    EXPECT_EQ(fields[4], std::to_string(row.id));
    EXPECT_EQ(fields[5], Utf8(row.text));
    EXPECT_EQ(fields[6], std::to_string(row.text.size()));
  }

  // Saved through -o, the records are the same bytes.
  std::vector<std::string> args = criteria;
  args.insert(args.end(), {"--format", "csv", "-o", Path("out.csv")});
  args.insert(args.end(), files.begin(), files.end());
  EXPECT_EQ(Run(args).status, 0);
  EXPECT_EQ(ReadFile(Path("out.csv")), csv);
  // With nothing found, CSV still has its header and JSON Lines nothing.
  WriteFile(Path("empty.bin"), "");
  EXPECT_EQ(run({"--format", "csv"}, {Path("empty.bin")}),
            "file,kind,offset,address,id,text,length,section,tags\r\n");
  EXPECT_EQ(run({"--format", "jsonl"}, {Path("empty.bin")}), "");
}

// A spreadsheet must not run what a hostile file holds: csv guards cells
// that start like a formula, --csv-raw and jsonl leave them as they are.
TEST_F(ScanCliTest, CsvGuardsFormulaCells) {
  WriteFile(Path("=sheet.bin"), "=HYPERLINK(\"http://x\")\n@SUM(A1)\nplain words\n");
  const std::string file = Path("=sheet.bin");
  const Outcome guarded = Run({"-q", "--format", "csv", file});
  ASSERT_EQ(guarded.status, 0) << guarded.err;
  const auto rows = testing::ParseCsv(guarded.out);
  ASSERT_TRUE(rows.has_value()) << guarded.out;
  ASSERT_EQ(rows->size(), 4u);
  EXPECT_EQ((*rows)[1][5], "'=HYPERLINK(\"http://x\")");
  EXPECT_EQ((*rows)[2][5], "'@SUM(A1)");
  EXPECT_EQ((*rows)[3][5], "plain words");
  EXPECT_EQ((*rows)[1][6], "22") << "the length of the text as found";
  // The file's name is a cell too; this one does not start like a formula.
  EXPECT_EQ((*rows)[1][0], file);

  const Outcome raw = Run({"-q", "--format", "csv", "--csv-raw", file});
  ASSERT_EQ(raw.status, 0) << raw.err;
  const auto rawRows = testing::ParseCsv(raw.out);
  ASSERT_TRUE(rawRows.has_value()) << raw.out;
  EXPECT_EQ((*rawRows)[1][5], "=HYPERLINK(\"http://x\")");
  EXPECT_EQ((*rawRows)[2][5], "@SUM(A1)");
  const Outcome json = Run({"-q", "--format", "jsonl", file});
  EXPECT_NE(json.out.find(R"j("text":"=HYPERLINK(\"http://x\")")j"), std::string::npos) << json.out;
  // The guard is CSV's alone: --csv-raw changes no other format.
  EXPECT_EQ(Run({"-q", "--csv-raw", file}).out, Run({"-q", file}).out);
}

TEST_F(ScanCliTest, ShortMinAndTheGroupOptions) {
  WriteFile(Path("sample.bin"), SampleFile());
  const std::string file = Path("sample.bin");
  auto plain = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--plain", "-q"});
    args.push_back(file);
    const Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    return outcome.out;
  };
  const std::string min4 = plain({"--min", "4"});
  EXPECT_NE(min4, plain({}));
  EXPECT_EQ(plain({"-n", "4"}), min4);
  EXPECT_EQ(plain({"-n4"}), min4);

  // Only letters: the spaces now end strings, and "wide", "text" are short.
  EXPECT_EQ(plain({"--only", "a-z"}), "hello\nworld\nbaaad\n");
  EXPECT_EQ(plain({"--only", "a-z,SPACE"}), plain({"--exclude", "0-9"}));
  EXPECT_EQ(plain({"--exclude", "space"}), "hello\nworld\nbaaad\n");
  // The groups come first, then the custom characters.
  EXPECT_EQ(plain({"--only", "", "--include", "abd"}), "baaad\n");
  EXPECT_EQ(plain({"--only", "a-z", "--must-contain", " "}),
            "hello world\n au lait\nbaad z\nwide text\n");

  const Outcome unknown = Run({"--exclude", "space,nope", file});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("no character group is named 'nope'"), std::string::npos);
  EXPECT_NE(unknown.err.find("' (apostrophe)"), std::string::npos) << unknown.err;

  const Outcome list = Run({"--list-groups"});
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(list.out, GroupListText());
}

TEST_F(ScanCliTest, ClosedPipeEndsQuietly) {
  WriteFile(Path("sample.bin"), SampleFile());
  for (const bool ignored : {false, true}) {
    for (const std::string& format : {std::string("text"), std::string("csv")}) {
      const Outcome outcome =
          Run({"--format", format, Path("sample.bin"), Path("sample.bin")}, ClosedStdout(ignored));
      if (ignored) {
        EXPECT_EQ(outcome.status, 0) << format;
      } else {
        EXPECT_EQ(outcome.signal, SIGPIPE) << format;
      }
      EXPECT_EQ(outcome.err, "") << format << (ignored ? ", SIGPIPE ignored" : "");
    }
  }
}

}  // namespace
}  // namespace quillex
