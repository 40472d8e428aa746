#include "shell/ResourceScript.h"

// Standard library
#include <array>

// Quillex
#include "filter/CharGroup.h"
#include "filter/FilterCriteria.h"
#include "filter/page/GroupBoxes.h"
#include "scan/ScanHost.h"
#include "shell/ControlIds.h"
#include "shell/ResourceIds.h"
#include "views/gui/BytesPane.h"
#include "views/gui/NormalView.h"
#include "views/gui/ResultList.h"

namespace quillex {

namespace {

using enum ControlClass;

constexpr std::array<ControlTemplate, 2> kContainerControls{{
    {kLogoControl, OwnerDraw, "", 5, 5, 21, 235, 0},
    {kTabControl, TabControl, "", 30, 5, 350, 235, 0},
}};

// Creation order is template order; it is also the stacking order, so each
// group box lies under the controls it frames.
constexpr std::array<ControlTemplate, 32> kSearchPageControls{{
    {kFileFrame, GroupBox, "", 6, 0, 333, 31, 0},
    {kFileLabel, Static, "File to scan", 15, 12, 41, 8, 0},
    {kFileNameEdit, Edit, "", 60, 11, 185, 12, kStyleAutoHScroll | kStyleBorder},
    {kBrowseButton, PushButton, "&Browse", 250, 10, 35, 14, 0},
    {kGoButton, DefaultPushButton, "&Go", 298, 8, 35, 18, 0},
    {kAdvancedViewBox, CheckBox, "Advanced &view", 6, 33, 65, 10, 0},
    {kBytesBox, CheckBox, "B&ytes", 75, 33, 36, 10, 0},
    {kReportText, Static, "", 114, 34, 221, 8, kStyleRightAlign | kStyleVCentre},
    // The filter row: the views and everything under them moved down by its
    // height (15), and the page grew by as much.
    {kFilterEdit, Edit, "", 5, 46, 60, 13, kStyleAutoHScroll | kStyleBorder},
    {kFilterRegexToggle, ToggleButton, ".*", 67, 46, 12, 13, 0},
    {kFilterCaseToggle, ToggleButton, "Aa", 80, 46, 12, 13, 0},
    {kFilterAnsiToggle, ToggleButton, "A", 95, 46, 12, 13, 0},
    {kFilterUnicodeToggle, ToggleButton, "U", 108, 46, 12, 13, 0},
    {kFilterResourceToggle, ToggleButton, "R", 121, 46, 12, 13, 0},
    {kFilterMinLength, Edit, "", 136, 46, 19, 13, kStyleDigitsOnly | kStyleBorder},
    {kFilterMaxLength, Edit, "", 157, 46, 19, 13, kStyleDigitsOnly | kStyleBorder},
    {kFilterTagChoice, ComboBox, "", 179, 46, 60, 13, 0},
    {kFilterShownText, Static, "", 242, 46, 98, 13, kStyleRightAlign | kStyleVCentre},
    {kResultListControl, ListView, "", 5, 61, 335, 135, kStyleHidden | kStyleBorder},
    {kNormalViewControl, RichEdit, "", 5, 61, 335, 135,
     kStyleReadOnly | kStyleVScroll | kStyleBorder},
    // The bottom of the views' rectangle, which the views give up while the
    // pane shows; it then takes the height its font needs, at most half.
    {kBytesPaneControl, RichEdit, "", 5, 125, 335, 71,
     kStyleHidden | kStyleReadOnly | kStyleVScroll | kStyleBorder},
    {kStatusFrame, GroupBox, "", 5, 197, 47, 19, 0},
    {kStatusText, Static, "Ready", 8, 204, 40, 8, 0},
    {kAnsiCountFrame, GroupBox, "", 54, 197, 54, 19, 0},
    {kAnsiCountControl, Static, "", 57, 204, 47, 8, 0},
    {kUnicodeCountFrame, GroupBox, "", 109, 197, 54, 19, 0},
    {kUnicodeCountControl, Static, "", 112, 204, 47, 8, 0},
    {kResourceCountFrame, GroupBox, "", 165, 197, 54, 19, 0},
    {kResourceCountControl, Static, "", 169, 204, 47, 8, 0},
    {kFindEdit, Edit, "", 220, 201, 57, 15, kStyleAutoHScroll | kStyleBorder},
    {kFindButton, PushButton, "&Find", 280, 201, 27, 15, 0},
    {kSaveButton, PushButton, "&Save", 311, 201, 29, 15, 0},
}};

// The 43 character-group check boxes stand in five columns, 8 dialog units
// apart. Texts are Windows-1252 bytes, so the accented labels are written as
// their code-page bytes.
struct GroupBoxLabel {
  const char* text;
  int cx;
};

constexpr std::array<GroupBoxLabel, 43> kGroupBoxLabels{{
    // 1024 to 1032
    {"CR", 26},
    {"LF", 24},
    {"Space", 37},
    {"Tab", 29},
    {"!", 18},
    {"\"", 19},
    {"#", 21},
    {"$", 20},
    {"%", 21},
    // 1033 to 1041; "&&" shows one ampersand.
    {"&&", 20},
    {"' (apostrophe)", 59},
    {"(", 18},
    {")", 18},
    {"*", 19},
    {"+", 20},
    {", (comma)", 47},
    {"- (minus)", 42},
    {". (period)", 43},
    // 1042 to 1050
    {"/", 19},
    {"0-9", 26},
    {":", 18},
    {";", 18},
    {"<", 20},
    {"=", 20},
    {">", 20},
    {"?", 20},
    {"@", 23},
    // 1051 to 1059
    {"A-Z", 27},
    {"[", 18},
    {"\\", 23},
    {"]", 18},
    {"^", 20},
    {"_ (underscore)", 61},
    {"` (backtick)", 51},
    {"a-z", 25},
    {"{", 19},
    // 1060 to 1066
    {"|", 17},
    {"}", 19},
    {"~ (tilde)", 39},
    {"\xC0\xC1\xC2\xC7\xC8\xC9\xCA\xCC\xCD\xCE\xD2\xD3\xD4\xD9\xDA\xDB\xDD", 91},
    {"\xE0\xE1\xE2\xE7\xE8\xE9\xEA\xEC\xED\xEE\xF2\xF3\xF4\xF9\xFA\xFB\xFD", 78},
    {"\xC4\xCB\xCF\xD6\xDC\xDF", 42},
    {"\xE4\xEB\xEF\xF6\xFC", 35},
}};

constexpr std::array<int, 5> kGroupColumnX{29, 72, 132, 164, 226};
// Boxes 1024 + 9c to 1032 + 9c fill column c; the last column holds seven.
constexpr int kGroupColumnRows = 9;
constexpr int kGroupTop = 20;
constexpr int kGroupRowStep = 8;
constexpr int kGroupBoxHeight = 10;

constexpr std::uint32_t kFieldStyle = kStyleAutoHScroll | kStyleBorder;
constexpr std::uint32_t kNumberStyle = kStyleDigitsOnly | kFieldStyle;

constexpr std::size_t kFilterControlCount = 59;
constexpr const char* kCharacterGroupTitle =
    "STAGE 1:   Characters included in the definition of a string";

constexpr std::array<ControlTemplate, kFilterControlCount> MakeFilterPageControls() {
  std::array<ControlTemplate, kFilterControlCount> controls{};
  std::size_t n = 0;
  controls[n++] = {kCharacterGroup, GroupBox, kCharacterGroupTitle, 7, 6, 328, 113, 0};
  for (int i = 0; i < static_cast<int>(kGroupBoxLabels.size()); ++i) {
    const GroupBoxLabel& label = kGroupBoxLabels[static_cast<std::size_t>(i)];
    const int column = i / kGroupColumnRows;
    const int row = i % kGroupColumnRows;
    controls[n++] = {BoxOfGroup(i),
                     CheckBox,
                     label.text,
                     kGroupColumnX[static_cast<std::size_t>(column)],
                     kGroupTop + kGroupRowStep * row,
                     label.cx,
                     kGroupBoxHeight,
                     0};
  }
  controls[n++] = {kCustomBox, CheckBox, "Include these characters too", 29, 102, 104, 8, 0};
  controls[n++] = {kCustomField, Edit, "", 135, 100, 84, 12, kFieldStyle | kStyleDisabled};
  controls[n++] = {kClearButton, PushButton, "C&lear", 254, 84, 63, 13, 0};
  controls[n++] = {kDefaultsButton, PushButton, "Restore &defaults", 254, 100, 63, 13, 0};
  controls[n++] = {kSizeGroup, GroupBox, "STAGE 2:   String size", 7, 132, 203, 61, 0};
  controls[n++] = {kMinLengthLabel, Static, "Min text length", 36, 146, 49, 8, 0};
  controls[n++] = {kMinLengthField, Edit, "", 88, 145, 24, 12, kNumberStyle};
  controls[n++] = {kMaxLengthLabel, Static, "Max text length", 36, 161, 49, 8, 0};
  controls[n++] = {kMaxLengthField, Edit, "", 88, 160, 24, 12, kNumberStyle};
  controls[n++] = {kRepeatBox, CheckBox, "Discard strings with", 13, 176, 74, 10, 0};
  controls[n++] = {kRepeatField, Edit, "", 88, 175, 24, 12, kNumberStyle | kStyleDisabled};
  controls[n++] = {kRepeatLabel, Static, "or more repeated characters", 114, 176, 90, 8, 0};
  controls[n++] = {kEssentialsGroup, GroupBox, "STAGE 3:   Essentials", 231, 132, 104, 61, 0};
  controls[n++] = {kMustContainBox, CheckBox, "MUST contain these", 243, 152, 81, 10, 0};
  controls[n++] = {kMustContainField, Edit, "", 243, 164, 79, 12, kFieldStyle | kStyleDisabled};
  return controls;
}

// Each group box comes before the controls it frames, so it lies under them.
// The number fields start empty: the page writes their first values.
constexpr std::array<ControlTemplate, kFilterControlCount> kFilterPageControls =
    MakeFilterPageControls();

constexpr std::array<ControlTemplate, 1> kHelpPageControls{{
    {kHelpText, MultiLineEdit, "", 0, 0, 345, 214, kStyleReadOnly | kStyleVScroll | kStyleBorder},
}};

constexpr std::array<DialogTemplate, 4> kDialogs{{
    {kContainerTemplate, 386, 246, kContainerControls},
    {kSearchPageTemplate, 346, 219, kSearchPageControls},
    {kFilterPageTemplate, 346, 204, kFilterPageControls},
    {kHelpPageTemplate, 346, 219, kHelpPageControls},
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
