// F24 tax-payment lookups: taxpayer records, tax codes, remote-banking dispatches and the
// bank accounts of one party of a taxpayer record.
#include "common/error.h"
#include "common/sql.h"
#include "common/text.h"
#include "lookup/clscg_lookup.h"
#include "lookup/detail/headings.h"
#include "lookup/detail/statement_parts.h"
#include "lookup/detail/translated_run.h"

namespace lema {
namespace {

// Head of the sub-query that shows a party's default bank account; the party kind
// (TipoSoggettoF24) follows it as decimal text.
constexpr std::string_view kContoPredefinito =
    " (SELECT  TOP 1 CAST(CG7F_NUMCC AS NVARCHAR(3)) + ' - ' + CG7F_DESCRIZIONE + ' (ABI:' + CAST(CG7F_ABI_CG13 AS NVARCHAR(5)) + '  CAB:' + CAST(CG7F_CAB_CG13 AS NVARCHAR(5)) + '  C/C:' + CG7F_CONTOCORRENTE + '  CIN:' + CG7F_CIN + ')' FROM CG7F_CONTICORRENTI WITH(NOLOCK) WHERE CG7F_CONTRIBUENTE_CG1F = CG1F_CODICE AND CG7F_INDSOGGETTO = ";

// The signatory's title: each WHEN piece and the title shown (translated) after it.
struct TitoloFirmatario {
  std::string_view when;
  std::string_view title;
};
constexpr TitoloFirmatario kTitoliFirmatario[] = {
    {" (CASE CG1F_ENTFIRMA WHEN  0 THEN '", "00-Contribuente"},
    {"                     WHEN  1 THEN '", "01-Rappresentante legale, negoziale o socio ammin."},
    {"                     WHEN  2 THEN '", "02-Rappresentante di minore, inabil. o interdetto"},
    {"                     WHEN  3 THEN '", "03-Curatore fallimentare"},
    {"                     WHEN  4 THEN '", "04-Commissario liquidatore"},
    {"                     WHEN  5 THEN '", "05-Commissario giudiziale"},
    {"                     WHEN  6 THEN '", "06-Rappresentante fiscale di sogg. non residente"},
    {"                     WHEN  7 THEN '", "07-Erede del contribuente"},
    {"                     WHEN  8 THEN '", "08-Liquidatore (liquidazione volontaria)"},
    {"                     WHEN  9 THEN '", "09-Sogg. risultanti da operaz. straordinarie"},
    {"                     WHEN 10 THEN '", "10-Rappresentante fiscale di sogg. non res.(art. 44)"},
    {"                     WHEN 11 THEN '", "11-Sogg. esercente attiv.tutoria del minore"},
    {"                     WHEN 12 THEN '", "12-Liquidatore (ante messa liquidaz. ditta indiv.)"},
    {"                     WHEN 13 THEN '", "13-Amministratore di condominio"},
    {"                     WHEN 14 THEN '", "14-Soggetto che sottoscr. dich. conto PA"},
    {"                     WHEN 15 THEN '", "15-Commissario liquidatore di Pubbl.Ammin."},
};

// The Si/No flag columns of the tax-code list, in select order.
struct FlagTributo {
  std::string_view opening;
  std::string_view closing;
};
constexpr FlagTributo kFlagTributo[] = {
    {"         CASE WHEN CG0F_FLGICICOMUNI = 1 THEN '",
     "' END AS CG0F_FLGICICOMUNI, CG0F_IMPDETRAZIONEICI,"},
    {"         CASE WHEN CG0F_FLGCREDCOMPENS = 1 THEN '", "' END AS CG0F_FLGCREDCOMPENS,"},
    {"         CASE WHEN CG0F_FLGDEBNONCOMPENS = 1 THEN '", "' END AS CG0F_FLGDEBNONCOMPENS,"},
    {"         CASE WHEN CG0F_FLGRICHCODUFF = 1 THEN '", "' END AS CG0F_FLGRICHCODUFF,"},
    {"         CASE WHEN CG0F_FLGRICHCODATTO = 1 THEN '", "' END AS CG0F_FLGRICHCODATTO,"},
    {"         CASE WHEN CG0F_FLGCODENTELOC = 1 THEN '", "' END AS CG0F_FLGCODENTELOC,"},
    {"         CASE WHEN CG0F_FLGCODREGIONE = 1 THEN '", "' END AS CG0F_FLGCODREGIONE,"},
    {"         CASE WHEN CG0F_FLGSTPPROV = 1 THEN '", "' END AS CG0F_FLGSTPPROV,"},
    {"         CASE WHEN CG0F_FLGMESERIF = 1 THEN '", "' END AS CG0F_FLGMESERIF,"},
    {"         CASE WHEN CG0F_FLGNUMRATE = 1 THEN '", "' END AS CG0F_FLGNUMRATE"},
};

}  // namespace

void CLSCG_LOOKUP::AnagContribuente(const Value& CampoOrdinamento) noexcept {
  static const detail::HeadingTable kColumns{
      "Codice anagrafica",
      "Codice azienda",
      "Ragione soc./Cognome",
      "Nome",
      "Indirizzo",
      "Comune - CAP/Descrizione/Prov.",
      "Cod. fiscale",
      "Sesso",
      "Data di nascita",
      "Comune di nascita - CAP/Descrizione/Prov.",
      "Riferimento",
      "Valuta - Descrizione",
      "Tipo firma",
      "Firma",
      "Comp. manuale",
      "No anno solare",
      "Tipo versamento",
      "Concessione - Descrizione",
      "ABI presentazione - Descrizione",
      "CAB presentazione - Descrizione",
      "C/C predefinito",
      "Mittente: Ragione sociale",
      "Mittente: Cod. fiscale",
      "Mittente: Indirizzo",
      "Mittente: Comune - CAP/Descrizione/Prov.",
      "Mittente: Addebito su C/C mittente",
      "Mittente: C/C predefinito",
      "Mittente: ABI proponente - Descrizione",
      "Mittente: CAB proponente - Descrizione",
      "Mittente: Soggetto veicolatore",
      "Mittente: Codice SIA",
      "Mittente: Codice riferimento",
      "Mittente: Destinatario",
      "Mittente: Percorso file da inviare",
      "Mittente: Percorso file da ricevere",
      "Firmatario: Titolo",
      "Firmatario: Cognome",
      "Firmatario: Nome",
      "Firmatario: Cod. fiscale",
      "Firmatario: Sesso",
      "Firmatario: Data di nascita",
      "Firmatario: Comune di nascita - CAP/Descrizione/Prov.",
      "Firmatario: Indirizzo",
      "Firmatario: Comune - CAP/Descrizione/Prov.",
      "Firmatario: Addebito su C/C firmatario",
      "Firmatario: C/C predefinito",
      "Firmatario: Percorso file da inviare",
      "Firmatario: Percorso file da ricevere",
  };
  static const Value kPerCodice = Value::literal("CG1F_CODICE");
  static const Value kPerAzienda = Value::literal("CG1F_DITTA_CG18 DESC, CG1F_CODICE");
  detail::step([&] { ColonneLookup_ = kColumns.value(); });

  // The company counts as absent when missing, Empty or ""; a Null is present for the sort
  // order but writes no WHERE clause.
  const bool azienda_assente = CodAzienda.is_missing() || CodAzienda.is_empty() ||
                               (CodAzienda.is_string() && CodAzienda.as_string().empty());
  const Value& ordine = ordering(CampoOrdinamento, azienda_assente ? kPerCodice : kPerAzienda);

  detail::step([&] {
    // Everything up to the company filter is fixed but for the translated words.
    static const detail::TranslatedRun kSelect([](SqlText& sql, auto& tr) {
      auto T = [&tr](std::string_view word) {
        return detail::Deferred{[&tr, word](std::string& out) { tr(out, word); }};
      };
      sql << " SELECT"
          << " CG1F_CODICE,"
          << " CG1F_DITTA_CG18,"
          << " CG1F_RAGSOC,"
          << " CG1F_NOME,"
          << " CG1F_INDIRIZZO,"
          << " (CG1F_COMUNE_CG01 + ' - ' + RTRIM(CG1F_CAPRES) + ' ' + CG1F_CITTARES + ' ' + CG1F_PROVRES) AS COMUNE,"
          << " CG1F_CODFISCALE,"
          << " (CASE CG1F_SESSO WHEN 0 THEN '" << T("Maschio") << "' WHEN 1 THEN '" << T("Femmina")
          << "' ELSE '' END) AS SESSO,"
          << " CG1F_DATANASC,"
          << " (SELECT  CG01_CODICE + ' - ' + RTRIM(CG01_CAP) + ' ' + CG01_DESCR + ' ' + CG01_PROV FROM CG01_ANAGCOMUNI WITH(NOLOCK) WHERE CG01_CODICE = CG1F_COMUNENASC_CG01) AS COMUNENASC,"
          << " CG1F_RIFERIMENTO,"
          << " (SELECT  RTRIM(CG08_CODICE) + ' - ' + CG08_DESCR FROM CG08_TABVALUTE WITH(NOLOCK) WHERE CG08_CODICE = CG1F_VALUTA_CG08) AS VALUTA,"
          // The three signature modes are shown as written, without translation.
          << " (CASE CG1F_INDFIRMA WHEN 0 THEN 'Stampa firma' WHEN 1 THEN 'Barra casella erede' WHEN 2 THEN 'Stampa ragione sociale su firma' ELSE '' END) AS TIPOFIRMA,"
          << " CG1F_FIRMA,"
          << " (CASE CG1F_FLGCOMPMANUALE WHEN 1 THEN '" << T("Si") << "' ELSE '' END) AS COMPMAN,"
          << " (CASE CG1F_FLGNOANNOSOL WHEN 1 THEN '" << T("Si") << "' ELSE '' END) AS NOANNOSOL,"
          << " (CASE CG1F_INDVERS WHEN 0 THEN '" << T("Banca") << "' WHEN 1 THEN '"
          << T("Concessione")
          << "' WHEN 2 THEN 'Remote banking' WHEN 3 THEN 'F24 On Line' ELSE '' END) AS TIPOVERS,"
          << " (SELECT  CAST(CG03_CODICE AS NVARCHAR(4)) + ' - ' + CG03_DESCR FROM CG03_TABCONCESS WITH(NOLOCK) WHERE CG03_CODICE = CG1F_CODICE_CG03) AS CONCESSIONE,"
          << " (SELECT  CAST(CG12_BANCA AS NVARCHAR(5)) + ' - ' + CG12_DESCR FROM CG12_BANCHE WITH(NOLOCK) WHERE CG12_BANCA = CG1F_CODABI_CG13) AS ABI,"
          << " (SELECT  CAST(CG13_CODCAB AS NVARCHAR(5)) + ' - ' + CG13_DESCR FROM CG13_AGENZIE WITH(NOLOCK) WHERE CG13_BANCA_CG12 = CG1F_CODABI_CG13 AND CG13_CODCAB = CG1F_CODCAB_CG13) AS CAB,"
          << kContoPredefinito << "0"
          << " AND CG7F_PREDEFINITO = 1) AS CONTCORR,"
          << " CG1F_RAGSOCMIT,"
          << " CG1F_CODFISCALEMIT,"
          << " CG1F_INDIRIZZOMIT,"
          << " (CG1F_COMUNEMIT_CG01 + ' - ' + RTRIM(CG1F_CAPRESMIT) + ' ' + CG1F_CITTARESMIT + ' ' + CG1F_PROVRESMIT) AS COMUNEMIT,"
          << " (CASE CG1F_FLGPAGAMENTO WHEN 1 THEN '" << T("Si") << "' ELSE '' END) AS ADDEBITOMIT,"
          << kContoPredefinito << "1"
          << " AND CG7F_PREDEFINITO = 1) AS CONTCORRMIT,"
          << " (SELECT  CAST(CG12_BANCA AS NVARCHAR(5)) + ' - ' + CG12_DESCR FROM CG12_BANCHE WITH(NOLOCK) WHERE CG12_BANCA = CG1F_CODABIMIT_CG13) AS ABIMIT,"
          << " (SELECT  CAST(CG13_CODCAB AS NVARCHAR(5)) + ' - ' + CG13_DESCR FROM CG13_AGENZIE WITH(NOLOCK) WHERE CG13_BANCA_CG12 = CG1F_CODABIMIT_CG13 AND CG13_CODCAB = CG1F_CODCABMIT_CG13) AS CABMIT,"
          << " (CASE CG1F_FLGVEICOLATORE WHEN 1 THEN '" << T("Si")
          << "' ELSE '' END) AS SOGVEICOLATORE,"
          << " CG1F_CODSIAMIT,"
          << " CG1F_RIFERIMENTOMIT,"
          << " (CASE CG1F_INDDESTINATARIO WHEN 0 THEN '" << T("Contribuente") << "' WHEN 1 THEN '"
          << T("Mittente") << "' ELSE '' END) AS DESTINATARIO,"
          << " CG1F_PERCORSOINVIO,"
          << " CG1F_PERCORSORICEV,";
      for (const TitoloFirmatario& t : kTitoliFirmatario) sql << t.when << T(t.title) << "'";
      sql << "                     ELSE '' END) AS TITOLOFIRM,"
          << " CG1F_ENTCOGNOME,"
          << " CG1F_ENTNOME,"
          << " CG1F_ENTCODFISCALE,"
          << " (CASE CG1F_ENTSESSO WHEN 0 THEN '" << T("Maschio") << "' WHEN 1 THEN '"
          << T("Femmina") << "' ELSE '' END) AS SESSOFIRM,"
          << " CG1F_ENTDATANASC,"
          << " (SELECT  CG01_CODICE + ' - ' + RTRIM(CG01_CAP) + ' ' + CG01_DESCR + ' ' + CG01_PROV FROM CG01_ANAGCOMUNI WITH(NOLOCK) WHERE CG01_CODICE = CG1F_ENTCOMUNENASC_CG01) AS COMUNENASCFIRM,"
          << " CG1F_ENTINDIRIZZORES,"
          << " (CG1F_ENTCOMUNERES_CG01 + ' - ' + RTRIM(CG1F_ENTCAPRES) + ' ' + CG1F_ENTCITTARES + ' ' + CG1F_ENTPROVRES) AS COMUNEFIRM,"
          << " (CASE CG1F_ENTFLGPAGAM WHEN 1 THEN '" << T("Si") << "' ELSE '' END) AS ADDEBITOFIRM,"
          << kContoPredefinito << "2"
          << " AND CG7F_PREDEFINITO = 1) AS CONTCORRFIRM,"
          << " CG1F_ENTPATHINVIO,"
          << " CG1F_ENTPATHRICEZ"
          << " FROM CG1F_ANAGCONTRIBUENTE WITH (NOLOCK)";
    });
    // After the run: the company filter and the ordering.
    SqlText sql(kSelect.untranslated().size() + 128);
    kSelect.append(sql.str(), ActiveInterface);
    if (!azienda_assente && !CodAzienda.is_null()) {
      detail::clause_step(sql, [&] {
        sql << " WHERE    ISNULL(CG1F_DITTA_CG18," << CodAzienda << ") = " << CodAzienda;
      });
    }
    detail::clause_step(sql, [&] { sql << " ORDER BY " << order_list(ordine); });
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco anagrafiche contribuenti");
  IDLookup = Value::literal("Lkp_AnagContribuente");
}

void CLSCG_LOOKUP::Tributo(const Value& Sezione, const Value& CampoOrdinamento) noexcept {
  static const detail::HeadingTable kColumns{
      "Sezione",           "Tributo",
      "Codice matricola",  "Codice 1° periodo",
      "Codice 2° periodo", "Descrizione ridotta",
      "Descrizione",       "Ind. ICI o comuni",
      "Detrazione ICI",    "Cred. compens.",
      "Deb. non compens.", "Rich. cod. ufficio",
      "Rich. cod. atto",   "Ind. cod. ente loc.",
      "Ind. cod. regione", "Ind. sigla prov.",
      "Ind. mese rif.",    "Ind. num. rate",
  };
  static const Value kPerSezione = Value::literal("CG0F_INDSEZIONE");
  auto T = [this](std::string_view word) {
    return detail::Deferred{[this, word](std::string& out) { Traduci(out, word); }};
  };

  detail::step([&] { ColonneLookup_ = kColumns.value(); });
  const Value& ordine = ordering(CampoOrdinamento, kPerSezione);
  detail::step([&] {
    SqlText sql(1280);  // longest measured: 1111 bytes
    sql << " SELECT  CG0F_INDSEZIONE, CG0F_CODTRIBUTO, CG0F_CODMATRICOLA_CG0E, CG0F_CODPERIODO1, CG0F_CODPERIODO2, CG0F_DESCR, CG0F_DESCREXT,";
    for (const FlagTributo& f : kFlagTributo)
      sql << f.opening << T("Si") << "' ELSE '" << T("No") << f.closing;
    sql << " FROM    CG0F_CODTRIBUTI WITH(NOLOCK)";
    detail::clause_step(sql, [&] {
      // A section of 0 (or none) lists every section; the value goes in as it was passed.
      if (is_given(Sezione) && !detail::numeric_equals(Sezione, 0))
        sql << " WHERE   CG0F_INDSEZIONE = " << Sezione;
    });
    detail::clause_step(sql, [&] { sql << " ORDER BY " << order_list(ordine); });
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco tributi e causali INPS");
  IDLookup = Value::literal("Lkp_Tributi");
}

void CLSCG_LOOKUP::SpedizioneRBKF24(const Value& CampoOrdinamento,
                                    const Value& CodContribuente) noexcept {
  static const detail::HeadingTable kColumns{
      "Numero spedizione",
      "Cod. contribuente",
      "Ragione sociale",
      "Mese",
      "Anno",
      "Periodo",
      "Nome supporto",
      "Data spedizione",
      "Numero deleghe inviate",
      "Banca proponente",
      "Banca passiva",
  };
  auto T = [this](std::string_view word) {
    return detail::Deferred{[this, word](std::string& out) { Traduci(out, word); }};
  };

  detail::step([&] { ColonneLookup_ = kColumns.value(); });
  detail::step([&] {
    SqlText sql(960);  // longest measured: 829 bytes
    sql << "SELECT CG5F_NUMSPEDIZIONE, CG5F_CODICE_CG1F, ISNULL(CG5F_RAGSOC,'') + ' ' + ISNULL(CG5F_NOME,'') AS CG5F_RAGSOC,"
        << " CG5F_MESE = CASE CG5F_MESE WHEN 1 THEN '" << T("Gennaio") << "' WHEN 2 THEN '"
        << T("Febbraio") << "' WHEN 3 THEN '" << T("Marzo") << "' WHEN 4 THEN '" << T("Aprile")
        << "' WHEN 5 THEN '" << T("Maggio") << "' WHEN 6 THEN '" << T("Giugno") << "'"
        << " WHEN 7 THEN '" << T("Luglio") << "' WHEN 8 THEN '" << T("Agosto") << "' WHEN 9 THEN '"
        << T("Settembre") << "' WHEN 10 THEN '" << T("Ottobre") << "' WHEN 11 THEN '"
        << T("Novembre") << "' WHEN 12 THEN '" << T("Dicembre") << "' ELSE '' END,"
        << " CG5F_ANNO, CG5F_INDPERIODO = CASE CG5F_INDPERIODO WHEN 0 THEN '" << T("Primo del mese")
        << "' WHEN 1 THEN '" << T("Metà mese") << "' WHEN 2 THEN '" << T("20 del mese")
        << "' WHEN 3 THEN '" << T("Fine mese") << "' ELSE '' END,"
        << " CG5F_NOMESUPPORTO, CG5F_DATASPED, CG5F_NUMDELSPED, CG5F_CODABIPROP_CG12, CG5F_CODABIORD_CG12"
        << " FROM CG5F_RBKSPEDIZIONE WITH (NOLOCK)";
    // The taxpayer filter is written whenever the argument was passed, even empty.
    if (!CodContribuente.is_missing()) {
      detail::clause_step(sql, [&] {
        sql << " WHERE CG5F_CODICE_CG1F = ";
        sql.or_default(CodContribuente, "CG5F_CODCONTRIBUENTE");
      });
    }
    // Missing, Empty, Null or blank: by dispatch number.
    detail::clause_step(
        sql, [&] { sql << " ORDER BY " << order_list(CampoOrdinamento, "CG5F_NUMSPEDIZIONE"); });
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco spedizioni Remote Banking F24");
  IDLookup = Value::literal("Lkp_SpedizioneRBKF24");
}

void CLSCG_LOOKUP::ContiCorrenti(const Value& CodAnagContr, TipoSoggettoF24 TipoSoggetto,
                                 const Value& CampoOrdinamento) noexcept {
  static const detail::HeadingTable kColumns{"Codice",     "Descrizione", "ABI",        "CAB",
                                             "Numero C/C", "CIN",         "Predefinito"};
  static const Value kPerPredefinito = Value::literal("CG7F_PREDEFINITO DESC, CG7F_NUMCC");
  auto T = [this](std::string_view word) {
    return detail::Deferred{[this, word](std::string& out) { Traduci(out, word); }};
  };

  detail::step([&] { ColonneLookup_ = kColumns.value(); });
  const Value& ordine = ordering(CampoOrdinamento, kPerPredefinito);
  detail::step([&] {
    SqlText sql(416);  // longest measured: 350 bytes
    sql << " SELECT  CG7F_NUMCC, CG7F_DESCRIZIONE,"
        << "         CG7F_ABI_CG13, CG7F_CAB_CG13,"
        << "         CG7F_CONTOCORRENTE, CG7F_CIN,"
        << "         CASE WHEN CG7F_PREDEFINITO = 1 THEN '" << T("Si")
        << "' ELSE '' END AS CG7F_PREDEFINITO"
        << " FROM    CG7F_CONTICORRENTI WITH(NOLOCK)"
        << " WHERE   CG7F_CONTRIBUENTE_CG1F = ";
    sql.or_default(CodAnagContr, "0");
    sql << "         AND CG7F_INDSOGGETTO = ";
    sql.number(static_cast<int32_t>(TipoSoggetto));
    sql << " ORDER   BY " << order_list(ordine);
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco conti correnti");
  IDLookup = Value::literal("Lkp_ContiCorrenti");
}

}  // namespace lema
