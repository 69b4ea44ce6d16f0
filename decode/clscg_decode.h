// CLSCG_DECODE: builds the code-to-description definitions of the screens (statement plus
// a binding table pairing each control with the result column it shows). Every public
// member swallows its own failures step by step.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/object.h"
#include "common/value.h"

namespace lema {

class CLSCG_DECODE final : public Object {
 public:
  static constexpr std::string_view kProgId = "LEMA_LOOKUPDECODE.CLSCG_DECODE";

  CLSCG_DECODE();  // no host object, settings at their defaults
  ~CLSCG_DECODE() override;
  const ClassInfo& class_info() const override;
  static const ClassInfo& static_class_info();

  // ---- results and state ------------------------------------------------------------
  const Value& StringaSQL() const noexcept { return StringaSQL_; }
  const Value& ColonneDiDecodifica() const noexcept { return ColonneDiDecodifica_; }
  ObjectRef ActiveInterface;
  ObjectRef CampoDecodificaCespitiSottoSpecie;
  ObjectRef CampoDecodificaCespitiCodImmobilizzo;
  int16_t Anno_Nomenclatura = 0;
  Value DataStrutturaIntercompany;

  // ---- decodes, by the file that holds them (decode.cpp lists them in slot order) ------
  // decode/valute.cpp
  void Valute(const Value& CodiceValuta, const ObjectRef& TextEditSigla = {},
              const ObjectRef& TextEditDescr = {}) noexcept;

  // decode/small_tables.cpp
  void AttivitàISTAT(const ObjectRef& TextEdit, const Value& CodiceISTAT) noexcept;
  void ModalitaErogazione(const ObjectRef& TextEdit, const Value& Codice) noexcept;
  void ModalitaIncasso(const ObjectRef& TextEdit, const Value& Codice) noexcept;
  void Servizio(const ObjectRef& TextEdit, const Value& Codice) noexcept;

  // decode/customers_suppliers.cpp
  void ContiCliFor(const ObjectRef& TextEdit, const Value& Ditta, const Value& TipoCF,
                   const Value& CodiceCF) noexcept;
  Value ClienteFornitore(const Value& DittaCF, const Value& TipoCF, const Value& CliFor,
                         const Value& DataValidità = Value::missing(),
                         const std::string& StringaDiConnessione = {},
                         const ObjectRef& TextEdit = {}) noexcept;

  // decode/reclassification.cpp
  void RiclassificazionePdC(const ObjectRef& TextEdit, const Value& Codice) noexcept;
  void RiclassificazioneBilancioCEE(const ObjectRef& TextEdit, const Value& CodiceBilancioCEE,
                                    const Value& CodiceConto) noexcept;

  // decode/asset_classification.cpp
  void GruppoCespiti(const ObjectRef& TextEdit, const Value& Gruppo) noexcept;
  void SpecieCespiti(const ObjectRef& TextEdit, const Value& Gruppo, const Value& Specie) noexcept;
  void ContiImmobilizzi(const ObjectRef& TextEdit, const Value& Gruppo,
                        const Value& CodiceImmobilizzo) noexcept;
  void SottoSpecieCespiti(const ObjectRef& TextEdit, const Value& Gruppo, const Value& Specie,
                          const Value& SottoSpecie) noexcept;
  void Ubicazioni(const ObjectRef& TextEdit, const Value& Ditta, const Value& Codice) noexcept;
  void BeneUsato(const ObjectRef& TextEdit, const Value& Ditta, const Value& Codice) noexcept;
  void DeducibilitàCespiti(const ObjectRef& TextEdit, const Value& IDDeducibilità) noexcept;

  // decode/asset_register.cpp
  void Cespiti(const ObjectRef& TextEdit, const Value& Ditta, const Value& CodiceCespiti) noexcept;

  // decode/ledger_reasons.cpp
  void CausaliContabili(const ObjectRef& TextEdit, const Value& Codice) noexcept;

  // decode/f24.cpp
  void Tributo(const ObjectRef& TextEdit, const Value& Sezione,
               const Value& CodiceTributo) noexcept;
  void ContiCorrenti(const Value& Id = Value::missing(), const Value& CodContr = Value::missing(),
                     const Value& IndSogg = Value::missing(), const Value& NumCC = Value::missing(),
                     const ObjectRef& TextDescr = {}, const ObjectRef& TextID = {},
                     const ObjectRef& TextCodContr = {}, const ObjectRef& TextIndSogg = {},
                     const ObjectRef& TextNumCC = {}, const ObjectRef& TextContoCorrente = {},
                     const ObjectRef& TextABI = {}, const ObjectRef& TextCAB = {},
                     const ObjectRef& TextCIN = {}, const ObjectRef& ChkPredefinito = {}) noexcept;
  void TributoExt(const ObjectRef& TextEdit, const Value& Sezione,
                  const Value& CodiceTributo) noexcept;

  // decode/intercompany.cpp
  void AziendaIntercompany(const ObjectRef& TextEdit, const Value& Codice) noexcept;
  void DatabaseIntercompany(const ObjectRef& TextEdit, const ObjectRef& CheckBox,
                            const Value& Codice) noexcept;

  // decode/reason_related.cpp
  void CausaliPagEff(const ObjectRef& TextEdit, const Value& Codice, const Value& Ditta,
                     int16_t* TipoCausale = nullptr) noexcept;
  void CategorieStampa(const ObjectRef& objOcxDecode, const Value& vIdentity = Value::missing(),
                       const std::string& sCodice = {}) noexcept;

  // decode/letters_of_intent.cpp
  void LetteraIntento(const ObjectRef& fTextEdit, const Value& fId) noexcept;

  // decode/ifrs15.cpp
  void IFRS15_Tipo(const ObjectRef& TextEdit, const Value& Id) noexcept;
  void IFRS15_Operativita(const ObjectRef& TextEdit, const Value& Id) noexcept;
  void IFRS15_Natura(const ObjectRef& TextEdit, const Value& Id) noexcept;
  void IFRS15_ClassificazioneArticolo(const ObjectRef& TextEdit, const Value& Id) noexcept;
  void IFRS15_ClassificazioneCliente(const ObjectRef& TextEdit, const Value& Id) noexcept;

  // ---- private procedures ----------------------------------------------------------
 private:
  void ApriConnessione(const std::string& connection_string);  // customers_suppliers.cpp

  Value StringaSQL_;
  Value ColonneDiDecodifica_;
  ObjectRef connection_;  // private connection of ClienteFornitore
};

}  // namespace lema
