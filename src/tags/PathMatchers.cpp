// The matchers of places on a machine: windows-path, unix-path, registry and
// pdb.

// Standard library
#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

// Ours
#include "tags/TagMatchers.h"
#include "tags/TextChars.h"

namespace quillex {
namespace {

using namespace tagtext;
constexpr std::size_t kNone = std::string_view::npos;

// A character of a file or server name as the path matchers follow them.
bool IsNameChar(char c) {
  return IsAlnum(c) || c == '.' || c == '_' || c == '-' || c == '$' || c == '~';
}

// Characters that may come just before a drive letter: the letter must start
// the text or follow a space, a quote, a bracket, a separator of a list or of
// a path ("file:///C:/", "\\?\C:\"). Binary noise such as ":X:\:" is left out.
bool MayPrecedeDrive(char c) {
  return c == '\0' || IsSpace(c) || c == '"' || c == '\'' || c == '=' || c == '(' || c == '[' ||
         c == '<' || c == '>' || c == ',' || c == ';' || c == '|' || c == '/' || c == '\\';
}

// "C:\…" or "C:/…" with the drive letter at `letter`, then the end of the text,
// a name of two characters or more, or a folder's name of one ("C:\",
// "C:\Windows", "c:/pp", "D:\a\_work"; in source code also "C:\\Users").
bool IsDrivePath(std::string_view text, std::size_t letter) {
  if (!IsAlpha(text[letter]) || At(text, letter + 1) != ':' ||
      !MayPrecedeDrive(Before(text, letter))) {
    return false;
  }
  const char separator = At(text, letter + 2);
  if (separator != '\\' && separator != '/') {
    return false;
  }
  std::size_t name = letter + 3;
  if (separator == '\\' && At(text, name) == '\\') {
    ++name;
  }
  if (separator == '\\' && At(text, name) == '\0') {
    return IsUpper(text[letter]);  // "C:\" alone, not "[p:\"
  }
  if (!IsAlnum(At(text, name)) && At(text, name) != '_' && At(text, name) != '%' &&
      At(text, name) != '$') {
    return false;
  }
  // The first name, up to a character no file name holds ("R:\Sg|p5").
  std::size_t end = name + 1;
  while (IsNameChar(At(text, end))) {
    ++end;
  }
  const char stop = At(text, end);
  return (end - name >= 2 || stop == separator) && stop != '|' && stop != '<' && stop != '>' &&
         stop != '*' && stop != '?';
}

// "\\server\share", "\\?\…" or "\\.\…" with the first backslash at `at`.
bool IsUncPath(std::string_view text, std::size_t at) {
  if (At(text, at + 1) != '\\' || Before(text, at) == '\\') {
    return false;
  }
  std::size_t i = at + 2;
  const char first = At(text, i);
  if ((first == '?' || first == '.') && At(text, i + 1) == '\\') {
    return IsAlnum(At(text, i + 2));
  }
  if (!IsAlnum(first)) {
    return false;
  }
  while (IsNameChar(At(text, i))) {
    ++i;
  }
  return At(text, i) == '\\' && IsNameChar(At(text, i + 1));
}

// Where the name of a "%NAME%" at `at` ends (the closing '%'), or kNone. A
// name is a letter or '_' and then letters, digits, '_' and the parentheses of
// "%ProgramFiles(x86)%", two characters at least ("%Q%\" is noise).
std::size_t VariableEnd(std::string_view text, std::size_t at) {
  std::size_t i = at + 1;
  if (!IsAlpha(At(text, i)) && At(text, i) != '_') {
    return kNone;
  }
  while (IsWord(At(text, i)) || At(text, i) == '(' || At(text, i) == ')') {
    ++i;
  }
  return At(text, i) == '%' && i - at > 2 ? i : kNone;
}

// Characters that may come just before a Unix path: it must start the text or
// follow a space, a quote, an opening bracket or a separator of a list.
bool MayPrecedeUnixPath(std::string_view text, std::size_t slash) {
  if (slash == 0) {
    return true;
  }
  const char c = text[slash - 1];
  if (c == ':') {
    // "PATH=/a:/b" yes, "C:/x" no.
    return !IsAlnum(Before(text, slash - 1));
  }
  if (IsAlpha(c) && Before(text, slash - 1) == '-' && !IsWord(Before(text, slash - 2))) {
    return true;  // a compiler's option: "-I/usr/include"
  }
  return IsSpace(c) || c == '"' || c == '\'' || c == '=' || c == '(' || c == '[' || c == '{' ||
         c == ',' || c == ';' || c == '<' || c == '>' || c == '|' || c == '`';
}

bool IsPathComponentChar(char c) {
  return IsNameChar(c) || c == '+' || c == '@' || c == '%';
}

// Whether a Unix path of two components or more starts at `slash`.
bool IsUnixPathAt(std::string_view text, std::size_t slash) {
  std::size_t components = 0;
  bool longName = false;  // a component of two characters or more
  bool letter = false;    // a component holding a letter
  std::size_t i = slash;
  while (At(text, i) == '/') {
    const std::size_t start = ++i;
    const char first = At(text, start);
    // No empty component ("//"), and the first must not open with '%' ("/%s")
    // or '-'; later ones may be placeholders ("/proc/%d/maps").
    if (!IsAlnum(first) && first != '.' && first != '_' && (components == 0 || first != '%')) {
      break;
    }
    while (IsPathComponentChar(At(text, i))) {
      letter = letter || IsAlpha(text[i]);
      ++i;
    }
    ++components;
    longName = longName || i - start >= 2;
  }
  return components >= 2 && longName && letter;
}

// The hive names, matched without case, and their abbreviations, matched in
// capitals only.
constexpr std::array<std::string_view, 7> kHives = {
    "hkey_local_machine",  "hkey_current_user",     "hkey_classes_root", "hkey_users",
    "hkey_current_config", "hkey_performance_data", "hkey_dyn_data"};
constexpr std::array<std::string_view, 5> kHiveAbbreviations = {"HKLM", "HKCU", "HKCR", "HKCC",
                                                                "HKU"};

bool IsHiveAt(std::string_view text, std::size_t at) {
  for (const std::string_view hive : kHives) {
    if (StartsWithNoCase(text, at, hive) && !IsWord(At(text, at + hive.size()))) {
      return true;
    }
  }
  for (const std::string_view hive : kHiveAbbreviations) {
    if (text.substr(at, hive.size()) == hive && !IsWord(At(text, at + hive.size()))) {
      return true;
    }
  }
  return false;
}

// The keys every Windows machine has, written from their root as programs
// name them: "SOFTWARE\Microsoft\…", "SYSTEM\CurrentControlSet\Services",
// "\Registry\Machine\…".
bool IsKeyRootAt(std::string_view text, std::size_t at) {
  const char before = Before(text, at);
  if (text[at] == '\\') {
    if (IsWord(before) || before == '\\') {
      return false;
    }
    for (const std::string_view root : {"\\registry\\machine", "\\registry\\user"}) {
      if (StartsWithNoCase(text, at, root)) {
        const char after = At(text, at + root.size());
        return after == '\0' || after == '\\';
      }
    }
    return false;
  }
  // A name after a backslash or a slash is part of a path ("C:\Software\x").
  if (IsWord(before) || before == '\\' || before == '/') {
    return false;
  }
  if (StartsWithNoCase(text, at, "software\\")) {
    return IsNameChar(At(text, at + 9));
  }
  if (StartsWithNoCase(text, at, "system\\currentcontrolset")) {
    const char after = At(text, at + 24);
    return after == '\0' || after == '\\';
  }
  return StartsWithNoCase(text, at, "system\\controlset0") && IsDigit(At(text, at + 18));
}

}  // namespace

// windows-path: a drive letter with ':' and a separator as IsDrivePath has it
// ("C:\", "D:\Tools", "c:/pp"), a UNC or device path ("\\server\share",
// "\\?\C:\", "\\.\pipe\x"), or an environment variable followed by a
// backslash ("%APPDATA%\Microsoft"). A lone "C:" is not a path.
bool MatchWindowsPath(std::string_view text, MatchContext&) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    switch (text[i]) {
      case ':':
        if (i > 0 && IsDrivePath(text, i - 1)) {
          return true;
        }
        break;
      case '\\':
        if (IsUncPath(text, i)) {
          return true;
        }
        break;
      case '%': {
        const std::size_t end = VariableEnd(text, i);
        if (end != kNone && At(text, end + 1) == '\\') {
          return true;
        }
        break;
      }
      default:
        break;
    }
  }
  return false;
}

// unix-path: '/' and at least two components of letters, digits and
// "._-$~+@%", one of them two characters long or more and one holding a
// letter ("/bin/sh", "/proc/%d/maps"). The path must start the text or follow
// a space, a quote, a bracket, '=', ',', ';', a ':' that ends no drive
// letter or a compiler's option ("-I/usr/include"), which leaves out
// "TCP/IP", "and/or", "1/2/3", "</a>", the path of a URL and "C:/x"; "/s/q"
// (switches), "//x/y" and "/%s/%s" are left out too.
bool MatchUnixPath(std::string_view text, MatchContext&) {
  for (std::size_t slash = text.find('/'); slash != kNone; slash = text.find('/', slash + 1)) {
    if (MayPrecedeUnixPath(text, slash) && IsUnixPathAt(text, slash)) {
      return true;
    }
  }
  return false;
}

// registry: a hive name ("HKEY_LOCAL_MACHINE", any case) or its abbreviation
// ("HKLM", "HKCU", "HKCR", "HKCC", "HKU", in capitals) standing as a word, or
// a well-known root key: "SOFTWARE\" and a name, "SYSTEM\CurrentControlSet",
// "SYSTEM\ControlSet001", "\Registry\Machine", "\Registry\User" (any case),
// not inside a file path. "Software" alone and "THE SOFTWARE IS" are not keys.
bool MatchRegistry(std::string_view text, MatchContext&) {
  // Without a backslash only a hive name can stand here, and every one of
  // them starts "HK".
  const bool backslash = text.find('\\') != kNone;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = ToLower(text[i]);
    if (c == 'h' && ToLower(At(text, i + 1)) == 'k' && !IsWord(Before(text, i)) &&
        IsHiveAt(text, i)) {
      return true;
    }
    if (backslash && (c == 's' || c == '\\') && IsKeyRootAt(text, i)) {
      return true;
    }
  }
  return false;
}

// pdb: a file name ending in ".pdb" (any case) that stands at the end of the
// text or before a space, a quote or punctuation, not before another
// extension ("x.pdb.bak"). The name must not be a wildcard or a conversion
// ("*.pdb", "%s.pdb") and must hold a letter or digit ("(.pdb)" is not one).
bool MatchPdb(std::string_view text, MatchContext&) {
  for (std::size_t dot = text.find('.'); dot != kNone; dot = text.find('.', dot + 1)) {
    if (!StartsWithNoCase(text, dot, ".pdb")) {
      continue;
    }
    const char after = At(text, dot + 4);
    if (IsWord(after) || (after == '.' && IsWord(At(text, dot + 5)))) {
      continue;
    }
    std::size_t start = dot;
    bool alnum = false;
    while (start > 0 && (IsNameChar(text[start - 1]) || text[start - 1] == '+' ||
                         text[start - 1] == '(' || text[start - 1] == ')')) {
      alnum = alnum || IsAlnum(text[start - 1]);
      --start;
    }
    const char before = Before(text, start);
    if (alnum && before != '%' && before != '*' && before != '?') {
      return true;
    }
  }
  return false;
}

}  // namespace quillex
