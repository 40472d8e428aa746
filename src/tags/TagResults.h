#pragma once

// Standard library
#include <atomic>
#include <cstdint>
#include <span>

// Ours
#include "tags/TagId.h"

namespace quillex {

class ResultStore;
class Tagger;

enum class [[nodiscard]] TagRunStatus : std::uint8_t{
    Done,           // every result has its tags
    Cancelled,      // the flag was raised; results not reached keep what they held
    ArrayTooSmall,  // fewer places than results; nothing was written
    NoMemory,       // the threads' suffix caches could not be had; nothing was written
};

struct TagRunOptions {
  // Threads that tag, the calling one included; where a thread cannot be
  // started the others do its share.
  unsigned threads = 2;
  // Results per chunk: the threads take chunks in order, so the array fills
  // from the top, and the flag is read between chunks.
  std::uint32_t chunkRows = 16384;
  // When set, grows by each chunk's results as it is done, for a host that
  // shows the tags as they come.
  std::atomic<std::uint32_t>* progress = nullptr;
};

// Tags every result of `store` into tags[i] (tags must have room for
// store.Count()), split across the threads. `cancel` is read between chunks;
// raising it ends the run at the next chunk. The store must not change while
// this runs: the texts are read in place in its pool.
TagRunStatus TagResults(const Tagger& tagger, const ResultStore& store, std::span<TagSet> tags,
                        const std::atomic<bool>& cancel, const TagRunOptions& options = {});

}  // namespace quillex
