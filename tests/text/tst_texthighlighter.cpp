#include <QTest>
#include <QTextBlock>

#include "text/fold.h"
#include "text/richview.h"
#include "text/texthighlighter.h"

using namespace st::text;

namespace {

const QColor kHit(255, 0, 128);
const QColor kTerm(0, 0, 128);

// Runs of characters whose format carries the colour, "start/length" from 0.
QString colouredRuns(const TRichView& v, const QColor& c) {
    QList<bool> on(v.textLength(), false);
    for (QTextBlock b = v.document()->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const QBrush fg = f.charFormat().foreground();
            if (fg.style() == Qt::NoBrush || fg.color() != c) continue;
            for (int i = f.position(); i < f.position() + f.length(); ++i) on[i] = true;
        }
    QStringList runs;
    for (int i = 0; i < on.size();) {
        if (!on[i]) {
            ++i;
            continue;
        }
        int j = i;
        while (j < on.size() && on[j]) ++j;
        runs << QStringLiteral("%1/%2").arg(i).arg(j - i);
        i = j;
    }
    return runs.join(u' ');
}

// "star/len@scrpos" per hit in use.
QString hitList(const cTextHighLighter& h) {
    QStringList out;
    for (int i = 0; i < h.founkvo; ++i)
        out << QStringLiteral("%1/%2@%3")
                   .arg(h.founHil[i].star)
                   .arg(h.founHil[i].len)
                   .arg(h.founHil[i].scrpos);
    return out.join(u' ');
}

void setContent(TRichView& v, const QString& text) {
    v.clear();
    v.replaceSelection(text);
    v.setSelection(0, 0);
}

HiliCoo zoneTemplate() {
    HiliCoo t;
    t.tpp = hilText;
    t.id1 = 5;
    t.id2 = 6;
    return t;
}

}  // namespace

class TestTextHighlighter : public QObject {
    Q_OBJECT

    // A small shown view with long content, for navigation and scrolling.
    TRichView nav;
    cTextHighLighter navHil{&nav};
    QStringList navShabs{"HIT"};
    int navHeight = 0;

    int hitStart(int k) const { return navHil.founHil[k].scrpos; }
    int hitEnd(int k) const { return navHil.founHil[k].scrpos + navHil.founHil[k].len; }
    // A position's pixel offset from the top of the document.
    int docY(int pos) const { return nav.charPosition(pos).y() + nav.scrollPosition(); }

  private slots:
    void initTestCase() {
        QStringList lines;
        for (int i = 0; i < 200; ++i)
            lines << QStringLiteral("row %1%2")
                         .arg(i)
                         .arg(i == 1 || i == 60 || i == 120 || i == 180 ? " HIT" : "");
        setContent(nav, lines.join(u'\n'));
        nav.resize(300, 150);
        nav.show();
        QVERIFY(QTest::qWaitForWindowExposed(&nav));
        navHil.shabs = &navShabs;
        navHil.AddNewMarks(zoneTemplate(), &nav, 0, nav.textLength(), kHit, true, 0);
        navHil.SortFoundList();
        QCOMPARE(navHil.founkvo, 4);
        navHeight = nav.visibleHeight();
        QVERIFY(nav.scrollRange() > docY(hitStart(3)));
    }

    void getSearchShabFoldsTheSelection() {
        TRichView v;
        setContent(v, u"Zürich\nнасос!"_qs);
        v.setSelection(0, 12);
        QCOMPARE(GetSearchShab(&v, 0), u"ZURICH HACOC"_qs);
        QCOMPARE(GetSearchShab(&v, 1251), u"ZURICH HACOC"_qs);
    }

    void marksAndColoursHits_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("patterns");
        QTest::addColumn<int>("pzs");
        QTest::addColumn<int>("pze");
        QTest::addColumn<QString>("hits");
        QTest::addColumn<QString>("runs");
        const QString threeLines = "AB title\nXX AB CD AB\nAB tail";
        QTest::newRow("middle paragraph, patterns in order")
            << threeLines << QStringList{"AB", "CD"} << 9 << 20 << "4/2@12 10/2@18 7/2@15"
            << "12/2 15/2 18/2";
        QTest::newRow("whole text")
            << threeLines << QStringList{"AB"} << 0 << 28 << "1/2@0 13/2@12 19/2@18 22/2@21"
            << "0/2 12/2 18/2 21/2";
        QTest::newRow("cyrillic text, pattern in comparison form")
            << u"Водяний насос"_qs << QStringList{MakeSearchShab(u"НАСОС"_qs)} << 0 << 13 << "9/5@8"
            << "8/5";
        QTest::newRow("code prefix patterns left out")
            << "8401 10" << QStringList{"@$@$8401 10 00", "8401"} << 0 << 7 << "1/4@0"
            << "0/4";
        QTest::newRow("empty pattern list") << threeLines << QStringList{} << 0 << 28 << ""
                                            << "";
    }
    void marksAndColoursHits() {
        QFETCH(QString, text);
        QFETCH(QStringList, patterns);
        QFETCH(int, pzs);
        QFETCH(int, pze);
        TRichView v;
        setContent(v, text);
        cTextHighLighter h(&v);
        h.shabs = &patterns;
        h.AddNewMarks(zoneTemplate(), &v, pzs, pze, kHit, false, 1251);
        QTEST(hitList(h), "hits");
        QTEST(colouredRuns(v, kHit), "runs");
        for (int i = 0; i < h.founkvo; ++i) {
            QCOMPARE(h.founHil[i].tpp, hilText);
            QCOMPARE(h.founHil[i].id1, 5);
            QCOMPARE(h.founHil[i].id2, 6);
        }
        // A cleared highlighter reuses its array from the start.
        const QString first = hitList(h);
        h.ClearData();
        QCOMPARE(h.founkvo, 0);
        h.AddNewMarks(zoneTemplate(), &v, pzs, pze, kHit, false, 0);
        QCOMPARE(hitList(h), first);
    }

    void noPatternListMarksNothing() {
        TRichView v;
        setContent(v, "8401, 8401 10 AB");
        cTextHighLighter h(&v);
        h.AddNewMarks(zoneTemplate(), &v, 0, v.textLength(), kHit, false, 0);
        h.AddNewZEDMarks(zoneTemplate(), &v, 0, v.textLength(), kHit, false);
        QCOMPARE(h.founkvo, 0);
        QCOMPARE(colouredRuns(v, kHit), QString());
    }

    void zoneLimit_data() {
        QTest::addColumn<int>("zoneLength");
        QTest::addColumn<QString>("hits");
        QTest::newRow("exactly the limit") << kMaxHiliZone << "1/4@0 9999/2@9998";
        QTest::newRow("one over the limit") << kMaxHiliZone + 1 << "";
    }
    void zoneLimit() {
        QFETCH(int, zoneLength);
        TRichView v;
        const QString head = "8401, ";
        setContent(v, head + QString(zoneLength - head.size() - 2, u'x') + "AB");
        QStringList patterns{"@$@$8401 10", "AB"};
        cTextHighLighter h(&v);
        h.shabs = &patterns;
        h.AddNewZEDMarks(zoneTemplate(), &v, 0, zoneLength, kHit, false);
        h.AddNewMarks(zoneTemplate(), &v, 0, zoneLength, kHit, false, 0);
        h.SortFoundList();
        QTEST(hitList(h), "hits");
    }

    void caretAndScrollRestored() {
        TRichView v;
        QStringList lines;
        // Line 90, "AB 8401;", spans [450, 458).
        for (int i = 0; i < 100; ++i) lines << (i == 90 ? "AB 8401;" : "line");
        setContent(v, lines.join(u'\n'));
        v.resize(300, 120);
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        QStringList patterns{"AB", "@$@$8401 10"};
        cTextHighLighter h(&v);
        h.shabs = &patterns;

        v.setSelection(2, 3);
        v.setScrollPosition(0);
        h.AddNewMarks(zoneTemplate(), &v, 0, v.textLength(), kHit, true, 0);
        QCOMPARE(h.founkvo, 1);
        QCOMPARE(v.selStart(), 2);
        QCOMPARE(v.selLength(), 3);
        QCOMPARE(v.scrollPosition(), 0);

        h.AddNewZEDMarks(zoneTemplate(), &v, 450, 458, kHit, true);
        QCOMPARE(h.founkvo, 2);
        QCOMPARE(v.selStart(), 2);
        QCOMPARE(v.selLength(), 3);
        QCOMPARE(v.scrollPosition(), 0);
    }

    void codePrefixes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("pzs");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("hits");
        QTest::addColumn<QString>("runs");
        QTest::newRow("prefixes but not the code itself")
            << "8401, 8401 10, 8401 10 00 00; 8402 11" << 0 << "8401 10 00 00"
            << "1/4@0 7/7@6"
            << "0/4 6/7";
        QTest::newRow("prefixes written otherwise are not prefixes")
            << "8402, 840, 8401 1, 84011" << 0 << "8401 10"
            << "7/3@6 12/6@11"
            << "6/3 11/6";
        QTest::newRow("lead-in before the digits is covered")
            << "ex 8401; 8401 10" << 0 << "8401 10 00"
            << "1/7@0 10/7@9"
            << "0/7 9/7";
        // A mark never reaches back over a separator.
        QTest::newRow("separator before any digit") << "see; 8401" << 0 << "8401 10"
                                                    << "6/4@5"
                                                    << "5/4";
        QTest::newRow("blanks before the separator stay in the mark")
            << "8401 , 8402" << 0 << "8401 10"
            << "1/5@0"
            << "0/5";
        QTest::newRow("zone after a heading") << "Code 84:\n8401; 8401 10" << 9 << "8401 10"
                                              << "1/4@9"
                                              << "9/4";
        QTest::newRow("no digits") << "none; n/a" << 0 << "8401"
                                   << ""
                                   << "";
    }
    void codePrefixes() {
        QFETCH(QString, text);
        QFETCH(int, pzs);
        QFETCH(QString, code);
        TRichView v;
        setContent(v, text);
        // The code search puts the prefix pattern beside the plain one; only
        // the prefix pattern is this routine's.
        QStringList patterns{"@$@$" + code, code};
        cTextHighLighter h(&v);
        h.shabs = &patterns;
        h.AddNewZEDMarks(zoneTemplate(), &v, pzs, v.textLength(), kHit, false);
        QTEST(hitList(h), "hits");
        QTEST(colouredRuns(v, kHit), "runs");
    }

    void codeSearchMarksTheCodeAndItsPrefixes() {
        TRichView v;
        setContent(v, "8401, 8401 10, 8401 10 00 00; 8402 11");
        QStringList patterns{"@$@$8401 10 00 00", "8401 10 00 00"};
        cTextHighLighter h(&v);
        h.shabs = &patterns;
        h.AddNewMarks(zoneTemplate(), &v, 0, v.textLength(), kHit, false, 0);
        h.AddNewZEDMarks(zoneTemplate(), &v, 0, v.textLength(), kHit, false);
        h.SortFoundList();
        QCOMPARE(hitList(h), "1/4@0 7/7@6 16/13@15");
        QCOMPARE(colouredRuns(v, kHit), "0/4 6/7 15/13");
    }

    void sortFoundList_data() {
        QTest::addColumn<QList<int>>("scrpos");
        QTest::addColumn<QList<int>>("ids");
        QTest::newRow("reversed") << QList<int>{30, 20, 10} << QList<int>{3, 2, 1};
        QTest::newRow("mixed") << QList<int>{7, 1, 9, 3, 5} << QList<int>{2, 4, 5, 1, 3};
        QTest::newRow("equal positions keep their order")
            << QList<int>{20, 10, 20} << QList<int>{2, 1, 3};
        QTest::newRow("equal positions split by a swap")
            << QList<int>{5, 5, 1} << QList<int>{3, 2, 1};
    }
    void sortFoundList() {
        QFETCH(QList<int>, scrpos);
        cTextHighLighter h(nullptr);
        for (int i = 0; i < scrpos.size(); ++i) {
            HiliCoo rec;
            rec.scrpos = scrpos[i];
            rec.id1 = i + 1;
            AppendHiliCoo(h.founHil, h.founkvo, rec);
        }
        h.SortFoundList();
        QList<int> ids;
        for (int i = 0; i < h.founkvo; ++i) ids << h.founHil[i].id1;
        QTEST(ids, "ids");
    }

    void navigation_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("expected");
        const int end = nav.textLength();
        const int len1 = hitEnd(1) - hitStart(1);
        const int len3 = hitEnd(3) - hitStart(3);
        QTest::newRow("first") << "first" << end << 0 << 0;
        QTest::newRow("last") << "last" << 0 << 0 << 3;
        QTest::newRow("next from the start") << "next" << 0 << 0 << 0;
        QTest::newRow("next from a hit") << "next" << hitStart(1) << len1 << 2;
        QTest::newRow("next between hits") << "next" << hitEnd(1) + 2 << 0 << 2;
        QTest::newRow("next at a hit's start") << "next" << hitStart(2) << 0 << 2;
        QTest::newRow("next on the last hit") << "next" << hitStart(3) << len3 << 3;
        QTest::newRow("next after the last hit") << "next" << end << 0 << 3;
        QTest::newRow("previous from a hit") << "previous" << hitStart(2) << 3 << 1;
        QTest::newRow("previous between hits") << "previous" << hitStart(2) - 2 << 0 << 1;
        QTest::newRow("previous at a hit's end") << "previous" << hitEnd(1) << 0 << 1;
        QTest::newRow("previous on the first hit") << "previous" << hitStart(0) << 3 << 0;
        QTest::newRow("previous before the first hit") << "previous" << 0 << 0 << 0;
        QTest::newRow("previous after the last hit") << "previous" << end << 0 << 3;
    }
    void navigation() {
        QFETCH(QString, action);
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(int, expected);
        nav.setSelection(start, length);
        if (action == "first")
            navHil.MarkFirst();
        else if (action == "last")
            navHil.MarkLast();
        else if (action == "next")
            navHil.MarkNext();
        else
            navHil.MarkPrevious();
        QCOMPARE(navHil.fiw_selected, expected);
        QCOMPARE(nav.selStart(), hitStart(expected));
        QCOMPARE(nav.selLength(), hitEnd(expected) - hitStart(expected));
    }

    void navigationNeedsHitsAndAShownView() {
        TRichView hidden;
        setContent(hidden, "AB AB");
        QStringList patterns{"AB"};
        cTextHighLighter h(&hidden);
        h.shabs = &patterns;
        h.AddNewMarks(zoneTemplate(), &hidden, 0, 5, kHit, false, 0);
        QCOMPARE(h.founkvo, 2);
        hidden.setSelection(1, 0);
        h.MarkLast();
        h.MarkNext();
        QCOMPARE(hidden.selStart(), 1);
        QCOMPARE(hidden.selLength(), 0);

        cTextHighLighter none(&nav);
        nav.setSelection(4, 0);
        none.MarkFirst();
        none.MarkPrevious();
        QCOMPARE(nav.selStart(), 4);
        QCOMPARE(nav.selLength(), 0);
    }

    // The hit's offset from the top of the visible area before and after the
    // jump; -1 expects the view not to scroll.
    void scrollRule_data() {
        QTest::addColumn<int>("hit");
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::newRow("visible: no scroll") << 2 << 40 << -1;
        QTest::newRow("below the bottom") << 2 << navHeight + 500 << navHeight - 20;
        QTest::newRow("inside the bottom gap") << 2 << navHeight - 10 << navHeight - 20;
        QTest::newRow("above the top") << 2 << -500 << 0;
        QTest::newRow("partly above the top") << 2 << -5 << 0;
    }
    void scrollRule() {
        QFETCH(int, hit);
        QFETCH(int, before);
        QFETCH(int, after);
        // The caret right before the hit, then the view scrolled as the row
        // wants it, so that MarkNext jumps to that hit.
        nav.setSelection(hitStart(hit) - 1, 0);
        const int scroll = docY(hitStart(hit)) - before;
        nav.setScrollPosition(scroll);
        QCOMPARE(nav.scrollPosition(), scroll);
        navHil.MarkNext();
        QCOMPARE(navHil.fiw_selected, hit);
        if (after < 0) {
            QCOMPARE(nav.scrollPosition(), scroll);
        } else {
            QCOMPARE(nav.charPosition(hitStart(hit)).y(), after);
        }
    }

    void paintZoneMarks() {
        TRichView v;
        // The text zone "alpha beta gamma" spans [6, 22).
        setContent(v, "Title\nalpha beta gamma\nafter");
        dynar_HiliCoo marks;
        const int count = ParseTermMarks({}, marks, 0, "T,1,5;T,12,5;T,12,6;i,1,5;A,1,3;T,7,4");
        v.setSelection(1, 2);
        PaintZoneMarks(marks, count - 1, &v, true, hilText, kTerm, 22, 6);
        // alpha, and gamma ending right at the zone end; the mark one longer,
        // the other zones' marks and the mark past the count are left alone.
        QCOMPARE(colouredRuns(v, kTerm), "6/5 17/5");
        QCOMPARE(v.selStart(), 1);
        QCOMPARE(v.selLength(), 2);
    }
};

QTEST_MAIN(TestTextHighlighter)
#include "tst_texthighlighter.moc"
