#pragma once

// Standard library
#include <optional>

// Quillex
#include "shell/PixelRect.h"

namespace quillex {

// Turns the main window's size events into the changes the layout pass
// applies. The window's first size is both the minimum the user may shrink it
// to and the base of the first change.
class ResizeTracker {
 public:
  explicit ResizeTracker(PixelSize initial) : initial_(initial), last_(initial) {}

  [[nodiscard]] PixelSize MinimumSize() const { return initial_; }
  [[nodiscard]] PixelSize LastSize() const { return last_; }
  [[nodiscard]] bool LayoutReady() const { return layoutReady_; }
  // Set just before the window is first shown; until then size events only
  // move the base of the next change, since the pages are still being placed.
  void SetLayoutReady() { layoutReady_ = true; }

  // A size event with the window's new size. Returns the change the layout
  // pass must apply, or nothing: while minimised (the event is ignored and the
  // base stays, so restoring gives no change) and before layout is ready.
  std::optional<PixelSize> OnSize(PixelSize newSize, bool minimised);

 private:
  PixelSize initial_;
  PixelSize last_;
  bool layoutReady_ = false;
};

}  // namespace quillex
