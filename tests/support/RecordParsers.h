#pragma once

// Strict readers of the command line's JSON Lines and CSV records, so tests
// can check that what is written parses and gives back what was stored.

// Standard library
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

// Ours
#include "platform/Utf8.h"

namespace quillex::testing {

// A string, an unsigned integer or an array of strings (the tags).
using JsonStrings = std::vector<std::string>;
using JsonValue = std::variant<std::string, std::uint64_t, JsonStrings>;
// The members of a flat JSON object, in the order written.
using JsonObject = std::vector<std::pair<std::string, JsonValue>>;

class JsonLineReader {
 public:
  // One object of string, unsigned integer and string array members,
  // nothing around it.
  // Returns nothing for anything else, including malformed UTF-8, raw
  // control characters and lone surrogates.
  static std::optional<JsonObject> Parse(std::string_view line) {
    JsonLineReader reader(line);
    JsonObject object;
    if (!reader.Object(object) || reader.at_ != line.size()) {
      return std::nullopt;
    }
    return object;
  }

 private:
  explicit JsonLineReader(std::string_view text) : text_(text) {}

  bool Eat(char c) {
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }

  bool Object(JsonObject& object) {
    if (!Eat('{')) {
      return false;
    }
    if (Eat('}')) {
      return true;
    }
    do {
      std::string key;
      if (!String(key) || !Eat(':')) {
        return false;
      }
      JsonValue value;
      if (at_ < text_.size() && text_[at_] == '"') {
        std::string text;
        if (!String(text)) {
          return false;
        }
        value = text;
      } else if (at_ < text_.size() && text_[at_] == '[') {
        JsonStrings strings;
        if (!Strings(strings)) {
          return false;
        }
        value = std::move(strings);
      } else {
        std::uint64_t number = 0;
        if (!Number(number)) {
          return false;
        }
        value = number;
      }
      object.emplace_back(std::move(key), std::move(value));
    } while (Eat(','));
    return Eat('}');
  }

  bool Strings(JsonStrings& strings) {
    if (!Eat('[')) {
      return false;
    }
    if (Eat(']')) {
      return true;
    }
    do {
      std::string text;
      if (!String(text)) {
        return false;
      }
      strings.push_back(std::move(text));
    } while (Eat(','));
    return Eat(']');
  }

  bool Number(std::uint64_t& number) {
    const std::size_t start = at_;
    while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') {
      number = number * 10 + static_cast<std::uint64_t>(text_[at_] - '0');
      ++at_;
    }
    // No leading zeros, as JSON has it.
    return at_ > start && !(at_ - start > 1 && text_[start] == '0');
  }

  bool Hex4(std::uint32_t& value) {
    if (text_.size() - at_ < 4) {
      return false;
    }
    value = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text_[at_++];
      value <<= 4;
      if (c >= '0' && c <= '9') {
        value |= static_cast<std::uint32_t>(c - '0');
      } else if (c >= 'a' && c <= 'f') {
        value |= static_cast<std::uint32_t>(c - 'a' + 10);
      } else if (c >= 'A' && c <= 'F') {
        value |= static_cast<std::uint32_t>(c - 'A' + 10);
      } else {
        return false;
      }
    }
    return true;
  }

  // A raw UTF-8 sequence inside a string, checked for well-formedness.
  bool Utf8(std::string& out) {
    const auto lead = static_cast<unsigned char>(text_[at_]);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      low = lead == 0xE0 ? 0xA0 : 0x80;
      high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      low = lead == 0xF0 ? 0x90 : 0x80;
      high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
      return false;
    }
    if (text_.size() - at_ < length) {
      return false;
    }
    for (std::size_t i = 1; i < length; ++i) {
      const auto byte = static_cast<unsigned char>(text_[at_ + i]);
      const unsigned char min = i == 1 ? low : 0x80;
      const unsigned char max = i == 1 ? high : 0xBF;
      if (byte < min || byte > max) {
        return false;
      }
    }
    out.append(text_.substr(at_, length));
    at_ += length;
    return true;
  }

  bool String(std::string& out) {
    if (!Eat('"')) {
      return false;
    }
    while (at_ < text_.size()) {
      const char c = text_[at_];
      const auto byte = static_cast<unsigned char>(c);
      if (c == '"') {
        ++at_;
        return true;
      }
      if (byte < 0x20) {
        return false;
      }
      if (byte >= 0x80) {
        if (!Utf8(out)) {
          return false;
        }
        continue;
      }
      ++at_;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (at_ >= text_.size()) {
        return false;
      }
      const char escape = text_[at_++];
      switch (escape) {
        case '"':
        case '\\':
        case '/':
          out += escape;
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          std::uint32_t code = 0;
          if (!Hex4(code)) {
            return false;
          }
          if (code >= 0xDC00 && code <= 0xDFFF) {
            return false;
          }
          if (code >= 0xD800 && code <= 0xDBFF) {
            std::uint32_t low = 0;
            if (!Eat('\\') || !Eat('u') || !Hex4(low) || low < 0xDC00 || low > 0xDFFF) {
              return false;
            }
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
          }
          AppendUtf8(out, code);
          break;
        }
        default:
          return false;
      }
    }
    return false;
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

// RFC 4180: records end in CRLF, a field holding a comma, quote, CR or LF is
// quoted and doubles its quotes. Returns nothing for anything else, such as a
// bare line feed between records or a quote inside an unquoted field.
inline std::optional<std::vector<std::vector<std::string>>> ParseCsv(std::string_view text) {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> row;
  std::string field;
  std::size_t at = 0;
  while (at < text.size()) {
    if (text[at] == '"') {
      ++at;
      for (;;) {
        if (at >= text.size()) {
          return std::nullopt;
        }
        if (text[at] == '"') {
          if (at + 1 < text.size() && text[at + 1] == '"') {
            field += '"';
            at += 2;
            continue;
          }
          ++at;
          break;
        }
        field += text[at++];
      }
    } else {
      while (at < text.size() && text[at] != ',' && text[at] != '\r') {
        if (text[at] == '"' || text[at] == '\n') {
          return std::nullopt;
        }
        field += text[at++];
      }
    }
    if (at < text.size() && text[at] == ',') {
      row.push_back(std::move(field));
      field.clear();
      ++at;
      continue;
    }
    if (text.substr(at, 2) != "\r\n") {
      return std::nullopt;
    }
    at += 2;
    row.push_back(std::move(field));
    field.clear();
    rows.push_back(std::move(row));
    row.clear();
  }
  return rows;
}

}  // namespace quillex::testing
