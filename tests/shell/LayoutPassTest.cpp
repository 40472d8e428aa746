// Standard library
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// Quillex
#include "shell/LayoutPass.h"
#include "shell/LayoutTable.h"
#include "shell/ResizeTracker.h"

namespace quillex {
namespace {

// A parent window whose controls are plain rectangles.
class FakeSurface : public LayoutSurface {
 public:
  std::optional<PixelRect> ControlRect(int controlId) const override {
    const auto it = rects.find(controlId);
    if (it == rects.end()) {
      return std::nullopt;
    }
    return it->second;
  }
  void MoveControl(int controlId, const PixelRect& rect) override {
    rects[controlId] = rect;
    moved.push_back(controlId);
  }

  std::map<int, PixelRect> rects;
  std::vector<int> moved;
};

TEST(LayoutPass, EachAnchorMovesItsOwnEdge) {
  const PixelRect base{10, 20, 110, 70};
  for (std::uint32_t anchors = 0; anchors < 16; ++anchors) {
    const PixelRect moved = ApplyAnchors(base, anchors, 7, -3);
    EXPECT_EQ(moved.left, base.left + ((anchors & kAnchorLeft) ? 7 : 0)) << anchors;
    EXPECT_EQ(moved.top, base.top + ((anchors & kAnchorTop) ? -3 : 0)) << anchors;
    EXPECT_EQ(moved.right, base.right + ((anchors & kAnchorRight) ? 7 : 0)) << anchors;
    EXPECT_EQ(moved.bottom, base.bottom + ((anchors & kAnchorBottom) ? -3 : 0)) << anchors;
  }
  // The combinations the tables use: 5 moves sideways, 10 moves down, 12
  // stretches both ways, 14 moves down and stretches sideways, 15 moves
  // diagonally.
  EXPECT_EQ(ApplyAnchors(base, 5, 4, 9), (PixelRect{14, 20, 114, 70}));
  EXPECT_EQ(ApplyAnchors(base, 10, 4, 9), (PixelRect{10, 29, 110, 79}));
  EXPECT_EQ(ApplyAnchors(base, 12, 4, 9), (PixelRect{10, 20, 114, 79}));
  EXPECT_EQ(ApplyAnchors(base, 14, 4, 9), (PixelRect{10, 29, 114, 79}));
  EXPECT_EQ(ApplyAnchors(base, 15, 4, 9), (PixelRect{14, 29, 114, 79}));
}

TEST(LayoutPass, TableSkipsUnanchoredAndMissingControlsAndStopsAtZero) {
  const LayoutEntry table[] = {
      {1, 0, 0}, {2, 0, 12}, {3, 0, 5}, {4, 0, 5}, {0, 0, 0}, {5, 0, 15},
  };
  FakeSurface parent;
  parent.rects = {
      {1, {0, 0, 10, 10}}, {2, {0, 0, 10, 10}}, {3, {5, 5, 10, 10}}, {5, {0, 0, 10, 10}}};
  ApplyLayoutTable(table, parent, 20, 30);
  EXPECT_EQ(parent.moved, (std::vector<int>{2, 3}));  // 4 is absent, 5 follows the end row
  EXPECT_EQ(parent.rects[1], (PixelRect{0, 0, 10, 10}));
  EXPECT_EQ(parent.rects[2], (PixelRect{0, 0, 30, 40}));
  EXPECT_EQ(parent.rects[3], (PixelRect{25, 5, 30, 10}));
  EXPECT_EQ(parent.rects[5], (PixelRect{0, 0, 10, 10}));
}

// Records the order in which the pass touches the windows.
class FakeWindows : public LayoutWindows {
 public:
  FakeWindows() : pageSizes(3, PixelSize{100, 80}), areaSizes(3, PixelSize{100, 80}), pages(3) {
    container.rects[1006] = PixelRect{5, 5, 26, 225};
    pages[0].rects[1004] = PixelRect{5, 46, 340, 181};
    pages[2].rects[1017] = PixelRect{0, 0, 345, 199};
  }
  PixelSize TabControlSize() const override { return tab; }
  void ResizeTabControl(PixelSize size) override {
    tab = size;
    log.push_back("tab");
  }
  PixelSize ContainerSize() const override { return containerSize; }
  void ResizeContainer(PixelSize size) override {
    containerSize = size;
    log.push_back("container");
  }
  LayoutSurface& ContainerSurface() override {
    log.push_back("container table");
    return container;
  }
  int DesignWidth() const override { return 579; }
  int LogoColumnWidth() const override { return 37; }
  bool LogoShown() const override { return logoShown; }
  void SetLogoShown(bool shown) override {
    logoShown = shown;
    // The tab control's left edge moves; its right edge stays.
    tab.width += shown ? -37 : 37;
    log.push_back(shown ? "logo shown" : "logo hidden");
  }
  int PageCount() const override { return 3; }
  LayoutSurface& PageSurface(int page) override {
    log.push_back("table " + std::to_string(page));
    return pages[static_cast<std::size_t>(page)];
  }
  std::span<const LayoutEntry> PageLayout(int page) const override {
    switch (page) {
      case 0:
        return SearchPageLayout();
      case 1:
        return FilterPageLayout();
      default:
        return HelpPageLayout();
    }
  }
  PixelSize PageSize(int page) const override { return pageSizes[static_cast<std::size_t>(page)]; }
  void ResizePage(int page, PixelSize size) override {
    pageSizes[static_cast<std::size_t>(page)] = size;
    log.push_back("page " + std::to_string(page));
  }
  PixelSize PageAreaSize(int page) const override {
    return areaSizes[static_cast<std::size_t>(page)];
  }
  void ResizePageArea(int page, PixelSize size) override {
    areaSizes[static_cast<std::size_t>(page)] = size;
    log.push_back("area " + std::to_string(page));
  }
  PixelSize PageMinimumSize(int page) const override {
    return minimumSizes[static_cast<std::size_t>(page)];
  }
  int ScrollBarExtent() const override { return 15; }

  PixelSize tab{525, 357};
  PixelSize containerSize{579, 375};
  bool logoShown = true;
  std::vector<PixelSize> pageSizes;
  std::vector<PixelSize> areaSizes;
  std::vector<PixelSize> minimumSizes{{10, 10}, {10, 10}, {10, 10}};
  FakeSurface container;
  std::vector<FakeSurface> pages;
  std::vector<std::string> log;
};

TEST(LayoutPass, GrowsTabContainerAndPagesInPageTableOrder) {
  FakeWindows windows;
  RunLayoutPass(windows, 40, -10);
  EXPECT_EQ(windows.log, (std::vector<std::string>{"tab", "container", "container table", "area 0",
                                                   "table 0", "page 0", "area 1", "table 1",
                                                   "page 1", "area 2", "table 2", "page 2"}));
  EXPECT_EQ(windows.tab, (PixelSize{565, 347}));
  EXPECT_EQ(windows.containerSize, (PixelSize{619, 365}));
  EXPECT_EQ(windows.container.rects[1006], (PixelRect{5, 5, 26, 215}));  // the logo grows down
  EXPECT_EQ(windows.pages[0].rects[1004], (PixelRect{5, 46, 380, 171}));
  EXPECT_EQ(windows.pages[2].rects[1017], (PixelRect{0, 0, 385, 189}));
  for (std::size_t page = 0; page < 3; ++page) {
    EXPECT_EQ(windows.areaSizes[page], (PixelSize{140, 70}));
    EXPECT_EQ(windows.pageSizes[page], (PixelSize{140, 70}));
  }
}

// Below its minimum a page stops shrinking and its area scrolls it; its
// controls then move by the page's own change, not the window's, and come
// back when the window grows again.
TEST(LayoutPass, PagesStopAtTheirMinimumAndScroll) {
  FakeWindows windows;
  windows.containerSize = PixelSize{700, 375};  // wide enough to keep the logo
  windows.minimumSizes = {{90, 75}, {100, 80}, {10, 10}};
  RunLayoutPass(windows, -4, -20);
  EXPECT_EQ(windows.areaSizes[0], (PixelSize{96, 60}));
  // Page 0 scrolls down only: its width gives way to the scroll bar, which
  // leaves less than its minimum width, so it scrolls across as well.
  EXPECT_EQ(windows.pageSizes[0], (PixelSize{90, 75}));
  EXPECT_EQ(windows.pages[0].rects[1004], (PixelRect{5, 46, 330, 176}));
  EXPECT_EQ(windows.pageSizes[1], (PixelSize{100, 80}));
  EXPECT_EQ(windows.pageSizes[2], (PixelSize{96, 60}));
  EXPECT_EQ(windows.pages[2].rects[1017], (PixelRect{0, 0, 341, 179}));

  RunLayoutPass(windows, 4, 20);
  EXPECT_EQ(windows.pageSizes[0], (PixelSize{100, 80}));
  EXPECT_EQ(windows.pages[0].rects[1004], (PixelRect{5, 46, 340, 181}));
  EXPECT_EQ(windows.pageSizes[2], (PixelSize{100, 80}));
  EXPECT_EQ(windows.pages[2].rects[1017], (PixelRect{0, 0, 345, 199}));
}

// Narrower than designed, the container gives the logo's column to the tabs,
// so the pages lose only what is left; wide enough again, the logo is back.
TEST(LayoutPass, TheLogoGivesWayOnANarrowScreen) {
  FakeWindows windows;
  RunLayoutPass(windows, -50, 0);
  EXPECT_FALSE(windows.logoShown);
  EXPECT_EQ(windows.log.front(), "logo hidden");
  EXPECT_EQ(windows.containerSize, (PixelSize{529, 375}));
  EXPECT_EQ(windows.tab, (PixelSize{525 + 37 - 50, 357}));
  EXPECT_EQ(windows.areaSizes[0], (PixelSize{100 + 37 - 50, 80}));
  EXPECT_EQ(windows.pageSizes[0], (PixelSize{87, 80}));

  RunLayoutPass(windows, 20, 0);  // still narrower than 579
  EXPECT_FALSE(windows.logoShown);
  EXPECT_EQ(windows.areaSizes[0], (PixelSize{107, 80}));

  RunLayoutPass(windows, 30, 0);  // 579 again
  EXPECT_TRUE(windows.logoShown);
  EXPECT_EQ(windows.tab, (PixelSize{525, 357}));
  EXPECT_EQ(windows.areaSizes[0], (PixelSize{100, 80}));
  EXPECT_EQ(windows.pageSizes[0], (PixelSize{100, 80}));
}

TEST(LayoutPass, PageSizeMakesRoomForScrollBars) {
  // Room enough: the area's size.
  EXPECT_EQ(PageSizeIn({200, 100}, {150, 80}, 15), (PixelSize{200, 100}));
  // Too short: the vertical scroll bar takes its width, the page keeps its
  // minimum height.
  EXPECT_EQ(PageSizeIn({200, 60}, {150, 80}, 15), (PixelSize{185, 80}));
  // Too narrow: the horizontal bar takes its height.
  EXPECT_EQ(PageSizeIn({140, 100}, {150, 80}, 15), (PixelSize{150, 85}));
  // The vertical bar leaves too little width: both bars.
  EXPECT_EQ(PageSizeIn({160, 60}, {150, 80}, 15), (PixelSize{150, 80}));
  // The horizontal bar leaves too little height: both bars.
  EXPECT_EQ(PageSizeIn({140, 90}, {150, 80}, 15), (PixelSize{150, 80}));
}

// At QT_SCALE_FACTOR 2 a 1024 x 768 screen is 512 x 384 logical pixels, at
// 1.5 it is 683 x 512; the window opens inside the area left by the panels.
TEST(LayoutPass, TheWindowFitsTheAvailableArea) {
  const PixelSize design{579, 462};
  const PixelSize minimum{579, 375};
  const PixelSize frame{8, 27};

  const WindowFit plain = FitWindow(design, minimum, PixelRect{0, 0, 1024, 768}, frame);
  EXPECT_EQ(plain.client, design);
  EXPECT_EQ(plain.minimum, minimum);
  EXPECT_EQ(plain.x, CentredOrigin(1024, 587));
  EXPECT_EQ(plain.y, CentredOrigin(768, 489));

  const WindowFit half = FitWindow(design, minimum, PixelRect{0, 0, 683, 512}, frame);
  EXPECT_EQ(half.client, design);
  EXPECT_EQ(half.y, 11);
  EXPECT_LE(half.y + frame.height + half.client.height, 512);

  // A panel at the top takes 20 pixels of the scale-2 screen.
  const WindowFit twice = FitWindow(design, minimum, PixelRect{0, 20, 512, 384}, frame);
  EXPECT_EQ(twice.client, (PixelSize{504, 337}));
  EXPECT_EQ(twice.minimum, (PixelSize{504, 337}));
  EXPECT_EQ(twice.x, 0);
  EXPECT_EQ(twice.y, 20);
  EXPECT_LE(twice.y + frame.height + twice.client.height, 384);
  EXPECT_LE(twice.x + frame.width + twice.client.width, 512);
}

TEST(LayoutPass, TablesAnchorTheControlsAsTheWindowExpects) {
  auto anchorsOf = [](std::span<const LayoutEntry> table, int id) -> int {
    for (const LayoutEntry& entry : table) {
      if (entry.controlId == id) {
        return static_cast<int>(entry.anchors);
      }
    }
    return -1;
  };
  // The file row stretches, its buttons and the report follow the right edge,
  // the views stretch both ways, the bottom row stays at the bottom.
  EXPECT_EQ(anchorsOf(SearchPageLayout(), 1000), 4);
  EXPECT_EQ(anchorsOf(SearchPageLayout(), 1002), 5);
  EXPECT_EQ(anchorsOf(SearchPageLayout(), 1093), 5);
  EXPECT_EQ(anchorsOf(SearchPageLayout(), 1004), 12);
  EXPECT_EQ(anchorsOf(SearchPageLayout(), 1092), 12);
  EXPECT_EQ(anchorsOf(SearchPageLayout(), 1095), 0);
  EXPECT_EQ(anchorsOf(SearchPageLayout(), 1096), 14);
  EXPECT_EQ(anchorsOf(SearchPageLayout(), 1012), 14);
  EXPECT_EQ(anchorsOf(SearchPageLayout(), 1011), 15);
  EXPECT_EQ(anchorsOf(SearchPageLayout(), 1007), 10);
  EXPECT_EQ(anchorsOf(SearchPageLayout(), 1019), 0);
  EXPECT_EQ(anchorsOf(HelpPageLayout(), 1017), 12);
  EXPECT_EQ(anchorsOf(ContainerLayout(), 1006), 8);

  // The Filter page: its 16 named rows and all 43 group boxes; the bold font
  // goes to the three stage group boxes only.
  const std::span<const LayoutEntry> filter = FilterPageLayout();
  ASSERT_EQ(filter.size(), 59u);
  int bold = 0;
  for (const LayoutEntry& entry : filter) {
    bold += static_cast<int>(entry.fontFlag);
  }
  EXPECT_EQ(bold, 3);
  for (int id = 1024; id <= 1066; ++id) {
    EXPECT_EQ(anchorsOf(filter, id), 0) << id;
  }
  EXPECT_EQ(anchorsOf(filter, 1067), 4);
  EXPECT_EQ(anchorsOf(filter, 1094), 5);
  EXPECT_EQ(anchorsOf(filter, 1079), 4);
}

TEST(ResizeTracker, ChangesCountFromTheLastSizeOnceLayoutIsReady) {
  ResizeTracker tracker(PixelSize{579, 375});
  // Sizing during start-up only moves the base.
  EXPECT_FALSE(tracker.OnSize(PixelSize{600, 380}, false));
  EXPECT_EQ(tracker.LastSize(), (PixelSize{600, 380}));
  EXPECT_EQ(tracker.MinimumSize(), (PixelSize{579, 375}));

  tracker.SetLayoutReady();
  EXPECT_EQ(tracker.OnSize(PixelSize{700, 400}, false), (PixelSize{100, 20}));
  EXPECT_EQ(tracker.OnSize(PixelSize{650, 450}, false), (PixelSize{-50, 50}));

  // Minimising is ignored, so restoring to the same size changes nothing.
  EXPECT_FALSE(tracker.OnSize(PixelSize{0, 0}, true));
  EXPECT_EQ(tracker.OnSize(PixelSize{650, 450}, false), (PixelSize{0, 0}));
}

TEST(LayoutPass, CentringHalvesTowardZero) {
  EXPECT_EQ(CentredOrigin(1024, 587), 218);  // 437 / 2
  EXPECT_EQ(CentredOrigin(768, 402), 183);
  EXPECT_EQ(CentredOrigin(587, 587), 0);
  // A screen smaller than the window gives a negative origin, truncated
  // toward zero: -87 / 2 is -43, not -44.
  EXPECT_EQ(CentredOrigin(500, 587), -43);
  EXPECT_EQ(CentredOrigin(400, 402), -1);
}

}  // namespace
}  // namespace quillex
