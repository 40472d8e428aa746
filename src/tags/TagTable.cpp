#include "tags/TagTable.h"

// Standard library
#include <array>

// Ours
#include "tags/TagByteClasses.h"

namespace quillex {
namespace {

using namespace byteclass;

// The tags: name, description, what the prefilter asks of a text, and the
// matcher. A text may carry several tags: a URL with a host name carries url
// and domain, an address carries email and domain, "C:\x\app.pdb" carries
// windows-path and pdb, "::ffff:10.0.0.1" carries ipv6 and ipv4.
constexpr std::array<TagInfo, kTagCount> kTags = {{
    {TagId::Url, "url", "a URL: scheme://... for http, https, ftp, ws, wss, file and the like",
     kColon | kSlash, 0, 6, 0, MatchUrl},
    {TagId::Domain, "domain", "a host name under a suffix of the Public Suffix List", kDot | kLower,
     kDot | kUpper, 4, 0, MatchDomain},
    {TagId::Ipv4, "ipv4", "an IPv4 address, optionally with a port", kDot | kDigit, 0, 7, 0,
     MatchIpv4},
    {TagId::Ipv6, "ipv6", "an IPv6 address: full, compressed or in brackets", kColon, 0, 3, 0,
     MatchIpv6},
    {TagId::Email, "email", "an e-mail address", kAt | kDot, 0, 6, 0, MatchEmail},
    {TagId::WindowsPath, "windows-path", "a Windows path: drive letter, UNC or %VAR%\\", kBackslash,
     kColon | kSlash, 3, 0, MatchWindowsPath},
    {TagId::UnixPath, "unix-path", "an absolute Unix path of two components or more", kSlash, 0, 5,
     0, MatchUnixPath},
    {TagId::Registry, "registry", "a registry hive or key: HKEY_..., HKLM, SOFTWARE\\...",
     kBackslash, kLetterH | kLetterK, 4, 0, MatchRegistry},
    {TagId::Guid, "guid", "a GUID, with or without braces", kDash, 0, 36, 12, MatchGuid},
    {TagId::Base64, "base64", "a long run of base64 data", kUpper | kLower, 0, 20, 18, MatchBase64},
    {TagId::Hash, "hash", "32, 40 or 64 hex digits: an MD5, SHA-1 or SHA-256 digest",
     kDigit | kHexLetter, 0, 32, 32, MatchHash},
    {TagId::Format, "format", "a printf-style conversion such as %s or %08x", kPercent, 0, 2, 0,
     MatchFormat},
    {TagId::UserAgent, "user-agent", "an HTTP user agent: Mozilla/..., curl/..., Wget/...", kSlash,
     0, 6, 0, MatchUserAgent},
    {TagId::Pdb, "pdb", "a debug-symbol path ending in .pdb", kDot | kLetterB, 0, 5, 0, MatchPdb},
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
