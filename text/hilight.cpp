#include "text/hilight.h"

#include <algorithm>

namespace st::text {

namespace {

constexpr QChar kBoundary = u'`';  // in a class: no character at all

bool isWildcard(QChar c) {
    return c == u'*' || c == u'?' || c == u'[' || c == u'#';
}
bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// One attempt. startIsBoundary is false for the retries of FindPattern: their
// start lies inside the text, so a leading class must see the character
// before it.
PatternMatch matchAt(const QString& pattern, const QString& text, int start, bool startIsBoundary) {
    PatternMatch m;
    start = std::max(start, 1);
    const qsizetype n = text.size();
    const qsizetype from = std::min<qsizetype>(start - 1, n);
    qsizetype r = from;  // the remaining text begins here (from 0)

    QString pat = pattern;  // a class ending the pattern gets a '*' appended
    qsizetype q = pat.startsWith(u'*') ? 1 : 0;

    bool searching = true;
    bool matched = false;  // a literal was matched
    bool haveClass = false;
    QString cls;
    int length = 0;

    while (q < pat.size()) {
        if (!isWildcard(pat[q])) {
            qsizetype e = q;
            while (e < pat.size() && !isWildcard(pat[e])) ++e;
            const QStringView lit = QStringView(pat).sliced(q, e - q);
            if (searching) {
                const qsizetype at = text.indexOf(lit, r);
                if (at < 0) return m;
                const qsizetype i = at - r + 1;  // counted in the remaining text
                if (!matched) m.position = int(start + i - 1);
                if (haveClass) {
                    if (!matched) {
                        if (i > 1) {
                            if (!cls.contains(text[at - 1])) return m;
                        } else if (!startIsBoundary && r == from && r > 0 &&
                                   !cls.contains(text[r - 1])) {
                            return m;
                        }
                    } else if (i == 1) {
                        if (!cls.contains(kBoundary)) return m;
                    } else {
                        for (qsizetype k = r; k < at; ++k)
                            if (!cls.contains(text[k])) return m;
                    }
                }
                if (matched) length += int(i - 1);
                r = at + lit.size();
            } else {
                if (!QStringView(text).sliced(r).startsWith(lit)) return m;
                if (!matched) m.position = start;
                r += lit.size();
            }
            matched = true;
            length += int(lit.size());
            q = e;
            if (q >= pat.size()) break;
        } else if (searching && haveClass) {
            return m;
        }

        searching = false;

        if (pat[q] == u'[') {
            const qsizetype close = pat.indexOf(u']', q + 1);
            if (close < 0) return m;
            cls = pat.mid(q + 1, close - q - 1);
            haveClass = true;
            const bool endsPattern = close == pat.size() - 1;
            if (endsPattern) pat += u'*';
            if (pat[close + 1] == u'*' && close + 1 != pat.size() - 1) {
                searching = true;
                q = close + 2;
            } else {
                if (!matched) {
                    searching = true;
                } else if (r < n && cls.contains(text[r])) {
                    ++r;
                    ++length;
                } else if (!cls.contains(kBoundary) || (endsPattern && r < n)) {
                    return m;
                }
                q = close + 1;
            }
            if (q >= pat.size()) break;
        }
        if (pat[q] == u'?') {
            if (r >= n) return m;
            ++r;
            ++length;
            if (++q >= pat.size()) break;
        }
        if (pat[q] == u'#') {
            if (r >= n || !isDigit(text[r])) return m;
            ++r;
            ++length;
            if (++q >= pat.size()) break;
        }
        if (pat[q] == u'*') {
            searching = true;
            ++q;
        }
    }
    if (!matched) return m;
    m.found = true;
    m.length = length;
    return m;
}

bool isAnchored(const QString& pattern) {
    const qsizetype q = pattern.startsWith(u'*') ? 1 : 0;
    return q < pattern.size() && (pattern[q] == u'?' || pattern[q] == u'#');
}

}  // namespace

void AppendHiliCoo(dynar_HiliCoo& marks, int& count, const HiliCoo& rec) {
    if (count >= marks.size()) marks.resize(count + kHiliCooStep);
    marks[count++] = rec;
}

PatternMatch MatchPatternAt(const QString& pattern, const QString& text, int start) {
    return matchAt(pattern, text, start, true);
}

PatternMatch FindPattern(const QString& pattern, const QString& text, int start) {
    PatternMatch m = matchAt(pattern, text, start, true);
    const bool retry = !isAnchored(pattern);
    while (!m.found && retry && m.position > 0) m = matchAt(pattern, text, m.position + 1, false);
    return m.found ? m : PatternMatch{};
}

bool ParseTermMark(HiliCoo& rec, const QString& item) {
    const qsizetype c1 = item.indexOf(u',');
    if (c1 < 1) return false;
    const qsizetype c2 = item.indexOf(u',', c1 + 1);
    if (c2 < c1 + 2) return false;

    const QString zone = item.left(c1).trimmed();
    ps_list tpp;
    if (zone == u"i")
        tpp = hilTitle;
    else if (zone == u"T")
        tpp = hilText;
    else if (zone == u"A")
        tpp = hilAfter;
    else
        return false;

    bool ok1 = false;
    bool ok2 = false;
    const int star = item.mid(c1 + 1, c2 - c1 - 1).trimmed().toInt(&ok1);
    const int len = item.mid(c2 + 1).trimmed().toInt(&ok2);
    if (!ok1 || !ok2 || star <= 0 || len <= 0) return false;

    rec.tpp = tpp;
    rec.star = star;
    rec.len = len;
    rec.scrpos = -1;
    return true;
}

int ParseTermMarks(const HiliCoo& tpl, dynar_HiliCoo& marks, int count, const QString& text) {
    for (const QString& piece : text.split(u';')) {
        HiliCoo rec = tpl;
        if (ParseTermMark(rec, piece)) AppendHiliCoo(marks, count, rec);
    }
    return count;
}

}  // namespace st::text
