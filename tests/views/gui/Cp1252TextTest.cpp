// Standard library
#include <string>

// Qt
#include <QString>

#include <gtest/gtest.h>

// Ours
#include "platform/Cp1252.h"
#include "views/gui/Cp1252Text.h"

namespace quillex {
namespace {

TEST(Cp1252Text, AllBytesDecodeAndEncodeBack) {
  std::string bytes;
  for (unsigned b = 0; b < 256; ++b) {
    bytes.push_back(static_cast<char>(b));
  }
  const QString text = BytesToQString(bytes);
  ASSERT_EQ(text.size(), 256);
  for (unsigned b = 0; b < 256; ++b) {
    EXPECT_EQ(text[static_cast<qsizetype>(b)].unicode(),
              Cp1252ToUnicode(static_cast<std::uint8_t>(b)))
        << "byte " << b;
  }
  EXPECT_EQ(QStringToBytes(text), bytes);
  EXPECT_EQ(BytesToQString({}), QString());

  EXPECT_EQ(QStringToBytes(QString::fromUtf8("\u20AC caf\u00E9 \u2122")),
            std::string("\x80 caf\xE9 \x99"));
  // A character the code page lacks makes the whole text unconvertible.
  EXPECT_FALSE(QStringToBytes(QString::fromUtf8("ab\u0101")).has_value());
  EXPECT_FALSE(QStringToBytes(QString::fromUtf8("smile \U0001F600")).has_value());
}

}  // namespace
}  // namespace quillex
