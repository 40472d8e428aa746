// The categories the list colours tagged rows by.

#include <gtest/gtest.h>

// Ours
#include "tags/TagCategory.h"
#include "tags/TagTable.h"

namespace quillex {
namespace {

TEST(TagCategory, EachTagHasItsCategoryAndARowTakesTheFirst) {
  EXPECT_EQ(CategoryOf(0), TagCategory::None);
  for (const TagId id :
       {TagId::Url, TagId::Domain, TagId::Ipv4, TagId::Ipv6, TagId::Email, TagId::UserAgent}) {
    EXPECT_EQ(CategoryOf(TagBit(id)), TagCategory::Network) << TagName(id);
  }
  for (const TagId id : {TagId::WindowsPath, TagId::UnixPath, TagId::Pdb}) {
    EXPECT_EQ(CategoryOf(TagBit(id)), TagCategory::FileSystem) << TagName(id);
  }
  EXPECT_EQ(CategoryOf(TagBit(TagId::Registry)), TagCategory::Registry);
  for (const TagId id : {TagId::Base64, TagId::Hash, TagId::Guid}) {
    EXPECT_EQ(CategoryOf(TagBit(id)), TagCategory::EncodedData) << TagName(id);
  }
  // Format strings are too common in programs to colour.
  EXPECT_EQ(CategoryOf(TagBit(TagId::Format)), TagCategory::None);
  // Every tag of the table has a row here.
  for (const TagInfo& tag : TagTable()) {
    EXPECT_EQ(CategoryOf(TagBit(tag.id)), CategoryOfTag(tag.id)) << tag.name;
  }

  // Several categories: network, then the file system, the registry and
  // encoded data, whatever the order of the bits.
  EXPECT_EQ(CategoryOf(TagBit(TagId::Pdb) | TagBit(TagId::Url)), TagCategory::Network);
  EXPECT_EQ(CategoryOf(TagBit(TagId::Guid) | TagBit(TagId::Registry)), TagCategory::Registry);
  EXPECT_EQ(CategoryOf(TagBit(TagId::Registry) | TagBit(TagId::WindowsPath)),
            TagCategory::FileSystem);
  EXPECT_EQ(CategoryOf(TagBit(TagId::Format) | TagBit(TagId::Hash)), TagCategory::EncodedData);
}

}  // namespace
}  // namespace quillex
