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

}  // namespace st::search
