#include "views/FilterPattern.h"

// Standard library
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

// Ours
#include "platform/Utf8.h"

namespace quillex {

namespace {

// The other case of a letter whose two cases RE2's Latin-1 folding does not
// pair, or 0.
char OtherCp1252Case(char c) {
  switch (static_cast<unsigned char>(c)) {
    case 0x8A:
      return '\x9A';
    case 0x9A:
      return '\x8A';
    case 0x8C:
      return '\x9C';
    case 0x9C:
      return '\x8C';
    case 0x8E:
      return '\x9E';
    case 0x9E:
      return '\x8E';
    case 0x9F:
      return '\xFF';
    case 0xFF:
      return '\x9F';
    default:
      return 0;
  }
}

// Walks a regular expression once, copying it and spelling out both cases of
// each letter RE2 does not fold; the walk keeps track of whether it is inside
// a character class or a \Q...\E quote, where the spelling differs.
class CaseSpeller {
 public:
  explicit CaseSpeller(std::string_view regex) : regex_(regex) { out_.reserve(regex.size() + 8); }

  std::string Spelled() {
    for (at_ = 0; at_ < regex_.size(); ++at_) {
      const char c = regex_[at_];
      const char other = OtherCp1252Case(c);
      if (inQuote_) {
        Quoted(c, other);
      } else if (c == '\\' && at_ + 1 < regex_.size()) {
        // An escape names one character or class; its second byte is never
        // the start of a class or a letter to fold.
        inQuote_ = !inClass_ && regex_[at_ + 1] == 'Q';
        out_ += c;
        out_ += regex_[++at_];
      } else if (inClass_) {
        InClass(c, other);
      } else {
        Outside(c, other);
      }
    }
    return std::move(out_);
  }

 private:
  bool NextIs(char c) const { return at_ + 1 < regex_.size() && regex_[at_ + 1] == c; }

  // A letter as the class of its two cases.
  void BothCases(char c, char other) {
    out_ += '[';
    out_ += c;
    out_ += other;
    out_ += ']';
  }

  // Inside \Q...\E every byte is a literal.
  void Quoted(char c, char other) {
    if (c == '\\' && NextIs('E')) {
      inQuote_ = false;
      out_ += "\\E";
      ++at_;
    } else if (other != 0) {
      // Leaves the quote for the class and opens it again after.
      out_ += "\\E";
      BothCases(c, other);
      out_ += "\\Q";
    } else {
      out_ += c;
    }
  }

  void InClass(char c, char other) {
    const bool rangeEnd = (at_ > 0 && regex_[at_ - 1] == '-') || NextIs('-');
    if (c == ']') {
      inClass_ = false;
    } else if (c == '[' && NextIs(':')) {
      // A POSIX class such as [:alpha:] runs to its ":]".
      const std::size_t close = regex_.find(":]", at_ + 2);
      const std::size_t end = close == std::string_view::npos ? regex_.size() : close + 2;
      out_.append(regex_.substr(at_, end - at_));
      at_ = end - 1;
      return;
    }
    out_ += c;
    if (other != 0 && !rangeEnd) {
      out_ += other;
    }
  }

  void Outside(char c, char other) {
    if (c == '[') {
      // A "]" right after "[" or "[^" is a literal, not the class's end.
      inClass_ = true;
      out_ += c;
      if (NextIs('^')) {
        out_ += regex_[++at_];
      }
      if (NextIs(']')) {
        out_ += regex_[++at_];
      }
    } else if (other != 0) {
      BothCases(c, other);
    } else {
      out_ += c;
    }
  }

  std::string_view regex_;
  std::string out_;
  std::size_t at_ = 0;
  bool inClass_ = false;
  bool inQuote_ = false;
};

}  // namespace

std::string PatternFromUtf8(std::string_view utf8) {
  return Utf8ToCp1252(utf8, MissingByte::Nul).value_or(std::string(utf8));
}

std::string CaselessRegex(std::string_view regex) {
  return CaseSpeller(regex).Spelled();
}

}  // namespace quillex
