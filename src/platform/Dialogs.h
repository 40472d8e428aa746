#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillex {

// Style flags of a message box, with the values the program has always used
// so that callers and tests speak of the same boxes.
inline constexpr std::uint32_t MB_OK = 0x0;
inline constexpr std::uint32_t MB_ICONERROR = 0x10;
inline constexpr std::uint32_t MB_ICONWARNING = 0x30;
inline constexpr std::uint32_t MB_ICONINFORMATION = 0x40;
inline constexpr std::uint32_t MB_TOPMOST = 0x40000;

// One entry of a file dialog's type list: the text the user reads ("All files
// (*.*)") and the pattern it stands for ("*.*").
struct FileFilter {
  std::string description;
  std::string pattern;
};

// What the user chose in a save dialog: the whole path, and which entry of
// the type list was chosen when the dialog closed (an index into the filters
// it was given).
struct SaveChoice {
  std::string path;
  std::size_t filter = 0;
};

// Message boxes and file dialogs, behind an interface so that tests can count
// and answer them without a window system. `owner` is the window the dialog
// belongs to, or null for a free-standing one; the engine never sees it.
class DialogService {
 public:
  virtual ~DialogService() = default;
  // Shows a box with an OK button and waits until it is dismissed.
  virtual void MessageBox(void* owner, std::string_view text, std::string_view title,
                          std::uint32_t style) = 0;
  // Returns the whole chosen path (never cut to a fixed length), or nothing
  // when the user cancels. The dialog opens in the folder of `initialPath`,
  // with that file chosen when it exists; an empty path, or one whose folder
  // is gone, leaves the start to the platform.
  virtual std::optional<std::string> OpenFileDialog(void* owner, std::string_view title,
                                                    const std::vector<FileFilter>& filters,
                                                    std::string_view defaultExtension,
                                                    std::string_view initialPath) = 0;
  // As OpenFileDialog, with `initialPath` offered as the name to save under
  // (a bare name starts in the platform's folder). Asks before an existing
  // file is overwritten, so a path returned here is one the user agreed to
  // replace. A name typed without an extension gets the chosen type's
  // (`defaultExtension` for a type that matches every file).
  virtual std::optional<SaveChoice> SaveFileDialog(void* owner, std::string_view title,
                                                   const std::vector<FileFilter>& filters,
                                                   std::string_view defaultExtension,
                                                   std::string_view initialPath) = 0;
};

}  // namespace quillex
