// CLSCG_DECODE: instance state, member table and the private procedures the decodes share.
#include <algorithm>

#include "automation/binder.h"
#include "automation/class_info.h"
#include "common/error.h"
#include "common/text.h"
#include "decode/clscg_decode.h"
#include "host/date_text_converter.h"
#include "host/host_framework.h"

namespace lema {

CLSCG_DECODE::CLSCG_DECODE() {
  ActiveInterface.reset();
}

CLSCG_DECODE::~CLSCG_DECODE() {
  connection_.reset();
  ActiveInterface.reset();
}

const ClassInfo& CLSCG_DECODE::class_info() const {
  return static_class_info();
}

const ClassInfo& CLSCG_DECODE::static_class_info() {
  using C = CLSCG_DECODE;
  using namespace bind;
  using access::GL;
  using access::GLS;
  using access::GS;
  static const ClassInfo info(
      kProgId,
      {
          getter<&C::StringaSQL>("StringaSQL"),
          getter<&C::ColonneDiDecodifica>("ColonneDiDecodifica"),
          method<&C::Valute>("Valute", {req("CodiceValuta"), opt("TextEditSigla", Value::nothing()),
                                        opt("TextEditDescr", Value::nothing())}),
          method<&C::AttivitàISTAT>("AttivitàISTAT", {req("TextEdit"), req("CodiceISTAT")}),
          method<&C::ContiCliFor>("ContiCliFor",
                                  {req("TextEdit"), req("Ditta"), req("TipoCF"), req("CodiceCF")}),
          method<&C::ClienteFornitore>(
              "ClienteFornitore",
              {req("DittaCF"), req("TipoCF"), req("CliFor"), opt("DataValidità"),
               opt("StringaDiConnessione", Value("")), opt("TextEdit", Value::nothing())}),
          method<&C::RiclassificazionePdC>("RiclassificazionePdC",
                                           {req("TextEdit"), req("Codice")}),
          method<&C::GruppoCespiti>("GruppoCespiti", {req("TextEdit"), req("Gruppo")}),
          method<&C::SpecieCespiti>("SpecieCespiti",
                                    {req("TextEdit"), req("Gruppo"), req("Specie")}),
          method<&C::RiclassificazioneBilancioCEE>(
              "RiclassificazioneBilancioCEE",
              {req("TextEdit"), req("CodiceBilancioCEE"), req("CodiceConto")}),
          method<&C::ContiImmobilizzi>("ContiImmobilizzi",
                                       {req("TextEdit"), req("Gruppo"), req("CodiceImmobilizzo")}),
          method<&C::SottoSpecieCespiti>("SottoSpecieCespiti", {req("TextEdit"), req("Gruppo"),
                                                                req("Specie"), req("SottoSpecie")}),
          method<&C::Cespiti>("Cespiti", {req("TextEdit"), req("Ditta"), req("CodiceCespiti")}),
          method<&C::Ubicazioni>("Ubicazioni", {req("TextEdit"), req("Ditta"), req("Codice")}),
          method<&C::CausaliContabili>("CausaliContabili", {req("TextEdit"), req("Codice")}),
          method<&C::Tributo>("Tributo", {req("TextEdit"), req("Sezione"), req("CodiceTributo")}),
          method<&C::BeneUsato>("BeneUsato", {req("TextEdit"), req("Ditta"), req("Codice")}),
          method<&C::AziendaIntercompany>("AziendaIntercompany", {req("TextEdit"), req("Codice")}),
          method<&C::ContiCorrenti>(
              "ContiCorrenti",
              {opt("Id"), opt("CodContr"), opt("IndSogg"), opt("NumCC"),
               opt("TextDescr", Value::nothing()), opt("TextID", Value::nothing()),
               opt("TextCodContr", Value::nothing()), opt("TextIndSogg", Value::nothing()),
               opt("TextNumCC", Value::nothing()), opt("TextContoCorrente", Value::nothing()),
               opt("TextABI", Value::nothing()), opt("TextCAB", Value::nothing()),
               opt("TextCIN", Value::nothing()), opt("ChkPredefinito", Value::nothing())}),
          method<&C::DeducibilitàCespiti>("DeducibilitàCespiti",
                                          {req("TextEdit"), req("IDDeducibilità")}),
          method<&C::ModalitaErogazione>("ModalitaErogazione", {req("TextEdit"), req("Codice")}),
          method<&C::ModalitaIncasso>("ModalitaIncasso", {req("TextEdit"), req("Codice")}),
          method<&C::Servizio>("Servizio", {req("TextEdit"), req("Codice")}),
          method<&C::CausaliPagEff>("CausaliPagEff", {req("TextEdit"), req("Codice"), req("Ditta"),
                                                      opt("TipoCausale", Value(int16_t{0}))}),
          field<&C::CampoDecodificaCespitiSottoSpecie>("CampoDecodificaCespitiSottoSpecie", GS),
          field<&C::CampoDecodificaCespitiCodImmobilizzo>("CampoDecodificaCespitiCodImmobilizzo",
                                                          GS),
          field<&C::Anno_Nomenclatura>("Anno_Nomenclatura", GL),
          method<&C::TributoExt>("TributoExt",
                                 {req("TextEdit"), req("Sezione"), req("CodiceTributo")}),
          method<&C::DatabaseIntercompany>("DatabaseIntercompany",
                                           {req("TextEdit"), req("CheckBox"), req("Codice")}),
          field<&C::DataStrutturaIntercompany>("DataStrutturaIntercompany", GLS),
          field<&C::ActiveInterface>("ActiveInterface", GS),
          method<&C::CategorieStampa>("CategorieStampa", {req("objOcxDecode"), opt("vIdentity"),
                                                          opt("sCodice", Value(""))}),
          method<&C::LetteraIntento>("LetteraIntento", {req("fTextEdit"), req("fId")}),
          method<&C::IFRS15_Tipo>("IFRS15_Tipo", {req("TextEdit"), req("Id")}),
          method<&C::IFRS15_Operativita>("IFRS15_Operativita", {req("TextEdit"), req("Id")}),
          method<&C::IFRS15_Natura>("IFRS15_Natura", {req("TextEdit"), req("Id")}),
          method<&C::IFRS15_ClassificazioneArticolo>("IFRS15_ClassificazioneArticolo",
                                                     {req("TextEdit"), req("Id")}),
          method<&C::IFRS15_ClassificazioneCliente>("IFRS15_ClassificazioneCliente",
                                                    {req("TextEdit"), req("Id")}),
      });
  return info;
}

// ---- private procedures ---------------------------------------------------------------

Value CLSCG_DECODE::ValoreODefault(const Value& value, const Value& def) {
  return is_given(value) ? value : def;
}

std::string CLSCG_DECODE::CodiceLarghezzaFissa(const Value& value, int16_t width) {
  const size_t n = width > 0 ? static_cast<size_t>(width) : 0;
  if (value.is_empty() || value.is_null()) return std::string(n, ' ');
  std::string text = to_text(value);
  std::string_view t = trim_blanks(text);
  // Pad and cut by characters (UTF-8 sequences), not bytes.
  std::string out;
  size_t chars = 0, i = 0;
  while (i < t.size() && chars < n) {
    size_t len = 1;
    unsigned char c = static_cast<unsigned char>(t[i]);
    if (c >= 0xF0)
      len = 4;
    else if (c >= 0xE0)
      len = 3;
    else if (c >= 0xC0)
      len = 2;
    len = std::min(len, t.size() - i);
    out.append(t.substr(i, len));
    i += len;
    ++chars;
  }
  out.append(n - chars, ' ');
  return out;
}

Value CLSCG_DECODE::DataPerSQL(const Value& value) {
  return host::sql_date_text(value);
}

std::string CLSCG_DECODE::host_language(std::string_view def) {
  return host::language_or_default(ActiveInterface, def);
}

Value CLSCG_DECODE::host_company() {
  return host::company_or_empty(ActiveInterface);
}

}  // namespace lema
