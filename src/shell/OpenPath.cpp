#include "shell/OpenPath.h"

namespace quillex {

StartRequest StartRequestFor(int argc, const char* const* argv) {
  if (argc < 2) {
    return StartRequest::Open;
  }
  const std::string_view first = argv[1];
  if (first == "--help" || first == "-h") {
    return StartRequest::Help;
  }
  if (first == "--version") {
    return StartRequest::Version;
  }
  return StartRequest::Open;
}

std::string JoinArguments(int argc, const char* const* argv) {
  std::string joined;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) {
      joined += ' ';
    }
    joined += argv[i];
  }
  return joined;
}

std::string FileNameFromPathText(std::string_view text) {
  if (!text.empty() && text.front() == '"') {
    text.remove_prefix(1);
    // The closing quote is assumed, not checked: an unclosed quote loses the
    // text's last character, which users have always seen happen.
    if (!text.empty()) {
      text.remove_suffix(1);
    }
  }
  return std::string(text);
}

}  // namespace quillex
