// What a writer writes, caught in memory.
#pragma once

// Standard library
#include <string>

// Ours
#include "views/OutputBuffer.h"
#include "views/ResultWriter.h"

namespace quillex::testing {

// The whole output of a writer over the given files, as a host writes it:
// Start, each file, Finish.
template <class... Sources>
std::string Written(ResultWriter& writer, const Sources&... sources) {
  std::string text;
  OutputBuffer out(text);
  writer.Start(out);
  (writer.WriteFile(sources, out), ...);
  writer.Finish(out);
  out.Flush();
  return text;
}

}  // namespace quillex::testing
