#pragma once

// Qt
#include <QColor>

// Quillex
#include "shell/DialogPage.h"

namespace quillex {

// Colours of the help text: yellow on navy.
inline constexpr QRgb kHelpTextColour = 0xFFFF00;
inline constexpr QRgb kHelpBackgroundColour = 0x000080;

// The two fixed texts the Help page shows, with CR LF line breaks.
[[nodiscard]] const char* HelpIntroductionText();
[[nodiscard]] const char* HelpAdvancedViewText();

// The Help page (template 126): the help texts in a read-only text control
// that shows no caret, so that it reads as a page rather than a form.
class HelpPage : public DialogPage {
  Q_OBJECT

 public:
  HelpPage(const DialogUnitScale& scale, QWidget* parent);
};

}  // namespace quillex
