#include "views/JsonLinesWriter.h"

// Standard library
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Ours
#include "platform/Utf8.h"
#include "tags/TagTable.h"
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

// ["url","domain"]
void TagList(std::string& out, TagSet tags) {
  out += '[';
  bool first = true;
  for (const TagInfo& tag : TagTable()) {
    if (HasTag(tags, tag.id)) {
      out += first ? "\"" : ",\"";
      AppendJsonEscaped(out, tag.name);
      out += '"';
      first = false;
    }
  }
  out += ']';
}

// The members of every object, in order: a new field is one more line here.
// Fields added later go at the end, so that readers of the older records
// find every member where it was.
constexpr std::array<JsonMember, 9> kMembers{{
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
    {"section",
     [](const RecordRow& row, std::string& out) {
       out += '"';
       AppendJsonEscapedCp1252(out, row.Section());
       out += '"';
     }},
    {"tags", [](const RecordRow& row, std::string& out) { TagList(out, row.Tags()); }},
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
  record_.clear();
  AppendRecord(RecordRow{source, result, fileField_}, record_);
  out.Put(record_);
}

void JsonLinesWriter::AppendRecord(const RecordRow& row, std::string& out) {
  const std::array<std::string, kMembers.size()>& keys = MemberKeys();
  for (std::size_t i = 0; i < kMembers.size(); ++i) {
    out += keys[i];
    kMembers[i].write(row, out);
  }
  out += "}\n";
}

std::string JsonLinesWriter::Record(const WriterSource& source, std::uint32_t result) {
  std::string fileField;
  AppendJsonEscaped(fileField, ValidUtf8(source.fileName));
  std::string record;
  AppendRecord(RecordRow{source, result, fileField}, record);
  return record;
}

}  // namespace quillex
