#include "platform/Utf8.h"

// Standard library
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Ours
#include "platform/Cp1252.h"

namespace quillex {

void AppendUtf8(std::string& out, char32_t codePoint) {
  const char32_t c = codePoint;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

Utf8Sequence DecodeUtf8(std::string_view bytes) {
  if (bytes.empty()) {
    return {};
  }
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) {
    return {lead, 1};
  }
  // The range of the second byte rules out overlong forms, surrogates and
  // code points past U+10FFFF (the well-formed sequences of the Unicode
  // standard's table 3-7).
  std::size_t length = 0;
  char32_t c = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    c = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    c = lead & 0x0Fu;
    low = lead == 0xE0 ? 0xA0 : 0x80;
    high = lead == 0xED ? 0x9F : 0xBF;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    c = lead & 0x07u;
    low = lead == 0xF0 ? 0x90 : 0x80;
    high = lead == 0xF4 ? 0x8F : 0xBF;
  } else {
    return {};
  }
  if (bytes.size() < length || byte(1) < low || byte(1) > high) {
    return {};
  }
  for (std::size_t i = 1; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) {
      return {};
    }
    c = (c << 6) | (byte(i) & 0x3Fu);
  }
  return {c, length};
}

std::string ValidUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  while (!bytes.empty()) {
    const std::size_t length = DecodeUtf8(bytes).length;
    if (length == 0) {
      AppendUtf8(out, 0xFFFD);
      bytes.remove_prefix(1);
    } else {
      out.append(bytes.substr(0, length));
      bytes.remove_prefix(length);
    }
  }
  return out;
}

void AppendCp1252AsUtf8(std::string& out, std::string_view bytes) {
  for (const char c : bytes) {
    AppendUtf8(out, Cp1252ToUnicode(static_cast<std::uint8_t>(c)));
  }
}

std::optional<std::string> Utf8ToCp1252(std::string_view utf8, MissingByte missing) {
  std::string bytes;
  bytes.reserve(utf8.size());
  while (!utf8.empty()) {
    const Utf8Sequence sequence = DecodeUtf8(utf8);
    if (sequence.length == 0) {
      return std::nullopt;
    }
    const std::uint8_t byte = UnicodeToCp1252(sequence.codePoint).value_or(0);
    if (byte != 0 || missing == MissingByte::Nul) {
      bytes += static_cast<char>(byte);
    }
    utf8.remove_prefix(sequence.length);
  }
  return bytes;
}

}  // namespace quillex
