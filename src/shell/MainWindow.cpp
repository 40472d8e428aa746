#include "shell/MainWindow.h"

// Standard library
#include <string>

// Qt
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QPalette>
#include <QResizeEvent>
#include <QScreen>
#include <QStringList>
#include <QUrl>

// Quillex
#include "filter/page/FilterPage.h"
#include "scan/ScanDriver.h"
#include "scan/ScanHost.h"
#include "shell/AppIcon.h"
#include "shell/ControlIds.h"
#include "shell/DialogUnits.h"
#include "shell/HelpPage.h"
#include "shell/Logo.h"
#include "shell/OpenPath.h"
#include "shell/ProgramTitle.h"
#include "shell/SearchPage.h"
#include "shell/TabContainer.h"
#include "shell/TabControl.h"

namespace quillex {

QFont BoldGroupFont() {
  QFont font;
  font.setFamilies(QStringList{QStringLiteral("Microsoft Sans Serif"),
                               QStringLiteral("Nimbus Sans"), QStringLiteral("Liberation Sans"),
                               QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(11);
  font.setBold(true);
  return font;
}

MainWindow::MainWindow(ScanEngine& engine, DialogService& dialogs, QWidget* parent)
    : QWidget(parent),
      tracker_(PixelSize{kInitialClientWidth, kInitialClientHeight}),
      quit_([] { QCoreApplication::quit(); }) {
  setWindowTitle(QString::fromLatin1(kProgramTitle));
  setWindowIcon(MakeAppIcon());
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, Qt::white);
  setPalette(palette);
  setAutoFillBackground(true);

  // The minimum applies from the start, so the first layout below cannot
  // make the window smaller than its first size either.
  setMinimumSize(kInitialClientWidth, kInitialClientHeight);
  resize(kInitialClientWidth, kInitialClientHeight);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.left() + CentredOrigin(area.width(), kInitialWindowWidth),
         area.top() + CentredOrigin(area.height(), kInitialWindowHeight));
  }
  setAcceptDrops(true);

  const QFont dialogFont = DialogFont();
  setFont(dialogFont);
  const DialogUnitScale scale = ScaleForFont(dialogFont);

  container_ = new TabContainer(MakeLogoImage(), scale, this);
  search_ = new SearchPage(engine, dialogs, scale, container_);
  filter_ = new FilterPage(engine.table, engine.criteria, scale, container_);
  help_ = new HelpPage(scale, container_);
  container_->AddPage("Search", SearchPageLayout(), search_);
  container_->AddPage("Filter", FilterPageLayout(), filter_);
  container_->AddPage("Help", HelpPageLayout(), help_);
  search_->SetCriteriaNormaliser([this] { filter_->NormaliseNumbers(); });
  search_->SetTabControl(container_->Tabs());
  search_->SetDialogOwner(this);
  search_->SetScanFinished([this] { ScanFinished(); });
  search_->SwitchViews();

  InitialLayout();

  const QFont bold = BoldGroupFont();
  for (const PageRow& row : container_->Pages()) {
    row.page->ApplyFontFlags(row.layout, bold);
  }
}

MainWindow::~MainWindow() = default;

void MainWindow::InitialLayout() {
  const PixelSize size = container_->TemplateSize();
  resize(size.width, size.height);
  // The pages are not laid out yet: this size only becomes the base of the
  // first change.
  (void)tracker_.OnSize(PixelSize{width(), height()}, false);
  container_->move(0, 0);
  container_->PlacePages();
  container_->show();
  container_->SelectPage(0, false);
  search_->setFocus();
}

void MainWindow::OpenPath(std::string_view text) {
  const std::string fileName = FileNameFromPathText(text);
  search_->SetFileName(fileName);
  search_->SetControlText(kFileNameEdit, QFile::decodeName(QByteArray::fromStdString(fileName)));
  setWindowTitle(QFile::decodeName(QByteArray(text.data(), static_cast<qsizetype>(text.size()))));
  activateWindow();
  container_->SelectPage(0, true);
  // Posted, not called: the scan starts when the event loop dispatches it,
  // and during a scan it arrives at a pump as Stop.
  SearchPage* search = search_;
  QMetaObject::invokeMethod(
      search, [search] { search->Command(kGoButton); }, Qt::QueuedConnection);
}

void MainWindow::ScanFinished() {
  if (quitPending_) {
    quitPending_ = false;
    quit_();
  }
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const std::optional<PixelSize> change =
      tracker_.OnSize(PixelSize{event->size().width(), event->size().height()}, isMinimized());
  if (change) {
    RunLayoutPass(*this, change->width, change->height);
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // The window goes at once; the program ends now, or when a running scan
  // has returned to the event loop.
  event->ignore();
  hide();
  if (search_->Scanning()) {
    search_->RequestStop();
    quitPending_ = true;
    return;
  }
  quit_();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) {
    event->acceptProposedAction();
  }
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  // Only the first file is taken; the others are ignored.
  if (urls.isEmpty()) {
    return;
  }
  const QString path = urls.front().toLocalFile();
  if (path.isEmpty()) {
    return;
  }
  event->acceptProposedAction();
  OpenPath(QFile::encodeName(path).toStdString());
}

PixelSize MainWindow::TabControlSize() const {
  return PixelSize{container_->Tabs()->width(), container_->Tabs()->height()};
}

void MainWindow::ResizeTabControl(PixelSize size) {
  container_->Tabs()->resize(size.width, size.height);
}

PixelSize MainWindow::ContainerSize() const {
  return PixelSize{container_->width(), container_->height()};
}

void MainWindow::ResizeContainer(PixelSize size) {
  container_->resize(size.width, size.height);
}

LayoutSurface& MainWindow::ContainerSurface() {
  return *container_;
}

int MainWindow::PageCount() const {
  return static_cast<int>(container_->Pages().size());
}

LayoutSurface& MainWindow::PageSurface(int page) {
  return *container_->Pages()[static_cast<std::size_t>(page)].page;
}

std::span<const LayoutEntry> MainWindow::PageLayout(int page) const {
  return container_->Pages()[static_cast<std::size_t>(page)].layout;
}

PixelSize MainWindow::PageSize(int page) const {
  const DialogPage* window = container_->Pages()[static_cast<std::size_t>(page)].page;
  return PixelSize{window->width(), window->height()};
}

void MainWindow::ResizePage(int page, PixelSize size) {
  container_->Pages()[static_cast<std::size_t>(page)].page->resize(size.width, size.height);
}

}  // namespace quillex
