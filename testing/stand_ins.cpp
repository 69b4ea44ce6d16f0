#include "testing/stand_ins.h"

#include <algorithm>

#include "automation/class_info.h"
#include "common/error.h"
#include "common/text.h"

namespace lema::host {

bool CaseInsensitiveLess::operator()(std::string_view a, std::string_view b) const noexcept {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return lower_ascii(x) < lower_ascii(y);
  });
}

namespace {
std::string describe(const Value& v) {
  switch (v.kind()) {
    case Kind::Object:
      return v.as_object() ? std::string("#").append(v.as_object()->class_info().prog_id())
                           : "Nothing";
    case Kind::Array:
      return "Array";
    case Kind::Missing:
      return "Missing";
    case Kind::Null:
      return "Null";
    case Kind::Empty:
      return "Empty";
    default:
      return to_text(v);
  }
}
}  // namespace

void TextLog::record(const Interaction& e) {
  std::string line = std::string(e.who).append(" ").append(e.what);
  if (!e.name.empty()) line.append(" ").append(e.name);
  if (e.value) line.append(" = ").append(describe(*e.value));
  if (e.has_args) {
    line += " (";
    for (size_t i = 0; i < e.args.size(); ++i)
      line.append(i ? ", " : "").append(describe(e.args[i]));
    line += ")";
  }
  lines.push_back(std::move(line));
}

// ---- RecordingHost -------------------------------------------------------------------
RecordingHost::RecordingHost(RecordingHostConfig config, std::shared_ptr<InteractionSink> sink)
    : config_(std::move(config)), sink_(std::move(sink)) {}

// Records the operation; raises, after recording it without a value, when it is to fail.
void RecordingHost::check(Interaction& e) {
  if (config_.fail.count(e.name)) {
    if (sink_) sink_->record(e);
    raise(ErrorCode::Host, "host operation failed: " + std::string(e.name));
  }
}

Value RecordingHost::answer(Interaction& e, Value result) {
  e.value = &result;
  if (sink_) sink_->record(e);
  return result;
}

Value RecordingHost::LanguageCode() {
  Interaction e{config_.name, "get", "LanguageCode"};
  check(e);
  return answer(e, config_.language);
}

Value RecordingHost::CompanyCode() {
  Interaction e{config_.name, "get", "CompanyCode"};
  check(e);
  return answer(e, config_.company);
}

void RecordingHost::Translate(std::string_view text, std::string& out) {
  ++translate_calls_;
  Value arg{std::string(text)};
  Interaction e{config_.name, "call", "Translate"};
  e.args = std::span<const Value>(&arg, 1);
  e.has_args = true;
  check(e);
  std::string r(text);
  if (config_.translation == RecordingHostConfig::Translation::Prefix)
    r.insert(0, config_.prefix);
  else if (config_.translation == RecordingHostConfig::Translation::Numbered)
    r.append("#").append(std::to_string(translate_calls_));
  out.append(answer(e, Value(std::move(r))).as_string());
}

bool RecordingHost::IsHostOptionSet() {
  Interaction e{config_.name, "call", "IsHostOptionSet"};
  e.has_args = true;
  check(e);
  return answer(e, Value(config_.host_option)).as_boolean();
}

// ---- stand-in components ---------------------------------------------------------------
namespace {
const ClassInfo& info_for(std::string_view prog_id) {
  static const ClassInfo lookup(kSiblingLookup, {});
  static const ClassInfo connect(kSiblingConnect, {});
  static const ClassInfo graphics(kDocumentGraphics, {});
  static const ClassInfo other("StandIn", {});
  if (iequals_ascii(prog_id, kSiblingLookup)) return lookup;
  if (iequals_ascii(prog_id, kSiblingConnect)) return connect;
  if (iequals_ascii(prog_id, kDocumentGraphics)) return graphics;
  return other;
}
}  // namespace

// A late-bound object that answers any member name: property values are kept, methods
// return what the configuration says, and every use is recorded.
class StandIn final : public Object {
 public:
  StandIn(std::shared_ptr<StandInBoard> board, std::string prog_id, std::string who)
      : board_(std::move(board)),
        info_(&info_for(prog_id)),
        prog_id_(std::move(prog_id)),
        who_(std::move(who)) {
    Interaction e{who_, "create", ""};
    board_->sink().record(e);
  }
  ~StandIn() override {
    Interaction e{who_, "release", ""};
    board_->sink().record(e);
  }

  const ClassInfo& class_info() const override { return *info_; }

  Value invoke(std::string_view member, InvokeKind kind, std::span<Value> args) override {
    const StandInConfig& cfg = board_->config(prog_id_);
    std::string name(member);
    static constexpr std::string_view kWhat[] = {"get", "let", "set", "call"};
    Interaction e{who_, kWhat[static_cast<int>(kind)], member};
    if (kind == InvokeKind::Call) {
      e.args = args;
      e.has_args = true;
    }
    if (cfg.fail.count(name)) {
      if (kind == InvokeKind::Let || kind == InvokeKind::Set) {
        if (!args.empty()) e.value = &args.back();
      }
      board_->sink().record(e);
      raise(ErrorCode::Host, "stand-in member failed: " + name);
    }
    switch (kind) {
      case InvokeKind::Let:
      case InvokeKind::Set: {
        Value v = args.empty() ? Value() : args.back();
        e.value = &v;
        board_->sink().record(e);
        props_[name] = std::move(v);
        return Value();
      }
      case InvokeKind::Get: {
        Value r = property(name, cfg);
        e.value = &r;
        board_->sink().record(e);
        return r;
      }
      case InvokeKind::Call: {
        std::vector<Value> before(args.begin(), args.end());
        e.args = before;
        Value r = call(name, cfg, args);
        e.value = &r;
        board_->sink().record(e);
        return r;
      }
    }
    return Value();
  }

  const Value* prop(std::string_view name) const {
    auto it = props_.find(std::string(name));
    return it == props_.end() ? nullptr : &it->second;
  }

 private:
  Value property(const std::string& name, const StandInConfig& cfg) const {
    if (auto it = cfg.returns.find(name); it != cfg.returns.end()) return it->second;
    auto it = props_.find(name);
    return it == props_.end() ? Value() : it->second;
  }

  Value call(const std::string& name, const StandInConfig& cfg, std::span<Value> args) {
    const auto is = iequals_ascii;
    if (is(prog_id_, kSiblingLookup) && is(name, "AliquoteIVA")) vat_code_list();
    if (auto it = cfg.byref.find(name); it != cfg.byref.end() && !args.empty())
      args[0] = it->second;
    if (auto it = cfg.returns.find(name); it != cfg.returns.end()) return it->second;
    if (is(prog_id_, kSiblingConnect) && name.size() > 4 && is(name.substr(0, 4), "Call"))
      return Value(true);
    return Value();
  }

  // The VAT-code list of the sibling lookup, with the caller's extra condition applied.
  void vat_code_list() {
    std::string sql =
        "SELECT CG28_CODICE, CG28_DESCR, CG28_ALIQUOTA FROM CG28_TABIVA WITH (NOLOCK)";
    auto f = props_.find("FiltroStringaSQL");
    if (f != props_.end() && is_given(f->second)) {
      sql += " WHERE ";
      append_text(sql, f->second);
    }
    sql += " ORDER BY CG28_CODICE";
    props_["StringaSQL"] = Value(std::move(sql));
    Array a = Array::matrix(3, 2);
    const char* headings[] = {"Codice", "Descrizione", "Aliquota"};
    for (int c = 0; c < 3; ++c) {
      a.at(c, 0) = Value::literal(headings[c]);
      a.at(c, 1) = Value::literal("");
    }
    props_["ArrayFields"] = Value(std::move(a));
    props_["Titolo"] = Value::literal("Elenco codici IVA");
  }

  std::shared_ptr<StandInBoard> board_;
  const ClassInfo* info_;
  std::string prog_id_;
  std::string who_;
  std::map<std::string, Value, CaseInsensitiveLess> props_;
};

StandInBoard::StandInBoard(std::shared_ptr<InteractionSink> sink) : sink_(std::move(sink)) {}

StandInConfig& StandInBoard::config(std::string_view prog_id) {
  return configs_[std::string(prog_id)];
}

ObjectRef StandInBoard::create(std::string_view prog_id) {
  if (config(prog_id).absent)
    raise(ErrorCode::CannotCreateObject, "Cannot create an instance of " + std::string(prog_id));
  int n = ++counters_[std::string(prog_id)];
  std::string who =
      std::string(info_for(prog_id).prog_id() == "StandIn" ? prog_id : info_for(prog_id).prog_id())
          .append("#")
          .append(std::to_string(n));
  ObjectRef o = make_object<StandIn>(shared_from_this(), std::string(prog_id), std::move(who));
  std::erase_if(live_, [](const WeakRef<Object>& w) { return w.expired(); });
  live_.emplace_back(o.get());
  return o;
}

std::vector<std::unique_ptr<ScopedClass>> StandInBoard::install(Registry& reg) {
  std::vector<std::unique_ptr<ScopedClass>> out;
  std::weak_ptr<StandInBoard> self = weak_from_this();
  for (std::string_view id : {kSiblingLookup, kSiblingConnect, kDocumentGraphics}) {
    std::string name(id);
    out.push_back(std::make_unique<ScopedClass>(
        name,
        [self, name]() -> ObjectRef {
          auto board = self.lock();
          if (!board) raise(ErrorCode::CannotCreateObject, "Cannot create an instance of " + name);
          return board->create(name);
        },
        reg));
  }
  return out;
}

ObjectRef StandInBoard::sibling_of(const Object& connector) const {
  for (const WeakRef<Object>& w : live_) {
    ObjectRef o = w.lock();
    auto* s = o ? dynamic_cast<StandIn*>(o.get()) : nullptr;
    if (!s || s->class_info().prog_id() != kSiblingConnect) continue;
    const Value* p = s->prop("Plookup");
    if (p && p->is_object() && p->as_object() && p->as_object()->identity() == connector.identity())
      return o;
  }
  return {};
}

void pick(Object& sibling, Value& cancel, const Value& data, Value& called_program) {
  auto* s = dynamic_cast<StandIn*>(&sibling);
  const Value* p = s ? s->prop("Plookup") : nullptr;
  if (!p || !p->is_object() || !p->as_object())
    raise(ErrorCode::ObjectVariableNotSet, "the sibling holds no Plookup");
  ObjectRef target = p->as_object();
  std::vector<Value> args{cancel, data, called_program};
  call_method(*target, "TransferData", args);
  cancel = args[0];
  called_program = args[2];
}

// ---- controls ------------------------------------------------------------------------
namespace {
class Control final : public Object {
 public:
  explicit Control(std::string name) : name_(std::move(name)) {}
  const ClassInfo& class_info() const override {
    static const ClassInfo info("Control", {});
    return info;
  }

 private:
  std::string name_;
};
}  // namespace

ObjectRef make_control(std::string name) {
  return make_object<Control>(std::move(name));
}

}  // namespace lema::host
