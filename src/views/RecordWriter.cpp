#include "views/RecordWriter.h"

// Standard library
#include <cerrno>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

// Ours
#include "platform/Cp1252.h"
#include "platform/OutputStream.h"
#include "platform/Utf8.h"
#include "scan/SectionMap.h"
#include "store/ResultStore.h"
#include "store/StringKind.h"

namespace quillex {

namespace {

// Records are gathered and written this many bytes at a time.
constexpr std::size_t kChunkSize = 64 * 1024;

constexpr char kHexDigits[] = "0123456789abcdef";

// A JSON string's contents: quote, backslash and the control characters
// escaped, everything else as it is (the input is UTF-8 already).
void AppendJsonEscaped(std::string& out, std::string_view utf8) {
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
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
    } else {
      out += c;
    }
  }
}

// The characters that decide CSV quoting are all ASCII, so they can be
// looked for in the stored bytes before the conversion.
bool NeedsCsvQuotes(std::string_view text) {
  return text.find_first_of(",\"\r\n") != std::string_view::npos ||
         (!text.empty() && (text.front() == ' ' || text.back() == ' '));
}

// A CSV field: quoted, with quotes doubled, only when it holds a comma, a
// quote, a line break or starts or ends with a space that a reader might trim.
void AppendCsvField(std::string& out, std::string_view text) {
  if (!NeedsCsvQuotes(text)) {
    out += text;
    return;
  }
  out += '"';
  for (const char c : text) {
    if (c == '"') {
      out += '"';
    }
    out += c;
  }
  out += '"';
}

const char* KindName(StringKind kind) {
  switch (kind) {
    case StringKind::Ansi:
      return "ansi";
    case StringKind::Unicode:
      return "unicode";
    case StringKind::Resource:
      return "resource";
  }
  return "ansi";
}

void AppendNumber(std::string& out, std::uint64_t value) {
  char digits[24];
  const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, end.ptr);
}

}  // namespace

RecordWriter::RecordWriter(RecordFormat format, std::string_view fileName) : format_(format) {
  const std::string name = ValidUtf8(fileName);
  if (format_ == RecordFormat::JsonLines) {
    fileField_ = "{\"file\":\"";
    AppendJsonEscaped(fileField_, name);
    fileField_ += "\",\"kind\":\"";
  } else {
    AppendCsvField(fileField_, name);
    fileField_ += ',';
  }
}

std::size_t RecordWriter::Append(std::string& out, const ResultStore& store, const SectionMap& map,
                                 std::uint32_t index) const {
  const std::size_t start = out.size();
  const std::uint16_t id = store.Id(index);
  const std::uint64_t offset = store.Position(index);
  const char* stored = store.Text(index);
  const std::string_view text(stored != nullptr ? stored : "", store.TextLength(index));
  out += fileField_;
  out += KindName(store.Kind(index));
  if (format_ == RecordFormat::JsonLines) {
    out += "\",\"offset\":";
    AppendNumber(out, offset);
    out += ",\"address\":";
    AppendNumber(out, map.MemoryPosition(offset));
    out += ",\"id\":";
    AppendNumber(out, id);
    out += ",\"text\":\"";
    // Windows-1252 never yields a quote, backslash or control character
    // from a byte above 0x7F, so escaping byte by byte after converting is
    // the same as escaping the converted text.
    for (const char c : text) {
      const auto byte = static_cast<unsigned char>(c);
      if (byte < 0x80) {
        AppendJsonEscaped(out, std::string_view(&c, 1));
      } else {
        AppendUtf8(out, Cp1252ToUnicode(byte));
      }
    }
    out += "\",\"length\":";
    AppendNumber(out, text.size());
    out += "}\n";
  } else {
    out += ',';
    AppendNumber(out, offset);
    out += ',';
    AppendNumber(out, map.MemoryPosition(offset));
    out += ',';
    AppendNumber(out, id);
    out += ',';
    const bool quote = NeedsCsvQuotes(text);
    if (quote) {
      out += '"';
    }
    for (const char c : text) {
      if (c == '"') {
        out += '"';
      }
      AppendUtf8(out, Cp1252ToUnicode(static_cast<std::uint8_t>(c)));
    }
    if (quote) {
      out += '"';
    }
    out += ',';
    AppendNumber(out, text.size());
    out += "\r\n";
  }
  return out.size() - start;
}

bool RecordWriter::Write(OutputStream& stream, std::span<const std::uint32_t> rowOrder,
                         const ResultStore& store, const SectionMap& map, int* errorOut) const {
  int error = 0;
  std::string chunk;
  chunk.reserve(kChunkSize + 4096);
  bool ok = true;
  // PERF: records are built into one reused buffer and written a chunk at a
  // time, so a row costs its formatting and nothing else.
  for (const std::uint32_t index : rowOrder) {
    Append(chunk, store, map, index);
    if (chunk.size() >= kChunkSize) {
      error = stream.Write(chunk.data(), chunk.size());
      ok = error == 0;
      chunk.clear();
      if (!ok) {
        break;
      }
    }
  }
  if (ok && !chunk.empty()) {
    error = stream.Write(chunk.data(), chunk.size());
    ok = error == 0;
  }
  if (errorOut != nullptr) {
    *errorOut = error;
  }
  return ok;
}

}  // namespace quillex
