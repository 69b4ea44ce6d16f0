#include "tools/lemald/human.h"

#include <memory>
#include <ostream>

#include "automation/class_info.h"
#include "automation/registry.h"
#include "common/error.h"
#include "common/text.h"
#include "testing/stand_ins.h"
#include "tools/lemald/connection_step.h"
#include "tools/lemald/json_value.h"

namespace lemald {

std::string readable(std::string_view sql) {
  std::string out;
  for (size_t i = 0; i < sql.size(); ++i) {
    if (sql[i] == '\r' && i + 1 < sql.size() && sql[i + 1] == '\n') {
      out += "\u21B5\n";
      ++i;
    } else if (sql[i] == '\r') {
      out += "\u240D\n";
    } else {
      out += sql[i];
    }
  }
  return out;
}

namespace {

using lema::Value;

class Discard final : public lema::host::InteractionSink {
 public:
  void record(const lema::host::Interaction&) override {}
};

// A command-line value: JSON when it parses as JSON, otherwise the text itself.
Value cli_value(const std::string& s, const ObjectNames& names) {
  json j = json::parse(s, nullptr, false);
  if (j.is_discarded()) return Value(s);
  return from_json(j, names);
}

std::string shown(const Value& v) {
  if (v.is_string()) return std::string(v.as_string());
  ObjectNames none{[](const std::string&) { return lema::ObjectRef(); },
                   [](const lema::Object&) { return std::string(); }};
  return to_json(v, none).dump();
}

}  // namespace

int print_lookup(const LookupOptions& o, std::ostream& out, std::ostream& err) {
  auto board = std::make_shared<lema::host::StandInBoard>(std::make_shared<Discard>());
  auto scoped = board->install();
  lema::ObjectRef connection;
  ObjectNames names{
      [&](const std::string& n) { return n == "db" ? connection : lema::ObjectRef(); },
      [](const lema::Object&) { return std::string(); }};
  lema::ObjectRef lk = lema::create_object("LEMA_LOOKUPDECODE.CLSCG_LOOKUP");
  if (!o.language.empty() || !o.company.empty()) {
    lema::host::RecordingHostConfig cfg;
    if (!o.language.empty()) cfg.language = cli_value(o.language, names);
    if (!o.company.empty()) cfg.company = cli_value(o.company, names);
    lema::set_property(
        *lk, "ActiveInterface",
        Value(lema::ObjectRef(lema::make_object<lema::host::RecordingHost>(cfg, nullptr))));
  }
  for (const std::string& s : o.sets) {
    auto eq = s.find('=');
    if (eq == std::string::npos) {
      err << "lemald: --set takes PROP=VALUE, got " << s << "\n";
      return 2;
    }
    Value v = cli_value(s.substr(eq + 1), names);
    if (v.is_object())
      lema::set_property(*lk, s.substr(0, eq), v);
    else
      lema::let_property(*lk, s.substr(0, eq), v);
  }
  if (!o.db.empty()) connection = open_connection(o.db, {});
  std::vector<Value> args;
  for (const std::string& a : o.args)
    args.push_back(a == "@db" ? Value(connection) : cli_value(a, names));
  Value result = lk->invoke(o.method, lema::InvokeKind::Call, args);

  out << "Caption:    " << shown(lema::get_property(*lk, "Caption")) << "\n";
  out << "IDLookup:   " << shown(lema::get_property(*lk, "IDLookup")) << "\n";
  if (!result.is_empty()) out << "Result:     " << shown(result) << "\n";
  Value cols = lema::get_property(*lk, "ColonneLookup");
  out << "Columns:\n";
  if (cols.is_array() && cols.as_array().rank() == 2) {
    const lema::Array& a = cols.as_array();
    for (int32_t c = a.lbound(0); c <= a.ubound(0); ++c)
      out << "  " << c << "  " << shown(a.at(c, a.lbound(1))) << "\n";
  }
  out << "StringaSQL:\n";
  Value sql = lema::get_property(*lk, "StringaSQL");
  // A lookup that reads its rows itself leaves no statement.
  std::string text = sql.is_string()  ? std::string(sql.as_string())
                     : sql.is_empty() ? std::string("(none)")
                                      : shown(sql);
  out << (o.raw ? text : readable(text)) << "\n";
  if (!o.db.empty()) {
    // The lookup's own rows when it read them, otherwise the rows of its statement.
    Value rs = lema::get_property(*lk, "LookupRecordset");
    if (rs.is_object() && !rs.as_object() && sql.is_string() && !sql.as_string().empty())
      rs = lema::call_method(*connection, "Execute", {sql});
    out << "Rows:\n";
    print_recordset(rs, out, cols);
  }
  return 0;
}

int print_members(const std::string& cls, std::ostream& out, std::ostream& err) {
  auto entry = lema::Registry::global().find(cls);
  const lema::ClassInfo* info = entry ? entry->info : nullptr;
  lema::ObjectRef keep;
  if (!info) {
    try {
      keep = lema::create_object(cls);
      info = &keep->class_info();
    } catch (const lema::Error& e) {
      err << "lemald: " << e.what() << "\n";
      return 1;
    }
  }
  for (const lema::Member& m : info->members()) out << m.name << "\t" << m.kind_letters() << "\n";
  return 0;
}

}  // namespace lemald
