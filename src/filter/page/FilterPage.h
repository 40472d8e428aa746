#pragma once

// Standard library
#include <cstdint>
#include <string>

// Quillex
#include "filter/FilterCriteria.h"
#include "shell/DialogPage.h"

namespace quillex {

// The Filter page (template 125). So far it holds the string-size criteria:
// the two length fields, the "Discard strings with" box and its repeat count.
// The Go command normalises the criteria over these fields, which is why the
// page is also the CriteriaFields the normalisation reads and writes.
class FilterPage : public DialogPage, public CriteriaFields {
  Q_OBJECT

 public:
  FilterPage(FilterCriteria& criteria, const DialogUnitScale& scale, QWidget* parent);

  [[nodiscard]] std::string FieldText(int fieldId) const override;
  void SetFieldNumber(int fieldId, std::uint32_t value) override;

  bool Command(int controlId) override;

 private:
  void RepeatBoxCommand();

  FilterCriteria& criteria_;
};

}  // namespace quillex
