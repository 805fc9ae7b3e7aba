#include "search/codeformat.h"

namespace st::search {

namespace {
bool bitSet(int mask, qsizetype p) {
    return p <= 31 && (mask >> p) & 1;
}
}  // namespace

QString ApplySpaceMask(QString s, int mask) {
    qsizetype p = 1;  // 1-based, as the shapes are written
    while (p <= s.size()) {
        if (bitSet(mask, p)) {
            if (s[p - 1] != u' ') s.insert(p - 1, u' ');
            ++p;
        } else if (s[p - 1] == u' ') {
            s.remove(p - 1, 1);
        } else {
            ++p;
        }
    }
    return s;
}

QString NormalizeCodeList(const QString& input, int mask, int width) {
    QString s = input;
    s.remove(u'.');
    QString out = QStringLiteral("/");
    qsizetype i = 0;
    while (true) {
        while (i < s.size() && !(s[i] >= u'0' && s[i] <= u'9')) ++i;
        if (i >= s.size()) break;
        QString run;
        while (i < s.size()) {
            const QChar c = s[i];
            if (c >= u'0' && c <= u'9')
                run += c;
            else if (c == u' ' || c == QChar(0x00A0))
                run += u' ';
            else
                break;
            ++i;
        }
        ++i;  // the character that ended the run
        while (run.endsWith(u' ')) run.chop(1);
        if (run.isEmpty()) continue;
        auto pad = [&] {
            if (run.size() < width) run += QString(width - run.size(), u'n');
        };
        pad();
        run = ApplySpaceMask(run, mask);
        if (run.size() < width) {
            pad();
            run = ApplySpaceMask(run, mask);
        }
        if (run.size() > width) run.truncate(width);
        out += run + u'/';
    }
    return out;
}

QString NormalizeUKTCodes(const QString& s) {
    return NormalizeCodeList(s, kUKTMask, kUKTWidth);
}

QString RemoveSpaces(QString s) {
    s.remove(u' ');
    return s;
}

CodeEdit FormatCodeText(const CodeEdit& in, int mask) {
    CodeEdit out = in;
    QString& t = out.text;
    qsizetype p = 1;  // 1-based, as the masks count
    while (p <= t.size()) {
        const QChar c = t[p - 1];
        if (bitSet(mask, p)) {
            if (c == u' ' || c == u'.') {
                ++p;
                continue;
            }
            // A blank goes before an existing character only; a caret before
            // that character stays before it.
            t.insert(p - 1, u' ');
            if (out.s0 >= p - 1) ++out.s0;
            if (out.s1 >= p - 1) ++out.s1;
            p += 2;
        } else if (c == u' ' || c == u'.') {
            t.remove(p - 1, 1);
            if (out.s0 >= p) --out.s0;
            if (out.s1 >= p) --out.s1;
        } else {
            ++p;
        }
    }
    return out;
}

int CodeWordBreak(const QString& text, int position, int code) {
    const int n = int(text.size());
    if (position < 0 || position >= n) return 0;
    auto after = [&](int i, QStringView set) { return i > 0 && set.contains(text[i - 1]); };
    auto delim = [&](int i) {
        const QChar c = text[i];
        return (c == u' ' || c == u'\t') && (i == 0 || after(i, u";,-"));
    };
    switch (code) {
        case 2:
        case 3:
            return delim(position) ? 16 : 0;
        case 0:
        case 4:
        case 6: {
            for (int i = position - (code == 6 ? 1 : 2); i >= 0; --i) {
                const bool stop = delim(i) || (code == 4 && QStringView(u";,-").contains(text[i]));
                if (stop) return code == 6 ? i : i + 1;
            }
            return -1;
        }
        default: {
            const int from = position + (code == 7 ? 1 : 0);
            for (int i = from; i < n; ++i) {
                const bool stop = delim(i) || (code == 5 && (text[i] == u';' || text[i] == u',' ||
                                                             (i > from && text[i - 1] == u'-')));
                if (stop) return code == 7 ? i : i + 1;
            }
            return n;
        }
    }
}

namespace {

QString literal(QString s) {
    return s.replace(u'\'', QStringLiteral("''"));
}

QString codeQueryHead(int kind) {
    return QStringLiteral(
               "select Entry_id, List_Title, Parent_id, Entry_type, Revision_id, Picture_key\n"
               "from List_entries\n"
               "where (Revision_id in (-153))\n"
               " and (Entry_ID in (select Entry_ID from SYNONYM\n"
               "  where SYN_NUMBER=%1 and \n")
        .arg(kind);
}

const QString kCodeQueryTail = QStringLiteral("\n order by Sort_list,Sort_Num");

}  // namespace

QString MakeUKT_SQL(const QString& code, bool exac) {
    const QString sti = code.trimmed();
    QString sql = codeQueryHead(2);
    auto like = [](const QString& lead, const QString& pattern, const QString& tail) {
        return lead + QStringLiteral("Plain_Text like '%/") + literal(pattern) + tail;
    };
    if (exac) {
        // The stored form: "/" and the shaped codes, so its own slashes lead.
        sql += QStringLiteral("  Plain_Text like '%") + NormalizeUKTCodes(sti) +
               QStringLiteral("%'))");
    } else if (sti.size() <= 4) {
        sql += like(QStringLiteral("  "), sti, QStringLiteral("%'))"));
    } else {
        sql += like(QStringLiteral("  ("), sti.left(4), QStringLiteral(" nn nn nn/%'"));
        if (sti.size() > 6)
            sql += like(QStringLiteral("\n   or "), sti.left(6), QStringLiteral("n nn nn/%'"));
        if (sti.size() > 7)
            sql += like(QStringLiteral("\n   or "), sti.left(7), QStringLiteral(" nn nn/%'"));
        if (sti.size() > 10)
            sql += like(QStringLiteral("\n   or "), sti.left(10), QStringLiteral(" nn/%'"));
        sql += like(QStringLiteral("\n  or "), sti, QStringLiteral("%')))"));
    }
    return sql + kCodeQueryTail;
}

QString MakeTN_SQL(const QString& sti) {
    return codeQueryHead(3) + QStringLiteral("  Plain_Text like '%") + literal(RemoveSpaces(sti)) +
           QStringLiteral("%'))") + kCodeQueryTail;
}

}  // namespace st::search
