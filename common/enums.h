// Enumerations of the type library (all 32-bit).
#pragma once

#include <cstdint>

namespace lema {

enum class TipologiaSezionaleEnum : int32_t {
  TuttiISezionali = 0,
  SezionaliIVA = 1,
  SezionaliAreaAmministrativa = 2,
  SezionaliAreaCommerciale = 3,
};

enum class CausaliContabiliLookupEnum : int32_t {
  kwLookupCausaliContabili = 0,
  kwLookupCategoriaStampa = 1,
};

enum class TipoSoggettoF24 : int32_t {
  Contribuente = 0,
  Mittente = 1,
  Firmatario = 2,
};

enum class IndicatoreGestioneElenchiMov3000Enum : int32_t {
  NonIncludere = 0,
  Includi = 1,
  DaValutare = 2,
  DaValutarePerAnno = 3,
  NonDefinito = 99,
};

enum class kwEnumCalledProgram : int32_t {
  kwCausaliContabili = 0,
  kwLiquidazioneIva = 1,
  kwProgressiviIva = 2,
  kwProgressiviContabili = 3,
  kwRicercaMovimenti = 4,
  kwAnagraficaBeniUsati = 5,
  kwAggiornamentoProgressiviCliFor = 6,
  kwStampaProgressiviCliFor = 7,
  kwModalitaErogazione = 12,
  kwModalitaIncasso = 13,
  kwServizio = 14,
  kwAnagraficaBlackList = 16,
  kwCategorieStampa = 20,
};

enum class Elenchi_TipoGestione : int32_t {
  Automatico = 0,
  Contratti = 1,
  DatiAnagrafici = 2,
};

enum class Elenchi_TipoProvenienza : int32_t {
  PrimaNota = 0,
  Documenti = 1,
  DocumentiAutomatici = 2,
  Retail = 3,
  PrimaNotaAutomatica = 4,
  CorrispettiviMensili = 5,
  CorrispettiviMensiliAutomatici = 6,
  Standalone = 7,
  Importazione = 8,
  StandaloneCorrispettiviMensili = 9,
};

enum class Elenchi_TipoGenerazioneContratto : int32_t {
  ContrattoManuale = 0,
  ContrattoAutomatico = 1,
};

}  // namespace lema
