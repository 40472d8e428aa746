#pragma once

// Standard library
#include <cstdint>
#include <span>

namespace quillex {

// The window classes the dialog templates use.
enum class ControlClass {
  GroupBox,
  Static,
  Edit,           // single line
  MultiLineEdit,  // the Help page's text
  PushButton,
  DefaultPushButton,
  CheckBox,      // auto check box
  ToggleButton,  // a push button that stays down while on
  ComboBox,      // a drop-down list to choose from
  ListView,      // the result list, supplied by the page
  RichEdit,      // the normal view, supplied by the page
  TabControl,    // supplied by the container
  OwnerDraw,     // the logo, supplied by the container
};

// Style bits of a control template that matter on this system.
inline constexpr std::uint32_t kStyleRightAlign = 0x01;   // static text
inline constexpr std::uint32_t kStyleVCentre = 0x02;      // static text
inline constexpr std::uint32_t kStyleDigitsOnly = 0x04;   // edit
inline constexpr std::uint32_t kStyleReadOnly = 0x08;     // edit
inline constexpr std::uint32_t kStyleHidden = 0x10;       // created hidden
inline constexpr std::uint32_t kStyleDisabled = 0x20;     // created disabled
inline constexpr std::uint32_t kStyleVScroll = 0x40;      // vertical scroll bar
inline constexpr std::uint32_t kStyleAutoHScroll = 0x80;  // edit scrolls sideways
inline constexpr std::uint32_t kStyleBorder = 0x100;      // framed

// One control of a dialog template; position and size in dialog units.
struct ControlTemplate {
  int id;
  ControlClass controlClass;
  const char* text;
  int x;
  int y;
  int cx;
  int cy;
  std::uint32_t style;
};

struct DialogTemplate {
  int id;
  int cx;  // dialog units
  int cy;
  std::span<const ControlTemplate> controls;
};

struct MenuItemTemplate {
  const char* text;
  int commandId;
};

// A menu resource of one top-level popup entry.
struct PopupMenuTemplate {
  int id;
  const char* popupTitle;
  std::span<const MenuItemTemplate> items;
};

// Templates 127 (container), 101 (Search page), 125 (Filter page) and 126
// (Help page); nullptr for other ids. Control texts are Windows-1252 bytes.
[[nodiscard]] const DialogTemplate* FindDialogTemplate(int templateId);
// The control of a template, or nullptr.
[[nodiscard]] const ControlTemplate* FindControlTemplate(const DialogTemplate& dialog,
                                                         int controlId);
// Menu 135: "Popup" holding "&Copy" (command 40001).
[[nodiscard]] const PopupMenuTemplate& ResultPopupMenu();

}  // namespace quillex
