// Contract lists of the yearly lists of transactions of 3000 euro and more. Every criterion
// the caller set becomes a condition; every criterion left open becomes a column instead,
// so headings and select list grow in step. Pieces are joined by a lone CR.
#include <array>
#include <optional>
#include <span>

#include "common/error.h"
#include "common/sql.h"
#include "common/text.h"
#include "host/clock.h"
#include "host/date_text_converter.h"
#include "lookup/clscg_lookup.h"
#include "lookup/detail/headings.h"
#include "lookup/detail/statement_parts.h"

namespace lema {
namespace {

constexpr std::string_view kCodiceContratto = "Codice contratto";

// Open/given tests of the criteria (value-or-default rule, then compared with the default).
bool open_number(const Value& v) {
  return !is_given(v) || detail::numeric_equals(v, 0);
}
bool open_text(const Value& v) {
  return equals_text(value_or_default(v, Value::literal("")), "");
}

// Copies the filled heading slots into the column table. The contract column's index is
// the result, but only when the list is not collapsed to the contract codes.
template <size_t N>
Value slot_table(const std::array<std::string_view, N>& slots, bool raggruppa, int16_t& result) {
  std::array<std::string_view, N> filled{};
  size_t n = 0;
  for (std::string_view h : slots) {
    if (h.empty()) continue;
    if (h == kCodiceContratto && !raggruppa) result = static_cast<int16_t>(n);
    filled[n++] = h;
  }
  return detail::make_heading_table(std::span<const std::string_view>(filled.data(), n));
}

// " SELECT ", L, CR, FROM, CR
void open_statement(SqlText& sql, std::string_view select, std::string_view from) {
  sql << " SELECT " << select << LEMA_CR << from << LEMA_CR;
}

// WHERE, CR, W, GROUP BY and ORDER BY on the select list without its alias.
void close_statement(SqlText& sql, std::string_view where, std::string_view conditions,
                     std::string_view select, std::string_view alias) {
  const std::string grouped = replace_all(select, alias, "");
  sql << where << LEMA_CR << conditions << " GROUP BY " << grouped << LEMA_CR << " ORDER BY "
      << grouped << LEMA_CR;
}

}  // namespace

int16_t CLSCG_LOOKUP::ContrattiMovimenti3000Euro(bool RaggruppaContratti) noexcept {
  int16_t result = 0;
  StringaSQL_ = Value::literal("");
  // An open reference date becomes today's and stays so on the instance.
  detail::step(
      [&] { DataRegistrazione = value_or_default(DataRegistrazione, Value(host::today())); });

  std::optional<bool> azienda_open, tipo_open, codice_open, numreg_open;
  detail::step([&] { azienda_open = open_number(CodAzienda); });
  detail::step([&] { tipo_open = open_text(TipoCF); });
  detail::step([&] { codice_open = open_number(CodCliFor); });
  detail::step([&] { numreg_open = open_text(NumRegistrazione); });
  const bool contratto_given =
      Elenchi_IndGestioneElenchiMov3000 == IndicatoreGestioneElenchiMov3000Enum::DaValutare ||
      Elenchi_IndGestioneElenchiMov3000 == IndicatoreGestioneElenchiMov3000Enum::DaValutarePerAnno;

  std::array<std::string_view, 8> slots{};
  if (!RaggruppaContratti) {
    if (azienda_open == true) {
      slots[0] = "Codice azienda";
      slots[1] = "Ragione sociale azienda";
    }
    if (tipo_open == true) slots[2] = "Tipo Cli/For";
    if (codice_open == true) {
      slots[3] = "Codice cliente/fornitore";
      detail::step([&] {
        const Value tipo = value_or_default(TipoCF, Value::literal(""));
        if (detail::numeric_equals(tipo, 0))
          slots[3] = "Codice cliente";
        else if (detail::numeric_equals(tipo, 1))
          slots[3] = "Codice fornitore";
      });
      slots[4] = "Ragione sociale";
    }
    if (numreg_open == true) slots[5] = "Numero registrazione";
    if (!contratto_given) slots[6] = "Tipo contratto";
  }
  slots[7] = kCodiceContratto;
  detail::step([&] { ColonneLookup_ = slot_table(slots, RaggruppaContratti, result); });

  std::string select, conditions;
  bool refused = false;
  auto condition = [&](std::string_view head, const Value& v) {
    SqlText w(64);  // one condition line: 30 bytes of text and a code
    w << head << v << LEMA_CR;
    conditions += w.str();
  };
  detail::part_step(refused, [&] {
    if (!azienda_open) return;
    if (*azienda_open)
      select += "CG3C_DITTA_CG18, CG16.CG16_RAGSOANAG, ";
    else
      condition("   AND  CG3C_DITTA_CG18 = ", CodAzienda);
  });
  // The kind column; its two words are translated only when it is built.
  auto tipo_column = [&] {
    select += "CASE CG3C_TIPOCF_CG44 WHEN 0 THEN '";
    Traduci(select, "Cliente");
    select += "' WHEN 1 THEN '";
    Traduci(select, "Fornitore");
    select += "' ELSE '' END AS CG3C_TIPOCF_CG44, ";
  };
  detail::part_step(refused, [&] {
    if (!codice_open) return;
    if (!*codice_open) {
      if (tipo_open == true)
        tipo_column();
      else if (tipo_open == false)
        condition("   AND  CG3C_TIPOCF_CG44 = ", TipoCF);
      condition("   AND  CG3C_CLIFOR_CG44 = ", CodCliFor);
    } else {
      if (tipo_open == true) tipo_column();
      select += "CG3C_CLIFOR_CG44, VCG16.CG16_RAGSOANAG, ";
    }
  });
  detail::part_step(refused, [&] {
    if (!numreg_open) return;
    if (*numreg_open) {
      select += "CG3C_NUMREG_CO99, ";
    } else {
      SqlText w(64);  // one condition line: 30 bytes of text and a code
      w << "   AND  CG3C_NUMREG_CO99 = '" << quoted(NumRegistrazione) << "'" << LEMA_CR;
      conditions += w.str();
    }
  });
  if (contratto_given) {
    SqlText w(64);  // one condition line: 30 bytes of text and a code
    w << "   AND  CG3C_INDTIPOCONTR = ";
    w.number(static_cast<int32_t>(Elenchi_IndGestioneElenchiMov3000));
    w << LEMA_CR;
    conditions += w.str();
  } else {
    select += "CG3C_INDTIPOCONTR, ";
  }
  if (RaggruppaContratti) select.clear();
  select += "CG3C_CONTRATTO";

  detail::step([&] {
    detail::fail_if_refused(refused);
    // The select list stands three times (selected, grouped, ordered); the rest of the text
    // takes 660 bytes at most.
    SqlText sql(3 * select.size() + conditions.size() + 768);
    open_statement(sql, select, " FROM   CG3C_CONTRATTIMOV3000 WITH(NOLOCK)");
    if (select.find("CG3C_DITTA_CG18") != std::string::npos) {
      sql << " LEFT OUTER JOIN CG18_ANADITTABASE AS CG18" << LEMA_CR
          << "   ON  CG18.CG18_DITTA = CG3C_DITTA_CG18" << LEMA_CR
          << " LEFT OUTER JOIN CG16_ANAGGEN AS CG16" << LEMA_CR
          << "   ON CG16.CG16_CODICE = CG18_CODICE_CG16" << LEMA_CR;
    }
    if (select.find("CG3C_CLIFOR_CG44") != std::string::npos) {
      // The registry version valid on the reference date; an open start or end of validity
      // counts as that date itself.
      sql << " LEFT OUTER   JOIN VCG16_ANAGRALLADATA AS VCG16" << LEMA_CR
          << "     ON  CG3C_DITTA_CG18 = VCG16.CG44_DITTA_CG18" << LEMA_CR
          << "         AND     CG3C_TIPOCF_CG44 = VCG16.CG44_TIPOCF" << LEMA_CR
          << "         AND     CG3C_CLIFOR_CG44 = VCG16.CG44_CLIFOR" << LEMA_CR
          << "         AND     '" << quoted(host::sql_date_text(DataRegistrazione)) << "'"
          << LEMA_CR << "         BETWEEN ISNULL(VCG16.DATAINIZIOVALIDITA,'"
          << quoted(host::sql_date_text(DataRegistrazione)) << "')" << LEMA_CR
          << "             AND ISNULL(VCG16.DATAFINEVALIDITA,'"
          << quoted(host::sql_date_text(DataRegistrazione)) << "')" << LEMA_CR;
    }
    close_statement(sql, " WHERE CG3C_CONTRATTO IS NOT NULL", conditions, select,
                    " AS CG3C_TIPOCF_CG44");
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco contratti");
  IDLookup = Value::literal("Lkp_ContrMov3000");
  return result;
}

int16_t CLSCG_LOOKUP::ContrattiCorrispettivi3000Euro(bool RaggruppaContratti) noexcept {
  int16_t result = 0;
  StringaSQL_ = Value::literal("");

  std::optional<bool> azienda_open, codfiscale_open, anagrafica_open;
  detail::step([&] { azienda_open = open_number(CodAzienda); });
  detail::step([&] { codfiscale_open = open_text(CodFiscale); });
  detail::step([&] { anagrafica_open = open_number(CodAnagrafica); });

  std::array<std::string_view, 6> slots{};
  if (!RaggruppaContratti) {
    if (azienda_open == true) {
      slots[0] = "Codice azienda";
      slots[1] = "Ragione sociale azienda";
    }
    if (codfiscale_open == true) slots[2] = "Codice fiscale";
    if (anagrafica_open == true) {
      slots[3] = "Codice anagrafica";
      slots[4] = "Descrizione anagrafica";
    }
  }
  slots[5] = kCodiceContratto;
  detail::step([&] { ColonneLookup_ = slot_table(slots, RaggruppaContratti, result); });

  std::string select, conditions;
  bool refused = false;
  detail::part_step(refused, [&] {
    if (!azienda_open) return;
    if (*azienda_open) {
      select += "CG3D_DITTA_CG18, CG16.CG16_RAGSOANAG, ";
    } else {
      SqlText w(64);  // one condition line: 30 bytes of text and a code
      w << "   AND  CG3D_DITTA_CG18 = " << CodAzienda << LEMA_CR;
      conditions += w.str();
    }
  });
  detail::part_step(refused, [&] {
    if (!codfiscale_open) return;
    if (*codfiscale_open) {
      select += "CG3D_CODFISCALE, ";
    } else {
      SqlText w(64);  // one condition line: 30 bytes of text and a code
      w << "   AND  CG3D_CODFISCALE = '" << quoted(CodFiscale) << "'" << LEMA_CR;
      conditions += w.str();
    }
  });
  detail::part_step(refused, [&] {
    if (!anagrafica_open) return;
    if (*anagrafica_open) {
      select += "CG3D_CODICE_CG16, CG16_ANAG.CG16_RAGSOANAG AS DESCRANAG, ";
    } else {
      SqlText w(64);  // one condition line: 30 bytes of text and a code
      w << "   AND  CG3D_CODICE_CG16 = " << CodAnagrafica << LEMA_CR;
      conditions += w.str();
    }
  });
  if (RaggruppaContratti) select.clear();
  select += "CG3D_CONTRATTO";

  detail::step([&] {
    detail::fail_if_refused(refused);
    // As above; the rest of the text takes 413 bytes at most.
    SqlText sql(3 * select.size() + conditions.size() + 512);
    open_statement(sql, select, " FROM   CG3D_DATIANAGMOV3000 WITH(NOLOCK)");
    if (select.find("CG3D_DITTA_CG18") != std::string::npos) {
      sql << " LEFT OUTER JOIN CG18_ANADITTABASE AS CG18" << LEMA_CR
          << "   ON  CG18.CG18_DITTA = CG3D_DITTA_CG18" << LEMA_CR
          << " LEFT OUTER JOIN CG16_ANAGGEN AS CG16" << LEMA_CR
          << "   ON CG16.CG16_CODICE = CG18_CODICE_CG16" << LEMA_CR;
    }
    if (select.find("CG3D_CODICE_CG16") != std::string::npos) {
      sql << " LEFT OUTER JOIN CG16_ANAGGEN AS CG16_ANAG" << LEMA_CR
          << "   ON CG16_ANAG.CG16_CODICE = CG3D_CODICE_CG16" << LEMA_CR;
    }
    close_statement(sql, " WHERE CG3D_CONTRATTO IS NOT NULL", conditions, select, " AS DESCRANAG");
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco contratti corrispettivi");
  IDLookup = Value::literal("Lkp_ContrCorr3000");
  return result;
}

}  // namespace lema
