#include "views/BytesAround.h"

// Standard library
#include <cstdint>
#include <string>
#include <vector>

// System
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

// Ours
#include "scan/ScanDriver.h"
#include "scan/ScanTestSupport.h"
#include "support/PeBuilder.h"

namespace quillex {
namespace {

using testing::Bytes;

void PutText(Bytes& b, std::size_t at, std::string_view text) {
  for (std::size_t k = 0; k < text.size(); ++k) {
    testing::Put8(b, at + k, static_cast<std::uint8_t>(text[k]));
  }
}

void PutWide(Bytes& b, std::size_t at, std::string_view text) {
  for (std::size_t k = 0; k < text.size(); ++k) {
    testing::Put16(b, at + 2 * k, static_cast<std::uint8_t>(text[k]));
  }
}

// The bytes the rows highlight, in order, and whether the rows are whole
// rows of 16 from a multiple of 16, one after the other.
struct Highlighted {
  Bytes bytes;
  std::uint64_t first = 0;
  bool rowsInOrder = true;
};

Highlighted HighlightOf(const BytesAround& around) {
  Highlighted out;
  bool seen = false;
  for (std::size_t r = 0; r < around.rows.size(); ++r) {
    const ByteRow& row = around.rows[r];
    out.rowsInOrder = out.rowsInOrder && row.offset % kBytesPerRow == 0 &&
                      (r == 0 || row.offset == around.rows[r - 1].offset + kBytesPerRow) &&
                      (row.count == kBytesPerRow || r + 1 == around.rows.size());
    for (std::uint32_t k = row.highlightFirst; k < row.highlightEnd; ++k) {
      if (!seen) {
        out.first = row.offset + k;
        seen = true;
      }
      out.bytes.push_back(row.bytes[k]);
    }
  }
  return out;
}

// The low bytes of UTF-16LE units.
std::string LowBytes(const Bytes& units) {
  std::string low;
  for (std::size_t k = 0; k < units.size(); k += 2) {
    low += static_cast<char>(units[k]);
  }
  return low;
}

class BytesAroundTest : public ::testing::Test {
 protected:
  BytesAroundTest() {
    engine.table = testing::TestTable();
    engine.criteria = testing::Criteria(4);
  }

  // An image with ANSI and UTF-16 text in ".text", a string table and a
  // named resource type, scanned.
  void ScanImage() {
    testing::ResourceTree tree;
    tree.AddStrings(1, {u"res zero", u"res one"});
    tree.Add(testing::ResourceTree::Name(u"MYTYPE"), testing::ResourceTree::Id(1), 0x409, {1, 2});
    Bytes text(0x200, 0);
    PutText(text, 0x10, "Hello World");
    PutWide(text, 0x40, "Unicode text");
    testing::PeBuilder pe;
    pe.AddSection(".text", 0x1000, text);
    pe.AddSection(".rsrc", 0x2000, tree.Build(0x2000).bytes);
    Scan(pe.Build());
  }

  void Scan(const Bytes& bytes) {
    file.Write(bytes);
    report = RunScan(file.Path(), engine, host);
    ASSERT_TRUE(report.opened);
  }

  BytesAround Around(std::uint32_t result, const BytesAroundOptions& options = {}) {
    return ReadBytesAround(file.Path(), report.fileIdentity,
                           PlaceOfResult(engine.store, engine.map, result), options);
  }

  // Gives the file another modification time, keeping its bytes.
  void Touch(std::int64_t seconds) {
    const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(seconds), 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.Path().c_str(), times, 0), 0);
  }

  ScanEngine engine;
  testing::FakeHost host;
  testing::TempFile file;
  ScanReport report;
};

// Each kind's characters are highlighted where they lie: ANSI bytes, both
// bytes of every UTF-16 unit, and for resource strings the characters after a
// string-table entry's count or from a named type's first character.
TEST_F(BytesAroundTest, HighlightsEachKindOfString) {
  ScanImage();
  int named = 0;
  int entries = 0;
  for (std::uint32_t i = 0; i < engine.store.Count(); ++i) {
    const std::string text = engine.store.Text(i);
    const std::uint64_t position = engine.store.Position(i);
    const BytesAround around = Around(i);
    ASSERT_EQ(around.status, BytesStatus::Ok) << text << ": " << around.message;
    const Highlighted lit = HighlightOf(around);
    EXPECT_TRUE(lit.rowsInOrder) << text;
    EXPECT_EQ(lit.first, around.stringStart) << text;
    EXPECT_EQ(around.stringEnd - around.stringStart, lit.bytes.size()) << text;
    switch (engine.store.Kind(i)) {
      case StringKind::Ansi:
        EXPECT_EQ(around.stringStart, position);
        EXPECT_EQ(std::string(lit.bytes.begin(), lit.bytes.end()), text);
        break;
      case StringKind::Unicode:
        EXPECT_EQ(around.stringStart, position);
        EXPECT_EQ(lit.bytes.size(), 2 * text.size()) << "both bytes of each unit";
        EXPECT_EQ(LowBytes(lit.bytes), text);
        break;
      case StringKind::Resource: {
        const bool isType = text == "MYTYPE";
        named += isType ? 1 : 0;
        entries += isType ? 0 : 1;
        EXPECT_EQ(PlaceOfResult(engine.store, engine.map, i).namedType, isType) << text;
        EXPECT_EQ(around.stringStart, isType ? position : position + 2) << text;
        EXPECT_EQ(LowBytes(lit.bytes), text);
        // A wrong guess of the layout is put right by the bytes.
        ResultPlace flipped = PlaceOfResult(engine.store, engine.map, i);
        flipped.namedType = !flipped.namedType;
        const BytesAround again = ReadBytesAround(file.Path(), report.fileIdentity, flipped);
        EXPECT_EQ(again.stringStart, around.stringStart) << text;
        break;
      }
    }
    // Four rows before the string's row where the file has them, and only
    // the rows the options allow.
    EXPECT_EQ(around.rows.front().offset, std::max<std::uint64_t>(position / 16 * 16, 64) - 64);
    EXPECT_LE(around.rows.size(), 32u);
  }
  EXPECT_EQ(named, 1);
  EXPECT_EQ(entries, 2);
}

// The row texts: the offset as the File pos column has it, the hex bytes a
// space apart, and a character per byte, control bytes as a stand-in; no row
// before the file's start or past its end.
TEST_F(BytesAroundTest, RowTextsAndTheFileEdges) {
  Bytes bytes;
  PutText(bytes, 0, "Start of it");
  for (int b = 0; b < 256; ++b) {
    bytes.push_back(static_cast<std::uint8_t>(b));
  }
  PutText(bytes, bytes.size(), "caf\xe9 at the end");
  Scan(bytes);
  std::vector<std::string> texts;
  for (std::uint32_t i = 0; i < engine.store.Count(); ++i) {
    texts.emplace_back(engine.store.Text(i));
  }
  ASSERT_EQ(texts,
            (std::vector<std::string>{"Start of it", "0123456789", "ABCDEFGHIJKLMNOPQRSTUVWXYZ",
                                      "abcdefghijklmnopqrstuvwxyz", " at the end"}));

  const BytesAround start = Around(0);
  ASSERT_EQ(start.status, BytesStatus::Ok) << start.message;
  const ByteRow& first = start.rows.front();
  EXPECT_EQ(first.offset, 0u);
  EXPECT_EQ(first.offsetText, "000000000000");
  EXPECT_EQ(first.count, kBytesPerRow);
  EXPECT_EQ(first.hexText, "53 74 61 72 74 20 6F 66 20 69 74 00 01 02 03 04");
  EXPECT_EQ(first.charText, u"Start of it.....");
  EXPECT_EQ(first.highlightFirst, 0u);
  EXPECT_EQ(first.highlightEnd, 11u);
  EXPECT_EQ(start.rows.size(), 5u) << "the string's row and four after it";
  EXPECT_EQ(start.rows[1].highlightFirst, start.rows[1].highlightEnd) << "nothing lit after it";
  EXPECT_EQ(start.rows[4].offsetText, "000000000040");

  // Windows-1252 characters around the lower-case letters, with DEL and the
  // undefined bytes as controls.
  const BytesAround middle = Around(3);
  ASSERT_EQ(middle.status, BytesStatus::Ok) << middle.message;
  std::u16string chars;
  for (const ByteRow& row : middle.rows) {
    chars += row.charText;
  }
  EXPECT_NE(chars.find(u"xyz{|}~.\u20AC.\u201A"), std::u16string::npos) << "7F 80 81 82";
  EXPECT_NE(chars.find(u"\u0152.\u017D..\u2018"), std::u16string::npos) << "8C to 91";

  const BytesAround end = Around(4);
  ASSERT_EQ(end.status, BytesStatus::Ok) << end.message;
  EXPECT_EQ(end.stringEnd, bytes.size());
  const ByteRow& tail = end.rows.back();
  EXPECT_EQ(tail.offset + tail.count, bytes.size());
  EXPECT_EQ(tail.count, bytes.size() % kBytesPerRow);
  EXPECT_EQ(tail.hexText.size(), 3 * tail.count - 1);
  EXPECT_EQ(tail.charText.size(), tail.count);
  EXPECT_EQ(tail.highlightEnd, tail.count);
  const Highlighted lit = HighlightOf(end);
  EXPECT_EQ(std::string(lit.bytes.begin(), lit.bytes.end()), " at the end");
  EXPECT_EQ(end.rows.size(), 6u) << "four rows before the string's two";
}

TEST_F(BytesAroundTest, LongStringsAreCutToTheRowLimit) {
  Bytes bytes(100, 0);
  PutText(bytes, 100, std::string(1000, 'x') + "y");
  bytes.resize(1200, 0);
  engine.criteria = testing::Criteria(4, 1024);
  Scan(bytes);
  ASSERT_EQ(engine.store.Count(), 1u);
  const BytesAround around = Around(0, {.rowsBefore = 2, .rowsAfter = 2, .maxRows = 8});
  ASSERT_EQ(around.status, BytesStatus::Ok);
  EXPECT_EQ(around.stringStart, 100u);
  EXPECT_EQ(around.stringEnd, 1101u) << "the whole string, though the rows show its start";
  ASSERT_EQ(around.rows.size(), 8u);
  EXPECT_EQ(around.rows.front().offset, 64u);
  EXPECT_EQ(around.rows.back().highlightEnd, kBytesPerRow) << "the string goes on";
}

// A file that changed or went since the scan shows no bytes at all.
TEST_F(BytesAroundTest, ChangedAndMissingFiles) {
  ScanImage();
  ASSERT_GE(engine.store.Count(), 3u);
  struct stat info {};
  ASSERT_EQ(::stat(file.Path().c_str(), &info), 0);
  EXPECT_EQ(report.fileIdentity.size, static_cast<std::uint64_t>(info.st_size));
  EXPECT_EQ(report.fileIdentity.modifiedSeconds, info.st_mtim.tv_sec);
  const std::int64_t scanned = info.st_mtim.tv_sec;
  ASSERT_EQ(Around(0).status, BytesStatus::Ok);

  // Only the time changed.
  Touch(scanned + 100);
  BytesAround around = Around(0);
  EXPECT_EQ(around.status, BytesStatus::FileChanged);
  EXPECT_TRUE(around.rows.empty());
  EXPECT_EQ(around.message,
            "The file has changed since the scan, so the bytes around this string cannot be "
            "shown.");

  // The same size and time, other bytes where the string was.
  Bytes bytes(report.fileIdentity.size, 0);
  file.Write(bytes);
  Touch(scanned);
  ASSERT_EQ(::stat(file.Path().c_str(), &info), 0);
  ASSERT_EQ(info.st_mtim.tv_nsec, 0);
  FileIdentity identity = report.fileIdentity;
  identity.modifiedNanoseconds = 0;
  around = ReadBytesAround(file.Path(), identity, PlaceOfResult(engine.store, engine.map, 0));
  EXPECT_EQ(around.status, BytesStatus::FileChanged) << "the bytes no longer hold the text";
  EXPECT_TRUE(around.rows.empty());

  // A place past the end of the file as scanned.
  ResultPlace beyond{.position = identity.size - 2, .kind = StringKind::Ansi, .text = "abcd"};
  EXPECT_EQ(ReadBytesAround(file.Path(), identity, beyond).status, BytesStatus::FileChanged);

  ASSERT_EQ(std::remove(file.Path().c_str()), 0);
  around = Around(0);
  EXPECT_EQ(around.status, BytesStatus::FileGone);
  EXPECT_TRUE(around.rows.empty());
  EXPECT_EQ(around.message,
            "The file is no longer there, so the bytes around this string cannot be shown.");
  // A directory in its place cannot be read.
  ASSERT_EQ(::mkdir(file.Path().c_str(), 0700), 0);
  around = Around(0);
  EXPECT_EQ(around.status, BytesStatus::Unreadable);
  EXPECT_EQ(around.message.rfind("The file could not be read: ", 0), 0u) << around.message;
  ASSERT_EQ(::rmdir(file.Path().c_str()), 0);
}

}  // namespace
}  // namespace quillex
