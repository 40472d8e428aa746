#include "shell/TabContainer.h"

// Standard library
#include <utility>

// Qt
#include <QGuiApplication>
#include <QPalette>
#include <QSignalBlocker>
#include <QTabBar>

// Quillex
#include "shell/ControlIds.h"
#include "shell/LogoButton.h"
#include "shell/ResourceIds.h"
#include "shell/TabControl.h"

namespace quillex {

TabContainer::TabContainer(QImage logo, const DialogUnitScale& scale, QWidget* parent)
    : DialogPage(kContainerTemplate, scale, parent),
      logo_(new LogoButton(std::move(logo), this)),
      tabs_(new TabControl(this)) {
  // A dialog's face colour, not the white of the main window behind it.
  QPalette face = palette();
  face.setColor(QPalette::Window, QGuiApplication::palette().color(QPalette::Window));
  setPalette(face);
  setAutoFillBackground(true);
  PlaceControl(kLogoControl, logo_);
  PlaceControl(kTabControl, tabs_);
  connect(tabs_->TabBar(), &QTabBar::currentChanged, this,
          [this](int index) { SelectPage(index, false); });
}

void TabContainer::AddPage(const char* title, std::span<const LayoutEntry> layout,
                           DialogPage* page) {
  const int index = static_cast<int>(pages_.size());
  pages_.push_back(PageRow{title, page->Template().id, layout, page});
  page->setParent(this);
  page->hide();
  page->SetCurrentPageCheck([this, index] { return currentPage_ == index; });
  // Adding the first tab makes it current; the pages are shown by SelectPage.
  const QSignalBlocker blocker(tabs_->TabBar());
  tabs_->TabBar()->addTab(QString::fromLatin1(title));
}

void TabContainer::SelectPage(int index, bool setTab) {
  if (index < 0 || index >= static_cast<int>(pages_.size())) {
    return;
  }
  if (setTab) {
    const QSignalBlocker blocker(tabs_->TabBar());
    tabs_->TabBar()->setCurrentIndex(index);
  }
  if (currentPage_ >= 0 && currentPage_ < static_cast<int>(pages_.size())) {
    pages_[static_cast<std::size_t>(currentPage_)].page->hide();
  }
  pages_[static_cast<std::size_t>(index)].page->show();
  currentPage_ = index;
}

void TabContainer::PlacePages() {
  const QRect area = tabs_->DisplayArea().translated(tabs_->pos());
  for (const PageRow& row : pages_) {
    row.page->setGeometry(area);
    row.page->raise();
  }
}

}  // namespace quillex
