#include "scan/BytePasses.h"

// Standard library
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <optional>
#include <system_error>
#include <thread>

// Ours
#include "platform/InputFile.h"
#include "scan/AnsiScanner.h"
#include "scan/ScanHost.h"
#include "scan/UnicodeScanner.h"

namespace quillex {

bool RunFusedPasses(const BytePassJob& job) {
  // PERF NOTES: each block is read once and examined by both passes while it
  // is in the cache; the Unicode results go to their own store meanwhile, so
  // the scan's store still holds all ANSI results before any Unicode one.
  bool stopped = false;
  const std::uint64_t total = job.file.Size();
  const std::span<std::uint8_t> read = job.readBuffer.first(job.readSize);
  if (job.file.Seek(0)) {
    for (;;) {
      const std::size_t got = job.file.Read(read.data(), read.size());
      for (std::size_t at = 0; at < got; at += job.blockSize) {
        job.host.ShowProgress(std::min(job.ansi.Position(), total), total, job.ansi.Count(),
                              job.unicode.Count());
        if (!job.host.ScanPump()) {
          stopped = true;
          break;
        }
        const auto block = read.subspan(at, std::min(job.blockSize, got - at));
        job.ansi.Scan(block);
        job.unicode.Scan(block);
      }
      if (stopped || got < read.size()) {
        break;
      }
    }
  }
  job.ansi.Finish();
  if (!stopped) {
    job.unicode.Finish();
  }
  return stopped;
}

namespace {

// What the reading thread and the two workers share. The reader hands bytes
// over by raising `handed`; a worker hands a ring slot back by raising its
// `done`. Each side waits on the other's counter, whose value changes with
// every hand-over, so no wake-up is ever lost.
struct Pipeline {
  // Bytes handed to the workers, times two, plus 1 once no more will come.
  std::atomic<std::uint64_t> handed{0};
  std::atomic<std::uint64_t> ansiDone{0};
  std::atomic<std::uint64_t> unicodeDone{0};
  // The workers' counts so far, for the progress display.
  std::atomic<std::uint32_t> ansiCount{0};
  std::atomic<std::uint32_t> unicodeCount{0};
};

// A worker: scans whatever has been handed over, slot by slot in ring order,
// until the reader says there is no more. The scanner is finished by the
// caller once the worker has been joined.
template <class Scanner>
void Work(Pipeline& pipe, std::atomic<std::uint64_t>& done, std::atomic<std::uint32_t>& count,
          Scanner& scanner, std::span<const std::uint8_t> ring) {
  std::uint64_t mine = 0;
  for (;;) {
    const std::uint64_t handed = pipe.handed.load(std::memory_order_acquire);
    const std::uint64_t ready = handed >> 1;
    if (ready == mine) {
      if ((handed & 1) != 0) {
        return;
      }
      pipe.handed.wait(handed, std::memory_order_acquire);
      continue;
    }
    while (mine < ready) {
      const auto at = static_cast<std::size_t>(mine % ring.size());
      const auto n =
          static_cast<std::size_t>(std::min<std::uint64_t>(ready - mine, ring.size() - at));
      scanner.Scan(ring.subspan(at, n));
      mine += n;
    }
    count.store(scanner.Count(), std::memory_order_relaxed);
    done.store(mine, std::memory_order_release);
    done.notify_one();
  }
}

// Waits until `done` reaches `needed`.
void WaitFor(std::atomic<std::uint64_t>& done, std::uint64_t needed) {
  for (std::uint64_t seen = done.load(std::memory_order_acquire); seen < needed;
       seen = done.load(std::memory_order_acquire)) {
    done.wait(seen, std::memory_order_acquire);
  }
}

}  // namespace

ThreadedOutcome RunThreadedPasses(const BytePassJob& job) {
  // PERF NOTES: the file is read once, by this thread, into a ring of a few
  // reads; each pass runs on its own core over the same bytes, the Unicode
  // pass into its own store. This thread pumps before every block and hands
  // the block over only when the pump says go on, so the workers never scan
  // past a stop: what they found is what the fused passes stopped at the
  // same block would have found.
  Pipeline pipe;
  const std::span<const std::uint8_t> ring = job.readBuffer;
  std::jthread ansiWorker;
  std::jthread unicodeWorker;
  try {
    ansiWorker = std::jthread([&] { Work(pipe, pipe.ansiDone, pipe.ansiCount, job.ansi, ring); });
    unicodeWorker =
        std::jthread([&] { Work(pipe, pipe.unicodeDone, pipe.unicodeCount, job.unicode, ring); });
  } catch (const std::system_error&) {
    // Nothing has been handed over, so nothing has been scanned.
    pipe.handed.store(1, std::memory_order_release);
    pipe.handed.notify_all();
    return ThreadedOutcome::NoThreads;
  }

  const std::size_t slots = job.readBuffer.size() / job.readSize;
  const std::uint64_t total = job.file.Size();
  std::uint64_t handed = 0;
  bool stopped = false;
  if (job.file.Seek(0)) {
    for (std::uint64_t readIndex = 0;; ++readIndex) {
      // The slot is free once both passes are past the read it held.
      if (readIndex >= slots) {
        const std::uint64_t needed = (readIndex - slots + 1) * job.readSize;
        WaitFor(pipe.ansiDone, needed);
        WaitFor(pipe.unicodeDone, needed);
      }
      std::uint8_t* const slot =
          job.readBuffer.data() + static_cast<std::size_t>(readIndex % slots) * job.readSize;
      const std::size_t got = job.file.Read(slot, job.readSize);
      // The blocks the pump let through go over together, once per read.
      std::size_t through = 0;
      for (std::size_t at = 0; at < got; at += job.blockSize) {
        const std::uint64_t done = std::min(pipe.ansiDone.load(std::memory_order_relaxed),
                                            pipe.unicodeDone.load(std::memory_order_relaxed));
        job.host.ShowProgress(done, total, pipe.ansiCount.load(std::memory_order_relaxed),
                              pipe.unicodeCount.load(std::memory_order_relaxed));
        if (!job.host.ScanPump()) {
          stopped = true;
          break;
        }
        through += std::min(job.blockSize, got - at);
      }
      if (through != 0) {
        handed += through;
        pipe.handed.store(handed << 1, std::memory_order_release);
        pipe.handed.notify_all();
      }
      if (stopped || got < job.readSize) {
        break;
      }
    }
  }
  pipe.handed.store((handed << 1) | 1, std::memory_order_release);
  pipe.handed.notify_all();
  ansiWorker.join();
  unicodeWorker.join();

  job.ansi.Finish();
  if (stopped) {
    return ThreadedOutcome::Stopped;
  }
  job.unicode.Finish();
  return ThreadedOutcome::Completed;
}

}  // namespace quillex
