// Lists that accompany the ledger reasons: payment and effect reasons, print categories.
#include <string>

#include "common/error.h"
#include "common/sql.h"
#include "common/text.h"
#include "decode/clscg_decode.h"
#include "decode/detail/binding.h"
#include "host/host_framework.h"

namespace lema {

void CLSCG_DECODE::CausaliPagEff(const ObjectRef& TextEdit, const Value& Codice, const Value& Ditta,
                                 int16_t* TipoCausale) noexcept {
  detail::step([&] { ColonneDiDecodifica_ = detail::binding_row(TextEdit, "CGP0_DESCRIZIONE"); });
  detail::step([&] {
    // A kind of reason restricts to the reasons configured for the company in that kind.
    const int16_t kind = TipoCausale ? *TipoCausale : int16_t{0};
    SqlText sql(kind != 0 ? 448 : 128);  // longest measured: 387 and 89 bytes
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

void CLSCG_DECODE::CategorieStampa(const ObjectRef& objOcxDecode, const Value& vIdentity,
                                   const std::string& sCodice) noexcept {
  detail::step(
      [&] { ColonneDiDecodifica_ = detail::binding_row(objOcxDecode, "CG0Z_DESCRIZIONE"); });
  std::string language;
  detail::step([&] { language = host::language_or_default(ActiveInterface, "ITA "); });
  detail::step([&] {
    SqlText sql(352);  // longest measured: 287 bytes
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

}  // namespace lema
