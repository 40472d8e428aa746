#pragma once

// Standard library
#include <string>
#include <string_view>

namespace quillex {

// The one path the command line names: the arguments after the program's
// name, joined by single blanks (a path with blanks may arrive split).
[[nodiscard]] std::string JoinArguments(int argc, const char* const* argv);

// The file name a path text stands for. When the text begins with a double
// quote, the name starts after it and the text's last character (the closing
// quote) is dropped; a text that is only the quote gives an empty name. The
// name is never cut to a fixed length: Linux paths run to 4095 bytes.
[[nodiscard]] std::string FileNameFromPathText(std::string_view text);

}  // namespace quillex
