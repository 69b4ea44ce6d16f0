// CLSCG_CONNECT: member table, the link with the sibling connector, TerminateConnect,
// destruction and the TransferData event.
#include <array>

#include "automation/back_reference.h"
#include "automation/binder.h"
#include "automation/class_info.h"
#include "automation/registry.h"
#include "common/error.h"
#include "common/text.h"
#include "connect/clscg_connect.h"
#include "host/class_names.h"

namespace lema {

CLSCG_CONNECT::~CLSCG_CONNECT() {
  if (sibling_) {
    detail::step([&] { set_property(*sibling_, "ActiveInterface", Value::nothing()); });
    sibling_.reset();
  }
  ConnectField.reset();
}

const ClassInfo& CLSCG_CONNECT::class_info() const {
  return static_class_info();
}

const ClassInfo& CLSCG_CONNECT::static_class_info() {
  using C = CLSCG_CONNECT;
  using namespace bind;
  using namespace access;
  static const ClassInfo info(
      kProgId,
      {
          field<&C::ActiveInterface>("ActiveInterface", GS),
          method<&C::CallCausaliContabili>("CallCausaliContabili", {opt("CodiceCausale")}),
          field<&C::ConnectField>("ConnectField", S),
          method<&C::TransferData>("TransferData",
                                   {req("Cancel"), req("Data"), req("kwCalledProgram")}),
          method<&C::CallAnagraficaBeniUsati>("CallAnagraficaBeniUsati", {opt("CodiceBeneUsato")}),
          method<&C::TerminateConnect>("TerminateConnect"),
          method<&C::CallAggiornamentoProgressiviIVACliFor>(
              "CallAggiornamentoProgressiviIVACliFor"),
          method<&C::CallStampaProgressiviIVACliFor>("CallStampaProgressiviIVACliFor"),
          field<&C::CodModalitaErogazione>("CodModalitaErogazione", GLS),
          field<&C::CodModalitaIncasso>("CodModalitaIncasso", GLS),
          field<&C::CodServizio>("CodServizio", GLS),
          method<&C::CallModalitaErogazione>("CallModalitaErogazione"),
          method<&C::CallModalitaIncasso>("CallModalitaIncasso"),
          method<&C::CallServizio>("CallServizio"),
          field<&C::CodCausalePagEff>("CodCausalePagEff", GLS),
          method<&C::CallCausaliPagEff>("CallCausaliPagEff"),
          field<&C::CodAnagBlackList>("CodAnagBlackList", GLS),
          field<&C::DataRiferimento>("DataRiferimento", GLS),
          method<&C::CallAnagraficaBlackList>("CallAnagraficaBlackList"),
          field<&C::Connessione>("Connessione", GS),
          field<&C::CodiceAzienda>("CodiceAzienda", GL),
          field<&C::NumeroRegistrazione>("NumeroRegistrazione", GL),
          field<&C::TipoCF>("TipoCF", GL),
          field<&C::CodiceClifor>("CodiceClifor", GL),
          field<&C::CodAnagrafica>("CodAnagrafica", GL),
          field<&C::CodFiscale>("CodFiscale", GL),
          field<&C::CodiceContratto>("CodiceContratto", GL),
          field<&C::NumCorrispettivo>("NumCorrispettivo", GL),
          field<&C::ImpCorrispettivo>("ImpCorrispettivo", GLS),
          field<&C::CodiceIVA>("CodiceIVA", GL),
          field<&C::IndTipoIVA>("IndTipoIVA", GL),
          field<&C::IndTipoOper>("IndTipoOper", GL),
          method<&C::CallElenchiMov3000>("CallElenchiMov3000", {opt("Pint_Stato")}),
          field<&C::Elenchi_RSDettagliDatiAnag>("Elenchi_RSDettagliDatiAnag", GS),
          field<&C::Elenchi_NomeCampoImporto>("Elenchi_NomeCampoImporto", GL),
          field<&C::Elenchi_NomeCampoCodIVA>("Elenchi_NomeCampoCodIVA", GL),
          field<&C::Elenchi_NomeCampoTipoIVA>("Elenchi_NomeCampoTipoIVA", GL),
          field<&C::Elenchi_NomeCampoTipoOper>("Elenchi_NomeCampoTipoOper", GL),
          field<&C::Elenchi_IndTipoGestione>("Elenchi_IndTipoGestione", GL),
          field<&C::Elenchi_IndTipoProvenienza>("Elenchi_IndTipoProvenienza", GL),
          field<&C::Elenchi_IndGestioneElenchiMov3000>("Elenchi_IndGestioneElenchiMov3000", GL),
          field<&C::Elenchi_IndTipoGenerazioneContratto>("Elenchi_IndTipoGenerazioneContratto", GL),
          field<&C::Elenchi_RSDettagliDatiIVA>("Elenchi_RSDettagliDatiIVA", GS),
          field<&C::Elenchi_NomeCampoConto>("Elenchi_NomeCampoConto", GL),
          method<&C::CallRiferimentiGraficiDocumento>("CallRiferimentiGraficiDocumento"),
          field<&C::Elenchi_RSMovimentiContratto>("Elenchi_RSMovimentiContratto", GS),
          field<&C::Elenchi_NomeCampoDitta>("Elenchi_NomeCampoDitta", GL),
          field<&C::Elenchi_NomeCampoNumReg>("Elenchi_NomeCampoNumReg", GL),
          field<&C::WindowPositionHandle>("WindowPositionHandle", GL),
          field<&C::WindowPositionAddLeft>("WindowPositionAddLeft", GL),
          field<&C::WindowPositionAddTop>("WindowPositionAddTop", GL),
          method<&C::CallAssociazioneNoteVariazione3000>("CallAssociazioneNoteVariazione3000"),
          field<&C::Stato>("Stato", GL),
          field<&C::Errore>("Errore", GL),
          field<&C::Elenchi_NomeCampoImposta>("Elenchi_NomeCampoImposta", GL),
          field<&C::Anno_Nomenclatura>("Anno_Nomenclatura", GLS),
          field<&C::DataStrutturaIntercompany>("DataStrutturaIntercompany", GLS),
          field<&C::CodiceIntercompany>("CodiceIntercompany", GLS),
          field<&C::TipoVisualizzazioneIntercompany>("TipoVisualizzazioneIntercompany", GLS),
          method<&C::CallAziendeIntercompany>("CallAziendeIntercompany"),
          field<&C::CategorieStp_Categoria>("CategorieStp_Categoria", GL),
          method<&C::CallCategorieStampa>("CallCategorieStampa"),
      },
      {
          EventInfo{"TransferData",
                    {ParamInfo{"Cancel", TypeTag::Boolean, true, false, Value()},
                     ParamInfo{"Data", TypeTag::Variant, false, false, Value()},
                     ParamInfo{"kwCalledProgram", TypeTag::Long, true, false, Value()}}},
      });
  return info;
}

// ---- the sibling connector ------------------------------------------------------------

Object& CLSCG_CONNECT::Connettore() {
  if (!sibling_) {
    sibling_ = create_object(host::kSiblingConnect);
    // The sibling reaches back through a reference that does not keep this connector
    // alive, so that the pair is not held in a cycle.
    set_property(*sibling_, "Plookup", Value(make_back_reference(*this)));
    set_property(*sibling_, "ActiveInterface", Value(ActiveInterface));
  }
  return *sibling_;
}

void CLSCG_CONNECT::RilasciaConnettore(std::initializer_list<std::string_view> clear) {
  if (!sibling_) raise(ErrorCode::ObjectVariableNotSet, "Object variable not set");
  for (std::string_view name : clear) set_property(*sibling_, name, Value::nothing());
  sibling_.reset();
}

bool CLSCG_CONNECT::ValorePresente(const Value& v) {
  if (v.is_empty() || v.is_null()) return false;
  if (v.is_string()) return !v.as_string().empty();
  return !to_text(v).empty();
}

Value CLSCG_CONNECT::TerminateConnect() noexcept {
  detail::step([&] {
    if (!sibling_) raise(ErrorCode::ObjectVariableNotSet, "Object variable not set");
    set_property(*sibling_, "ActiveInterface", Value::nothing());
  });
  sibling_.reset();
  ActiveInterface.reset();
  ConnectField.reset();
  return Value();
}

// ---- the event -------------------------------------------------------------------------

void CLSCG_CONNECT::TransferData(bool& Cancel, const Value& Data,
                                 kwEnumCalledProgram& kwCalledProgram) noexcept {
  std::array<Value, 3> args;
  const bool raised = detail::step([&] {
    args = {Value(Cancel), Data, Value(static_cast<int32_t>(kwCalledProgram))};
    raise_event(*this, "TransferData", args);
  });
  if (!raised) return;
  // The handlers' answers travel back by reference.
  detail::step([&] { Cancel = to_boolean(args[0]); });
  detail::step([&] { kwCalledProgram = static_cast<kwEnumCalledProgram>(to_long(args[2])); });
}

}  // namespace lema
