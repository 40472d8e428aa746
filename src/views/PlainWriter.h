#pragma once

// Standard library
#include <cstdint>

// Ours
#include "views/ResultWriter.h"

namespace quillex {

// The plain layout: each result's text followed by a single LF, byte for
// byte as stored.
class PlainWriter : public ResultWriter {
 public:
  explicit PlainWriter(const WriterOptions& options = {}) : options_(options) {}

  void BeginFile(const WriterSource& source, OutputBuffer& out) override;
  void Row(const WriterSource& source, std::uint32_t result, OutputBuffer& out) override;

 private:
  WriterOptions options_;
};

}  // namespace quillex
