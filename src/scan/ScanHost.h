#pragma once

#include <cstdint>
#include <string>

#include "store/StringKind.h"

namespace quillex {

inline constexpr const char* kDamagedResourceText =
    "There was a problem trying to read the string resources in this file.\r\n"
    "The file may be compressed or in a non-standard format.";
inline constexpr const char* kUnableToOpenText = "Unable to open that file";

// The count as the user sees it: "AN: 12", "UN: 0", "RS: 3".
[[nodiscard]] std::string CountText(StringKind kind, std::uint32_t count);

// The share of the scan done, in percent, as a progress display shows it:
// the byte passes' bytes fill 0 to 99, and the resource pass after them is
// the last percent.
[[nodiscard]] std::uint32_t ProgressPercent(std::uint64_t bytesDone, std::uint64_t bytesTotal);

// What a scan needs of whoever runs it. The desktop program shows these
// things in its window; the command line prints them. The engine never shows
// anything itself.
class ScanHost {
 public:
  virtual ~ScanHost() = default;
  // The number of strings of one kind found so far: 0 when its pass starts,
  // the pass's final count when it ends (the resource pass also after each
  // ".rsrc" section). CountText gives the text to show.
  virtual void ShowCount(StringKind kind, std::uint32_t count) = 0;
  // Called once per 16 KiB block by the ANSI and Unicode passes. May handle
  // one pending user event. Returns true when the scan may go on, false once a
  // stop has been requested.
  virtual bool ScanPump() = 0;
  // Called just before each ScanPump: of the bytesTotal bytes of the file,
  // the byte passes have examined bytesDone (which never exceeds it), and
  // have found ansiSoFar and unicodeSoFar strings. The Unicode count can go
  // back to 0 when the final counts come through ShowCount after a stop. A
  // host that shows it throttles it itself; calls come up to once per block.
  virtual void ShowProgress(std::uint64_t /*bytesDone*/, std::uint64_t /*bytesTotal*/,
                            std::uint32_t /*ansiSoFar*/, std::uint32_t /*unicodeSoFar*/) {}
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
