#pragma once

// Standard library
#include <span>
#include <vector>

// Qt
#include <QImage>

// Quillex
#include "shell/DialogPage.h"
#include "shell/LayoutTable.h"

namespace quillex {

class LogoButton;
class TabControl;

// One row of the page table: the order of the rows is the tab order and the
// order of every loop over the pages (layout, fonts, teardown).
struct PageRow {
  const char* title;
  int templateId;
  std::span<const LayoutEntry> layout;
  DialogPage* page;
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

  // Puts every page over the tab control's display area, at its size.
  void PlacePages();

 private:
  LogoButton* logo_;
  TabControl* tabs_;
  std::vector<PageRow> pages_;
  int currentPage_ = 0;
};

}  // namespace quillex
