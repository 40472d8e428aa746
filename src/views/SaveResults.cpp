#include "views/SaveResults.h"

// Standard library
#include <memory>
#include <string>

// Ours
#include "platform/OutputStream.h"
#include "views/OutputBuffer.h"
#include "views/OutputFormats.h"

namespace quillex {

int WriteResults(OutputStream& stream, const OutputFormat& format, const WriterSource& source) {
  const std::unique_ptr<ResultWriter> writer = format.make({});
  OutputBuffer out(stream);
  writer->Start(out);
  writer->WriteFile(source, out);
  writer->Finish(out);
  return out.Flush() ? 0 : out.Error();
}

SaveResult SaveResults(const std::string& path, const OutputFormat& format,
                       const WriterSource& source, int* errorOut) {
  return SaveFile(
      path, [&](OutputStream& stream) { return WriteResults(stream, format, source); }, errorOut);
}

}  // namespace quillex
