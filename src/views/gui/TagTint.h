#pragma once

// Qt
#include <QColor>

// Ours
#include "tags/TagCategory.h"

namespace quillex {

// How much of a category's hue goes into a tagged row's background: enough
// to tell the categories apart at a glance, little enough that the palette's
// text colour reads on it as well as on the base, in a light or a dark theme.
inline constexpr double kTagTintStrength = 0.14;

// The background of a row whose tags are of `category`: the palette's base
// colour with a little of the category's hue mixed in (blue for network,
// green for the file system, violet for the registry, amber for encoded
// data). The base itself for no category. Selected rows keep the palette's
// highlight instead, so that a selection reads the same on every row.
[[nodiscard]] QColor TagTint(TagCategory category, const QColor& base);

}  // namespace quillex
