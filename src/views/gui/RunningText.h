#pragma once

namespace quillex {

class NormalView;
class StringPool;

// Puts the running text into the normal view: the used part of the pool's
// buffer, every NUL (the end of each text) shown as a space. No results
// leave the view empty.
void ShowRunningText(NormalView& normalView, const StringPool& pool);

}  // namespace quillex
