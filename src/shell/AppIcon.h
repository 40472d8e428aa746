#pragma once

// Qt
#include <QIcon>

namespace quillex {

// The program icon (104), drawn at start-up in the sizes the window system
// asks for: a dark blue tile with a yellow quill stroke and a white "Q".
[[nodiscard]] QIcon MakeAppIcon();

}  // namespace quillex
