#include <QTemporaryDir>
#include <QTest>

#include "db/database.h"
#include "db/query.h"
#include "db/unicode.h"
#include "search/quicksearch.h"
#include "text/fold.h"

using namespace st::search;

class TestQuickSearch : public QObject {
    Q_OBJECT
  private slots:
    void forms_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("sti");
        QTest::addColumn<QString>("oti");
        QTest::newRow("pump") << "pump"
                              << "%PUMP%"
                              << "%PUMP%";
        QTest::newRow("%pump") << "%pump"
                               << "%PUMP%"
                               << "%PUMP%";
        QTest::newRow("pump%") << "pump%"
                               << "%PUMP%"
                               << "%PUMP%";
        QTest::newRow("blanks at the ends") << " pump "
                                            << "% PUMP %"
                                            << "% PUMP %";
        QTest::newRow("accents") << u"Zürich"_qs << u"%ZÜRICH%"_qs << "%ZURICH%";
        QTest::newRow("cyrillic look-alikes") << u"насос"_qs << "%HACOC%"
                                              << "%HACOC%";
        QTest::newRow("percent alone") << "%"
                                       << "%"
                                       << "%";
        QTest::newRow("quotes and runs")
            << u"«газ»  тиск"_qs << u"%\"ГAЗ\" TИCK%"_qs << u"%\"ГAЗ\" TИCK%"_qs;
        QTest::newRow("too long") << QString(30001, u'a') << ""
                                  << "";
    }
    void forms() {
        QFETCH(QString, text);
        QFETCH(QString, sti);
        QFETCH(QString, oti);
        const QuickSearchForms f = MakeQuickSearchForms(text);
        QCOMPARE(f.sti, sti);
        QCOMPARE(f.oti, oti);
    }

    void patterns_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("patterns");
        QTest::newRow("%%heat%%") << "%%heat%%" << QStringList{"HEAT"};
        QTest::newRow("two runs") << "%heat%exchanger" << QStringList{"HEAT", "EXCHANGER"};
        QTest::newRow("blank and underscore stay") << "a_c de" << QStringList{"A_C DE"};
        QTest::newRow("percent alone") << "%" << QStringList{};
        QTest::newRow("folded") << u"насос%Zürich"_qs << QStringList{"HACOC", "ZURICH"};
    }
    void patterns() {
        QFETCH(QString, text);
        QFETCH(QStringList, patterns);
        QStringList shabs{"OLD"};
        FillHiStarWords(shabs, text, true);
        QCOMPARE(shabs, patterns);
        FillHiStarWords(shabs, "%more%", false);
        QCOMPARE(shabs.last(), QString("MORE"));
    }

    void nodeNumber_data() {
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QString>("number");
        QTest::newRow("b) under a) under 1A001")
            << QStringList{"b) text", "a) text", "1A001 Title", "Root list"} << "1A001.a.b.";
        QTest::newRow("2: under 1A002") << QStringList{"2: text", "1A002 text"} << "1A002.2";
        QTest::newRow("one word") << QStringList{"Note", "1A003 text"} << "Note";
        QTest::newRow("empty caption") << QStringList{"   ", "x) y", "1B1 z"} << "1B1.x.";
    }
    void nodeNumber() {
        QFETCH(QStringList, captions);
        QFETCH(QString, number);
        QCOMPARE(MakeNodeNumber(captions), number);
    }

    // The fast road of the Unicode LIKE (substring search on folded bytes)
    // and the shortened binding give the rows of the plain implementation.
    void speedUpsKeepTheRows_data() {
        QTest::addColumn<QString>("text");
        for (const char* t : {"pump", "%pump%", "pu_p", "%насос%", "НаСоС", "ZÜRICH", "zurich",
                              "%a%b%", "exchanger%heat", "%%", "_", "лазер_", "Ї%", "%ґ%"})
            QTest::newRow(t) << QString::fromUtf8(t);
    }
    void speedUpsKeepTheRows() {
        QFETCH(QString, text);
        const QStringList values = {"Pump unit", u"НАСОС"_qs,      u"насоси"_qs,     u"Zürich"_qs,
                                    "ZURICH",    "heat exchanger", "exchanger heat", "",
                                    "ab",        u"лазери"_qs,     u"Їжак ґава"_qs,  "PUMP"};
        QTemporaryDir dir;
        auto db = st::db::Database::create(dir.filePath("r.db"));
        for (int i = 0; i < values.size(); ++i) {
            st::db::Query ins(db.get(),
                              "insert into List_Entries (Entry_ID, Revision_ID, "
                              "List_Title, Plain_Title, Sort_list, Sort_Num) values "
                              "(:id, 1, :t, :p, 1, :id)");
            ins.setParam("id", i + 1);
            ins.setParam("t", values[i]);
            ins.setParam("p", st::text::MakePlaneString(u' ' + values[i] + u' '));
            ins.exec();
        }
        auto rows = [&](bool full, bool cached = false) {
            st::db::Query q(db.get(), QString(kQuickSearchSQL).replace("(Revision_id)", "(1)"));
            q.setUseSearchCache(cached);
            const QuickSearchForms f = MakeQuickSearchForms(text);
            BindQuickSearch(q, f);
            if (full)
                for (const char* o : {"oti1", "oti2", "oti3", "oti4"}) q.setParam(o, f.oti);
            QList<int> out;
            for (q.open(); !q.eof(); q.next()) out << q.field(0).toInt();
            return out;
        };
        QCOMPARE(rows(false), rows(true));
        QCOMPARE(rows(true, true), rows(true));
        // Value by value, both roads of the LIKE agree.
        const QuickSearchForms f = MakeQuickSearchForms(text);
        for (const QString& v : values)
            for (const QString& p : {f.sti, f.oti, text})
                QCOMPARE(st::db::LikeMatchFast(p, v), st::db::LikeMatch(p, v));
    }

    void searchCacheFollowsEveryWrite() {
        QTemporaryDir dir;
        auto db = st::db::Database::create(dir.filePath("c.db"));
        db->exec(
            "insert into List_Entries (Entry_ID, Revision_ID, List_Title, Sort_list, Sort_Num) "
            "values (1, 1, 'pump', 1, 1)");
        auto hits = [](st::db::Database* d) {
            st::db::Query q(d, QString(kQuickSearchSQL).replace("(Revision_id)", "(1)"));
            q.setUseSearchCache(true);
            BindQuickSearch(q, MakeQuickSearchForms("pump"));
            int n = 0;
            for (q.open(); !q.eof(); q.next()) ++n;
            return n;
        };
        QCOMPARE(hits(db.get()), 1);
        // This connection's own write...
        db->exec(
            "insert into List_Entries (Entry_ID, Revision_ID, Plain_Text, Sort_list, Sort_Num) "
            "values (2, 1, ' PUMP ', 1, 2)");
        QCOMPARE(hits(db.get()), 2);
        // ...and another's, as a second instance of the program makes.
        auto other = st::db::Database::open(dir.filePath("c.db"));
        other->exec("update List_Entries set List_Title='valve' where Entry_ID=1");
        QCOMPARE(hits(db.get()), 1);
        other->exec("delete from List_Entries");
        QCOMPARE(hits(db.get()), 0);
    }

    void historyGrowsAndRecallsAQuickSearch() {
        QTemporaryDir dir;
        auto db = st::db::Database::create(dir.filePath("h.db"));
        st::db::Query quick(db.get(), kQuickSearchSQL);
        st::db::Query advanced(db.get(), "select 1");
        SearchHistory h;
        QCOMPARE(h.SavedSearch.size(), 10);
        BindQuickSearch(quick, MakeQuickSearchForms(u"Zürich"_qs));
        for (int i = 0; i < 11; ++i)
            h.push(&quick, false, QStringLiteral("s%1").arg(i), false, {"P"});
        QCOMPARE(h.SavedNum, 11);
        QCOMPARE(h.SavedSearch.size(), 20);
        QCOMPARE(h.SavedSearch[0].vals.toString(), u"%ZÜRICH%"_qs);  // the first parameter
        advanced.setSQL("select 2");
        const int a = h.push(&advanced, true, "<<adv>>", true, {"X"});
        advanced.setSQL("select 3");
        BindQuickSearch(quick, MakeQuickSearchForms("pump"));
        // Recalling the quick search binds the stored plain form to all eight.
        h.restore(0, false);
        for (const QString& p : quick.paramNames())
            QCOMPARE(quick.param(p).toString(), u"%ZÜRICH%"_qs);
        QCOMPARE(quick.paramNames().size(), 8);
        const SaveHist& adv = h.restore(a, true);
        QCOMPARE(advanced.sql(), QString("select 2"));
        QVERIFY(adv.nona);
        QCOMPARE(adv.hilis, QStringList{"X"});
    }
};

QTEST_GUILESS_MAIN(TestQuickSearch)
#include "tst_quicksearch.moc"
