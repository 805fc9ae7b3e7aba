#pragma once
#include <QString>

namespace st::app {

class WordTable;

// Texts the code composes: a built-in default, optional alternatives for the
// languages 4 (Slovene) and 5 (Slovak), optional word-table key over both.
enum class TextId {
    titEntire,
    histEntire,
    titSearch,
    histSearch,
    histRight1,
    histRight2,
    asaFnam,
    asaHead,
    stiAnd,
    stiOr,
    zedCaptionUKT,
    zedCaptionTN,
    typeIt,
    incorrect,
    picture,
    errNoDatabase,
    expertTitle,
    expertNoName,
    expertNoPwd,
    dbNameMissing,
    noEntryFound,
};

// The language number of a set from its LangPack text (-1 when not a number).
int LanguageNumber(const QString& langPack);

// The cascade: default, then the language 4/5 alternative, then the
// word-table value ("\n" becomes CR LF in err_no_database).
QString ComposeText(TextId id, int languageNumber, const WordTable& words);

}  // namespace st::app
