#pragma once

#include <cstdint>
#include <string>

namespace quillex {

// Control ids of the Search page cells the passes write their counts to.
inline constexpr int kAnsiCountControl = 1008;
inline constexpr int kUnicodeCountControl = 1009;
inline constexpr int kResourceCountControl = 1013;

inline constexpr const char* kDamagedResourceText =
    "There was a problem trying to read the string resources in this file.\r\n"
    "The file may be compressed or in a non-standard format.";
inline constexpr const char* kUnableToOpenText = "Unable to open that file";
// QUILLEX_VERSION comes from the project version in CMake, the one place it is written.
inline constexpr const char* kProgramTitle = "Quillex " QUILLEX_VERSION;

// What a scan needs of whoever runs it. The desktop program shows these
// things in its window; the command line prints them. The engine never shows
// anything itself.
class ScanHost {
 public:
  virtual ~ScanHost() = default;
  // Formats `value` with the printf-style `format` ("AN: %u") and shows it in
  // the given count cell.
  virtual void ShowCount(int controlId, const char* format, std::uint32_t value) = 0;
  // Called once per 16 KiB block by the ANSI and Unicode passes. May handle
  // one pending user event. Returns true when the scan may go on, false once a
  // stop has been requested.
  virtual bool ScanPump() = 0;
  // A ".rsrc" section's resource data is damaged; called once per such
  // section, after the results found before the damage have been added.
  virtual void WarnDamagedResources() = 0;
  // The file could not be opened; `reason` is the system's description.
  virtual void ReportOpenFailure(const std::string& path, const std::string& reason) = 0;
  // Called after the passes, inside the timed part of the scan, so that the
  // views are filled from the store before the time is taken.
  virtual void FillViews() {}
};

}  // namespace quillex
