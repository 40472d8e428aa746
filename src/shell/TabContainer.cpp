#include "shell/TabContainer.h"

// Standard library
#include <utility>

// Qt
#include <QApplication>
#include <QPalette>
#include <QScrollArea>
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
  // A dialog's face colour, not the window background behind it.
  setBackgroundRole(QPalette::Window);
  setAutoFillBackground(true);
  PlaceControl(kLogoControl, logo_);
  PlaceControl(kTabControl, tabs_);
  logo_->setAccessibleName(QStringLiteral("Quillex logo"));
  connect(tabs_->TabBar(), &QTabBar::currentChanged, this,
          [this](int index) { SelectPage(index, false); });
}

void TabContainer::AddPage(const char* title, std::span<const LayoutEntry> layout,
                           DialogPage* page) {
  const int index = static_cast<int>(pages_.size());
  auto* area = new QScrollArea(this);
  area->setFrameShape(QFrame::NoFrame);
  area->setFocusPolicy(Qt::NoFocus);
  area->setWidgetResizable(false);
  area->setBackgroundRole(QPalette::Window);
  area->setAccessibleName(QString::fromLatin1(title));
  area->setWidget(page);
  area->hide();
  pages_.push_back(PageRow{title, page->Template().id, layout, page, area});
  page->setAccessibleName(QString::fromLatin1(title));
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
    const PageRow& old = pages_[static_cast<std::size_t>(currentPage_)];
    old.page->hide();
    old.area->hide();
  }
  const PageRow& row = pages_[static_cast<std::size_t>(index)];
  row.area->show();
  row.page->show();
  currentPage_ = index;
}

void TabContainer::SelectNeighbourPage(int step) {
  const int count = static_cast<int>(pages_.size());
  if (count == 0 || !tabs_->isEnabled()) {
    return;
  }
  const QWidget* focus = QApplication::focusWidget();
  const bool focusOnTabs = focus != nullptr && tabs_->isAncestorOf(focus);
  const int index = ((currentPage_ + step) % count + count) % count;
  SelectPage(index, true);
  if (focusOnTabs) {
    return;
  }
  // Into the new page: its first control that takes the focus, as Tab
  // would reach it.
  DialogPage* page = pages_[static_cast<std::size_t>(index)].page;
  if (page->focusProxy() != nullptr) {
    page->setFocus(Qt::TabFocusReason);
    return;
  }
  for (QWidget* next = page->nextInFocusChain(); next != page; next = next->nextInFocusChain()) {
    if (page->isAncestorOf(next) && next->isVisibleTo(page) && next->isEnabled() &&
        (next->focusPolicy() & Qt::TabFocus) != 0) {
      next->setFocus(Qt::TabFocusReason);
      return;
    }
  }
}

QRect TabContainer::PageArea() const {
  return tabs_->DisplayArea().translated(tabs_->pos());
}

void TabContainer::PlacePages() {
  const QRect area = PageArea();
  for (const PageRow& row : pages_) {
    row.area->setGeometry(area);
    row.area->raise();
    row.page->setGeometry(QRect(QPoint(0, 0), area.size()));
  }
}

int TabContainer::LogoColumnWidth() const {
  return TemplateRect(kTabControl).left - TemplateRect(kLogoControl).left;
}

bool TabContainer::LogoShown() const {
  return !logo_->isHidden();
}

void TabContainer::SetLogoShown(bool shown) {
  if (shown == LogoShown()) {
    return;
  }
  logo_->setVisible(shown);
  QRect tabs = tabs_->geometry();
  tabs.setLeft(tabs.left() + (shown ? LogoColumnWidth() : -LogoColumnWidth()));
  tabs_->setGeometry(tabs);
}

}  // namespace quillex
