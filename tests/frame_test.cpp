// The frame of the three classes: members in slot order, a new instance's state, the VAT-code
// list obtained from the sibling lookup, and the date texts the statements use.
#include <gtest/gtest.h>

#include <fstream>

#include "automation/class_info.h"
#include "automation/registry.h"
#include "common/error.h"
#include "common/text.h"
#include "decode/clscg_decode.h"
#include "host/clock.h"
#include "host/date_text_converter.h"
#include "lookup/clscg_lookup.h"
#include "support/errors.h"
#include "testing/stand_ins.h"

namespace lema {
namespace {

using testing_support::error_of;

TEST(Frame, MembersInSlotOrderWithTheirAccessors) {
  std::ifstream in(std::string(LEMA_GOLDEN_DIR) + "/members.txt");
  int classes = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with('#')) continue;
    const size_t colon = line.find(": ");
    std::string listed;
    for (const Member& m : create_object(line.substr(0, colon))->class_info().members()) {
      std::string kind = m.kind_letters() == "method" ? "" : " " + m.kind_letters();
      for (size_t i = 2; i < kind.size(); i += 2) kind.insert(i, "/");
      listed += (listed.empty() ? "" : ", ") + std::string(m.name) + kind;
    }
    EXPECT_EQ(listed, line.substr(colon + 2));
    ++classes;
  }
  EXPECT_EQ(classes, 3);
  const EventInfo& ev =
      create_object("LEMA_LOOKUPDECODE.CLSCG_CONNECT")->class_info().events().at(0);
  EXPECT_EQ(ev.name, "TransferData");
  ASSERT_EQ(ev.params.size(), 3u);
  EXPECT_TRUE(ev.params[0].byref && !ev.params[1].byref && ev.params[2].byref);
  for (const ParamInfo& p : ev.params) EXPECT_FALSE(p.optional) << p.name;
}

// Every readable member of a new instance holds the value of its declared type's zero.
TEST(Frame, NewInstancesStartEmpty) {
  for (const char* cls : {"lema_lookupdecode.clscg_lookup", "LEMA_LOOKUPDECODE.CLSCG_DECODE",
                          "LEMA_LOOKUPDECODE.CLSCG_CONNECT"}) {
    ObjectRef o = create_object(cls);
    for (const Member& m : o->class_info().members()) {
      if (m.kind != MemberKind::Property || !(m.access & access::G)) continue;
      const Value v = get_property(*o, m.name);
      switch (m.type) {
        case TypeTag::Variant:
          EXPECT_TRUE(v.is_empty()) << m.name;
          break;
        case TypeTag::Object:
          EXPECT_EQ(v, Value::nothing()) << m.name;
          break;
        case TypeTag::String:
          EXPECT_EQ(v, Value("")) << m.name;
          break;
        case TypeTag::Boolean:
          EXPECT_EQ(v, Value(false)) << m.name;
          break;
        default:
          EXPECT_EQ(to_long(v), 0) << m.name << " " << kind_name(v.kind());
      }
    }
  }
  EXPECT_EQ(error_of([] { create_object("LEMA_LOOKUPDECODE.CLSCG_NONE"); }),
            "429 Cannot create an instance of LEMA_LOOKUPDECODE.CLSCG_NONE");
}

TEST(Frame, AnInstanceReleasesItsHostWhenItEnds) {
  ObjectRef h = make_object<host::RecordingHost>(host::RecordingHostConfig{}, nullptr);
  for (const char* cls : {"LEMA_LOOKUPDECODE.CLSCG_LOOKUP", "LEMA_LOOKUPDECODE.CLSCG_DECODE"}) {
    ObjectRef o = create_object(cls);
    set_property(*o, "ActiveInterface", Value(h));
    EXPECT_EQ(h->ref_count(), 2u);
    o.reset();
    EXPECT_EQ(h->ref_count(), 1u) << cls;
  }
}

// ---- the VAT-code list from the sibling lookup ---------------------------------------------

class SiblingLookup : public ::testing::Test {
 protected:
  std::shared_ptr<host::TextLog> log = std::make_shared<host::TextLog>();
  std::shared_ptr<host::StandInBoard> board = std::make_shared<host::StandInBoard>(log);
  std::vector<std::unique_ptr<ScopedClass>> installed = board->install();
};

TEST_F(SiblingLookup, DrivenInOrderAndReleased) {
  auto lk = make_object<CLSCG_LOOKUP>();
  ObjectRef h = make_object<host::RecordingHost>(host::RecordingHostConfig{}, nullptr);
  lk->ActiveInterface = h;
  std::vector<Value> args{Value("CG28_ALIQUOTA > 0")};
  call_method(*lk, "CodiciIva", args);
  EXPECT_EQ(args[0], Value("CG28_ALIQUOTA > 0"));
  const std::string s = "PIRO_LOOKUPDECODE.CLSCO_LOOKUP#1 ";
  const std::string sql =
      "SELECT CG28_CODICE, CG28_DESCR, CG28_ALIQUOTA FROM CG28_TABIVA WITH (NOLOCK) WHERE "
      "CG28_ALIQUOTA > 0 ORDER BY CG28_CODICE";
  EXPECT_EQ(log->lines,
            (std::vector<std::string>{
                s + "create", s + "set ActiveInterface = #TUSK_LibSrv.HostFramework",
                s + "let FiltroStringaSQL = CG28_ALIQUOTA > 0", s + "call AliquoteIVA = Empty ()",
                s + "get StringaSQL = " + sql, s + "get ArrayFields = Array",
                s + "get Titolo = Elenco codici IVA", s + "release"}));
  EXPECT_EQ(h->ref_count(), 2u);
}

TEST_F(SiblingLookup, WhatAFailingOperationFeedsKeepsItsValue) {
  struct Case {
    const char* op;              // "" for a sibling that cannot be created
    bool sql, columns, caption;  // which outputs keep the previous call's values
  };
  const Case cases[] = {
      {"", true, true, true},
      {"ActiveInterface", false, false, false},
      {"AliquoteIVA", false, false, false},
      {"StringaSQL", true, false, false},
      {"ArrayFields", false, true, false},
      {"Titolo", false, false, true},
  };
  for (const Case& k : cases) {
    host::StandInConfig& cfg = board->config(host::kSiblingLookup);
    cfg = {};
    if (*k.op)
      cfg.fail.insert(k.op);
    else
      cfg.absent = true;
    auto lk = make_object<CLSCG_LOOKUP>();
    lk->Valute();
    const Value sql = lk->StringaSQL(), columns = lk->ColonneLookup(), caption = lk->Caption();
    log->lines.clear();
    lk->CodiciIva();
    EXPECT_EQ(lk->StringaSQL() == sql, k.sql) << k.op;
    EXPECT_EQ(lk->ColonneLookup() == columns, k.columns) << k.op;
    EXPECT_EQ(lk->Caption() == caption, k.caption) << k.op;
    EXPECT_EQ(lk->IDLookup, Value("Lkp_CodiciIVA")) << k.op;
    if (*k.op) {
      EXPECT_TRUE(log->lines.back().ends_with(" release")) << k.op;
    }
  }
}

TEST(Frame, AStandInOutlivingItsBoardCannotBeCreated) {
  auto board = std::make_shared<host::StandInBoard>(std::make_shared<host::TextLog>());
  auto installed = board->install();
  board->config(host::kSiblingLookup).absent = true;
  EXPECT_EQ(error_of([] { create_object(host::kSiblingLookup); }),
            "429 Cannot create an instance of PIRO_LOOKUPDECODE.CLSCO_LOOKUP");
  board.reset();
  EXPECT_EQ(error_of([] { create_object(host::kSiblingConnect); }),
            "429 Cannot create an instance of PIRO_CONNECT.CLSCG_CONNECT");
}

TEST(Frame, AnUnregisteredSiblingIsNotFaked) {
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->CodiciIva();
  EXPECT_TRUE(lk->StringaSQL().is_empty());
  EXPECT_EQ(lk->IDLookup, Value("Lkp_CodiciIVA"));
}

// The typed calls whose C++ signature has defaults or pointers give what the same call by
// name gives (the golden data calls every member by name).
TEST(Frame, TypedCallsWithDefaultsEqualTheCallsByName) {
  auto lk = make_object<CLSCG_LOOKUP>(), by_name = make_object<CLSCG_LOOKUP>();
  auto same_outputs = [&](const std::string& what) {
    EXPECT_EQ(lk->StringaSQL(), by_name->StringaSQL()) << what;
    EXPECT_EQ(lk->ColonneLookup(), by_name->ColonneLookup()) << what;
    EXPECT_EQ(lk->Caption(), by_name->Caption()) << what;
    EXPECT_EQ(lk->IDLookup, by_name->IDLookup) << what;
  };
  lk->CodAzienda = by_name->CodAzienda = Value(int32_t{15});
  lk->CausaliPagEff();
  call_method(*by_name, "CausaliPagEff");
  same_outputs("CausaliPagEff");
  EXPECT_EQ(lk->ContrattiMovimenti3000Euro(),
            call_method(*by_name, "ContrattiMovimenti3000Euro").as_integer());
  same_outputs("ContrattiMovimenti3000Euro");
  EXPECT_EQ(lk->ContrattiCorrispettivi3000Euro(),
            call_method(*by_name, "ContrattiCorrispettivi3000Euro").as_integer());
  same_outputs("ContrattiCorrispettivi3000Euro");
  const std::pair<const char*, void (*)(CLSCG_LOOKUP&)> left_out[] = {
      {"GruppoCespiti", [](CLSCG_LOOKUP& l) { l.GruppoCespiti(); }},
      {"AnagContribuente", [](CLSCG_LOOKUP& l) { l.AnagContribuente(); }},
      {"SpedizioneRBKF24", [](CLSCG_LOOKUP& l) { l.SpedizioneRBKF24(); }},
      {"IFRS15_Tipi", [](CLSCG_LOOKUP& l) { l.IFRS15_Tipi(); }},
      {"ContiCliFor", [](CLSCG_LOOKUP& l) { l.ContiCliFor(); }},
      {"CodiciIva", [](CLSCG_LOOKUP& l) { l.CodiciIva(); }}};
  for (const auto& [name, typed] : left_out) {
    typed(*lk);
    call_method(*by_name, name);
    same_outputs(name);
  }
  auto dc = make_object<CLSCG_DECODE>(), dn = make_object<CLSCG_DECODE>();
  const ObjectRef c = host::make_control("c");
  dc->CategorieStampa(c);
  call_method(*dn, "CategorieStampa", {Value(c)});
  EXPECT_EQ(dc->StringaSQL(), dn->StringaSQL());
  dc->ContiCorrenti(Value(int32_t{7}), Value::missing(), Value::missing(), Value::missing(), c);
  call_method(*dn, "ContiCorrenti",
              {Value(int32_t{7}), Value::missing(), Value::missing(), Value::missing(), Value(c)});
  EXPECT_EQ(dc->StringaSQL(), dn->StringaSQL());
  EXPECT_EQ(dc->ColonneDiDecodifica(), dn->ColonneDiDecodifica());
  host::pin_today(*Date::from_civil(2024, 3, 15));
  EXPECT_EQ(dc->ClienteFornitore(Value(int32_t{5}), Value(int32_t{0}), Value(int32_t{1})),
            call_method(*dn, "ClienteFornitore",
                        {Value(int32_t{5}), Value(int32_t{0}), Value(int32_t{1})}));
  host::pin_today(std::nullopt);
  EXPECT_EQ(dc->StringaSQL(), dn->StringaSQL());
  EXPECT_EQ(dc->ColonneDiDecodifica(), dn->ColonneDiDecodifica());
}

// ---- date texts -------------------------------------------------------------------------

TEST(DateText, TheFormsAcceptedAndTheOnesRefused) {
  host::DateTextConverter c;
  for (const char* ok : {"2024-03-15", " 2024-03-15 10:30", "2024-03-15T10:30:59", "15/03/2024",
                         "15/03/2024 23:59", "20240315"}) {
    c.SetText(ok);
    EXPECT_EQ(c.ErrorNumber(), 0) << ok;
    EXPECT_EQ(c.SqlDateText(), "20240315") << ok;
  }
  for (const char* bad : {"31/02/2024", "abc", "", "2023-02-29", "2024-13-01", "2024-03-15 25:00",
                          "2O24-03-15", "2024-03-1x", "15/03/2O24", "2024031/", "2024-03-15 10:3",
                          "2024-03-15 10:30:", "2024-03-15X10:30", "2024-03-15 10-30",
                          "2024-03-15 10:30:5x", "15.03.2024"}) {
    c.SetText(bad);
    EXPECT_EQ(c.ErrorNumber(), 13) << bad;
    EXPECT_EQ(c.SqlDateText(), "") << bad;
  }
  EXPECT_EQ(error_of([&] { call_method(c, "SetText"); }),
            "449 Argument not optional: Text: SetText");
}

// A converter the host supplies is used by name; one that cannot be created gives ''.
class ForeignConverter final : public Object {
 public:
  const ClassInfo& class_info() const override { return inner->class_info(); }
  Value invoke(std::string_view m, InvokeKind k, std::span<Value> a) override {
    return inner->invoke(m, k, a);
  }
  ObjectRef inner = make_object<host::DateTextConverter>();
};

TEST(DateText, AConverterSuppliedByTheHostIsUsedByName) {
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->DataStrutturaIntercompany = Value("31/12/2023");
  auto date_in = [&] {
    lk->AziendeIntercompany();
    const std::string sql = to_text(lk->StringaSQL());
    const size_t at = sql.find("CGB0_DATACONFIG = '");
    return at == std::string::npos ? "-" : sql.substr(at + 19, sql.find('\'', at + 19) - at - 19);
  };
  {
    ScopedClass by_name("DateTextConverter",
                        [] { return ObjectRef(make_object<ForeignConverter>()); });
    EXPECT_EQ(date_in(), "20231231");
    lk->DataStrutturaIntercompany = Value("2023-13-01");
    EXPECT_EQ(date_in(), "");
  }
  ScopedClass gone("DateTextConverter", []() -> ObjectRef { raise(ErrorCode::Host, "no"); });
  lk->DataStrutturaIntercompany = Value(*Date::from_civil(2024, 1, 1));
  EXPECT_EQ(date_in(), "");
}

}  // namespace
}  // namespace lema
