#pragma once

// Standard library
#include <optional>
#include <string>
#include <string_view>

// Qt
#include <QString>

namespace quillex {

// The bytes as Windows-1252 characters, one QChar per byte.
[[nodiscard]] QString BytesToQString(std::string_view bytes);

// The Windows-1252 bytes of a text, or nothing when some character has no
// byte in the code page (such a pattern cannot occur in any result).
[[nodiscard]] std::optional<std::string> QStringToBytes(const QString& text);

}  // namespace quillex
