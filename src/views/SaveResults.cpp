#include "views/SaveResults.h"

// Standard library
#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>

// Ours
#include "platform/OutputStream.h"
#include "views/OutputBuffer.h"
#include "views/OutputFormats.h"

namespace quillex {

int WriteResults(OutputStream& stream, const OutputFormat& format, const WriterSource& source,
                 const CancelFlag* cancel) {
  const std::unique_ptr<ResultWriter> writer = format.make({});
  OutputBuffer out(stream);
  writer->Start(out);
  if (cancel == nullptr) {
    writer->WriteFile(source, out);
  } else {
    // What WriteFile does, with a look at the flag between blocks of rows.
    writer->BeginFile(source, out);
    for (std::size_t first = 0; first < source.rows.size(); first += kRowsBetweenCancelChecks) {
      if (IsCancelled(cancel)) {
        return ECANCELED;
      }
      const std::size_t last = std::min(source.rows.size(), first + kRowsBetweenCancelChecks);
      for (std::size_t row = first; row < last; ++row) {
        writer->Row(source, source.rows[row], out);
      }
    }
    writer->EndFile(source, out);
  }
  writer->Finish(out);
  if (IsCancelled(cancel)) {
    return ECANCELED;
  }
  return out.Flush() ? 0 : out.Error();
}

SaveResult SaveResults(const std::string& path, const OutputFormat& format,
                       const WriterSource& source, int* errorOut, const CancelFlag* cancel) {
  return SaveFile(
      path, [&](OutputStream& stream) { return WriteResults(stream, format, source, cancel); },
      errorOut);
}

}  // namespace quillex
