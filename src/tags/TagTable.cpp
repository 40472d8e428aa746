#include "tags/TagTable.h"

// Standard library
#include <array>

// Ours
#include "tags/TagByteClasses.h"

namespace quillex {
namespace {

using namespace byteclass;

// The tags: name, description, rule, what the prefilter asks of a text, and
// the matcher. A text may carry several tags: a URL with a host name carries
// url and domain, an address carries email and domain (its domain is a host
// name like any other), "C:\x\app.pdb" carries windows-path and pdb,
// "::ffff:10.0.0.1" carries ipv6 and ipv4.
constexpr std::array<TagInfo, kTagCount> kTags = {{
    {.id = TagId::Url,
     .name = "url",
     .description = "a URL: scheme://... for http, https, ftp, ws, wss, file and the like",
     .rule = "A scheme (http, https, ftp, ws, wss, file and other known ones in any case, or any "
             "other lower-case scheme of three letters or more), \"://\", then a host, an address "
             "in brackets or a placeholder; after file:// also a path.",
     .needs = kColon | kSlash,
     .shortest = 6,
     .matcher = MatchUrl},
    {.id = TagId::Domain,
     .name = "domain",
     .description = "a host name under a suffix of the Public Suffix List",
     .rule = "Labels of letters, digits and hyphens ending in a top-level name on the Public "
             "Suffix List, not a public suffix itself. After \"://\" or \"@\" that is enough. A "
             "name standing alone is in lower case, does not end in a file extension or a word "
             "of code, and ends in a common generic name, a common country code, or another "
             "country code after three labels or more.",
     .needs = kDot | kLower,
     .otherwiseNeeds = kDot | kUpper,
     .shortest = 4,
     .matcher = MatchDomain},
    {.id = TagId::Ipv4,
     .name = "ipv4",
     .description = "an IPv4 address, optionally with a port",
     .rule = "Four decimal octets of at most 255 without leading zeros, not part of a longer "
             "dotted number, optionally with a port of 1 to 65535. Versions (after \"Version\" or "
             "\"Product/\", or small like 1.1.0.14) and object identifiers (2.5.4.3) are not "
             "addresses.",
     .needs = kDot | kDigit,
     .shortest = 7,
     .matcher = MatchIpv4},
    {.id = TagId::Ipv6,
     .name = "ipv6",
     .description = "an IPv6 address: full, compressed or in brackets",
     .rule = "Eight groups of one to four hex digits, or fewer with one \"::\", optionally ending "
             "in an IPv4 address, standing alone or in brackets, optionally with a zone; in one "
             "case and with a decimal digit. \"::\" alone only in brackets.",
     .needs = kColon,
     .shortest = 3,
     .matcher = MatchIpv6},
    {.id = TagId::Email,
     .name = "email",
     .description = "an e-mail address",
     .rule = "A local part of letters, digits and ._%+- without stray dots, \"@\", and a host "
             "name under a suffix of the Public Suffix List; not the user part of a URL.",
     .needs = kAt | kDot,
     .shortest = 6,
     .matcher = MatchEmail},
    {.id = TagId::WindowsPath,
     .name = "windows-path",
     .description = "a Windows path: drive letter, UNC or %VAR%\\",
     .rule = "A drive letter starting a word with \":\\\" or \":/\", then a name or the end; a "
             "UNC or device path (\\\\server\\share, \\\\?\\, \\\\.\\); or an environment "
             "variable and a backslash (%APPDATA%\\). A lone C: is not a path.",
     .needs = kBackslash,
     .otherwiseNeeds = kColon | kSlash,
     .shortest = 3,
     .matcher = MatchWindowsPath},
    {.id = TagId::UnixPath,
     .name = "unix-path",
     .description = "an absolute Unix path of two components or more",
     .rule = "\"/\" and two components or more of letters, digits and ._-$~+@%, one of them two "
             "characters long and one holding a letter, at the start of the text or after a "
             "space, a quote, a bracket, \"=\", \",\", \";\" or a compiler option (-I/usr).",
     .needs = kSlash,
     .shortest = 5,
     .matcher = MatchUnixPath},
    {.id = TagId::Registry,
     .name = "registry",
     .description = "a registry hive or key: HKEY_..., HKLM, SOFTWARE\\...",
     .rule = "A hive name (HKEY_LOCAL_MACHINE, any case) or abbreviation (HKLM, HKCU, HKCR, "
             "HKCC, HKU) standing as a word, or a root key: SOFTWARE\\ and a name, "
             "SYSTEM\\CurrentControlSet, SYSTEM\\ControlSet001, \\Registry\\Machine, "
             "\\Registry\\User; not inside a file path.",
     .needs = kBackslash,
     .otherwiseNeeds = kLetterH | kLetterK,
     .shortest = 3,  // "HKU"
     .matcher = MatchRegistry},
    {.id = TagId::Guid,
     .name = "guid",
     .description = "a GUID, with or without braces",
     .rule = "Hex digits in groups of 8, 4, 4, 4 and 12 joined by hyphens, with or without "
             "braces, not run on into more hex digits, letters or hyphens.",
     .needs = kDash,
     .shortest = 36,
     .longestRun = 12,
     .matcher = MatchGuid},
    {.id = TagId::Base64,
     .name = "base64",
     .description = "a long run of base64 data",
     .rule = "A run of 20 characters or more of the base64 alphabet and at most two \"=\", in "
             "whole groups of four with canonical padding, holding letters of both cases, that "
             "decodes to text or reads as random data rather than a name or a table.",
     .needs = kUpper | kLower,
     .shortest = 20,
     .longestRun = 18,  // two of the 20 may be '='
     .matcher = MatchBase64},
    {.id = TagId::Hash,
     .name = "hash",
     .description = "32, 40 or 64 hex digits: an MD5, SHA-1 or SHA-256 digest",
     .rule = "A word of exactly 32, 40 or 64 hex digits in one case, holding digits and letters "
             "and at least eight different digits (so not all one digit); not an alphabet table "
             "or an LLVM symbol.",
     .needs = kDigit | kHexLetter,
     .shortest = 32,
     .longestRun = 32,
     .matcher = MatchHash},
    {.id = TagId::Format,
     .name = "format",
     .description = "a printf-style conversion such as %s or %08x",
     .rule = "\"%\", an optional (key) or position, flags -+#0', width, precision, length and a "
             "conversion letter. Not %%, an environment variable (%APPDATA%), a URL escape, the "
             "zone of an IPv6 address, a register (%eax) or a name running on (%headers).",
     .needs = kPercent,
     .shortest = 2,
     .matcher = MatchFormat},
    {.id = TagId::UserAgent,
     .name = "user-agent",
     .description = "an HTTP user agent: Mozilla/..., curl/..., Wget/...",
     .rule = "A known browser, client or crawler (Mozilla, curl, Wget, python-requests, "
             "Go-http-client, ...) starting a word, then \"/\" and a version or a placeholder.",
     .needs = kSlash,
     .shortest = 6,
     .matcher = MatchUserAgent},
    {.id = TagId::Pdb,
     .name = "pdb",
     .description = "a debug-symbol path ending in .pdb",
     .rule = "A file name ending in .pdb (any case) before the end, a space or punctuation; not "
             "a wildcard (*.pdb) or a conversion (%s.pdb).",
     .needs = kDot | kLetterB,
     .shortest = 5,
     .matcher = MatchPdb},
}};

static_assert(
    [] {
      for (std::size_t i = 0; i < kTags.size(); ++i) {
        if (static_cast<std::size_t>(kTags[i].id) != i) {
          return false;
        }
      }
      return true;
    }(),
    "the rows follow TagId");

}  // namespace

std::span<const TagInfo> TagTable() {
  return kTags;
}

const TagInfo& TagInfoOf(TagId id) {
  return kTags[static_cast<std::size_t>(id)];
}

std::string_view TagName(TagId id) {
  return TagInfoOf(id).name;
}

std::optional<TagId> FindTag(std::string_view name) {
  for (const TagInfo& tag : kTags) {
    if (tag.name == name) {
      return tag.id;
    }
  }
  return std::nullopt;
}

}  // namespace quillex
