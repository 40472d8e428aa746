#include "views/JsonLinesWriter.h"

// Standard library
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Ours
#include "platform/Utf8.h"
#include "views/JsonText.h"
#include "views/OutputBuffer.h"
#include "views/RecordRow.h"

namespace quillex {

namespace {

struct JsonMember {
  std::string_view name;
  RecordField write;  // the value, quotes included
};

void Quoted(std::string& out, std::string_view escaped) {
  out += '"';
  out += escaped;
  out += '"';
}

// The members of every object, in order: a new field is one more line here.
constexpr std::array<JsonMember, 7> kMembers{{
    {"file", [](const RecordRow& row, std::string& out) { Quoted(out, row.fileField); }},
    {"kind", [](const RecordRow& row, std::string& out) { Quoted(out, KindName(row.Kind())); }},
    {"offset", [](const RecordRow& row, std::string& out) { AppendDecimal(out, row.Offset()); }},
    {"address", [](const RecordRow& row, std::string& out) { AppendDecimal(out, row.Address()); }},
    {"id", [](const RecordRow& row, std::string& out) { AppendDecimal(out, row.Id()); }},
    {"text",
     [](const RecordRow& row, std::string& out) {
       out += '"';
       AppendJsonEscapedCp1252(out, row.Text());
       out += '"';
     }},
    {"length",
     [](const RecordRow& row, std::string& out) { AppendDecimal(out, row.Text().size()); }},
}};

// What stands before each member's value: "{\"file\":", ",\"kind\":", ...,
// put together once.
const std::array<std::string, kMembers.size()>& MemberKeys() {
  static const std::array<std::string, kMembers.size()> keys = [] {
    std::array<std::string, kMembers.size()> made;
    for (std::size_t i = 0; i < kMembers.size(); ++i) {
      made[i] = (i == 0 ? "{\"" : ",\"") + std::string(kMembers[i].name) + "\":";
    }
    return made;
  }();
  return keys;
}

}  // namespace

void JsonLinesWriter::BeginFile(const WriterSource& source, OutputBuffer& /*out*/) {
  fileField_.clear();
  AppendJsonEscaped(fileField_, ValidUtf8(source.fileName));
}

void JsonLinesWriter::Row(const WriterSource& source, std::uint32_t result, OutputBuffer& out) {
  const RecordRow row{source, result, fileField_};
  const std::array<std::string, kMembers.size()>& keys = MemberKeys();
  record_.clear();
  for (std::size_t i = 0; i < kMembers.size(); ++i) {
    record_ += keys[i];
    kMembers[i].write(row, record_);
  }
  record_ += "}\n";
  out.Put(record_);
}

}  // namespace quillex
