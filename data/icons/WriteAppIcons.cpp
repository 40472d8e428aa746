// Writes the program icon into an icon theme folder at build time:
// DIR/NxN/apps/ID.png for every size of the window's icon and
// DIR/scalable/apps/ID.svg, all painted by the window icon's own drawing.
// Run with QT_QPA_PLATFORM=offscreen: the letter needs the font database,
// which needs a QGuiApplication, but nothing is shown.

// Standard library
#include <cstdio>

// Qt
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QString>
#include <QSvgGenerator>

// Quillex
#include "shell/AppIcon.h"

namespace {

// The scalable icon's user units: the largest bitmap's edge, so a viewer that
// ignores the view box still shows it at a sensible size.
constexpr int kSvgEdge = 256;

bool MakeFolder(const QString& path) {
  if (QDir().mkpath(path)) {
    return true;
  }
  std::fprintf(stderr, "quillex-appicons: cannot create %s\n", qPrintable(path));
  return false;
}

bool WriteSvg(const QString& path) {
  QSvgGenerator svg;
  svg.setFileName(path);
  svg.setSize(QSize(kSvgEdge, kSvgEdge));
  svg.setViewBox(QRect(0, 0, kSvgEdge, kSvgEdge));
  svg.setTitle(QStringLiteral("Quillex"));
  QPainter painter;
  if (!painter.begin(&svg)) {
    return false;
  }
  quillex::PaintAppIcon(painter, kSvgEdge);
  // The generator reports no write errors; an empty file is the sign of one.
  return painter.end() && QFileInfo(path).size() > 0;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: quillex-appicons DIR ID\n");
    return 2;
  }
  const QString root = QString::fromLocal8Bit(argv[1]);
  const QString id = QString::fromLocal8Bit(argv[2]);

  for (const int size : quillex::kAppIconSizes) {
    const QString folder = QStringLiteral("%1/%2x%2/apps").arg(root).arg(size);
    const QString path = folder + QLatin1Char('/') + id + QStringLiteral(".png");
    if (!MakeFolder(folder)) {
      return 1;
    }
    if (!quillex::AppIconImage(size).save(path, "PNG")) {
      std::fprintf(stderr, "quillex-appicons: cannot write %s\n", qPrintable(path));
      return 1;
    }
  }
  const QString folder = root + QStringLiteral("/scalable/apps");
  const QString path = folder + QLatin1Char('/') + id + QStringLiteral(".svg");
  if (!MakeFolder(folder)) {
    return 1;
  }
  if (!WriteSvg(path)) {
    std::fprintf(stderr, "quillex-appicons: cannot write %s\n", qPrintable(path));
    return 1;
  }
  return 0;
}
