#include "shell/DialogPage.h"

// Standard library
#include <stdexcept>
#include <string>

// Qt
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QToolButton>

// Quillex
#include "views/gui/Cp1252Text.h"

namespace quillex {

namespace {

const DialogTemplate& TemplateOrThrow(int templateId) {
  const DialogTemplate* dialog = FindDialogTemplate(templateId);
  if (dialog == nullptr) {
    throw std::invalid_argument("no dialog template " + std::to_string(templateId));
  }
  return *dialog;
}

QRect ToQRect(const PixelRect& rect) {
  return QRect(rect.left, rect.top, rect.Width(), rect.Height());
}

// Pixels a check box or label needs to show its text whole in `font`: the
// text (with "&&" as one ampersand and a mnemonic's "&" hidden) plus, for a
// check box, the indicator and its gap.
int TextWidthNeeded(const QWidget& widget, const QString& text, const QFont& font) {
  int width = QFontMetrics(font).size(Qt::TextShowMnemonic, text).width();
  if (qobject_cast<const QCheckBox*>(&widget) != nullptr) {
    const QStyle* style = widget.style();
    width += style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, &widget) +
             style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, &widget);
  }
  return width;
}

// The templates were measured for "MS Sans Serif"; the sans fonts that stand
// in for it are a few per cent wider on some texts, and the check box
// indicators of Qt's styles are wider than the classic 13-pixel box. Rather
// than clip such a label, its font alone is narrowed just enough to fit the
// template rectangle, which therefore stays as designed. Labels that fit are
// left in the dialog font.
constexpr int kNarrowestStretch = 70;

void NarrowTextToFit(QWidget& widget, const QString& text) {
  if (text.isEmpty()) {
    return;
  }
  QFont font = widget.font();
  const int available = widget.width();
  if (TextWidthNeeded(widget, text, font) <= available) {
    return;
  }
  for (int stretch = 99; stretch >= kNarrowestStretch; --stretch) {
    font.setStretch(stretch);
    if (TextWidthNeeded(widget, text, font) <= available) {
      break;
    }
  }
  widget.setFont(font);
}

}  // namespace

DialogPage::DialogPage(int templateId, const DialogUnitScale& scale, QWidget* parent)
    : QWidget(parent), template_(TemplateOrThrow(templateId)), scale_(scale) {
  setObjectName(QString::number(templateId));
  const PixelSize size = TemplateSize();
  resize(size.width, size.height);
  for (const ControlTemplate& control : template_.controls) {
    QWidget* widget = CreateControl(control);
    if (widget == nullptr) {
      continue;  // the page makes it
    }
    PlaceControl(control.id, widget);
    if (control.controlClass == ControlClass::CheckBox ||
        control.controlClass == ControlClass::Static) {
      NarrowTextToFit(*widget, ControlText(control.id));
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      const int id = control.id;
      connect(button, &QAbstractButton::clicked, this, [this, id] { Command(id); });
    }
  }
}

QWidget* DialogPage::CreateControl(const ControlTemplate& control) {
  const QString text = BytesToQString(control.text);
  switch (control.controlClass) {
    case ControlClass::GroupBox:
      return new QGroupBox(text, this);
    case ControlClass::Static: {
      auto* label = new QLabel(text, this);
      Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
      if ((control.style & kStyleRightAlign) != 0) {
        alignment = (alignment & ~Qt::AlignHorizontal_Mask) | Qt::AlignRight;
      }
      if ((control.style & kStyleVCentre) != 0) {
        alignment = (alignment & ~Qt::AlignVertical_Mask) | Qt::AlignVCenter;
      }
      label->setAlignment(alignment);
      label->setTextFormat(Qt::PlainText);
      return label;
    }
    case ControlClass::Edit: {
      auto* edit = new QLineEdit(text, this);
      edit->setFrame((control.style & kStyleBorder) != 0);
      edit->setReadOnly((control.style & kStyleReadOnly) != 0);
      if ((control.style & kStyleDigitsOnly) != 0) {
        edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
      }
      return edit;
    }
    case ControlClass::MultiLineEdit: {
      auto* edit = new QPlainTextEdit(text, this);
      edit->setReadOnly((control.style & kStyleReadOnly) != 0);
      edit->setVerticalScrollBarPolicy(
          (control.style & kStyleVScroll) != 0 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
      if ((control.style & kStyleBorder) == 0) {
        edit->setFrameShape(QFrame::NoFrame);
      }
      return edit;
    }
    case ControlClass::PushButton:
    case ControlClass::DefaultPushButton: {
      auto* button = new QPushButton(text, this);
      button->setDefault(control.controlClass == ControlClass::DefaultPushButton);
      return button;
    }
    case ControlClass::CheckBox:
      return new QCheckBox(text, this);
    case ControlClass::ToggleButton: {
      auto* toggle = new QToolButton(this);
      toggle->setText(text);
      toggle->setCheckable(true);
      toggle->setFocusPolicy(Qt::StrongFocus);
      return toggle;
    }
    case ControlClass::ComboBox:
      return new QComboBox(this);
    case ControlClass::ListView:
    case ControlClass::RichEdit:
    case ControlClass::TabControl:
    case ControlClass::OwnerDraw:
      return nullptr;
  }
  return nullptr;
}

PixelSize DialogPage::TemplateSize() const {
  const PixelRect rect = DialogRectToPixels(scale_, 0, 0, template_.cx, template_.cy);
  return PixelSize{rect.Width(), rect.Height()};
}

PixelSize DialogPage::SmallestSize() const {
  const PixelRect rect =
      DialogRectToPixels(scale_, 0, 0, template_.cx - shrinkX_, template_.cy - shrinkY_);
  return PixelSize{rect.Width(), rect.Height()};
}

PixelRect DialogPage::TemplateRect(int controlId) const {
  const ControlTemplate* control = FindControlTemplate(template_, controlId);
  if (control == nullptr) {
    return {};
  }
  return DialogRectToPixels(scale_, control->x, control->y, control->cx, control->cy);
}

QWidget* DialogPage::Control(int controlId) const {
  const auto it = controls_.find(controlId);
  return it == controls_.end() ? nullptr : it->second;
}

void DialogPage::PlaceControl(int controlId, QWidget* widget) {
  widget->setParent(this);
  widget->setObjectName(QString::number(controlId));
  widget->setGeometry(ToQRect(TemplateRect(controlId)));
  if (const ControlTemplate* control = FindControlTemplate(template_, controlId)) {
    widget->setVisible((control->style & kStyleHidden) == 0);
    widget->setEnabled((control->style & kStyleDisabled) == 0);
  }
  controls_[controlId] = widget;
}

QString DialogPage::ControlText(int controlId) const {
  QWidget* widget = Control(controlId);
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    return label->text();
  }
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    return edit->text();
  }
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    return button->text();
  }
  if (auto* group = qobject_cast<QGroupBox*>(widget)) {
    return group->title();
  }
  if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
    return plain->toPlainText();
  }
  return {};
}

void DialogPage::SetControlText(int controlId, const QString& text) {
  QWidget* widget = Control(controlId);
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    // Texts set while the program runs ("Scanning... 37%", the counts) get
    // the same fitting as the template's: the page's font, narrowed only as
    // far as this text needs.
    label->setFont(font());
    label->setText(text);
    NarrowTextToFit(*label, text);
  } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    edit->setText(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(text);
  } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
    group->setTitle(text);
  } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
    plain->setPlainText(text);
  }
}

bool DialogPage::IsChecked(int controlId) const {
  auto* button = ControlAs<QAbstractButton>(controlId);
  return button != nullptr && button->isChecked();
}

void DialogPage::SetChecked(int controlId, bool checked) {
  if (auto* button = ControlAs<QAbstractButton>(controlId)) {
    button->setChecked(checked);
  }
}

void DialogPage::EnableControl(int controlId, bool enabled) {
  if (QWidget* widget = Control(controlId)) {
    widget->setEnabled(enabled);
  }
}

void DialogPage::ApplyFontFlags(std::span<const LayoutEntry> layout, const QFont& bold) {
  for (const LayoutEntry& entry : layout) {
    if (entry.controlId == 0) {
      break;
    }
    if (entry.fontFlag == 1) {
      if (QWidget* widget = Control(entry.controlId)) {
        widget->setFont(bold);
      }
    }
  }
}

bool DialogPage::Command(int /*controlId*/) {
  return false;
}

std::optional<PixelRect> DialogPage::ControlRect(int controlId) const {
  QWidget* widget = Control(controlId);
  if (widget == nullptr) {
    return std::nullopt;
  }
  const QRect geometry = widget->geometry();
  return PixelRect{geometry.left(), geometry.top(), geometry.left() + geometry.width(),
                   geometry.top() + geometry.height()};
}

void DialogPage::MoveControl(int controlId, const PixelRect& rect) {
  if (QWidget* widget = Control(controlId)) {
    widget->setGeometry(ToQRect(rect));
  }
}

}  // namespace quillex
