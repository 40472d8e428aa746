#pragma once

namespace quillex {

// The title of the window and of every message box.
inline constexpr const char* kProgramTitle = "Quillex " QUILLEX_VERSION;

}  // namespace quillex
