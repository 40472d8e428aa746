#include "tags/TagResults.h"

// Standard library
#include <algorithm>
#include <memory>
#include <new>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

// Ours
#include "store/ResultStore.h"
#include "tags/SuffixCache.h"
#include "tags/Tagger.h"

namespace quillex {
namespace {

// What the threads of one run share. Only nextChunk changes, once a chunk.
struct Run {
  const Tagger& tagger;
  const ResultStore& store;
  std::span<TagSet> tags;
  const std::atomic<bool>& cancel;
  std::atomic<std::uint32_t>* progress;
  std::uint32_t count;
  std::uint32_t chunkRows;
  std::uint32_t chunks;
  std::atomic<std::uint32_t> nextChunk{0};
};

void TagChunks(Run& run, SuffixCache& cache) {
  while (!run.cancel.load(std::memory_order_relaxed)) {
    const std::uint32_t chunk = run.nextChunk.fetch_add(1, std::memory_order_relaxed);
    if (chunk >= run.chunks) {
      return;
    }
    const std::uint32_t first = chunk * run.chunkRows;
    const std::uint32_t last = std::min(run.count, first + run.chunkRows);
    // PERF: nothing here allocates or locks. The texts are read in place, the
    // cache is this thread's, and each thread writes its own chunk's places.
    for (std::uint32_t i = first; i < last; ++i) {
      run.tags[i] =
          run.tagger.Tag(std::string_view(run.store.Text(i), run.store.TextLength(i)), cache);
    }
    if (run.progress != nullptr) {
      run.progress->fetch_add(last - first, std::memory_order_relaxed);
    }
  }
}

}  // namespace

TagRunStatus TagResults(const Tagger& tagger, const ResultStore& store, std::span<TagSet> tags,
                        const std::atomic<bool>& cancel, const TagRunOptions& options) {
  const std::uint32_t count = store.Count();
  if (tags.size() < count) {
    return TagRunStatus::ArrayTooSmall;
  }
  const std::uint32_t chunkRows = std::max<std::uint32_t>(options.chunkRows, 1);
  const std::uint32_t chunks = count / chunkRows + (count % chunkRows != 0 ? 1 : 0);
  const unsigned threads =
      std::clamp<unsigned>(options.threads, 1, std::max<std::uint32_t>(chunks, 1));
  std::unique_ptr<SuffixCache[]> caches(new (std::nothrow) SuffixCache[threads]);
  if (caches == nullptr) {
    return TagRunStatus::NoMemory;
  }
  Run run{tagger, store, tags, cancel, options.progress, count, chunkRows, chunks};
  std::vector<std::thread> workers;
  try {
    workers.reserve(threads - 1);
    for (unsigned i = 1; i < threads; ++i) {
      workers.emplace_back(TagChunks, std::ref(run), std::ref(caches[i]));
    }
  } catch (const std::system_error&) {
    // Fewer threads than asked: the ones running take the remaining chunks.
  } catch (const std::bad_alloc&) {
  }
  TagChunks(run, caches[0]);
  for (std::thread& worker : workers) {
    worker.join();
  }
  return run.nextChunk.load() >= chunks ? TagRunStatus::Done : TagRunStatus::Cancelled;
}

}  // namespace quillex
