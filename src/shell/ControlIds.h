#pragma once

namespace quillex {

// Control ids: the program's own numbers for the controls of its pages.
// Layout tables, command tables and tests all name controls by them. The
// result list (1004), the normal view (1092), the pane of bytes (1096) and
// the Copy command (40001) are named by the views, the character group boxes (1024 to 1066) by the
// Filter page (filter/page/GroupBoxes.h); the templates, the menu and the
// pictures by ResourceIds.h.

// Tab container (template 127).
inline constexpr int kLogoControl = 1006;
inline constexpr int kTabControl = 1016;

// Search page (template 101).
inline constexpr int kFileFrame = 1018;
inline constexpr int kFileLabel = 1019;
inline constexpr int kFileNameEdit = 1000;
inline constexpr int kBrowseButton = 1005;
inline constexpr int kGoButton = 1002;
inline constexpr int kAdvancedViewBox = 1090;
// Shows the pane of bytes around the current string (views/gui/BytesPane.h,
// control 1096) under the result views.
inline constexpr int kBytesBox = 1095;
inline constexpr int kReportText = 1093;
inline constexpr int kStatusFrame = 1020;
inline constexpr int kStatusText = 1007;
inline constexpr int kAnsiCountControl = 1008;
inline constexpr int kUnicodeCountControl = 1009;
inline constexpr int kResourceCountControl = 1013;
inline constexpr int kAnsiCountFrame = 1021;
inline constexpr int kUnicodeCountFrame = 1022;
inline constexpr int kResourceCountFrame = 1023;
inline constexpr int kFindEdit = 1012;
inline constexpr int kFindButton = 1011;
inline constexpr int kSaveButton = 1010;
// The filter row above the result views: which of the results they show.
inline constexpr int kFilterEdit = 1110;
inline constexpr int kFilterRegexToggle = 1111;
inline constexpr int kFilterCaseToggle = 1112;
inline constexpr int kFilterAnsiToggle = 1113;
inline constexpr int kFilterUnicodeToggle = 1114;
inline constexpr int kFilterResourceToggle = 1115;
inline constexpr int kFilterMinLength = 1116;
inline constexpr int kFilterMaxLength = 1117;
inline constexpr int kFilterTagChoice = 1118;
inline constexpr int kFilterShownText = 1119;

// Filter page (template 125).
inline constexpr int kCharacterGroup = 1067;
inline constexpr int kCustomBox = 1074;
inline constexpr int kCustomField = 1073;
inline constexpr int kClearButton = 1094;
inline constexpr int kDefaultsButton = 1070;
inline constexpr int kSizeGroup = 1068;
inline constexpr int kMinLengthLabel = 1014;
inline constexpr int kMinLengthField = 1001;
inline constexpr int kMaxLengthLabel = 1015;
inline constexpr int kMaxLengthField = 1003;
inline constexpr int kRepeatBox = 1071;
inline constexpr int kRepeatField = 1072;
inline constexpr int kRepeatLabel = 1069;
inline constexpr int kEssentialsGroup = 1076;
inline constexpr int kMustContainBox = 1078;
inline constexpr int kMustContainField = 1079;

// Help page (template 126).
inline constexpr int kHelpText = 1017;

}  // namespace quillex
