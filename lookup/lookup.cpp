// CLSCG_LOOKUP: instance state, member table and the private procedures the lookups share.
#include "automation/binder.h"
#include "automation/class_info.h"
#include "host/host_framework.h"
#include "lookup/clscg_lookup.h"

namespace lema {

CLSCG_LOOKUP::CLSCG_LOOKUP() = default;

CLSCG_LOOKUP::~CLSCG_LOOKUP() {
  ActiveInterface.reset();
}

const ClassInfo& CLSCG_LOOKUP::class_info() const {
  return static_class_info();
}

const ClassInfo& CLSCG_LOOKUP::static_class_info() {
  using C = CLSCG_LOOKUP;
  using namespace bind;
  using namespace access;
  static const ClassInfo info(
      kProgId,
      {
          getter<&C::Caption>("Caption"),
          getter<&C::StringaSQL>("StringaSQL"),
          getter<&C::ColonneLookup>("ColonneLookup"),
          method<&C::Sezionali>("Sezionali", {req("CodiceDitta")}),
          method<&C::Valute>("Valute"),
          method<&C::ContiCliFor>("ContiCliFor", {opt("CodiceDitta"), opt("TipoCF")}),
          method<&C::CodiciIva>("CodiciIva", {opt("Filtro")}),
          method<&C::CausaliContabili>("CausaliContabili"),
          field<&C::LookupRecordset>("LookupRecordset", GS),
          method<&C::EserciziContabili>("EserciziContabili",
                                        {req("Connessione"), req("CodiceDitta")}),
          field<&C::IDLookup>("IDLookup", GLS),
          method<&C::GruppoCespiti>("GruppoCespiti", {opt("CampoOrdinamento")}),
          method<&C::SpecieCespiti>("SpecieCespiti", {req("Gruppo"), opt("CampoOrdinamento")}),
          method<&C::RiclassificazionePdC>("RiclassificazionePdC", {opt("CampoOrdinamento")}),
          method<&C::RiclassificazioneBilancioCEE>(
              "RiclassificazioneBilancioCEE", {req("CodiceBilancioCEE"), opt("CampoOrdinamento")}),
          method<&C::ContiImmobilizzi>("ContiImmobilizzi",
                                       {req("Gruppo"), opt("CampoOrdinamento")}),
          method<&C::SottoSpecieCespiti>("SottoSpecieCespiti",
                                         {req("Gruppo"), req("Specie"), opt("CampoOrdinamento")}),
          method<&C::Cespiti>("Cespiti", {req("Ditta"), opt("CampoOrdinamento")}),
          method<&C::ElencoGruppoSpecieSottospecieCesp>("ElencoGruppoSpecieSottospecieCesp",
                                                        {opt("CampoOrdinamento")}),
          method<&C::ElencoGruppoSpecieCesp>("ElencoGruppoSpecieCesp", {opt("CampoOrdinamento")}),
          method<&C::ElencoSpecieSottoSpecieCesp>("ElencoSpecieSottoSpecieCesp",
                                                  {req("Gruppo"), opt("CampoOrdinamento")}),
          method<&C::Ubicazioni>("Ubicazioni", {req("Ditta"), opt("CampoOrdinamento")}),
          field<&C::CausaleFissaPerCauCont>("CausaleFissaPerCauCont", GLS),
          field<&C::IndTipoRegPerCauCont>("IndTipoRegPerCauCont", GLS),
          method<&C::CausaliContabiliSoloIVA>("CausaliContabiliSoloIVA"),
          method<&C::CespitiDitta>("CespitiDitta",
                                   {req("Ditta"), req("Gruppo"), req("Specie"),
                                    req("SottoSpecieCespiti"), opt("CampoOrdinamento")}),
          method<&C::AnagContribuente>("AnagContribuente", {opt("CampoOrdinamento")}),
          method<&C::Tributo>("Tributo", {req("Sezione"), opt("CampoOrdinamento")}),
          method<&C::CausaliContabiliIVAAperturaPartiteAcconti>(
              "CausaliContabiliIVAAperturaPartiteAcconti"),
          method<&C::AllegatiPerInventariContabili>("AllegatiPerInventariContabili"),
          method<&C::GruppiPerInventariContabili>("GruppiPerInventariContabili",
                                                  {req("CodAllegato")}),
          field<&C::CespitiNonFigli>("CespitiNonFigli", GL),
          method<&C::SpedizioneRBKF24>("SpedizioneRBKF24",
                                       {opt("CampoOrdinamento"), opt("CodContribuente")}),
          method<&C::CespitiPerContoContabile>(
              "CespitiPerContoContabile",
              {req("Ditta"), req("CodicePdC"), req("Conto"), opt("CampoOrdinamento")}),
          method<&C::BeniUsati>("BeniUsati", {req("CodiceDitta"), opt("CampoOrdinamento")}),
          method<&C::AziendeIntercompany>("AziendeIntercompany"),
          field<&C::TipologiaSezionale>("TipologiaSezionale", GL),
          field<&C::IncludiCausaliConGestioneSezionali>("IncludiCausaliConGestioneSezionali", GL),
          field<&C::CodiceSede>("CodiceSede", GLS),
          field<&C::CodCespPadre>("CodCespPadre", GLS),
          field<&C::CodAzienda>("CodAzienda", GLS),
          method<&C::ContiCorrenti>(
              "ContiCorrenti", {req("CodAnagContr"), req("TipoSoggetto"), opt("CampoOrdinamento")}),
          method<&C::DeducibilitàCespiti>("DeducibilitàCespiti"),
          method<&C::CausaliContabiliContabilitaProgettiCommesse>(
              "CausaliContabiliContabilitaProgettiCommesse", {req("CodiceDitta")}),
          field<&C::CampoOrdinamentoStringaSQL>("CampoOrdinamentoStringaSQL", GLS),
          field<&C::IndMonofaseRSM>("IndMonofaseRSM", GLS),
          method<&C::TipiIVA>("TipiIVA"),
          method<&C::ModalitaErogazione>("ModalitaErogazione"),
          method<&C::ModalitaIncasso>("ModalitaIncasso"),
          method<&C::Servizio>("Servizio"),
          method<&C::CausaliPagEff>("CausaliPagEff", {opt("TipoCausale", Value(int16_t{0}))}),
          field<&C::ClassificazioneCausale>("ClassificazioneCausale", GLS),
          method<&C::CausaliContabiliPerClassificazione>("CausaliContabiliPerClassificazione"),
          method<&C::ClassificazioneCausali>("ClassificazioneCausali"),
          field<&C::NumRegistrazione>("NumRegistrazione", GLS),
          field<&C::TipoCF>("TipoCF", GLS),
          field<&C::CodCliFor>("CodCliFor", GLS),
          field<&C::DataRegistrazione>("DataRegistrazione", GLS),
          field<&C::CodFiscale>("CodFiscale", GLS),
          field<&C::CodAnagrafica>("CodAnagrafica", GLS),
          method<&C::ContrattiMovimenti3000Euro>("ContrattiMovimenti3000Euro",
                                                 {opt("RaggruppaContratti", Value(true))}),
          method<&C::ContrattiCorrispettivi3000Euro>("ContrattiCorrispettivi3000Euro",
                                                     {opt("RaggruppaContratti", Value(true))}),
          field<&C::Elenchi_IndGestioneElenchiMov3000>("Elenchi_IndGestioneElenchiMov3000", GL),
          field<&C::CodiceAttivita>("CodiceAttivita", GLS),
          field<&C::AnnoAttivita>("AnnoAttivita", GLS),
          field<&C::CodCespPadreCompreso>("CodCespPadreCompreso", GL),
          field<&C::Anno_Nomenclatura>("Anno_Nomenclatura", GL),
          field<&C::DataStrutturaIntercompany>("DataStrutturaIntercompany", GLS),
          field<&C::CodIntercompanyFiglio>("CodIntercompanyFiglio", GLS),
          method<&C::StruttureIntercompany>("StruttureIntercompany"),
          method<&C::DatabaseIntercompany>("DatabaseIntercompany"),
          field<&C::FiltroStringaSQL>("FiltroStringaSQL", GLS),
          field<&C::ActiveInterface>("ActiveInterface", GS),
          field<&C::CausaliContabiliTipoLookup>("CausaliContabiliTipoLookup", GL),
          field<&C::sCategoriaStampa_Cod>("sCategoriaStampa_Cod", GL),
          method<&C::CategorieStampa>("CategorieStampa"),
          method<&C::EserciziContabili_LKPGRID>("EserciziContabili_LKPGRID",
                                                {req("Connessione"), req("CodiceDitta")}),
          field<&C::DataDocumento>("DataDocumento", GLS),
          field<&C::TipoOperazionePlafond>("TipoOperazionePlafond", GL),
          method<&C::LettereIntento>("LettereIntento"),
          method<&C::IFRS15_Tipi>("IFRS15_Tipi", {opt("CampoOrdinamento")}),
          method<&C::IFRS15_Operativita>("IFRS15_Operativita",
                                         {req("TipoIFRS"), opt("CampoOrdinamento")}),
          method<&C::IFRS15_Nature>("IFRS15_Nature", {req("TipoIFRS"), opt("CampoOrdinamento")}),
          method<&C::IFRS15_ClassificazioneArticoli>("IFRS15_ClassificazioneArticoli",
                                                     {req("TipoIFRS"), opt("CampoOrdinamento")}),
          method<&C::IFRS15_ClassificazioneClienti>("IFRS15_ClassificazioneClienti",
                                                    {req("TipoIFRS"), opt("CampoOrdinamento")}),
      });
  return info;
}

// ---- private procedures ---------------------------------------------------------------

void CLSCG_LOOKUP::Traduci(std::string& out, std::string_view text) {
  host::translate_or_keep(ActiveInterface, text, out);
}

const Value& CLSCG_LOOKUP::ordering(const Value& campo, const Value& def) {
  if (campo.is_missing() || campo.is_empty()) return def;
  if (campo.is_string() && campo.as_string().empty()) return def;
  return campo;
}

}  // namespace lema
