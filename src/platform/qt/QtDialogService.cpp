#include "platform/qt/QtDialogService.h"

// Qt
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>
#include <QWidget>

namespace quillex {

namespace {

QString FromBytes(std::string_view text) {
  QString result = QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
  // The texts carry CR LF line breaks; Qt breaks lines at LF alone.
  result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return result;
}

std::optional<SaveChoice> RunFileDialog(QWidget* owner, std::string_view title,
                                        const std::vector<FileFilter>& filters,
                                        std::string_view defaultExtension,
                                        std::string_view initialPath, bool save) {
  QFileDialog dialog(owner, FromBytes(title));
  PrepareFileDialog(dialog, filters, defaultExtension, initialPath, save);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return std::nullopt;
  }
  return SaveChoice{QFile::encodeName(dialog.selectedFiles().front()).toStdString(),
                    FilterIndex(filters, dialog.selectedNameFilter())};
}

// A save dialog's answer to the choice of another type: the type's
// extension (the default one for a type that matches every file) is the one
// added to a name typed without one. The dialog itself gives the name typed
// so far the new type's extension.
void FollowChosenType(QFileDialog& dialog, const std::vector<FileFilter>& filters,
                      const QString& defaultSuffix, const QString& nameFilter) {
  const std::size_t index = FilterIndex(filters, nameFilter);
  if (index >= filters.size()) {
    return;
  }
  const QString suffix = QString::fromStdString(DefaultSuffix(filters[index].pattern));
  dialog.setDefaultSuffix(suffix.isEmpty() ? defaultSuffix : suffix);
}

}  // namespace

void PrepareFileDialog(QFileDialog& dialog, const std::vector<FileFilter>& filters,
                       std::string_view defaultExtension, std::string_view initialPath, bool save) {
  QStringList nameFilters;
  for (const FileFilter& filter : filters) {
    nameFilters << QString::fromStdString(QtNameFilter(filter));
  }
  dialog.setNameFilters(nameFilters);
  // The descriptions already name their patterns ("All files (*.*)").
  dialog.setOption(QFileDialog::HideNameFilterDetails, true);
  if (save) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QString suffix = QString::fromStdString(DefaultSuffix(defaultExtension));
    dialog.setDefaultSuffix(suffix);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, filters, suffix](const QString& nameFilter) {
                       FollowChosenType(dialog, filters, suffix, nameFilter);
                     });
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
  }
  if (initialPath.empty()) {
    return;
  }
  const QFileInfo initial(QFile::decodeName(
      QByteArray(initialPath.data(), static_cast<qsizetype>(initialPath.size()))));
  // A name without a folder, as Save suggests, is offered in the folder the
  // dialog would open anyway.
  const bool bareName = initialPath.find('/') == std::string_view::npos;
  if (!(save && bareName)) {
    const QDir folder = initial.absoluteDir();
    if (!folder.exists()) {
      return;  // the platform's folder rather than a dialog in nowhere
    }
    dialog.setDirectory(folder);
  }
  if (save || initial.exists()) {
    dialog.selectFile(initial.fileName());
  }
}

std::string QtNameFilter(const FileFilter& filter) {
  const std::string pattern = filter.pattern == "*.*" ? std::string("*") : filter.pattern;
  return filter.description + " (" + pattern + ")";
}

std::size_t FilterIndex(const std::vector<FileFilter>& filters, const QString& nameFilter) {
  // With the details hidden, the dialog hands back the text it shows, which
  // is the description.
  for (std::size_t i = 0; i < filters.size(); ++i) {
    if (QString::fromStdString(QtNameFilter(filters[i])) == nameFilter ||
        QString::fromStdString(filters[i].description) == nameFilter) {
      return i;
    }
  }
  return 0;
}

std::string DefaultSuffix(std::string_view defaultExtension) {
  if (defaultExtension.starts_with("*.")) {
    defaultExtension.remove_prefix(2);
  } else if (defaultExtension.starts_with(".")) {
    defaultExtension.remove_prefix(1);
  }
  if (defaultExtension.find_first_of("*?") != std::string_view::npos) {
    return {};
  }
  return std::string(defaultExtension);
}

void QtDialogService::MessageBox(void* owner, std::string_view text, std::string_view title,
                                 std::uint32_t style) {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  if ((style & 0xF0u) == MB_ICONWARNING) {
    icon = QMessageBox::Warning;
  } else if ((style & 0xF0u) == MB_ICONERROR) {
    icon = QMessageBox::Critical;
  } else if ((style & 0xF0u) == MB_ICONINFORMATION) {
    icon = QMessageBox::Information;
  }
  QMessageBox box(icon, FromBytes(title), FromBytes(text), QMessageBox::Ok,
                  static_cast<QWidget*>(owner));
  if ((style & MB_TOPMOST) != 0) {
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  }
  box.exec();
}

std::optional<std::string> QtDialogService::OpenFileDialog(void* owner, std::string_view title,
                                                           const std::vector<FileFilter>& filters,
                                                           std::string_view defaultExtension,
                                                           std::string_view initialPath) {
  std::optional<SaveChoice> choice = RunFileDialog(static_cast<QWidget*>(owner), title, filters,
                                                   defaultExtension, initialPath, false);
  if (!choice) {
    return std::nullopt;
  }
  return std::move(choice->path);
}

std::optional<SaveChoice> QtDialogService::SaveFileDialog(void* owner, std::string_view title,
                                                          const std::vector<FileFilter>& filters,
                                                          std::string_view defaultExtension,
                                                          std::string_view initialPath) {
  return RunFileDialog(static_cast<QWidget*>(owner), title, filters, defaultExtension, initialPath,
                       true);
}

}  // namespace quillex
