#pragma once

// Standard library
#include <functional>
#include <map>
#include <optional>
#include <span>

// Qt
#include <QString>
#include <QWidget>

// Quillex
#include "shell/DialogUnits.h"
#include "shell/LayoutPass.h"
#include "shell/LayoutTable.h"
#include "shell/ResourceScript.h"

namespace quillex {

// A child dialog built from a template: every control of a standard class is
// created at its template position, converted from dialog units with the
// dialog font's scale, and can be reached by its id. Controls of the page's
// own classes (the list, the normal view, the tab control, the logo) are made
// by the page and placed with PlaceControl.
//
// Clicks on buttons and check boxes arrive at Command with the control id;
// a page acts on them only while it is the current page.
class DialogPage : public QWidget, public LayoutSurface {
  Q_OBJECT

 public:
  DialogPage(int templateId, const DialogUnitScale& scale, QWidget* parent);

  [[nodiscard]] const DialogTemplate& Template() const { return template_; }
  [[nodiscard]] const DialogUnitScale& Scale() const { return scale_; }
  // The template's size in pixels.
  [[nodiscard]] PixelSize TemplateSize() const;
  // A control's template rectangle in pixels; empty for unknown ids.
  [[nodiscard]] PixelRect TemplateRect(int controlId) const;

  // How far, in dialog units, the page's layout table can shrink it below
  // the template before controls would overlap; a smaller page scrolls.
  void SetShrinkLimit(int dialogUnitsX, int dialogUnitsY) {
    shrinkX_ = dialogUnitsX;
    shrinkY_ = dialogUnitsY;
  }
  // The smallest size the page is laid out at, in pixels.
  [[nodiscard]] PixelSize SmallestSize() const;

  // The control with this id, or nullptr.
  [[nodiscard]] QWidget* Control(int controlId) const;
  template <class T>
  [[nodiscard]] T* ControlAs(int controlId) const {
    return qobject_cast<T*>(Control(controlId));
  }
  // Gives `widget` the id and the template position of control `controlId`.
  void PlaceControl(int controlId, QWidget* widget);

  // Text of a label, edit, button or group box; empty for other controls.
  [[nodiscard]] QString ControlText(int controlId) const;
  void SetControlText(int controlId, const QString& text);
  [[nodiscard]] bool IsChecked(int controlId) const;
  void SetChecked(int controlId, bool checked);
  void EnableControl(int controlId, bool enabled);

  // Gives the bold font to every control whose layout row asks for it.
  void ApplyFontFlags(std::span<const LayoutEntry> layout, const QFont& bold);

  // Tells the page how to learn whether it is the page shown now.
  void SetCurrentPageCheck(std::function<bool()> isCurrent) { isCurrent_ = std::move(isCurrent); }
  [[nodiscard]] bool IsCurrentPage() const { return !isCurrent_ || isCurrent_(); }

  // A command from control `controlId`. Returns true when the page handled it;
  // a page that is not current handles nothing.
  virtual bool Command(int controlId);

  [[nodiscard]] std::optional<PixelRect> ControlRect(int controlId) const override;
  void MoveControl(int controlId, const PixelRect& rect) override;

 private:
  QWidget* CreateControl(const ControlTemplate& control);

  const DialogTemplate& template_;
  DialogUnitScale scale_;
  std::map<int, QWidget*> controls_;
  std::function<bool()> isCurrent_;
  int shrinkX_ = 0;
  int shrinkY_ = 0;
};

}  // namespace quillex
