#pragma once

// Helpers shared by the shell's widget tests: a dialog service that records
// and answers instead of showing anything, and files in a private directory.

// Standard library
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <unistd.h>

// Quillex
#include "platform/Dialogs.h"
#include "platform/OutputStream.h"

namespace quillex::testing {

class FakeDialogService : public DialogService {
 public:
  struct Box {
    void* owner;
    std::string text;
    std::string title;
    std::uint32_t style;
  };
  struct FileRequest {
    void* owner;
    std::string title;
    std::vector<FileFilter> filters;
    std::string defaultExtension;
    std::string initialPath;
  };

  void MessageBox(void* owner, std::string_view text, std::string_view title,
                  std::uint32_t style) override {
    boxes.push_back(Box{owner, std::string(text), std::string(title), style});
  }
  std::optional<std::string> OpenFileDialog(void* owner, std::string_view title,
                                            const std::vector<FileFilter>& filters,
                                            std::string_view defaultExtension,
                                            std::string_view initialPath) override {
    openRequests.push_back(FileRequest{owner, std::string(title), filters,
                                       std::string(defaultExtension), std::string(initialPath)});
    return openAnswer;
  }
  std::optional<SaveChoice> SaveFileDialog(void* owner, std::string_view title,
                                           const std::vector<FileFilter>& filters,
                                           std::string_view defaultExtension,
                                           std::string_view initialPath) override {
    saveRequests.push_back(FileRequest{owner, std::string(title), filters,
                                       std::string(defaultExtension), std::string(initialPath)});
    if (!saveAnswer) {
      return std::nullopt;
    }
    return SaveChoice{*saveAnswer, saveFilter};
  }

  std::vector<Box> boxes;
  std::vector<FileRequest> openRequests;
  std::vector<FileRequest> saveRequests;
  std::optional<std::string> openAnswer;
  std::optional<std::string> saveAnswer;
  // The entry of the type list the user leaves chosen.
  std::size_t saveFilter = 0;
};

// Writes (a Save's) that wait while they are held, so that a test can act
// while the Save runs. Hold() installs them; Release() lets them go on; the
// destructor puts the system's writes back.
class HeldWrites {
 public:
  HeldWrites() { InstallWriteFunction(&Write); }
  ~HeldWrites() {
    held_ = false;
    InstallWriteFunction(nullptr);
  }
  HeldWrites(const HeldWrites&) = delete;
  HeldWrites& operator=(const HeldWrites&) = delete;

  void Hold() {
    started_ = 0;
    held_ = true;
  }
  void Release() { held_ = false; }
  // A write has begun (and waits, while held).
  [[nodiscard]] bool Started() const { return started_ > 0; }

 private:
  static std::ptrdiff_t Write(int fd, const void* data, std::size_t size) {
    ++started_;
    while (held_.load()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return ::write(fd, data, size);
  }
  static inline std::atomic<bool> held_{false};
  static inline std::atomic<int> started_{0};
};

// A directory of its own for one test, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    static int counter = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("quillex-shell-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  [[nodiscard]] const std::filesystem::path& Path() const { return path_; }

  // Writes the bytes to a file in the directory and returns its path.
  std::string Write(const std::string& name, std::string_view bytes) const {
    const std::filesystem::path file = path_ / name;
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file.string();
  }

 private:
  std::filesystem::path path_;
};

}  // namespace quillex::testing
