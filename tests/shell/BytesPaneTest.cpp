// The Section column of a scanned image, and the pane of bytes around the
// current string: its place under the views, its bytes and highlight for each
// kind of string, in both views, and what it says when the file has changed.

// Standard library
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

// Qt
#include <QAccessible>
#include <QAccessibleInterface>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

// Quillex
#include "shell/BytesPaneSplit.h"
#include "shell/SampleImage.h"
#include "shell/ShellFixture.h"
#include "views/gui/BytesPane.h"
#include "views/gui/NormalView.h"
#include "views/gui/ResultList.h"
#include "views/gui/ResultListModel.h"

namespace quillex::testing {
namespace {

// What the pane highlights: the hex digits and the characters of the
// string's bytes, each joined over the lines they take.
struct Highlight {
  std::string hex;
  std::string chars;
  // The first highlighted line, whole.
  std::string firstLine;
};

Highlight HighlightOf(const BytesPane& pane) {
  Highlight shown;
  const QList<QTextEdit::ExtraSelection> selections = pane.extraSelections();
  for (qsizetype k = 0; k < selections.size(); ++k) {
    const std::string text = selections[k].cursor.selectedText().toStdString();
    std::string& into = k % 2 == 0 ? shown.hex : shown.chars;
    into += (k % 2 == 0 && !into.empty() ? " " : "") + text;
    if (k == 0) {
      shown.firstLine = selections[k].cursor.block().text().toStdString();
    }
  }
  return shown;
}

std::string Hex12(std::uint64_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%012llX", static_cast<unsigned long long>(value));
  return text;
}

class BytesPaneTest : public ShellFixture {
 protected:
  void SetUp() override {
    window_->SetLayoutReady();
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    path_ = dir_.Write("sample.exe", image_.bytes);
    ScanFile(path_);
  }
  ResultListModel& Model() const { return Search().Model(); }
  BytesPane& Pane() const { return *Search().Bytes(); }
  void TickBytes(bool on) {
    Search().SetChecked(kBytesBox, on);
    ASSERT_TRUE(Search().Command(kBytesBox));
  }
  // The list row of the first result with this text and kind.
  int RowOf(const std::string& text, StringKind kind) const {
    for (int row = 0; row < Model().rowCount(); ++row) {
      const std::uint32_t result = Model().ResultIndexAt(row);
      if (engine_.store.Kind(result) == kind && engine_.store.Text(result) == text) {
        return row;
      }
    }
    return -1;
  }
  void MakeCurrent(int row) {
    ASSERT_GE(row, 0);
    Search().List()->setCurrentIndex(Model().index(row, 0));
  }
  QString Cell(int row, ResultColumn column) const {
    return Model().index(row, static_cast<int>(column)).data().toString();
  }

  SampleImage image_;
  std::string path_;
};

TEST_F(BytesPaneTest, TheSectionColumnNamesWhereEachStringLies) {
  const int ansi = RowOf("An ansi string", StringKind::Ansi);
  const int words = RowOf("Read-only words", StringKind::Ansi);
  const int wide = RowOf("A wide string", StringKind::Unicode);
  const int entry = RowOf("From the table", StringKind::Resource);
  ASSERT_TRUE(ansi >= 0 && words >= 0 && wide >= 0 && entry >= 0);
  EXPECT_EQ(Cell(ansi, ResultColumn::Section), ".text");
  EXPECT_EQ(Cell(words, ResultColumn::Section), ".rdata");
  EXPECT_EQ(Cell(wide, ResultColumn::Section), ".data");
  EXPECT_EQ(Cell(entry, ResultColumn::Section), ".rsrc");
  EXPECT_EQ(Cell(wide, ResultColumn::Length), "13");

  // The same bytes in a file that is not a PE image have no sections.
  std::string plain = image_.bytes;
  plain[0] = 'X';
  ScanFile(dir_.Write("plain.bin", plain));
  const int again = RowOf("An ansi string", StringKind::Ansi);
  ASSERT_GE(again, 0);
  EXPECT_EQ(Cell(again, ResultColumn::Section), "");
  EXPECT_EQ(Cell(again, ResultColumn::Length), "14");
}

// Shown, the pane takes the bottom of the views' rectangle; hidden, the views
// get it all back, exactly; the views keep at least half.
TEST_F(BytesPaneTest, ThePaneSitsUnderTheViews) {
  EXPECT_FALSE(Pane().isVisible());
  const QRect views = Search().List()->geometry();
  TickBytes(true);
  ASSERT_TRUE(Pane().isVisible());
  const QRect pane = Pane().geometry();
  const QRect list = Search().List()->geometry();
  EXPECT_EQ(list.top(), views.top());
  EXPECT_LT(list.bottom(), pane.top());
  EXPECT_EQ(pane.bottom(), views.bottom());
  EXPECT_EQ(pane.left(), views.left());
  EXPECT_EQ(pane.width(), views.width());
  EXPECT_GE(list.height(), pane.height()) << "the list keeps at least half";
  EXPECT_EQ(Search().Normal()->geometry(), list);

  const QSize before = window_->size();
  window_->resize(before + QSize(80, 60));
  QCoreApplication::processEvents();
  // The pane grows up to the height it was designed with, the views take
  // the rest.
  const QRect grownPane = Pane().geometry();
  const QRect grownList = Search().List()->geometry();
  EXPECT_EQ(grownPane.bottom(), pane.bottom() + 60);
  EXPECT_EQ(grownPane.width(), pane.width() + 80);
  EXPECT_EQ(grownList.top(), list.top());
  EXPECT_EQ(grownList.bottom() + (pane.top() - list.bottom()), grownPane.top());
  EXPECT_GE(grownPane.height(), pane.height());
  EXPECT_GE(grownList.height(), list.height() + 30);
  EXPECT_GE(grownList.height(), grownPane.height());

  TickBytes(false);
  EXPECT_FALSE(Pane().isVisible());
  EXPECT_EQ(Search().List()->geometry(), views.adjusted(0, 0, 80, 60));
  window_->resize(before);
  QCoreApplication::processEvents();
  EXPECT_EQ(Search().List()->geometry(), views);
}

TEST(BytesPaneSplit, ThePaneNeverTakesMoreThanTheViewsKeep) {
  const PixelRect area{5, 50, 400, 350};
  const ViewsAndPane split = SplitForBytesPane(area, 100, 4);
  EXPECT_EQ(split.views, (PixelRect{5, 50, 400, 246}));
  EXPECT_EQ(split.pane, (PixelRect{5, 250, 400, 350}));
  const ViewsAndPane small = SplitForBytesPane(PixelRect{5, 50, 400, 110}, 100, 4);
  EXPECT_EQ(small.pane, (PixelRect{5, 82, 400, 110}));
  EXPECT_EQ(small.views, (PixelRect{5, 50, 400, 78}));
  const ViewsAndPane none = SplitForBytesPane(PixelRect{5, 50, 400, 52}, 100, 4);
  EXPECT_EQ(none.pane.Height(), 0);
  EXPECT_EQ(none.views.Height(), 0);
}

TEST_F(BytesPaneTest, TheStringsBytesAreHighlightedForEachKind) {
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&Pane());
  ASSERT_NE(face, nullptr);
  EXPECT_EQ(face->text(QAccessible::Name), "Bytes around the string");
  TickBytes(true);
  EXPECT_EQ(Pane().toPlainText().toStdString(), kNoCurrentStringText);

  const std::uint64_t ansiAt = image_.textStart + SampleImage::kAnsiAt;
  MakeCurrent(RowOf("An ansi string", StringKind::Ansi));
  Highlight shown = HighlightOf(Pane());
  EXPECT_EQ(shown.hex, "41 6E 20 61 6E 73 69 20 73 74 72 69 6E 67");
  EXPECT_EQ(shown.chars, "An ansi string");
  EXPECT_EQ(shown.firstLine.substr(0, 12), Hex12(ansiAt - ansiAt % 16));
  // Rows before the string's and after it, 16 bytes each.
  const QStringList lines = Pane().toPlainText().split(QLatin1Char('\n'));
  ASSERT_GE(lines.size(), 5);
  EXPECT_EQ(lines.front().left(12).toStdString(), Hex12(ansiAt - ansiAt % 16 - 4 * 16));
  EXPECT_EQ(lines.front().mid(BytesPane::kHexColumn, 47).count(QLatin1Char(' ')), 15);

  // Both bytes of every UTF-16 unit, the zero bytes shown as dots.
  MakeCurrent(RowOf("A wide string", StringKind::Unicode));
  shown = HighlightOf(Pane());
  EXPECT_EQ(shown.hex,
            "41 00 20 00 77 00 69 00 64 00 65 00 20 00 73 00 74 00 72 00 69 00 6E 00 "
            "67 00");
  EXPECT_EQ(shown.chars, "A. .w.i.d.e. .s.t.r.i.n.g.");

  // A string-table entry: its characters, not the count before them.
  MakeCurrent(RowOf("From the table", StringKind::Resource));
  shown = HighlightOf(Pane());
  EXPECT_EQ(shown.hex.substr(0, 11), "46 00 72 00");
  EXPECT_EQ(shown.chars, "F.r.o.m. .t.h.e. .t.a.b.l.e.");
  const std::size_t count = Pane().toPlainText().toStdString().find("0E 00 46 00");
  EXPECT_NE(count, std::string::npos) << "the count stands just before, unhighlighted";
}

// In the normal view the pane follows the caret through the running text.
TEST_F(BytesPaneTest, InTheRunningTextThePaneFollowsTheCaret) {
  TickBytes(true);
  Search().SetChecked(kAdvancedViewBox, false);
  ASSERT_TRUE(Search().Command(kAdvancedViewBox));
  const std::string text = Search().Normal()->Text();
  const std::size_t wide = text.find("A wide string");
  ASSERT_NE(wide, std::string::npos);
  Search().Normal()->SetSelection(wide + 4, wide + 4);
  EXPECT_EQ(HighlightOf(Pane()).chars, "A. .w.i.d.e. .s.t.r.i.n.g.");
  // A click on the first string's characters.
  const std::size_t ansi = text.find("An ansi string");
  Search().Normal()->SetSelection(ansi, ansi + 2);
  EXPECT_EQ(HighlightOf(Pane()).chars, "An ansi string");
  // Back in the list, the pane shows the list's current row again.
  MakeCurrent(RowOf("Read-only words", StringKind::Ansi));
  Search().SetChecked(kAdvancedViewBox, true);
  ASSERT_TRUE(Search().Command(kAdvancedViewBox));
  EXPECT_EQ(HighlightOf(Pane()).chars, "Read-only words");
}

// A file that changed or went after the scan shows no bytes at all, only a
// plain sentence: other bytes are never shown as the string's.
TEST_F(BytesPaneTest, AChangedOrMissingFileIsSaidPlainly) {
  TickBytes(true);
  MakeCurrent(RowOf("An ansi string", StringKind::Ansi));
  ASSERT_FALSE(HighlightOf(Pane()).hex.empty());
  {
    std::ofstream grown(path_, std::ios::binary | std::ios::app);
    grown << "more";
  }
  MakeCurrent(RowOf("A wide string", StringKind::Unicode));
  EXPECT_TRUE(Pane().extraSelections().isEmpty());
  EXPECT_EQ(Pane().toPlainText(),
            "The file has changed since the scan, so the bytes around this string cannot be "
            "shown.");
  // The columns show what the scan found: its section map stays the scan's.
  EXPECT_EQ(Cell(RowOf("A wide string", StringKind::Unicode), ResultColumn::Section), ".data");
  std::filesystem::remove(path_);
  MakeCurrent(RowOf("An ansi string", StringKind::Ansi));
  EXPECT_TRUE(Pane().toPlainText().startsWith(QStringLiteral("The file is no longer there")));
  EXPECT_TRUE(Pane().extraSelections().isEmpty());

  // A new scan empties it until a string is chosen.
  ScanFile(dir_.Write("other.bin", std::string("another file's string\n")));
  EXPECT_EQ(Pane().toPlainText().toStdString(), kNoCurrentStringText);
  MakeCurrent(0);
  EXPECT_EQ(HighlightOf(Pane()).chars, "another file's string");
}

}  // namespace
}  // namespace quillex::testing
