// Results written as a table in a test, added to a store in that order.
#pragma once

// Standard library
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// Ours
#include "store/ResultStore.h"

namespace quillex::testing {

struct Row {
  std::uint64_t position;
  std::uint16_t id;
  std::string text;
  StringKind kind;
};

inline void AddRows(ResultStore& store, const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    ASSERT_TRUE(store.AddResult(static_cast<std::uint32_t>(row.position),
                                static_cast<std::uint32_t>(row.position >> 32), row.id,
                                row.text.c_str(), row.kind));
  }
}

}  // namespace quillex::testing
