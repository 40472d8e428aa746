#pragma once

// Standard library
#include <cstdint>

namespace quillex {

// The indicator tags, in the order of their bits and of the tag table. Not to
// be confused with ResultStore::Tag, which packs a result's kind and ID.
enum class TagId : std::uint8_t {
  Url,
  Domain,
  Ipv4,
  Ipv6,
  Email,
  WindowsPath,
  UnixPath,
  Registry,
  Guid,
  Base64,
  Hash,
  Format,
  UserAgent,
  Pdb,
};
inline constexpr std::uint32_t kTagCount = 14;

// The tags of one result, one bit each (bit n is TagId n): two bytes a result.
using TagSet = std::uint16_t;
static_assert(kTagCount <= 16, "a TagSet holds one bit per tag");

[[nodiscard]] constexpr TagSet TagBit(TagId id) {
  return static_cast<TagSet>(1u << static_cast<unsigned>(id));
}

[[nodiscard]] constexpr bool HasTag(TagSet tags, TagId id) {
  return (tags & TagBit(id)) != 0;
}

}  // namespace quillex
