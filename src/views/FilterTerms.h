#pragma once

// Standard library
#include <cstdint>
#include <limits>
#include <string>

// Ours
#include "store/StringKind.h"
#include "tags/TagId.h"

namespace quillex {

// A set of string kinds, one bit per kind.
using KindMask = std::uint8_t;

[[nodiscard]] constexpr KindMask KindBit(StringKind kind) {
  return static_cast<KindMask>(1u << static_cast<unsigned>(kind));
}

inline constexpr KindMask kAllKinds =
    KindBit(StringKind::Ansi) | KindBit(StringKind::Unicode) | KindBit(StringKind::Resource);

inline constexpr std::uint32_t kNoMaxLength = std::numeric_limits<std::uint32_t>::max();

// What the user asked the filter to show. A row is shown when every part
// holds: its text matches the pattern, its kind is among `kinds`, its length
// lies within [minLength, maxLength], and, when `wantedTags` is not 0, its tag
// set has one of the wanted tags.
struct FilterTerms {
  // Windows-1252 bytes, as PatternFromUtf8 makes them of typed text. Empty:
  // every text matches.
  std::string pattern;
  // The pattern is an RE2 regular expression (run in Latin-1 mode over the
  // stored bytes) rather than plain text to find anywhere in the text.
  bool regex = false;
  // Off: letters match in either case, A-Z and the Windows-1252 letters as
  // kCp1252Fold folds them.
  bool matchCase = false;
  KindMask kinds = kAllKinds;
  // Lengths in characters, which are the stored bytes of a text; a minimum
  // above the maximum shows nothing.
  std::uint32_t minLength = 0;
  std::uint32_t maxLength = kNoMaxLength;
  // 0: the tags play no part. Otherwise a row needs at least one of these
  // tags (TagBit of each) in the tag set the filter run gives for its result.
  TagSet wantedTags = 0;

  // Whether any row can be left out: false for empty terms, which show
  // every row as it is.
  [[nodiscard]] bool FiltersAnything() const {
    return !pattern.empty() || (kinds & kAllKinds) != kAllKinds || minLength > 0 ||
           maxLength != kNoMaxLength || wantedTags != 0;
  }

  bool operator==(const FilterTerms&) const = default;
};

}  // namespace quillex
