#pragma once

// Standard library
#include <string>

// Ours
#include "platform/SaveFile.h"
#include "views/ResultWriter.h"

namespace quillex {

class OutputStream;
struct OutputFormat;

// The whole output of one scanned file in `format` (its start, the file's
// rows, its finish) to an open stream. Returns 0, or the errno of the write
// that failed.
[[nodiscard]] int WriteResults(OutputStream& stream, const OutputFormat& format,
                               const WriterSource& source);

// The same bytes to `path`, through Save's file handling (SaveFile): what
// the Search page's Save writes.
SaveResult SaveResults(const std::string& path, const OutputFormat& format,
                       const WriterSource& source, int* errorOut = nullptr);

}  // namespace quillex
