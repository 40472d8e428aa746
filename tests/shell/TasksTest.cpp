// The Search page's work in the background: each operation gives what it
// gives when done where it is asked for, Escape takes work back, a second
// click replaces a sort, and a scan meets the tasks that run when it starts.

// Standard library
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

// Qt
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QTest>

#include <gtest/gtest.h>

// Quillex
#include "shell/ShellFixture.h"
#include "support/FileBytes.h"
#include "views/AdvancedWriter.h"
#include "views/OutputFormats.h"
#include "views/SaveResults.h"
#include "views/TextWrap.h"
#include "views/gui/Cp1252Text.h"
#include "views/gui/Find.h"
#include "views/gui/NormalView.h"
#include "views/gui/ResultList.h"
#include "views/gui/ResultListModel.h"
#include "views/gui/ResultSelectionModel.h"

namespace quillex::testing {
namespace {

// Lines of words in many cases and orders, with many equal texts and many
// sharing their first eight bytes: enough rows for a sort to take a moment,
// few enough for the tests to stay quick.
std::string Lines(int count, unsigned seed = 7) {
  static const char* const kWords[] = {"Alpha",  "betas",  "GAMMA", "delta", "kernel32",
                                       "Kernel", "needle", "zetas", "Etas!", "theta"};
  std::mt19937 random(seed);
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += kWords[random() % 10];
    for (int k = static_cast<int>(random() % 3); k > 0; --k) {
      text += ' ';
      text += kWords[random() % 10];
    }
    text += '\n';
  }
  return text;
}

class Tasks : public ShellFixture {
 protected:
  void SetUp() override {
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  }
  void ScanLines(int count, unsigned seed = 7) {
    ScanFile(dir_.Write("lines-" + std::to_string(seed) + ".txt", Lines(count, seed)));
  }
  ResultList& List() const { return *Search().List(); }
  ResultListModel& Model() const { return Search().Model(); }
  std::vector<std::uint32_t> Order() const {
    const auto order = Model().DisplayOrder();
    return {order.begin(), order.end()};
  }
  // The order a model of its own reaches, sorting at once, after the clicks.
  std::vector<std::uint32_t> OrderAfterClicks(const std::vector<ResultColumn>& clicks) const {
    ResultListModel model(engine_.store, engine_.map);
    model.Fill();
    for (const ResultColumn column : clicks) {
      model.SortByColumn(column);
    }
    const auto order = model.DisplayOrder();
    return {order.begin(), order.end()};
  }
  // What a Save of the list in the advanced layout writes, done here.
  std::string Saved(const std::filesystem::path& path) const {
    const WriterSource source{
        .store = engine_.store, .map = engine_.map, .rows = Model().DisplayOrder()};
    EXPECT_EQ(SaveResults(path.string(), *FindOutputFormat(kAdvancedLayoutName), source),
              SaveResult::Ok);
    return ReadFile(path.string());
  }
  void UseAdvancedView(bool advanced) {
    Search().SetChecked(kAdvancedViewBox, advanced);
    ASSERT_TRUE(Search().Command(kAdvancedViewBox));
  }
};

// Every column both ways, each sort starting from the last one's rows.
TEST_F(Tasks, SortsGiveTheOrderOfASortDoneAtOnce) {
  ScanLines(30000);
  ASSERT_EQ(engine_.store.Count(), 30000u);
  std::vector<ResultColumn> clicks;
  for (const ResultColumn column :
       {ResultColumn::Text, ResultColumn::Text, ResultColumn::Id, ResultColumn::FilePos,
        ResultColumn::Text, ResultColumn::MemPos, ResultColumn::MemPos}) {
    List().ClickHeader(static_cast<int>(column));
    EXPECT_EQ(Text(kStatusText), "Sorting...");
    WaitForTasks();
    EXPECT_EQ(Text(kStatusText), "Ready");
    clicks.push_back(column);
    ASSERT_EQ(Order(), OrderAfterClicks(clicks)) << "after click " << clicks.size();
  }
  EXPECT_EQ(List().header()->sortIndicatorSection(), static_cast<int>(ResultColumn::MemPos));
  EXPECT_EQ(List().header()->sortIndicatorOrder(), Qt::DescendingOrder);
}

// Find in the list and Copy give what they give done at once.
TEST_F(Tasks, ListFindAndCopyGiveWhatTheyGiveDoneAtOnce) {
  ScanLines(30000);
  List().ClickHeader(static_cast<int>(ResultColumn::Text));
  WaitForTasks();
  List().SetRowSelected(3);
  Search().SetControlText(kFindEdit, QStringLiteral("NEEDLE"));
  ASSERT_TRUE(Search().Command(kFindButton));
  EXPECT_EQ(Text(kStatusText), "Searching...");
  WaitForTasks();
  ResultListModel model(engine_.store, engine_.map);
  ResultList reference(model);
  reference.resize(List().size());
  model.Fill();
  model.SortByColumn(ResultColumn::Text);
  reference.SetRowSelected(3);
  ListFind("NEEDLE", reference);
  const std::vector<std::uint32_t> selected = List().SelectedRowsInDisplayOrder();
  EXPECT_EQ(selected, reference.SelectedRowsInDisplayOrder());
  EXPECT_GT(selected.size(), 1000u);

  ASSERT_TRUE(Search().Command(kCopyCommand));
  EXPECT_EQ(Text(kStatusText), "Copying...");
  WaitForTasks();
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
            AdvancedWriter::CopyText(selected, engine_.store, engine_.map));
}

// The running text's layout, its Find and its Copy give what they give done
// at once.
TEST_F(Tasks, TheRunningTextsWorkGivesWhatItGivesDoneAtOnce) {
  ScanLines(30000);
  Search().SetControlText(kFindEdit, QStringLiteral("NEEDLE"));
  // The running text, laid out in the background from a small size on.
  NormalView& normal = *Search().Normal();
  normal.SetTasks(&Search().Tasks(), 1000);
  UseAdvancedView(false);
  EXPECT_TRUE(Search().Tasks().Busy(TaskKind::Layout));
  EXPECT_EQ(Text(kStatusText), "Laying out...");
  // Find waits behind the layout, in the same lane, and lands on it.
  ASSERT_TRUE(Search().Command(kFindButton));
  WaitForTasks();
  const std::string running = normal.Text();
  const std::vector<std::size_t> lines =
      WrapLines(running, static_cast<std::size_t>(normal.Columns()));
  ASSERT_EQ(normal.LineCount(), lines.size());
  for (const std::size_t line : {std::size_t{1}, lines.size() / 2, lines.size() - 1}) {
    EXPECT_EQ(normal.LineStart(line), lines[line]) << line;
  }
  NormalView at(nullptr);
  at.resize(normal.size());
  at.SetBytes(normal.Bytes());
  at.show();
  TextFind("NEEDLE", at);
  EXPECT_EQ(normal.Selection(), at.Selection());
  EXPECT_EQ(normal.FirstVisibleLine(), at.FirstVisibleLine());

  // A narrower view lays out again, keeping its first character in sight.
  const std::size_t topChar = normal.LineStart(normal.FirstVisibleLine());
  window_->resize(window_->width() - 120, window_->height());
  WaitForTasks();
  EXPECT_EQ(normal.LineCount(),
            WrapLines(running, static_cast<std::size_t>(normal.Columns())).size());
  EXPECT_EQ(normal.FirstVisibleLine(), normal.LineFromChar(topChar));

  // Ctrl+A, Ctrl+C in the running text: the whole text, NULs as spaces.
  normal.setFocus();
  QTest::keyClick(&normal, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(&normal, Qt::Key_C, Qt::ControlModifier);
  EXPECT_TRUE(Search().Tasks().Busy(TaskKind::Copy));
  WaitForTasks();
  EXPECT_EQ(QApplication::clipboard()->text(), BytesToQString(running));
}

// Escape during a sort, waiting or running, leaves the rows and the click
// state as they were: the next click on the column sorts it ascending.
TEST_F(Tasks, EscapeDuringASortKeepsThePreviousOrder) {
  ScanLines(30000);
  List().ClickHeader(static_cast<int>(ResultColumn::Id));
  WaitForTasks();
  const std::vector<std::uint32_t> before = Order();
  QTest::mouseMove(List().viewport(), QPoint(10, 10));

  List().ClickHeader(static_cast<int>(ResultColumn::Text));
  EXPECT_EQ(List().viewport()->cursor().shape(), Qt::BusyCursor);
  QTest::keyClick(window_.get(), Qt::Key_Escape);
  EXPECT_EQ(Text(kStatusText), "Ready") << "at once";
  EXPECT_EQ(List().viewport()->cursor().shape(), Qt::ArrowCursor);
  WaitForTasks();
  QTest::qWait(50);
  EXPECT_EQ(Order(), before);
  EXPECT_EQ(Model().ClickState().column, static_cast<int>(ResultColumn::Id));
  EXPECT_EQ(List().header()->sortIndicatorSection(), static_cast<int>(ResultColumn::Id));

  // Two sorts and a Find, running and waiting: all taken back.
  List().ClickHeader(static_cast<int>(ResultColumn::Text));
  List().ClickHeader(static_cast<int>(ResultColumn::FilePos));
  Search().SetControlText(kFindEdit, QStringLiteral("zeta"));
  ASSERT_TRUE(Search().Command(kFindButton));
  EXPECT_TRUE(Search().Escape());
  WaitForTasks();
  EXPECT_EQ(Order(), before);
  EXPECT_TRUE(List().SelectedRowsInDisplayOrder().empty());
  EXPECT_EQ(Model().ClickState().column, static_cast<int>(ResultColumn::Id));
  EXPECT_FALSE(Search().Escape()) << "nothing left to take back";

  List().ClickHeader(static_cast<int>(ResultColumn::Text));
  WaitForTasks();
  EXPECT_EQ(Order(), OrderAfterClicks({ResultColumn::Id, ResultColumn::Text}));
}

// A second click on the column while its sort runs reverses the request, as
// a click on the finished sort would; a click on another column sorts after.
TEST_F(Tasks, ASecondHeaderClickWhileSortingReplacesTheSort) {
  ScanLines(30000);
  List().ClickHeader(static_cast<int>(ResultColumn::Text));
  List().ClickHeader(static_cast<int>(ResultColumn::Text));
  EXPECT_EQ(Model().ClickState().direction, -1);
  WaitForTasks();
  EXPECT_EQ(Order(), OrderAfterClicks({ResultColumn::Text, ResultColumn::Text}));
  EXPECT_EQ(List().header()->sortIndicatorOrder(), Qt::DescendingOrder);

  List().ClickHeader(static_cast<int>(ResultColumn::Id));
  List().ClickHeader(static_cast<int>(ResultColumn::Text));
  List().ClickHeader(static_cast<int>(ResultColumn::Text));
  List().ClickHeader(static_cast<int>(ResultColumn::Text));
  WaitForTasks();
  EXPECT_EQ(Order(),
            OrderAfterClicks({ResultColumn::Text, ResultColumn::Text, ResultColumn::Id,
                              ResultColumn::Text, ResultColumn::Text, ResultColumn::Text}));
}

// Copy while the window is resized, and the list painted, again and again.
TEST_F(Tasks, CopyBesideAResize) {
  ScanLines(60000);
  List().selectAll();
  ASSERT_TRUE(Search().Command(kCopyCommand));
  for (int step = 0; step < 20; ++step) {
    window_->resize(700 + 10 * (step % 5), 450 + 7 * (step % 3));
    QApplication::processEvents();
  }
  WaitForTasks();
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
            AdvancedWriter::CopyText(Model().DisplayOrder(), engine_.store, engine_.map));
}

// A scan while a sort runs stops the sort first; a scan while a Save writes
// waits for the file, and Escape takes back such a waiting scan.
TEST_F(Tasks, AScanStartedWhileATaskRuns) {
  ScanLines(30000, 1);
  List().ClickHeader(static_cast<int>(ResultColumn::Text));
  ScanLines(20000, 2);
  EXPECT_EQ(engine_.store.Count(), 20000u);
  WaitForTasks();
  EXPECT_EQ(Model().rowCount(), 20000);
  EXPECT_EQ(Order(), OrderAfterClicks({})) << "the old sort never lands";

  const std::string expected = Saved(dir_.Path() / "expected.txt");
  HeldWrites writes;
  writes.Hold();
  dialogs_.saveAnswer = (dir_.Path() / "out.txt").string();
  ASSERT_TRUE(Search().Command(kSaveButton));
  ASSERT_TRUE(QTest::qWaitFor([&] { return writes.Started(); }));
  const std::string third = dir_.Write("third.txt", Lines(100, 3));
  Search().SetFileName(third);
  Go();
  EXPECT_TRUE(Search().GoWaiting());
  EXPECT_FALSE(Search().Scanning());
  EXPECT_EQ(engine_.store.Count(), 20000u) << "the rows being saved stay";
  EXPECT_EQ(Text(kStatusText), "Saving...");
  writes.Release();
  ASSERT_TRUE(QTest::qWaitFor([&] { return engine_.store.Count() == 100u; }));
  WaitForTasks();
  EXPECT_FALSE(Search().GoWaiting());
  EXPECT_EQ(Search().ShownFile(), third);
  EXPECT_EQ(Search().LastReport().ansiCount, 100u);
  EXPECT_EQ(ReadFile(*dialogs_.saveAnswer), expected) << "the earlier rows, saved whole";

  writes.Hold();
  ASSERT_TRUE(Search().Command(kSaveButton));
  ASSERT_TRUE(QTest::qWaitFor([&] { return writes.Started(); }));
  Search().SetFileName(dir_.Write("fourth.txt", Lines(10, 4)));
  Go();
  EXPECT_TRUE(Search().GoWaiting());
  EXPECT_TRUE(Search().Escape());
  EXPECT_FALSE(Search().GoWaiting());
  writes.Release();
  WaitForTasks();
  QTest::qWait(50);
  EXPECT_EQ(engine_.store.Count(), 100u) << "the scan taken back never ran";
}

// Closing the window during a Save ends the program once the file is written.
TEST_F(Tasks, QuitDuringASaveWaitsForTheFile) {
  ScanLines(2000);
  const std::string expected = Saved(dir_.Path() / "expected.txt");
  HeldWrites writes;
  writes.Hold();
  const std::string out = (dir_.Path() / "saved.txt").string();
  dialogs_.saveAnswer = out;
  ASSERT_TRUE(Search().Command(kSaveButton));
  ASSERT_TRUE(QTest::qWaitFor([&] { return writes.Started(); }));
  window_->close();
  EXPECT_FALSE(window_->isVisible());
  EXPECT_EQ(quits_, 0);
  EXPECT_TRUE(window_->QuitPending());
  writes.Release();
  ASSERT_TRUE(QTest::qWaitFor([&] { return quits_ == 1; }));
  EXPECT_EQ(ReadFile(out), expected);
  EXPECT_FALSE(window_->QuitPending());
}

}  // namespace
}  // namespace quillex::testing
