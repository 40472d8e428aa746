#pragma once

// Standard library
#include <string_view>

namespace quillex {

class PublicSuffixes;
class SuffixCache;

// What a matcher may consult besides the text: the suffix list and the
// calling thread's cache of its answers.
struct MatchContext {
  const PublicSuffixes& suffixes;
  SuffixCache& cache;
};

// Each matcher says whether `text` (stored Windows-1252 bytes) holds one
// indicator of its tag anywhere in it. The tag table (TagTable.cpp) pairs each
// with its name, its description and the byte classes the text must hold
// before the matcher is asked; the comments in the matchers' files give the
// rules in full.
bool MatchUrl(std::string_view text, MatchContext& context);
bool MatchDomain(std::string_view text, MatchContext& context);
bool MatchIpv4(std::string_view text, MatchContext& context);
bool MatchIpv6(std::string_view text, MatchContext& context);
bool MatchEmail(std::string_view text, MatchContext& context);
bool MatchUserAgent(std::string_view text, MatchContext& context);
bool MatchWindowsPath(std::string_view text, MatchContext& context);
bool MatchUnixPath(std::string_view text, MatchContext& context);
bool MatchRegistry(std::string_view text, MatchContext& context);
bool MatchPdb(std::string_view text, MatchContext& context);
bool MatchGuid(std::string_view text, MatchContext& context);
bool MatchBase64(std::string_view text, MatchContext& context);
bool MatchHash(std::string_view text, MatchContext& context);
bool MatchFormat(std::string_view text, MatchContext& context);

}  // namespace quillex
