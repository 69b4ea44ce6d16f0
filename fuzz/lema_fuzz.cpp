// libFuzzer target: decodes its input into a run of by-name operations on the three classes,
// as a host would make them, with values of every kind (huge and invalid UTF-8 texts, NaN
// and infinite doubles, dates out of range, arrays with odd bounds, objects of the wrong
// class, Missing where it does not belong), a host and stand-ins that fail where the input
// says, and the value guard on or off.
//
// What may come out of an operation is a dispatch error (lema::Error) reported to the
// caller; anything else escaping, a crash or a sanitizer report is a finding.
//
// Input layout (every read past the end gives zeros):
//   byte 0  flags: bit 0 value guard, bit 1 host set on the instances, bits 2-3
//           translation (identity, prefix, numbered), bits 4-7 host operations that fail
//           (LanguageCode, CompanyCode, Translate, IsHostOptionSet)
//   byte 1  stand-ins: bits 0-2 absent (sibling lookup, sibling connector,
//           DocumentGraphics), bits 3-7 index of a member that fails on all of them
//   then operations, each: target, kind, member, argument count, arguments (see
//   read_value for the encoding of a Value).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "automation/class_info.h"
#include "automation/events.h"
#include "automation/registry.h"
#include "common/error.h"
#include "common/guard.h"
#include "connect/clscg_connect.h"
#include "decode/clscg_decode.h"
#include "host/ado/connection.h"
#include "lookup/clscg_lookup.h"
#include "testing/stand_ins.h"

namespace lema {
namespace {

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
  bool done() const { return p_ >= end_; }
  uint8_t u8() { return p_ < end_ ? *p_++ : 0; }
  uint16_t u16() { return static_cast<uint16_t>(u8() | (u8() << 8)); }
  uint32_t u32() { return u16() | (static_cast<uint32_t>(u16()) << 16); }
  uint64_t u64() { return u32() | (static_cast<uint64_t>(u32()) << 32); }
  std::string bytes(size_t n) {
    n = std::min(n, static_cast<size_t>(end_ - p_));
    std::string s(reinterpret_cast<const char*>(p_), n);
    p_ += n;
    return s;
  }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
};

class NullSink final : public host::InteractionSink {
 public:
  void record(const host::Interaction&) override {}
};

// Answers the connector's event from the input.
class Handler final : public EventSink {
 public:
  explicit Handler(uint8_t mode) : mode_(mode) {}
  void on_event(const Object&, std::string_view, std::span<Value> args) override {
    if (args.size() < 3) return;
    if (mode_ & 1) args[0] = Value(true);
    if (mode_ & 2) args[2] = Value(int32_t{mode_ >> 2});
    if (mode_ & 0x80) raise(ErrorCode::Host, "handler failed");
  }

 private:
  uint8_t mode_;
};

// Texts that mean something to the library or to SQL.
constexpr std::string_view kWords[] = {
    "",
    " ",
    "'",
    "''",
    "0",
    "-1",
    "1e308",
    "A1",
    "CG33_CODICE",
    "CG14_GRUPPO DESC, CG14_SPECIE",
    "x' OR '1'='1",
    "1 OR 1=1",
    "2024-03-15",
    "15/03/2024",
    "20240229",
    "31/02/2024",
    "\xC3\xA8",
    "\xFF\xFE",
    "NaN",
    "True",
    "ITA ",
    "sqlite3://db=:memory:",
    "Lkp_",
    "\r\n",
    "ORDER BY",
};
// Members of the stand-ins that can be made to fail.
constexpr std::string_view kStandInMembers[] = {
    "",
    "ActiveInterface",
    "FiltroStringaSQL",
    "AliquoteIVA",
    "StringaSQL",
    "ArrayFields",
    "Titolo",
    "Plookup",
    "ConnectField",
    "CallCauCont",
    "CallServizio",
    "CallElenchiMov3000",
    "Stato",
    "Errore",
    "Connessione",
    "SetHostInterface",
    "Prepare",
    "ShowReferences",
    "CodiceCausaliContabili",
    "CallAziendeIntercompany",
    "TipoVisualizzazioneIntercompany",
};

struct Run {
  std::vector<ObjectRef> instances;  // lookup, decode, connector
  std::vector<ObjectRef> pool;       // objects the values can refer to
};

Value read_value(Reader& r, Run& run, int depth);

Array read_array(Reader& r, Run& run, int depth) {
  const size_t rank = 1 + r.u8() % 2;
  std::vector<Array::Bound> bounds;
  for (size_t d = 0; d < rank; ++d) {
    const uint8_t mode = r.u8();
    Array::Bound b;
    b.lower = (mode & 0x80) ? static_cast<int32_t>(r.u32()) : static_cast<int32_t>(mode & 3);
    b.count = (mode >> 2) % 5;
    bounds.push_back(b);
  }
  Array a(std::move(bounds));
  for (Value& v : a.items()) v = read_value(r, run, depth + 1);
  return a;
}

Value read_value(Reader& r, Run& run, int depth) {
  const uint8_t tag = r.u8();
  switch (tag % 16) {
    case 0:
      return Value();
    case 1:
      return Value::null();
    case 2:
      return Value::missing();
    case 3:
      return Value(static_cast<int16_t>(r.u16()));
    case 4:
      return Value(static_cast<int32_t>(r.u32()));
    case 5: {
      const uint64_t bits = r.u64();
      double d;
      std::memcpy(&d, &bits, sizeof d);
      return Value(d);
    }
    case 6: {
      constexpr double kSpecial[] = {std::numeric_limits<double>::quiet_NaN(),
                                     std::numeric_limits<double>::infinity(),
                                     -std::numeric_limits<double>::infinity(),
                                     std::numeric_limits<double>::max(),
                                     std::numeric_limits<double>::denorm_min(),
                                     -0.0,
                                     1e15,
                                     -1e15 - 1,
                                     2147483647.5,
                                     -32768.5,
                                     9.2233720368547758e18};
      return Value(kSpecial[r.u8() % std::size(kSpecial)]);
    }
    case 7: {
      Decimal d;
      d.mantissa = static_cast<int128>((static_cast<uint128>(r.u64()) << 64) | r.u64());
      d.scale = r.u8();
      return Value(d);
    }
    case 8:
      return Value(r.bytes(r.u16() % 512));
    case 9: {
      const char c = static_cast<char>(r.u8());
      return Value(std::string(static_cast<size_t>(r.u16()) * 16, c));  // up to about 1 MB
    }
    case 10: {
      Date d;
      d.days = static_cast<int32_t>(r.u32());
      d.seconds = static_cast<int32_t>(r.u32());
      return Value(d);
    }
    case 11:
      return Value(static_cast<bool>(r.u8() & 1));
    case 12: {
      if (run.pool.empty()) return Value::nothing();
      const uint8_t i = r.u8();
      return i == 255 ? Value::nothing() : Value(run.pool[i % run.pool.size()]);
    }
    case 13:
      if (depth >= 3) return Value();
      return Value(read_array(r, run, depth));
    case 14:
      return Value(kWords[r.u8() % std::size(kWords)]);
    default: {
      std::string s = std::to_string(static_cast<int32_t>(r.u32()));
      if (r.u8() & 1) s = " " + s + " ";
      return Value(s);
    }
  }
}

// A connection string from the input is never used as is: it could name any file.
void tame_arguments(const Member& m, std::vector<Value>& args) {
  for (size_t i = 0; i < args.size() && i < m.params.size(); ++i)
    if (m.params[i].name == "StringaDiConnessione" && !args[i].is_missing())
      args[i] = Value(args[i].is_empty() ? "" : "sqlite3://db=:memory:");
}

const ObjectRef& shared_connection() {
  static const ObjectRef db = [] {
    auto c = make_object<ado::Connection>();
    c->Open(Value("sqlite3://db=:memory:"));
    c->Execute(
        "CREATE TABLE CG19_ANADITTAESER (CG19_DITTA_CG18 INTEGER, CG19_ANNO INTEGER, CG19_PROGESER "
        "INTEGER, CG19_DATAAPE DATE, CG19_DATACHIU DATE, CG19_FLGESERCOR INTEGER, CG19_FLGESERCHIUSO "
        "INTEGER, CG19_FLGGENCESP INTEGER, CG19_FLGGENRISC INTEGER, CG19_FLGADECBCLI INTEGER, "
        "CG19_FLGADECBATT INTEGER, CG19_FLGADECBFOR INTEGER, CG19_FLGADECBPAS INTEGER)");
    c->Execute(
        "INSERT INTO CG19_ANADITTAESER VALUES (1, 2024, 1, '2024-01-01', '2024-12-31', 1, 0, 1, 0, 0, 0, 0, 1)");
    return ObjectRef(c);
  }();
  return db;
}

void one_input(const uint8_t* data, size_t size) {
  Reader r(data, size);
  const uint8_t flags = r.u8();
  const uint8_t stand_in_flags = r.u8();
  set_value_guard(flags & 1);

  auto board = std::make_shared<host::StandInBoard>(std::make_shared<NullSink>());
  auto installed = board->install();
  const std::string_view prog_ids[] = {host::kSiblingLookup, host::kSiblingConnect,
                                       host::kDocumentGraphics};
  const std::string_view failing =
      kStandInMembers[(stand_in_flags >> 3) % std::size(kStandInMembers)];
  for (size_t i = 0; i < std::size(prog_ids); ++i) {
    host::StandInConfig& cfg = board->config(prog_ids[i]);
    cfg.absent = stand_in_flags & (1u << i);
    if (!failing.empty()) cfg.fail.insert(std::string(failing));
  }

  host::RecordingHostConfig host_cfg;
  host_cfg.translation =
      static_cast<host::RecordingHostConfig::Translation>(((flags >> 2) & 3) % 3);
  host_cfg.prefix = "l'";
  const char* ops[] = {"LanguageCode", "CompanyCode", "Translate", "IsHostOptionSet"};
  for (int i = 0; i < 4; ++i)
    if (flags & (0x10 << i)) host_cfg.fail.insert(ops[i]);
  ObjectRef host(make_object<host::RecordingHost>(host_cfg, nullptr));

  Run run;
  for (std::string_view cls :
       {CLSCG_LOOKUP::kProgId, CLSCG_DECODE::kProgId, CLSCG_CONNECT::kProgId})
    run.instances.push_back(create_object(cls));
  if (flags & 2)
    for (ObjectRef& o : run.instances) set_property(*o, "ActiveInterface", Value(host));
  // Objects the values may refer to: controls, the host, a connection, and instances of
  // the three classes other than the ones driven (an instance handed to itself, say as
  // the control of its own binding table, would keep itself alive: the host's doing).
  run.pool = {host::make_control("a"), host::make_control("b"), host, shared_connection()};
  for (std::string_view cls :
       {CLSCG_LOOKUP::kProgId, CLSCG_DECODE::kProgId, CLSCG_CONNECT::kProgId})
    run.pool.push_back(create_object(cls));

  auto* connector = dynamic_cast<CLSCG_CONNECT*>(run.instances[2].get());
  connector->advise(std::make_shared<Handler>(flags));

  for (int n = 0; n < 64 && !r.done(); ++n) {
    const uint8_t target = r.u8();
    if (target >= 250) {
      // The opened program picks a value (when the connector holds a sibling).
      Value cancel = read_value(r, run, 0), data_v = read_value(r, run, 0),
            called = read_value(r, run, 0);
      if (ObjectRef s = connector->sibling()) {
        try {
          host::pick(*s, cancel, data_v, called);
        } catch (const Error&) {
        }
      }
      continue;
    }
    Object& o = *run.instances[target % run.instances.size()];
    const auto kind = static_cast<InvokeKind>(r.u8() % 4);
    const std::vector<Member>& members = o.class_info().members();
    const uint8_t pick_member = r.u8();
    std::string name = pick_member == 255 ? r.bytes(r.u8() % 40)
                                          : std::string(members[pick_member % members.size()].name);
    const size_t argc = r.u8() % 8;
    std::vector<Value> args;
    for (size_t i = 0; i < argc; ++i) args.push_back(read_value(r, run, 0));
    if (const Member* m = o.class_info().find(name)) tame_arguments(*m, args);
    try {
      o.invoke(name, kind, args);
    } catch (const Error&) {
      // A dispatch error: reported to the caller, as the host would see it.
    }
  }
  // The input may have made the instances refer to one another (a host does that at its
  // own risk): clear every property and the connector's link before they end.
  connector->TerminateConnect();
  for (ObjectRef& o : run.instances) {
    for (const Member& m : o->class_info().members()) {
      if (m.kind != MemberKind::Property) continue;
      try {
        if (m.access & access::S)
          set_property(*o, m.name, Value::nothing());
        else if ((m.access & access::L) && m.type == TypeTag::Variant)
          let_property(*o, m.name, Value());
      } catch (const Error&) {
      }
    }
  }
  set_value_guard(false);
}

}  // namespace
}  // namespace lema

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  lema::one_input(data, size);
  return 0;
}
