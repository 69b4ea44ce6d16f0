#include "tools/lemald/method_groups.h"

#include <map>

#include "automation/class_info.h"
#include "automation/registry.h"

namespace lemald {
namespace {

constexpr std::string_view kLookup = "LEMA_LOOKUPDECODE.CLSCG_LOOKUP";
constexpr std::string_view kDecode = "LEMA_LOOKUPDECODE.CLSCG_DECODE";
constexpr std::string_view kConnect = "LEMA_LOOKUPDECODE.CLSCG_CONNECT";

constexpr std::string_view kElenchi =
    "ConnectField Connessione CodiceAzienda NumeroRegistrazione TipoCF CodiceClifor "
    "DataRiferimento CodAnagrafica CodFiscale CodiceContratto NumCorrispettivo ImpCorrispettivo "
    "CodiceIVA IndTipoIVA IndTipoOper Elenchi_IndTipoGestione Elenchi_IndTipoProvenienza "
    "Elenchi_IndGestioneElenchiMov3000 Elenchi_IndTipoGenerazioneContratto "
    "Elenchi_RSDettagliDatiAnag Elenchi_RSDettagliDatiIVA Elenchi_NomeCampoImporto "
    "Elenchi_NomeCampoImposta Elenchi_NomeCampoCodIVA Elenchi_NomeCampoTipoIVA "
    "Elenchi_NomeCampoTipoOper Elenchi_NomeCampoConto Elenchi_RSMovimentiContratto "
    "Elenchi_NomeCampoDitta Elenchi_NomeCampoNumReg";

std::vector<std::string_view> words(std::string_view s) {
  std::vector<std::string_view> out;
  while (!s.empty()) {
    size_t b = s.find_first_not_of(' ');
    if (b == std::string_view::npos) break;
    size_t e = s.find(' ', b);
    out.push_back(s.substr(b, e == std::string_view::npos ? e : e - b));
    s = e == std::string_view::npos ? std::string_view() : s.substr(e);
  }
  return out;
}

}  // namespace

const std::vector<MethodGroup>& method_groups() {
  static const std::vector<MethodGroup> groups = {
      {kLookup,
       "lookup/valute_codici_iva.cpp",
       "Currencies and VAT codes",
       {{"Valute", ""}, {"CodiciIva", ""}}},
      {kLookup,
       "lookup/journals.cpp",
       "Journals",
       {{"Sezionali", "TipologiaSezionale CodiceAttivita AnnoAttivita"}}},
      {kLookup,
       "lookup/ledger_reasons.cpp",
       "Ledger reasons",
       {{"CausaliContabili",
         "FiltroStringaSQL CampoOrdinamentoStringaSQL CausaliContabiliTipoLookup "
         "sCategoriaStampa_Cod CausaleFissaPerCauCont IndTipoRegPerCauCont"},
        {"CausaliContabiliSoloIVA", ""},
        {"CausaliContabiliIVAAperturaPartiteAcconti", "IncludiCausaliConGestioneSezionali"},
        {"CausaliContabiliPerClassificazione", "ClassificazioneCausale"}}},
      {kLookup,
       "lookup/reason_related.cpp",
       "Reason correlation, classification, payment reasons",
       {{"CausaliContabiliContabilitaProgettiCommesse", ""},
        {"ClassificazioneCausali", ""},
        {"CausaliPagEff", "CodAzienda"},
        {"CategorieStampa", ""}}},
      {kLookup,
       "lookup/asset_classification.cpp",
       "Asset classification and master data",
       {{"GruppoCespiti", ""},
        {"SpecieCespiti", ""},
        {"SottoSpecieCespiti", ""},
        {"ElencoGruppoSpecieSottospecieCesp", ""},
        {"ElencoGruppoSpecieCesp", ""},
        {"ElencoSpecieSottoSpecieCesp", ""},
        {"Ubicazioni", ""},
        {"ContiImmobilizzi", ""},
        {"DeducibilitàCespiti", ""},
        {"BeniUsati", ""}}},
      {kLookup,
       "lookup/asset_register.cpp",
       "Asset register",
       {{"Cespiti", "CodCespPadre CodCespPadreCompreso CodiceSede"},
        {"CespitiDitta", "CespitiNonFigli CodiceSede"},
        {"CespitiPerContoContabile", "CodiceSede"}}},
      {kLookup,
       "lookup/reclassification.cpp",
       "Reclassification and accounting inventory",
       {{"RiclassificazionePdC", ""},
        {"RiclassificazioneBilancioCEE", ""},
        {"AllegatiPerInventariContabili", ""},
        {"GruppiPerInventariContabili", ""}}},
      {kLookup,
       "lookup/fiscal_years.cpp",
       "Fiscal years",
       {{"EserciziContabili", ""}, {"EserciziContabili_LKPGRID", ""}}},
      {kLookup,
       "lookup/f24.cpp",
       "F24",
       {{"AnagContribuente", "CodAzienda"},
        {"Tributo", ""},
        {"SpedizioneRBKF24", ""},
        {"ContiCorrenti", ""}}},
      {kLookup,
       "lookup/contracts_3000.cpp",
       "Contracts of the 3000-euro lists",
       {{"ContrattiMovimenti3000Euro",
         "CodAzienda NumRegistrazione TipoCF CodCliFor DataRegistrazione "
         "Elenchi_IndGestioneElenchiMov3000"},
        {"ContrattiCorrispettivi3000Euro", "CodAzienda CodFiscale CodAnagrafica"}}},
      {kLookup,
       "lookup/letters_of_intent.cpp",
       "Letters of intent",
       {{"LettereIntento",
         "CodAzienda TipoCF CodCliFor DataDocumento NumRegistrazione TipoOperazionePlafond"}}},
      {kLookup,
       "lookup/small_tables.cpp",
       "VAT types, payment methods, services",
       {{"TipiIVA", "IndMonofaseRSM"},
        {"ModalitaErogazione", ""},
        {"ModalitaIncasso", ""},
        {"Servizio", "Anno_Nomenclatura"}}},
      {kLookup,
       "lookup/intercompany.cpp",
       "Intercompany",
       {{"AziendeIntercompany", "DataStrutturaIntercompany CodIntercompanyFiglio"},
        {"StruttureIntercompany", ""},
        {"DatabaseIntercompany", ""}}},
      {kLookup,
       "lookup/ifrs15.cpp",
       "IFRS 15",
       {{"IFRS15_Tipi", ""},
        {"IFRS15_Operativita", ""},
        {"IFRS15_Nature", ""},
        {"IFRS15_ClassificazioneArticoli", ""},
        {"IFRS15_ClassificazioneClienti", ""}}},
      {kLookup,
       "lookup/customers_suppliers.cpp",
       "Customer and supplier accounts",
       {{"ContiCliFor", ""}}},
      {kDecode, "decode/valute.cpp", "Currencies", {{"Valute", ""}}},
      {kDecode,
       "decode/small_tables.cpp",
       "ISTAT activities, payment methods, services",
       {{"AttivitàISTAT", ""},
        {"ModalitaErogazione", ""},
        {"ModalitaIncasso", ""},
        {"Servizio", "Anno_Nomenclatura"}}},
      {kDecode,
       "decode/customers_suppliers.cpp",
       "Customer and supplier accounts",
       {{"ContiCliFor", ""}, {"ClienteFornitore", ""}}},
      {kDecode,
       "decode/reclassification.cpp",
       "Reclassification",
       {{"RiclassificazionePdC", ""}, {"RiclassificazioneBilancioCEE", ""}}},
      {kDecode,
       "decode/asset_classification.cpp",
       "Asset classification and master data",
       {{"GruppoCespiti", ""},
        {"SpecieCespiti", ""},
        {"ContiImmobilizzi", ""},
        {"SottoSpecieCespiti", ""},
        {"Ubicazioni", ""},
        {"BeneUsato", ""},
        {"DeducibilitàCespiti", ""}}},
      {kDecode,
       "decode/asset_register.cpp",
       "Asset register",
       {{"Cespiti", "CampoDecodificaCespitiSottoSpecie CampoDecodificaCespitiCodImmobilizzo"}}},
      {kDecode, "decode/ledger_reasons.cpp", "Ledger reasons", {{"CausaliContabili", ""}}},
      {kDecode,
       "decode/f24.cpp",
       "F24",
       {{"Tributo", ""}, {"ContiCorrenti", ""}, {"TributoExt", ""}}},
      {kDecode,
       "decode/intercompany.cpp",
       "Intercompany",
       {{"AziendaIntercompany", "DataStrutturaIntercompany"}, {"DatabaseIntercompany", ""}}},
      {kDecode,
       "decode/reason_related.cpp",
       "Payment reasons and print categories",
       {{"CausaliPagEff", ""}, {"CategorieStampa", ""}}},
      {kDecode, "decode/letters_of_intent.cpp", "Letters of intent", {{"LetteraIntento", ""}}},
      {kDecode,
       "decode/ifrs15.cpp",
       "IFRS 15",
       {{"IFRS15_Tipo", ""},
        {"IFRS15_Operativita", ""},
        {"IFRS15_Natura", ""},
        {"IFRS15_ClassificazioneArticolo", ""},
        {"IFRS15_ClassificazioneCliente", ""}}},
      {kConnect,
       "connect/call_methods.cpp",
       "Programs opened through the sibling connector",
       {{"CallCausaliContabili", "ConnectField"},
        {"CallAnagraficaBeniUsati", "ConnectField"},
        {"CallAggiornamentoProgressiviIVACliFor", ""},
        {"CallStampaProgressiviIVACliFor", ""},
        {"CallModalitaErogazione", "ConnectField CodModalitaErogazione"},
        {"CallModalitaIncasso", "ConnectField CodModalitaIncasso"},
        {"CallServizio", "ConnectField CodServizio Anno_Nomenclatura"},
        {"CallCausaliPagEff", "ConnectField CodCausalePagEff"},
        {"CallAnagraficaBlackList", "ConnectField CodAnagBlackList DataRiferimento"},
        {"CallElenchiMov3000", kElenchi},
        {"CallAssociazioneNoteVariazione3000",
         "ConnectField Connessione CodiceAzienda NumeroRegistrazione Elenchi_IndTipoProvenienza "
         "WindowPositionHandle WindowPositionAddLeft WindowPositionAddTop"},
        {"CallAziendeIntercompany",
         "ConnectField DataStrutturaIntercompany CodiceIntercompany "
         "TipoVisualizzazioneIntercompany"},
        {"CallCategorieStampa", "ConnectField CategorieStp_Categoria"}}},
      {kConnect,
       "connect/document_references.cpp",
       "Graphic references of a document",
       {{"CallRiferimentiGraficiDocumento", "Connessione CodiceAzienda NumeroRegistrazione"}}},
      {kConnect,
       "connect/connect.cpp",
       "Connector frame and event",
       {{"TransferData", ""}, {"TerminateConnect", ""}}},
  };
  return groups;
}

std::vector<std::string> method_group_mismatches() {
  std::vector<std::string> out;
  std::map<std::string, int> seen;  // "CLASS.Method" -> times listed
  for (const MethodGroup& g : method_groups()) {
    auto entry = lema::Registry::global().find(g.prog_id);
    const lema::ClassInfo* info = entry ? entry->info : nullptr;
    if (!info) {
      out.push_back(std::string(g.prog_id) + ": no member table");
      continue;
    }
    for (const GroupedMethod& m : g.methods) {
      const std::string id = std::string(g.prog_id) + "." + std::string(m.name);
      const lema::Member* member = info->find(m.name);
      if (!member || member->name != m.name || member->kind != lema::MemberKind::Method)
        out.push_back(id + " is not a method");
      if (++seen[id] == 2) out.push_back(id + " is listed twice");
      for (std::string_view p : words(m.reads)) {
        const lema::Member* prop = info->find(p);
        if (!prop || prop->name != p || prop->kind != lema::MemberKind::Property ||
            !(prop->access & (lema::access::L | lema::access::S)))
          out.push_back(id + " reads " + std::string(p) + ", which is not a setting");
      }
    }
  }
  for (std::string_view cls : {kLookup, kDecode, kConnect}) {
    auto entry = lema::Registry::global().find(cls);
    if (!entry || !entry->info) continue;
    for (const lema::Member& m : entry->info->members())
      if (m.kind == lema::MemberKind::Method &&
          !seen.count(std::string(cls) + "." + std::string(m.name)))
        out.push_back(std::string(cls) + "." + std::string(m.name) + " is in no group");
  }
  return out;
}

std::vector<std::string_view> setting_names(std::string_view reads) {
  return words(reads);
}

}  // namespace lemald
