// The matchers of addresses on a network: url, domain, ipv4, ipv6, email and
// user-agent.

// Standard library
#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

// Ours
#include "tags/PublicSuffixes.h"
#include "tags/SuffixCache.h"
#include "tags/TagByteClasses.h"
#include "tags/TagMatchers.h"
#include "tags/TextChars.h"

namespace quillex {
namespace {

using namespace tagtext;
constexpr std::size_t kNone = std::string_view::npos;

// Where a host name stands decides how much it must prove. After "://" or
// "@" the text says it is a host; standing alone, "setup.py" and "this.name"
// look just like "example.com" and more is asked of it.
enum class HostPlace { Alone, InUrl, AfterAt };

// Top-level names on the suffix list that are also common file extensions: a
// host name standing alone and ending in one of these is read as a file name
// ("setup.py", "readme.md", "archive.zip", "driver.cat", "jquery.min.map").
constexpr std::array<std::string_view, 46> kFileExtensions = {
    "ac",  "ai",    "am",   "app",    "ar", "ax",  "build",      "bz",  "cab",  "cat",
    "cc",  "data",  "fish", "gmo",    "gn", "in",  "java",       "la",  "link", "ma",
    "man", "map",   "md",   "mk",     "ml", "mm",  "mo",         "mov", "ms",   "network",
    "new", "ninja", "pid",  "pl",     "pm", "pro", "properties", "ps",  "py",   "rs",
    "sh",  "so",    "sv",   "target", "tk", "zip"};

// Generic top-level names that host names standing alone end in. The other
// generic names are mostly words ("name", "info", "store", "dev") that code
// shares ("user.name", "log.info", "Atomics.store", "stats.dev") or file
// extensions ("unames.icu"); they count only in a URL or an address.
constexpr std::array<std::string_view, 17> kCommonGenericNames = {
    "aero", "asia",   "biz", "com", "coop", "edu", "gov",    "jobs", "mil",
    "mobi", "museum", "net", "org", "tel",  "top", "travel", "xyz"};

// Country codes that are also words of code: the properties and operators of
// "worker.id", "String.prototype.at", "i64.ne", "x.to", LLVM's block names
// ("omp.before.scan.bb"). A name standing alone never ends in one.
constexpr std::array<std::string_view, 19> kCodeWordCountries = {
    "as", "at", "bb", "be", "by", "do", "ge", "gt", "id", "is",
    "it", "lt", "me", "my", "ne", "no", "nr", "to", "us"};

// Country codes common enough in host names that a name of two labels
// standing alone may end in one ("kitware.de", "api.ru"). Two-label names in
// other countries' codes are more often dotted code ("tmp.ci", "span.kw")
// and count with three labels or more ("ftp.funet.fi"), in a URL or an address.
constexpr std::array<std::string_view, 25> kCommonCountries = {
    "au", "br", "ca", "cc", "ch", "cn", "co", "cz", "de", "dk", "es", "eu", "fi",
    "fr", "hk", "io", "jp", "kr", "nl", "pw", "ru", "se", "su", "tv", "uk"};

// First labels that make a dotted name code ("this.name", "window.top",
// "llvm.x86.sse2.min.sd") or a reversed package name ("com.example.app")
// rather than a host.
constexpr std::array<std::string_view, 27> kCodeReceivers = {
    "args",     "com",      "console",   "document", "event", "exports", "llvm",
    "location", "module",   "navigator", "net",      "obj",   "options", "opts",
    "org",      "params",   "parent",    "process",  "props", "req",     "request",
    "res",      "response", "self",      "state",    "this",  "window"};

template <std::size_t N>
bool Contains(const std::array<std::string_view, N>& list, std::string_view lowerWord) {
  return std::find(list.begin(), list.end(), lowerWord) != list.end();
}

bool IsHostChar(char c) {
  using namespace byteclass;
  return HasClass(c, kUpper | kLower | kDigit | kDot | kDash);
}

// Checks the labels of `host`: 1 to 63 letters, digits and inner hyphens
// each, at least two of them, 253 bytes in all. Gives the number of labels and
// where the last one starts, or 0 labels when the name is malformed.
std::size_t CountLabels(std::string_view host, std::size_t& lastStart) {
  if (host.size() > 253) {
    return 0;
  }
  std::size_t labels = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= host.size(); ++i) {
    if (i < host.size() && host[i] != '.') {
      if (!IsAlnum(host[i]) && host[i] != '-') {
        return 0;
      }
      continue;
    }
    const std::size_t length = i - start;
    if (length == 0 || length > 63 || host[start] == '-' || host[i - 1] == '-') {
      return 0;
    }
    ++labels;
    lastStart = start;
    start = i + 1;
  }
  return labels;
}

// A top-level name is letters, or an internationalised name in its ASCII
// form ("xn--p1ai"); a last label of digits makes a version or an address.
bool IsTopLevelShape(std::string_view label) {
  if (label.size() > 4 && StartsWithNoCase(label, 0, "xn--")) {
    return true;
  }
  return label.size() >= 2 && std::all_of(label.begin(), label.end(), IsAlpha);
}

// Whether the case of a name standing alone is a host name's: all capitals
// with three labels or more ("WWW.EXAMPLE.COM"), or else no capital but the
// first letter ("Microsoft.com" yes; "System.Net", "ASP.NET" and
// "Temporal.Calendar.prototype.id" are code).
bool HasHostCase(std::string_view host, std::size_t labels) {
  if (std::none_of(host.begin(), host.end(), IsLower)) {
    return labels >= 3;
  }
  return std::none_of(host.begin() + 1, host.end(), IsUpper);
}

// Whether every label is one letter repeated: the placeholders of a pattern
// ("tt.tt", "hh.mm"), not a name.
bool IsPlaceholder(std::string_view name) {
  for (std::size_t i = 1; i < name.size(); ++i) {
    if (name[i] != '.' && name[i - 1] != '.' && name[i] != name[i - 1]) {
      return false;
    }
  }
  return true;
}

// Rules that only a host name standing alone must pass, on the lower-case
// `name` with the original `host` beside it for its case. Besides its case,
// the lists above keep out file names, dotted code and package names; a name
// of one letter before the suffix is far more often a file's extension
// ("config.h.in") than a registered name.
bool PassesAloneRules(std::string_view host, std::string_view name, std::size_t labels,
                      std::size_t lastStart) {
  const std::string_view top = name.substr(lastStart);
  const std::size_t secondEnd = lastStart - 1;
  const std::size_t secondStart = name.rfind('.', secondEnd - 1);
  const std::size_t secondLength = secondStart == kNone ? secondEnd : secondEnd - secondStart - 1;
  if (!HasHostCase(host, labels) || IsPlaceholder(name) || secondLength < 2 ||
      Contains(kFileExtensions, top) || Contains(kCodeWordCountries, top) ||
      Contains(kCodeReceivers, name.substr(0, name.find('.'))) ||
      name.find(".prototype.") != kNone) {
    return false;
  }
  if (Contains(kCommonGenericNames, top)) {
    return true;
  }
  // Country codes, in letters or internationalised ("xn--p1ai").
  const bool country = top.size() == 2 || top.starts_with("xn--");
  return country && (labels >= 3 || Contains(kCommonCountries, top));
}

// Whether `host` is a host name under a public suffix: at least one label in
// front of a top-level name on the list, and not itself a suffix ("co.uk").
bool IsDomainName(std::string_view host, HostPlace place, MatchContext& context) {
  std::size_t lastStart = 0;
  const std::size_t labels = CountLabels(host, lastStart);
  if (labels < 2 || !IsTopLevelShape(host.substr(lastStart))) {
    return false;
  }
  char lower[254];
  std::transform(host.begin(), host.end(), lower, ToLower);
  const std::string_view name(lower, host.size());
  if (place == HostPlace::Alone && !PassesAloneRules(host, name, labels, lastStart)) {
    return false;
  }
  if (!context.cache.IsListedTopLevel(context.suffixes, name.substr(lastStart))) {
    return false;
  }
  // The longest suffixes of the ICANN section have four labels.
  return labels > 4 || !context.suffixes.IsIcannSuffix(name);
}

HostPlace PlaceOf(std::string_view text, std::size_t start) {
  if (Before(text, start) == '@') {
    return HostPlace::AfterAt;
  }
  if (start >= 3 && text.substr(start - 3, 3) == "://") {
    return HostPlace::InUrl;
  }
  return HostPlace::Alone;
}

// A run of letters, digits, dots, hyphens and underscores from `start` to
// `end`: is it a host name?
bool RunIsDomain(std::string_view text, std::size_t start, std::size_t end, MatchContext& context) {
  const char after = At(text, end);
  if (after == '@') {
    return false;  // the local part of an address
  }
  std::size_t last = end;
  while (last > start && text[last - 1] == '.') {
    --last;  // the full stop of a sentence
  }
  // A leading dot or hyphen makes a section name (".data.rel.ro") or an option.
  if (last == start || text[start] == '.' || text[start] == '-') {
    return false;
  }
  const HostPlace place = PlaceOf(text, start);
  if (place == HostPlace::Alone) {
    const char before = Before(text, start);
    // A name in a path is a file's; one called or assigned is code's, and one
    // after '*' an X resource's ("*Panner.top").
    if (before == '/' || before == '\\' || before == '*' || after == '(' || after == '=') {
      return false;
    }
  }
  const std::string_view host = text.substr(start, last - start);
  if (IsDomainName(host, place, context)) {
    return true;
  }
  // Signed images hold their certificates' URLs with the next byte of the
  // encoding run on ("http://ocsp.digicert.com0"): a URL's host that ends the
  // text may lose a last '0'.
  return place == HostPlace::InUrl && last == text.size() && host.back() == '0' &&
         IsDomainName(host.substr(0, host.size() - 1), place, context);
}

// Where the scheme of the "://" at `colon` starts, or kNone when there is no
// scheme of letters, digits, '+', '-' and '.' beginning with a letter.
std::size_t SchemeStart(std::string_view text, std::size_t colon) {
  std::size_t start = colon;
  while (start > 0) {
    const char c = text[start - 1];
    if (!IsAlnum(c) && c != '+' && c != '-' && c != '.') {
      break;
    }
    --start;
  }
  while (start < colon && !IsAlpha(text[start])) {
    ++start;
  }
  if (start == colon || Before(text, start) == '%') {
    return kNone;  // "%s://"
  }
  return start;
}

constexpr std::array<std::string_view, 25> kSchemes = {
    "http", "https", "ftp",   "ftps",   "sftp", "tftp", "ws",   "wss", "file",
    "smb",  "ldap",  "ldaps", "telnet", "ssh",  "rtsp", "rtmp", "irc", "ircs",
    "git",  "svn",   "nntp",  "gopher", "mms",  "hxxp", "hxxps"};

bool IsKnownScheme(std::string_view scheme) {
  return std::any_of(kSchemes.begin(), kSchemes.end(),
                     [&](std::string_view known) { return EqualsNoCase(scheme, known); });
}

// The local part of an address before the '@' at `at`: where it starts, or
// kNone when there is none or it is malformed.
std::size_t LocalPartStart(std::string_view text, std::size_t at) {
  std::size_t start = at;
  while (start > 0) {
    const char c = text[start - 1];
    if (!IsAlnum(c) && c != '.' && c != '_' && c != '%' && c != '+' && c != '-') {
      break;
    }
    --start;
  }
  const std::string_view local = text.substr(start, at - start);
  if (local.empty() || local.front() == '.' || local.back() == '.' || local.find("..") != kNone) {
    return kNone;
  }
  return start;
}

// Whether position `at` lies in the user part of a URL ("ftp://user:pw@host"),
// which makes no address.
bool InUrlAuthority(std::string_view text, std::size_t at) {
  std::size_t i = at;
  while (i >= 3 && !IsSpace(text[i - 1])) {
    if (text[i - 1] == '/' && text[i - 2] == '/' && text[i - 3] == ':') {
      return text.substr(i, at - i).find('/') == kNone;
    }
    --i;
  }
  return false;
}

// HTTP clients and browsers as their agent strings name them.
constexpr std::array<std::string_view, 27> kUserAgentProducts = {
    // Browsers and their engines.
    "Mozilla", "Opera", "AppleWebKit", "Chrome", "Safari", "Firefox", "Gecko", "Trident", "Edg",
    // Programs, libraries and crawlers.
    "curl", "Wget", "python-requests", "Python-urllib", "Go-http-client", "okhttp", "Java",
    "libwww-perl", "Dalvik", "WindowsPowerShell", "Microsoft-CryptoAPI", "Apache-HttpClient",
    "Googlebot", "bingbot", "aria2", "axios", "node-fetch", "PycURL"};

}  // namespace

// url: a scheme, "://" and something after it. The schemes of kSchemes count in
// any case; any other scheme of three or more characters counts when written
// in lower case ("chrome://", "res://"). A host name, an address in brackets or
// a placeholder must follow ("http://%s/gate.php" is a URL being built); after
// "file://" also a path ("file:///C:/", "file://./x").
bool MatchUrl(std::string_view text, MatchContext&) {
  for (std::size_t colon = text.find("://"); colon != kNone; colon = text.find("://", colon + 1)) {
    const std::size_t start = SchemeStart(text, colon);
    if (start == kNone) {
      continue;
    }
    const std::string_view scheme = text.substr(start, colon - start);
    if (!IsKnownScheme(scheme) &&
        (scheme.size() < 3 || std::any_of(scheme.begin(), scheme.end(), IsUpper))) {
      continue;
    }
    const char next = At(text, colon + 3);
    if (IsAlnum(next) || next == '%' || next == '_' ||
        (EqualsNoCase(scheme, "file") ? next == '/' || next == '.' : next == '[')) {
      return true;
    }
  }
  return false;
}

// domain: a host name whose last label is a top-level name on the Public
// Suffix List, wherever it stands: alone, as a URL's host or after the '@' of
// an address (so an address carries domain too). A name standing alone must
// also pass PassesAloneRules and must not stand in a path, before '(' or '=',
// or before an '@'.
bool MatchDomain(std::string_view text, MatchContext& context) {
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (!IsHostChar(c) && c != '_') {
      ++i;
      continue;
    }
    const std::size_t start = i;
    bool dotted = false;
    bool underscore = false;
    for (; i < text.size() && (IsHostChar(text[i]) || text[i] == '_'); ++i) {
      dotted = dotted || text[i] == '.';
      underscore = underscore || text[i] == '_';
    }
    // A name with an underscore is an identifier ("GLIBC_2.2.5", "__init__.py").
    if (dotted && !underscore && RunIsDomain(text, start, i, context)) {
      return true;
    }
  }
  return false;
}

// email: a local part of letters, digits and "._%+-" (no leading, trailing or
// double dot), '@', and a host name under a public suffix. The user part of a
// URL is no address.
bool MatchEmail(std::string_view text, MatchContext& context) {
  for (std::size_t at = text.find('@'); at != kNone; at = text.find('@', at + 1)) {
    const std::size_t start = LocalPartStart(text, at);
    if (start == kNone || InUrlAuthority(text, start)) {
      continue;
    }
    std::size_t end = at + 1;
    while (end < text.size() && IsHostChar(text[end])) {
      ++end;
    }
    if (At(text, end) == '_') {
      continue;
    }
    while (end > at + 1 && text[end - 1] == '.') {
      --end;
    }
    if (IsDomainName(text.substr(at + 1, end - at - 1), HostPlace::AfterAt, context)) {
      return true;
    }
  }
  return false;
}

// user-agent: the product token of an HTTP client or browser from
// kUserAgentProducts, written as the product writes it, then '/' and a
// version digit or a placeholder ("Mozilla/5.0 (Windows NT 10.0)",
// "curl/7.88.1", "Wget/1.21", "Mozilla/%d.0"). The product must start a word:
// "libcurl/7.88.1" is a library's version, not an agent.
bool MatchUserAgent(std::string_view text, MatchContext&) {
  for (std::size_t slash = text.find('/'); slash != kNone; slash = text.find('/', slash + 1)) {
    const char next = At(text, slash + 1);
    if (!IsDigit(next) && next != '%') {
      continue;
    }
    std::size_t start = slash;
    while (start > 0 && (IsAlnum(text[start - 1]) || text[start - 1] == '-')) {
      --start;
    }
    const char before = Before(text, start);
    if (start == slash || IsWord(before) || before == '/' || before == '\\' || before == '.') {
      continue;
    }
    const std::string_view product = text.substr(start, slash - start);
    if (std::find(kUserAgentProducts.begin(), kUserAgentProducts.end(), product) !=
        kUserAgentProducts.end()) {
      return true;
    }
  }
  return false;
}

}  // namespace quillex
