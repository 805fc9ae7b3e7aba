#include <QTemporaryDir>
#include <QTest>

#include "db/database.h"
#include "db/query.h"
#include "search/codeformat.h"

using namespace st::search;

class TestCodeFormat : public QObject {
    Q_OBJECT
  private slots:
    void normalize_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("stored");
        QTest::newRow("ten digits") << "8401100000"
                                    << "/8401 10 00 00/";
        QTest::newRow("dotted") << "8401.10.00.00"
                                << "/8401 10 00 00/";
        QTest::newRow("spaced") << "8401 10 00 00"
                                << "/8401 10 00 00/";
        QTest::newRow("short") << "84011"
                               << "/8401 1n nn nn/";
        QTest::newRow("two codes") << "8401, 8402"
                                   << "/8401 nn nn nn/8402 nn nn nn/";
        QTest::newRow("no-break space") << u"8401\u00A010 00 00"_qs << "/8401 10 00 00/";
        QTest::newRow("no digits") << "abc"
                                   << "/";
        QTest::newRow("too long") << "84011000001234"
                                  << "/8401 10 00 00/";
    }
    void normalize() {
        QFETCH(QString, input);
        QFETCH(QString, stored);
        QCOMPARE(NormalizeUKTCodes(input), stored);
    }
    void formatBox_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("caretAfter");
        QTest::newRow("ten digits") << "8401100000" << 10 << "8401 10 00 00" << 13;
        QTest::newRow("caret before a digit that gets a blank") << "84011" << 4 << "8401 1" << 5;
        QTest::newRow("caret in the middle") << "840110" << 6 << "8401 10" << 7;
        QTest::newRow("pasted with blanks") << "8 4 0 1" << 7 << "8401" << 4;
        QTest::newRow("a dot at a blank's place stays") << "8401.10" << 7 << "8401.10" << 7;
        QTest::newRow("a dot elsewhere goes") << "84.01" << 5 << "8401" << 4;
    }
    void formatBox() {
        QFETCH(QString, typed);
        QFETCH(int, caret);
        QFETCH(QString, shown);
        QFETCH(int, caretAfter);
        const CodeEdit e = FormatCodeText({typed, caret, caret}, kTNMask);
        QCOMPARE(e.text, shown);
        QCOMPARE(e.s0, caretAfter);
        QCOMPARE(e.s1, caretAfter);
    }

    void wordBreak() {
        const QString t = "x; 8401 10 00 00, 8402-11 y";
        QCOMPARE(CodeWordBreak(t, 2, 2), 16);   // a blank after ";"
        QCOMPARE(CodeWordBreak(t, 7, 2), 0);    // a blank inside the code
        QCOMPARE(CodeWordBreak(t, 10, 0), 3);   // the code's start
        QCOMPARE(CodeWordBreak(t, 5, 7), 17);   // its end: the blank after ","
        QCOMPARE(CodeWordBreak(t, 99, 1), 0);   // outside the text
        QCOMPARE(CodeWordBreak(t, 10, 3), 0);   // classify: no white space inside a code
        QCOMPARE(CodeWordBreak(t, 5, 1), 18);   // right: past the blank after ","
        QCOMPARE(CodeWordBreak(t, 10, 6), 2);   // left break: the delimiter itself
        QCOMPARE(CodeWordBreak(t, 24, 4), 23);  // move left stops after "-"
        QCOMPARE(CodeWordBreak(t, 18, 5), 24);  // move right stops past the character after "-"
        QCOMPARE(CodeWordBreak(t, 1, 0), -1);   // left past the start
    }

    void queries_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("exact");
        QTest::addColumn<QStringList>("patterns");
        QTest::newRow("exact without digits") << "abc" << true << QStringList{"'%/%'"};
        QTest::newRow("broad two digits") << "84" << false << QStringList{"'%/84%'"};
        QTest::newRow("broad 8401 1")
            << "8401 1" << false << QStringList{"'%/8401 nn nn nn/%'", "'%/8401 1%'"};
        QTest::newRow("broad full code")
            << "8401 10 00 00" << false
            << QStringList{"'%/8401 nn nn nn/%'", "'%/8401 1n nn nn/%'", "'%/8401 10 nn nn/%'",
                           "'%/8401 10 00 nn/%'", "'%/8401 10 00 00%'"};
        QTest::newRow("exact removes the dot")
            << "8401.10" << true << QStringList{"'%/8401 10 nn nn/%'"};
        QTest::newRow("broad keeps the dot")
            << "8401.10" << false
            << QStringList{"'%/8401 nn nn nn/%'", "'%/8401.1n nn nn/%'", "'%/8401.10%'"};
    }
    void queries() {
        QFETCH(QString, code);
        QFETCH(bool, exact);
        QFETCH(QStringList, patterns);
        const QString sql = MakeUKT_SQL(code, exact);
        QStringList found;
        for (qsizetype at = sql.indexOf("like "); at >= 0; at = sql.indexOf("like ", at + 1)) {
            const qsizetype open = sql.indexOf(u'\'', at);
            const qsizetype close = sql.indexOf(u'\'', open + 1);
            found << sql.mid(open, close - open + 1);
        }
        QCOMPARE(found, patterns);
        QVERIFY(
            sql.startsWith("select Entry_id, List_Title, Parent_id, Entry_type, Revision_id, "
                           "Picture_key\nfrom List_entries\nwhere (Revision_id in (-153))"));
        QVERIFY(sql.endsWith(" order by Sort_list,Sort_Num"));
    }

    // A typed apostrophe or percent sign never breaks the query or widens it
    // beyond the entries that carry customs codes.
    void hostileCodes_data() {
        QTest::addColumn<QString>("code");
        for (const char* c : {"'", "84'01", "8401' or 1=1 --", "'))) union select 1,2,3,4,5,6 --",
                              "%", "84%", "''''", "8401 10 00 00'); drop table SYNONYM; --"})
            QTest::newRow(c) << QString::fromLatin1(c);
    }
    void hostileCodes() {
        QFETCH(QString, code);
        QTemporaryDir dir;
        auto db = st::db::Database::create(dir.filePath("h.db"));
        db->exec(
            "insert into List_Entries (Entry_ID, Revision_ID, Sort_list, Sort_Num) values "
            "(1, 1, 1, 1), (2, 1, 1, 2);"
            "insert into SYNONYM (ENTRY_ID, SYN_NUMBER, Plain_Text) values "
            "(1, 2, '/8401 10 00 00/'), (1, 3, ' 8401100000 ')");
        for (bool exact : {false, true})
            for (const QString& sql : {MakeUKT_SQL(code, exact), MakeTN_SQL(code)}) {
                st::db::Query q(db.get(), QString(sql).replace("-153", "1"));
                QList<int> ids;
                for (q.open(); !q.eof(); q.next()) ids << q.field(0).toInt();
                QVERIFY(ids.isEmpty() || ids == QList<int>{1});
                QCOMPARE(q.fieldCount(), 6);
            }
        QVERIFY(db->hasTable("SYNONYM"));
    }

    void spaceMask() {
        QCOMPARE(ApplySpaceMask("8401100000", kUKTMask), QString("8401 10 00 00"));
        QCOMPARE(ApplySpaceMask("84 01", kUKTMask), QString("8401"));
    }
};

QTEST_APPLESS_MAIN(TestCodeFormat)
#include "tst_codeformat.moc"
