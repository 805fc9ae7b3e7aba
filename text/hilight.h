#pragma once
#include <QList>
#include <QString>
#include <QtGlobal>

// Search-hit patterns and term marks, shared by the tree captions and every
// text highlighter; nothing here knows a view.

namespace st::text {

// Zone of an entry a mark belongs to.
enum ps_list : quint8 {
    hilUndefined = 0,
    hilTitle = 1,
    hilText = 2,
    hilAfter = 3,
    hilComme = 4,  // comment texts
};

// One hit or term mark.
struct HiliCoo {
    ps_list tpp = hilUndefined;
    qint32 star = 0;     // start within the zone, from 1
    qint32 len = 0;      // length in characters
    qint32 id1 = 0;      // hits: the zone's entry (record) id; term marks: the term id
    qint32 id2 = 0;      // the zone's entry (record) id
    qint32 scrpos = -1;  // absolute position in the view, from 0; -1 while not placed
};

// Owners keep the number of records in use beside the array, which only
// grows, by kHiliCooStep records at a time, and is reused after a clear.
using dynar_HiliCoo = QList<HiliCoo>;
constexpr int kHiliCooStep = 20;
void AppendHiliCoo(dynar_HiliCoo& marks, int& count, const HiliCoo& rec);

// A pattern beginning with this is a customs-code prefix pattern; the rest
// of it is the code.
inline constexpr QStringView kCodePrefixMark = u"@$@$";
inline bool IsCodePrefixPattern(const QString& pattern) {
    return pattern.startsWith(kCodePrefixMark);
}

// Result of matching a pattern; positions count from 1 in the whole text.
// A failed attempt still reports where its first literal was found (0 when
// it was not), which is where the next attempt starts.
struct PatternMatch {
    bool found = false;
    int position = 0;
    int length = 0;
};

// Pattern language over comparison forms: literals, '*' (the next literal
// anywhere further on, the gap counted in the hit), '?' (any character),
// '#' (a digit 0-9) and '[set]' (a class; '`' in it stands for a text
// boundary). A pattern needs at least one literal to match.
// One attempt from start, which counts as a text boundary.
PatternMatch MatchPatternAt(const QString& pattern, const QString& text, int start);
// The first hit from start: failed attempts are retried at the next
// occurrence of the first literal; patterns beginning with '?' or '#' are
// tried at start only.
PatternMatch FindPattern(const QString& pattern, const QString& text, int start);

// A term position item "zone,start,length" with the zone "i" (title), "T"
// (text) or "A" (after-text). On success the record gets tpp, star, len and
// scrpos -1; otherwise it is left as it was and false is returned.
bool ParseTermMark(HiliCoo& rec, const QString& item);
// Appends the items of a ";"-separated text as copies of tpl from index
// count on; items that do not parse are skipped. Returns the new count.
int ParseTermMarks(const HiliCoo& tpl, dynar_HiliCoo& marks, int count, const QString& text);

}  // namespace st::text
