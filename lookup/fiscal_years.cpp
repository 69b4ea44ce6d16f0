// Fiscal years of a company: as an in-memory recordset read over the caller's connection
// (EserciziContabili) or as a statement for the host's grid (EserciziContabili_LKPGRID).
#include <cstdio>
#include <iterator>
#include <utility>
#include <vector>

#include "automation/class_info.h"
#include "common/error.h"
#include "common/sql.h"
#include "common/text.h"
#include "host/ado/connection.h"
#include "host/ado/recordset.h"
#include "lookup/clscg_lookup.h"
#include "lookup/detail/headings.h"

namespace lema {
namespace {

// The eight yes/no columns of CG19_ANADITTAESER, in the order every statement and
// recordset uses them: the statement pieces around the translated "No" and "Si", the
// source column and the field of the list that receives it.
struct FlagColumn {
  std::string_view opening, middle, closing;
  std::string_view column, field;
};
// clang-format off
constexpr FlagColumn kFlags[] = {
    {" CASE WHEN CG19_FLGESERCOR = 0 THEN '", "' WHEN CG19_FLGESERCOR = 1 THEN '", "' END AS CG19_FLGESERCOR,",
     "CG19_FLGESERCOR", "CORRENTE"},
    {" CASE WHEN CG19_FLGESERCHIUSO = 0 THEN '", "' WHEN CG19_FLGESERCHIUSO = 1 THEN '", "' END AS CG19_FLGESERCHIUSO,",
     "CG19_FLGESERCHIUSO", "CHIUSO"},
    {" CASE WHEN CG19_FLGGENCESP = 0 THEN '", "' WHEN CG19_FLGGENCESP = 1 THEN '", "' END AS CG19_FLGGENCESP,",
     "CG19_FLGGENCESP", "AMMGEN"},
    {" CASE WHEN CG19_FLGGENRISC = 0 THEN '", "' WHEN CG19_FLGGENRISC = 1 THEN '", "' END AS CG19_FLGGENRISC,",
     "CG19_FLGGENRISC", "RISCGEN"},
    {" CASE WHEN CG19_FLGADECBCLI = 0 THEN '", "' WHEN CG19_FLGADECBCLI = 1 THEN '", "' END AS CG19_FLGADECBCLI,",
     "CG19_FLGADECBCLI", "ADECBCLIGEN"},
    {" CASE WHEN CG19_FLGADECBATT = 0 THEN '", "' WHEN CG19_FLGADECBATT = 1 THEN '", "' END AS CG19_FLGADECBATT,",
     "CG19_FLGADECBATT", "ADECBATTGEN"},
    {" CASE WHEN CG19_FLGADECBFOR = 0 THEN '", "' WHEN CG19_FLGADECBFOR = 1 THEN '", "' END AS CG19_FLGADECBFOR,",
     "CG19_FLGADECBFOR", "ADECBFORGEN"},
    {" CASE WHEN CG19_FLGADECBPAS = 0 THEN '", "' WHEN CG19_FLGADECBPAS = 1 THEN '", "' END AS CG19_FLGADECBPAS",
     "CG19_FLGADECBPAS", "ADECBPASGEN"},
};
// clang-format on

// Positions of the list's fields, in the order they are appended below.
constexpr int32_t kEser = 0, kDataIn = 1, kDataFi = 2, kFirstFlag = 3;

Object& deref(const ObjectRef& o) {
  if (!o) raise(ErrorCode::ObjectVariableNotSet, "Object variable not set");
  return *o;
}

// The rows a connection returned: typed when they come from this library's layer, by
// member name otherwise.
class ResultRows {
 public:
  explicit ResultRows(ObjectRef rs)
      : rs_(std::move(rs)), typed_(dynamic_cast<ado::Recordset*>(rs_.get())) {}

  int32_t count() {
    return typed_ ? typed_->RecordCount() : to_long(get_property(deref(rs_), "RecordCount"));
  }
  void move_first() { typed_ ? typed_->MoveFirst() : void(call_method(deref(rs_), "MoveFirst")); }
  bool eof() { return typed_ ? typed_->IsEOF() : to_boolean(get_property(deref(rs_), "EOF")); }
  void move_next() { typed_ ? typed_->MoveNext() : void(call_method(deref(rs_), "MoveNext")); }
  void close() { typed_ ? typed_->Close() : void(call_method(deref(rs_), "Close")); }
  Value value(std::string_view field) {
    if (typed_) return typed_->value(index(field));
    Value fields = get_property(deref(rs_), "Fields");
    Value item = call_method(deref(to_object(fields)), "Item", {Value(field)});
    return get_property(deref(to_object(item)), "Value");
  }

  // Room for `n` more rows in a list that is about to be filled.
  static void reserve(ado::Recordset& list, int32_t n) {
    if (n > 0) list.reserve_rows(n);
  }

 private:
  // The field names are the literals of this file: each is looked up once per query.
  int32_t index(std::string_view field) {
    for (const auto& [name, i] : indexes_)
      if (name == field.data()) return i;
    int32_t i = typed_->index_of(field);
    indexes_.emplace_back(field.data(), i);
    return i;
  }

  ObjectRef rs_;
  ado::Recordset* typed_;
  std::vector<std::pair<const char*, int32_t>> indexes_;
};

// Format(n, "0000"): at least four digits, zero-padded.
void append_year(std::string& out, int16_t year) {
  char buf[16];
  int n = year < 0 ? std::snprintf(buf, sizeof buf, "-%04d", -static_cast<int>(year))
                   : std::snprintf(buf, sizeof buf, "%04d", static_cast<int>(year));
  out.append(buf, static_cast<size_t>(n));
}

// The statement both lookups share. "No" and "Si" are translated once per flag, in that
// order; the company code goes in as a decimal number (raising when it is not one, after
// the translations were asked).
template <class Translate>
std::string fiscal_year_statement(const Value& CodiceDitta, Translate&& tr) {
  SqlText sql(1120);  // longest measured: 972 bytes
  sql << "SELECT CG19_ANNO, CG19_PROGESER, CG19_DATAAPE, CG19_DATACHIU, ";
  for (const FlagColumn& f : kFlags) {
    sql << f.opening;
    tr(sql.str(), "No");
    sql << f.middle;
    tr(sql.str(), "Si");
    sql << f.closing;
  }
  sql << " FROM CG19_ANADITTAESER WITH (NOLOCK) "
      << " WHERE CG19_DITTA_CG18 = " << to_decimal(CodiceDitta).to_text()
      << " ORDER BY CG19_ANNO, CG19_PROGESER";
  return sql.take();
}

}  // namespace

void CLSCG_LOOKUP::EserciziContabili(ObjectRef& Connessione, const Value& CodiceDitta) noexcept {
  static const detail::HeadingTable kColumns{
      "Esercizio", "Inizio esercizio", "Fine esercizio", "Corrente",   "Chiuso",    "Ammortamenti",
      "Risconti",  "Cambi cli.",       "Cambi att.",     "Cambi for.", "Cambi pas."};
  detail::step([&] { ColonneLookup_ = kColumns.value(); });
  Caption_ = Value::literal("Elenco esercizi contabili");

  Ref<ado::Recordset> list;
  ObjectRef result;
  detail::step([&] { list = make_object<ado::Recordset>(); });
  detail::step([&] { result = make_object<ado::Recordset>(); });

  auto on_list = [&](auto&& f) {
    detail::step([&] {
      if (!list) raise(ErrorCode::ObjectVariableNotSet, "Object variable not set");
      f(*list);
    });
  };
  auto append = [&](std::string_view name, int32_t type, int32_t size) {
    on_list([&](ado::Recordset& rs) {
      rs.append_field(ado::FieldInfo{std::string(name), type, size, ado::adFldUnspecified});
    });
  };
  append("ESER", ado::adVarWChar, 7);
  append("DATAIN", ado::adDBDate, 0);
  append("DATAFI", ado::adDBDate, 0);
  for (const FlagColumn& f : kFlags) append(f.field, ado::adWChar, 2);
  on_list([](ado::Recordset& rs) { rs.CursorType = ado::adOpenStatic; });
  on_list([](ado::Recordset& rs) { rs.LockType = ado::adLockOptimistic; });
  on_list([](ado::Recordset& rs) { rs.Open(); });

  std::string sql;
  detail::step([&] {
    sql = fiscal_year_statement(CodiceDitta,
                                [this](std::string& out, std::string_view t) { Traduci(out, t); });
  });

  detail::step([&] {
    if (auto* typed = dynamic_cast<ado::Connection*>(Connessione.get())) {
      result = ObjectRef(typed->Execute(sql, nullptr, ado::adOptionUnspecified));
    } else {
      result =
          to_object(call_method(deref(Connessione), "Execute",
                                {Value(sql), Value::missing(), Value(ado::adOptionUnspecified)}));
    }
  });

  ResultRows rows(result);
  // A count that cannot be read leads to the empty path, as a count of 0 does.
  bool empty = true;
  detail::step([&] { empty = rows.count() == 0; });
  if (empty) {
    detail::step([&] { rows.close(); });
    on_list([](ado::Recordset& rs) { rs.Close(); });
    list.reset();
    result.reset();
    detail::step([&] { LookupRecordset.reset(); });
    return;
  }

  detail::step([&] { rows.move_first(); });
  detail::step([&] {
    if (list) ResultRows::reserve(*list, rows.count());
  });
  int16_t anno = 0, progressivo = 0;
  for (;;) {
    bool at_end = true;
    // An EOF or MoveNext that fails ends the loop (it could not advance any more).
    if (!detail::step([&] { at_end = rows.eof(); }) || at_end) break;
    detail::step([&] { anno = to_integer(rows.value("CG19_ANNO")); });
    detail::step([&] { progressivo = to_integer(rows.value("CG19_PROGESER")); });
    on_list([](ado::Recordset& rs) { rs.AddNew(); });
    on_list([&](ado::Recordset& rs) {
      std::string eser;
      append_year(eser, anno);
      eser += '/';
      append_number(eser, progressivo);
      rs.set_value(kEser, Value(std::move(eser)));
    });
    on_list([&](ado::Recordset& rs) { rs.set_value(kDataIn, rows.value("CG19_DATAAPE")); });
    on_list([&](ado::Recordset& rs) { rs.set_value(kDataFi, rows.value("CG19_DATACHIU")); });
    for (int32_t i = 0; i < static_cast<int32_t>(std::size(kFlags)); ++i)
      on_list(
          [&](ado::Recordset& rs) { rs.set_value(kFirstFlag + i, rows.value(kFlags[i].column)); });
    on_list([](ado::Recordset& rs) { rs.Update(); });
    if (!detail::step([&] { rows.move_next(); })) break;
  }
  detail::step([&] { LookupRecordset = ObjectRef(list); });
  detail::step([&] { rows.close(); });
  list.reset();
  result.reset();
  IDLookup = Value::literal("Lkp_EserciziContabili");
}

void CLSCG_LOOKUP::EserciziContabili_LKPGRID(ObjectRef&, const Value& CodiceDitta) noexcept {
  static const detail::HeadingTable kColumns{"Esercizio",      "Progressivo", "Inizio esercizio",
                                             "Fine esercizio", "Corrente",    "Chiuso",
                                             "Ammortamenti",   "Risconti",    "Cambi cli.",
                                             "Cambi att.",     "Cambi for.",  "Cambi pas."};
  detail::step([&] { ColonneLookup_ = kColumns.value(); });
  Caption_ = Value::literal("Elenco esercizi contabili");
  detail::step([&] {
    StringaSQL_ = Value(fiscal_year_statement(
        CodiceDitta, [this](std::string& out, std::string_view t) { Traduci(out, t); }));
  });
  IDLookup = Value::literal("Lkp_EserciziContabili");
}

}  // namespace lema
