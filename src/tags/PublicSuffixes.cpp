#include "tags/PublicSuffixes.h"

// Third party
#include <libpsl.h>

namespace quillex {

PublicSuffixes::PublicSuffixes() {
  list_ = psl_builtin();
  if (list_ == nullptr) {
    loaded_ = psl_load_file(psl_dist_filename());
    list_ = loaded_;
  }
}

PublicSuffixes::~PublicSuffixes() {
  psl_free(loaded_);
}

bool PublicSuffixes::Ask(std::string_view name, int type) const {
  // A host name is at most 253 bytes; longer text is no name at all.
  char buffer[256];
  if (list_ == nullptr || name.empty() || name.size() >= sizeof buffer) {
    return false;
  }
  name.copy(buffer, name.size());
  buffer[name.size()] = '\0';
  return psl_is_public_suffix2(list_, buffer, type) != 0;
}

bool PublicSuffixes::IsListedTopLevel(std::string_view label) const {
  return Ask(label, PSL_TYPE_ANY | PSL_TYPE_NO_STAR_RULE);
}

bool PublicSuffixes::IsIcannSuffix(std::string_view host) const {
  return Ask(host, PSL_TYPE_ICANN | PSL_TYPE_NO_STAR_RULE);
}

}  // namespace quillex
