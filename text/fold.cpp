#include "text/fold.h"

#include <QHash>

namespace st::text {
namespace {

using Map = QHash<char16_t, char16_t>;

Map buildMap(const QString& from, const QString& to) {
    Q_ASSERT(from.size() == to.size());
    Map m;
    for (qsizetype i = 0; i < from.size(); ++i) m.insert(from[i].unicode(), to[i].unicode());
    return m;
}

const Map& lookAlikes() {
    static const Map m = buildMap(QStringLiteral("'“”«»\\АВСЕНІіКМОРТХУҐґЁёЇї\t\r\n"),
                                  QStringLiteral("\"\"\"\"\"/ABCEHIIKMOPTXYГГEEII   "));
    return m;
}

const Map& diacritics() {
    static const Map m = [] {
        struct Row {
            const char16_t* from;
            char16_t to;
        };
        const Row rows[] = {
            {u"'‚„‘’“”", u'"'},
            {u"\\", u'/'},
            {u"ẀẂẄŴ", u'W'},
            {u"ẠẢẤẦẨẪẬẮẰẲẴẶÀÁÂÃÄÅĀĂĄǍǺ", u'A'},
            {u"ẸẺẼẾỀỂỄỆÈÉÊËĒĔĖĘĚ", u'E'},
            {u"ỈỊÌÍÎÏĨĪĬĮİǏ", u'I'},
            {u"ỌỎỐỒỔỖỘỚỜỞỠỢÒÓÔÕÖŌŎŐƠǑǾ", u'O'},
            {u"ỤỦỨỪỬỮỰÙÚÛÜŨŪŬŮŰŲƯǓǕǗǙǛ", u'U'},
            {u"ỲỴỶỸÝŶŸ", u'Y'},
            {u"ÇĆĈĊČ", u'C'},
            {u"ÐĎĐ", u'D'},
            {u"ÑŃŅŇ", u'N'},
            {u"ĜĞĠĢ", u'G'},
            {u"ĤĦ", u'H'},
            {u"Ĵ", u'J'},
            {u"Ķ", u'K'},
            {u"ĹĻĽĿŁ", u'L'},
            {u"ŔŖŘ", u'R'},
            {u"ŚŜŞŠ", u'S'},
            {u"ŢŤŦ", u'T'},
            {u"ŹŻŽ", u'Z'},
        };
        Map out;
        for (const Row& r : rows)
            for (const char16_t* p = r.from; *p; ++p) out.insert(*p, r.to);
        return out;
    }();
    return m;
}

// Upper-cases one character to one character (no expansions such as ß -> SS).
QString upperThenMap(const QString& s, const Map& map) {
    QString out = s;
    for (QChar& c : out) {
        if (c.isSurrogate()) continue;
        c = c.toUpper();
        auto it = map.constFind(c.unicode());
        if (it != map.constEnd()) c = QChar(*it);
    }
    return out;
}

}  // namespace

QString FoldLookAlikes(const QString& s) {
    return upperThenMap(s, lookAlikes());
}

QString FoldDiacritics(const QString& s) {
    return upperThenMap(s, diacritics());
}

QString MakePlaneString(const QString& sti) {
    if (sti.size() > 30000) return QString();
    const QString folded = FoldLookAlikes(sti);
    QString out;
    out.reserve(folded.size());
    for (QChar c : folded) {
        if (c == u' ' && !out.isEmpty() && out.back() == u' ') continue;
        out.append(c);
    }
    return out;
}

QString MakeSearchShab(const QString& sti) {
    return FoldDiacritics(FoldLookAlikes(sti));
}

}  // namespace st::text
