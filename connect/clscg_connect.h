// CLSCG_CONNECT: the program connector. Its Call methods open maintenance and print programs
// of the application through the sibling connector component, handing it the settings held
// here by property name; the sibling reports the user's pick back through TransferData,
// which is raised as an event to the screen that owns the connector. Nothing escapes to
// the host: a Call method answers False on any failure, the other members ignore failures.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "automation/events.h"
#include "common/enums.h"
#include "common/object.h"
#include "common/value.h"

namespace lema {

class CLSCG_CONNECT final : public Object, public EventSource {
 public:
  static constexpr std::string_view kProgId = "LEMA_LOOKUPDECODE.CLSCG_CONNECT";

  CLSCG_CONNECT() = default;
  ~CLSCG_CONNECT() override;
  const ClassInfo& class_info() const override;
  static const ClassInfo& static_class_info();

  // ---- settings ----------------------------------------------------------------------
  ObjectRef ActiveInterface;
  ObjectRef ConnectField;  // set only, from the host's side: the control that gets the pick
  Value CodModalitaErogazione;
  Value CodModalitaIncasso;
  Value CodServizio;
  Value CodCausalePagEff;
  Value CodAnagBlackList;
  Value DataRiferimento;
  ObjectRef Connessione;
  int32_t CodiceAzienda = 0;
  std::string NumeroRegistrazione;
  int16_t TipoCF = 0;
  int32_t CodiceClifor = 0;
  int32_t CodAnagrafica = 0;
  std::string CodFiscale;
  std::string CodiceContratto;
  int32_t NumCorrispettivo = 0;
  Value ImpCorrispettivo;
  std::string CodiceIVA;
  int16_t IndTipoIVA = 0;
  int16_t IndTipoOper = 0;
  ObjectRef Elenchi_RSDettagliDatiAnag;
  ObjectRef Elenchi_RSDettagliDatiIVA;
  ObjectRef Elenchi_RSMovimentiContratto;
  std::string Elenchi_NomeCampoImporto;
  std::string Elenchi_NomeCampoImposta;
  std::string Elenchi_NomeCampoCodIVA;
  std::string Elenchi_NomeCampoTipoIVA;
  std::string Elenchi_NomeCampoTipoOper;
  std::string Elenchi_NomeCampoConto;
  std::string Elenchi_NomeCampoDitta;
  std::string Elenchi_NomeCampoNumReg;
  Elenchi_TipoGestione Elenchi_IndTipoGestione{};
  Elenchi_TipoProvenienza Elenchi_IndTipoProvenienza{};
  IndicatoreGestioneElenchiMov3000Enum Elenchi_IndGestioneElenchiMov3000{};
  Elenchi_TipoGenerazioneContratto Elenchi_IndTipoGenerazioneContratto{};
  int32_t WindowPositionHandle = 0;
  int32_t WindowPositionAddLeft = 0;
  int32_t WindowPositionAddTop = 0;
  int16_t Stato = 0;
  std::string Errore;
  Value Anno_Nomenclatura;
  Value DataStrutturaIntercompany;
  Value CodiceIntercompany;
  Value TipoVisualizzazioneIntercompany;
  std::string CategorieStp_Categoria;

  // ---- members (slot order) ---------------------------------------------------------
  bool CallCausaliContabili(Value* CodiceCausale = nullptr) noexcept;
  // Raises the event TransferData; Cancel and kwCalledProgram come back as the handlers
  // left them.
  void TransferData(bool& Cancel, const Value& Data, kwEnumCalledProgram& kwCalledProgram) noexcept;
  bool CallAnagraficaBeniUsati(const Value& CodiceBeneUsato = Value::missing()) noexcept;
  Value TerminateConnect() noexcept;
  bool CallAggiornamentoProgressiviIVACliFor() noexcept;
  bool CallStampaProgressiviIVACliFor() noexcept;
  bool CallModalitaErogazione() noexcept;
  bool CallModalitaIncasso() noexcept;
  bool CallServizio() noexcept;
  bool CallCausaliPagEff() noexcept;
  bool CallAnagraficaBlackList() noexcept;
  bool CallElenchiMov3000(int16_t* Pint_Stato = nullptr) noexcept;
  bool CallRiferimentiGraficiDocumento() noexcept;
  bool CallAssociazioneNoteVariazione3000() noexcept;
  bool CallAziendeIntercompany() noexcept;
  bool CallCategorieStampa() noexcept;

  // The sibling connector currently held (none before the first Call method, and after
  // it is released).
  const ObjectRef& sibling() const noexcept { return sibling_; }

 private:
  // The frame every sibling-driven Call method shares: the sibling on first need, its
  // ConnectField unless `pass_connect_field` is false, then `body` on the sibling, whose
  // result is the method's. Any failure ends the frame with false.
  template <class Body>
  bool ViaConnettore(bool pass_connect_field, Body&& body) noexcept;
  // Creates the sibling when none is held and links it to this connector.
  Object& Connettore();
  // Clears the given object properties on the sibling, in order, then releases it.
  void RilasciaConnettore(std::initializer_list<std::string_view> clear);

  // A value counts as present when it is neither Empty nor Null and its text is not ""
  // (blanks count as present).
  static bool ValorePresente(const Value& v);

  ObjectRef sibling_;
};

}  // namespace lema
