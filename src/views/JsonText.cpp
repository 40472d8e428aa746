#include "views/JsonText.h"

// Standard library
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Ours
#include "platform/Cp1252.h"
#include "platform/Utf8.h"

namespace quillex {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

// One byte of UTF-8: the ASCII ones that JSON reserves are escaped, every
// other byte (the parts of longer characters included) is copied.
void AppendJsonByte(std::string& out, char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (c == '"' || c == '\\') {
    out += '\\';
    out += c;
    return;
  }
  if (byte >= 0x20) {
    out += c;
    return;
  }
  switch (c) {
    case '\n':
      out += "\\n";
      break;
    case '\r':
      out += "\\r";
      break;
    case '\t':
      out += "\\t";
      break;
    default:
      out += "\\u00";
      out += kHexDigits[byte >> 4];
      out += kHexDigits[byte & 0x0F];
  }
}

}  // namespace

void AppendJsonEscaped(std::string& out, std::string_view utf8) {
  for (const char c : utf8) {
    AppendJsonByte(out, c);
  }
}

void AppendJsonEscapedCp1252(std::string& out, std::string_view bytes) {
  // Windows-1252 never yields a quote, backslash or control character from
  // a byte above 0x7F, so escaping byte by byte and converting the rest is
  // the same as escaping the converted text. PERF: runs of bytes that stay
  // as they are, most of any text, are copied whole.
  std::size_t run = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<std::uint8_t>(bytes[i]);
    if (byte >= 0x20 && byte < 0x80 && byte != '"' && byte != '\\') {
      continue;
    }
    out.append(bytes.data() + run, i - run);
    if (byte < 0x80) {
      AppendJsonByte(out, bytes[i]);
    } else {
      AppendUtf8(out, Cp1252ToUnicode(byte));
    }
    run = i + 1;
  }
  out.append(bytes.data() + run, bytes.size() - run);
}

}  // namespace quillex
