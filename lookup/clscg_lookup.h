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

  CLSCG_LOOKUP();
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

  // ---- lookups (slot order) ----------------------------------------------------------
  void Sezionali(const Value& CodiceDitta) noexcept;
  void Valute() noexcept;
  void ContiCliFor(const Value& CodiceDitta = Value::missing(),
                   const Value& TipoCF = Value::missing()) noexcept;
  void CodiciIva(Value* Filtro = nullptr) noexcept;
  void CausaliContabili() noexcept;
  void EserciziContabili(ObjectRef& Connessione, const Value& CodiceDitta) noexcept;
  void GruppoCespiti(const Value& CampoOrdinamento = Value::missing()) noexcept;
  void SpecieCespiti(const Value& Gruppo,
                     const Value& CampoOrdinamento = Value::missing()) noexcept;
  void RiclassificazionePdC(const Value& CampoOrdinamento = Value::missing()) noexcept;
  void RiclassificazioneBilancioCEE(const Value& CodiceBilancioCEE,
                                    const Value& CampoOrdinamento = Value::missing()) noexcept;
  void ContiImmobilizzi(const Value& Gruppo,
                        const Value& CampoOrdinamento = Value::missing()) noexcept;
  void SottoSpecieCespiti(const Value& Gruppo, const Value& Specie,
                          const Value& CampoOrdinamento = Value::missing()) noexcept;
  void Cespiti(const Value& Ditta, const Value& CampoOrdinamento = Value::missing()) noexcept;
  void ElencoGruppoSpecieSottospecieCesp(const Value& CampoOrdinamento = Value::missing()) noexcept;
  void ElencoGruppoSpecieCesp(const Value& CampoOrdinamento = Value::missing()) noexcept;
  void ElencoSpecieSottoSpecieCesp(const Value& Gruppo,
                                   const Value& CampoOrdinamento = Value::missing()) noexcept;
  void Ubicazioni(const Value& Ditta, const Value& CampoOrdinamento = Value::missing()) noexcept;
  void CausaliContabiliSoloIVA() noexcept;
  void CespitiDitta(const Value& Ditta, const Value& Gruppo, const Value& Specie,
                    const Value& SottoSpecieCespiti,
                    const Value& CampoOrdinamento = Value::missing()) noexcept;
  void AnagContribuente(const Value& CampoOrdinamento = Value::missing()) noexcept;
  void Tributo(const Value& Sezione, const Value& CampoOrdinamento = Value::missing()) noexcept;
  void CausaliContabiliIVAAperturaPartiteAcconti() noexcept;
  void AllegatiPerInventariContabili() noexcept;
  void GruppiPerInventariContabili(const Value& CodAllegato) noexcept;
  void SpedizioneRBKF24(const Value& CampoOrdinamento = Value::missing(),
                        const Value& CodContribuente = Value::missing()) noexcept;
  void CespitiPerContoContabile(const Value& Ditta, const Value& CodicePdC, const Value& Conto,
                                const Value& CampoOrdinamento = Value::missing()) noexcept;
  void BeniUsati(const Value& CodiceDitta,
                 const Value& CampoOrdinamento = Value::missing()) noexcept;
  void AziendeIntercompany() noexcept;
  void ContiCorrenti(const Value& CodAnagContr, TipoSoggettoF24 TipoSoggetto,
                     const Value& CampoOrdinamento = Value::missing()) noexcept;
  void DeducibilitàCespiti() noexcept;
  void CausaliContabiliContabilitaProgettiCommesse(const Value& CodiceDitta) noexcept;
  void TipiIVA() noexcept;
  void ModalitaErogazione() noexcept;
  void ModalitaIncasso() noexcept;
  void Servizio() noexcept;
  void CausaliPagEff(int16_t* TipoCausale = nullptr) noexcept;
  void CausaliContabiliPerClassificazione() noexcept;
  void ClassificazioneCausali() noexcept;
  int16_t ContrattiMovimenti3000Euro(bool RaggruppaContratti = true) noexcept;
  int16_t ContrattiCorrispettivi3000Euro(bool RaggruppaContratti = true) noexcept;
  void StruttureIntercompany() noexcept;
  void DatabaseIntercompany() noexcept;
  void CategorieStampa() noexcept;
  void EserciziContabili_LKPGRID(ObjectRef& Connessione, const Value& CodiceDitta) noexcept;
  void LettereIntento() noexcept;
  void IFRS15_Tipi(const Value& CampoOrdinamento = Value::missing()) noexcept;
  void IFRS15_Operativita(int16_t TipoIFRS,
                          const Value& CampoOrdinamento = Value::missing()) noexcept;
  void IFRS15_Nature(int16_t TipoIFRS, const Value& CampoOrdinamento = Value::missing()) noexcept;
  void IFRS15_ClassificazioneArticoli(int16_t TipoIFRS,
                                      const Value& CampoOrdinamento = Value::missing()) noexcept;
  void IFRS15_ClassificazioneClienti(int16_t TipoIFRS,
                                     const Value& CampoOrdinamento = Value::missing()) noexcept;

  // ---- private procedures (also used by the tests) -----------------------------------
  static Value ValoreODefault(const Value& value, const Value& def);
  Value DataPerSQL(const Value& value);
  std::string Traduci(std::string_view text);

 private:
  // Appends the translation of `text` (the text itself without a host, or when the host
  // fails).
  void Traduci(std::string& out, std::string_view text);
  void LookupCodiciIvaEsterno(Value& Filtro);
  // Host values: the language code as text (`def` when there is no host or it fails) and
  // the company code (Empty likewise).
  std::string host_language(std::string_view def);
  Value host_company();
  // The ordering rule shared by the lookups with a CampoOrdinamento argument: missing,
  // Empty or "" gives the default; anything else (Null included) stays as it is.
  static const Value& ordering(const Value& campo, const Value& def);

  Value Caption_;
  Value StringaSQL_;
  Value ColonneLookup_;

  friend struct LookupAccess;
};

}  // namespace lema
