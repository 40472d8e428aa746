#include "filter/page/FilterPage.h"

// Standard library
#include <optional>

// Standard library
#include <array>

// Qt
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QString>

// Quillex
#include "filter/CharGroup.h"
#include "filter/page/GroupBoxes.h"
#include "platform/Cp1252.h"
#include "shell/ControlIds.h"
#include "shell/ResourceIds.h"

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

namespace {

struct FieldName {
  int fieldId;
  const char* name;
};

// The fields as a screen reader names them: by the labels beside them. The
// repeat field sits inside its sentence, which its name repeats whole.
constexpr std::array<FieldName, 5> kFieldNames{{
    {kMinLengthField, "Min text length"},
    {kMaxLengthField, "Max text length"},
    {kRepeatField, "Discard strings with this many or more repeated characters"},
    {kCustomField, "Include these characters too"},
    {kMustContainField, "Must contain these characters"},
}};

struct ToggleTip {
  int boxId;
  const char* tip;
};

constexpr std::array<ToggleTip, 3> kToggleTips{{
    {kCustomBox,
     "Ticked: the characters typed in the field beside count as text too, whatever the boxes "
     "above say."},
    {kRepeatBox,
     "Ticked: a string with the given number of equal characters in a row, or more, is left "
     "out."},
    {kMustContainBox,
     "Ticked: only strings that hold at least one of the characters typed below are kept."},
}};

}  // namespace

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
  SetUpAccessibility();
  SetFieldNumber(kMinLengthField, 5);
  SetFieldNumber(kMaxLengthField, kMaxTextLength);
  SetFieldNumber(kRepeatField, 3);
  RefreshGroupBoxes();
}

void FilterPage::SetUpAccessibility() {
  for (const FieldName& field : kFieldNames) {
    if (QWidget* control = Control(field.fieldId)) {
      control->setAccessibleName(QString::fromLatin1(field.name));
    }
  }
  if (auto* label = ControlAs<QLabel>(kMinLengthLabel)) {
    label->setBuddy(Control(kMinLengthField));
  }
  if (auto* label = ControlAs<QLabel>(kMaxLengthLabel)) {
    label->setBuddy(Control(kMaxLengthField));
  }
  for (const ToggleTip& toggle : kToggleTips) {
    if (QWidget* box = Control(toggle.boxId)) {
      box->setToolTip(QString::fromLatin1(toggle.tip));
    }
  }
  // Each group's box: ticked, its characters may make up strings.
  for (int id = kFirstGroupBox; id <= kLastGroupBox; ++id) {
    if (auto* box = ControlAs<QCheckBox>(id)) {
      QString shown = box->text();
      shown.replace(QStringLiteral("&&"), QStringLiteral("&"));
      box->setToolTip(
          QStringLiteral("Ticked: %1 may be part of a string. Unticked: %1 ends one.").arg(shown));
    }
  }
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
  for (int group = 0; group < kGroupCount; ++group) {
    SetChecked(BoxOfGroup(group), table_.GroupState(group) == 1);
  }
}

bool FilterPage::Command(int controlId) {
  return Notify(controlId, kClickedNotification);
}

bool FilterPage::Notify(int controlId, std::uint16_t notification) {
  if (!IsCurrentPage()) {
    return false;
  }
  if (const std::optional<int> group = GroupOfBox(controlId)) {
    // Only this group's bytes change; boxes whose groups share nothing with
    // it cannot change, so the others are left as they show.
    table_.SetGroup(*group, IsChecked(controlId) ? 1 : 0);
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
