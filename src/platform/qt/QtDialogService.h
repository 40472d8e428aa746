#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Dialogs.h"

class QFileDialog;
class QString;

namespace quillex {

// Message boxes and file dialogs of the desktop program, shown with Qt. The
// owner pointers it receives are QWidget pointers (or null).
class QtDialogService : public DialogService {
 public:
  void MessageBox(void* owner, std::string_view text, std::string_view title,
                  std::uint32_t style) override;
  std::optional<std::string> OpenFileDialog(void* owner, std::string_view title,
                                            const std::vector<FileFilter>& filters,
                                            std::string_view defaultExtension,
                                            std::string_view initialPath) override;
  std::optional<SaveChoice> SaveFileDialog(void* owner, std::string_view title,
                                           const std::vector<FileFilter>& filters,
                                           std::string_view defaultExtension,
                                           std::string_view initialPath) override;
};

// Sets up a file dialog as the service shows it: its type list, its mode and,
// from `initialPath`, the folder it opens in and the name it offers. In a
// save dialog, choosing another type gives the name typed so far that type's
// extension and makes it the one added to a name typed without one.
void PrepareFileDialog(QFileDialog& dialog, const std::vector<FileFilter>& filters,
                       std::string_view defaultExtension, std::string_view initialPath, bool save);

// The Qt name filter for one entry. "*.*" means every file, which on this
// system includes names without a dot, so it becomes "*".
[[nodiscard]] std::string QtNameFilter(const FileFilter& filter);
// The suffix a save dialog appends when the user types none: "*.txt" gives
// "txt"; "*.*" and other wildcards give none.
[[nodiscard]] std::string DefaultSuffix(std::string_view defaultExtension);
// The index in `filters` of the entry whose Qt name filter, or whose
// description (what the dialog shows and hands back), is `nameFilter`; 0
// when none is.
[[nodiscard]] std::size_t FilterIndex(const std::vector<FileFilter>& filters,
                                      const QString& nameFilter);

}  // namespace quillex
