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
  FakeWindows() : pageSizes(3, PixelSize{100, 80}), pages(3) {
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

  PixelSize tab{525, 357};
  PixelSize containerSize{579, 375};
  std::vector<PixelSize> pageSizes;
  FakeSurface container;
  std::vector<FakeSurface> pages;
  std::vector<std::string> log;
};

TEST(LayoutPass, GrowsTabContainerAndPagesInPageTableOrder) {
  FakeWindows windows;
  RunLayoutPass(windows, 40, -10);
  EXPECT_EQ(windows.log,
            (std::vector<std::string>{"tab", "container", "container table", "table 0", "page 0",
                                      "table 1", "page 1", "table 2", "page 2"}));
  EXPECT_EQ(windows.tab, (PixelSize{565, 347}));
  EXPECT_EQ(windows.containerSize, (PixelSize{619, 365}));
  EXPECT_EQ(windows.container.rects[1006], (PixelRect{5, 5, 26, 215}));  // the logo grows down
  EXPECT_EQ(windows.pages[0].rects[1004], (PixelRect{5, 46, 380, 171}));
  EXPECT_EQ(windows.pages[2].rects[1017], (PixelRect{0, 0, 385, 189}));
  for (const PixelSize& size : windows.pageSizes) {
    EXPECT_EQ(size, (PixelSize{140, 70}));
  }
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
