#include "filter/page/FilterPage.h"

// Standard library
#include <optional>

// Qt
#include <QLineEdit>
#include <QList>
#include <QString>

// Quillex
#include "filter/CharGroup.h"
#include "platform/Cp1252.h"
#include "shell/ControlIds.h"

namespace quillex {

std::string CharFieldBytes(const QString& text) {
  std::string bytes;
  for (const uint codePoint : text.toUcs4()) {
    if (bytes.size() == kCharFieldLimit) {
      break;
    }
    const std::optional<std::uint8_t> byte = UnicodeToCp1252(codePoint);
    // A NUL would end the text early wherever it is used as a C string.
    if (byte && *byte != 0) {
      bytes.push_back(static_cast<char>(*byte));
    }
  }
  return bytes;
}

FilterPage::FilterPage(CharClassTable& table, FilterCriteria& criteria,
                       const DialogUnitScale& scale, QWidget* parent)
    : DialogPage(kFilterPageTemplate, scale, parent), table_(table), criteria_(criteria) {
  for (const int fieldId : {kCustomField, kMustContainField}) {
    if (auto* field = ControlAs<QLineEdit>(fieldId)) {
      // Every change of the text counts, typed or set, as the field's change
      // notification always has.
      connect(field, &QLineEdit::textChanged, this,
              [this, fieldId] { Notify(fieldId, kChangeNotification); });
    }
  }
  // The stages stand one under the other at fixed places: the page can
  // only lose the margin right of the group boxes, and scrolls below that.
  SetShrinkLimit(28, 0);
  SetFieldNumber(kMinLengthField, 5);
  SetFieldNumber(kMaxLengthField, kMaxTextLength);
  SetFieldNumber(kRepeatField, 3);
  RefreshGroupBoxes();
}

std::string FilterPage::FieldText(int fieldId) const {
  return ControlText(fieldId).toLatin1().toStdString();
}

void FilterPage::SetFieldNumber(int fieldId, std::uint32_t value) {
  SetControlText(fieldId, QString::number(value));
}

std::string FilterPage::CharField(int fieldId) const {
  return CharFieldBytes(ControlText(fieldId));
}

void FilterPage::NormaliseNumbers() {
  // The criteria's flag, not the box: the box's state reaches the criteria
  // only through its click.
  const bool repeatTicked = criteria_.repeatDiscard;
  const NormalisedNumbers numbers =
      NormaliseCriteriaFields(FieldText(kMinLengthField), FieldText(kMaxLengthField),
                              FieldText(kRepeatField), repeatTicked);
  SetCriteriaNumbers(criteria_, numbers, repeatTicked);
  SetFieldNumber(kMinLengthField, numbers.minLength);
  SetFieldNumber(kMaxLengthField, numbers.maxLength);
  if (repeatTicked) {
    SetFieldNumber(kRepeatField, numbers.repeatLimit);
  }
}

void FilterPage::RefreshGroupBoxes() {
  for (int id = kFirstGroupBox; id <= kLastGroupBox; ++id) {
    SetChecked(id, table_.GroupState(id) == 1);
  }
}

bool FilterPage::Command(int controlId) {
  return Notify(controlId, kClickedNotification);
}

bool FilterPage::Notify(int controlId, std::uint16_t notification) {
  if (!IsCurrentPage()) {
    return false;
  }
  if (controlId >= kFirstGroupBox && controlId <= kLastGroupBox) {
    // Only this group's bytes change; boxes whose groups share nothing with
    // it cannot change, so the others are left as they show.
    table_.SetGroup(controlId, IsChecked(controlId) ? 1 : 0);
    return true;
  }
  switch (controlId) {
    case kDefaultsButton:
      table_.RestoreDefaults();
      RefreshGroupBoxes();
      return true;
    case kClearButton:
      table_.Clear();
      RefreshGroupBoxes();
      return true;
    case kRepeatBox:
      RepeatBoxCommand();
      return true;
    case kCustomBox:
      CustomBoxCommand();
      return true;
    case kCustomField:
      if (notification == kChangeNotification) {
        CustomFieldChanged();
      }
      return true;
    case kMustContainBox:
      MustContainBoxCommand();
      return true;
    case kMustContainField:
      if (notification == kChangeNotification) {
        MustContainFieldChanged();
      }
      return true;
    default:
      return false;
  }
}

// Switching the repeat limit on or off normalises the lengths too, so the
// fields never show numbers the criteria do not hold.
void FilterPage::RepeatBoxCommand() {
  criteria_.repeatDiscard = IsChecked(kRepeatBox);
  EnableControl(kRepeatField, criteria_.repeatDiscard);
  NormaliseNumbers();
  if (criteria_.repeatDiscard) {
    FocusField(kRepeatField, true);
  }
}

// The table does not remember why a byte is allowed: switching the box off
// clears the custom characters even where a group also allows them.
void FilterPage::CustomBoxCommand() {
  criteria_.customEnabled = IsChecked(kCustomBox);
  EnableControl(kCustomField, criteria_.customEnabled);
  ReplaceCustomChars(table_, criteria_, CharField(kCustomField), criteria_.customEnabled);
  RefreshGroupBoxes();
  if (criteria_.customEnabled) {
    FocusField(kCustomField, false);
  }
}

// The previous characters go first, so a character deleted from the field is
// no longer allowed, whatever else allowed it.
void FilterPage::CustomFieldChanged() {
  ReplaceCustomChars(table_, criteria_, CharField(kCustomField), true);
  RefreshGroupBoxes();
}

void FilterPage::MustContainBoxCommand() {
  criteria_.mustContainEnabled = IsChecked(kMustContainBox);
  EnableControl(kMustContainField, criteria_.mustContainEnabled);
  if (criteria_.mustContainEnabled) {
    FocusField(kMustContainField, false);
  }
}

// A required character must be allowed too, or no string could hold it. The
// field only ever adds to the table: deleting a required character leaves it
// allowed.
void FilterPage::MustContainFieldChanged() {
  ReplaceMustContain(table_, criteria_, CharField(kMustContainField));
  RefreshGroupBoxes();
}

void FilterPage::FocusField(int fieldId, bool selectAll) {
  if (auto* field = ControlAs<QLineEdit>(fieldId)) {
    field->setFocus();
    if (selectAll) {
      field->selectAll();
    }
  }
}

}  // namespace quillex
