#include "shell/ResourceScript.h"

// Standard library
#include <array>

// Quillex
#include "filter/FilterCriteria.h"
#include "scan/ScanHost.h"
#include "shell/ControlIds.h"
#include "views/NormalView.h"
#include "views/ResultList.h"

namespace quillex {

namespace {

using enum ControlClass;

constexpr std::array<ControlTemplate, 2> kContainerControls{{
    {kLogoControl, OwnerDraw, "", 5, 5, 21, 220, 0},
    {kTabControl, TabControl, "", 30, 5, 350, 220, 0},
}};

// Creation order is template order; it is also the stacking order, so each
// group box lies under the controls it frames.
constexpr std::array<ControlTemplate, 20> kSearchPageControls{{
    {kFileFrame, GroupBox, "", 6, 0, 333, 31, 0},
    {kFileLabel, Static, "File to scan", 15, 12, 41, 8, 0},
    {kFileNameEdit, Edit, "", 60, 11, 185, 12, kStyleAutoHScroll | kStyleBorder},
    {kBrowseButton, PushButton, "&Browse", 250, 10, 35, 14, 0},
    {kGoButton, DefaultPushButton, "&Go", 298, 8, 35, 18, 0},
    {kAdvancedViewBox, CheckBox, "Advanced &view", 6, 33, 65, 10, 0},
    {kReportText, Static, "", 86, 34, 249, 8, kStyleRightAlign | kStyleVCentre},
    {kResultListControl, ListView, "", 5, 46, 335, 135, kStyleHidden | kStyleBorder},
    {kNormalViewControl, RichEdit, "", 5, 46, 335, 135,
     kStyleReadOnly | kStyleVScroll | kStyleBorder},
    {kStatusFrame, GroupBox, "", 5, 182, 47, 19, 0},
    {kStatusText, Static, "Ready", 8, 189, 40, 8, 0},
    {kAnsiCountFrame, GroupBox, "", 54, 182, 54, 19, 0},
    {kAnsiCountControl, Static, "", 57, 189, 47, 8, 0},
    {kUnicodeCountFrame, GroupBox, "", 109, 182, 54, 19, 0},
    {kUnicodeCountControl, Static, "", 112, 189, 47, 8, 0},
    {kResourceCountFrame, GroupBox, "", 165, 182, 54, 19, 0},
    {kResourceCountControl, Static, "", 169, 189, 47, 8, 0},
    {kFindEdit, Edit, "", 220, 186, 57, 15, kStyleAutoHScroll | kStyleBorder},
    {kFindButton, PushButton, "&Find", 280, 186, 27, 15, 0},
    {kSaveButton, PushButton, "&Save", 311, 186, 29, 15, 0},
}};

// The number fields start empty: the page writes their first values.
constexpr std::array<ControlTemplate, 8> kFilterPageControls{{
    {kSizeGroup, GroupBox, "STAGE 2:   String size", 7, 132, 203, 61, 0},
    {kMinLengthLabel, Static, "Min text length", 36, 146, 49, 8, 0},
    {kMinLengthField, Edit, "", 88, 145, 24, 12,
     kStyleDigitsOnly | kStyleAutoHScroll | kStyleBorder},
    {kMaxLengthLabel, Static, "Max text length", 36, 161, 49, 8, 0},
    {kMaxLengthField, Edit, "", 88, 160, 24, 12,
     kStyleDigitsOnly | kStyleAutoHScroll | kStyleBorder},
    {kRepeatBox, CheckBox, "Discard strings with", 13, 176, 74, 10, 0},
    {kRepeatField, Edit, "", 88, 175, 24, 12,
     kStyleDigitsOnly | kStyleAutoHScroll | kStyleBorder | kStyleDisabled},
    {kRepeatLabel, Static, "or more repeated characters", 114, 176, 90, 8, 0},
}};

constexpr std::array<ControlTemplate, 1> kHelpPageControls{{
    {kHelpText, MultiLineEdit, "", 0, 0, 345, 199, kStyleReadOnly | kStyleVScroll | kStyleBorder},
}};

constexpr std::array<DialogTemplate, 4> kDialogs{{
    {kContainerTemplate, 386, 231, kContainerControls},
    {kSearchPageTemplate, 346, 204, kSearchPageControls},
    {kFilterPageTemplate, 346, 204, kFilterPageControls},
    {kHelpPageTemplate, 346, 204, kHelpPageControls},
}};

constexpr std::array<MenuItemTemplate, 1> kPopupItems{{{"&Copy", kCopyCommand}}};
constexpr PopupMenuTemplate kPopup{kPopupMenu, "Popup", kPopupItems};

}  // namespace

const DialogTemplate* FindDialogTemplate(int templateId) {
  for (const DialogTemplate& dialog : kDialogs) {
    if (dialog.id == templateId) {
      return &dialog;
    }
  }
  return nullptr;
}

const ControlTemplate* FindControlTemplate(const DialogTemplate& dialog, int controlId) {
  for (const ControlTemplate& control : dialog.controls) {
    if (control.id == controlId) {
      return &control;
    }
  }
  return nullptr;
}

const PopupMenuTemplate& ResultPopupMenu() {
  return kPopup;
}

}  // namespace quillex
