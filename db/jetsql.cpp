#include "db/jetsql.h"

#include <QList>

namespace st::db {
namespace {

enum class Tok { Space, String, Ident, Number, Param, Op, Other };

struct Token {
    Tok kind;
    QString text;
};

bool identStart(QChar c) {
    return c.isLetter() || c == u'_';
}
bool identPart(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

QList<Token> tokenize(const QString& s) {
    QList<Token> out;
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        const QChar c = s[i];
        qsizetype j = i + 1;
        if (c.isSpace()) {
            while (j < n && s[j].isSpace()) ++j;
            out.append({Tok::Space, s.mid(i, j - i)});
        } else if (c == u'\'' || c == u'"') {
            // A literal; the quote char doubled stands for itself.
            QString body;
            while (j < n) {
                if (s[j] == c) {
                    if (j + 1 < n && s[j + 1] == c) {
                        body += c;
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                body += s[j++];
            }
            body.replace(u'\'', QStringLiteral("''"));
            out.append({Tok::String, u'\'' + body + u'\''});
        } else if (c == u'[') {
            while (j < n && s[j] != u']') ++j;
            if (j < n) ++j;
            out.append({Tok::Ident, s.mid(i, j - i)});
        } else if (c == u':' && i + 1 < n && identStart(s[i + 1])) {
            while (j < n && identPart(s[j])) ++j;
            out.append({Tok::Param, s.mid(i, j - i)});
        } else if (identStart(c)) {
            while (j < n && (identPart(s[j]) || s[j] == u'.')) ++j;
            out.append({Tok::Ident, s.mid(i, j - i)});
        } else if (c.isDigit()) {
            while (j < n && (s[j].isDigit() || s[j] == u'.')) ++j;
            out.append({Tok::Number, s.mid(i, j - i)});
        } else if (c == u'&') {
            out.append({Tok::Op, QStringLiteral("||")});
        } else if (c == u'<' || c == u'>' || c == u'!' || c == u'=') {
            if (j < n && (s[j] == u'=' || (c == u'<' && s[j] == u'>'))) ++j;
            out.append({Tok::Op, s.mid(i, j - i)});
        } else if (c == u'-' && j < n && s[j] == u'-') {
            while (j < n && s[j] != u'\n') ++j;  // comment
            out.append({Tok::Space, s.mid(i, j - i)});
        } else {
            out.append({Tok::Other, QString(c)});
        }
        i = j;
    }
    return out;
}

qsizetype nextSignificant(const QList<Token>& t, qsizetype i, int dir) {
    for (i += dir; i >= 0 && i < t.size(); i += dir)
        if (t[i].kind != Tok::Space) return i;
    return -1;
}

bool isOperand(const Token& t) {
    return t.kind == Tok::String || t.kind == Tok::Ident || t.kind == Tok::Number ||
           t.kind == Tok::Param;
}

}  // namespace

QString TranslateJet(const QString& sql, const std::function<bool(const QString&)>& isTextParam,
                     bool searchCache) {
    QList<Token> toks = tokenize(sql);
    if (searchCache) {
        static const QStringList columns = {"List_Title", "Plain_Title", "Plain_Text",
                                            "Plain_After"};
        for (qsizetype i = 0; i < toks.size(); ++i) {
            if (toks[i].kind != Tok::Ident) continue;
            qsizetype k = columns.size() - 1;
            while (k >= 0 && columns[k].compare(toks[i].text, Qt::CaseInsensitive) != 0) --k;
            if (k < 0) continue;
            const qsizetype op = nextSignificant(toks, i, +1);
            if (op < 0 || toks[op].text.compare(u"like", Qt::CaseInsensitive) != 0) continue;
            const qsizetype arg = nextSignificant(toks, op, +1);
            if (arg < 0 || (toks[arg].kind != Tok::Param && toks[arg].kind != Tok::String))
                continue;
            const qsizetype after = nextSignificant(toks, arg, +1);
            if (after >= 0 && (toks[after].text == u"||" ||
                               toks[after].text.compare(u"escape", Qt::CaseInsensitive) == 0))
                continue;
            toks[i].text = QStringLiteral("st_lc(%1, Entry_ID, %2)").arg(toks[arg].text).arg(k);
            for (qsizetype j = i + 1; j <= arg; ++j) toks[j].text.clear();
        }
    }
    auto textual = [&](const Token& t) {
        if (t.kind == Tok::String) return true;
        if (t.kind == Tok::Param && isTextParam) return isTextParam(t.text.mid(1));
        return false;
    };
    QString out;
    out.reserve(sql.size() + 16);
    qsizetype collateAfter = -1;
    for (qsizetype i = 0; i < toks.size(); ++i) {
        const Token& t = toks[i];
        if (t.kind == Tok::Op && (t.text == u"=" || t.text == u"<>" || t.text == u"!=")) {
            const qsizetype l = nextSignificant(toks, i, -1);
            const qsizetype r = nextSignificant(toks, i, +1);
            if (l >= 0 && r >= 0 && isOperand(toks[l]) && isOperand(toks[r]) &&
                (textual(toks[l]) || textual(toks[r]))) {
                // Only a simple right operand: "col = 'a' || x" stays as it is.
                const qsizetype after = nextSignificant(toks, r, +1);
                if (after < 0 || toks[after].text != u"||") collateAfter = r;
            }
        }
        out += t.text;
        if (i == collateAfter) out += QStringLiteral(" COLLATE UNOCASE");
    }
    return out;
}

}  // namespace st::db
