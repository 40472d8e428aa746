#pragma once

// Standard library
#include <cstdint>

// Ours
#include "tags/TagId.h"

namespace quillex {

// The kinds of indicator a reader looks for, one colour each in the list.
// A row takes the first of these, in this order, that one of its tags
// belongs to: a URL to a share is network first, a path second.
enum class TagCategory : std::uint8_t {
  None,         // no tag, or only tags of no category (format strings)
  Network,      // url, domain, ipv4, ipv6, email, user-agent
  FileSystem,   // windows-path, unix-path, pdb
  Registry,     // registry
  EncodedData,  // base64, hash, guid
};
inline constexpr std::uint32_t kTagCategoryCount = 5;

// The category of one tag.
[[nodiscard]] TagCategory CategoryOfTag(TagId id);
// The category a result with these tags shows.
[[nodiscard]] TagCategory CategoryOf(TagSet tags);

}  // namespace quillex
