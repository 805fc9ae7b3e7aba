#include <QTest>

#include "text/fold.h"
#include "text/hilight.h"

using namespace st::text;

namespace {

// All hits of a pattern in a text the way a zone is marked: from 1 on, each
// search continuing after the previous hit. "p/n" per hit.
QString allHits(const QString& pattern, const QString& text) {
    QStringList out;
    for (int pos = 1;;) {
        const PatternMatch m = FindPattern(pattern, text, pos);
        if (!m.found) break;
        out << QStringLiteral("%1/%2").arg(m.position).arg(m.length);
        pos = m.position + (m.length < 2 ? 1 : m.length);
    }
    return out.join(u' ');
}

QString describe(const dynar_HiliCoo& marks, int count) {
    QStringList out;
    for (int i = 0; i < count; ++i) {
        const HiliCoo& m = marks[i];
        out << QStringLiteral("%1:%2/%3 %4,%5 @%6")
                   .arg(int(m.tpp))
                   .arg(m.star)
                   .arg(m.len)
                   .arg(m.id1)
                   .arg(m.id2)
                   .arg(m.scrpos);
    }
    return out.join(u"; ");
}

}  // namespace

class TestHilight : public QObject {
    Q_OBJECT
  private slots:
    // Pattern and text both go through the comparison form first, as every
    // caller does.
    void patternLanguage_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("hits");

        QTest::newRow("literal repeats") << "AB"
                                         << "ABAB"
                                         << "1/2 3/2";
        QTest::newRow("no occurrence") << "AB"
                                       << "A B"
                                       << "";
        QTest::newRow("star gap counted") << "AB*CD"
                                          << "X AB ZZ CD"
                                          << "3/8";
        QTest::newRow("case and accents ignored") << "zurich"
                                                  << "in Zürich"
                                                  << "4/6";

        QTest::newRow("leading class: zone start, comma, not X") << "[,]AB"
                                                                 << "AB,AB XAB"
                                                                 << "1/2 4/2";
        QTest::newRow("leading class: right after a hit") << "[,]AB"
                                                          << "ABAB XAB"
                                                          << "1/2 3/2";
        QTest::newRow("class in force rejects a lettered gap") << "[ ]AB*CD"
                                                               << "AB ZZ CD"
                                                               << "";
        QTest::newRow("class in force accepts a blank gap") << "[ ]AB*CD"
                                                            << "AB   CD"
                                                            << "1/7";
        QTest::newRow("class in force needs the accent for no gap") << "[ ]AB*CD"
                                                                    << "ABCD"
                                                                    << "";
        QTest::newRow("class in force, accent allows no gap") << "[ `]AB*CD"
                                                              << "ABCD"
                                                              << "1/4";

        QTest::newRow("ending class with accent at text end") << "AB[ `]"
                                                              << "XAB"
                                                              << "2/2";
        QTest::newRow("ending class with accent consumes a member") << "AB[ `]"
                                                                    << "AB CD"
                                                                    << "1/3";
        QTest::newRow("ending class with accent, not before a letter") << "AB[ `]"
                                                                       << "ABC AB"
                                                                       << "5/2";
        QTest::newRow("ending class without accent at text end") << "AB[ ]"
                                                                 << "XAB"
                                                                 << "";
        QTest::newRow("inner class with accent is optional") << "AB[-`]CD"
                                                             << "AB-CD ABCD AB+CD"
                                                             << "1/5 7/4";

        QTest::newRow("leading # at the start and after hits") << "#AB"
                                                               << "1AB2AB 3AB"
                                                               << "1/3 4/3";
        QTest::newRow("leading # not further on") << "#AB"
                                                  << "X1AB"
                                                  << "";
        QTest::newRow("leading ? at the start only") << "?AB"
                                                     << "XAB YAB"
                                                     << "1/3";
        QTest::newRow("leading ? right after a hit") << "?AB"
                                                     << "XABYAB"
                                                     << "1/3 4/3";
        QTest::newRow("leading * ignored") << "*AB"
                                           << "XXAB"
                                           << "3/2";
        QTest::newRow("leading * before ? keeps the anchor") << "*?AB"
                                                             << "XAB YAB"
                                                             << "1/3";

        QTest::newRow("* before ? has no effect") << "AB*?D"
                                                  << "ABCD ABXXD"
                                                  << "1/4";
        QTest::newRow("* before # has no effect") << "AB*#"
                                                  << "AB1 AB X"
                                                  << "1/3";
        QTest::newRow("* before class has no effect") << "AB*[-]CD"
                                                      << "AB-CD AB--CD"
                                                      << "1/5";
        QTest::newRow("* before class fails while a class is in force") << "[ ]AB*[-]CD"
                                                                        << "AB-CD"
                                                                        << "";
        QTest::newRow("class then * : a gap of members only") << "AB[-]*CD"
                                                              << "AB---CD AB-XCD"
                                                              << "1/7";

        QTest::newRow("only *") << "*"
                                << "AB 12"
                                << "";
        QTest::newRow("only ?") << "?"
                                << "AB 12"
                                << "";
        QTest::newRow("only #") << "##"
                                << "AB 12"
                                << "";
        QTest::newRow("only a class") << "[AB]"
                                      << "AB 12"
                                      << "";
        QTest::newRow("only wildcards mixed") << "?*#[ ]*"
                                              << "AB 12"
                                              << "";
        QTest::newRow("empty pattern") << ""
                                       << "AB 12"
                                       << "";
        QTest::newRow("unterminated class") << "AB[CD"
                                            << "AB[CD ABC"
                                            << "";

        QTest::newRow("retry at next occurrence") << "AB#"
                                                  << "ABC AB1"
                                                  << "5/3";
        QTest::newRow("retry with a leading class") << "[ ]AB"
                                                    << "XAB AB"
                                                    << "5/2";
        // A retry starts inside the text: the character before it counts.
        QTest::newRow("retry start is no boundary") << "[ ]AA"
                                                    << "XAAA AA"
                                                    << "6/2";

        QTest::newRow("cyrillic text, cyrillic pattern")
            << u"насос"_qs << u"Водяний НАСОС і насос"_qs << "9/5 17/5";
        QTest::newRow("cyrillic text, latin look-alike pattern")
            << "HACOC" << u"Водяний насос"_qs << "9/5";
        QTest::newRow("cyrillic with wildcards")
            << u"лазер[ `]"_qs << u"лазер і Лазерні, лазер"_qs << "1/6 18/5";
    }
    void patternLanguage() {
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        QFETCH(QString, hits);
        QCOMPARE(allHits(MakeSearchShab(pattern), MakeSearchShab(text)), hits);
    }

    void attemptReportsItsStart_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<bool>("found");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("length");
        QTest::newRow("positions count in the whole text") << "AB"
                                                           << "ABAB" << 2 << true << 3 << 2;
        QTest::newRow("failure after the first literal") << "AB#"
                                                         << "ABC AB1" << 1 << false << 1 << 0;
        QTest::newRow("failure before any literal") << "#AB"
                                                    << "XAB" << 1 << false << 0 << 0;
        QTest::newRow("start past the end") << "AB"
                                            << "AB" << 5 << false << 0 << 0;
    }
    void attemptReportsItsStart() {
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        QFETCH(int, start);
        const PatternMatch m = MatchPatternAt(pattern, text, start);
        QTEST(m.found, "found");
        QTEST(m.position, "position");
        if (m.found) QTEST(m.length, "length");
    }

    void termMarks_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("marks");
        const QString ok = "2:22/5 7,9 @-1";
        QTest::newRow("three zones") << "i,1,5;T,22,5;A,14,5"
                                     << "1:1/5 7,9 @-1; 2:22/5 7,9 @-1; 3:14/5 7,9 @-1";
        QTest::newRow("zone letter trimmed") << " T ,22,5" << ok;
        QTest::newRow("empty pieces") << ";;T,22,5;" << ok;
        QTest::newRow("no commas") << "T22 5;T,22,5" << ok;
        QTest::newRow("one comma") << "T,22;T,22,5" << ok;
        QTest::newRow("empty zone") << ",22,5;T,22,5" << ok;
        QTest::newRow("empty start") << "T,,5;T,22,5" << ok;
        QTest::newRow("empty length") << "T,22,;T,22,5" << ok;
        QTest::newRow("zero start") << "T,0,5;T,22,5" << ok;
        QTest::newRow("zero length") << "T,22,0;T,22,5" << ok;
        QTest::newRow("negative start") << "T,-3,5;T,22,5" << ok;
        QTest::newRow("not a number") << "T,2x,5;T,1.5,5;T,22,5" << ok;
        QTest::newRow("extra field") << "T,22,5,1;T,22,5" << ok;
        QTest::newRow("lower-case t") << "t,22,5;T,22,5" << ok;
        QTest::newRow("unknown zone") << "X,22,5;TT,1,1;T,22,5" << ok;
        QTest::newRow("nothing parses") << "t,1,1;,,;x"
                                        << "";
    }
    void termMarks() {
        QFETCH(QString, text);
        HiliCoo tpl;
        tpl.id1 = 7;
        tpl.id2 = 9;
        tpl.scrpos = 123;
        dynar_HiliCoo marks;
        const int count = ParseTermMarks(tpl, marks, 0, text);
        QTEST(describe(marks, count), "marks");
    }

    void failedItemLeavesTheRecord() {
        HiliCoo rec;
        rec.tpp = hilComme;
        rec.star = 4;
        rec.len = 2;
        rec.scrpos = 10;
        QVERIFY(!ParseTermMark(rec, "T,0,5"));
        QCOMPARE(describe({rec}, 1), "4:4/2 0,0 @10");
        QVERIFY(ParseTermMark(rec, "A,3,1"));
        QCOMPARE(describe({rec}, 1), "3:3/1 0,0 @-1");
    }

    // Marks are appended after the ones in use, past the growth step too.
    void termMarksAppend() {
        dynar_HiliCoo marks;
        QStringList items;
        for (int i = 1; i <= 25; ++i) items << QStringLiteral("T,%1,1").arg(i);
        int count = ParseTermMarks({}, marks, 0, "i,9,9");
        count = ParseTermMarks({}, marks, count, items.join(u';'));
        QCOMPARE(count, 26);
        QCOMPARE(marks[0].tpp, hilTitle);
        for (int i = 1; i <= 25; ++i) {
            QCOMPARE(marks[i].tpp, hilText);
            QCOMPARE(marks[i].star, i);
        }
        // A reused array starts over at the count given.
        QCOMPARE(ParseTermMarks({}, marks, 0, "A,2,2"), 1);
        QCOMPARE(marks[0].tpp, hilAfter);
    }
};

QTEST_APPLESS_MAIN(TestHilight)
#include "tst_hilight.moc"
