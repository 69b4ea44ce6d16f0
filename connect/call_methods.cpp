// The Call methods that open a program through the sibling connector: each hands its
// settings to the sibling by property name, in a fixed order, then calls the sibling's
// program-opening method by name. The first failure ends the method with False.
#include "automation/class_info.h"
#include "common/error.h"
#include "common/text.h"
#include "connect/clscg_connect.h"

namespace lema {

template <class Body>
bool CLSCG_CONNECT::ViaConnettore(bool pass_connect_field, Body&& body) noexcept {
  bool done = false;
  detail::step([&] {
    // Held locally: a method that releases the sibling still finishes with it.
    ObjectRef s(&Connettore());
    if (pass_connect_field) set_property(*s, "ConnectField", Value(ConnectField));
    done = body(*s);
  });
  return done;
}

namespace {
// An optional argument that was passed and holds something, or "".
Value passed_or_blank(const Value* arg, bool present) {
  return present ? *arg : Value::literal("");
}
}  // namespace

bool CLSCG_CONNECT::CallCausaliContabili(Value* CodiceCausale) noexcept {
  return ViaConnettore(true, [&](Object& s) {
    const bool present =
        CodiceCausale && !CodiceCausale->is_missing() && ValorePresente(*CodiceCausale);
    let_property(s, "CodiceCausaliContabili", passed_or_blank(CodiceCausale, present));
    call_method(s, "CallCauCont");
    return true;
  });
}

bool CLSCG_CONNECT::CallAnagraficaBeniUsati(const Value& CodiceBeneUsato) noexcept {
  return ViaConnettore(true, [&](Object& s) {
    const bool present = !CodiceBeneUsato.is_missing() && ValorePresente(CodiceBeneUsato);
    let_property(s, "CodiceBeneUsato", passed_or_blank(&CodiceBeneUsato, present));
    call_method(s, "CallAnagraficaBeniUsati");
    return true;
  });
}

// The two progressive-totals programs take no control and no value.
bool CLSCG_CONNECT::CallAggiornamentoProgressiviIVACliFor() noexcept {
  return ViaConnettore(false, [&](Object& s) {
    call_method(s, "CallAggiornamentoProgressiviIVACliFor");
    return true;
  });
}

bool CLSCG_CONNECT::CallStampaProgressiviIVACliFor() noexcept {
  return ViaConnettore(false, [&](Object& s) {
    call_method(s, "CallStampaProgressiviIVACliFor");
    return true;
  });
}

bool CLSCG_CONNECT::CallModalitaErogazione() noexcept {
  return ViaConnettore(true, [&](Object& s) {
    if (ValorePresente(CodModalitaErogazione))
      let_property(s, "CodModalitaErogazione", CodModalitaErogazione);
    call_method(s, "CallModalitaErogazione");
    return true;
  });
}

bool CLSCG_CONNECT::CallModalitaIncasso() noexcept {
  return ViaConnettore(true, [&](Object& s) {
    if (ValorePresente(CodModalitaIncasso))
      let_property(s, "CodModalitaIncasso", CodModalitaIncasso);
    call_method(s, "CallModalitaIncasso");
    return true;
  });
}

bool CLSCG_CONNECT::CallServizio() noexcept {
  return ViaConnettore(true, [&](Object& s) {
    if (ValorePresente(CodServizio)) let_property(s, "CodServizio", CodServizio);
    if (ValorePresente(Anno_Nomenclatura)) let_property(s, "Anno_Nomenclatura", Anno_Nomenclatura);
    call_method(s, "CallServizio");
    return true;
  });
}

bool CLSCG_CONNECT::CallCausaliPagEff() noexcept {
  return ViaConnettore(true, [&](Object& s) {
    if (ValorePresente(CodCausalePagEff)) let_property(s, "CausaleEsterna", CodCausalePagEff);
    call_method(s, "CallCausaliPagEff");
    return true;
  });
}

bool CLSCG_CONNECT::CallAnagraficaBlackList() noexcept {
  return ViaConnettore(true, [&](Object& s) {
    let_property(s, "CodAnagBlackList",
                 ValorePresente(CodAnagBlackList) ? CodAnagBlackList : Value::null());
    let_property(s, "DataRiferimento", DataRiferimento);
    call_method(s, "CallAnagraficaBlackList");
    return true;
  });
}

bool CLSCG_CONNECT::CallElenchiMov3000(int16_t* Pint_Stato) noexcept {
  return ViaConnettore(true, [&](Object& s) {
    set_property(s, "Connessione", Value(Connessione));
    let_property(s, "CodiceAzienda", Value(CodiceAzienda));
    let_property(s, "NumeroRegistrazione", Value(NumeroRegistrazione));
    let_property(s, "TipoCF", Value(TipoCF));
    let_property(s, "CodiceClifor", Value(CodiceClifor));
    let_property(s, "DataRiferimento", DataRiferimento);
    let_property(s, "CodAnagrafica", Value(CodAnagrafica));
    let_property(s, "CodFiscale", Value(CodFiscale));
    let_property(s, "CodiceContratto", Value(CodiceContratto));
    let_property(s, "NumCorrispettivo", Value(NumCorrispettivo));
    let_property(s, "ImpCorrispettivo", ImpCorrispettivo);
    let_property(s, "CodiceIVA", Value(CodiceIVA));
    let_property(s, "IndTipoIVA", Value(IndTipoIVA));
    let_property(s, "IndTipoOper", Value(IndTipoOper));
    let_property(s, "Elenchi_IndTipoGestione",
                 Value(static_cast<int32_t>(Elenchi_IndTipoGestione)));
    let_property(s, "Elenchi_IndTipoProvenienza",
                 Value(static_cast<int32_t>(Elenchi_IndTipoProvenienza)));
    let_property(s, "Elenchi_IndGestioneElenchiMov3000",
                 Value(static_cast<int32_t>(Elenchi_IndGestioneElenchiMov3000)));
    let_property(s, "Elenchi_IndTipoGenerazioneContratto",
                 Value(static_cast<int32_t>(Elenchi_IndTipoGenerazioneContratto)));
    set_property(s, "Elenchi_RSDettagliDatiAnag", Value(Elenchi_RSDettagliDatiAnag));
    set_property(s, "Elenchi_RSDettagliDatiIVA", Value(Elenchi_RSDettagliDatiIVA));
    let_property(s, "Elenchi_NomeCampoImporto", Value(Elenchi_NomeCampoImporto));
    let_property(s, "Elenchi_NomeCampoImposta", Value(Elenchi_NomeCampoImposta));
    let_property(s, "Elenchi_NomeCampoCodIVA", Value(Elenchi_NomeCampoCodIVA));
    let_property(s, "Elenchi_NomeCampoTipoIVA", Value(Elenchi_NomeCampoTipoIVA));
    let_property(s, "Elenchi_NomeCampoTipoOper", Value(Elenchi_NomeCampoTipoOper));
    let_property(s, "Elenchi_NomeCampoConto", Value(Elenchi_NomeCampoConto));
    set_property(s, "Elenchi_RSMovimentiContratto", Value(Elenchi_RSMovimentiContratto));
    let_property(s, "Elenchi_NomeCampoDitta", Value(Elenchi_NomeCampoDitta));
    let_property(s, "Elenchi_NomeCampoNumReg", Value(Elenchi_NomeCampoNumReg));
    // The state travels by reference: the sibling may change it.
    Value stato[1] = {Value(Pint_Stato ? *Pint_Stato : int16_t{0})};
    Value result = call_method(s, "CallElenchiMov3000", stato);
    if (Pint_Stato) *Pint_Stato = to_integer(stato[0]);
    const bool ok = to_boolean(result);
    RilasciaConnettore({"Elenchi_RSDettagliDatiAnag", "Elenchi_RSDettagliDatiIVA",
                        "Elenchi_RSMovimentiContratto", "ConnectField", "Connessione",
                        "ActiveInterface", "Plookup"});
    return ok;
  });
}

bool CLSCG_CONNECT::CallAssociazioneNoteVariazione3000() noexcept {
  return ViaConnettore(true, [&](Object& s) {
    set_property(s, "Connessione", Value(Connessione));
    let_property(s, "CodiceAzienda", Value(CodiceAzienda));
    let_property(s, "NumeroRegistrazione", Value(NumeroRegistrazione));
    let_property(s, "Elenchi_IndTipoProvenienza",
                 Value(static_cast<int32_t>(Elenchi_IndTipoProvenienza)));
    let_property(s, "WindowPositionHandle", Value(WindowPositionHandle));
    let_property(s, "WindowPositionAddLeft", Value(WindowPositionAddLeft));
    let_property(s, "WindowPositionAddTop", Value(WindowPositionAddTop));
    const bool ok = to_boolean(call_method(s, "CallAssociazioneNoteVariazione3000"));
    Stato = to_integer(get_property(s, "Stato"));
    Errore = to_string_param(get_property(s, "Errore"));
    RilasciaConnettore({"ConnectField", "Connessione", "ActiveInterface", "Plookup"});
    return ok;
  });
}

bool CLSCG_CONNECT::CallAziendeIntercompany() noexcept {
  return ViaConnettore(true, [&](Object& s) {
    let_property(s, "DataStrutturaIntercompany", DataStrutturaIntercompany);
    let_property(s, "CodiceIntercompany", CodiceIntercompany);
    const Value& tipo = ValorePresente(TipoVisualizzazioneIntercompany)
                            ? TipoVisualizzazioneIntercompany
                            : Value(int16_t{0});
    let_property(s, "TipoVisualizzazioneIntercompany", Value(to_decimal(tipo)));
    call_method(s, "CallAziendeIntercompany");
    return true;
  });
}

bool CLSCG_CONNECT::CallCategorieStampa() noexcept {
  return ViaConnettore(true, [&](Object& s) {
    let_property(s, "CategorieStp_Categoria", Value(CategorieStp_Categoria));
    call_method(s, "CallCategorieStampa");
    return true;
  });
}

}  // namespace lema
