#pragma once

// Standard library
#include <string_view>

struct psl_ctx_st;

namespace quillex {

// The Public Suffix List, as libpsl carries it compiled in.
//
// The list built into the library is used rather than the newest one on the
// machine (psl_latest): Debian's libpsl5 holds the list of its build, so it
// answers the same on a bare build machine, on a user's machine and in the
// tests, whether or not the publicsuffix data package is installed (libpsl5
// only recommends it). Only where a libpsl was built without a list is the
// distribution's file read instead; with neither, nothing is a suffix.
//
// libpsl answers one question in about 300 ns, far too slow for every text of
// a scan; SuffixCache keeps the answers for top-level names.
class PublicSuffixes {
 public:
  PublicSuffixes();
  ~PublicSuffixes();
  PublicSuffixes(const PublicSuffixes&) = delete;
  PublicSuffixes& operator=(const PublicSuffixes&) = delete;

  // Whether a list was found.
  [[nodiscard]] bool Available() const { return list_ != nullptr; }
  // Whether the lower-case ASCII `label` is a top-level name on the list
  // ("com", "uk", "zip"). The list's implicit rule that any unknown name is a
  // suffix does not count: "dll" and "generic" are not listed.
  [[nodiscard]] bool IsListedTopLevel(std::string_view label) const;
  // Whether the lower-case ASCII `host` is itself a suffix of the list's ICANN
  // section ("co.uk", "com"), under which names are registered. Suffixes of
  // the private section ("github.io") are names too and do not count.
  [[nodiscard]] bool IsIcannSuffix(std::string_view host) const;

 private:
  [[nodiscard]] bool Ask(std::string_view name, int type) const;

  const psl_ctx_st* list_ = nullptr;
  psl_ctx_st* loaded_ = nullptr;  // the file read when nothing was built in
};

}  // namespace quillex
