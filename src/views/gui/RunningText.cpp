#include "views/gui/RunningText.h"

// Standard library
#include <cstddef>
#include <string_view>

// Ours
#include "store/StringPool.h"
#include "views/gui/NormalView.h"

namespace quillex {

void ShowRunningText(NormalView& normalView, const StringPool& pool) {
  const std::size_t used = pool.UsedBytes();
  if (used == 0 || pool.Bytes() == nullptr) {
    return;
  }
  // The view reads the pool's buffer in place, every text's NUL shown as
  // the space between two texts: no second copy of tens of megabytes. The
  // pool stays unchanged until the next scan, and every scan empties the
  // views before it touches the store.
  normalView.SetBytes(std::string_view(pool.Bytes(), used));
}

}  // namespace quillex
