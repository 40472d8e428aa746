#pragma once

// Standard library
#include <cstdint>
#include <memory>
#include <string>

// Qt
#include <QObject>
#include <QString>
#include <QTimer>

// Ours
#include "views/FilterTerms.h"
#include "views/RowFilter.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace quillex {

class DialogPage;

// How long typing in the filter row must pause before the filter runs.
inline constexpr int kFilterDelayMs = 150;

// The tag choice's first two entries; the tag names follow in table order.
inline constexpr int kAllStringsChoice = 0;
inline constexpr int kAnyTagChoice = 1;

// The filter row of the Search page: a text field, toggles for regular
// expressions, case and the three kinds, the length bounds, the tag choice
// and the "Showing N of M" label. It turns what the controls say into a
// compiled RowFilter; the page runs it over the rows.
//
// Typing waits for a pause (kFilterDelayMs) before the filter is compiled, so
// that several quick keys cost one run; toggles and the tag choice act at
// once. A regular expression that does not compile marks the field with a
// red tint and RE2's message as its tooltip, and the filter applied before
// stays applied.
class FilterRow : public QObject {
  Q_OBJECT

 public:
  // Takes the row's controls from the page (template 101) and sets them up:
  // the kinds on, no bounds, "All strings".
  explicit FilterRow(DialogPage& page);

  // What the controls ask for now.
  [[nodiscard]] FilterTerms TermsFromControls() const;
  // The filter in force; null when it would show every row.
  [[nodiscard]] std::shared_ptr<const RowFilter> Applied() const { return applied_; }
  // Whether typing waits for its pause before the filter is taken.
  [[nodiscard]] bool Pending() const { return delay_.isActive(); }
  // Takes what the controls say now, without waiting for the pause.
  void TakeNow();
  // Whether the text field is marked for a regular expression that does not
  // compile.
  [[nodiscard]] bool Marked() const { return marked_; }

  // Escape in the field: empties it and takes the filter at once. Returns
  // whether there was text to clear.
  bool ClearText();
  // Puts the focus in the text field with its text selected.
  void FocusField();
  // The label: "Showing N of M" while a filter applies, empty otherwise.
  // `tagsMissing` says that the filter wants tags the results do not have yet.
  void ShowCounts(std::uint32_t shown, std::uint32_t total, bool tagsMissing);
  void HideCounts();
  [[nodiscard]] QLineEdit* Field() const { return field_; }

  bool eventFilter(QObject* watched, QEvent* event) override;

 signals:
  // The filter in force changed (Applied() tells to what).
  void changed();

 private:
  void SetUpControls();
  void Schedule();
  // Compiles the controls' filter; a good one different from the one in
  // force replaces it.
  void Take();
  void Mark(const QString& error);
  void Unmark();

  DialogPage& page_;
  QLineEdit* field_;
  QComboBox* tags_;
  QLabel* shown_;
  QTimer delay_;
  std::shared_ptr<const RowFilter> applied_;
  bool marked_ = false;
};

}  // namespace quillex
