#pragma once

// Standard library
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

// Qt
#include <QObject>

// Ours
#include "views/CancelFlag.h"

namespace quillex {

// What a background task does. Its row of the kind table (TaskKindInfo) says
// what the status cell shows while it runs, which lane it runs in and how it
// meets other requests.
enum class TaskKind : std::uint8_t {
  Fill,      // the list's rows at the end of a scan
  Sort,      // a header click
  ListFind,  // Find in the list
  TextFind,  // Find in the running text
  Copy,      // the selected rows to the clipboard
  Save,      // the rows to a file
  Layout,    // the running text's display lines
  Filter,    // the rows a filter shows
  Tag,       // the indicator tags of the results
  Count
};

// Tasks of one lane run one at a time, in the order they were asked for, so
// each one sees what the ones before it left: a Copy asked for during a sort
// copies the sorted rows. The lanes run beside each other: the running text's
// layout does not wait for a Save of the list.
enum class TaskLane : std::uint8_t { List, Text, Tags, Count };

struct TaskKindInfo {
  // What the status cell shows while the task waits or runs; null shows
  // nothing of its own (a scan's fill, or work that runs unseen).
  const char* status;
  TaskLane lane;
  // A new request replaces the latest one of its kind in the lane when their
  // keys are equal, whether that one waits or already runs.
  bool replaces;
  // Escape takes it back.
  bool escapeCancels;
  // A new scan waits for it instead of cancelling it: its result leaves the
  // program (a file, the clipboard), so it is worth finishing.
  bool outlivesScan;
  // The views show the busy cursor while it waits or runs.
  bool busyCursor;
};

[[nodiscard]] const TaskKindInfo& KindInfo(TaskKind kind);

// Long work over the finished store, off the GUI thread. A task is a work
// function run on a worker thread with a cancel flag, and an apply function
// run on the GUI thread with the work's result; the GUI thread only swaps in
// what the work made (a row order, a selection, a layout, clipboard text).
//
//   tasks.Run(TaskKind::Tag,
//             [&store, tags](const CancelFlag& cancel) { return TagAll(store, tags, cancel); },
//             [this](TagRunStatus status) { ShowTags(status); });
//
// Apply is not called for a task that was cancelled or replaced. The store
// must not change while a task may read it: a scan first calls ClearForScan,
// which stops and waits for every task that reads it.
//
// Results go from the worker to the GUI thread through this class's own
// mutex and the join of the worker, never through Qt's event queue alone, so
// that ThreadSanitizer sees the ordering even where Qt is not instrumented.
class BackgroundTasks : public QObject {
  Q_OBJECT

 public:
  struct Options {
    // With a kind that replaces: only a request with an equal key is
    // replaced (a sort by another column waits behind instead).
    int key = 0;
    // Called on the GUI thread when the task is cancelled, by Escape or for a
    // scan; not when a newer request replaces it, nor when this object goes.
    std::function<void()> cancelled;
  };

  explicit BackgroundTasks(QObject* parent = nullptr);
  // Raises every task's flag and waits for the workers; calls nothing.
  ~BackgroundTasks() override;
  BackgroundTasks(const BackgroundTasks&) = delete;
  BackgroundTasks& operator=(const BackgroundTasks&) = delete;

  // Queues a task whose inputs are taken now. `work(const CancelFlag&)`
  // returns the result on a worker thread; `apply(Result)` takes it on the
  // GUI thread.
  template <class Work, class Apply>
  void Run(TaskKind kind, Work work, Apply apply, Options options = {});

  // As Run, but `prepare()` makes the work on the GUI thread when the task's
  // turn comes, after the tasks asked for before it in its lane have been
  // applied; it returns the work function.
  template <class Prepare, class Apply>
  void RunPrepared(TaskKind kind, Prepare prepare, Apply apply, Options options = {});

  // Escape: drops the waiting tasks Escape takes back and tells the running
  // ones to stop, without waiting for them. Returns whether there were any.
  bool CancelOnEscape();
  // Before a scan clears the store: cancels every task but those that
  // outlive a scan and waits until no cancelled worker runs any more (their
  // flags are read every few thousand rows, so this takes milliseconds).
  // Returns whether tasks that outlive a scan remain, which the scan must
  // wait for.
  bool ClearForScan();

  // A task waits or runs. Cancelled ones still winding down do not count.
  [[nodiscard]] bool Busy() const;
  [[nodiscard]] bool Busy(TaskKind kind) const;
  [[nodiscard]] bool Busy(TaskLane lane) const;
  // Tasks that a scan would have to wait for wait or run.
  [[nodiscard]] bool HoldsScan() const;
  // The status of the running (or else the first waiting) task of the first
  // lane that has one with a status; null when none has.
  [[nodiscard]] const char* Status() const;
  [[nodiscard]] bool WantsBusyCursor() const;
  // Workers still running, cancelled ones included; for tests.
  [[nodiscard]] std::size_t WorkerCount() const;

 signals:
  // A task was queued, started, finished, replaced or cancelled: Busy,
  // Status and WantsBusyCursor may answer otherwise now.
  void changed();
  // The work of a task could not get the memory it needed; nothing was
  // applied.
  void outOfMemory(quillex::TaskKind kind);

 private:
  // Computes the result and keeps it where the apply function finds it.
  using Runner = std::function<void(const CancelFlag&)>;
  struct Job;

  void Enqueue(TaskKind kind, Options options, std::function<Runner()> prepare,
               std::function<void()> apply);
  // Replaces the latest request of the job's kind in its lane when the kind
  // replaces and the keys match; false when there was none to replace.
  bool Replace(std::unique_ptr<Job>& job);
  // Starts the first waiting task of every lane that runs none.
  void StartDue();
  void Start(std::unique_ptr<Job> job);
  // On the GUI thread: joins the workers that have finished and applies the
  // results of those not cancelled. A worker calls for it by name, so that
  // the queued call is made inside Qt and carries nothing of ours.
  Q_INVOKABLE void Collect();
  // Raises the job's flag and keeps it until its worker ends.
  void CancelRunning(std::unique_ptr<Job> job);
  template <class Wanted>
  bool CancelWhere(Wanted wanted);

  std::array<std::deque<std::unique_ptr<Job>>, static_cast<std::size_t>(TaskLane::Count)> waiting_;
  std::array<std::unique_ptr<Job>, static_cast<std::size_t>(TaskLane::Count)> running_;
  // Told to stop; joined when their workers report, or by ClearForScan.
  std::vector<std::unique_ptr<Job>> stopping_;
  std::uint64_t nextId_ = 1;

  // Guards finished_, the only state a worker touches: the ids of the jobs
  // whose work has returned, and whether it ran out of memory.
  std::mutex mutex_;
  std::vector<std::pair<std::uint64_t, bool>> finished_;
};

template <class Work, class Apply>
void BackgroundTasks::Run(TaskKind kind, Work work, Apply apply, Options options) {
  RunPrepared(
      kind, [work = std::move(work)]() mutable { return std::move(work); }, std::move(apply),
      std::move(options));
}

template <class Prepare, class Apply>
void BackgroundTasks::RunPrepared(TaskKind kind, Prepare prepare, Apply apply, Options options) {
  using Work = std::invoke_result_t<Prepare&>;
  using Result = std::decay_t<std::invoke_result_t<Work&, const CancelFlag&>>;
  // Written by the worker, read by the GUI thread after joining it.
  auto slot = std::make_shared<std::optional<Result>>();
  Enqueue(
      kind, std::move(options),
      [prepare = std::move(prepare), slot]() mutable -> Runner {
        return [work = prepare(), slot](const CancelFlag& cancel) mutable {
          slot->emplace(work(cancel));
        };
      },
      [apply = std::move(apply), slot]() mutable {
        if (slot->has_value()) {
          apply(std::move(**slot));
          slot->reset();
        }
      });
}

}  // namespace quillex
