#include "shell/LayoutTable.h"

// Standard library
#include <array>

namespace quillex {

namespace {

// The logo stretches down with the window; the tab control and the pages are
// resized by the layout pass itself.
constexpr std::array<LayoutEntry, 1> kContainerLayout{{{1006, 0, 8}}};

// The file row and the report move sideways, the views stretch both ways and
// the status row, the counts and the find row stay at the bottom. The pane of
// bytes (1096) keeps its height at the bottom of the views' rectangle and
// stretches sideways; the Bytes box (1095) stays beside the view box. In the
// filter row above the views the text field (1110) stretches sideways and the
// controls after it move with the right edge.
constexpr std::array<LayoutEntry, 31> kSearchPageLayout{{
    {1093, 0, 5},  {1018, 0, 4},  {1019, 0, 0},  {1020, 0, 10}, {1007, 0, 10}, {1021, 0, 10},
    {1022, 0, 10}, {1023, 0, 10}, {1008, 0, 10}, {1009, 0, 10}, {1013, 0, 10}, {1011, 0, 15},
    {1012, 0, 14}, {1010, 0, 15}, {1000, 0, 4},  {1005, 0, 5},  {1002, 0, 5},  {1004, 0, 12},
    {1092, 0, 12}, {1095, 0, 0},  {1096, 0, 14}, {1110, 0, 4},  {1111, 0, 5},  {1112, 0, 5},
    {1113, 0, 5},  {1114, 0, 5},  {1115, 0, 5},  {1116, 0, 5},  {1117, 0, 5},  {1118, 0, 5},
    {1119, 0, 5},
}};

constexpr std::array<LayoutEntry, 59> MakeFilterPageLayout() {
  std::array<LayoutEntry, 59> rows{{
      {1014, 0, 0},
      {1015, 0, 0},
      {1067, 1, 4},
      {1068, 1, 0},
      {1069, 0, 0},
      {1076, 1, 4},
      {1074, 0, 0},
      {1073, 0, 0},
      {1078, 0, 0},
      {1079, 0, 4},
      {1001, 0, 0},
      {1003, 0, 0},
      {1094, 0, 5},
      {1070, 0, 5},
      {1071, 0, 0},
      {1072, 0, 0},
  }};
  for (int i = 0; i < 43; ++i) {
    rows[static_cast<std::size_t>(16 + i)] = LayoutEntry{1024 + i, 0, 0};
  }
  return rows;
}
// The 16 named rows, then the 43 group boxes in id order.
constexpr std::array<LayoutEntry, 59> kFilterPageLayout = MakeFilterPageLayout();

constexpr std::array<LayoutEntry, 1> kHelpPageLayout{{{1017, 0, 12}}};

}  // namespace

std::span<const LayoutEntry> ContainerLayout() {
  return kContainerLayout;
}
std::span<const LayoutEntry> SearchPageLayout() {
  return kSearchPageLayout;
}
std::span<const LayoutEntry> FilterPageLayout() {
  return kFilterPageLayout;
}
std::span<const LayoutEntry> HelpPageLayout() {
  return kHelpPageLayout;
}

}  // namespace quillex
