#include "tags/TagCategory.h"

// Standard library
#include <array>

namespace quillex {

namespace {

// By TagId.
constexpr std::array<TagCategory, kTagCount> kCategories{
    TagCategory::Network,      // url
    TagCategory::Network,      // domain
    TagCategory::Network,      // ipv4
    TagCategory::Network,      // ipv6
    TagCategory::Network,      // email
    TagCategory::FileSystem,   // windows-path
    TagCategory::FileSystem,   // unix-path
    TagCategory::Registry,     // registry
    TagCategory::EncodedData,  // guid
    TagCategory::EncodedData,  // base64
    TagCategory::EncodedData,  // hash
    TagCategory::None,         // format: too common to colour
    TagCategory::Network,      // user-agent
    TagCategory::FileSystem,   // pdb
};

// The tags of each category, one set per TagCategory value.
constexpr std::array<TagSet, kTagCategoryCount> kTagsOf = [] {
  std::array<TagSet, kTagCategoryCount> sets{};
  for (std::size_t id = 0; id < kCategories.size(); ++id) {
    sets[static_cast<std::size_t>(kCategories[id])] |= static_cast<TagSet>(1u << id);
  }
  return sets;
}();

}  // namespace

TagCategory CategoryOfTag(TagId id) {
  const auto index = static_cast<std::size_t>(id);
  return index < kCategories.size() ? kCategories[index] : TagCategory::None;
}

TagCategory CategoryOf(TagSet tags) {
  for (std::uint32_t category = 1; category < kTagCategoryCount; ++category) {
    if ((tags & kTagsOf[category]) != 0) {
      return static_cast<TagCategory>(category);
    }
  }
  return TagCategory::None;
}

}  // namespace quillex
