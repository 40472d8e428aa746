#pragma once

// Standard library
#include <string>

// Ours
#include "platform/SaveFile.h"
#include "views/CancelFlag.h"
#include "views/ResultWriter.h"

namespace quillex {

class OutputStream;
struct OutputFormat;

// The whole output of one scanned file in `format` (its start, the file's
// rows, its finish) to an open stream. Returns 0, or the errno of the write
// that failed. `cancel` is read every few thousand rows; a raised flag stops
// the writing and gives ECANCELED.
[[nodiscard]] int WriteResults(OutputStream& stream, const OutputFormat& format,
                               const WriterSource& source, const CancelFlag* cancel = nullptr);

// The same bytes to `path`, through Save's file handling (SaveFile): what
// the Search page's Save writes. A cancelled save is a failed one with the
// error ECANCELED, so an existing file keeps its old bytes wherever SaveFile
// writes beside it; a device or a file in a folder that takes no new files,
// written in place, keeps what was written before the stop.
SaveResult SaveResults(const std::string& path, const OutputFormat& format,
                       const WriterSource& source, int* errorOut = nullptr,
                       const CancelFlag* cancel = nullptr);

}  // namespace quillex
