#include "tools/lemald/script.h"

#include <map>
#include <memory>
#include <ostream>
#include <vector>

#include "automation/class_info.h"
#include "automation/events.h"
#include "automation/registry.h"
#include "common/error.h"
#include "common/text.h"
#include "host/clock.h"
#include "host/date_text_converter.h"
#include "testing/stand_ins.h"
#include "tools/lemald/connection_step.h"
#include "tools/lemald/json_value.h"

namespace lemald {
namespace {

using lema::ObjectRef;
using lema::Value;

class Run;

// Writes each interaction into the run's log as soon as it happens, so that objects are
// named as they are at that moment (and not kept alive by the log).
class JsonLog final : public lema::host::InteractionSink {
 public:
  explicit JsonLog(Run& run) : run_(run) {}
  void record(const lema::host::Interaction& e) override;
  json take() {
    json r = std::move(entries_);
    entries_ = json::array();
    return r;
  }

 private:
  Run& run_;
  json entries_ = json::array();
};

// Observes the connector's events: logs each one, then answers as the handler step says.
class EventLogger final : public lema::EventSink {
 public:
  EventLogger(Run& run, std::string name) : run_(run), name_(std::move(name)) {}
  void on_event(const lema::Object&, std::string_view event, std::span<Value> args) override;
  std::optional<Value> cancel, called_program;

 private:
  Run& run_;
  std::string name_;
};

class Run {
 public:
  Run()
      : log_(std::make_shared<JsonLog>(*this)),
        board_(std::make_shared<lema::host::StandInBoard>(log_)) {
    names_.find = [this](const std::string& n) -> ObjectRef {
      auto it = objects_.find(n);
      return it == objects_.end() ? ObjectRef() : it->second;
    };
    names_.name_of = [this](const lema::Object& o) -> std::string {
      for (const auto& [n, obj] : objects_)
        if (obj->identity() == o.identity()) return n;
      return {};
    };
    scoped_ = board_->install();
  }
  ~Run() {
    loggers_.clear();
    objects_.clear();
    lema::host::pin_today(std::nullopt);
  }

  json execute(const json& script) {
    if (!script.is_object()) throw ScriptError("the script is not an object");
    if (script.contains("today")) {
      const json& t = script.at("today");
      auto d = t.is_string() ? lema::host::parse_date_text(t.get<std::string>()) : std::nullopt;
      if (!d) throw ScriptError("invalid today");
      lema::host::pin_today(*d);
    }
    if (!script.contains("steps") || !script.at("steps").is_array()) throw ScriptError("no steps");
    json results = json::array();
    size_t i = 0;
    for (const json& step : script.at("steps")) {
      try {
        results.push_back(run_step(step));
      } catch (const ScriptError& e) {
        throw ScriptError("step " + std::to_string(i) + ": " + e.what());
      } catch (const json::exception& e) {
        throw ScriptError("step " + std::to_string(i) + ": " + e.what());
      }
      ++i;
    }
    return json{{"results", std::move(results)}};
  }

  const ObjectNames& names() const { return names_; }
  lema::host::InteractionSink& sink() { return *log_; }

 private:
  static const json& field(const json& step, const char* name) {
    if (!step.contains(name)) throw ScriptError(std::string("missing field \"") + name + "\"");
    return step.at(name);
  }
  static std::string text_field(const json& step, const char* name) {
    const json& f = field(step, name);
    if (!f.is_string()) throw ScriptError(std::string("field \"") + name + "\" must be a text");
    return f.get<std::string>();
  }
  ObjectRef object(const json& step) {
    std::string n = text_field(step, "obj");
    auto it = objects_.find(n);
    if (it == objects_.end()) throw ScriptError("no object named " + n);
    return it->second;
  }
  void name(const std::string& as, ObjectRef o) { objects_[as] = std::move(o); }

  static json error(const std::exception& e) { return json{{"error", e.what()}}; }

  json run_step(const json& step) {
    if (!step.is_object() || !step.contains("op") || !step.at("op").is_string())
      throw ScriptError("a step needs an \"op\"");
    const std::string op = step.at("op").get<std::string>();
    if (op == "host") return host_step(step);
    if (op == "control") {
      std::string as = text_field(step, "as");
      name(as, lema::host::make_control(as));
      return json{{"ok", true}};
    }
    if (op == "new") {
      std::string cls = text_field(step, "class"), as = text_field(step, "as");
      try {
        ObjectRef o = lema::create_object(cls);
        if (auto* src = dynamic_cast<lema::EventSource*>(o.get())) {
          auto logger = std::make_shared<EventLogger>(*this, as);
          src->advise(logger);
          loggers_[as] = logger;
        }
        name(as, std::move(o));
        return json{{"ok", true}};
      } catch (const lema::Error& e) {
        return error(e);
      }
    }
    if (op == "let" || op == "set") {
      ObjectRef o = object(step);
      std::string prop = text_field(step, "prop");
      Value v = from_json(field(step, "value"), names_);
      try {
        if (op == "let")
          lema::let_property(*o, prop, std::move(v));
        else
          lema::set_property(*o, prop, std::move(v));
        return json{{"ok", true}};
      } catch (const lema::Error& e) {
        return error(e);
      }
    }
    if (op == "get") {
      ObjectRef o = object(step);
      std::string prop = text_field(step, "prop");
      try {
        Value v = lema::get_property(*o, prop);
        return json{{"value", to_json(v, names_)}};
      } catch (const lema::Error& e) {
        return error(e);
      }
    }
    if (op == "call") return call_step(step);
    if (op == "members") return members_step(step);
    if (op == "release") {
      std::string n = text_field(step, "obj");
      auto it = objects_.find(n);
      if (it == objects_.end()) throw ScriptError("no object named " + n);
      ObjectRef o = std::move(it->second);
      objects_.erase(it);
      loggers_.erase(n);
      o.reset();
      return json{{"ok", true}};
    }
    if (op == "connection") {
      std::string as = text_field(step, "as"), url = text_field(step, "url");
      std::vector<std::string> sql;
      if (step.contains("sql"))
        for (const json& s : step.at("sql")) sql.push_back(s.get<std::string>());
      try {
        name(as, open_connection(url, sql));
        return json{{"ok", true}};
      } catch (const std::exception& e) {
        return error(e);
      }
    }
    if (op == "close") {
      ObjectRef o = object(step);
      try {
        close_connection(*o);
        return json{{"ok", true}};
      } catch (const std::exception& e) {
        return error(e);
      }
    }
    if (op == "sibling") return sibling_step(step);
    if (op == "handler") {
      std::string n = text_field(step, "obj");
      object(step);
      auto it = loggers_.find(n);
      if (it == loggers_.end()) return json{{"error", n + " raises no events"}};
      if (step.contains("cancel")) it->second->cancel = from_json(step.at("cancel"), names_);
      if (step.contains("calledProgram"))
        it->second->called_program = from_json(step.at("calledProgram"), names_);
      return json{{"ok", true}};
    }
    if (op == "pick") return pick_step(step);
    if (op == "log") {
      return json{{"log", log_->take()}};
    }
    throw ScriptError("unknown op \"" + op + "\"");
  }

  json host_step(const json& step) {
    lema::host::RecordingHostConfig cfg;
    cfg.name = text_field(step, "as");
    if (step.contains("language")) cfg.language = from_json(step.at("language"), names_);
    if (step.contains("company")) cfg.company = from_json(step.at("company"), names_);
    if (step.contains("hostOption")) cfg.host_option = step.at("hostOption").get<bool>();
    if (step.contains("translate")) {
      const json& t = step.at("translate");
      using T = lema::host::RecordingHostConfig::Translation;
      if (t.is_string() && t.get<std::string>() == "identity")
        cfg.translation = T::Identity;
      else if (t.is_string() && t.get<std::string>() == "numbered")
        cfg.translation = T::Numbered;
      else if (t.is_object() && t.contains("prefix")) {
        cfg.translation = T::Prefix;
        cfg.prefix = t.at("prefix").get<std::string>();
      } else
        throw ScriptError("unknown translate form " + t.dump());
    }
    if (step.contains("fail"))
      for (const json& f : step.at("fail")) cfg.fail.insert(f.get<std::string>());
    std::string as = cfg.name;
    name(as, lema::make_object<lema::host::RecordingHost>(std::move(cfg), log_));
    return json{{"ok", true}};
  }

  json call_step(const json& step) {
    ObjectRef o = object(step);
    std::string method = text_field(step, "method");
    std::vector<Value> args;
    if (step.contains("args")) {
      const json& a = step.at("args");
      if (!a.is_array()) throw ScriptError("\"args\" must be a list");
      for (const json& x : a) args.push_back(from_json(x, names_));
    }
    try {
      Value r = o->invoke(method, lema::InvokeKind::Call, args);
      json out_args = json::array();
      for (const Value& a : args) out_args.push_back(to_json(a, names_));
      return json{{"value", to_json(r, names_)}, {"args", std::move(out_args)}};
    } catch (const lema::Error& e) {
      return error(e);
    }
  }

  json members_step(const json& step) {
    std::string cls = text_field(step, "class");
    auto entry = lema::Registry::global().find(cls);
    if (!entry) return json{{"error", "Cannot create an instance of " + cls}};
    const lema::ClassInfo* info = entry->info;
    ObjectRef keep;
    try {
      if (!info) {
        keep = lema::create_object(cls);
        info = &keep->class_info();
      }
    } catch (const lema::Error& e) {
      return error(e);
    }
    json list = json::array();
    for (const lema::Member& m : info->members())
      list.push_back(json{{"name", std::string(m.name)}, {"kind", m.kind_letters()}});
    return json{{"members", std::move(list)}};
  }

  json sibling_step(const json& step) {
    std::string cls = text_field(step, "class");
    lema::host::StandInConfig& cfg = board_->config(cls);
    if (step.contains("absent")) cfg.absent = step.at("absent").get<bool>();
    if (step.contains("fail"))
      for (const json& f : step.at("fail")) cfg.fail.insert(f.get<std::string>());
    if (step.contains("returns"))
      for (auto& [k, v] : step.at("returns").items()) cfg.returns[k] = from_json(v, names_);
    if (step.contains("byref"))
      for (auto& [k, v] : step.at("byref").items()) cfg.byref[k] = from_json(v, names_);
    return json{{"ok", true}};
  }

  json pick_step(const json& step) {
    ObjectRef cn = object(step);
    Value data = step.contains("data") ? from_json(step.at("data"), names_) : Value();
    Value cancel = step.contains("cancel") ? from_json(step.at("cancel"), names_) : Value(false);
    Value called = step.contains("calledProgram") ? from_json(step.at("calledProgram"), names_)
                                                  : Value(int32_t{0});
    ObjectRef sibling = board_->sibling_of(*cn);
    if (!sibling) return json{{"error", text_field(step, "obj") + " holds no sibling connector"}};
    try {
      lema::host::pick(*sibling, cancel, data, called);
      return json{{"cancel", to_json(cancel, names_)}, {"calledProgram", to_json(called, names_)}};
    } catch (const lema::Error& e) {
      return error(e);
    }
  }

  friend class JsonLog;
  std::shared_ptr<JsonLog> log_;
  std::shared_ptr<lema::host::StandInBoard> board_;
  std::vector<std::unique_ptr<lema::ScopedClass>> scoped_;
  std::map<std::string, ObjectRef> objects_;
  std::map<std::string, std::shared_ptr<EventLogger>> loggers_;
  ObjectNames names_;
};

void JsonLog::record(const lema::host::Interaction& e) {
  json entry{{"who", std::string(e.who)}, {"what", std::string(e.what)}};
  if (!e.name.empty()) entry["name"] = std::string(e.name);
  if (e.value) entry["value"] = to_json(*e.value, run_.names());
  if (e.has_args) {
    json a = json::array();
    for (const Value& v : e.args) a.push_back(to_json(v, run_.names()));
    entry["args"] = std::move(a);
  }
  entries_.push_back(std::move(entry));
}

void EventLogger::on_event(const lema::Object&, std::string_view event, std::span<Value> args) {
  lema::host::Interaction e{name_, "event", event};
  e.args = args;
  e.has_args = true;
  run_.sink().record(e);
  if (cancel && !args.empty()) args[0] = *cancel;
  if (called_program && args.size() > 2) args[2] = *called_program;
}

}  // namespace

int run_script(const std::string& text, std::ostream& out, std::ostream& err) {
  json script;
  try {
    script = json::parse(text);
  } catch (const json::exception& e) {
    err << "lemald: the script is not valid JSON: " << e.what() << "\n";
    return 2;
  }
  try {
    Run run;
    json results = run.execute(script);
    out << results.dump(-1, ' ', false, json::error_handler_t::replace) << "\n";
    return 0;
  } catch (const std::exception& e) {
    err << "lemald: " << e.what() << "\n";
    return 2;
  }
}

}  // namespace lemald
