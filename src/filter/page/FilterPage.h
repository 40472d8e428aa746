#pragma once

// Standard library
#include <cstdint>
#include <string>

// Quillex
#include "filter/CharClassTable.h"
#include "filter/FilterCriteria.h"
#include "shell/DialogPage.h"

class QString;

namespace quillex {

// Notification codes a command carries besides the control id: a click of a
// button or check box, and a change of an edit field's text.
inline constexpr std::uint16_t kClickedNotification = 0;
inline constexpr std::uint16_t kChangeNotification = 0x300;

// The Filter page (template 125): the character-class table as 43 group
// boxes, the custom and must-contain characters, and the string-size
// criteria. The page owns no data of its own; every change goes straight to
// the shared table and criteria. The Go command has the page normalise its
// number fields before every scan.
class FilterPage : public DialogPage {
  Q_OBJECT

 public:
  FilterPage(CharClassTable& table, FilterCriteria& criteria, const DialogUnitScale& scale,
             QWidget* parent);

  [[nodiscard]] std::string FieldText(int fieldId) const;
  void SetFieldNumber(int fieldId, std::uint32_t value);

  // Sets the length and repeat criteria from the three number fields and
  // shows the numbers the criteria now hold: both lengths always, the repeat
  // count only while the repeat limit is on.
  void NormaliseNumbers();

  // A click on control `controlId`.
  bool Command(int controlId) override;
  // A command with its notification code. Returns true when the page acted
  // on it (or took it and chose to do nothing, as for an edit field's other
  // notifications); false while another page is current and for controls
  // the page has no command for, the number fields included.
  bool Notify(int controlId, std::uint16_t notification);

  // Shows every group box on exactly when all the bytes of its group are
  // allowed.
  void RefreshGroupBoxes();

  // The Windows-1252 bytes of a field's text, at most 63 of them. Characters
  // the code page cannot represent, and NULs, are left out rather than
  // replaced, so they never allow a byte the user did not type.
  [[nodiscard]] std::string CharField(int fieldId) const;

 private:
  void RepeatBoxCommand();
  void CustomBoxCommand();
  void CustomFieldChanged();
  void MustContainBoxCommand();
  void MustContainFieldChanged();
  void FocusField(int fieldId, bool selectAll);
  void SetUpAccessibility();

  CharClassTable& table_;
  FilterCriteria& criteria_;
};

// The Windows-1252 bytes of a text, skipping characters the code page has no
// byte for and NULs, cut to the 63 bytes the criteria keep.
[[nodiscard]] std::string CharFieldBytes(const QString& text);

}  // namespace quillex
