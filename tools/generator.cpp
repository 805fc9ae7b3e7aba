#include "tools/generator.h"

#include <QFile>
#include <QStringList>
#include <functional>
#include <random>

#include "db/database.h"
#include "search/codeformat.h"
#include "text/fold.h"

namespace st::tools {
namespace {

const QStringList kNouns = {u"насоси"_qs,   u"компресори"_qs, u"лазери"_qs,     u"детектори"_qs,
                            u"верстати"_qs, u"клапани"_qs,    u"реактори"_qs,   u"турбіни"_qs,
                            u"датчики"_qs,  u"фільтри"_qs,    u"генератори"_qs, u"підсилювачі"_qs,
                            u"антени"_qs,   u"двигуни"_qs,    u"камери"_qs,     u"центрифуги"_qs,
                            u"мішені"_qs,   u"магніти"_qs,    u"сплави"_qs,     u"волокна"_qs};
const QStringList kAdjectives = {
    u"високотемпературні"_qs, u"вакуумні"_qs,        u"надпровідні"_qs, u"керамічні"_qs,
    u"титанові"_qs,           u"оптичні"_qs,         u"цифрові"_qs,     u"імпульсні"_qs,
    u"герметичні"_qs,         u"п'єзоелектричні"_qs, u"кріогенні"_qs,   u"радіаційно стійкі"_qs};
const QStringList kEnglish = {
    "software",  "CNC",      "Q-switched", "turbomolecular", "FPGA",    "heat exchanger",
    "gyroscope", "inertial", "ultrasonic", "spectrometer",   "bellows", "isostatic"};
const QStringList kPhrases = {u"спеціально призначені або підготовлені для"_qs,
                              u"що мають будь-яку з таких характеристик"_qs,
                              u"з робочим тиском понад 5 МПа"_qs,
                              u"здатні працювати за температури нижче 77 K"_qs,
                              u"крім зазначених у примітці"_qs,
                              u"та спеціально розроблені для них компоненти"_qs,
                              u"у складі систем «подвійного використання»"_qs,
                              u"з точністю позиціонування краще 5 мкм"_qs};

// A value as RTF: our header, \uN for every character beyond ASCII.
QByteArray rtf(const QString& text) {
    QByteArray out =
        "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset204 Arial;}}"
        "\\uc1\\pard\\f0\\fs20 ";
    for (QChar c : text) {
        const ushort u = c.unicode();
        if (u == '\\' || u == '{' || u == '}')
            out += '\\', out += char(u);
        else if (u < 0x80)
            out += char(u);
        else
            out += "\\u" + QByteArray::number(qint16(u)) + '?';
    }
    return out + "\\par}";
}

}  // namespace

void GenerateLargeDatabase(const QString& path, int entries) {
    QFile::remove(path);
    auto db = st::db::Database::create(path);
    std::mt19937 rng(12345);
    auto pick = [&](const QStringList& l) { return l[int(rng() % l.size())]; };
    auto sentence = [&] {
        return pick(kAdjectives) + u' ' + pick(kNouns) + u' ' + pick(kPhrases) +
               QStringLiteral(", ") + pick(kEnglish) + u'.';
    };
    st::db::Transaction tr(*db);
    st::db::Statement entry(
        db->handle(),
        "insert into List_Entries (Entry_ID, Parent_ID, Revision_ID, Entry_type, "
        "List_Title, Entry_Short, Sort_list, Sort_Num, Rich_Title, Rich_Text, "
        "Rich_After, Plain_Title, Plain_Text, Plain_After) "
        "values (?,?,1,?,?,?,1,?,?,?,?,?,?,?)");
    st::db::Statement code(
        db->handle(),
        "insert into SYNONYM (ENTRY_ID, SYN_NUMBER, TEXT, Plain_Text, PARENT_ID) "
        "values (?,2,?,?,0)");
    int next = 1;
    auto add = [&](int parent, const QString& shortCode, int type) {
        const int id = next++;
        const QString title = (shortCode.isEmpty() ? QString() : shortCode + u' ') +
                              pick(kAdjectives) + u' ' + pick(kNouns);
        QString text;
        for (int i = 0, n = 2 + int(rng() % 6); i < n; ++i) text += sentence() + u' ';
        if (id % 4999 == 0) text += u"Берилієві мішені."_qs;  // a rare word
        const QString after = rng() % 4 == 0 ? sentence() : QString();
        entry.bind(1, id);
        entry.bind(2, parent ? QVariant(parent) : QVariant());
        entry.bind(3, type);
        entry.bind(4, title);
        entry.bind(5, shortCode);
        entry.bind(6, id);
        entry.bind(7, rtf(title));
        entry.bind(8, rtf(text));
        entry.bind(9, after.isEmpty() ? QVariant() : QVariant(rtf(after)));
        entry.bind(10, st::text::MakePlaneString(u' ' + title + u' '));
        entry.bind(11, st::text::MakePlaneString(u' ' + text + u' '));
        entry.bind(12, after.isEmpty() ? QVariant()
                                       : QVariant(st::text::MakePlaneString(u' ' + after + u' ')));
        entry.step();
        entry.reset();
        if (id % 5 == 0) {
            const QString c = QStringLiteral("%1 %2 %3 %4")
                                  .arg(8401 + int(rng() % 500))
                                  .arg(int(rng() % 90) + 10)
                                  .arg(int(rng() % 90) + 10)
                                  .arg(int(rng() % 90) + 10);
            code.bind(1, id);
            code.bind(2, c);
            code.bind(3, st::search::NormalizeUKTCodes(c));
            code.step();
            code.reset();
        }
        return id;
    };
    add(0, QString(), 0);  // the list head, entry 1
    std::function<void(int, const QString&, int)> grow = [&](int parent, const QString& prefix,
                                                             int depth) {
        const int fan = depth == 0 ? 10 : depth < 3 ? 6 : depth < 6 ? 4 : 0;
        for (int i = 0; i < fan && next <= entries; ++i) {
            const QString s =
                prefix.isEmpty() ? QString::number(i) : prefix + u'.' + QString::number(i + 1);
            const int id = add(parent, s, depth == 1 && i == 0 ? 2 : 0);
            grow(id, s, depth + 1);
        }
    };
    while (next <= entries) grow(1, QString(), 0);
    tr.commit();
}

}  // namespace st::tools
