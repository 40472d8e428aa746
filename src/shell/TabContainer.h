#pragma once

// Standard library
#include <span>
#include <vector>

// Qt
#include <QImage>

// Quillex
#include "shell/DialogPage.h"
#include "shell/LayoutTable.h"

class QScrollArea;

namespace quillex {

class LogoButton;
class TabControl;

// One row of the page table: the order of the rows is the tab order and the
// order of every loop over the pages (layout, fonts, teardown). The page is
// shown in its area, which scrolls it when the window is too small for it.
struct PageRow {
  const char* title;
  int templateId;
  std::span<const LayoutEntry> layout;
  DialogPage* page;
  QScrollArea* area;
};

// The main window's whole client area (template 127): the logo on the left
// and the tab control whose tabs switch between the pages.
class TabContainer : public DialogPage {
  Q_OBJECT

 public:
  TabContainer(QImage logo, const DialogUnitScale& scale, QWidget* parent);

  [[nodiscard]] TabControl* Tabs() const { return tabs_; }
  [[nodiscard]] LogoButton* Logo() const { return logo_; }

  // Appends a page row: inserts its tab and makes the page a child of the
  // container, hidden until selected. The page acts on commands only while
  // it is the current page.
  void AddPage(const char* title, std::span<const LayoutEntry> layout, DialogPage* page);
  [[nodiscard]] std::span<const PageRow> Pages() const { return pages_; }
  [[nodiscard]] int CurrentPage() const { return currentPage_; }

  // Hides the current page and shows page `index`; with `setTab` the tab
  // control is moved to it first (a tab click has moved it already).
  void SelectPage(int index, bool setTab);
  // The page `step` places after the current one, round the end: what
  // Ctrl+Tab and Ctrl+PgDn (1) and Ctrl+Shift+Tab and Ctrl+PgUp (-1) select.
  // The focus goes into the new page unless it is on the tabs. Nothing
  // happens while the tab control is disabled (during a scan).
  void SelectNeighbourPage(int step);

  // Puts every page's area over the tab control's display area, at its size,
  // and the page at the top left of its area.
  void PlacePages();
  // The display area in the container's coordinates.
  [[nodiscard]] QRect PageArea() const;

  // The logo's column: the logo and the gap after it. While the window is
  // narrower than the container's template the tabs take that room.
  [[nodiscard]] int LogoColumnWidth() const;
  [[nodiscard]] bool LogoShown() const;
  // Shows or hides the logo and moves the tab control's left edge to its
  // template place or over the logo's column; its right edge stays.
  void SetLogoShown(bool shown);

 private:
  LogoButton* logo_;
  TabControl* tabs_;
  std::vector<PageRow> pages_;
  int currentPage_ = 0;
};

}  // namespace quillex
