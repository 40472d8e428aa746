#include "shell/FileErrorMessage.h"

namespace quillex {

std::string FileErrorMessage(std::string_view firstLine, std::string_view path,
                             std::string_view reason) {
  std::string text(firstLine);
  text += "\r\n\r\n";
  text += path;
  if (!reason.empty()) {
    text += "\r\n";
    text += reason;
  }
  return text;
}

}  // namespace quillex
