#include "tools/lemald/script.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

#include "automation/class_info.h"
#include "automation/events.h"
#include "automation/registry.h"
#include "common/error.h"
#include "common/message_text.h"
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

// Every text of the output is written as the document as a whole would be.
std::string dumped(const json& j) {
  return j.dump(-1, ' ', false, json::error_handler_t::replace);
}

// Writes each interaction into the run's log as soon as it happens, so that objects are
// named as they are at that moment (and not kept alive by the log). Entries are kept as
// their JSON text, a fraction of the memory of the parsed form.
class JsonLog final : public lema::host::InteractionSink {
 public:
  explicit JsonLog(Run& run) : run_(run) {}
  void record(const lema::host::Interaction& e) override;
  // The entries so far, comma-separated, and an empty log.
  std::string take() { return std::exchange(entries_, std::string()); }

 private:
  Run& run_;
  std::string entries_;
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
    names_.missing = [this](const std::string& n) { return missing(n); };
    scoped_ = board_->install();
  }
  ~Run() {
    loggers_.clear();
    objects_.clear();
    lema::host::pin_today(std::nullopt);
  }

  // Runs step number `index` and gives its result as JSON text; raises ScriptError naming
  // the step for a script error.
  std::string execute(const json& step, size_t index) {
    index_ = index;
    try {
      if (step.is_object() && step.contains("op") && step.at("op") == "log")
        return "{\"log\":[" + log_->take() + "]}";
      return dumped(run_step(step));
    } catch (const std::exception& e) {  // ScriptError, json::exception, a value's Error
      throw ScriptError("step " + std::to_string(index) + ": " + e.what());
    }
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
    if (it == objects_.end()) throw ScriptError(missing(n));
    return it->second;
  }
  void name(const std::string& as, ObjectRef o) {
    objects_[as] = std::move(o);
    failures_.erase(as);
  }
  // The error for a name that no object has, with the reason when a step that was to
  // create it failed.
  std::string missing(const std::string& n) const {
    std::string text = "no object named " + lema::message_text(n);
    if (auto it = failures_.find(n); it != failures_.end()) text += ": " + it->second;
    return text;
  }

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
      if (it == objects_.end()) throw ScriptError(missing(n));
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
        failures_[as] = "its connection failed at step " + std::to_string(index_) + ": " +
                        lema::message_text(e.what());
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
      if (it == loggers_.end()) return json{{"error", lema::message_text(n) + " raises no events"}};
      if (step.contains("cancel")) it->second->cancel = from_json(step.at("cancel"), names_);
      if (step.contains("calledProgram"))
        it->second->called_program = from_json(step.at("calledProgram"), names_);
      return json{{"ok", true}};
    }
    if (op == "pick") return pick_step(step);
    throw ScriptError("unknown op \"" + lema::message_text(op) + "\"");
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
        throw ScriptError("unknown translate form " + lema::message_text(dumped(t)));
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
    if (!entry) return json{{"error", "Cannot create an instance of " + lema::message_text(cls)}};
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
    if (!sibling)
      return json{
          {"error", lema::message_text(text_field(step, "obj")) + " holds no sibling connector"}};
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
  std::map<std::string, std::string> failures_;  // name -> why the step naming it failed
  ObjectNames names_;
  size_t index_ = 0;  // of the step running
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
  if (!entries_.empty()) entries_ += ',';
  entries_ += dumped(entry);
}

void EventLogger::on_event(const lema::Object&, std::string_view event, std::span<Value> args) {
  lema::host::Interaction e{name_, "event", event};
  e.args = args;
  e.has_args = true;
  run_.sink().record(e);
  if (cancel && !args.empty()) args[0] = *cancel;
  if (called_program && args.size() > 2) args[2] = *called_program;
}

// First reading: checks that the script is valid JSON, no deeper than kMaxJsonNesting,
// an object with a list of steps, and finds its "today" (wherever it stands). As a parsed
// document would, the last of repeated top-level keys counts.
class ScriptShape final : public nlohmann::json_sax<json> {
 public:
  std::optional<std::string> error;  // a script error found, without "lemald: "
  bool is_object = false;
  size_t steps_keys = 0;         // "steps" keys at the top level
  bool steps_is_list = false;    // the last one holds a list
  std::optional<bool> today_ok;  // the last "today": a valid date; none when absent
  lema::Date today;

  bool null() override { return scalar(json::value_t::null); }
  bool boolean(bool) override { return scalar(json::value_t::boolean); }
  bool number_integer(number_integer_t) override { return scalar(json::value_t::number_integer); }
  bool number_unsigned(number_unsigned_t) override {
    return scalar(json::value_t::number_unsigned);
  }
  bool number_float(number_float_t, const string_t&) override {
    return scalar(json::value_t::number_float);
  }
  bool string(string_t& val) override {
    if (depth_ == 1 && key_ == "today") {
      auto d = lema::host::parse_date_text(val);
      today_ok = d.has_value();
      if (d) today = *d;
      key_.clear();
      return true;
    }
    return scalar(json::value_t::string);
  }
  bool binary(binary_t&) override { return scalar(json::value_t::binary); }
  bool start_object(std::size_t) override { return open(json::value_t::object); }
  bool end_object() override { return close(); }
  bool start_array(std::size_t) override { return open(json::value_t::array); }
  bool end_array() override { return close(); }
  bool key(string_t& val) override {
    if (depth_ == 1) {
      key_ = val;
      if (key_ == "steps") ++steps_keys;
    }
    return true;
  }
  bool parse_error(std::size_t, const std::string& last_token,
                   const nlohmann::detail::exception& ex) override {
    // The message quotes the last token read, which may be a whole long text: shorten it.
    std::string what = ex.what();
    if (size_t at = what.rfind(last_token); !last_token.empty() && at != std::string::npos)
      what.replace(at, last_token.size(), lema::message_text(last_token));
    error = "the script is not valid JSON: " + what;
    return false;
  }

 private:
  // A value at the top level of the script object settles the key it belongs to.
  void settle(json::value_t type) {
    if (depth_ != 1) return;
    if (key_ == "steps") steps_is_list = type == json::value_t::array;
    if (key_ == "today") today_ok = false;
    key_.clear();
  }
  bool scalar(json::value_t type) {
    if (depth_ == 0) return true;  // a bare value: not an object
    settle(type);
    if (depth_ == 2 && in_steps_) ++step_;
    return true;
  }
  bool open(json::value_t type) {
    if (depth_ == 0) is_object = type == json::value_t::object;
    if (depth_ == 1) in_steps_ = key_ == "steps";
    settle(type);
    if (++depth_ > kMaxJsonNesting) {
      error = (in_steps_ && depth_ > 2 ? "step " + std::to_string(step_) + ": " : std::string()) +
              "JSON nested more than " + std::to_string(kMaxJsonNesting) + " levels deep";
      return false;
    }
    return true;
  }
  bool close() {
    if (--depth_ == 2 && in_steps_) ++step_;
    if (depth_ == 1) in_steps_ = false;
    return true;
  }

  size_t depth_ = 0;
  std::string key_;  // the top-level key whose value comes next
  bool in_steps_ = false;
  size_t step_ = 0;
};

// The results document, {"results":[r0,r1,...]}, written one result at a time: straight
// to the output when streaming, otherwise to an unnamed temporary file (in memory when
// none can be made) that is copied to the output once the run has succeeded.
class ResultWriter {
 public:
  ResultWriter(std::ostream& out, bool stream)
      : out_(out), spool_(stream ? nullptr : std::tmpfile()), buffered_(!stream && !spool_) {}
  ~ResultWriter() {
    if (spool_) std::fclose(spool_);
  }
  ResultWriter(const ResultWriter&) = delete;
  ResultWriter& operator=(const ResultWriter&) = delete;

  void add(const std::string& result) {
    write(count_++ == 0 ? "{\"results\":[" : ",");
    write(result);
  }
  void finish() {
    write(count_ == 0 ? "{\"results\":[]}\n" : "]}\n");
    if (buffered_) out_ << buffer_;
    if (spool_) {
      if (std::fflush(spool_) != 0 || std::fseek(spool_, 0, SEEK_SET) != 0)
        throw std::runtime_error(std::string("cannot read back the results: ") +
                                 std::strerror(errno));
      char chunk[1 << 16];
      for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, spool_)) > 0;)
        out_.write(chunk, static_cast<std::streamsize>(n));
    }
    out_.flush();
  }

 private:
  void write(std::string_view text) {
    if (spool_) {
      if (std::fwrite(text.data(), 1, text.size(), spool_) != text.size())
        throw std::runtime_error(std::string("cannot keep the results: ") + std::strerror(errno));
    } else if (buffered_) {
      buffer_ += text;
    } else {
      out_ << text;
    }
  }

  std::ostream& out_;
  std::FILE* spool_;
  bool buffered_;
  std::string buffer_;
  size_t count_ = 0;
};

struct FileCloser {
  void operator()(std::FILE* f) const noexcept { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// The script as a file that can be read twice: the named file, or standard input copied to
// an unnamed temporary file.
File open_script(const std::string& file) {
  if (file != "-") {
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec))
      throw ScriptError("cannot read " + lema::message_text(file) + ": it is a directory");
    File f(std::fopen(file.c_str(), "rb"));
    if (!f)
      throw ScriptError("cannot read " + lema::message_text(file) + ": " + std::strerror(errno));
    return f;
  }
  File f(std::tmpfile());
  if (!f) throw ScriptError(std::string("cannot keep standard input: ") + std::strerror(errno));
  char chunk[1 << 16];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, stdin)) > 0;)
    if (std::fwrite(chunk, 1, n, f.get()) != n)
      throw ScriptError(std::string("cannot keep standard input: ") + std::strerror(errno));
  if (std::ferror(stdin)) throw ScriptError("cannot read standard input");
  std::rewind(f.get());
  return f;
}

}  // namespace

int run_script_file(const std::string& file, std::ostream& out, std::ostream& err,
                    const RunOptions& options) {
  try {
    File script = open_script(file);
    ScriptShape shape;
    json::sax_parse(script.get(), &shape);
    if (shape.error) throw ScriptError(*shape.error);
    if (!shape.is_object) throw ScriptError("the script is not an object");
    if (shape.today_ok && !*shape.today_ok) throw ScriptError("invalid today");
    if (!shape.steps_keys || !shape.steps_is_list) throw ScriptError("no steps");

    // Second reading: each step runs as soon as it is parsed, and is then dropped.
    std::rewind(script.get());
    Run run;
    if (shape.today_ok) lema::host::pin_today(shape.today);
    ResultWriter results(out, options.stream);
    size_t steps_keys = 0, index = 0;
    bool in_steps = false;
    auto on_event = [&](int depth, json::parse_event_t event, json& parsed) {
      if (depth == 1 && event == json::parse_event_t::key) {
        // Only the last "steps" list runs, as only it would be kept in a parsed document.
        in_steps = parsed == "steps" && ++steps_keys == shape.steps_keys;
        return in_steps;
      }
      if (depth != 2 || !in_steps) return depth > 1 || event != json::parse_event_t::value;
      if (event == json::parse_event_t::object_start || event == json::parse_event_t::array_start)
        return true;
      results.add(run.execute(parsed, index++));
      return false;
    };
    const json rest = json::parse(script.get(), on_event);  // the emptied top level
    results.finish();
    return 0;
  } catch (const std::exception& e) {
    err << "lemald: " << e.what() << "\n";
    return 2;
  }
}

}  // namespace lemald
