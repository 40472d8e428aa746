#include "shell/FilterRow.h"

// Standard library
#include <array>
#include <utility>

// Qt
#include <QAbstractButton>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>

// Ours
#include "shell/ControlIds.h"
#include "shell/DialogPage.h"
#include "tags/TagTable.h"
#include "views/FilterPattern.h"
#include "views/gui/KindIcons.h"

namespace quillex {

namespace {

struct FilterControl {
  int controlId;
  const char* name;
  const char* tip;
};

constexpr const char* kFieldTip =
    "Show only the strings that contain this text (Ctrl+L); Esc empties it.\n"
    "With \".*\" on, a regular expression (RE2) that the strings must match.";

constexpr std::array<FilterControl, 10> kFilterControls{{
    {kFilterEdit, "Filter", kFieldTip},
    {kFilterRegexToggle, "Regular expression",
     "Take the filter text as a regular expression (RE2 syntax)"},
    {kFilterCaseToggle, "Match case",
     "Match the filter text's capitals and small letters exactly; off, either case matches, "
     "as Find does"},
    {kFilterAnsiToggle, "Show ANSI strings", "Show the ANSI strings (A)"},
    {kFilterUnicodeToggle, "Show Unicode strings", "Show the Unicode strings (U)"},
    {kFilterResourceToggle, "Show resource strings", "Show the resource strings (R)"},
    {kFilterMinLength, "Minimum length",
     "Show only strings of at least this many characters; empty for no minimum"},
    {kFilterMaxLength, "Maximum length",
     "Show only strings of at most this many characters; empty for no maximum"},
    {kFilterTagChoice, "Tag",
     "Show every string, those with any indicator tag (a URL, a path, an address...), or "
     "those with one tag"},
    {kFilterShownText, "Strings shown",
     "How many of the scan's strings the filter shows; the counts below stay the scan's"},
}};

struct KindToggle {
  int controlId;
  StringKind kind;
};

constexpr std::array<KindToggle, 3> kKindToggles{{
    {kFilterAnsiToggle, StringKind::Ansi},
    {kFilterUnicodeToggle, StringKind::Unicode},
    {kFilterResourceToggle, StringKind::Resource},
}};

// A length field's bound: empty is none, and a number too large for the
// bound is the largest one.
std::uint32_t LengthBound(const QString& text, std::uint32_t none) {
  if (text.isEmpty()) {
    return none;
  }
  bool ok = false;
  const qulonglong value = text.toULongLong(&ok);
  if (!ok || value >= kNoMaxLength) {
    return kNoMaxLength;
  }
  return static_cast<std::uint32_t>(value);
}

// The field's colours for a pattern that does not compile: its own base
// tinted red, so that a dark theme gets a dark red and a light one a pale one.
QPalette MarkedPalette(QPalette palette) {
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    const QColor base = palette.color(group, QPalette::Base);
    const QColor red(220, 30, 30);
    constexpr double kTint = 0.3;
    const QColor tinted =
        QColor::fromRgbF(static_cast<float>(base.redF() * (1 - kTint) + red.redF() * kTint),
                         static_cast<float>(base.greenF() * (1 - kTint) + red.greenF() * kTint),
                         static_cast<float>(base.blueF() * (1 - kTint) + red.blueF() * kTint));
    palette.setColor(group, QPalette::Base, tinted);
  }
  return palette;
}

}  // namespace

FilterRow::FilterRow(DialogPage& page)
    : QObject(&page),
      page_(page),
      field_(page.ControlAs<QLineEdit>(kFilterEdit)),
      tags_(page.ControlAs<QComboBox>(kFilterTagChoice)),
      shown_(page.ControlAs<QLabel>(kFilterShownText)) {
  delay_.setSingleShot(true);
  delay_.setInterval(kFilterDelayMs);
  connect(&delay_, &QTimer::timeout, this, &FilterRow::Take);
  SetUpControls();
}

void FilterRow::SetUpControls() {
  for (const FilterControl& row : kFilterControls) {
    if (QWidget* control = page_.Control(row.controlId)) {
      control->setAccessibleName(QString::fromLatin1(row.name));
      control->setToolTip(QString::fromLatin1(row.tip));
    }
  }
  field_->setPlaceholderText(QStringLiteral("Filter"));
  field_->setClearButtonEnabled(true);
  field_->installEventFilter(this);
  connect(field_, &QLineEdit::textChanged, this, &FilterRow::Schedule);
  for (const int id : {kFilterMinLength, kFilterMaxLength}) {
    auto* bound = page_.ControlAs<QLineEdit>(id);
    bound->setPlaceholderText(id == kFilterMinLength ? QStringLiteral("min")
                                                     : QStringLiteral("max"));
    connect(bound, &QLineEdit::textChanged, this, &FilterRow::Schedule);
  }
  for (const KindToggle& toggle : kKindToggles) {
    auto* button = page_.ControlAs<QAbstractButton>(toggle.controlId);
    button->setChecked(true);
    const QIcon& icon = KindIcons::Shared().Icon(static_cast<unsigned>(toggle.kind));
    if (!icon.isNull()) {
      button->setIcon(icon);
      button->setText({});
    }
  }
  for (const int id : {kFilterRegexToggle, kFilterCaseToggle, kFilterAnsiToggle,
                       kFilterUnicodeToggle, kFilterResourceToggle}) {
    connect(page_.ControlAs<QAbstractButton>(id), &QAbstractButton::toggled, this,
            &FilterRow::TakeNow);
  }
  tags_->addItem(QStringLiteral("All strings"));
  tags_->addItem(QStringLiteral("Any indicator"));
  for (const TagInfo& tag : TagTable()) {
    tags_->addItem(QString::fromLatin1(tag.name.data(), static_cast<qsizetype>(tag.name.size())));
    tags_->setItemData(
        tags_->count() - 1,
        QString::fromLatin1(tag.description.data(), static_cast<qsizetype>(tag.description.size())),
        Qt::ToolTipRole);
  }
  connect(tags_, &QComboBox::currentIndexChanged, this, &FilterRow::TakeNow);
  shown_->setAccessibleDescription(QStringLiteral("How many strings the filter shows"));
  HideCounts();
}

FilterTerms FilterRow::TermsFromControls() const {
  FilterTerms terms;
  terms.pattern = PatternFromUtf8(field_->text().toStdString());
  terms.regex = page_.IsChecked(kFilterRegexToggle);
  terms.matchCase = page_.IsChecked(kFilterCaseToggle);
  terms.kinds = 0;
  for (const KindToggle& toggle : kKindToggles) {
    if (page_.IsChecked(toggle.controlId)) {
      terms.kinds = static_cast<KindMask>(terms.kinds | KindBit(toggle.kind));
    }
  }
  terms.minLength = LengthBound(page_.ControlText(kFilterMinLength), 0);
  terms.maxLength = LengthBound(page_.ControlText(kFilterMaxLength), kNoMaxLength);
  const int choice = tags_->currentIndex();
  if (choice == kAnyTagChoice) {
    terms.wantedTags = static_cast<TagSet>((1u << kTagCount) - 1);
  } else if (choice > kAnyTagChoice) {
    terms.wantedTags = TagBit(static_cast<TagId>(choice - kAnyTagChoice - 1));
  }
  return terms;
}

void FilterRow::Schedule() {
  delay_.start();
}

void FilterRow::TakeNow() {
  delay_.stop();
  Take();
}

void FilterRow::Take() {
  FilterTerms terms = TermsFromControls();
  const bool filters = terms.FiltersAnything();
  RowFilter filter(std::move(terms));
  if (!filter.Ok()) {
    Mark(QString::fromUtf8(filter.Error()));
    return;
  }
  Unmark();
  if (!filters) {
    if (applied_) {
      applied_.reset();
      emit changed();
    }
    return;
  }
  if (applied_ && applied_->Terms() == filter.Terms()) {
    return;
  }
  applied_ = std::make_shared<const RowFilter>(std::move(filter));
  emit changed();
}

void FilterRow::Mark(const QString& error) {
  marked_ = true;
  field_->setPalette(MarkedPalette(field_->palette()));
  const QString tip = QStringLiteral("Not a valid regular expression: ") + error +
                      QStringLiteral("\nThe strings shown are those of the last good filter.");
  field_->setToolTip(tip);
  field_->setAccessibleDescription(tip);
}

void FilterRow::Unmark() {
  if (!marked_) {
    return;
  }
  marked_ = false;
  // Back to the inherited colours, which follow the theme.
  field_->setPalette(QPalette());
  field_->setToolTip(QString::fromLatin1(kFieldTip));
  field_->setAccessibleDescription({});
}

bool FilterRow::ClearText() {
  if (field_->text().isEmpty()) {
    return false;
  }
  field_->clear();
  TakeNow();
  return true;
}

void FilterRow::FocusField() {
  field_->setFocus(Qt::ShortcutFocusReason);
  field_->selectAll();
}

void FilterRow::ShowCounts(std::uint32_t shown, std::uint32_t total, bool tagsMissing) {
  QString text = QStringLiteral("Showing %1 of %2").arg(shown).arg(total);
  if (tagsMissing) {
    text += QStringLiteral(" (no tags yet)");
  }
  shown_->setText(text);
  shown_->setToolTip(QString::fromLatin1(kFilterControls.back().tip));
}

void FilterRow::HideCounts() {
  shown_->clear();
}

bool FilterRow::eventFilter(QObject* watched, QEvent* event) {
  // Escape in a field with text empties it; in an empty one it is the
  // window's Escape, which stops what runs. Only key events are looked at:
  // the field also sends events while it is being destroyed, when its text
  // is gone.
  const bool key = event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress;
  if (watched != field_ || !key || static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape ||
      field_->text().isEmpty()) {
    return QObject::eventFilter(watched, event);
  }
  if (event->type() == QEvent::ShortcutOverride) {
    event->accept();
  } else {
    ClearText();
  }
  return true;
}

}  // namespace quillex
