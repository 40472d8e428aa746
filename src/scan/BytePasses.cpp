#include "scan/BytePasses.h"

// Standard library
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <span>
#include <system_error>
#include <thread>

// Ours
#include "platform/InputFile.h"
#include "scan/AnsiScanner.h"
#include "scan/ScanHost.h"
#include "scan/UnicodeScanner.h"

namespace quillex {

namespace {

// The one block loop of the byte passes, however they run. It reads the file
// from its start, readSize bytes at a time, into the buffer `blocks` gives
// for each read, and before each block of blockSize bytes shows the progress
// `blocks` reports and consults the host's pump: a stop leaves that block
// and the rest unexamined. A short read, whether from the end of the file or
// an error, is the last one. `blocks` takes each block the pump let through
// and hears when a read is done. Returns true when the pump reported a stop.
//
// PERF: the loop is a template over `blocks`, so each way of running the
// passes gets its own copy with the scanner calls inlined.
template <class Blocks>
bool ReadInBlocks(const BytePassJob& job, Blocks& blocks) {
  if (!job.file.Seek(0)) {
    return false;
  }
  const std::uint64_t total = job.file.Size();
  for (std::uint64_t readIndex = 0;; ++readIndex) {
    const std::span<std::uint8_t> read = blocks.ReadBuffer(readIndex);
    const std::size_t got = job.file.Read(read.data(), read.size());
    bool stopped = false;
    for (std::size_t at = 0; at < got; at += job.blockSize) {
      blocks.ShowProgress(job.host, total);
      if (!job.host.ScanPump()) {
        stopped = true;
        break;
      }
      blocks.Block(read.subspan(at, std::min(job.blockSize, got - at)));
    }
    blocks.ReadDone();
    if (stopped) {
      return true;
    }
    if (got < read.size()) {
      return false;
    }
  }
}

// One pass on its own over its own read of the file. Its progress counts as
// the first half of the byte passes' work for the ANSI pass and as the
// second half for the Unicode pass.
template <class Scanner>
struct OnePass {
  std::span<std::uint8_t> buffer;
  Scanner& scanner;
  bool secondHalf;
  std::uint32_t ansiCount;  // for the second half: the ANSI pass's final count

  std::span<std::uint8_t> ReadBuffer(std::uint64_t /*readIndex*/) const { return buffer; }
  void ShowProgress(ScanHost& host, std::uint64_t total) const {
    const std::uint64_t half = std::min(scanner.Position(), total) / 2;
    host.ShowProgress(secondHalf ? total - total / 2 + half : half, total,
                      secondHalf ? ansiCount : scanner.Count(), secondHalf ? scanner.Count() : 0);
  }
  void Block(std::span<const std::uint8_t> block) { scanner.Scan(block); }
  void ReadDone() {}
};

// Both passes over each block while it is in the cache.
struct BothPasses {
  std::span<std::uint8_t> buffer;
  AnsiScanner& ansi;
  UnicodeScanner& unicode;

  std::span<std::uint8_t> ReadBuffer(std::uint64_t /*readIndex*/) const { return buffer; }
  void ShowProgress(ScanHost& host, std::uint64_t total) const {
    host.ShowProgress(std::min(ansi.Position(), total), total, ansi.Count(), unicode.Count());
  }
  void Block(std::span<const std::uint8_t> block) {
    ansi.Scan(block);
    unicode.Scan(block);
  }
  void ReadDone() {}
};

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

  // Tells the workers that `bytes` bytes are theirs, and whether more come.
  void Hand(std::uint64_t bytes, bool last) {
    handed.store((bytes << 1) | (last ? 1 : 0), std::memory_order_release);
    handed.notify_all();
  }
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

// The reading side of the threaded passes: each read goes into the next
// slot of a ring once both workers are past what it held, and the blocks the
// pump let through are handed over together when the read is done.
struct Handover {
  const BytePassJob& job;
  Pipeline& pipe;
  std::size_t slots;
  std::uint64_t handed = 0;
  std::uint64_t through = 0;

  std::span<std::uint8_t> ReadBuffer(std::uint64_t readIndex) const {
    // The slot is free once both passes are past the read it held.
    if (readIndex >= slots) {
      const std::uint64_t needed = (readIndex - slots + 1) * job.readSize;
      WaitFor(pipe.ansiDone, needed);
      WaitFor(pipe.unicodeDone, needed);
    }
    return job.readBuffer.subspan(static_cast<std::size_t>(readIndex % slots) * job.readSize,
                                  job.readSize);
  }
  void ShowProgress(ScanHost& host, std::uint64_t total) const {
    const std::uint64_t done = std::min(pipe.ansiDone.load(std::memory_order_relaxed),
                                        pipe.unicodeDone.load(std::memory_order_relaxed));
    host.ShowProgress(done, total, pipe.ansiCount.load(std::memory_order_relaxed),
                      pipe.unicodeCount.load(std::memory_order_relaxed));
  }
  void Block(std::span<const std::uint8_t> block) { through += block.size(); }
  void ReadDone() {
    if (through != 0) {
      handed += through;
      through = 0;
      pipe.Hand(handed, false);
    }
  }
};

}  // namespace

bool RunSequentialPasses(const BytePassJob& job) {
  const std::span<std::uint8_t> read = job.readBuffer.first(job.readSize);
  OnePass<AnsiScanner> ansiPass{read, job.ansi, false, 0};
  bool stopped = ReadInBlocks(job, ansiPass);
  job.ansi.Finish();
  job.host.ShowCount(StringKind::Ansi, job.ansi.Count());
  job.host.ShowCount(StringKind::Unicode, 0);
  // A stop the ANSI pass saw ends the Unicode pass at its first pump.
  OnePass<UnicodeScanner> unicodePass{read, job.unicode, true, job.ansi.Count()};
  stopped |= ReadInBlocks(job, unicodePass);
  job.unicode.Finish();
  return stopped;
}

bool RunFusedPasses(const BytePassJob& job) {
  // PERF NOTES: each block is read once and examined by both passes while it
  // is in the cache; the Unicode results go to their own store meanwhile, so
  // the scan's store still holds all ANSI results before any Unicode one.
  BothPasses both{job.readBuffer.first(job.readSize), job.ansi, job.unicode};
  const bool stopped = ReadInBlocks(job, both);
  job.ansi.Finish();
  if (!stopped) {
    job.unicode.Finish();
  }
  return stopped;
}

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
    pipe.Hand(0, true);
    return ThreadedOutcome::NoThreads;
  }

  Handover reader{job, pipe, job.readBuffer.size() / job.readSize};
  const bool stopped = ReadInBlocks(job, reader);
  pipe.Hand(reader.handed, true);
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
