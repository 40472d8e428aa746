#pragma once

class QWidget;

namespace quillex {

// The view switch: shows the list (advanced) or the normal view and hides
// the other; neither moves nor changes size.
void SwitchView(bool advanced, QWidget* list, QWidget* normalView);

}  // namespace quillex
