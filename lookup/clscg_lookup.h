// CLSCG_LOOKUP: builds the search-list definitions (title, statement, column headings,
// identifier) of the general-ledger screens. Every public member swallows its own
// failures step by step: nothing ever escapes to the host.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "common/enums.h"
#include "common/object.h"
#include "common/value.h"

namespace lema {

class CLSCG_LOOKUP final : public Object {
 public:
  static constexpr std::string_view kProgId = "LEMA_LOOKUPDECODE.CLSCG_LOOKUP";

  CLSCG_LOOKUP();  // no host object, settings at their defaults
  ~CLSCG_LOOKUP() override;
  const ClassInfo& class_info() const override;
  static const ClassInfo& static_class_info();

  // ---- results ---------------------------------------------------------------------
  const Value& Caption() const noexcept { return Caption_; }
  const Value& StringaSQL() const noexcept { return StringaSQL_; }
  const Value& ColonneLookup() const noexcept { return ColonneLookup_; }
  Value IDLookup;
  ObjectRef LookupRecordset;
  ObjectRef ActiveInterface;

  // ---- settings ----------------------------------------------------------------------
  Value FiltroStringaSQL;
  Value CampoOrdinamentoStringaSQL;
  CausaliContabiliLookupEnum CausaliContabiliTipoLookup{};
  std::string sCategoriaStampa_Cod;
  Value CausaleFissaPerCauCont;
  Value IndTipoRegPerCauCont;
  bool IncludiCausaliConGestioneSezionali = false;
  Value ClassificazioneCausale;
  TipologiaSezionaleEnum TipologiaSezionale = TipologiaSezionaleEnum::TuttiISezionali;
  Value CodiceAttivita;
  Value AnnoAttivita;
  bool CespitiNonFigli = false;
  Value CodCespPadre;
  bool CodCespPadreCompreso = false;
  Value CodiceSede;
  Value CodAzienda;
  Value IndMonofaseRSM;
  Value NumRegistrazione;
  Value TipoCF;
  Value CodCliFor;
  Value DataRegistrazione;
  IndicatoreGestioneElenchiMov3000Enum Elenchi_IndGestioneElenchiMov3000{};
  Value CodFiscale;
  Value CodAnagrafica;
  int16_t Anno_Nomenclatura = 0;
  Value DataStrutturaIntercompany;
  Value CodIntercompanyFiglio;
  Value DataDocumento;
  int16_t TipoOperazionePlafond = 0;

  // ---- lookups, by the file that holds them (lookup.cpp lists them in slot order) ------
  // lookup/journals.cpp
  void Sezionali(const Value& CodiceDitta) noexcept;

  // lookup/valute_codici_iva.cpp
  void Valute() noexcept;
  void CodiciIva(Value* Filtro = nullptr) noexcept;

  // lookup/customers_suppliers.cpp
  void ContiCliFor(const Value& CodiceDitta = Value::missing(),
                   const Value& TipoCF = Value::missing()) noexcept;

  // lookup/ledger_reasons.cpp
  void CausaliContabili() noexcept;
  void CausaliContabiliSoloIVA() noexcept;
  void CausaliContabiliIVAAperturaPartiteAcconti() noexcept;
  void CausaliContabiliPerClassificazione() noexcept;

  // lookup/fiscal_years.cpp
  void EserciziContabili(ObjectRef& Connessione, const Value& CodiceDitta) noexcept;
  void EserciziContabili_LKPGRID(ObjectRef& Connessione, const Value& CodiceDitta) noexcept;

  // lookup/asset_classification.cpp
  void GruppoCespiti(const Value& CampoOrdinamento = Value::missing()) noexcept;
  void SpecieCespiti(const Value& Gruppo,
                     const Value& CampoOrdinamento = Value::missing()) noexcept;
  void ContiImmobilizzi(const Value& Gruppo,
                        const Value& CampoOrdinamento = Value::missing()) noexcept;
  void SottoSpecieCespiti(const Value& Gruppo, const Value& Specie,
                          const Value& CampoOrdinamento = Value::missing()) noexcept;
  void ElencoGruppoSpecieSottospecieCesp(const Value& CampoOrdinamento = Value::missing()) noexcept;
  void ElencoGruppoSpecieCesp(const Value& CampoOrdinamento = Value::missing()) noexcept;
  void ElencoSpecieSottoSpecieCesp(const Value& Gruppo,
                                   const Value& CampoOrdinamento = Value::missing()) noexcept;
  void Ubicazioni(const Value& Ditta, const Value& CampoOrdinamento = Value::missing()) noexcept;
  void BeniUsati(const Value& CodiceDitta,
                 const Value& CampoOrdinamento = Value::missing()) noexcept;
  void DeducibilitàCespiti() noexcept;

  // lookup/reclassification.cpp
  void RiclassificazionePdC(const Value& CampoOrdinamento = Value::missing()) noexcept;
  void RiclassificazioneBilancioCEE(const Value& CodiceBilancioCEE,
                                    const Value& CampoOrdinamento = Value::missing()) noexcept;
  void AllegatiPerInventariContabili() noexcept;
  void GruppiPerInventariContabili(const Value& CodAllegato) noexcept;

  // lookup/asset_register.cpp
  void Cespiti(const Value& Ditta, const Value& CampoOrdinamento = Value::missing()) noexcept;
  void CespitiDitta(const Value& Ditta, const Value& Gruppo, const Value& Specie,
                    const Value& SottoSpecieCespiti,
                    const Value& CampoOrdinamento = Value::missing()) noexcept;
  void CespitiPerContoContabile(const Value& Ditta, const Value& CodicePdC, const Value& Conto,
                                const Value& CampoOrdinamento = Value::missing()) noexcept;

  // lookup/f24.cpp
  void AnagContribuente(const Value& CampoOrdinamento = Value::missing()) noexcept;
  void Tributo(const Value& Sezione, const Value& CampoOrdinamento = Value::missing()) noexcept;
  void SpedizioneRBKF24(const Value& CampoOrdinamento = Value::missing(),
                        const Value& CodContribuente = Value::missing()) noexcept;
  void ContiCorrenti(const Value& CodAnagContr, TipoSoggettoF24 TipoSoggetto,
                     const Value& CampoOrdinamento = Value::missing()) noexcept;

  // lookup/intercompany.cpp
  void AziendeIntercompany() noexcept;
  void StruttureIntercompany() noexcept;
  void DatabaseIntercompany() noexcept;

  // lookup/reason_related.cpp
  void CausaliContabiliContabilitaProgettiCommesse(const Value& CodiceDitta) noexcept;
  void CausaliPagEff(int16_t* TipoCausale = nullptr) noexcept;
  void ClassificazioneCausali() noexcept;
  void CategorieStampa() noexcept;

  // lookup/small_tables.cpp
  void TipiIVA() noexcept;
  void ModalitaErogazione() noexcept;
  void ModalitaIncasso() noexcept;
  void Servizio() noexcept;

  // lookup/contracts_3000.cpp
  int16_t ContrattiMovimenti3000Euro(bool RaggruppaContratti = true) noexcept;
  int16_t ContrattiCorrispettivi3000Euro(bool RaggruppaContratti = true) noexcept;

  // lookup/letters_of_intent.cpp
  void LettereIntento() noexcept;

  // lookup/ifrs15.cpp
  void IFRS15_Tipi(const Value& CampoOrdinamento = Value::missing()) noexcept;
  void IFRS15_Operativita(int16_t TipoIFRS,
                          const Value& CampoOrdinamento = Value::missing()) noexcept;
  void IFRS15_Nature(int16_t TipoIFRS, const Value& CampoOrdinamento = Value::missing()) noexcept;
  void IFRS15_ClassificazioneArticoli(int16_t TipoIFRS,
                                      const Value& CampoOrdinamento = Value::missing()) noexcept;
  void IFRS15_ClassificazioneClienti(int16_t TipoIFRS,
                                     const Value& CampoOrdinamento = Value::missing()) noexcept;

  // ---- private procedures ----------------------------------------------------------
 private:
  // Appends the translation of `text` (the text itself without a host, or when the host
  // fails).
  void Traduci(std::string& out, std::string_view text);  // lookup.cpp
  void LookupCodiciIvaEsterno(Value& Filtro);             // valute_codici_iva.cpp
  // The ordering rule shared by the lookups with a CampoOrdinamento argument: missing,
  // Empty or "" gives the default; anything else (Null included) stays as it is.
  static const Value& ordering(const Value& campo, const Value& def);  // lookup.cpp

  Value Caption_;
  Value StringaSQL_;
  Value ColonneLookup_;
};

}  // namespace lema
