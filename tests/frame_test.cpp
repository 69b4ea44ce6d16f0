// The frame of the three classes and the date texts the statements use.
#include <gtest/gtest.h>

#include <fstream>
#include <type_traits>

#include "automation/class_info.h"
#include "automation/registry.h"
#include "common/error.h"
#include "common/text.h"
#include "connect/clscg_connect.h"
#include "decode/clscg_decode.h"
#include "host/clock.h"
#include "host/date_text_converter.h"
#include "lookup/clscg_lookup.h"
#include "support/golden.h"
#include "testing/stand_ins.h"

namespace lema {
namespace {

// A new instance's readable members hold their type's zero.
TEST(Frame, MembersInSlotOrderAndNewInstancesStartEmptyAndReleaseTheirHost) {
  std::ifstream in(std::string(LEMA_GOLDEN_DIR) + "/members.txt");
  const ObjectRef h = make_object<host::RecordingHost>(host::RecordingHostConfig{}, nullptr);
  int classes = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with('#')) continue;
    const size_t colon = line.find(": ");
    ObjectRef o = create_object(line.substr(0, colon));
    std::string listed;
    for (const Member& m : o->class_info().members()) {
      (listed += listed.empty() ? "" : ", ") += m.name;
      if (m.kind == MemberKind::Method) continue;
      (listed += ' ') += m.kind_letters();
      if (!(m.access & access::G)) continue;
      const Value v = get_property(*o, m.name);
      const TypeTag t = m.type;
      EXPECT_TRUE(t == TypeTag::Variant   ? v.is_empty()
                  : t == TypeTag::Object  ? v == Value::nothing()
                  : t == TypeTag::String  ? v == Value("")
                  : t == TypeTag::Boolean ? v == Value(false)
                                          : to_long(v) == 0)
          << m.name;
    }
    EXPECT_EQ(listed, line.substr(colon + 2));
    ++classes;
    if (line.starts_with(CLSCG_CONNECT::kProgId)) continue;  // connect_test
    set_property(*o, "ActiveInterface", Value(h));
    o.reset();
    EXPECT_EQ(h->ref_count(), 1u) << line;
  }
  EXPECT_EQ(classes, 3);
  const EventInfo& ev = create_object(CLSCG_CONNECT::kProgId)->class_info().events().at(0);
  EXPECT_EQ(ev.name, "TransferData");
  std::string params;
  for (const ParamInfo& p : ev.params)
    ((params += p.byref ? "&" : "") += p.name) += p.optional ? "? " : " ";
  EXPECT_EQ(params, "&Cancel Data &kwCalledProgram ");
}

// The sibling lookup, used in order; where one operation fails ("": no sibling), the outputs
// it feeds (S statement, C columns, T caption) stay.
TEST(Frame, CodiciIvaAsksTheSiblingLookup) {
  auto log = std::make_shared<host::TextLog>();
  auto board = std::make_shared<host::StandInBoard>(log);
  const auto installed = board->install();
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->ActiveInterface = host::make_control("host");
  Value filter("CG28_ALIQUOTA > 0");
  lk->CodiciIva(&filter);
  std::string ops;
  for (std::string l : log->lines) {
    l.erase(0, l.find(' ') + 1);
    if (!l.starts_with("let") && !l.starts_with("set")) l = l.substr(0, l.find(" = "));
    ops += l + "|";
  }
  EXPECT_EQ(ops,
            "create|set ActiveInterface = #Control|let FiltroStringaSQL = CG28_ALIQUOTA > 0|call "
            "AliquoteIVA|get StringaSQL|get ArrayFields|get Titolo|release|");
  const std::pair<const char*, const char*> cases[] = {
      {"", "SCT"},         {"ActiveInterface", ""}, {"AliquoteIVA", ""},
      {"StringaSQL", "S"}, {"ArrayFields", "C"},    {"Titolo", "T"}};
  for (const auto& [op, kept] : cases) {
    host::StandInConfig& cfg = board->config(host::kSiblingLookup) = {};
    cfg.absent = !*op;
    cfg.fail.insert(op);
    lk = make_object<CLSCG_LOOKUP>();
    lk->Valute();
    const Value was[] = {lk->StringaSQL(), lk->ColonneLookup(), lk->Caption()};
    log->lines.clear();
    lk->CodiciIva();
    const Value now[] = {lk->StringaSQL(), lk->ColonneLookup(), lk->Caption()};
    std::string same;
    for (int i = 0; i < 3; ++i)
      if (now[i] == was[i]) same += "SCT"[i];
    EXPECT_EQ(same, kept) << op;
    EXPECT_EQ(lk->IDLookup, Value("Lkp_CodiciIVA")) << op;
    EXPECT_TRUE(!*op || log->lines.back().ends_with(" release")) << op;
  }
}

// A typed call returns and leaves what the same call by name does on another new instance.
template <class C, class F>
void expect_same(const char* name, F typed, std::vector<Value> args = {}) {
  auto t = make_object<C>(), n = make_object<C>();
  for (C* o : {t.get(), n.get()})
    if (o->class_info().find("CodAzienda")) let_property(*o, "CodAzienda", Value(15));
  Value got;
  if constexpr (std::is_void_v<std::invoke_result_t<F, C&>>)
    typed(*t);
  else
    got = Value(typed(*t));
  EXPECT_EQ(got, call_method(*n, name, args)) << name;
  for (const Member& m : t->class_info().members()) {
    if (m.kind != MemberKind::Property || !(m.access & access::G)) continue;
    EXPECT_EQ(get_property(*t, m.name), get_property(*n, m.name)) << name << " " << m.name;
  }
}

TEST(Frame, TypedCallsWithDefaultsEqualTheCallsByName) {
  using L = CLSCG_LOOKUP;
  using D = CLSCG_DECODE;
  expect_same<L>("CausaliPagEff", [](L& l) { l.CausaliPagEff(); });
  expect_same<L>("ContrattiMovimenti3000Euro", [](L& l) { return l.ContrattiMovimenti3000Euro(); });
  expect_same<L>("ContrattiCorrispettivi3000Euro",
                 [](L& l) { return l.ContrattiCorrispettivi3000Euro(); });
  expect_same<L>("GruppoCespiti", [](L& l) { l.GruppoCespiti(); });
  expect_same<L>("AnagContribuente", [](L& l) { l.AnagContribuente(); });
  expect_same<L>("SpedizioneRBKF24", [](L& l) { l.SpedizioneRBKF24(); });
  expect_same<L>("IFRS15_Tipi", [](L& l) { l.IFRS15_Tipi(); });
  expect_same<L>("ContiCliFor", [](L& l) { l.ContiCliFor(); });
  expect_same<L>("CodiciIva", [](L& l) { l.CodiciIva(); });
  const ObjectRef c = host::make_control("c");
  const Value n7(7), n0(0), no = Value::missing();
  host::pin_today(*Date::from_civil(2024, 3, 15));
  expect_same<D>("CategorieStampa", [&](D& d) { d.CategorieStampa(c); }, {Value(c)});
  expect_same<D>("ContiCorrenti", [&](D& d) { d.ContiCorrenti(n7, no, no, no, c); },
                 {n7, no, no, no, Value(c)});
  expect_same<D>("ClienteFornitore", [&](D& d) { return d.ClienteFornitore(n7, n0, n7); },
                 {n7, n0, n7});
  host::pin_today(std::nullopt);
}

TEST(DateText, TheFormsAcceptedAndTheOnesRefused) {
  host::DateTextConverter c;
  auto read = [&](const char* text) {
    c.SetText(text);
    return std::to_string(c.ErrorNumber()) + " " + c.SqlDateText();
  };
  for (const char* ok : {"2024-03-15", " 2024-03-15 10:30", "2024-03-15T10:30:59", "15/03/2024",
                         "15/03/2024 23:59", "20240315"})
    EXPECT_EQ(read(ok), "0 20240315") << ok;
  for (const char* bad : {"31/02/2024", "abc", "", "2023-02-29", "2024-13-01", "2024-03-15 25:00",
                          "2O24-03-15", "2024-03-1x", "15/03/2O24", "2024031/", "2024-03-15 10:3",
                          "2024-03-15 10:30:", "2024-03-15X10:30", "2024-03-15 10-30",
                          "2024-03-15 10:30:5x", "15.03.2024"})
    EXPECT_EQ(read(bad), "13 ") << bad;
}

// One that cannot be created gives ''.
TEST(DateText, AConverterSuppliedByTheHostIsUsedByName) {
  auto lk = make_object<CLSCG_LOOKUP>();
  auto date_in = [&](Value v) {
    lk->DataStrutturaIntercompany = v;
    lk->AziendeIntercompany();
    const std::string sql = to_text(lk->StringaSQL());
    const size_t at = sql.find("CGB0_DATACONFIG = '") + 19;
    return sql.substr(at, sql.find('\'', at) - at);
  };
  {
    ScopedClass by_name("DateTextConverter",
                        [] { return golden::by_name(make_object<host::DateTextConverter>()); });
    EXPECT_EQ(date_in(Value("31/12/2023")), "20231231");
    EXPECT_EQ(date_in(Value("2023-13-01")), "");
  }
  ScopedClass gone("DateTextConverter", []() -> ObjectRef { raise(ErrorCode::Host, "no"); });
  EXPECT_EQ(date_in(Value(*Date::from_civil(2024, 1, 1))), "");
}

}  // namespace
}  // namespace lema
