#pragma once

// Standard library
#include <string>
#include <string_view>

namespace quillex {

// What the command line asks for before the window is made.
enum class StartRequest {
  Open,     // the window, with the path of JoinArguments scanned when there is one
  Help,     // print the usage and end
  Version,  // print the version and end
};

// "--help" (or "-h") and "--version" are options only as the first argument
// after the program's name; anything else, these words elsewhere included,
// is part of the path. A file whose name begins with "-" is therefore named
// with its folder ("./-name").
[[nodiscard]] StartRequest StartRequestFor(int argc, const char* const* argv);

// The one path the command line names: the arguments after the program's
// name, joined by single blanks (a path with blanks may arrive split).
[[nodiscard]] std::string JoinArguments(int argc, const char* const* argv);

// The file name a path text stands for. When the text begins with a double
// quote, the name starts after it and the text's last character (the closing
// quote) is dropped; a text that is only the quote gives an empty name. The
// name is never cut to a fixed length: Linux paths run to 4095 bytes.
[[nodiscard]] std::string FileNameFromPathText(std::string_view text);

}  // namespace quillex
