#pragma once

class QWidget;

namespace quillex {

class NormalView;
class ResultListModel;
class StringPool;

// Shows the list (advanced) or the normal view and hides the other; neither
// moves nor changes size.
void SwitchView(bool advanced, QWidget* list, QWidget* normalView);

// Empties both views before a scan.
void ClearViews(ResultListModel& model, NormalView& normalView);

// Puts the running text into the normal view: the used part of the pool's
// buffer, every NUL (the end of each text) shown as a space. No results
// leave the view empty.
void FillNormalView(NormalView& normalView, const StringPool& pool);

// The empty selection at the start of the text, where the text search begins.
void CollapseSelection(NormalView& normalView);

}  // namespace quillex
