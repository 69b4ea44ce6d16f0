#include "tools/lemald/explorer_call.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

#include "automation/class_info.h"
#include "automation/registry.h"
#include "common/error.h"
#include "common/text.h"
#include "host/ado/recordset.h"
#include "testing/stand_ins.h"
#include "tools/lemald/code_snippets.h"
#include "tools/lemald/connection_step.h"
#include "tools/lemald/method_groups.h"

namespace lemald {
namespace {

using lema::ObjectRef;
using lema::Value;

// Reasons of the steps that fell back during the call in progress on this thread (the
// library reports them on the calling thread).
thread_local std::vector<std::string>* t_fallbacks = nullptr;

void note_fallback(std::string_view what) {
  if (!t_fallbacks) return;
  try {
    t_fallbacks->emplace_back(what);
  } catch (...) {
  }
}

struct CollectFallbacks {
  explicit CollectFallbacks(std::vector<std::string>& into) { t_fallbacks = &into; }
  ~CollectFallbacks() { t_fallbacks = nullptr; }
  CollectFallbacks(const CollectFallbacks&) = delete;
  CollectFallbacks& operator=(const CollectFallbacks&) = delete;
};

const lema::ClassInfo& class_info(std::string_view prog_id) {
  auto entry = lema::Registry::global().find(prog_id);
  if (!entry || !entry->info) throw RequestError(404, "no class " + std::string(prog_id));
  return *entry->info;
}

const GroupedMethod* grouped(std::string_view prog_id, std::string_view method) {
  for (const MethodGroup& g : method_groups())
    if (g.prog_id == prog_id)
      for (const GroupedMethod& m : g.methods)
        if (m.name == method) return &m;
  return nullptr;
}

json param_json(const lema::ParamInfo& p) {
  return json{{"name", std::string(p.name)},
              {"type", std::string(lema::type_name(p.type))},
              {"optional", p.optional},
              {"byref", p.byref}};
}

// Arrays are left out: the explorer's forms and code have no way to write them.
void refuse_arrays(const json& v) {
  if (v.is_object() && v.contains("$array"))
    throw RequestError(400, "arrays cannot be passed here");
}

// The column headings of a column descriptor table; a column without a heading is hidden.
json headings_of(const Value& table) {
  json out = json::array();
  if (!table.is_array()) return out;
  const lema::Array& a = table.as_array();
  auto add = [&](const Value& h) {
    out.push_back(json{{"text", h.is_string() ? std::string(h.as_string()) : std::string()},
                       {"hidden", !h.is_string() || h.as_string().empty()}});
  };
  if (a.rank() == 2)
    for (int32_t c = a.lbound(0); c <= a.ubound(0); ++c) add(a.at(c, a.lbound(1)));
  else if (a.rank() == 1)
    for (const Value& h : a.items()) add(h);
  return out;
}

json text_or_null(const Value& v) {
  return v.is_string() ? json(std::string(v.as_string())) : json(nullptr);
}

std::string prog_id_of(const json& request) {
  const json* c = request.is_object() && request.contains("class") ? &request.at("class") : nullptr;
  if (!c || !c->is_string()) throw RequestError(400, "the request names no class");
  auto entry = lema::Registry::global().find(c->get<std::string>());
  for (const MethodGroup& g : method_groups())
    if (entry && g.prog_id == entry->prog_id) return entry->prog_id;
  throw RequestError(404, "no class " + c->get<std::string>());
}

}  // namespace

json rows_json(const lema::ado::Recordset& rs, int64_t page) {
  json fields = json::array(), rows = json::array();
  for (int32_t c = 0; c < rs.field_count(); ++c) fields.push_back(rs.field(c).name);
  const int64_t total = std::min(rs.row_count(), kMaxRows);
  for (int64_t r = page * kPageRows; r < std::min(total, (page + 1) * kPageRows); ++r) {
    json row = json::array();
    for (int32_t c = 0; c < rs.field_count(); ++c) {
      const Value& v = rs.cell(r, c);
      row.push_back(v.is_null() ? json(nullptr) : json(lema::to_text(v)));
    }
    rows.push_back(std::move(row));
  }
  return json{{"fields", std::move(fields)},
              {"rows", std::move(rows)},
              {"total", total},
              {"truncated", rs.row_count() > kMaxRows},
              {"page", page},
              {"pageRows", kPageRows}};
}

std::mutex& library_mutex() {
  static std::mutex m;
  return m;
}

json describe_methods() {
  json groups = json::array();
  for (const MethodGroup& g : method_groups()) {
    const lema::ClassInfo& info = class_info(g.prog_id);
    json methods = json::array();
    for (const GroupedMethod& gm : g.methods) {
      const lema::Member* m = info.find(gm.name);
      if (!m) continue;
      json params = json::array(), settings = json::array();
      for (const lema::ParamInfo& p : m->params) params.push_back(param_json(p));
      for (std::string_view s : setting_names(gm.reads)) {
        const lema::Member* p = info.find(s);
        settings.push_back(
            json{{"name", std::string(s)},
                 {"type", std::string(lema::type_name(p ? p->type : lema::TypeTag::Variant))},
                 {"access", p ? p->kind_letters() : ""}});
      }
      methods.push_back(json{{"name", std::string(gm.name)},
                             {"returns", std::string(lema::type_name(m->type))},
                             {"params", std::move(params)},
                             {"settings", std::move(settings)}});
    }
    groups.push_back(json{{"class", std::string(g.prog_id)},
                          {"source", std::string(g.source)},
                          {"title", std::string(g.title)},
                          {"methods", std::move(methods)}});
  }
  return json{{"groups", std::move(groups)}};
}

json make_call(const json& request, const std::string& db_url) {
  std::lock_guard<std::mutex> lock(library_mutex());
  static const bool observing = (lema::set_swallow_observer(&note_fallback), true);
  (void)observing;

  const std::string prog_id = prog_id_of(request);
  const lema::ClassInfo& info = class_info(prog_id);
  const json& method_j = request.contains("method") ? request.at("method") : json();
  const std::string method = method_j.is_string() ? method_j.get<std::string>() : "";
  const lema::Member* member = info.find(method);
  if (!grouped(prog_id, method) || !member)
    throw RequestError(404, prog_id + " has no method " + (method.empty() ? "(none)" : method));
  const json empty_list = json::array(), empty_object = json::object();
  const json& args_j = request.contains("args") ? request.at("args") : empty_list;
  const json& settings_j = request.contains("settings") ? request.at("settings") : empty_object;
  const json& host_j = request.contains("host") ? request.at("host") : empty_object;
  if (!settings_j.is_object() || !host_j.is_object())
    throw RequestError(400, "\"settings\" and \"host\" must be objects");
  if (!args_j.is_array()) throw RequestError(400, "\"args\" must be a list");

  auto log = std::make_shared<lema::host::TextLog>();
  auto board = std::make_shared<lema::host::StandInBoard>(log);
  auto scoped = board->install();
  ObjectRef connection, host;
  std::map<std::string, ObjectRef> controls;
  ObjectNames names{[&](const std::string& n) -> ObjectRef {
                      if (n != "db") {
                        ObjectRef& c = controls[n];
                        if (!c) c = lema::host::make_control(n);
                        return c;
                      }
                      if (!connection) {
                        if (db_url.empty()) throw RequestError(400, "no database is configured");
                        connection = open_connection(db_url, {});
                      }
                      return connection;
                    },
                    [&](const lema::Object& o) -> std::string {
                      if (connection && connection->identity() == o.identity()) return "db";
                      if (host && host->identity() == o.identity()) return "host";
                      for (const auto& [n, c] : controls)
                        if (c->identity() == o.identity()) return n;
                      return {};
                    }};

  json out;
  std::vector<std::string> fallbacks;
  try {
    std::vector<Value> args;
    for (const json& a : args_j) {
      refuse_arrays(a);
      args.push_back(from_json(a, names));
    }
    ObjectRef obj = lema::create_object(prog_id);
    const std::string translate = host_j.value("translate", "off");
    if (translate != "off") {
      lema::host::RecordingHostConfig cfg;
      if (translate == "numbered")
        cfg.translation = lema::host::RecordingHostConfig::Translation::Numbered;
      else if (translate != "identity")
        throw RequestError(400, "translate is off, identity or numbered, not " + translate);
      if (host_j.contains("language")) cfg.language = from_json(host_j.at("language"), names);
      if (host_j.contains("company")) cfg.company = from_json(host_j.at("company"), names);
      host = lema::make_object<lema::host::RecordingHost>(std::move(cfg), log);
      lema::set_property(*obj, "ActiveInterface", Value(host));
    }
    for (const auto& [name, v] : settings_j.items()) {
      const lema::Member* p = info.find(name);
      if (!p || p->name != name || p->kind != lema::MemberKind::Property ||
          !(p->access & (lema::access::L | lema::access::S)) || p->name == "ActiveInterface")
        throw RequestError(400, name + " is not a setting of " + prog_id);
      refuse_arrays(v);
      Value value = from_json(v, names);
      if (value.is_object())
        lema::set_property(*obj, name, std::move(value));
      else
        lema::let_property(*obj, name, std::move(value));
    }

    Value result;
    {
      CollectFallbacks collect(fallbacks);
      result = obj->invoke(member->name, lema::InvokeKind::Call, args);
    }

    if (info.find("Caption")) {
      out["caption"] = text_or_null(lema::get_property(*obj, "Caption"));
      out["id"] = text_or_null(lema::get_property(*obj, "IDLookup"));
      out["headings"] = headings_of(lema::get_property(*obj, "ColonneLookup"));
      // The lookup that reads the database itself hands its rows over in a recordset.
      const Value rs = lema::get_property(*obj, "LookupRecordset");
      if (rs.is_object())
        if (auto* typed = dynamic_cast<const lema::ado::Recordset*>(rs.as_object().get()))
          out.update(rows_json(*typed, 0));
    }
    if (info.find("StringaSQL"))
      out["statement"] = text_or_null(lema::get_property(*obj, "StringaSQL"));
    if (info.find("ColonneDiDecodifica")) {
      json binding = json::array();
      Value table = lema::get_property(*obj, "ColonneDiDecodifica");
      if (table.is_array() && table.as_array().rank() == 2) {
        const lema::Array& a = table.as_array();
        for (int32_t r = a.lbound(0); r <= a.ubound(0); ++r) {
          const Value& control = a.at(r, a.lbound(1));
          std::string name =
              control.is_object() && control.as_object() ? names.name_of(*control.as_object()) : "";
          binding.push_back(json::array(
              {name.empty() ? json(nullptr) : json(name), text_or_null(a.at(r, a.lbound(1) + 1))}));
        }
      }
      out["binding"] = std::move(binding);
    }
    out["value"] = to_json(result, names);
    json after = json::array();
    for (const Value& a : args) after.push_back(to_json(a, names));
    out["args"] = std::move(after);
  } catch (const lema::Error& e) {
    throw RequestError(400, e.what());
  } catch (const ScriptError& e) {
    throw RequestError(400, e.what());
  } catch (const json::exception& e) {
    throw RequestError(400, e.what());
  }
  out["fallbacks"] = fallbacks;
  out["log"] = log->lines;
  std::vector<std::string> stand_ins;  // from the "CLASS#N create" lines
  for (const std::string& line : log->lines)
    if (line.size() > 7 && line.compare(line.size() - 7, 7, " create") == 0) {
      std::string cls = line.substr(0, line.find('#'));
      if (std::find(stand_ins.begin(), stand_ins.end(), cls) == stand_ins.end())
        stand_ins.push_back(cls);
    }
  out["code"] = code_snippets({info, *member, args_j, settings_j, host_j, db_url, stand_ins});
  return out;
}

}  // namespace lemald
