#pragma once

// Standard library
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// Ours
#include "tags/TagId.h"
#include "tags/TagMatchers.h"

namespace quillex {

using TagMatcher = bool (*)(std::string_view text, MatchContext& context);

// One row of the tag table: everything about a tag in one place.
struct TagInfo {
  TagId id;
  // The name used everywhere: filters, the command line, machine formats.
  std::string_view name;
  // One line for the user: what the tag marks.
  std::string_view description;
  // How it matches, in a few sentences: for a manual page or a tooltip. The
  // matcher's comment gives the rule in full.
  std::string_view rule;
  // The prefilter: the text must hold every byte class (TagByteClasses.h) of
  // `needs`, or else, where it is not 0, every class of `otherwiseNeeds`; it
  // must be `shortest` bytes long at least and hold a run of `longestRun`
  // base64 characters. A text failing them is never given to the matcher.
  std::uint16_t needs;
  std::uint16_t otherwiseNeeds = 0;
  std::uint16_t shortest;
  std::uint16_t longestRun = 0;
  // The exact rule.
  TagMatcher matcher;
};

// The rows in TagId order.
[[nodiscard]] std::span<const TagInfo> TagTable();
[[nodiscard]] const TagInfo& TagInfoOf(TagId id);
[[nodiscard]] std::string_view TagName(TagId id);
// The tag named `name` (exactly, in lower case), or nothing.
[[nodiscard]] std::optional<TagId> FindTag(std::string_view name);

}  // namespace quillex
