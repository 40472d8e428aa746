#include "filter/page/FilterPage.h"

// Qt
#include <QLineEdit>

// Quillex
#include "shell/ControlIds.h"

namespace quillex {

FilterPage::FilterPage(FilterCriteria& criteria, const DialogUnitScale& scale, QWidget* parent)
    : DialogPage(kFilterPageTemplate, scale, parent), criteria_(criteria) {
  SetFieldNumber(kMinLengthField, 5);
  SetFieldNumber(kMaxLengthField, kMaxTextLength);
  SetFieldNumber(kRepeatField, 3);
}

std::string FilterPage::FieldText(int fieldId) const {
  return ControlText(fieldId).toLatin1().toStdString();
}

void FilterPage::SetFieldNumber(int fieldId, std::uint32_t value) {
  SetControlText(fieldId, QString::number(value));
}

bool FilterPage::Command(int controlId) {
  if (!IsCurrentPage()) {
    return false;
  }
  if (controlId == kRepeatBox) {
    RepeatBoxCommand();
    return true;
  }
  return false;
}

// Switching the repeat limit on or off normalises the lengths too, so the
// fields never show numbers the criteria do not hold.
void FilterPage::RepeatBoxCommand() {
  criteria_.repeatDiscard = IsChecked(kRepeatBox);
  EnableControl(kRepeatField, criteria_.repeatDiscard);
  NormaliseLengths(criteria_, *this);
  NormaliseRepeatLimit(criteria_, *this);
  if (criteria_.repeatDiscard) {
    if (auto* field = ControlAs<QLineEdit>(kRepeatField)) {
      field->setFocus();
      field->selectAll();
    }
  }
}

}  // namespace quillex
