// Small coded tables: ISTAT activities, payment-delivery and collection methods (described
// for the current company), nomenclature services (in the user's language).
#include <string>
#include <string_view>

#include "common/error.h"
#include "common/guard.h"
#include "common/sql.h"
#include "common/text.h"
#include "decode/clscg_decode.h"
#include "decode/detail/binding.h"
#include "decode/detail/simple_decode.h"
#include "host/host_framework.h"

namespace lema {
namespace {

using namespace detail;  // the piece makers of the tables below

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

// clang-format off
// AttivitàISTAT (CodiceISTAT)
constexpr SimpleDecode kAttivitaISTAT{
    "CG06_DESCR",
    {lit("SELECT CG06_DESCR FROM CG06_TABATTISTAT WITH (NOLOCK) WHERE CG06_CODICE = '"), quoted_raw(0),
     lit("'")}};
// clang-format on

}  // namespace

void CLSCG_DECODE::AttivitàISTAT(const ObjectRef& TextEdit, const Value& CodiceISTAT) noexcept {
  detail::run_simple(kAttivitaISTAT, TextEdit, {&CodiceISTAT}, ColonneDiDecodifica_, StringaSQL_);
}

void CLSCG_DECODE::ModalitaErogazione(const ObjectRef& TextEdit, const Value& Codice) noexcept {
  detail::step([&] { ColonneDiDecodifica_ = detail::binding_row(TextEdit, "IN03_DESCR"); });
  Value company;
  detail::step([&] { company = host::company_or_empty(ActiveInterface); });
  detail::step([&] {
    StringaSQL_ = company_template("SELECT IN03_DESCR FROM FNIN03_MODEROGAZIONE(<CODICE>, <DITTA>)",
                                   Codice, company);
  });
}

void CLSCG_DECODE::ModalitaIncasso(const ObjectRef& TextEdit, const Value& Codice) noexcept {
  detail::step([&] { ColonneDiDecodifica_ = detail::binding_row(TextEdit, "IN04_DESCR"); });
  Value company;
  detail::step([&] { company = host::company_or_empty(ActiveInterface); });
  detail::step([&] {
    StringaSQL_ = company_template("SELECT IN04_DESCR FROM FNIN04_MODINCASSO(<CODICE>, <DITTA>)",
                                   Codice, company);
  });
}

void CLSCG_DECODE::Servizio(const ObjectRef& TextEdit, const Value& Codice) noexcept {
  detail::step([&] { ColonneDiDecodifica_ = detail::binding_row(TextEdit, "CG72_DESCR"); });
  std::string language;
  detail::step([&] { language = host::language_or_default(ActiveInterface, "ITA"); });
  detail::step([&] {
    SqlText sql(480);  // longest measured: 414 bytes
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

}  // namespace lema
