// CLSCG_DECODE: instance state and the member table (in slot order).
#include "automation/binder.h"
#include "automation/class_info.h"
#include "decode/clscg_decode.h"

namespace lema {

CLSCG_DECODE::CLSCG_DECODE() = default;

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
  using namespace access;
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

}  // namespace lema
