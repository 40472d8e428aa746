// Standard library
#include <set>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

// Quillex
#include "shell/ControlIds.h"
#include "shell/LayoutTable.h"
#include "shell/ResourceIds.h"
#include "shell/ResourceScript.h"
#include "views/gui/BytesPane.h"

namespace quillex {
namespace {

TEST(ResourceScript, TemplatesHoldUniqueControlsInsideTheirDialog) {
  for (const int id : {127, 101, 125, 126}) {
    const DialogTemplate* dialog = FindDialogTemplate(id);
    ASSERT_NE(dialog, nullptr) << id;
    std::set<int> seen;
    for (const ControlTemplate& control : dialog->controls) {
      EXPECT_TRUE(seen.insert(control.id).second) << id << ": " << control.id;
      EXPECT_GE(control.x, 0);
      EXPECT_GE(control.y, 0);
      EXPECT_LE(control.x + control.cx, dialog->cx) << control.id;
      EXPECT_LE(control.y + control.cy, dialog->cy) << control.id;
    }
  }
  EXPECT_EQ(FindDialogTemplate(102), nullptr);
}

TEST(ResourceScript, SearchPageMatchesItsLayoutTable) {
  // Every control the Search page's layout table moves exists in template
  // 101, and the list and the normal view share one rectangle.
  const DialogTemplate& search = *FindDialogTemplate(kSearchPageTemplate);
  for (const LayoutEntry& entry : SearchPageLayout()) {
    EXPECT_NE(FindControlTemplate(search, entry.controlId), nullptr) << entry.controlId;
  }
  EXPECT_EQ(search.controls.size(), SearchPageLayout().size() + 1);  // 1090 is not moved
  const ControlTemplate* list = FindControlTemplate(search, 1004);
  const ControlTemplate* normal = FindControlTemplate(search, 1092);
  ASSERT_TRUE(list && normal);
  EXPECT_EQ(std::tie(list->x, list->y, list->cx, list->cy),
            std::tie(normal->x, normal->y, normal->cx, normal->cy));
  EXPECT_NE(list->style & kStyleHidden, 0u);
  EXPECT_EQ(normal->style & kStyleHidden, 0u);

  const ControlTemplate* go = FindControlTemplate(search, kGoButton);
  ASSERT_NE(go, nullptr);
  EXPECT_EQ(go->controlClass, ControlClass::DefaultPushButton);
  EXPECT_EQ(std::string(go->text), "&Go");
  // The Bytes box beside the view box, and the pane it shows in the bottom
  // of the views' rectangle, hidden at first.
  const ControlTemplate* bytesBox = FindControlTemplate(search, kBytesBox);
  const ControlTemplate* viewBox = FindControlTemplate(search, kAdvancedViewBox);
  ASSERT_TRUE(bytesBox && viewBox);
  EXPECT_EQ(std::string(bytesBox->text), "B&ytes");
  EXPECT_EQ(bytesBox->controlClass, ControlClass::CheckBox);
  EXPECT_EQ(bytesBox->y, viewBox->y);
  EXPECT_GT(bytesBox->x, viewBox->x + viewBox->cx);
  const ControlTemplate* pane = FindControlTemplate(search, kBytesPaneControl);
  ASSERT_NE(pane, nullptr);
  EXPECT_NE(pane->style & kStyleHidden, 0u);
  EXPECT_EQ(std::tie(pane->x, pane->cx), std::tie(list->x, list->cx));
  EXPECT_EQ(pane->y + pane->cy, list->y + list->cy);
  EXPECT_GT(pane->y, list->y);

  const ControlTemplate* report = FindControlTemplate(search, kReportText);
  ASSERT_NE(report, nullptr);
  EXPECT_EQ(report->style & (kStyleRightAlign | kStyleVCentre), kStyleRightAlign | kStyleVCentre);
  EXPECT_GE(report->x, bytesBox->x + bytesBox->cx);
}

TEST(ResourceScript, FilterNumberFieldsAcceptDigitsOnly) {
  const DialogTemplate& filter = *FindDialogTemplate(kFilterPageTemplate);
  for (const int id : {1001, 1003, 1072}) {
    const ControlTemplate* field = FindControlTemplate(filter, id);
    ASSERT_NE(field, nullptr) << id;
    EXPECT_NE(field->style & kStyleDigitsOnly, 0u) << id;
    EXPECT_EQ(std::string(field->text), "") << id;
  }
  EXPECT_NE(FindControlTemplate(filter, 1072)->style & kStyleDisabled, 0u);
  EXPECT_EQ(FindControlTemplate(filter, 1001)->style & kStyleDisabled, 0u);
}

TEST(ResourceScript, FilterPageHoldsItsGroupBoxesInFiveColumns) {
  const DialogTemplate& filter = *FindDialogTemplate(kFilterPageTemplate);
  EXPECT_EQ(std::tuple(filter.cx, filter.cy), std::tuple(346, 204));
  EXPECT_EQ(filter.controls.size(), 59u);
  // Every control the layout table names exists, and the frames come before
  // the controls they hold so that they lie under them.
  for (const LayoutEntry& entry : FilterPageLayout()) {
    EXPECT_NE(FindControlTemplate(filter, entry.controlId), nullptr) << entry.controlId;
  }
  EXPECT_EQ(filter.controls.front().id, 1067);

  const auto rect = [&](int id) {
    const ControlTemplate* control = FindControlTemplate(filter, id);
    return control == nullptr ? std::tuple(-1, -1, -1, -1)
                              : std::tuple(control->x, control->y, control->cx, control->cy);
  };
  // The first and last box of each column, and a few in between.
  EXPECT_EQ(rect(1024), std::tuple(29, 20, 26, 10));
  EXPECT_EQ(rect(1032), std::tuple(29, 84, 21, 10));
  EXPECT_EQ(rect(1033), std::tuple(72, 20, 20, 10));
  EXPECT_EQ(rect(1034), std::tuple(72, 28, 59, 10));
  EXPECT_EQ(rect(1041), std::tuple(72, 84, 43, 10));
  EXPECT_EQ(rect(1042), std::tuple(132, 20, 19, 10));
  EXPECT_EQ(rect(1050), std::tuple(132, 84, 23, 10));
  EXPECT_EQ(rect(1051), std::tuple(164, 20, 27, 10));
  EXPECT_EQ(rect(1056), std::tuple(164, 60, 61, 10));
  EXPECT_EQ(rect(1059), std::tuple(164, 84, 19, 10));
  EXPECT_EQ(rect(1060), std::tuple(226, 20, 17, 10));
  EXPECT_EQ(rect(1063), std::tuple(226, 44, 91, 10));
  EXPECT_EQ(rect(1066), std::tuple(226, 68, 35, 10));
  // Every group box is an auto check box inside the STAGE 1 frame.
  for (int id = 1024; id <= 1066; ++id) {
    const ControlTemplate* box = FindControlTemplate(filter, id);
    ASSERT_NE(box, nullptr) << id;
    EXPECT_EQ(box->controlClass, ControlClass::CheckBox) << id;
    EXPECT_GT(box->y, 6);
    EXPECT_LT(box->y + box->cy, 6 + 113) << id;
    EXPECT_LT(box->x + box->cx, 7 + 328) << id;
  }

  const auto text = [&](int id) { return std::string(FindControlTemplate(filter, id)->text); };
  EXPECT_EQ(text(1067), "STAGE 1:   Characters included in the definition of a string");
  EXPECT_EQ(text(1033), "&&");
  EXPECT_EQ(text(1053), "\\");
  EXPECT_EQ(text(1065), "\xC4\xCB\xCF\xD6\xDC\xDF");
  EXPECT_EQ(text(1094), "C&lear");
  EXPECT_EQ(text(1070), "Restore &defaults");
  EXPECT_EQ(rect(1073), std::tuple(135, 100, 84, 12));
  EXPECT_EQ(rect(1079), std::tuple(243, 164, 79, 12));
  for (const int id : {1073, 1079}) {
    const ControlTemplate* field = FindControlTemplate(filter, id);
    EXPECT_EQ(field->style & (kStyleDisabled | kStyleDigitsOnly | kStyleBorder),
              kStyleDisabled | kStyleBorder)
        << id;
  }
}

TEST(ResourceScript, PopupMenuOffersCopy) {
  const PopupMenuTemplate& menu = ResultPopupMenu();
  EXPECT_EQ(menu.id, 135);
  EXPECT_EQ(std::string(menu.popupTitle), "Popup");
  ASSERT_EQ(menu.items.size(), 1u);
  EXPECT_EQ(std::string(menu.items[0].text), "&Copy");
  EXPECT_EQ(menu.items[0].commandId, 40001);
}

}  // namespace
}  // namespace quillex
