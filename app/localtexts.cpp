#include "app/localtexts.h"

#include "app/wordtable.h"

namespace st::app {
namespace {

struct TextRow {
    TextId id;
    const char16_t* key;
    const char16_t* def;
    const char16_t* lang4;
    const char16_t* lang5;
};

// The Slovene and Slovak texts are kept exactly as the lists' users know them.
const TextRow kTexts[] = {
    {TextId::titEntire, u"tit_Entire", u" - Контрольний список повністю", u" - Vse izbrane sezname",
     u" - Celэ kontrolnэ zoznam"},  // title after a whole-list display
    {TextId::histEntire, u"hist_Entire", u"Всі пункти", u"Vse izbrane sezname",
     u"Vљetky vstъpy"},  // history entry of a whole-list display
    {TextId::titSearch, u"tit_Search", u" - Результати пошуку для - ", u" - Poiљиi zadetke za ",
     u" - Vyhѕadavбcie vэsledky pre "},  // search title
    {TextId::histSearch, u"hist_Search", u"Результати пошуку для ", u"Poiљиi zadetke za ",
     u"Vyhѕadavбcie vэsledky pre "},  // search history entry
    {TextId::histRight1, u"hist_Right1", u"Вміст ", u"Vsebina zapisa: <",
     u"Obsah "},  // viewed entry, before the code
    {TextId::histRight2, u"hist_Right2", u" пункт(у)", u">",
     u" vstup"},  // viewed entry, after the code
    {TextId::asaFnam, u"asa_fnam", u": Advanced Search", u": Napredno iskanje",
     u": Pokroиilй vyhѕadбvanie"},  // advanced search, title suffix
    {TextId::asaHead, u"asa_head", u"Entries with ", u"Poiљиi zadetke za ",
     u"Zadбnia s "},                                           // advanced search, caption start
    {TextId::stiAnd, u"sti_and", u" and ", u" in ", u" a "},   // advanced search, "and" joiner
    {TextId::stiOr, u"sti_or", u" or ", u" ali ", u" nebo "},  // advanced search, "or" joiner
    {TextId::zedCaptionUKT, nullptr, u"Entries with custom code ", u"Zapisi s kodo po meri ",
     u"Vstup s UKT ZED "},  // customs-code search caption, UKT ZED
    {TextId::zedCaptionTN, nullptr, u"Entries with custom code ", u"Zapisi s kodo po meri ",
     u"Vstup s TN ZED "},  // customs-code search caption, TN ZED
    {TextId::typeIt, u"TypeIt", u"Type a login name && password", nullptr,
     nullptr},  // empty login fields
    {TextId::incorrect, u"Incorrect", u"It is not correct password", nullptr,
     nullptr},                                                         // wrong password
    {TextId::picture, u"Picture", u"Picture ", nullptr, u"Picture "},  // picture tab caption
    {TextId::errNoDatabase, u"err_no_database", u"Unable to open database",
     u"Ne moren odpreti podatkovne zbirke",
     u"Nemoћno otvoriќ databбziu"},  // database cannot be opened
    {TextId::expertTitle, nullptr, u": Expert Info", nullptr,
     nullptr},  // expert dialog title suffix
    {TextId::expertNoName, nullptr, u"You must enter Your name", nullptr,
     nullptr},  // expert dialog, name missing
    {TextId::expertNoPwd, nullptr, u"You must enter Your password", nullptr,
     nullptr},  // expert dialog, password missing
    {TextId::dbNameMissing, nullptr, u"Unable to find DB_Name in section [Names] of ", nullptr,
     u"Nemoћno naisќ meno databбzii v sekcнi [Names] z "},  // database name missing
    {TextId::noEntryFound, nullptr, u"No entry is found", u"Naљel nisem nobenega zapisa",
     u"Nenalezeno zadanie"},
};

const TextRow& row(TextId id) {
    for (const TextRow& r : kTexts)
        if (r.id == id) return r;
    Q_UNREACHABLE();
}

}  // namespace

int LanguageNumber(const QString& langPack) {
    bool ok = false;
    const int n = langPack.trimmed().toInt(&ok);
    return ok ? n : -1;
}

QString ComposeText(TextId id, int languageNumber, const WordTable& words) {
    const TextRow& r = row(id);
    QString text = QString::fromUtf16(r.def);
    if (languageNumber == 4 && r.lang4) text = QString::fromUtf16(r.lang4);
    if (languageNumber == 5 && r.lang5) text = QString::fromUtf16(r.lang5);
    if (r.key) {
        if (auto v = words.value(QString::fromUtf16(r.key))) {
            text = *v;
            if (id == TextId::errNoDatabase)
                text.replace(QStringLiteral("\\n"), QStringLiteral("\r\n"));
        }
    }
    return text;
}

}  // namespace st::app
