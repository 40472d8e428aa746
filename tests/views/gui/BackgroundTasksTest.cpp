// Standard library
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <thread>
#include <vector>

// Qt
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

// Ours
#include "store/ResultStore.h"
#include "tags/TagResults.h"
#include "tags/Tagger.h"
#include "views/RowFilter.h"
#include "views/gui/BackgroundTasks.h"

namespace quillex {
namespace {

// Holds a task's work until the test opens it, or until the task is
// cancelled; remembers whether the work saw its flag.
struct Gate {
  std::atomic<bool> open{false};
  std::atomic<bool> entered{false};
  std::atomic<bool> sawCancel{false};

  // The work's body: returns `value`, or -1 once cancelled.
  int Pass(const CancelFlag& cancel, int value) {
    entered = true;
    while (!open.load()) {
      if (cancel.load()) {
        sawCancel = true;
        return -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return value;
  }
};

class BackgroundTasksTest : public ::testing::Test {
 protected:
  // Queues a task of `kind` held by `gate`; its result is appended to
  // applied_ on the GUI thread.
  void Held(TaskKind kind, Gate& gate, int value, int key = 0) {
    tasks_.Run(
        kind, [&gate, value](const CancelFlag& cancel) { return gate.Pass(cancel, value); },
        [this](int result) { applied_.push_back(result); },
        {.key = key, .cancelled = [this, value] { cancelled_.push_back(value); }});
  }
  void WaitUntilIdle() {
    ASSERT_TRUE(QTest::qWaitFor([&] { return !tasks_.Busy() && tasks_.WorkerCount() == 0; }));
  }
  static void WaitUntilEntered(const Gate& gate) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return gate.entered.load(); }));
  }

  BackgroundTasks tasks_;
  std::vector<int> applied_;
  std::vector<int> cancelled_;
};

TEST_F(BackgroundTasksTest, WorkRunsOnAWorkerAndItsResultIsAppliedOnTheGuiThread) {
  const std::thread::id gui = std::this_thread::get_id();
  std::atomic<bool> workOnGui{true};
  bool applyOnGui = false;
  std::string result;
  QSignalSpy changed(&tasks_, &BackgroundTasks::changed);
  tasks_.Run(
      TaskKind::Sort,
      [&](const CancelFlag&) {
        workOnGui = std::this_thread::get_id() == gui;
        return std::string("sorted");
      },
      [&](std::string text) {
        applyOnGui = std::this_thread::get_id() == gui;
        result = std::move(text);
      });
  EXPECT_TRUE(tasks_.Busy());
  EXPECT_TRUE(tasks_.Busy(TaskKind::Sort));
  EXPECT_FALSE(tasks_.Busy(TaskKind::Copy));
  EXPECT_STREQ(tasks_.Status(), "Sorting...");
  EXPECT_TRUE(tasks_.WantsBusyCursor());
  WaitUntilIdle();
  EXPECT_FALSE(workOnGui);
  EXPECT_TRUE(applyOnGui);
  EXPECT_EQ(result, "sorted");
  EXPECT_EQ(tasks_.Status(), nullptr);
  EXPECT_FALSE(tasks_.WantsBusyCursor());
  EXPECT_GE(changed.count(), 2);
}

// A second request of a kind that replaces takes the place of the latest one
// with its key, waiting or running; another key waits behind.
TEST_F(BackgroundTasksTest, ASecondRequestReplacesTheFirst) {
  Gate first;
  Gate second;
  Held(TaskKind::Sort, first, 1, 3);
  WaitUntilEntered(first);
  Held(TaskKind::Sort, second, 2, 3);
  // The running one is told to stop; the new one runs at once beside it.
  ASSERT_TRUE(QTest::qWaitFor([&] { return first.sawCancel.load(); }));
  WaitUntilEntered(second);
  EXPECT_TRUE(QTest::qWaitFor([&] { return tasks_.WorkerCount() == 1u; }))
      << "the replaced worker is joined once it has stopped";
  second.open = true;
  WaitUntilIdle();
  EXPECT_EQ(applied_, std::vector<int>{2});
  EXPECT_TRUE(cancelled_.empty()) << "a replaced task is not cancelled";

  // Behind a running Find: a waiting sort is replaced in its place, and a
  // sort with another key waits behind it.
  applied_.clear();
  Gate find;
  Gate open;
  open.open = true;
  Held(TaskKind::ListFind, find, 10);
  Held(TaskKind::Sort, open, 11, 1);
  Held(TaskKind::Sort, open, 12, 1);
  Held(TaskKind::Sort, open, 13, 2);
  Held(TaskKind::Sort, open, 14, 1);
  EXPECT_STREQ(tasks_.Status(), "Searching...");
  find.open = true;
  WaitUntilIdle();
  EXPECT_EQ(applied_, (std::vector<int>{10, 12, 13, 14}));
  // Kinds that never replace keep every request.
  applied_.clear();
  Held(TaskKind::Save, open, 20);
  Held(TaskKind::Save, open, 21);
  WaitUntilIdle();
  EXPECT_EQ(applied_, (std::vector<int>{20, 21}));
}

// Escape drops what Escape takes back, waiting or running, and says so at
// once; the layout of the running text is not its to stop.
TEST_F(BackgroundTasksTest, EscapeCancelsTheUsersRequestsAtOnce) {
  Gate sort;
  Gate copy;
  Gate layout;
  Held(TaskKind::Sort, sort, 1);
  Held(TaskKind::Copy, copy, 2);
  Held(TaskKind::Layout, layout, 3);
  WaitUntilEntered(sort);
  WaitUntilEntered(layout);
  EXPECT_TRUE(tasks_.CancelOnEscape());
  EXPECT_EQ(cancelled_, (std::vector<int>{2, 1}));
  EXPECT_FALSE(tasks_.Busy(TaskLane::List)) << "a cancelled worker winding down is not busy";
  EXPECT_TRUE(tasks_.Busy(TaskKind::Layout));
  EXPECT_STREQ(tasks_.Status(), "Laying out...");
  layout.open = true;
  WaitUntilIdle();
  EXPECT_TRUE(sort.sawCancel);
  EXPECT_FALSE(copy.entered) << "a waiting task never starts";
  EXPECT_EQ(applied_, std::vector<int>{3});
  EXPECT_FALSE(tasks_.CancelOnEscape()) << "nothing left";
}

// Before a scan clears the store every reader stops and its worker is gone
// when ClearForScan returns; a Save or Copy goes on, and the scan waits.
TEST_F(BackgroundTasksTest, AScanStopsTheReadersAndWaitsForSaveAndCopy) {
  Gate find;
  Gate save;
  Gate layout;
  Gate afterSave;
  afterSave.open = true;
  Held(TaskKind::TextFind, find, 1);
  Held(TaskKind::Layout, layout, 2);
  Held(TaskKind::Save, save, 3);
  Held(TaskKind::Sort, afterSave, 4);
  WaitUntilEntered(find);
  WaitUntilEntered(save);
  EXPECT_TRUE(tasks_.HoldsScan());
  EXPECT_TRUE(tasks_.ClearForScan());
  EXPECT_TRUE(find.sawCancel);
  EXPECT_EQ(tasks_.WorkerCount(), 1u) << "only the Save's worker is left";
  EXPECT_EQ(cancelled_, (std::vector<int>{4, 2, 1}));
  save.open = true;
  WaitUntilIdle();
  EXPECT_EQ(applied_, std::vector<int>{3});
  EXPECT_FALSE(tasks_.HoldsScan());
  EXPECT_FALSE(tasks_.ClearForScan());
}

// A prepared task takes its inputs when its turn comes, after the results of
// the tasks before it in its lane; the lanes run beside each other.
TEST_F(BackgroundTasksTest, PreparedWorkSeesWhatTheTasksBeforeItLeft) {
  int shown = 0;  // GUI state the tasks change and read
  Gate slow;
  tasks_.Run(
      TaskKind::Sort, [&](const CancelFlag& cancel) { return slow.Pass(cancel, 7); },
      [&](int value) { shown = value; });
  int seen = -1;
  tasks_.RunPrepared(
      TaskKind::Copy, [&] { return [taken = shown](const CancelFlag&) { return taken * 10; }; },
      [&](int value) { seen = value; });
  // A layout is not held up by the list's lane.
  Gate layout;
  layout.open = true;
  Held(TaskKind::Layout, layout, 5);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !applied_.empty(); }));
  EXPECT_EQ(seen, -1);
  slow.open = true;
  WaitUntilIdle();
  EXPECT_EQ(seen, 70);
}

TEST_F(BackgroundTasksTest, WorkOutOfMemoryIsReportedAndNotApplied) {
  QSignalSpy noMemory(&tasks_, &BackgroundTasks::outOfMemory);
  bool applied = false;
  tasks_.Run(
      TaskKind::Sort, [](const CancelFlag&) -> int { throw std::bad_alloc(); },
      [&](int) { applied = true; });
  WaitUntilIdle();
  EXPECT_FALSE(applied);
  ASSERT_EQ(noMemory.count(), 1);
  EXPECT_EQ(noMemory.front().front().value<TaskKind>(), TaskKind::Sort);
}

// The engine's filter and tagger take a cancel flag already: each runs as a
// task in one call, with the results they give when called directly.
TEST_F(BackgroundTasksTest, TheFilterAndTheTaggerRunAsTasks) {
  ResultStore store;
  std::vector<std::uint32_t> rows;
  for (std::uint32_t i = 0; i < 50000; ++i) {
    const std::string text = i % 5 == 0 ? "see https://example.com/" + std::to_string(i)
                                        : "plain text " + std::to_string(i);
    ASSERT_TRUE(store.AddResult(i, 0, 0, text.c_str(), StringKind::Ansi));
    rows.push_back(50000 - 1 - i);
  }
  const Tagger tagger;
  auto tags = std::make_shared<std::vector<TagSet>>(store.Count());
  TagRunStatus tagged = TagRunStatus::Cancelled;
  tasks_.Run(
      TaskKind::Tag,
      [&tagger, &store, tags](const CancelFlag& cancel) {
        return TagResults(tagger, store, *tags, cancel);
      },
      [&](TagRunStatus status) { tagged = status; });
  auto filter = std::make_shared<RowFilter>(FilterTerms{.pattern = "HTTPS"});
  std::vector<std::uint32_t> shown;
  tasks_.Run(
      TaskKind::Filter,
      [filter, &store, &rows](const CancelFlag& cancel) {
        FilterRun run;
        run.cancel = &cancel;
        return filter->Apply(store, rows, run);
      },
      [&](FilteredRows filtered) { shown = std::move(filtered.shown); });
  EXPECT_EQ(tasks_.Status(), std::string("Filtering..."));
  WaitUntilIdle();
  EXPECT_EQ(tagged, TagRunStatus::Done);
  EXPECT_EQ(shown, filter->Apply(store, rows).shown);
  EXPECT_EQ(shown.size(), 10000u);
  std::vector<TagSet> direct(store.Count());
  const CancelFlag never{false};
  ASSERT_EQ(TagResults(tagger, store, direct, never), TagRunStatus::Done);
  EXPECT_EQ(*tags, direct);
}

}  // namespace
}  // namespace quillex
