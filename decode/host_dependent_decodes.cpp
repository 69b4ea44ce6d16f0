// Decodes whose statement depends on the host (language, company) or on a setting of the
// decode object (nomenclature year, intercompany reference date, kind of payment reason).
#include <string>
#include <string_view>

#include "common/error.h"
#include "common/guard.h"
#include "common/sql.h"
#include "common/text.h"
#include "decode/clscg_decode.h"
#include "decode/detail/binding.h"

namespace lema {
namespace {

// A statement made from a template naming the code and the company: the quoted code
// replaces every "<CODICE>" first, then the company (0 when unknown) every "<DITTA>".
Value company_template(std::string_view text, const Value& Codice, const Value& company) {
  std::string code = "'";
  append_or_default(code, Codice, "");
  guard::check_quoted(std::string_view(code).substr(1));
  code += '\'';
  std::string ditta;
  append_or_default(ditta, company, "0");
  guard::check_bare(ditta);
  return Value(replace_all(replace_all(text, "<CODICE>", code), "<DITTA>", ditta));
}

}  // namespace

void CLSCG_DECODE::CausaliContabili(const ObjectRef& TextEdit, const Value& Codice) noexcept {
  detail::step([&] { ColonneDiDecodifica_ = detail::binding_row(TextEdit, "CG33_DESCR"); });
  std::string language;
  detail::step([&] { language = host_language("ITA "); });
  detail::step([&] {
    SqlText sql(384);
    sql << " SELECT          CG0L_DESCRIZIONE AS CG33_DESCR"
           " FROM            CG33_TABCAU WITH(NOLOCK)"
           " LEFT OUTER JOIN CG0L_DESLINGUA WITH(NOLOCK)"
           "              ON CG0L_CODLINGUA_MG52 = '"
        << quoted(language)
        << "'"
           "             AND CG0L_PROVID = 5"
           "             AND CG0L_IDPROV = CG33_IDPROV"
           " WHERE           CG33_CODICE = '"
        << quoted(Codice) << "'";
    StringaSQL_ = sql.value();
  });
}

void CLSCG_DECODE::ModalitaErogazione(const ObjectRef& TextEdit, const Value& Codice) noexcept {
  detail::step([&] { ColonneDiDecodifica_ = detail::binding_row(TextEdit, "IN03_DESCR"); });
  Value company;
  detail::step([&] { company = host_company(); });
  detail::step([&] {
    StringaSQL_ = company_template("SELECT IN03_DESCR FROM FNIN03_MODEROGAZIONE(<CODICE>, <DITTA>)",
                                   Codice, company);
  });
}

void CLSCG_DECODE::ModalitaIncasso(const ObjectRef& TextEdit, const Value& Codice) noexcept {
  detail::step([&] { ColonneDiDecodifica_ = detail::binding_row(TextEdit, "IN04_DESCR"); });
  Value company;
  detail::step([&] { company = host_company(); });
  detail::step([&] {
    StringaSQL_ = company_template("SELECT IN04_DESCR FROM FNIN04_MODINCASSO(<CODICE>, <DITTA>)",
                                   Codice, company);
  });
}

void CLSCG_DECODE::Servizio(const ObjectRef& TextEdit, const Value& Codice) noexcept {
  detail::step([&] { ColonneDiDecodifica_ = detail::binding_row(TextEdit, "CG72_DESCR"); });
  std::string language;
  detail::step([&] { language = host_language("ITA"); });
  detail::step([&] {
    SqlText sql(640);
    if (Anno_Nomenclatura != 0) {
      // The description of the latest nomenclature year not after the one set.
      sql << "SELECT CG0L_DESCRIZIONE AS CG72_DESCR " LEMA_CRLF
             "  FROM CG72_NOMENCLATURE WITH (NOLOCK) " LEMA_CRLF
             " LEFT OUTER JOIN CG0L_DESLINGUA WITH (NOLOCK) " LEMA_CRLF
             "  ON CG0L_PROVID = 11 " LEMA_CRLF "  AND CG0L_CODLINGUA_MG52 = '"
          << quoted(language)
          << "'" LEMA_CRLF "  AND CG0L_IDPROV = CG72_CNKEY " LEMA_CRLF " WHERE CG72_CODICE = '"
          << quoted(Codice, "")
          << "'" LEMA_CRLF " AND CG72_INDTIPO = 1 " LEMA_CRLF " AND CG72_ANNO = " LEMA_CRLF
             "   (SELECT MAX(CG72_ANNO) FROM CG72_NOMENCLATURE WITH (NOLOCK) " LEMA_CRLF
             "     WHERE CG72_ANNO <= ";
      sql.number(Anno_Nomenclatura);
      sql << LEMA_CRLF "      AND CG72_INDTIPO = 1 )";
    } else {
      sql << "SELECT TOP(1) CG0L_DESCRIZIONE AS CG72_DESCR " LEMA_CRLF
             " FROM CG72_NOMENCLATURE WITH (NOLOCK) " LEMA_CRLF
             " LEFT OUTER JOIN CG0L_DESLINGUA WITH (NOLOCK) " LEMA_CRLF
             "  ON CG0L_PROVID = 11 " LEMA_CRLF "  AND CG0L_IDPROV = CG72_CNKEY " LEMA_CRLF
             "  AND CG0L_CODLINGUA_MG52 = '"
          << quoted(language) << "'" LEMA_CRLF "  WHERE  CG72_CODICE = '" << quoted(Codice, "")
          << "'" LEMA_CRLF "  AND  CG72_INDTIPO = 1";
    }
    StringaSQL_ = sql.value();
  });
}

void CLSCG_DECODE::CategorieStampa(const ObjectRef& objOcxDecode, const Value& vIdentity,
                                   const std::string& sCodice) noexcept {
  detail::step(
      [&] { ColonneDiDecodifica_ = detail::binding_row(objOcxDecode, "CG0Z_DESCRIZIONE"); });
  std::string language;
  detail::step([&] { language = host_language("ITA "); });
  detail::step([&] {
    SqlText sql(384);
    sql << "SELECT " LEMA_CR "  CG0L_DESCRIZIONE AS CG0Z_DESCRIZIONE " LEMA_CR
           "FROM CG0Z_CATEGORIESTP WITH(NOLOCK) " LEMA_CR
           "LEFT OUTER JOIN CG0L_DESLINGUA WITH(NOLOCK) " LEMA_CR
           "             ON CG0L_CODLINGUA_MG52 = '"
        << quoted(language)
        << "'" LEMA_CR "            AND CG0L_PROVID = 14 " LEMA_CR
           "            AND CG0L_IDPROV = CG0Z_ID "
           "WHERE 1=1 " LEMA_CR;
    // The identity, when given, wins over the category code.
    if (is_given(vIdentity))
      sql << "  AND CG0Z_ID = " << vIdentity;
    else
      sql << "  AND CG0Z_CATEGORIA = '" << quoted(sCodice) << "'";
    StringaSQL_ = sql.value();
  });
}

void CLSCG_DECODE::AziendaIntercompany(const ObjectRef& TextEdit, const Value& Codice) noexcept {
  detail::step([&] { ColonneDiDecodifica_ = detail::binding_row(TextEdit, "CGC0_DESCR"); });
  detail::step([&] {
    // With a reference date, only the company configuration valid at that date counts.
    const bool dated = is_given(DataStrutturaIntercompany);
    SqlText sql(dated ? 448 : 96);
    sql << " SELECT CGC0_DESCR"
           " FROM CGC0_STRUTINFRAGRUPPO WITH(NOLOCK)";
    if (dated)
      sql << " LEFT OUTER JOIN CGB0_CONFIGINFRAGRUPPO WITH(NOLOCK)"
             "   ON CGB0_CODICE_CGC0 = CGC0_CODICE";
    sql << " WHERE CGC0_CODICE = ";
    sql.or_default(Codice, "0");
    if (dated)
      sql << "   AND CGB0_DATACONFIG = (SELECT MAX(CGB0.CGB0_DATACONFIG)" LEMA_CR
             "                          FROM CGB0_CONFIGINFRAGRUPPO AS CGB0 WITH(NOLOCK)" LEMA_CR
             "                          WHERE CGB0.CGB0_DATACONFIG <= '"
          << quoted(DataPerSQL(DataStrutturaIntercompany))
          << "'" LEMA_CR "                          )" LEMA_CR;
    StringaSQL_ = sql.value();
  });
}

void CLSCG_DECODE::CausaliPagEff(const ObjectRef& TextEdit, const Value& Codice, const Value& Ditta,
                                 int16_t* TipoCausale) noexcept {
  detail::step([&] { ColonneDiDecodifica_ = detail::binding_row(TextEdit, "CGP0_DESCRIZIONE"); });
  detail::step([&] {
    // A kind of reason restricts to the reasons configured for the company in that kind.
    const int16_t kind = TipoCausale ? *TipoCausale : int16_t{0};
    SqlText sql(kind != 0 ? 512 : 128);
    sql << "SELECT CGP0_DESCRIZIONE" LEMA_CRLF " FROM CGP0_PAGEFFCAUSALI WITH (NOLOCK)" LEMA_CRLF;
    if (kind != 0)
      sql << " INNER JOIN CGP5_PAGEFFPARAM WITH (NOLOCK) ON CGP5_CAUSALE_CGP0 = CGP0_CAUSALE" LEMA_CRLF
             " INNER JOIN CGP6_PAGEFFPARAMDITTA WITH (NOLOCK) ON CGP6_DITTA_CG18 = "
          << Ditta
          << LEMA_CRLF
          "                                               AND CGP6_CAUSALE_CGP0 = CGP0_CAUSALE" LEMA_CRLF;
    sql << " WHERE CGP0_CAUSALE = " << Codice;
    if (kind != 0) {
      sql << LEMA_CRLF "   AND CGP5_TIPOCAUSALE = ";
      sql.number(kind);
      sql << LEMA_CRLF "   AND CGP6_INDPAGVALUTA = 0" LEMA_CRLF;
    }
    StringaSQL_ = sql.value();
  });
}

}  // namespace lema
