#include "views/RowFilter.h"

// Standard library
#include <algorithm>
#include <cstring>
#include <numeric>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

// Third party
#include <re2/filtered_re2.h>
#include <re2/re2.h>

// Ours
#include "store/ResultStore.h"
#include "views/CaseFold.h"
#include "views/FilterPattern.h"

namespace quillex {

namespace {

// Whether some other byte folds to the same letter as this one: only a
// pattern holding such a byte needs the folded search.
constexpr std::array<bool, 256> kHasOtherCase = [] {
  std::array<bool, 256> other{};
  for (unsigned b = 0; b < 256; ++b) {
    if (kCp1252Fold[b] != b) {
      other[b] = true;
      other[kCp1252Fold[b]] = true;
    }
  }
  return other;
}();

constexpr std::uint32_t kBitsPerWord = 64;
// Keeps a chunk's end within 32 bits whatever the run asks for.
constexpr std::uint32_t kMaxChunkResults = 1u << 24;

// Shorter literals of a regular expression are too common in binaries' text
// to be worth a search of their own.
constexpr int kMinGateBytes = 3;

void MarkBit(std::uint64_t* bits, std::uint32_t index) {
  bits[index / kBitsPerWord] |= std::uint64_t{1} << (index % kBitsPerWord);
}

bool BitSet(const std::uint64_t* bits, std::uint32_t index) {
  return ((bits[index / kBitsPerWord] >> (index % kBitsPerWord)) & 1u) != 0;
}

// Calls found(i) for each text i in [first, end) that holds the pattern of
// `search`, in increasing order.
template <class Found>
void ForEachTextWith(const StringPool& pool, const LiteralSearch& search, std::uint32_t first,
                     std::uint32_t end, const Found& found) {
  // PERF: the texts lie back to back in the pool, so one search runs over
  // all their bytes instead of one per text. The pattern holds no NUL, so an
  // occurrence never spans two texts; the owner of each hit is found by
  // walking the start offsets forward, and the search resumes at the next
  // text, since one hit is enough for a text.
  const char* const stop = pool.Text(end - 1) + pool.TextLength(end - 1);
  const char* at = pool.Text(first);
  std::uint32_t i = first;
  while (at < stop) {
    const char* hit = search.Find(at, stop);
    if (hit == nullptr) {
      return;
    }
    while (i + 1 < end && pool.Text(i + 1) <= hit) {
      ++i;
    }
    found(i);
    at = pool.Text(i) + pool.TextLength(i) + 1;
  }
}

bool Cancelled(const FilterRun& run) {
  return run.cancel != nullptr && run.cancel->load(std::memory_order_relaxed);
}

// Runs work(t) for t in [0, threads): t = 0 on the calling thread, the others
// on threads of their own. The work takes its chunks from a shared counter,
// so a thread the system refuses only leaves more chunks to the others.
template <class Work>
void RunOnThreads(unsigned threads, const Work& work) {
  std::vector<std::thread> helpers;
  helpers.reserve(threads > 0 ? threads - 1 : 0);
  for (unsigned t = 1; t < threads; ++t) {
    try {
      helpers.emplace_back([&work, t] { work(t); });
    } catch (const std::system_error&) {
      break;
    }
  }
  work(0);
  for (std::thread& helper : helpers) {
    helper.join();
  }
}

// The rows whose results are marked, in the order of `rows`. A first pass
// counts each chunk's shown rows, so that the second writes every chunk's
// rows straight to their place in a vector of exactly the shown size.
// Nothing when the run was cancelled.
std::optional<std::vector<std::uint32_t>> GatherRows(const std::vector<std::uint64_t>& bits,
                                                     std::uint32_t count,
                                                     std::span<const std::uint32_t> rows,
                                                     std::uint32_t chunk, unsigned threads,
                                                     const FilterRun& run) {
  const std::size_t chunks = rows.size() / chunk + (rows.size() % chunk != 0 ? 1 : 0);
  const unsigned used =
      static_cast<unsigned>(std::min<std::size_t>(threads, std::max<std::size_t>(chunks, 1)));
  const auto shown = [&](std::uint32_t index) {
    return index < count && BitSet(bits.data(), index);
  };
  std::vector<std::size_t> firstOut(chunks + 1, 0);
  std::atomic<bool> stopped{false};
  std::atomic<std::size_t> next{0};
  RunOnThreads(used, [&](unsigned) {
    for (std::size_t c; (c = next.fetch_add(1)) < chunks;) {
      if (Cancelled(run)) {
        stopped = true;
        return;
      }
      const std::size_t end = std::min(rows.size(), (c + 1) * chunk);
      std::size_t kept = 0;
      for (std::size_t r = c * chunk; r < end; ++r) {
        kept += shown(rows[r]) ? 1 : 0;
      }
      firstOut[c + 1] = kept;
    }
  });
  if (stopped) {
    return std::nullopt;
  }
  std::partial_sum(firstOut.begin(), firstOut.end(), firstOut.begin());
  std::vector<std::uint32_t> out(firstOut[chunks]);
  next = 0;
  RunOnThreads(used, [&](unsigned) {
    for (std::size_t c; (c = next.fetch_add(1)) < chunks;) {
      if (Cancelled(run)) {
        stopped = true;
        return;
      }
      const std::size_t end = std::min(rows.size(), (c + 1) * chunk);
      std::uint32_t* to = out.data() + firstOut[c];
      for (std::size_t r = c * chunk; r < end; ++r) {
        if (shown(rows[r])) {
          *to++ = rows[r];
        }
      }
    }
  });
  if (stopped) {
    return std::nullopt;
  }
  return out;
}

}  // namespace

RowFilter::RowFilter(FilterTerms terms) : terms_(std::move(terms)) {
  CompilePattern();
}

RowFilter::~RowFilter() = default;
RowFilter::RowFilter(RowFilter&&) noexcept = default;
RowFilter& RowFilter::operator=(RowFilter&&) noexcept = default;

void RowFilter::CompilePattern() {
  const std::string& pattern = terms_.pattern;
  if (pattern.empty()) {
    mode_ = PatternMode::None;
    return;
  }
  if (terms_.regex) {
    RE2::Options options;
    options.set_encoding(RE2::Options::EncodingLatin1);
    options.set_log_errors(false);
    options.set_case_sensitive(terms_.matchCase);
    regex_ = std::make_unique<RE2>(terms_.matchCase ? pattern : CaselessRegex(pattern), options);
    if (!regex_->ok()) {
      error_ = regex_->error();
      regex_.reset();
      return;
    }
    mode_ = PatternMode::Regex;
    ChooseGates();
    return;
  }
  // No stored text holds a NUL, and PatternFromUtf8 puts one for a character
  // the code page lacks.
  if (pattern.find('\0') != std::string::npos) {
    mode_ = PatternMode::Nothing;
    return;
  }
  // A pattern with no letter that has another case is found faster as it
  // is.
  const bool folds = !terms_.matchCase && std::any_of(pattern.begin(), pattern.end(), [](char c) {
    return kHasOtherCase[static_cast<unsigned char>(c)];
  });
  mode_ = PatternMode::Literal;
  literal_.emplace(pattern, folds);
}

void RowFilter::ChooseGates() {
  // RE2's prefilter names the literal pieces ("atoms") a match must contain,
  // as an and-or tree over them. Asked which expressions could match a text
  // holding a given set of atoms, it answers "none" exactly when the tree
  // fails, so an atom the answer needs when all others are there is one that
  // every match contains.
  re2::FilteredRE2 prefilter(kMinGateBytes);
  int id = 0;
  if (prefilter.Add(regex_->pattern(), regex_->options(), &id) != RE2::NoError) {
    return;
  }
  std::vector<std::string> atoms;
  prefilter.Compile(&atoms);
  std::vector<int> present;
  std::vector<int> potentials;
  prefilter.AllPotentials(present, &potentials);
  if (atoms.empty() || !potentials.empty()) {
    return;  // some match holds none of the atoms
  }
  std::size_t longestNeeded = atoms.size();
  for (std::size_t j = 0; j < atoms.size(); ++j) {
    present.clear();
    for (std::size_t k = 0; k < atoms.size(); ++k) {
      if (k != j) {
        present.push_back(static_cast<int>(k));
      }
    }
    potentials.clear();
    prefilter.AllPotentials(present, &potentials);
    if (potentials.empty() &&
        (longestNeeded == atoms.size() || atoms[j].size() > atoms[longestNeeded].size())) {
      longestNeeded = j;
    }
  }
  // The atoms come lower-cased, for a lower-cased text; a folded search finds
  // them in every text that would hold them so, and a few more, which the
  // expression itself then turns away.
  if (longestNeeded < atoms.size()) {
    gates_.emplace_back(atoms[longestNeeded], true);
    return;
  }
  // No one atom is needed, but every match holds one of them.
  std::vector<std::string> folded;
  for (std::string atom : atoms) {
    for (char& c : atom) {
      c = static_cast<char>(FoldCp1252(c));
    }
    if (std::find(folded.begin(), folded.end(), atom) == folded.end()) {
      folded.push_back(atom);
      gates_.emplace_back(folded.back(), true);
    }
  }
}

std::unique_ptr<re2::RE2> RowFilter::NewRegex() const {
  return std::make_unique<RE2>(regex_->pattern(), regex_->options());
}

bool RowFilter::PassesNonPattern(const ResultStore& store, std::uint32_t index,
                                 std::span<const TagSet> tagSets) const {
  const std::uint32_t kind = store.Tag(index) >> 16;
  if (kind >= 8 || (terms_.kinds & (1u << kind)) == 0) {
    return false;
  }
  const std::uint32_t length = store.TextLength(index);
  if (length < terms_.minLength || length > terms_.maxLength) {
    return false;
  }
  if (terms_.wantedTags != 0) {
    const TagSet tags = index < tagSets.size() ? tagSets[index] : TagSet{0};
    return (tags & terms_.wantedTags) != 0;
  }
  return true;
}

bool RowFilter::TextMatches(const re2::RE2& regex, const char* text, std::uint32_t length) const {
  return regex.Match(re2::StringPiece(text, length), 0, length, RE2::UNANCHORED, nullptr, 0);
}

bool RowFilter::Shows(const ResultStore& store, std::uint32_t index,
                      std::span<const TagSet> tagSets) const {
  if (!Ok() || index >= store.Count() || !PassesNonPattern(store, index, tagSets)) {
    return false;
  }
  const char* text = store.Text(index);
  const std::uint32_t length = store.TextLength(index);
  switch (mode_) {
    case PatternMode::None:
      return true;
    case PatternMode::Nothing:
      return false;
    case PatternMode::Literal:
      return literal_->Find(text, text + length) != nullptr;
    case PatternMode::Regex:
      return TextMatches(*regex_, text, length);
  }
  return false;
}

void RowFilter::MarkChunk(const ResultStore& store, std::span<const TagSet> tagSets,
                          const re2::RE2* regex, std::uint32_t first, std::uint32_t end,
                          std::uint64_t* bits) const {
  const StringPool& pool = store.Pool();
  if (mode_ == PatternMode::Nothing || first >= end) {
    return;
  }
  if (mode_ == PatternMode::Literal) {
    ForEachTextWith(pool, *literal_, first, end, [&](std::uint32_t i) {
      if (PassesNonPattern(store, i, tagSets)) {
        MarkBit(bits, i);
      }
    });
    return;
  }
  const auto test = [&](std::uint32_t i) {
    if (PassesNonPattern(store, i, tagSets) &&
        (regex == nullptr || TextMatches(*regex, pool.Text(i), pool.TextLength(i)))) {
      MarkBit(bits, i);
    }
  };
  if (regex != nullptr && !gates_.empty()) {
    // Only a text holding one of the gates can match, and most hold none. A
    // text holding two is tested once.
    for (const LiteralSearch& gate : gates_) {
      ForEachTextWith(pool, gate, first, end, [&](std::uint32_t i) {
        if (!BitSet(bits, i)) {
          test(i);
        }
      });
    }
    return;
  }
  // PERF: results in store order walk the pool and the tag array forward;
  // the cheap tests go first so the regular expression sees only the texts
  // they let through.
  for (std::uint32_t i = first; i < end; ++i) {
    test(i);
  }
}

FilteredRows RowFilter::Apply(const ResultStore& store, std::span<const std::uint32_t> rows,
                              const FilterRun& run) const {
  FilteredRows out;
  if (!Ok()) {
    out.status = FilterStatus::BadPattern;
    return out;
  }
  const std::uint32_t count = store.Count();
  const std::uint32_t wanted = std::clamp(run.chunkResults, 1u, kMaxChunkResults);
  const std::uint32_t chunk = (wanted + kBitsPerWord - 1) / kBitsPerWord * kBitsPerWord;
  unsigned threads = std::max(run.threads, 1u);
  if (const unsigned machine = std::thread::hardware_concurrency(); machine != 0) {
    threads = std::min(threads, machine);
  }
  std::vector<std::uint64_t> bits;
  if (!MarkResults(store, run, chunk, threads, bits)) {
    out.status = FilterStatus::Cancelled;
    return out;
  }
  std::optional<std::vector<std::uint32_t>> shown =
      GatherRows(bits, count, rows, chunk, threads, run);
  if (!shown) {
    out.status = FilterStatus::Cancelled;
    return out;
  }
  out.shown = std::move(*shown);
  return out;
}

bool RowFilter::MarkResults(const ResultStore& store, const FilterRun& run, std::uint32_t chunk,
                            unsigned threads, std::vector<std::uint64_t>& bits) const {
  const std::uint32_t count = store.Count();
  bits.assign((std::size_t{count} + kBitsPerWord - 1) / kBitsPerWord,
              terms_.FiltersAnything() ? 0 : ~std::uint64_t{0});
  if (!terms_.FiltersAnything()) {
    return !Cancelled(run);
  }
  // Every result is marked in store order, in chunks the threads take in
  // turn; a chunk covers whole 64-bit words, so no two threads write one.
  const std::uint32_t chunks = count / chunk + (count % chunk != 0 ? 1 : 0);
  threads = std::min(threads, std::max(chunks, 1u));
  std::vector<std::unique_ptr<re2::RE2>> ownRegex(threads);
  for (unsigned t = 1; t < threads && regex_ != nullptr; ++t) {
    // Each thread matches with its own compiled copy: RE2 guards a shared
    // object's cache with a lock that two threads would fight over per text.
    // A copy that could not be compiled (no memory) leaves its work to the
    // threads that have one.
    ownRegex[t] = NewRegex();
    if (!ownRegex[t]->ok()) {
      threads = t;
    }
  }
  std::atomic<std::uint32_t> next{0};
  std::atomic<bool> stopped{false};
  RunOnThreads(threads, [&](unsigned t) {
    const re2::RE2* regex = t == 0 ? regex_.get() : ownRegex[t].get();
    for (std::uint32_t c; (c = next.fetch_add(1)) < chunks;) {
      if (Cancelled(run)) {
        stopped = true;
        return;
      }
      const std::uint32_t first = c * chunk;
      MarkChunk(store, run.tagSets, regex, first, std::min(count, first + chunk), bits.data());
    }
  });
  return !stopped;
}

}  // namespace quillex
