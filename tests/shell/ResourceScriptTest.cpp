// Standard library
#include <set>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

// Quillex
#include "shell/ControlIds.h"
#include "shell/LayoutTable.h"
#include "shell/ResourceScript.h"

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
  const ControlTemplate* report = FindControlTemplate(search, kReportText);
  ASSERT_NE(report, nullptr);
  EXPECT_EQ(report->style & (kStyleRightAlign | kStyleVCentre), kStyleRightAlign | kStyleVCentre);
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
