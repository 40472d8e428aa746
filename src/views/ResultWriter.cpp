#include "views/ResultWriter.h"

// Standard library
#include <cstdint>

namespace quillex {

void ResultWriter::Start(OutputBuffer& /*out*/) {}

void ResultWriter::BeginFile(const WriterSource& /*source*/, OutputBuffer& /*out*/) {}

void ResultWriter::EndFile(const WriterSource& /*source*/, OutputBuffer& /*out*/) {}

void ResultWriter::Finish(OutputBuffer& /*out*/) {}

void ResultWriter::WriteFile(const WriterSource& source, OutputBuffer& out) {
  BeginFile(source, out);
  for (const std::uint32_t result : source.rows) {
    Row(source, result, out);
  }
  EndFile(source, out);
}

}  // namespace quillex
