#pragma once

namespace quillex {

// Resource ids: the dialog templates of the tab container and its pages, the
// popup menu and the pictures. Controls have theirs in ControlIds.h.
inline constexpr int kSearchPageTemplate = 101;
inline constexpr int kFilterPageTemplate = 125;
inline constexpr int kHelpPageTemplate = 126;
inline constexpr int kContainerTemplate = 127;
inline constexpr int kProgramIcon = 104;
inline constexpr int kLogoBitmap = 111;
inline constexpr int kPopupMenu = 135;

}  // namespace quillex
