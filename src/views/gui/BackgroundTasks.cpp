#include "views/gui/BackgroundTasks.h"

// Standard library
#include <algorithm>
#include <new>

namespace quillex {

namespace {

constexpr std::size_t kKinds = static_cast<std::size_t>(TaskKind::Count);

// What each kind of task shows and how it meets other requests. A new kind
// of work is a row here and a call of Run.
constexpr std::array<TaskKindInfo, kKinds> kKindInfo{{
    // status, lane, replaces, escapeCancels, outlivesScan, busyCursor
    {nullptr, TaskLane::List, true, false, false, false},         // Fill: part of the scan
    {"Sorting...", TaskLane::List, true, true, false, true},      // Sort: key = column
    {"Searching...", TaskLane::List, false, true, false, true},   // ListFind
    {"Searching...", TaskLane::Text, false, true, false, true},   // TextFind
    {"Copying...", TaskLane::List, true, true, true, true},       // Copy
    {"Saving...", TaskLane::List, false, true, true, true},       // Save
    {"Laying out...", TaskLane::Text, true, false, false, true},  // Layout
    {"Filtering...", TaskLane::List, true, true, false, true},    // Filter
    {nullptr, TaskLane::Tags, true, false, false, false},         // Tag: the column fills in
}};

constexpr std::size_t LaneIndex(TaskLane lane) {
  return static_cast<std::size_t>(lane);
}

}  // namespace

const TaskKindInfo& KindInfo(TaskKind kind) {
  return kKindInfo[std::min(static_cast<std::size_t>(kind), kKinds - 1)];
}

struct BackgroundTasks::Job {
  std::uint64_t id = 0;
  TaskKind kind = TaskKind::Fill;
  Options options;
  std::function<Runner()> prepare;
  std::function<void()> apply;
  // Shared with the worker, which may still read it after the job has been
  // dropped from the lists (it is joined before the job is destroyed).
  std::shared_ptr<CancelFlag> cancel = std::make_shared<CancelFlag>(false);
  std::thread worker;

  [[nodiscard]] TaskLane Lane() const { return KindInfo(kind).lane; }
  void Join() {
    if (worker.joinable()) {
      worker.join();
    }
  }
};

BackgroundTasks::BackgroundTasks(QObject* parent) : QObject(parent) {}

BackgroundTasks::~BackgroundTasks() {
  for (auto& job : running_) {
    if (job) {
      job->cancel->store(true);
    }
  }
  for (auto& job : stopping_) {
    job->cancel->store(true);
  }
  for (auto& job : running_) {
    if (job) {
      job->Join();
    }
  }
  for (auto& job : stopping_) {
    job->Join();
  }
}

void BackgroundTasks::Enqueue(TaskKind kind, Options options, std::function<Runner()> prepare,
                              std::function<void()> apply) {
  auto job = std::make_unique<Job>();
  job->id = nextId_++;
  job->kind = kind;
  job->options = std::move(options);
  job->prepare = std::move(prepare);
  job->apply = std::move(apply);
  if (!Replace(job)) {
    waiting_[LaneIndex(job->Lane())].push_back(std::move(job));
  }
  StartDue();
  emit changed();
}

bool BackgroundTasks::Replace(std::unique_ptr<Job>& job) {
  if (!KindInfo(job->kind).replaces) {
    return false;
  }
  const std::size_t lane = LaneIndex(job->Lane());
  std::deque<std::unique_ptr<Job>>& queue = waiting_[lane];
  const auto latest = std::find_if(queue.rbegin(), queue.rend(),
                                   [&](const auto& other) { return other->kind == job->kind; });
  if (latest != queue.rend()) {
    if ((*latest)->options.key != job->options.key) {
      return false;
    }
    *latest = std::move(job);
    return true;
  }
  std::unique_ptr<Job>& running = running_[lane];
  if (!running || running->kind != job->kind || running->options.key != job->options.key) {
    return false;
  }
  // The new request runs next, in the place of the one it replaces.
  CancelRunning(std::move(running));
  queue.push_front(std::move(job));
  return true;
}

void BackgroundTasks::StartDue() {
  for (std::size_t lane = 0; lane < waiting_.size(); ++lane) {
    if (running_[lane] || waiting_[lane].empty()) {
      continue;
    }
    std::unique_ptr<Job> job = std::move(waiting_[lane].front());
    waiting_[lane].pop_front();
    Start(std::move(job));
  }
}

void BackgroundTasks::Start(std::unique_ptr<Job> job) {
  // The inputs are taken here, on the GUI thread, after the tasks before
  // this one in its lane have been applied.
  Runner runner = job->prepare();
  job->prepare = nullptr;
  job->worker =
      std::thread([this, runner = std::move(runner), cancel = job->cancel, id = job->id]() mutable {
        bool noMemory = false;
        try {
          runner(*cancel);
        } catch (const std::bad_alloc&) {
          noMemory = true;
        }
        {
          const std::lock_guard lock(mutex_);
          finished_.emplace_back(id, noMemory);
        }
        // Only a wake-up: the finished ids went through the mutex above.
        QMetaObject::invokeMethod(this, "Collect", Qt::QueuedConnection);
      });
  running_[LaneIndex(job->Lane())] = std::move(job);
}

void BackgroundTasks::Collect() {
  std::vector<std::pair<std::uint64_t, bool>> finished;
  {
    const std::lock_guard lock(mutex_);
    finished.swap(finished_);
  }
  for (const auto& [id, noMemory] : finished) {
    const auto stopped = std::find_if(stopping_.begin(), stopping_.end(),
                                      [id = id](const auto& job) { return job->id == id; });
    if (stopped != stopping_.end()) {
      (*stopped)->Join();
      stopping_.erase(stopped);
      continue;
    }
    for (std::unique_ptr<Job>& running : running_) {
      if (!running || running->id != id) {
        continue;
      }
      // Out of the lane before it is applied: an apply may start new tasks
      // or open a box whose event loop comes back here.
      std::unique_ptr<Job> job = std::move(running);
      job->Join();
      if (noMemory) {
        emit outOfMemory(job->kind);
      } else if (!job->cancel->load()) {
        job->apply();
      }
      break;
    }
  }
  StartDue();
  emit changed();
}

void BackgroundTasks::CancelRunning(std::unique_ptr<Job> job) {
  job->cancel->store(true);
  stopping_.push_back(std::move(job));
}

template <class Wanted>
bool BackgroundTasks::CancelWhere(Wanted wanted) {
  std::vector<std::function<void()>> callbacks;
  for (std::size_t lane = 0; lane < waiting_.size(); ++lane) {
    std::deque<std::unique_ptr<Job>>& queue = waiting_[lane];
    for (auto it = queue.begin(); it != queue.end();) {
      if (wanted((*it)->kind)) {
        callbacks.push_back(std::move((*it)->options.cancelled));
        it = queue.erase(it);
      } else {
        ++it;
      }
    }
    if (running_[lane] && wanted(running_[lane]->kind)) {
      callbacks.push_back(std::move(running_[lane]->options.cancelled));
      CancelRunning(std::move(running_[lane]));
    }
  }
  // The callbacks run once the lists are consistent again.
  for (const std::function<void()>& callback : callbacks) {
    if (callback) {
      callback();
    }
  }
  return !callbacks.empty();
}

bool BackgroundTasks::CancelOnEscape() {
  const bool cancelled = CancelWhere([](TaskKind kind) { return KindInfo(kind).escapeCancels; });
  StartDue();
  emit changed();
  return cancelled;
}

bool BackgroundTasks::ClearForScan() {
  CancelWhere([](TaskKind kind) { return !KindInfo(kind).outlivesScan; });
  for (auto& job : stopping_) {
    job->Join();
  }
  // Their reports, if any are still on their way, name ids no longer known.
  stopping_.clear();
  StartDue();
  emit changed();
  return HoldsScan();
}

bool BackgroundTasks::Busy() const {
  return std::any_of(running_.begin(), running_.end(), [](const auto& job) { return !!job; }) ||
         std::any_of(waiting_.begin(), waiting_.end(),
                     [](const auto& queue) { return !queue.empty(); });
}

bool BackgroundTasks::Busy(TaskKind kind) const {
  const std::size_t lane = LaneIndex(KindInfo(kind).lane);
  return (running_[lane] && running_[lane]->kind == kind) ||
         std::any_of(waiting_[lane].begin(), waiting_[lane].end(),
                     [kind](const auto& job) { return job->kind == kind; });
}

bool BackgroundTasks::Busy(TaskLane lane) const {
  return running_[LaneIndex(lane)] || !waiting_[LaneIndex(lane)].empty();
}

bool BackgroundTasks::HoldsScan() const {
  for (std::size_t kind = 0; kind < kKinds; ++kind) {
    if (kKindInfo[kind].outlivesScan && Busy(static_cast<TaskKind>(kind))) {
      return true;
    }
  }
  return false;
}

const char* BackgroundTasks::Status() const {
  for (std::size_t lane = 0; lane < waiting_.size(); ++lane) {
    if (running_[lane] && KindInfo(running_[lane]->kind).status != nullptr) {
      return KindInfo(running_[lane]->kind).status;
    }
    for (const auto& job : waiting_[lane]) {
      if (KindInfo(job->kind).status != nullptr) {
        return KindInfo(job->kind).status;
      }
    }
  }
  return nullptr;
}

bool BackgroundTasks::WantsBusyCursor() const {
  for (std::size_t lane = 0; lane < waiting_.size(); ++lane) {
    if (running_[lane] && KindInfo(running_[lane]->kind).busyCursor) {
      return true;
    }
    if (std::any_of(waiting_[lane].begin(), waiting_[lane].end(),
                    [](const auto& job) { return KindInfo(job->kind).busyCursor; })) {
      return true;
    }
  }
  return false;
}

std::size_t BackgroundTasks::WorkerCount() const {
  return stopping_.size() +
         static_cast<std::size_t>(std::count_if(running_.begin(), running_.end(),
                                                [](const auto& job) { return !!job; }));
}

}  // namespace quillex
