#include "views/gui/Cp1252Text.h"

// Standard library
#include <array>
#include <cstdint>

// Qt
#include <QList>

// Ours
#include "platform/Cp1252.h"

namespace quillex {

namespace {

std::array<char16_t, 256> BuildTable() {
  std::array<char16_t, 256> table{};
  for (unsigned b = 0; b < 256; ++b) {
    table[b] = Cp1252ToUnicode(static_cast<std::uint8_t>(b));
  }
  return table;
}

}  // namespace

QString BytesToQString(std::string_view bytes) {
  static const std::array<char16_t, 256> table = BuildTable();
  QString out(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
  QChar* dst = out.data();
  for (const char c : bytes) {
    *dst++ = QChar(table[static_cast<unsigned char>(c)]);
  }
  return out;
}

std::optional<std::string> QStringToBytes(const QString& text) {
  std::string out;
  out.reserve(static_cast<std::size_t>(text.size()));
  for (const uint codePoint : text.toUcs4()) {
    const std::optional<std::uint8_t> byte = UnicodeToCp1252(codePoint);
    if (!byte) {
      return std::nullopt;
    }
    out.push_back(static_cast<char>(*byte));
  }
  return out;
}

}  // namespace quillex
